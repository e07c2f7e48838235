// The exact leaky well function, by Boost.Math's double-exponential quadrature.
//
// With y = u e^t, dy / y = dt and
//   W(u, b) = integral over t in [0, inf) of exp(-f(u e^t)),  f(y) = y + c / y,
// c = b*b/4: an integrand bounded by 1, smooth, falling doubly exponentially
// once y passes max(1, b/2). f is smallest at y = b/2 (f = b), so on [u, inf)
// at y_min = max(u, b/2), where it is f_min. The integral is taken of
// exp(-(f - f_min)), whose largest value is 1, and multiplied by exp(-f_min)
// at the end: no underflow inside the quadrature while the answer is a
// normal double.
//
// Three pieces, each a shape double-exponential rules integrate to full
// precision within a few levels:
//   [t_0, t_min]  tanh-sinh: the rise to the peak (empty when u >= b/2),
//                 from where the integrand passes e^-800 of its peak;
//   [t_min, t_1]  tanh-sinh: the plateau up to y = max(1, y_min), where
//                 exp(-y) starts to fall (the long stretch when u is small
//                 and b is 0: about ln(1/u));
//   [t_1, inf)    exp-sinh: the fall.

#include "model/reference_well_function.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <boost/math/quadrature/exp_sinh.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>
#include <boost/math/special_functions/bessel.hpp>

namespace model {
namespace {

// Asked of each piece; the double-exponential rules converge so fast that the
// error left after meeting it is far smaller (tests hold the whole to 1e-10).
constexpr double kTolerance = 1e-12;

}  // namespace

double reference_well_function(double u, double rb) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  if (std::isnan(u) || std::isnan(rb)) return std::numeric_limits<double>::quiet_NaN();
  const double b = std::fabs(rb);
  if (u < 0.0) return std::numeric_limits<double>::quiet_NaN();
  if (u == kInf || b == kInf) return 0.0;
  if (u == 0.0) return b == 0.0 ? kInf : 2.0 * boost::math::cyl_bessel_k(0, b);

  const double c = b * b / 4.0;
  const double y_min = std::max(u, b / 2.0);
  const double f_min = u >= b / 2.0 ? u + c / u : b;
  if (!(f_min < 800.0)) return 0.0;  // below the smallest double, whatever the integral's scale
  // exp(-(f(y) - f_min)) at y = u e^t. t reaches ln(1/u) and beyond, where e^t
  // overflows for u below about e^-700: there y is e^(t + ln u) instead.
  const bool tiny_u = u < 1e-250;
  const double ln_u = std::log(u);
  auto g = [u, c, f_min, tiny_u, ln_u](double t) {
    const double y = tiny_u ? std::exp(t + ln_u) : u * std::exp(t);
    const double e = y + c / y - f_min;
    return std::exp(-std::max(e, 0.0));
  };
  const double t_min = std::log(y_min) - ln_u;  // no overflow for the smallest u
  // Below u_lo = c / (f_min + 800) the integrand lies below e^-800 of its
  // peak (there f > c/y >= f_min + 800): the rise starts at u_lo, not at u.
  // Far below b/2 (u = 1e-30 with b = 1e-3, say) the rise from u would span
  // dozens of units of t with the whole integral in its last one, and the
  // rule could stop before it saw the peak.
  const double t_0 = u < b / 2.0 ? std::clamp(std::log(c / (f_min + 800.0)) - ln_u, 0.0, t_min) : 0.0;
  const double t_1 = std::max(t_min, std::log(std::max(1.0, y_min)) - ln_u);

  // Built once (their tables of abscissae and weights); Boost extends the
  // tables under a lock, so one pair serves every thread.
  static boost::math::quadrature::tanh_sinh<double> finite;
  static boost::math::quadrature::exp_sinh<double> infinite;
  // tanh-sinh through its two-argument form (abscissa, distance to the
  // nearer end): the one-argument form of Boost 1.74 asserts on abscissae that
  // round onto an end, which a smooth integrand like this one does not mind.
  auto g2 = [&g](double t, double) { return g(t); };
  double sum = 0.0;
  if (t_min > t_0) sum += finite.integrate(g2, t_0, t_min, kTolerance);
  if (t_1 > t_min) sum += finite.integrate(g2, t_min, t_1, kTolerance);
  sum += infinite.integrate([&](double s) { return g(t_1 + s); }, 0.0, kInf, kTolerance);
  return sum * std::exp(-f_min);
}

}  // namespace model
