// A study's units: each unit's size against factors worked out by hand from
// the gallon's 231 cubic inches and the inch's 0.0254 m (and published
// tables), and a study in feet against its twin in metres, whose answers
// must be the same drawdowns in the other unit.
#include "scenario/units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "model/true_drawdown.h"
#include "engine/true_well_function.h"
#include "scenario/evaluation.h"
#include "study/reader.h"
#include "study_texts.h"

namespace {

using study_testing::read_text;

// By hand: a US gallon is 231 in³ of 0.0254 m; a foot is 12 in.
constexpr double kGallonM3 = 231.0 * 0.0254 * 0.0254 * 0.0254;  // 0.003785411784
constexpr double kFootM = 12.0 * 0.0254;                         // 0.3048
constexpr double kCubicFootGallons = 12.0 * 12.0 * 12.0 / 231.0;

struct UnitCase {
  const char* kind;
  const char* name;
  double gallon_units;  // its size in gpd, gpd/ft or gpd/ft³, worked out by hand
  double published;     // the same from a published table (6 figures), 0: none
};

const UnitCase kUnitCases[] = {
    {"rate", "gpd", 1.0, 1.0},
    {"rate", "gpm", 24.0 * 60.0, 1440.0},
    {"rate", "cfs", 86400.0 * kCubicFootGallons, 646317.0},         // 1 cfs = 448.831 gpm
    {"rate", "m3/d", 1.0 / kGallonM3, 264.172},                    // 1 m³ = 264.172 US gal
    {"rate", "L/s", 86400.0 * 0.001 / kGallonM3, 22824.5},          // 1 L/s = 15.8503 gpm
    {"transmissivity", "gpd/ft", 1.0, 1.0},
    {"transmissivity", "ft2/d", kCubicFootGallons, 7.48052},        // 1 ft³ = 7.48052 gal
    {"transmissivity", "m2/d", 1.0 / kGallonM3 * kFootM, 80.5196},  // 1 m²/d = 80.52 gpd/ft
    {"leakance", "gpd/ft3", 1.0, 1.0},
    {"leakance", "1/d", kCubicFootGallons, 7.48052},
};

TEST(Units, EachUnitAgainstItsHandWorkedSize) {
  for (const UnitCase& c : kUnitCases) {
    SCOPED_TRACE(std::string(c.kind) + " " + c.name);
    std::optional<scenario::NamedUnit> u;
    if (std::string(c.kind) == "rate") u = scenario::rate_unit(c.name);
    if (std::string(c.kind) == "transmissivity") u = scenario::transmissivity_unit(c.name);
    if (std::string(c.kind) == "leakance") u = scenario::leakance_unit(c.name);
    ASSERT_TRUE(u.has_value());
    EXPECT_NEAR(u->size, c.gallon_units, 1e-12 * c.gallon_units);
    EXPECT_NEAR(u->size, c.published, 6e-6 * c.published) << "the published table";
  }
  EXPECT_FALSE(scenario::rate_unit("GPM")) << "names as written in the unit lists only";
  EXPECT_FALSE(scenario::transmissivity_unit("m2/day"));
  EXPECT_FALSE(scenario::length_unit("km"));
  EXPECT_DOUBLE_EQ(scenario::length_unit("m")->feet, 1.0 / kFootM);
}

// In a study in metres the engine's gallon is the metre's: a rate of 1 m³/d
// is 1/0.003785411784 gallons a day, and the engine's (its length unit the
// metre) takes (0.3048)³ of that; a transmissivity of 1 m²/d is 80.5196 gpd/ft,
// the engine's (0.3048)² of that; a leakance is per day in any length unit.
TEST(Units, EngineValuesInAStudyInMetres) {
  scenario::Units u;
  u.length = *scenario::length_unit("m");
  u.rate = *scenario::rate_unit("m3/d");
  u.transmissivity = *scenario::transmissivity_unit("m2/d");
  u.leakance = *scenario::leakance_unit("1/d");
  const double metre_gallons = kCubicFootGallons;  // gallons of the engine per m³ when its foot is a metre
  EXPECT_NEAR(u.rate_to_engine(1.0), metre_gallons, 1e-12 * metre_gallons);
  EXPECT_NEAR(u.transmissivity_to_engine(1.0), metre_gallons, 1e-12 * metre_gallons);
  EXPECT_NEAR(u.leakance_to_engine(1.0), metre_gallons, 1e-12 * metre_gallons);
  for (double v : {1e-3, 2.5, 1e6}) {
    EXPECT_NEAR(u.rate_from_engine(u.rate_to_engine(v)), v, 1e-15 * v);
    EXPECT_NEAR(u.transmissivity_from_engine(u.transmissivity_to_engine(v)), v, 1e-15 * v);
    EXPECT_NEAR(u.leakance_from_engine(u.leakance_to_engine(v)), v, 1e-15 * v);
  }
  EXPECT_EQ(u.label("largest drawdown ({L}), drawdown_{L}"), "largest drawdown (m), drawdown_m");
  EXPECT_EQ(u.suffix(), "_m");
  const scenario::Units feet;
  EXPECT_EQ(feet.label("({L}) {L}"), "(ft) ft");
  EXPECT_EQ(feet.rate_to_engine(123456.789), 123456.789) << "the default units are the engine's, bit for bit";
  EXPECT_EQ(feet.transmissivity_to_engine(50000.5), 50000.5);
}

// The twins: coordinates of whole 625 ft = 190.5 m, a grid of 1250 ft = 381 m
// nodes, rates in gpd and m³/d, the aquifer in gpd/ft, gpd/ft³ and m²/d, 1/d.
// No receptor lies within 1 unit of a well, where the least distance (1 ft,
// or 1 m) would differ.
std::string twin(bool metres) {
  auto v = [&](double feet_value, double metric_value) {
    char b[64];
    std::snprintf(b, sizeof b, "%.17g", metres ? metric_value : feet_value);
    return std::string(b);
  };
  const double T = 50000.0, L = 0.0005, Q1 = 250000.0, Q2 = 90000.0;
  std::string s = "times = [30.0, 365.0]\n";
  if (metres) s += "units = { length = \"m\", rate = \"m3/d\", transmissivity = \"m2/d\", leakance = \"1/d\" }\n";
  s += "[aquifer]\ntransmissivity = " + v(T, T * kGallonM3 / kFootM) + "\nleakance = " +
       v(L, L * kGallonM3 / (kFootM * kFootM * kFootM)) + "\nstorage = 0.0002\n";
  s += "[grid]\nxll = " + v(2150000.0, 655320.0) + "\nyll = " + v(720000.0, 219456.0) + "\nspacing = " +
       v(1250, 381) + "\ncolumns = 8\nrows = 6\n";
  s += "[[well]]\nname = \"PW-1\"\nx = " + v(2153750.0, 656463.0) + "\ny = " + v(722500.0, 220218.0) +
       "\nradius = " + v(1.0, kFootM) + "\nschedule = [[0.0, " + v(Q1, Q1 * kGallonM3) + "], [60.0, " +
       v(2 * Q1, 2 * Q1 * kGallonM3) + "]]\n";
  s += "[[well]]\nname = \"PW-2\"\nx = " + v(2157500.0, 657606.0) + "\ny = " + v(725000.0, 220980.0) +
       "\nradius = " + v(1.0, kFootM) + "\nrate = " + v(-Q2, -Q2 * kGallonM3) + "\n";
  for (int k = 0; k < 3; ++k)
    s += "[[receptor]]\nname = \"R" + std::to_string(k) + "\"\nx = " + v(2151250.0 + 2500.0 * k, 655701.0 + 762.0 * k) +
         "\ny = " + v(721875.0 + 1250.0 * k, 220027.5 + 381.0 * k) + "\nlimit = " + v(5.0, 5.0 * kFootM) + "\n";
  return s;
}

// The drawdown at (x, y) after day t in double: each term by the true well
// function, summed (the study's own length unit).
double drawdown(const study::Study& s, double x, double y, double t) {
  double sum = 0.0;
  const double T = s.aquifer.transmissivity, B = model::leakage_factor(T, s.aquifer.leakance);
  for (const scenario::Term& term : scenario::terms_at(s, t)) {
    const double r = model::true_distance(x - term.map_x, y - term.map_y);
    const double W = engine::true_well_function(model::true_u(r, s.aquifer.storage, T, term.elapsed_days), r / B);
    sum += model::true_drawdown(term.dq, W, T);
  }
  return sum;
}

TEST(Units, AStudyInFeetAndItsTwinInMetresAgree) {
  const study::Study feet = read_text(twin(false));
  const study::Study metres = read_text(twin(true));
  ASSERT_EQ(metres.grid.spacing, 381);
  EXPECT_NEAR(*metres.receptors[0].limit, 1.524, 1e-15);
  // Every receptor, every time, and days between: to 1e-9 in double.
  for (std::size_t i = 0; i < feet.receptors.size(); ++i)
    for (double t : {1.0, 30.0, 61.5, 365.0}) {
      const double ft = drawdown(feet, feet.receptors[i].x, feet.receptors[i].y, t);
      const double m = drawdown(metres, metres.receptors[i].x, metres.receptors[i].y, t);
      ASSERT_GT(std::fabs(ft), 1e-3) << "a drawdown to compare";
      EXPECT_NEAR(m, ft * kFootM, 1e-9 * std::fabs(ft * kFootM)) << "receptor " << i << " day " << t;
    }
  // What the study reports (single precision): the series and every grid node.
  scenario::Evaluation how;
  how.well_function = scenario::WellFunction::exact;
  how.exact = engine::true_well_function;
  const auto series_ft = scenario::receptor_series(feet, feet.times, how);
  const auto series_m = scenario::receptor_series(metres, metres.times, how);
  for (std::size_t i = 0; i < series_ft.size(); ++i)
    for (std::size_t k = 0; k < series_ft[i].size(); ++k)
      EXPECT_NEAR(series_m[i][k], series_ft[i][k] * kFootM, 3e-7 * std::fabs(series_ft[i][k] * kFootM));
  engine::DrawdownGrid a(feet.grid.columns, feet.grid.rows), b(metres.grid.columns, metres.grid.rows);
  scenario::evaluate_grid(a, feet, 365.0, how);
  scenario::evaluate_grid(b, metres, 365.0, how);
  for (std::int32_t r = 1; r <= feet.grid.rows; ++r)
    for (std::int32_t c = 1; c <= feet.grid.columns; ++c)
      EXPECT_NEAR(b(c, r), a(c, r) * kFootM, 3e-7 * std::fabs(a(c, r) * kFootM) + 1e-12) << c << "," << r;
}

// By the rule (single precision throughout, node-unit positions that are the
// same in both): the grids agree to the rule's rounding.
TEST(Units, TheTwinsAgreeByTheRule) {
  const study::Study feet = read_text(twin(false) + "[output]\nwell_function = \"rule\"\n");
  const study::Study metres = read_text(twin(true) + "[output]\nwell_function = \"rule\"\n");
  scenario::Evaluation how;
  how.exact = engine::true_well_function;
  engine::DrawdownGrid a(feet.grid.columns, feet.grid.rows), b(metres.grid.columns, metres.grid.rows);
  scenario::evaluate_grid(a, feet, 30.0, how);
  scenario::evaluate_grid(b, metres, 30.0, how);
  for (std::int32_t r = 1; r <= feet.grid.rows; ++r)
    for (std::int32_t c = 1; c <= feet.grid.columns; ++c)
      EXPECT_NEAR(b(c, r), a(c, r) * kFootM, 2e-5 * std::fabs(a(c, r) * kFootM) + 1e-9) << c << "," << r;
}

}  // namespace
