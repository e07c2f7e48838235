// The residuals' serial correlation: the lag-1 autocorrelation against hand
// sums, the AR(1) estimate against series simulated here with a known phi
// (evenly and unevenly spaced), J^T R J against R built in full, and the
// significance limit 2/sqrt(n).
#include "fit/autocorrelation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

TEST(Autocorrelation, Lag1IsTheLaggedSumOverTheSumOfSquares) {
  struct Case {
    std::vector<double> r;
    double expected;
  };
  const Case cases[] = {
      {{1.0, -1.0, 1.0, -1.0}, -3.0 / 4.0},
      {{1.0, 2.0, 3.0}, (2.0 + 6.0) / 14.0},
      {{0.5, 0.5, 0.5, 0.5, 0.5}, 1.0 / 1.25},
      {{2.0}, 0.0},
      {{0.0, 0.0, 0.0}, 0.0},
  };
  for (const Case& c : cases) EXPECT_DOUBLE_EQ(fit::lag1_autocorrelation(c.r), c.expected) << c.r.size();
}

// A continuous-time AR(1) series at `days`: correlation phi^(dt / spacing).
std::vector<double> simulated(const std::vector<double>& days, double phi, double spacing, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::normal_distribution<double> z(0.0, 1.0);
  std::vector<double> e = {z(random)};
  for (std::size_t i = 1; i < days.size(); ++i) {
    const double rho = std::pow(phi, (days[i] - days[i - 1]) / spacing);
    e.push_back(rho * e.back() + std::sqrt(1.0 - rho * rho) * z(random));
  }
  return e;
}

TEST(Autocorrelation, TheAr1EstimateFindsThePhiOfASimulatedSeries) {
  // 20000 values: the estimate's standard error is about
  // sqrt((1 - phi^2) / n) < 0.007.
  std::mt19937 random(5);
  std::uniform_real_distribution<double> gap(0.2, 3.0);  // median about 1.6
  for (double phi : {0.0, 0.3, 0.8, 0.95})
    for (bool even : {true, false}) {
      std::vector<double> days = {1.0};
      for (int i = 1; i < 20000; ++i) days.push_back(days.back() + (even ? 0.5 : gap(random)));
      const double spacing = even ? 0.5 : 1.6;
      const std::vector<double> e = simulated(days, phi, spacing, 7);
      EXPECT_NEAR(fit::ar1_phi(days, e, spacing), phi, 0.025) << phi << (even ? " even" : " uneven");
    }
}

TEST(Autocorrelation, TheCorrelatedInformationIsJTransposedRJWithRInFull) {
  fit::PumpingTest test;
  const std::vector<std::vector<double>> days = {{0.01, 0.02, 0.05, 0.06, 0.2, 0.9}, {0.1, 0.3, 0.35, 2.0}};
  for (const auto& d : days) {
    fit::Observation o;
    for (double day : d) o.readings.push_back({day, 0.0, 0, day, 0.0});
    test.observations.push_back(o);
  }
  std::vector<fit::SerialCorrelation> serial(2);
  serial[0].phi = 0.7, serial[0].spacing = 0.04;
  serial[1].phi = 0.0, serial[1].spacing = 0.25;  // independent: R's block is the identity
  constexpr std::size_t k = 3, n = 10;
  std::vector<double> J(n * k);
  for (std::size_t i = 0; i < J.size(); ++i) J[i] = std::sin(1.0 + 0.7 * static_cast<double>(i));
  // R in full: phi^(|t_i - t_j| / d) within an observation, 0 across.
  std::vector<std::vector<double>> R(n, std::vector<double>(n, 0.0));
  std::vector<double> t;
  std::vector<std::size_t> well;
  for (std::size_t w = 0; w < 2; ++w)
    for (double day : days[w]) t.push_back(day), well.push_back(w);
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = 0; j < n; ++j)
      if (well[i] == well[j])
        R[i][j] = i == j ? 1.0 : serial[well[i]].phi > 0.0
                                     ? std::pow(serial[well[i]].phi, std::fabs(t[i] - t[j]) / serial[well[i]].spacing)
                                     : 0.0;
  const std::vector<double> M = fit::correlated_information(test, serial, J, k);
  for (std::size_t a = 0; a < k; ++a)
    for (std::size_t b = 0; b < k; ++b) {
      double expected = 0.0;
      for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = 0; j < n; ++j) expected += J[i * k + a] * R[i][j] * J[j * k + b];
      EXPECT_NEAR(M[a * k + b], expected, 1e-12 * (1.0 + std::fabs(expected))) << a << ", " << b;
    }
}

TEST(Autocorrelation, SignificantBeyondTwoOverRootNAndOnlyPositiveCorrelationIsModelled) {
  // 16 readings: the limit is 0.5. A slow sine's residuals are strongly
  // correlated, alternating ones strongly negatively, a pattern of period 4
  // not at all at lag 1.
  struct Case {
    const char* name;
    double (*residual)(int);
    bool significant;
    bool modelled;
  };
  const Case cases[] = {
      {"slow sine", [](int i) { return std::sin(0.2 * i); }, true, true},
      {"alternating", [](int i) { return i % 2 == 0 ? 1.0 : -1.0; }, true, false},
      {"period 4", [](int i) { return i % 4 < 2 ? (i % 2 == 0 ? 1.0 : 0.0) : (i % 2 == 0 ? -1.0 : 0.0); }, false, false},
  };
  for (const Case& c : cases) {
    fit::PumpingTest test;
    fit::Observation o;
    std::vector<double> r;
    for (int i = 0; i < 16; ++i) {
      o.readings.push_back({0.1 * (i + 1), 0.0, 0, 0.0, 0.0});
      r.push_back(c.residual(i));
    }
    test.observations.push_back(o);
    const fit::SerialCorrelation s = fit::serial_correlations(test, r).at(0);
    EXPECT_DOUBLE_EQ(s.limit, 0.5) << c.name;
    EXPECT_NEAR(s.spacing, 0.1, 1e-12) << c.name;
    EXPECT_EQ(s.significant, c.significant) << c.name << ": r1 " << s.r1;
    EXPECT_EQ(s.phi > 0.0, c.modelled) << c.name;
  }
}

}  // namespace
