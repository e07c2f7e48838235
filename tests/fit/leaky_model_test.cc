// The fit's model: the drawdown of a schedule by superposition, and its
// derivatives with respect to the logarithms of T, S and leakance.
#include "fit/leaky_model.h"

#include <gtest/gtest.h>

#include <cmath>

#include <boost/math/special_functions/bessel.hpp>

#include "model/reference_well_function.h"

namespace {

TEST(LeakyModel, ScaledI2ReachesBK1OfBWhenUVanishes) {
  // c I2(u, c) -> b K1(b), b = 2 sqrt(c), as u -> 0: the integral from 0 of
  // exp(-y - c/y) / y^2 is (4 / b^2) b K1(b).
  for (double b : {0.01, 0.1, 0.5, 1.0, 3.0, 10.0}) {
    const double expected = b * boost::math::cyl_bessel_k(1, b);
    EXPECT_NEAR(fit::scaled_i2(1e-12, b * b / 4.0), expected, 1e-9 * expected) << "b = " << b;
  }
  EXPECT_EQ(fit::scaled_i2(0.5, 0.0), 0.0);
}

TEST(LeakyModel, ScaledI2IsTheIntegralOfTheDerivative) {
  // c I2 = I0 - exp(-u - c/u), I0 = integral from u of exp(-y - c/y) dy: and
  // d W / d c = -I2, checked by central differences of W in c.
  for (double u : {1e-4, 0.01, 0.3, 2.0})
    for (double b : {0.05, 0.5, 2.0}) {
      const double c = b * b / 4.0, h = 1e-4 * c;
      const double dW_dc = (model::reference_well_function(u, 2.0 * std::sqrt(c + h)) -
                            model::reference_well_function(u, 2.0 * std::sqrt(c - h))) /
                           (2.0 * h);
      EXPECT_NEAR(fit::scaled_i2(u, c), -c * dW_dc, 1e-6 * std::fabs(c * dW_dc)) << "u " << u << ", b " << b;
    }
}

TEST(LeakyModel, TheGradientIsTheDerivativeOfTheDrawdownInLogParameters) {
  fit::PumpingTest test;
  test.wells = {{"PW", 0.0, 0.0, {{0.0, 200000.0}, {0.5, 350000.0}, {2.0, 0.0}}}};
  const fit::Parameters p = {20000.0, 3e-4, 2e-3};
  for (double day : {0.01, 0.7, 3.0})
    for (double r : {0.3, 50.0, 800.0}) {
      const fit::Modelled m = fit::modelled_drawdown(test, r, 0.0, day, p, model::reference_well_function, true);
      for (std::size_t j = 0; j < fit::kParameterCount; ++j) {
        fit::Parameters up = p, down = p;
        up[j] *= std::exp(1e-5);
        down[j] *= std::exp(-1e-5);
        const double difference =
            (fit::modelled_drawdown(test, r, 0.0, day, up, model::reference_well_function, false).drawdown -
             fit::modelled_drawdown(test, r, 0.0, day, down, model::reference_well_function, false).drawdown) /
            2e-5;
        EXPECT_NEAR(m.gradient[j], difference, 1e-6 * std::fabs(m.drawdown) + 1e-12)
            << fit::kParameterNames[j] << " at day " << day << ", r " << r;
      }
    }
}

TEST(LeakyModel, ASchedulesStepsSuperposeTheirChangesOfRate) {
  // Q1 W(t) + (Q2 - Q1) W(t - t1) + (0 - Q2) W(t - t2), each by the drawdown
  // formula in feet, r = 100 ft, no leakage.
  fit::PumpingTest test;
  test.wells = {{"PW", 0.0, 0.0, {{0.0, 100000.0}, {1.0, 300000.0}, {3.0, 0.0}}}};
  const fit::Parameters p = {10000.0, 1e-4, 0.0};
  auto one = [&](double q, double t) {
    const double u = 1.87025 * 100.0 * 100.0 * 1e-4 / (10000.0 * t);
    return 114.59156 * (q / 1440.0) * model::reference_well_function(u, 0.0) / 10000.0;
  };
  const double expected = one(100000.0, 5.0) + one(200000.0, 4.0) + one(-300000.0, 2.0);
  EXPECT_NEAR(fit::modelled_drawdown(test, 100.0, 0.0, 5.0, p, model::reference_well_function, false).drawdown, expected,
              1e-12 * std::fabs(expected) + 1e-15);
  EXPECT_EQ(fit::modelled_drawdown(test, 100.0, 0.0, 0.0, p, model::reference_well_function, false).drawdown, 0.0)
      << "nothing before pumping begins";
}

}  // namespace
