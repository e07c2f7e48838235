// The drawdown in each pumping well at its radius, against the textbook
// formula with the quadrature of the leaky well function, and the grid's
// extremes away from the wells, with rises that must never pass for the
// largest drawdown.
#include "scenario/pumping_wells.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "model/exact_well_function.h"
#include "study/hydrographs.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

// s = Q W(u, r/B) / (4 pi T), u = r^2 S / (4 T t), T in cubic feet a day per foot.
double textbook(double q, double r, double days) {
  constexpr double T = 50000.0, S = 0.0002, leakance = 0.001;
  const double u = r * r * S / (4.0 * (T / 7.48052) * days);
  return q * model::exact_well_function(u, r / std::sqrt(T / leakance)) / (4.0 * std::numbers::pi * T);
}

scenario::Evaluation exact() {
  scenario::Evaluation how;
  how.well_function = scenario::WellFunction::exact;
  how.exact = engine::true_well_function;
  return how;
}

TEST(PumpingWells, EachWellsDrawdownAtItsRadiusIsItsOwnPlusTheOthers) {
  // PW-1 pumps 250000 gpd with radius 0.5 ft; IW-1, 300 ft east, injects
  // 400000 gpd from day 10 with the default 1 ft.
  std::string text = edited(kSmallStudy, "rate = 250000.0", "rate = 250000.0\nradius = 0.5");
  text = edited(text, "[[receptor]]",
                "[[well]]\nname = \"IW-1\"\nx = 2150450.0\ny = 720150.0\nschedule = [[10.0, -400000.0]]\n\n[[receptor]]");
  const study::Study s = read_text(text);
  const std::vector<std::vector<double>> values = scenario::well_drawdowns(s, exact());
  ASSERT_EQ(values.size(), 2u);
  struct Case {
    std::size_t well;
    std::size_t time;
    double expected;
  };
  const Case cases[] = {
      {0, 0, textbook(250000.0, 0.5, 30.0) + textbook(-400000.0, 300.0, 20.0)},
      {0, 1, textbook(250000.0, 0.5, 90.0) + textbook(-400000.0, 300.0, 80.0)},
      {1, 0, textbook(-400000.0, 1.0, 20.0) + textbook(250000.0, 300.0, 30.0)},
      {1, 1, textbook(-400000.0, 1.0, 80.0) + textbook(250000.0, 300.0, 90.0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.well) + " at time " + std::to_string(c.time));
    EXPECT_NEAR(values[c.well][c.time], c.expected, 1e-4 * std::fabs(c.expected));
  }
  EXPECT_GT(values[0][0], 0.0);
  EXPECT_LT(values[1][0], 0.0) << "the injection well's own rise outweighs PW-1's drawdown";
  const std::string table = scenario::well_table_text(s, values);
  EXPECT_EQ(table.substr(0, table.find('\n')), "well  radius (ft)  day  in the well (ft)");
  EXPECT_NE(table.find("IW-1            1   30") , std::string::npos) << table;
  EXPECT_NE(table.find(" rise\n"), std::string::npos) << table;
  EXPECT_NE(table.find("PW-1          0.5   30"), std::string::npos) << table;
}

TEST(PumpingWells, TheGridsExtremesAwayFromTheWellsKeepDrawdownAndRiseApart) {
  const study::Study s = read_text(kSmallStudy);  // a 4 x 3 grid, PW-1 on node (2, 2)
  struct Case {
    const char* what;
    std::vector<std::tuple<int, int, float>> cells;
    bool drawdown;
    float largest;
    int c, r;
    bool rise;
    float most_negative;
  };
  const Case cases[] = {
      {"a mound larger than any drawdown is a rise, not the largest drawdown",
       {{4, 1, 3.0f}, {4, 3, -9.0f}}, true, 3.0f, 4, 1, true, -9.0f},
      {"only rises: no largest drawdown", {{4, 1, -1.0f}, {4, 2, -4.0f}}, false, 0.0f, 0, 0, true, -4.0f},
      {"the nodes within one spacing of a well are passed over",
       {{2, 2, 50.0f}, {1, 2, 40.0f}, {3, 2, 45.0f}, {2, 3, 45.0f}, {4, 2, 2.0f}}, true, 2.0f, 4, 2, false, 0.0f},
      {"a diagonal neighbour lies farther than one spacing", {{2, 2, 50.0f}, {1, 1, 3.0f}}, true, 3.0f, 1, 1, false,
       0.0f},
      {"the first of equal values", {{4, 1, 2.0f}, {4, 3, 2.0f}}, true, 2.0f, 4, 1, false, 0.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine::DrawdownGrid DD(4, 3);
    for (const auto& [col, row, v] : c.cells) DD(col, row) = v;
    const scenario::GridExtremes e = scenario::grid_extremes(DD, s);
    EXPECT_EQ(e.drawdown.found, c.drawdown);
    if (c.drawdown) {
      EXPECT_EQ(e.drawdown.value, c.largest);
      EXPECT_EQ(e.drawdown.c, c.c);
      EXPECT_EQ(e.drawdown.r, c.r);
    }
    EXPECT_EQ(e.rise.found, c.rise);
    if (c.rise) {
      EXPECT_EQ(e.rise.value, c.most_negative);
    }
  }
}

}  // namespace

namespace {

// The wells' table costs wells times terms evaluations: a study of thousands
// of wells leaves it out rather than take minutes.
TEST(PumpingWells, TheTableIsLeftOutForTooManyWells) {
  study::Study s = read_text(kSmallStudy);  // two times
  const scenario::Well one = s.wells[0];
  s.wells.assign(3000, one);
  EXPECT_TRUE(scenario::lists_well_drawdowns(s)) << "3000 x 3000 x 2 = 18 million evaluations";
  s.wells.assign(3200, one);
  EXPECT_FALSE(scenario::lists_well_drawdowns(s)) << "20.5 million";
}

}  // namespace
