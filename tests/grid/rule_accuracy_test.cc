// Where --check finds the rule's well function off the true integral: the
// distance below which it is, and the nodes of a grid that lie that close to
// a well.
#include "grid/rule_accuracy.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "model/drawdown.h"
#include "model/reference_well_function.h"
#include "model/well_function.h"

namespace {

grid::Input aquifer(float LEAK, float TIME, std::int32_t SPACING = 100) {
  grid::Input in;
  in.NX = 9;
  in.NY = 9;
  in.T = 50000.0f;
  in.S = 0.0002f;
  in.LEAK = LEAK;
  in.TIME = TIME;
  in.SPACING = SPACING;
  return in;
}

double rule_error(const grid::Input& in, float R) {
  const float u = model::u_of(model::u_factor(in.T, in.S, in.TIME), R);
  const float rb = model::rb_of(R, model::leakage_factor(in.T, in.LEAK));
  const double exact = model::reference_well_function(u, rb);
  return std::fabs(model::WUB(u, rb) - exact) / exact;
}

TEST(RuleAccuracy, TheDistanceBelowWhichTheRuleIsOffByMoreThanOnePercent) {
  struct Case {
    float LEAK, TIME;
    float at_least, below;  // where the distance is expected
  };
  const Case cases[] = {
      {0.001f, 30.0f, 1.0f, 1.0f},  // leakage: off nowhere, however close
      {0.0f, 30.0f, 3.0f, 4.5f},    // without: within a few feet
      {0.0f, 3650.0f, 30.0f, 50.0f},
      {0.0f, 0.01f, 1.0f, 1.0f},  // too early: u at 1 foot is large enough
  };
  for (const Case& c : cases) {
    const grid::Input in = aquifer(c.LEAK, c.TIME);
    const float below = grid::rule_off_below(in);
    EXPECT_GE(below, c.at_least) << "LEAK " << c.LEAK << ", TIME " << c.TIME;
    EXPECT_LE(below, c.below) << "LEAK " << c.LEAK << ", TIME " << c.TIME;
    if (below > 1.0f) {
      EXPECT_GT(rule_error(in, below * 0.999f), 0.01) << "just inside, the rule is off";
      EXPECT_LE(rule_error(in, below * 1.001f), 0.01) << "just outside, it is not";
    }
  }
}

TEST(RuleAccuracy, NodesCloserToAWellThanThatAreCountedOnce) {
  // One-foot nodes without leakage at 30 days: the rule is off below 3.73
  // feet, so a well on node (5, 5) has the 45 nodes with dx^2 + dy^2 <= 13
  // (1 + 4 + 4 + 4 + 8 + 4 + 4 + 8 + 8). A second well on the same node adds
  // none; one on node (1, 1) has the 15 of its quarter disc, 7 of which the
  // first well has already: 53 nodes in all.
  grid::Input in = aquifer(0.0f, 30.0f, 1);
  const float below = grid::rule_off_below(in);
  ASSERT_GT(below, std::sqrt(13.0f));
  ASSERT_LT(below, 4.0f);
  std::vector<engine::Well> wells = {{5.0f, 5.0f, 1000.0f}};
  std::string w = grid::rule_accuracy_warning(in, wells);
  EXPECT_EQ(w.rfind("45 nodes lie closer than 3.73 ft to well 1 at (5, 5), where u is below ", 0), 0u) << w;
  EXPECT_TRUE(w.ends_with("the rule's well function is more than 1% off the true integral; the run's drawdowns "
                          "there are the rule's"))
      << w;
  wells.push_back({5.0f, 5.0f, -1000.0f});
  wells.push_back({1.0f, 1.0f, 1000.0f});
  w = grid::rule_accuracy_warning(in, wells);
  EXPECT_EQ(w.rfind("53 nodes lie closer than 3.73 ft to 3 wells (the first: well 1 at (5, 5))", 0), 0u) << w;

  in.LEAK = 0.001f;
  EXPECT_EQ(grid::rule_accuracy_warning(in, wells), "") << "with leakage the rule is within 1% everywhere";
}

}  // namespace
