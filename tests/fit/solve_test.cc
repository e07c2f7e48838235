// The fit on pumping tests made with known parameters: recovered exactly
// without noise, within their standard errors with it, from starting points
// far off; and the warnings for what the readings cannot tell.
#include "fit/solve.h"

#include <gtest/gtest.h>

#include <cmath>

#include "model/reference_well_function.h"
#include "synthetic_tests.h"

namespace {

using fit_testing::synthetic_test;

struct Case {
  const char* name;
  fit::Parameters truth;
  bool leaky;
  double stop_day;  // > 0: a test with recovery
};

const Case kCases[] = {
    {"confined", {30000.0, 2e-4, 0.0}, false, 0.0},
    {"leaky", {30000.0, 2e-4, 5e-4}, true, 0.0},
    {"confined with recovery", {8000.0, 5e-5, 0.0}, false, 0.6},
    {"leaky with recovery", {8000.0, 5e-5, 1e-4}, true, 0.6},
};

fit::PumpingTest made(const Case& c, double noise, std::uint32_t seed) {
  fit::PumpingTest t =
      synthetic_test(c.truth, {60.0, 200.0}, 250000.0, 1e-3, 1.0, 40, c.stop_day, noise, seed, model::reference_well_function);
  t.fit.fitted[fit::kLeakance] = c.leaky;
  return t;
}

TEST(Fit, WithoutNoiseTheParametersAreRecoveredTo1e6) {
  for (const Case& c : kCases) {
    const fit::Estimate e = fit::fit_test(made(c, 0.0, 0), fit::LeakyModel(model::reference_well_function));
    for (std::size_t j = 0; j < fit::kParameterCount; ++j)
      EXPECT_NEAR(e.value[j], c.truth[j], 1e-6 * c.truth[j]) << c.name << ": " << fit::kParameterNames[j];
    EXPECT_LT(e.rmse, 1e-7) << c.name;
    EXPECT_EQ(e.readings, 80u);
    EXPECT_GT(e.starts, 1u);
  }
}

TEST(Fit, WithNoiseTheTruthLiesWithinTheIntervals) {
  // 0.02 ft of noise, three seeds each: the truth within three standard
  // errors and inside the 95% interval nearly always (here: every time).
  int outside = 0, total = 0;
  for (const Case& c : kCases)
    for (std::uint32_t seed : {1u, 2u, 3u}) {
      const fit::Estimate e = fit::fit_test(made(c, 0.02, seed), fit::LeakyModel(model::reference_well_function));
      EXPECT_NEAR(e.rmse, 0.02, 0.006) << c.name;
      for (std::size_t j = 0; j < fit::kParameterCount; ++j) {
        if (!(c.leaky || j != fit::kLeakance)) continue;
        ++total;
        EXPECT_NEAR(e.value[j], c.truth[j], 3.0 * e.standard_error[j]) << c.name << ", seed " << seed << ": "
                                                                          << fit::kParameterNames[j];
        if (c.truth[j] < e.interval[j][0] || c.truth[j] > e.interval[j][1]) ++outside;
      }
    }
  EXPECT_LE(outside, total / 10) << "of " << total;
}

TEST(Fit, TheResultDoesNotDependOnTheFirstGuess) {
  // Starting values given a hundred times off, either way: the same optimum.
  const Case& c = kCases[1];
  for (double off : {100.0, 0.01}) {
    fit::PumpingTest t = made(c, 0.0, 0);
    for (std::size_t j = 0; j < fit::kParameterCount; ++j) t.fit.start[j] = c.truth[j] * off;
    const fit::Estimate e = fit::fit_test(t, fit::LeakyModel(model::reference_well_function));
    for (std::size_t j = 0; j < fit::kParameterCount; ++j)
      EXPECT_NEAR(e.value[j], c.truth[j], 1e-6 * c.truth[j]) << "start x" << off << ": " << fit::kParameterNames[j];
  }
}

TEST(Fit, LeakanceFromEarlyReadingsAloneIsWarnedOfAsPoorlyDetermined) {
  // Readings end long before leakage shows (r/B small, t short): the
  // leakance's standard error is far above half its value.
  fit::PumpingTest t = synthetic_test({30000.0, 2e-4, 1e-6}, {60.0, 200.0}, 250000.0, 1e-3, 0.05, 30, 0.0, 0.01, 7,
                                      model::reference_well_function);
  const fit::Estimate e = fit::fit_test(t, fit::LeakyModel(model::reference_well_function));
  bool warned = false;
  for (const std::string& w : e.warnings) warned |= w.rfind("the leakance is poorly determined", 0) == 0;
  EXPECT_TRUE(warned) << (e.warnings.empty() ? "no warnings" : e.warnings[0]);
}

TEST(Fit, ATrendInTheResidualsIsWarnedOf) {
  // Leaky readings fitted as confined: the residuals run in long arcs.
  fit::PumpingTest t = synthetic_test({30000.0, 2e-4, 5e-3}, {60.0, 200.0}, 250000.0, 1e-3, 3.0, 40, 0.0, 0.001, 5,
                                      model::reference_well_function);
  t.fit.fitted[fit::kLeakance] = false;
  const fit::Estimate e = fit::fit_test(t, fit::LeakyModel(model::reference_well_function));
  bool warned = false;
  for (const std::string& w : e.warnings) warned |= w.rfind("the residuals show a trend", 0) == 0;
  EXPECT_TRUE(warned);
  // The same readings fitted as leaky: no trend.
  t.fit.fitted[fit::kLeakance] = true;
  for (const std::string& w : fit::fit_test(t, fit::LeakyModel(model::reference_well_function)).warnings)
    EXPECT_NE(w.rfind("the residuals show a trend", 0), 0u) << w;
}

TEST(Fit, RunsOfSignsGiveTheRunsTestsZScore) {
  // 10 residuals, 5 of each sign: alternating signs are 10 runs, two blocks 2.
  fit::PumpingTest t;
  t.observations.resize(1);
  t.observations[0].readings.resize(10);
  std::vector<double> alternating, blocks;
  for (int i = 0; i < 10; ++i) {
    alternating.push_back(i % 2 == 0 ? 1.0 : -1.0);
    blocks.push_back(i < 5 ? 1.0 : -1.0);
  }
  // Expected runs 1 + 2 * 5 * 5 / 10 = 6, variance 2 * 25 * 40 / (100 * 9) = 2.222.
  EXPECT_NEAR(fit::runs_z(t, alternating), (10.0 - 6.0) / std::sqrt(20.0 / 9.0), 1e-12);
  EXPECT_NEAR(fit::runs_z(t, blocks), (2.0 - 6.0) / std::sqrt(20.0 / 9.0), 1e-12);
}

}  // namespace
