// The derivatives, for one rate change dq after t days at distance r, with
// u = a r^2 S / (T t), b = r / B = r sqrt(L / T) and s = k dq W(u, b) / T:
//   d s / d ln S = k dq / T * u W_u
//   d s / d ln L = k dq / T * (b / 2) W_b
//   d s / d ln T = k dq / T * (-W - u W_u - (b / 2) W_b)
// where u W_u = -exp(-u - b^2 / (4u)) in closed form and
// (b / 2) W_b = -c I2(u, c), c = b^2 / 4, by quadrature.

#include "fit/leaky_model.h"

#include <algorithm>
#include <cmath>
#include <limits>

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

}  // namespace fit
