// Stream depletion by closed forms through erfcx, and by double-exponential
// quadrature (Boost.Math) where none exists (a quadrant of two streams, the
// volume).
//
// The leaky closed form (1/2) [e^(-2c) erfc(x - y) + e^(2c) erfc(x + y)],
// y = c/x, has a huge and a tiny factor in each term once c or x is large.
// With 2c = 2xy the second term is e^(-x^2 - y^2) erfcx(x + y), and so is the
// first, e^(-x^2 - y^2) erfcx(x - y), when x >= y (else erfc(x - y) lies in
// (1, 2] and e^(-2xy) is harmless): two positive terms, no cancellation, no
// overflow.

#include "model/stream_depletion.h"

#include <algorithm>
#include <cmath>

#include <boost/math/quadrature/exp_sinh.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>

namespace model {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kTwoOverRootPi = 1.1283791670955125739;  // 2 / sqrt(pi)
constexpr double kOneOverRootPi = 0.56418958354775628695;  // 1 / sqrt(pi)
constexpr double kQuadratureTolerance = 1e-12;
constexpr double kVolumeTolerance = 1e-10;
// Beyond this, erfcx by its asymptotic series: the terms (2k-1)!! / (2z^2)^k
// fall below 1e-17 by k = 8.
constexpr double kAsymptotic = 25.0;

// Built once (their tables of abscissae and weights); Boost extends the tables
// under a lock, so one of each serves every thread.
boost::math::quadrature::tanh_sinh<double>& finite_rule() {
  static boost::math::quadrature::tanh_sinh<double> rule;
  return rule;
}
boost::math::quadrature::exp_sinh<double>& infinite_rule() {
  static boost::math::quadrature::exp_sinh<double> rule;
  return rule;
}

// x = d / sqrt(4 nu t) and c = d / (2B).
double scaled_distance(double d, double t, double nu) { return d / std::sqrt(4.0 * nu * t); }
double leakage_ratio(double d, double B) { return std::isinf(B) ? 0.0 : d / (2.0 * B); }

}  // namespace

double erfcx(double z) {
  if (std::isnan(z)) return z;
  if (z < 0.0) return 2.0 * std::exp(z * z) - erfcx(-z);
  if (z < kAsymptotic) {
    // e^(z^2) with z^2 split exactly into hi + lo: no error from rounding z^2.
    const double hi = z * z;
    const double lo = std::fma(z, z, -hi);
    return std::exp(hi) * (1.0 + lo) * std::erfc(z);
  }
  if (std::isinf(z)) return 0.0;
  const double w = 1.0 / (2.0 * z * z);
  double term = 1.0, sum = 1.0;
  for (int k = 1; k <= 9; ++k) {
    term *= -static_cast<double>(2 * k - 1) * w;
    sum += term;
  }
  return kOneOverRootPi / z * sum;
}

double stream_depletion(double d, double t, const DepletionAquifer& a) {
  if (!(t > 0.0)) return 0.0;
  if (std::isinf(t)) return std::exp(-2.0 * leakage_ratio(d, a.leakage_factor));
  const double x = scaled_distance(d, t, a.diffusivity);
  const double y = std::isinf(a.leakage_factor) ? 0.0 : std::sqrt(a.diffusivity * t) / a.leakage_factor;
  const double outer = std::exp(-(x * x + y * y));
  const double first = x >= y ? outer * erfcx(x - y) : std::exp(-2.0 * x * y) * std::erfc(x - y);
  return 0.5 * (first + outer * erfcx(x + y));
}

double streambed_depletion(double d, double t, double diffusivity, double transmissivity, double lambda) {
  if (!(t > 0.0) || lambda == 0.0) return 0.0;
  const double x = scaled_distance(d, t, diffusivity);
  const double z = lambda * std::sqrt(diffusivity * t) / (2.0 * transmissivity);
  return std::max(0.0, std::erfc(x) - std::exp(-x * x) * erfcx(x + z));
}

double corner_depletion(double d, double e, double t, const DepletionAquifer& a) {
  if (!(t > 0.0)) return 0.0;
  const double x = scaled_distance(d, t, a.diffusivity);
  const double c = leakage_ratio(d, a.leakage_factor);
  const double k = e / d;
  // The exponent sigma^2 + c^2/sigma^2 is least on [x, inf) at sigma_0; it is
  // taken out of the integrand, whose largest factor is then 1.
  const double sigma_0 = std::max(x, std::sqrt(c));
  const double f_min = sigma_0 * sigma_0 + (c > 0.0 ? c * c / (sigma_0 * sigma_0) : 0.0);
  if (!(f_min < 745.0)) return 0.0;
  auto g = [c, k, f_min](double sigma) {
    if (!(sigma > 0.0)) return 0.0;
    const double f = sigma * sigma + c * c / (sigma * sigma) - f_min;
    return std::exp(-std::max(f, 0.0)) * std::erf(k * sigma);
  };
  double sum = 0.0;
  // The rise to the peak, from where the integrand is below e^-800 of it.
  const double from = std::max(x, c / std::sqrt(f_min + 800.0));
  if (sigma_0 > from)
    sum += finite_rule().integrate([&g](double s, double) { return g(s); }, from, sigma_0, kQuadratureTolerance);
  sum += infinite_rule().integrate([&g, sigma_0](double s) { return g(sigma_0 + s); }, 0.0, kInf,
                                   kQuadratureTolerance);
  return kTwoOverRootPi * std::exp(-f_min) * sum;
}

double depletion_volume(const std::function<double(double)>& fraction, double t) {
  if (!(t > 0.0)) return 0.0;
  return finite_rule().integrate([&fraction](double tau, double) { return fraction(tau); }, 0.0, t,
                                 kVolumeTolerance);
}

}  // namespace model
