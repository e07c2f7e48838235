// The leaky-aquifer model of the fit (Hantush and Jacob): transmissivity,
// storage and leakance, the drawdown at an observation point by the well
// function W(u, r/B) superposed over the wells' schedules, with its
// derivatives with respect to the logarithms of the parameters: what the
// fit's least squares minimise over.
#pragma once

#include <array>
#include <cstddef>

#include "fit/aquifer_model.h"
#include "fit/pumping_test.h"

namespace fit {

/// The leaky model's parameters, in the order of its Parameters.
enum Parameter { kTransmissivity = 0, kStorage = 1, kLeakance = 2 };
inline constexpr std::size_t kParameterCount = 3;
/// Their names as the test file and the reports write them.
inline constexpr std::array<const char*, kParameterCount> kParameterNames = {"transmissivity", "storage", "leakance"};

/// The leaky model's parameters: T gpd/ft, S, leakance gpd/ft^3, each with
/// the smallest and largest value the fit may give it.
const std::vector<ParameterInfo>& leaky_parameters();

/// c * I2(u, c), where I2(u, c) = integral from u to infinity of
/// exp(-y - c/y) / y^2 dy (c = (r/B)^2 / 4 >= 0, u > 0): the integral the
/// derivative of W with respect to r/B needs, dW/d(r/B) = -(r/B)/2 * I2. In
/// double to a relative error of about 1e-10 (Boost.Math quadrature); 0 for
/// c = 0.
double scaled_i2(double u, double c);

/// The drawdown in feet at (x, y) feet `day` days after pumping began, by the
/// drawdown formula of a study's exact mode: for each well and each step of
/// its schedule that began before `day`, the rate change after its elapsed
/// time at the well's distance (at least 1 foot), with the aquifer `p` (T, S,
/// leakance). With `with_gradient`, d drawdown / d ln T, d ln S, d ln leakance.
Modelled modelled_drawdown(const PumpingTest& test, double x, double y, double day, const Parameters& p,
                           WellFunction W, bool with_gradient);

/// The starting values of the leaky model: the type-curve estimate (the
/// straight line of the steepest readings on a log time axis, as in Cooper
/// and Jacob's method) and points around it, and the values the test gives.
std::vector<Parameters> leaky_starting_points(const PumpingTest& test);

/// The leaky model with the well function `W`.
class LeakyModel final : public AquiferModel {
 public:
  explicit LeakyModel(WellFunction W) : W_(W) {}
  std::string_view solution() const override { return "the leaky-aquifer solution"; }
  const std::vector<ParameterInfo>& parameters() const override { return leaky_parameters(); }
  Modelled drawdown(const PumpingTest& test, double x, double y, double day, const Parameters& p,
                    bool with_gradient) const override {
    return modelled_drawdown(test, x, y, day, p, W_, with_gradient);
  }
  std::unique_ptr<ceres::CostFunction> cost(const PumpingTest& test,
                                            const std::vector<std::size_t>& fitted) const override;
  std::vector<Parameters> starting_points(const PumpingTest& test) const override {
    return leaky_starting_points(test);
  }
  std::vector<Shown> forms(std::size_t j, const Units& u) const override;
  std::string note(std::size_t j, const Units& u, double value, std::array<double, 2> interval) const override;
  std::vector<std::size_t> aquifer_order() const override { return {kTransmissivity, kLeakance, kStorage}; }

 private:
  WellFunction W_;
};

}  // namespace fit
