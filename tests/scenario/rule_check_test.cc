// The rule's drawdowns checked against the true well function's in a study:
// when a difference is worth a warning, which day it names, and that the
// small-u error of the rule is found at a well's node.
#include "scenario/rule_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "study/hydrographs.h"
#include "study_texts.h"

namespace {

TEST(RuleCheck, ADifferenceMustExceedOnePercentAndOneHundredthOfAFoot) {
  struct Case {
    float rule, exact;
    bool off;
  };
  const Case cases[] = {
      {10.2f, 10.0f, true},     // 2%, 0.2 ft
      {10.05f, 10.0f, false},   // 0.5%, 0.05 ft
      {0.505f, 0.5f, false},    // 1%, but 0.005 ft
      {0.52f, 0.5f, true},      // 4%, 0.02 ft
      {-4.09f, -4.74f, true},   // a rise, 14% short
      {0.011f, -0.001f, true},  // opposite signs
      {0.0f, 0.0f, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(scenario::rule_is_off({30.0, c.rule, c.exact}), c.off) << c.rule << " against " << c.exact;
}

TEST(RuleCheck, TheWarningNamesThePlaceAndTheDayOffByTheMostFeet) {
  const std::vector<scenario::RuleAgainstTrue> values = {
      {1.0, 2.0f, 2.0f}, {30.0, 21.338175f, 19.160215f}, {90.0, 20.632204f, 20.920124f}, {365.0, 0.02f, 0.0f}};
  EXPECT_EQ(scenario::rule_warning("receptor 'R-1'", values),
            "the rule's drawdown at receptor 'R-1' is off the true well function's: at day 30 the rule gives "
            "21.338175 ft, the true value is 19.160215 ft (+11.4%); well_function = \"exact\" gives the true values");
  EXPECT_EQ(scenario::rule_warning("receptor 'R-1'", std::span(values).first(1)), "");
}

TEST(RuleCheck, TheNearestNodeIsTheCellThatHoldsThePointOrTheEdgesNearest) {
  const scenario::Grid g{1000.0, 5000.0, 50, 9, 6};
  struct Case {
    double x, y;
    std::int32_t c, r;
  };
  const Case cases[] = {{1000.0, 5000.0, 1, 1}, {1049.9, 5050.0, 1, 2}, {1137.3, 5121.9, 3, 3},
                        {1449.9, 5299.9, 9, 6}, {-1e9, 1e9, 1, 6},      {2000.0, 4000.0, 9, 1}};
  for (const Case& k : cases) {
    const scenario::Node n = scenario::nearest_node(g, k.x, k.y);
    EXPECT_EQ(n.c, k.c) << k.x;
    EXPECT_EQ(n.r, k.r) << k.y;
  }
}

TEST(RuleCheck, TheRulesSmallUErrorAtAWellsNodeIsFoundAndFarReceptorsPass) {
  // The small study without leakage, its well on a node centre (1 foot by the
  // least distance): by 30 days u there is about 2.5e-10, where the rule's W
  // is far too high. Its receptor a node away is within 1%.
  const study::Study s = study_testing::read_text(
      study_testing::edited(study_testing::kSmallStudy, "leakance = 0.001", "leakance = 0.0"));
  scenario::Evaluation rule;
  const std::vector<std::vector<float>> series = scenario::receptor_series(s, s.times, rule);
  std::vector<std::vector<float>> well_nodes(1);
  for (double t : s.times) {
    engine::DrawdownGrid DD(s.grid.columns, s.grid.rows);
    scenario::evaluate_grid(DD, s, t, rule);
    const scenario::Node n = scenario::nearest_node(s.grid, s.wells[0].x, s.wells[0].y);
    well_nodes[0].push_back(DD(n.c, n.r));
  }
  const std::vector<std::string> warnings =
      scenario::rule_warnings(s, s.times, series, well_nodes, engine::true_well_function);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("the rule's drawdown at the node (2, 2) nearest well 'PW-1' is off", 0), 0u)
      << warnings[0];
}

}  // namespace
