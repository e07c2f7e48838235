// The fit's standard errors, 95% intervals and correlations against an
// independent computation here: a Jacobian of the residuals by central
// differences in the logarithms of the parameters, sigma^2 = SS / (n - k),
// the covariance sigma^2 (J^T J)^-1 by Gauss-Jordan elimination, and the
// 97.5% quantile of Student's t with 60 degrees of freedom taken from a table
// (2.000298; for 90% it would be 1.670649).
#include "fit/leaky_model.h"
#include "fit/solve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "model/reference_well_function.h"
#include "synthetic_tests.h"

namespace {

using Matrix = std::vector<std::vector<double>>;

constexpr double kT60 = 2.000298;  // Student's t, 60 degrees of freedom, 97.5%

// The weighted residuals sqrt(w) (observed - modelled) at `p`.
std::vector<double> residuals(const fit::PumpingTest& t, const fit::Parameters& p) {
  std::vector<double> r;
  for (const fit::Observation& o : t.observations)
    for (const fit::Reading& reading : o.readings)
      r.push_back(std::sqrt(o.weight) *
                  (reading.drawdown -
                   fit::modelled_drawdown(t, o.x, o.y, reading.day, p, model::reference_well_function, false).drawdown));
  return r;
}

// The inverse of a small symmetric positive definite matrix, by Gauss-Jordan.
Matrix inverse(Matrix a) {
  const std::size_t k = a.size();
  Matrix inv(k, std::vector<double>(k, 0.0));
  for (std::size_t i = 0; i < k; ++i) inv[i][i] = 1.0;
  for (std::size_t c = 0; c < k; ++c) {
    const double pivot = a[c][c];
    for (std::size_t j = 0; j < k; ++j) a[c][j] /= pivot, inv[c][j] /= pivot;
    for (std::size_t r = 0; r < k; ++r) {
      if (r == c) continue;
      const double f = a[r][c];
      for (std::size_t j = 0; j < k; ++j) a[r][j] -= f * a[c][j], inv[r][j] -= f * inv[c][j];
    }
  }
  return inv;
}

struct Case {
  const char* name;
  fit::Parameters truth;
  std::vector<std::size_t> fitted;
  std::initializer_list<double> distances;
  int count;  // readings per observation: readings - fitted = 60
};

const Case kCases[] = {
    {"confined, T and S", {30000.0, 2e-4, 0.0}, {fit::kTransmissivity, fit::kStorage}, {60.0, 200.0}, 31},
    {"leaky, T, S and leakance", {30000.0, 2e-4, 5e-4}, {fit::kTransmissivity, fit::kStorage, fit::kLeakance},
     {60.0, 200.0, 500.0}, 21},
};

TEST(Uncertainty, StandardErrorsIntervalsAndCorrelationsFollowTheCovarianceOfSSOverNMinusK) {
  for (const Case& c : kCases) {
    fit::PumpingTest t = fit_testing::synthetic_test(c.truth, c.distances, 250000.0, 1e-3, 3.0, c.count, 0.0, 0.03, 11,
                                                     model::reference_well_function);
    t.fit.fitted = {false, false, false};
    for (std::size_t j : c.fitted) t.fit.fitted[j] = true;
    const fit::Estimate e = fit::fit_test(t, fit::LeakyModel(model::reference_well_function));
    const std::vector<double> r = residuals(t, e.value);
    const std::size_t n = r.size(), k = c.fitted.size();
    ASSERT_EQ(n - k, 60u) << c.name;
    // J by central differences in ln p.
    Matrix J(n, std::vector<double>(k));
    for (std::size_t a = 0; a < k; ++a) {
      constexpr double h = 1e-5;
      fit::Parameters up = e.value, down = e.value;
      up[c.fitted[a]] *= std::exp(h);
      down[c.fitted[a]] *= std::exp(-h);
      const std::vector<double> r_up = residuals(t, up), r_down = residuals(t, down);
      for (std::size_t i = 0; i < n; ++i) J[i][a] = (r_up[i] - r_down[i]) / (2.0 * h);
    }
    double ss = 0.0;
    for (double v : r) ss += v * v;
    const double sigma2 = ss / static_cast<double>(n - k);
    Matrix JtJ(k, std::vector<double>(k, 0.0));
    for (std::size_t a = 0; a < k; ++a)
      for (std::size_t b = 0; b < k; ++b)
        for (std::size_t i = 0; i < n; ++i) JtJ[a][b] += J[i][a] * J[i][b];
    const Matrix C = inverse(JtJ);
    for (std::size_t a = 0; a < k; ++a) {
      const std::size_t j = c.fitted[a];
      const double se_log = std::sqrt(sigma2 * C[a][a]);
      // SS/n instead of SS/(n - k) would be 1.7% (k = 2) or 2.5% (k = 3) off.
      EXPECT_NEAR(e.standard_error[j], e.value[j] * se_log, 2e-3 * e.value[j] * se_log)
          << c.name << ": " << fit::kParameterNames[j];
      // A 90% interval would be 16% narrower on the log scale.
      EXPECT_NEAR(std::log(e.interval[j][0]), std::log(e.value[j]) - kT60 * se_log, 2e-3 * se_log)
          << c.name << ": " << fit::kParameterNames[j];
      EXPECT_NEAR(std::log(e.interval[j][1]), std::log(e.value[j]) + kT60 * se_log, 2e-3 * se_log)
          << c.name << ": " << fit::kParameterNames[j];
      for (std::size_t b = 0; b < k; ++b)
        EXPECT_NEAR(e.correlation[j][c.fitted[b]], C[a][b] / std::sqrt(C[a][a] * C[b][b]), 2e-3)
            << c.name << ": " << fit::kParameterNames[j] << " and " << fit::kParameterNames[c.fitted[b]];
    }
    EXPECT_TRUE(e.determined) << c.name;
  }
}

// Readings whose last third lies exactly on Cooper and Jacob's straight line,
// s = Q / (4 pi T) ln(4 e^-gamma T t / (r^2 S)) with T in ft^2/d and Q in
// ft^3/d, and whose earlier ones rise at a quarter of its slope, give the
// starting estimate T and S of that line, however many readings: the window
// of the steepest slope (a third of the readings, found with running sums)
// is the last one.
TEST(Uncertainty, TheStartingEstimateTakesCooperJacobsLineFromTheSteepestThird) {
  constexpr double kGallonsPerCubicFoot = 1728.0 / 231.0, kEulerGamma = 0.57721566490153286;
  const double T = 30000.0, S = 2e-4, Q = 250000.0, r = 60.0;  // gpd/ft, -, gpd, ft
  const double T_ft2 = T / kGallonsPerCubicFoot, Q_ft3 = Q / kGallonsPerCubicFoot;
  const auto line = [&](double day) {
    return Q_ft3 / (4.0 * M_PI * T_ft2) * std::log(4.0 * std::exp(-kEulerGamma) * T_ft2 * day / (r * r * S));
  };
  for (int count : {12, 1000, 200000}) {
    fit::PumpingTest t;
    t.wells = {{"PW", 0.0, 0.0, {{0.0, Q}}}};
    fit::Observation o;
    o.x = r;
    const int steep = count - count / 3;  // the first reading on the line
    const double day_steep = 0.1 * std::pow(100.0, steep / (count - 1.0));
    for (int i = 0; i < count; ++i) {
      const double day = 0.1 * std::pow(100.0, i / (count - 1.0));
      const double s = i >= steep ? line(day) : line(day_steep) - (line(day_steep) - line(day)) / 4.0;
      o.readings.push_back({day, s, 0, day, s});
    }
    t.observations.push_back(o);
    t.fit = fit::default_settings("leaky");
    const fit::Parameters start = fit::leaky_starting_points(t).front();
    // The program's coefficients are given to 7 or 8 digits.
    EXPECT_NEAR(start[fit::kTransmissivity], T, 1e-5 * T) << count << " readings";
    EXPECT_NEAR(start[fit::kStorage], S, 1e-4 * S) << count << " readings";
  }
}

}  // namespace
