// Warnings of what the grid hides: places off the grid or far from it, a
// receptor inside a well's radius, a time before the wells start, contour
// levels that no grid reaches.
#include "scenario/grid_warnings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scenario/plausibility.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

TEST(GridWarnings, WhereAPointLiesAgainstTheGrid) {
  // The grid spans x 2150000 to 2150400, y 720000 to 720300.
  const scenario::Grid g = read_text(kSmallStudy).grid;
  struct Case {
    double x, y;
    scenario::Placement expected;
  };
  const Case cases[] = {
      {2150000.0, 720000.0, scenario::Placement::inside},   // the corner itself
      {2150400.0, 720300.0, scenario::Placement::inside},   // the far corner
      {2149999.0, 720100.0, scenario::Placement::outside},
      {2150200.0, 720700.0, scenario::Placement::outside},  // 400 ft north: as far as the grid is wide
      {2150200.0, 720701.0, scenario::Placement::far},
      {720150.0, 2150150.0, scenario::Placement::far},       // x and y swapped
      {655000.0, 219500.0, scenario::Placement::far},        // the same place in metres
  };
  for (const Case& c : cases) EXPECT_EQ(scenario::placement(g, c.x, c.y), c.expected) << c.x << ", " << c.y;
}

TEST(GridWarnings, PlacesAndTimesEachGiveOneLine) {
  std::string text = edited(kSmallStudy, "rate = 250000.0", "rate = 250000.0\nradius = 0.5");
  text = edited(text, "[[receptor]]",
                "[[well]]\nname = \"late\"\nx = 2150350.0\ny = 720150.0\nschedule = [[45.0, 1000.0]]\n\n"
                "[[receptor]]\nname = \"swapped\"\nx = 720150.0\ny = 2150150.0\n\n"
                "[[receptor]]\nname = \"at the well\"\nx = 2150150.25\ny = 720150.0\n\n[[receptor]]");
  const std::vector<std::string> got = scenario::placement_warnings(read_text(text));
  const std::vector<std::string> expected{
      "receptor 'swapped' at (720150, 2150150) lies farther from the grid than the grid is wide (the grid spans x 2150000 "
      "to 2150400, y 720000 to 720300): are x and y swapped, or in another CRS or unit?",
      "receptor 'at the well' lies 0.25 ft from well 'PW-1', inside its radius of 0.5 ft: its drawdown is that of the "
      "aquifer, not of the water in the well",
      "day 30 comes before well 'late' starts (day 45)",
  };
  EXPECT_EQ(got, expected);
  EXPECT_TRUE(scenario::placement_warnings(read_text(kSmallStudy)).empty()) << "a good study warns of nothing";
}

// A well's first step acts after its day (the term of a step begun at t is
// 0 at t), so a listed day equal to a well's start shows none of it: warned
// like a day before; a day after the start, however little, is not.
TEST(GridWarnings, ADayOnAWellsStartComesBeforeIt) {
  const struct {
    const char* start;
    std::vector<std::string> expected;
  } kCases[] = {
      {"30.0", {"day 30 comes before well 'late' starts (day 30)"}},
      {"29.99", {}},
      {"90.0", {"day 30 comes before well 'late' starts (day 90)", "day 90 comes before well 'late' starts (day 90)"}},
      {"0.0", {}},
  };
  for (const auto& c : kCases) {
    const std::string text =
        edited(kSmallStudy, "[[receptor]]",
               std::string("[[well]]\nname = \"late\"\nx = 2150350.0\ny = 720150.0\nschedule = [[") + c.start +
                   ", 1000.0]]\n\n[[receptor]]");
    EXPECT_EQ(scenario::placement_warnings(read_text(text)), c.expected) << c.start;
  }
}

TEST(GridWarnings, ManyPlacesOffTheGridAreCounted) {
  std::string receptors;
  for (int i = 0; i < 15; ++i)
    receptors += "[[receptor]]\nname = \"off " + std::to_string(i) + "\"\nx = 2150500.0\ny = 720150.0\n\n";
  const std::vector<std::string> got =
      scenario::placement_warnings(read_text(edited(kSmallStudy, "[[receptor]]", receptors + "[[receptor]]")));
  ASSERT_EQ(got.size(), scenario::kMostPlaceWarnings + 1);
  EXPECT_EQ(got.back(), "5 more receptors off the grid as above");
}

TEST(GridWarnings, ALevelNoGridReachesIsNotDrawn) {
  engine::DrawdownGrid a(3, 2), b(3, 2);
  a(1, 1) = 1.0f, a(3, 2) = 4.0f;   // 0 to 4
  b(1, 1) = -2.0f, b(2, 2) = 0.5f;  // -2 to 0.5
  engine::DrawdownGrid flat(3, 2);  // all 0: reaches nothing, not even 0
  auto grid = [](const engine::DrawdownGrid& DD) {
    engine::EvaluatedGrid e;
    e.NX = 3, e.NY = 2, e.DD = &DD;
    return e;
  };
  const std::vector<engine::EvaluatedGrid> times{grid(a), grid(b), grid(flat)};
  const std::vector<double> levels{-3.0, -1.0, 0.0, 4.0, 4.5};
  const std::vector<double> reached = scenario::reached_levels(times, levels);
  EXPECT_EQ(reached, (std::vector<double>{-1.0, 0.0, 4.0}));
  EXPECT_EQ(scenario::level_warnings(levels, reached),
            (std::vector<std::string>{"the contour level -3 ft is reached by no time's grid; it is not drawn",
                                      "the contour level 4.5 ft is reached by no time's grid; it is not drawn"}));
  EXPECT_TRUE(scenario::reached_levels({&times[2], 1}, levels).empty());
}

}  // namespace

namespace {

TEST(Plausibility, RatesThatAllLookLikeGallonsPerMinuteAreWarnedOf) {
  struct Case {
    std::vector<double> rates;  // one well each, from day 0
    const char* shown;          // the largest's gpm in the warning ("" : no warning)
  };
  // gpm = gpd / 1440, to three digits.
  const Case cases[] = {{{500.0}, "is 0.347 gpm"}, {{999.0, -200.0}, "is 0.694 gpm"}, {{-720.0}, "is 0.5 gpm"},
                        {{1000.0}, ""}, {{250000.0, 10.0}, ""}, {{0.0}, ""}};
  for (const Case& c : cases) {
    scenario::Scenario s;
    for (double q : c.rates) s.wells.push_back({"W", 0.0, 0.0, {{0.0, q}}, 1.0});
    const std::vector<std::string> w = scenario::plausibility_warnings(s);
    ASSERT_EQ(w.size(), *c.shown ? 1u : 0u) << c.rates[0];
    if (*c.shown) {
      EXPECT_NE(w[0].find(c.shown), std::string::npos) << w[0];
      EXPECT_NE(w[0].find("rates are per day"), std::string::npos) << w[0];
    }
  }
}

}  // namespace
