// The realizations' aquifers: each depends on the seed and its index alone;
// ranges give log-normal parameters whose 95 % range and correlations are the
// ones stated (checked on the sample's own quantiles and correlation); samples
// are drawn evenly with replacement.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "uncertainty/generator.h"
#include "uncertainty/realizations.h"

namespace {

using uncertainty::Range;
using uncertainty::Realizations;
using uncertainty::Draws;

scenario::Aquifer base_aquifer() { return scenario::Aquifer{50000.0, 5e-5, 2e-4}; }  // T, leakance, S

Draws ranged(double rho_ts, double rho_tl, double rho_sl) {
  Draws settings;
  settings.ranges = {Range{30000.0, 80000.0}, Range{1e-4, 4e-4}, Range{2e-5, 1e-4}};
  settings.correlation = {{{1, rho_ts, rho_tl}, {rho_ts, 1, rho_sl}, {rho_tl, rho_sl, 1}}};
  return settings;
}

double sorted_quantile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

double correlation(const std::vector<double>& a, const std::vector<double>& b) {
  const double n = static_cast<double>(a.size());
  double ma = 0, mb = 0;
  for (std::size_t i = 0; i < a.size(); ++i) ma += a[i] / n, mb += b[i] / n;
  double sab = 0, saa = 0, sbb = 0;
  for (std::size_t i = 0; i < a.size(); ++i)
    sab += (a[i] - ma) * (b[i] - mb), saa += (a[i] - ma) * (a[i] - ma), sbb += (b[i] - mb) * (b[i] - mb);
  return sab / std::sqrt(saa * sbb);
}

TEST(Draws, ARealizationDependsOnlyOnTheSeedAndItsIndex) {
  const Draws settings = ranged(-0.4, 0.2, 0.1);
  const Realizations draws(settings, base_aquifer());
  // Drawn in another order, and by another object, the same bits.
  std::vector<scenario::Aquifer> forward;
  for (std::size_t i = 0; i < 50; ++i) forward.push_back(draws.at(i));
  const Realizations again(settings, base_aquifer());
  for (std::size_t i = 50; i-- > 0;) {
    const scenario::Aquifer a = again.at(i);
    EXPECT_EQ(a.transmissivity, forward[i].transmissivity);
    EXPECT_EQ(a.storage, forward[i].storage);
    EXPECT_EQ(a.leakance, forward[i].leakance);
  }
  // Neighbouring indices, and another seed, differ.
  EXPECT_NE(forward[0].transmissivity, forward[1].transmissivity);
  Draws other = settings;
  other.seed = settings.seed + 1;
  EXPECT_NE(Realizations(other, base_aquifer()).at(0).transmissivity, forward[0].transmissivity);
}

TEST(Draws, UniformNumbersAreEvenAndNeverZeroOrOne) {
  uncertainty::Stream s(7, 3);
  std::vector<int> bins(10, 0);
  const int n = 100000;
  for (int i = 0; i < n; ++i) {
    const double u = s.uniform();
    ASSERT_GT(u, 0.0);
    ASSERT_LT(u, 1.0);
    ++bins[static_cast<std::size_t>(u * 10)];
  }
  // Each bin holds n/10 within 5 binomial standard deviations (95).
  for (int b : bins) EXPECT_NEAR(b, n / 10, 5 * std::sqrt(n * 0.1 * 0.9));
}

TEST(Draws, RangesAreNinetyFivePercentRangesOfLogNormalsWithTheirCorrelations) {
  struct Case {
    double ts, tl, sl;
  };
  for (const Case& c : {Case{0, 0, 0}, Case{-0.6, 0, 0}, Case{0.5, 0.3, -0.2}}) {
    const Draws settings = ranged(c.ts, c.tl, c.sl);
    const Realizations draws(settings, base_aquifer());
    std::vector<double> logs[3];
    for (std::size_t i = 0; i < 40000; ++i) {
      const scenario::Aquifer a = draws.at(i);
      logs[0].push_back(std::log(a.transmissivity));
      logs[1].push_back(std::log(a.storage));
      logs[2].push_back(std::log(a.leakance));
    }
    for (std::size_t p = 0; p < 3; ++p) {
      // The 2.5th and 97.5th percentiles are the range's ends, within sampling
      // error (a few hundredths of the log range's half width).
      const double lo = std::log(settings.ranges[p]->low), hi = std::log(settings.ranges[p]->high);
      EXPECT_NEAR(sorted_quantile(logs[p], 0.025), lo, 0.03 * (hi - lo)) << p;
      EXPECT_NEAR(sorted_quantile(logs[p], 0.975), hi, 0.03 * (hi - lo)) << p;
    }
    EXPECT_NEAR(correlation(logs[0], logs[1]), c.ts, 0.02);
    EXPECT_NEAR(correlation(logs[0], logs[2]), c.tl, 0.02);
    EXPECT_NEAR(correlation(logs[1], logs[2]), c.sl, 0.02);
  }
}

TEST(Draws, AParameterWithoutARangeKeepsTheStudysValue) {
  Draws settings;
  settings.ranges[uncertainty::kTransmissivity] = Range{30000.0, 80000.0};
  const Realizations draws(settings, base_aquifer());
  for (std::size_t i = 0; i < 20; ++i) {
    EXPECT_EQ(draws.at(i).storage, base_aquifer().storage);
    EXPECT_EQ(draws.at(i).leakance, base_aquifer().leakance);
  }
}

TEST(Draws, SamplesAreDrawnEvenlyWithReplacement) {
  Draws settings;
  for (int k = 1; k <= 8; ++k) settings.samples.push_back(scenario::Aquifer{1000.0 * k, 1e-6 * k, 1e-5 * k});  // T, leakance, S
  const Realizations draws(settings, base_aquifer());
  std::vector<int> count(8, 0);
  const int n = 40000;
  for (int i = 0; i < n; ++i) {
    const scenario::Aquifer a = draws.at(static_cast<std::size_t>(i));
    const int row = static_cast<int>(std::lround(a.transmissivity / 1000.0)) - 1;
    ASSERT_GE(row, 0);
    ASSERT_LT(row, 8);
    // A row is taken whole: its three values together.
    EXPECT_EQ(a.storage, settings.samples[static_cast<std::size_t>(row)].storage);
    ++count[static_cast<std::size_t>(row)];
  }
  for (int c : count) EXPECT_NEAR(c, n / 8, 5 * std::sqrt(n * 0.125 * 0.875));
}

TEST(Draws, CholeskyFactorsAPositiveDefiniteMatrixAndRefusesOthers) {
  const std::array<std::array<double, 3>, 3> c{{{1, 0.5, 0.2}, {0.5, 1, -0.3}, {0.2, -0.3, 1}}};
  const auto l = uncertainty::cholesky(c);
  ASSERT_TRUE(l);
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j < 3; ++j) {
      double sum = 0;
      for (std::size_t k = 0; k < 3; ++k) sum += (*l)[i][k] * (*l)[j][k];
      EXPECT_NEAR(sum, c[i][j], 1e-15);
    }
  // Three parameters cannot each be strongly opposed to the other two.
  EXPECT_FALSE(uncertainty::cholesky({{{1, -0.9, -0.9}, {-0.9, 1, -0.9}, {-0.9, -0.9, 1}}}));
}

}  // namespace
