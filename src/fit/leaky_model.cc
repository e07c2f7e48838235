// The derivatives, for one rate change dq after t days at distance r, with
// u = a r^2 S / (T t), b = r / B = r sqrt(L / T) and s = k dq W(u, b) / T:
//   d s / d ln S = k dq / T * u W_u
//   d s / d ln L = k dq / T * (b / 2) W_b
//   d s / d ln T = k dq / T * (-W - u W_u - (b / 2) W_b)
// where u W_u = -exp(-u - b^2 / (4u)) in closed form and
// (b / 2) W_b = -c I2(u, c), c = b^2 / 4, by quadrature.

#include "fit/leaky_model.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <cmath>
#include <limits>

#include <ceres/ceres.h>
#include <boost/math/quadrature/exp_sinh.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>

#include "model/true_drawdown.h"

namespace fit {

double scaled_i2(double u, double c) {
  if (!(c > 0.0)) return 0.0;
  // With y = u e^t: c I2 = (c / u) * integral over t >= 0 of exp(g(t)),
  // g(t) = -t - u e^t - (c / u) e^-t, largest where e^t = x below (or at 0).
  const double k = c / u;
  const double x = (std::sqrt(1.0 + 4.0 * c) - 1.0) / (2.0 * u);
  const double t_peak = x > 1.0 ? std::log(x) : 0.0;
  auto g = [u, k](double t) { return -t - u * std::exp(t) - k * std::exp(-t); };
  const double g_peak = g(t_peak);
  if (!std::isfinite(g_peak) || g_peak + std::log(k) < -745.0) return 0.0;
  auto h = [&](double t) { return std::exp(g(t) - g_peak); };
  constexpr double kTolerance = 1e-11;
  static boost::math::quadrature::tanh_sinh<double> finite;
  static boost::math::quadrature::exp_sinh<double> infinite;
  double sum = 0.0;
  if (t_peak > 0.0) sum += finite.integrate([&](double t, double) { return h(t); }, 0.0, t_peak, kTolerance);
  sum += infinite.integrate([&](double s) { return h(t_peak + s); }, 0.0, std::numeric_limits<double>::infinity(),
                            kTolerance);
  return k * sum * std::exp(g_peak);
}

Modelled modelled_drawdown(const PumpingTest& test, double x, double y, double day, const Parameters& p,
                           WellFunction W, bool with_gradient) {
  const double T = p[kTransmissivity], S = p[kStorage], L = p[kLeakance];
  const double B = model::leakage_factor(T, L);
  Modelled m;
  if (with_gradient) m.gradient.assign(kParameterCount, 0.0);
  for (const Well& w : test.wells) {
    const double r = model::true_distance(x - w.x, y - w.y);
    const double b = r / B;
    double before = 0.0;
    for (const Step& step : w.steps) {
      if (!(step.day < day)) break;
      const double dq = step.rate - before;
      before = step.rate;
      const double u = model::true_u(r, S, T, day - step.day);
      const double value = W(u, b);
      m.drawdown += model::true_drawdown(dq, value, T);
      if (!with_gradient) continue;
      const double per_w = model::true_drawdown(dq, 1.0, T);
      const double u_wu = -std::exp(-u - b * b / (4.0 * u));
      const double b_wb = -scaled_i2(u, b * b / 4.0);
      m.gradient[kStorage] += per_w * u_wu;
      m.gradient[kLeakance] += per_w * b_wb;
      m.gradient[kTransmissivity] += per_w * (-value - u_wu - b_wb);
    }
  }
  return m;
}

namespace {

// The leaky model's cost functor: the residuals sqrt(w) (observed -
// modelled) of every reading, with their Jacobian over the logarithms of the
// fitted parameters (in closed form and by quadrature, see above).
class LeakyResiduals final : public ceres::CostFunction {
 public:
  LeakyResiduals(const PumpingTest& test, WellFunction W, std::vector<std::size_t> fitted)
      : test_(test), W_(W), fitted_(std::move(fitted)) {
    std::size_t n = 0;
    for (const Observation& o : test.observations) n += o.readings.size();
    set_num_residuals(static_cast<int>(n));
    mutable_parameter_block_sizes()->push_back(static_cast<int>(fitted_.size()));
  }

  bool Evaluate(double const* const* logs, double* residuals, double** jacobians) const override {
    const Parameters p = with_coordinates(leaky_parameters(), fitted_, test_.fit.fixed, logs[0]);
    const bool gradient = jacobians != nullptr && jacobians[0] != nullptr;
    std::size_t i = 0;
    for (const Observation& o : test_.observations) {
      const double root_w = std::sqrt(o.weight);
      for (const Reading& r : o.readings) {
        const Modelled m = modelled_drawdown(test_, o.x, o.y, r.day, p, W_, gradient);
        residuals[i] = root_w * (r.drawdown - m.drawdown);
        if (!std::isfinite(residuals[i])) return false;
        for (std::size_t j = 0; gradient && j < fitted_.size(); ++j)
          jacobians[0][i * fitted_.size() + j] = -root_w * m.gradient[fitted_[j]];
        ++i;
      }
    }
    return true;
  }

 private:
  const PumpingTest& test_;
  WellFunction W_;
  std::vector<std::size_t> fitted_;
};

}  // namespace

const std::vector<ParameterInfo>& leaky_parameters() {
  // A metric study takes T in m2/d and the leakance in 1/d.
  static const std::vector<ParameterInfo> kParameters = {
      {"transmissivity", "gpd/ft", 1e-3, 1e10, true, false, false,
       transmissivity_in(1.0, Units{{"m", 1.0 / kMetresPerFoot}, {"d", 1.0}, {"gpd", 1.0}}), "m2/d"},
      {"storage", "", 1e-12, 1.0, true, false, false, 1.0, ""},
      {"leakance", "gpd/ft^3", 1e-16, 1e3, true, true, true, 1.0 / kGallonsPerCubicFoot, "1/d"},
  };
  return kParameters;
}

std::unique_ptr<ceres::CostFunction> LeakyModel::cost(const PumpingTest& test,
                                                      const std::vector<std::size_t>& fitted) const {
  return std::make_unique<LeakyResiduals>(test, W_, fitted);
}

std::vector<Shown> LeakyModel::forms(std::size_t j, const Units& u) const {
  // T also in length^2/time of the test (and m2/d for a metric test in other
  // time units); the leakance as 1/time of the test.
  const double gpd_ft = transmissivity_in(1.0, u);
  const std::string area = u.length.name == "ft" ? "ft2" : "m2";
  if (j == kTransmissivity) {
    std::vector<Shown> f = {{1.0, "gpd/ft"}, {gpd_ft, area + "/" + std::string(u.time.name)}};
    if (u.metric() && u.time.name != "d") f.push_back({transmissivity_in(1.0, Units{u.length, {"d", 1.0}, u.rate}), "m2/d"});
    return f;
  }
  if (j == kLeakance) return {{1.0, "gpd/ft3"}, {u.time.factor / kGallonsPerCubicFoot, "1/" + std::string(u.time.name)}};
  return {{1.0, ""}};
}

std::string LeakyModel::note(std::size_t j, const Units& u, double value, std::array<double, 2> interval) const {
  if (j != kLeakance || !u.metric()) return "";
  // The confining bed's resistance c = 1/leakance in days.
  const auto g = [](double v) {
    char text[48];
    std::snprintf(text, sizeof text, "%.5g", v);
    return std::string(text);
  };
  return std::string(16, ' ') + "resistance c = b'/K' " + g(resistance_days(value)) + " d (95%: " +
         g(resistance_days(interval[1])) + " to " + g(resistance_days(interval[0])) + " d)\n";
}

}  // namespace fit
