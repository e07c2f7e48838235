// What a study computes: the same bits as the input-file run, receptors on
// nodes equal to the nodes, schedules superposed term by term in well order,
// no fixed limits, and the exact well function's arithmetic.
#include "scenario/evaluation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/evaluate.h"
#include "gis/esri_grid.h"
#include "gis/geotiff.h"
#include "model/drawdown.h"
#include "model/exact_well_function.h"
#include "study/outputs.h"
#include "study/hydrographs.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::read_text;

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }

scenario::Evaluation rule(engine::Method method, int threads = 2) {
  scenario::Evaluation how;
  how.engine.method = method;
  how.engine.fast.threads = threads;
  return how;
}

const engine::Method kMethods[] = {engine::Method::fast, engine::Method::reference};

engine::DrawdownGrid grid_at(const study::Study& s, double t, const scenario::Evaluation& how) {
  engine::DrawdownGrid DD(s.grid.columns, s.grid.rows);
  scenario::evaluate_grid(DD, s, t, how);
  return DD;
}

// A study with schedules on a small grid: wells at fractional places, steps
// before and after the times, a step back to 0.
const std::string kScheduled = R"(times = [30.0, 60.0, 90.0]
[aquifer]
transmissivity = 20000.0
leakance = 0.0005
storage = 0.0003
[grid]
xll = 1000.0
yll = 5000.0
spacing = 50
columns = 9
rows = 6
[[well]]
name = "A"
x = 1137.3
y = 5121.9
schedule = [[0.0, 100000.0], [60.0, 300000.0]]
[[well]]
name = "B"
x = 1275.0
y = 5225.0
rate = 50000.0
[[well]]
name = "C"
x = 1410.0
y = 5090.0
schedule = [[10.0, 20000.0], [60.0, 0.0]]
)";

TEST(StudyEvaluation, AStudyOfTheBundledExampleIsTheInputFileRunBitForBit) {
  // The input-file run's grid: its input's wells in node units, evaluated in
  // table order by the reference evaluation.
  const std::string input = study_testing::bundled_example();
  std::vector<std::string> a;
  std::istringstream lines(input);
  for (std::string line; std::getline(lines, line);) a.push_back(line.substr(0, line.find(' ')));
  const std::int32_t NX = std::stoi(a[0]), NY = std::stoi(a[1]);
  const engine::Aquifer aquifer{std::strtof(a[4].c_str(), nullptr), std::strtof(a[6].c_str(), nullptr),
                                std::strtof(a[7].c_str(), nullptr), std::strtof(a[5].c_str(), nullptr), std::stoi(a[8])};
  std::vector<engine::Well> wells;
  for (int k = 0; k < std::stoi(a[10]); ++k)
    wells.push_back({std::strtof(a[11 + 3 * k].c_str(), nullptr), std::strtof(a[12 + 3 * k].c_str(), nullptr),
                     std::strtof(a[13 + 3 * k].c_str(), nullptr)});
  engine::DrawdownGrid input_file_run;
  engine::evaluate_reference(input_file_run, NX, NY, aquifer, wells);

  const study::Study s = read_text(study_testing::study_of_input_file_run(input));
  ASSERT_EQ(s.grid.columns, NX);
  ASSERT_EQ(s.times.size(), 1u);
  for (engine::Method method : kMethods) {
    const engine::DrawdownGrid DD = grid_at(s, s.times[0], rule(method));
    for (std::int32_t r = 1; r <= NY; ++r)
      for (std::int32_t c = 1; c <= NX; ++c)
        ASSERT_EQ(Bits(DD(c, r)), Bits(input_file_run(c, r)))
            << "node (" << c << ", " << r << "), " << (method == engine::Method::fast ? "fast" : "reference");
  }

  // The map outputs see the same grid: the same frame, and the same wells.
  engine::EvaluatedGrid run;
  run.NX = NX, run.NY = NY, run.SPACING = aquifer.SPACING;
  run.from_run_origin(std::stoi(a[2]), std::stoi(a[3]));
  run.wells = wells;
  run.DD = &input_file_run;
  const std::vector<engine::Well> study_wells = study::wells_at(s, s.times[0]);
  const engine::DrawdownGrid DD = grid_at(s, s.times[0], rule(engine::Method::fast));
  const engine::EvaluatedGrid view = study::evaluated_grid(s, s.times[0], DD, study_wells);
  EXPECT_EQ(gis::esri_grid_text(view), gis::esri_grid_text(run));
  double study_transform[6], run_transform[6];
  gis::grid_geotransform(view, study_transform);
  gis::grid_geotransform(run, run_transform);
  EXPECT_TRUE(std::equal(study_transform, study_transform + 6, run_transform));
  ASSERT_EQ(study_wells.size(), wells.size());
  for (std::size_t k = 0; k < wells.size(); ++k) {
    EXPECT_EQ(Bits(study_wells[k].x), Bits(wells[k].x)) << "well " << k + 1;
    EXPECT_EQ(Bits(study_wells[k].y), Bits(wells[k].y)) << "well " << k + 1;
    EXPECT_EQ(Bits(study_wells[k].q), Bits(wells[k].q)) << "well " << k + 1;
  }
}

TEST(StudyEvaluation, TermsFollowWellOrderThenStepOrderAndPassesShareTheirTime) {
  const study::Study s = read_text(kScheduled);
  std::vector<scenario::Term> terms = scenario::terms_at(s, 90.0);
  ASSERT_EQ(terms.size(), 5u);
  const float q[] = {100000.0f, 200000.0f, 50000.0f, 20000.0f, -20000.0f};
  const float elapsed[] = {90.0f, 30.0f, 90.0f, 80.0f, 30.0f};
  for (std::size_t k = 0; k < terms.size(); ++k) {
    EXPECT_EQ(terms[k].q, q[k]) << k;
    EXPECT_EQ(terms[k].elapsed, elapsed[k]) << k;
  }
  EXPECT_EQ(terms[0].x, scenario::node_position(1137.3, 1000.0, 50));
  EXPECT_EQ(scenario::passes_of(terms).size(), 5u) << "no two neighbours share a time";

  // A step that begins at the time itself or later adds nothing yet.
  terms = scenario::terms_at(s, 60.0);
  ASSERT_EQ(terms.size(), 3u);
  EXPECT_EQ(terms[2].elapsed, 50.0f);
  terms = scenario::terms_at(s, 10.0);
  ASSERT_EQ(terms.size(), 2u) << "C starts at day 10";
  const std::vector<scenario::Pass> passes = scenario::passes_of(terms);
  ASSERT_EQ(passes.size(), 1u);
  EXPECT_EQ(passes[0].end, 2u);
}

TEST(StudyEvaluation, EveryCellReceivesTheTermsInOrderOnBothPaths) {
  const study::Study s = read_text(kScheduled);
  for (double t : {30.0, 60.0, 90.0, 1000.0})
    for (engine::Method method : kMethods) {
      const engine::DrawdownGrid DD = grid_at(s, t, rule(method));
      const std::vector<scenario::Term> terms = scenario::terms_at(s, t);
      for (std::int32_t r = 1; r <= s.grid.rows; ++r)
        for (std::int32_t c = 1; c <= s.grid.columns; ++c) {
          // Term by term into one value, as one cell receives them.
          float cell = 0.0f;
          for (const scenario::Term& term : terms)
            model::DRAWDN(20000.0f, 0.0003f, term.elapsed, 0.0005f, term.q, model::DIST(50, c, r, term.x, term.y), cell);
          ASSERT_EQ(Bits(DD(c, r)), Bits(cell)) << "day " << t << ", node (" << c << ", " << r << ")";
        }
    }
}

TEST(StudyEvaluation, AReceptorOnANodeCentreIsThatNodeBitForBit) {
  study::Study s = read_text(kScheduled);
  // A receptor on every node centre, one of them where well B stands.
  for (std::int32_t r = 1; r <= s.grid.rows; ++r)
    for (std::int32_t c = 1; c <= s.grid.columns; ++c)
      s.receptors.push_back({"n", s.grid.xll + (c - 0.5) * s.grid.spacing, s.grid.yll + (r - 0.5) * s.grid.spacing, std::nullopt});
  ASSERT_EQ(s.receptors[5 + 4 * 9].x, 1275.0);
  ASSERT_EQ(s.receptors[5 + 4 * 9].y, 5225.0);
  const std::vector<double> times{30.0, 90.0};
  for (engine::Method method : kMethods) {
    const std::vector<std::vector<float>> series = scenario::receptor_series(s, times, rule(method));
    for (std::size_t k = 0; k < times.size(); ++k) {
      const engine::DrawdownGrid DD = grid_at(s, times[k], rule(method));
      for (std::int32_t r = 1; r <= s.grid.rows; ++r)
        for (std::int32_t c = 1; c <= s.grid.columns; ++c)
          ASSERT_EQ(Bits(series[static_cast<std::size_t>((r - 1) * 9 + c - 1)][k]), Bits(DD(c, r)))
              << "node (" << c << ", " << r << ") at day " << times[k];
    }
  }
  // Off the nodes, away from the wells, a receptor lies between its neighbours' values.
  s.receptors = {{"between (1, 5) and (2, 5)", 1000.0 + 1.0 * 50, 5000.0 + 4.5 * 50, std::nullopt}};
  const float between = scenario::receptor_series(s, times, rule(engine::Method::fast))[0][1];
  const engine::DrawdownGrid DD = grid_at(s, 90.0, rule(engine::Method::fast));
  EXPECT_GT(between, DD(1, 5));
  EXPECT_LT(between, DD(2, 5));
}

TEST(StudyEvaluation, AOneStepScheduleIsAPlainRate) {
  const study::Study plain = read_text(study_testing::kSmallStudy);
  const study::Study scheduled =
      read_text(edited(study_testing::kSmallStudy, "rate = 250000.0", "schedule = [[0.0, 250000.0]]"));
  for (engine::Method method : kMethods) {
    const engine::DrawdownGrid a = grid_at(plain, 90.0, rule(method)), b = grid_at(scheduled, 90.0, rule(method));
    for (std::int32_t r = 1; r <= 3; ++r)
      for (std::int32_t c = 1; c <= 4; ++c) ASSERT_EQ(Bits(a(c, r)), Bits(b(c, r)));
    EXPECT_EQ(scenario::receptor_series(plain, plain.times, rule(method)),
              scenario::receptor_series(scheduled, scheduled.times, rule(method)));
  }
  EXPECT_GT(grid_at(plain, 90.0, rule(engine::Method::fast))(2, 2), 1.0f) << "a drawdown worth comparing";
}

TEST(StudyEvaluation, AScheduleThatStepsBackTo0RecoversToward0) {
  // Little leakage, so that the recovery takes a while.
  const std::string pumping_text = edited(study_testing::kSmallStudy, "leakance = 0.001", "leakance = 0.000001");
  const study::Study plain = read_text(pumping_text);
  const study::Study s = read_text(edited(pumping_text, "rate = 250000.0", "schedule = [[0.0, 250000.0], [60.0, 0.0]]"));
  const std::vector<double> times{30.0, 59.0, 61.0, 90.0, 180.0, 365.0, 1000.0};
  const std::vector<float> after = scenario::receptor_series(s, times, rule(engine::Method::fast))[0];
  const std::vector<float> pumping = scenario::receptor_series(plain, times, rule(engine::Method::fast))[0];
  EXPECT_EQ(after[0], pumping[0]) << "before the stop, the same pumping";
  EXPECT_EQ(after[1], pumping[1]);
  EXPECT_GT(after[1], 5.0f);
  for (std::size_t k = 2; k < times.size(); ++k) {
    EXPECT_LT(after[k], after[k - 1]) << "recovering at day " << times[k];
    EXPECT_LT(after[k], pumping[k]);
    EXPECT_GT(after[k], 0.0f);
  }
  EXPECT_LT(after.back(), 0.01f * after[1]) << "close to 0 long after the stop";
}

TEST(StudyEvaluation, NoLimitOfNodesOrWells) {
  // More columns than the input-file run's 300 and more wells than its 999.
  std::ostringstream text;
  text << "times = [30.0]\n[aquifer]\ntransmissivity = 50000.0\nleakance = 0.001\nstorage = 0.0002\n"
          "[grid]\nxll = 0.0\nyll = 0.0\nspacing = 100\ncolumns = 305\nrows = 2\n";
  std::mt19937 random(7);
  std::uniform_real_distribution<double> x(-500.0, 31000.0), y(-500.0, 700.0), q(-2e5, 1e6);
  for (int k = 0; k < 1001; ++k)
    text << "[[well]]\nname = \"W" << k << "\"\nx = " << x(random) << "\ny = " << y(random) << "\nrate = " << q(random)
         << "\n";
  const study::Study s = read_text(text.str());
  ASSERT_EQ(s.wells.size(), 1001u);
  const engine::DrawdownGrid fast = grid_at(s, 30.0, rule(engine::Method::fast));
  const engine::DrawdownGrid reference = grid_at(s, 30.0, rule(engine::Method::reference));
  const std::vector<scenario::Term> terms = scenario::terms_at(s, 30.0);
  for (std::int32_t r = 1; r <= 2; ++r)
    for (std::int32_t c = 1; c <= 305; ++c) {
      ASSERT_EQ(Bits(fast(c, r)), Bits(reference(c, r))) << c << ", " << r;
      if (c % 50 == 1 || c == 305) {
        ASSERT_EQ(Bits(fast(c, r)), Bits(scenario::point_drawdown_rule(s, static_cast<float>(c), static_cast<float>(r), terms)));
      }
    }
}

// A stand-in for the exact well function with a known value: W = e^-u / (1 + rb).
double stand_in(double u, double rb) { return std::exp(-u) / (1.0 + rb); }

TEST(StudyEvaluation, TheExactWellFunctionIsSummedInDoubleAndRoundedOnce) {
  study::Study s = read_text(kScheduled);
  scenario::Evaluation how = rule(engine::Method::fast, 3);
  how.well_function = scenario::WellFunction::exact;
  how.exact = stand_in;
  const engine::DrawdownGrid DD = grid_at(s, 90.0, how);

  // Node (4, 3) by hand, term by term in double.
  const double x = 1000.0 + 3.5 * 50, y = 5000.0 + 2.5 * 50;
  double sum = 0.0;
  for (const scenario::Term& term : scenario::terms_at(s, 90.0)) {
    const double dx = x - term.map_x, dy = y - term.map_y;
    const double r = std::max(1.0, std::sqrt(dx * dx + dy * dy));
    const double u = 1.87025 * r * r * 0.0003 / (20000.0 * term.elapsed_days);
    sum += 114.59156 * (term.dq / 1440.0) * stand_in(u, r / std::sqrt(20000.0 / 0.0005)) / 20000.0;
  }
  EXPECT_EQ(Bits(DD(4, 3)), Bits(static_cast<float>(sum)));

  // Threads share rows without changing a bit; a receptor on a node is the node.
  how.engine.method = engine::Method::reference;
  const engine::DrawdownGrid one_thread = grid_at(s, 90.0, how);
  s.receptors = {{"on (4, 3)", x, y, std::nullopt}};
  EXPECT_EQ(Bits(scenario::receptor_series(s, std::vector<double>{90.0}, how)[0][0]), Bits(DD(4, 3)));
  for (std::int32_t r = 1; r <= s.grid.rows; ++r)
    for (std::int32_t c = 1; c <= s.grid.columns; ++c) ASSERT_EQ(Bits(one_thread(c, r)), Bits(DD(c, r)));
}

TEST(StudyEvaluation, TheExactModeGivesThePublishedWellFunctionValues) {
  // A receptor 100 feet from one well, the time and the leakance chosen so
  // that u and r/B are the published arguments, and the rate so that the
  // drawdown in feet is W itself: s = 114.59156 (Q / 1440) W / T.
  struct Published {
    double u, rb, W;
  };
  const Published published[] = {{0.01, 0.0, 4.03792957}, {0.01, 0.1, 3.81501652}, {0.5, 0.5, 0.52062191},
                                 {0.1, 1.0, 0.81903450}};
  const double T = 10000.0, S = 0.001, r = 100.0;
  for (const Published& p : published) {
    study::Study s = read_text(study_testing::kSmallStudy);
    s.aquifer = {T, p.rb == 0.0 ? 0.0 : T * (p.rb / r) * (p.rb / r), S};
    s.wells[0].steps = {{0.0, 1440.0 * T / 114.59156}};
    s.receptors = {{"100 feet east", s.wells[0].x + r, s.wells[0].y, std::nullopt}};
    const double t = 1.87025 * r * r * S / (T * p.u);
    scenario::Evaluation exact;
    exact.well_function = scenario::WellFunction::exact;
    exact.exact = engine::true_well_function;
    const float W = scenario::receptor_series(s, std::vector<double>{t}, exact)[0][0];
    EXPECT_NEAR(W, p.W, 1e-7 * p.W) << "u " << p.u << ", r/B " << p.rb;
    // The rule differs by far more than that here.
    const float rule = scenario::receptor_series(s, std::vector<double>{t}, scenario::Evaluation{})[0][0];
    EXPECT_GT(std::fabs(rule - p.W), 1e-5 * p.W) << "u " << p.u << ", r/B " << p.rb;
  }
}

TEST(StudyEvaluation, TheExactModeSuperposesEachStepsChangeOfRateFromOneFoot) {
  // One well whose schedule rises, falls and stops, and receptors at the well,
  // half a foot from it and 200 feet east. Each value is built here from the
  // true well function alone: the change of rate of each step that began
  // before t, at its elapsed time, at a distance of at least 1 foot.
  const double T = 20000.0, S = 0.0003, leakance = 0.0005;
  const std::vector<std::pair<double, double>> schedule = {{0.0, 100000.0}, {10.0, 300000.0}, {20.0, 50000.0}, {40.0, 0.0}};
  study::Study s = read_text(study_testing::kSmallStudy);
  s.aquifer = {T, leakance, S};
  s.wells[0].steps.clear();
  for (const auto& [day, rate] : schedule) s.wells[0].steps.push_back({day, rate});
  const double x = s.wells[0].x, y = s.wells[0].y;
  s.receptors = {{"at the well", x, y, std::nullopt}, {"half a foot off", x, y + 0.5, std::nullopt},
                 {"200 feet east", x + 200.0, y, std::nullopt}};
  const std::vector<double> times = {5.0, 15.0, 30.0, 45.0, 400.0};
  scenario::Evaluation exact;
  exact.well_function = scenario::WellFunction::exact;
  exact.exact = engine::true_well_function;
  const std::vector<std::vector<float>> values = scenario::receptor_series(s, times, exact);

  const double distances[] = {1.0, 1.0, 200.0};
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t k = 0; k < times.size(); ++k) {
      double expected = 0.0, before = 0.0;
      for (const auto& [day, rate] : schedule) {
        if (!(day < times[k])) break;
        const double r = distances[i];
        const double u = 1.87025 * r * r * S / (T * (times[k] - day));
        const double W = model::exact_well_function(u, r / std::sqrt(T / leakance));
        expected += 114.59156 * ((rate - before) / 1440.0) * W / T;
        before = rate;
      }
      EXPECT_NEAR(values[i][k], expected, 2e-7 * std::fabs(expected) + 1e-9)
          << s.receptors[i].name << " at day " << times[k];
    }
  // Long after the well stopped the head has come back (within the rounding).
  EXPECT_LT(std::fabs(values[0][4]), 1e-3);
  EXPECT_GT(values[0][2], 10.0 * std::fabs(values[0][4]));
}

TEST(StudyEvaluation, AStudyThatDoesNotFitSaysHowMuchItNeeds) {
  study::Study s = read_text(study_testing::kSmallStudy);
  constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;
  EXPECT_FALSE(scenario::does_not_fit(s, 2, study::grids_kept(s), 8 * kGiB));
  EXPECT_FALSE(scenario::does_not_fit(s, 2, study::grids_kept(s), 0.0)) << "a machine of unknown memory runs it";
  s.grid.columns = s.grid.rows = 100000;  // 40 GB of cells alone
  EXPECT_GT(scenario::memory_needed(s, 2, study::grids_kept(s)), 4e10);
  EXPECT_EQ(scenario::does_not_fit(s, 2, study::grids_kept(s), 8 * kGiB).value_or(""),
            "the study needs 37.4 GiB of memory (a grid of 100000 x 100000 nodes, 1 well term), more than the 8.0 GiB "
            "this machine has");
  // A picture of each time keeps a grid per time.
  s.output.plots = {"map.png"};
  EXPECT_EQ(scenario::does_not_fit(s, 2, study::grids_kept(s), 8 * kGiB).value_or(""),
            "the study needs 74.7 GiB of memory (2 grids (one per time) of 100000 x 100000 nodes, 1 well term), more "
            "than the 8.0 GiB this machine has");
}

}  // namespace
