// The ensemble: each realization answers as the deterministic study of its
// aquifer; a receptor no well reaches is never exceeded, one whose limit every
// realization passes always is; the reliable factor is the (1 - r)-quantile of
// the realizations' factors by its definition; the numbers do not depend on
// the threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

#include "scenario/compliance.h"
#include "study_texts.h"
#include "uncertainty/ensemble.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

// The small study with a receptor of each kind and an [uncertainty] table.
const std::string kUncertainStudy = edited(edited(kSmallStudy, "y = 720150.0\n\n[output]", R"(y = 720150.0
limit = 1.5

[[receptor]]
name = "near"
x = 2150150.0
y = 720250.0
limit = 0.001

[[receptor]]
name = "far"
x = 3150150.0
y = 720150.0
limit = 1.0

[output])"), "[output]", R"([uncertainty]
transmissivity = [20000.0, 120000.0]
storage = [0.0001, 0.001]
leakance = [0.0005, 0.002]
correlations = { transmissivity_storage = -0.5 }
realizations = 40
seed = 7

[output])");

scenario::Evaluation how_of(const study::Study& s) {
  scenario::Evaluation how;
  how.well_function = s.output.well_function;
  return how;
}

std::string exact(double v) {
  char b[40];
  std::snprintf(b, sizeof b, "%.17g", v);
  return b;
}

TEST(Ensemble, EachRealizationAnswersAsTheDeterministicStudyOfItsAquifer) {
  const study::Study s = read_text(kUncertainStudy);
  ASSERT_TRUE(s.uncertainty);
  const std::vector<uncertainty::Outcome> outcomes = uncertainty::run(s, how_of(s), *s.uncertainty, 10, 14, 2);
  ASSERT_EQ(outcomes.size(), 4u);
  for (const uncertainty::Outcome& o : outcomes) {
    // The study written with this realization's aquifer and no [uncertainty].
    std::string text = kUncertainStudy.substr(0, kUncertainStudy.find("[uncertainty]")) +
                       kUncertainStudy.substr(kUncertainStudy.find("[output]"));
    text = edited(text, "transmissivity = 50000.0", "transmissivity = " + exact(o.aquifer.transmissivity));
    text = edited(text, "leakance = 0.001", "leakance = " + exact(o.aquifer.leakance));
    text = edited(text, "storage = 0.0002", "storage = " + exact(o.aquifer.storage));
    const study::Study one = read_text(text);
    ASSERT_FALSE(one.uncertainty);
    const scenario::Compliance c = scenario::compliance_of(one, how_of(one));
    EXPECT_EQ(o.rate_factor, c.rate_factor) << o.index;
    ASSERT_EQ(o.exceeded.size(), c.receptors.size());
    for (std::size_t k = 0; k < c.receptors.size(); ++k) EXPECT_EQ(o.exceeded[k] == 1, !c.receptors[k].windows.empty());
    const std::vector<std::vector<float>> series = scenario::receptor_series(one, one.series_times, how_of(one));
    for (std::size_t i = 0; i < series.size(); ++i)
      for (std::size_t k = 0; k < series[i].size(); ++k) EXPECT_EQ(o.series[i * series[i].size() + k], series[i][k]);
  }
}

TEST(Ensemble, AFarReceptorIsNeverExceededAndALimitBelowEveryDrawdownAlways) {
  const study::Study s = read_text(kUncertainStudy);
  const std::vector<uncertainty::Outcome> outcomes = uncertainty::run(s, how_of(s), *s.uncertainty, 0, 40, 2);
  const uncertainty::Shape shape = uncertainty::shape_of(s);
  ASSERT_EQ(shape.limits, 3u);
  // The independent ground: every realization's drawdown at "near" passes
  // 0.001 ft at the first series day already, and "far" (a million feet away)
  // sees none.
  for (const uncertainty::Outcome& o : outcomes) {
    EXPECT_GT(o.series[1 * shape.days + 0], 0.001f);
    EXPECT_LT(o.series[2 * shape.days + 1], 1e-6f);
  }
  const uncertainty::Summary sum = uncertainty::summarize(outcomes, shape, 0.9);
  EXPECT_EQ(sum.probability[1], 1.0);
  EXPECT_EQ(sum.standard_error[1], 0.0);
  EXPECT_EQ(sum.probability[2], 0.0);
  EXPECT_EQ(sum.standard_error[2], 0.0);
  // R-1's limit lies within the ensemble: a share strictly between, with its
  // binomial standard error.
  EXPECT_GT(sum.probability[0], 0.0);
  EXPECT_LT(sum.probability[0], 1.0);
  const double p = sum.probability[0];
  EXPECT_DOUBLE_EQ(sum.standard_error[0], std::sqrt(p * (1 - p) / 40.0));
  // A realization whose series passes a limit at a series day exceeds it.
  for (const uncertainty::Outcome& o : outcomes)
    for (std::size_t k = 0; k < shape.days; ++k) {
      if (o.series[k] > 1.5f) {
        EXPECT_EQ(o.exceeded[0], 1) << o.index;
      }
    }
}

TEST(Ensemble, TheOutcomesDoNotDependOnTheThreads) {
  const study::Study s = read_text(kUncertainStudy);
  const auto one = uncertainty::run(s, how_of(s), *s.uncertainty, 0, 12, 1);
  const auto three = uncertainty::run(s, how_of(s), *s.uncertainty, 0, 12, 3);
  ASSERT_EQ(one.size(), three.size());
  for (std::size_t i = 0; i < one.size(); ++i) {
    EXPECT_EQ(one[i].index, three[i].index);
    EXPECT_EQ(one[i].rate_factor, three[i].rate_factor);
    EXPECT_EQ(one[i].exceeded, three[i].exceeded);
    EXPECT_EQ(one[i].series, three[i].series);
  }
}

// The largest factor among `f` that at least `percent` % of them bear, found
// by trying each: the definition of the factor at a reliability.
double largest_borne(const std::vector<double>& f, int percent) {
  double best = -1;
  for (double candidate : f) {
    const auto bearing = std::count_if(f.begin(), f.end(), [&](double x) { return x >= candidate; });
    if (bearing * 100 >= static_cast<long>(percent) * static_cast<long>(f.size())) best = std::max(best, candidate);
  }
  return best;
}

TEST(Ensemble, TheReliableFactorIsTheLargestThatTheShareBears) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> factor(0.2, 3.0);
  for (std::size_t n : {1u, 2u, 7u, 20u, 99u, 100u, 1000u})
    for (int percent : {50, 80, 90, 95, 99}) {
      std::vector<double> f(n);
      for (double& x : f) x = factor(random);
      if (n > 3) f[1] = f[2], f[3] = std::numeric_limits<double>::infinity();  // a tie, a realization without drawdown
      EXPECT_EQ(uncertainty::factor_at_reliability(f, percent / 100.0), largest_borne(f, percent))
          << n << " realizations at " << percent << " %";
    }
}

TEST(Ensemble, PercentilesInterpolateBetweenOrderStatistics) {
  const std::vector<double> x = {1, 2, 3, 4, 10};
  struct Case {
    double p, want;
  };
  // Hyndman and Fan's definition 7 (R's and NumPy's default) of these values.
  for (const Case& c : {Case{0.0, 1}, Case{0.05, 1.2}, Case{0.5, 3}, Case{0.95, 8.8}, Case{1.0, 10}})
    EXPECT_NEAR(uncertainty::percentile(x, c.p), c.want, 1e-12) << c.p;
  EXPECT_EQ(uncertainty::percentile(std::vector<double>{4.5}, 0.95), 4.5);
}

}  // namespace
