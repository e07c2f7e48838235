// The leaky model's starting points: the type-curve estimate of T and S
// from the readings (Cooper and Jacob's straight line) and points around it.
#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

#include "fit/leaky_model.h"
#include "model/true_drawdown.h"

namespace fit {
namespace {

constexpr double kEulerGamma = 0.57721566490153286;

// The type-curve estimate of T and S from one observation: the straight line
// s = m ln t + c through its steepest third of readings on a log time axis
// (the late readings of a confined aquifer, those around the inflection of a
// leaky one) gives T = k (Q / 1440) / m and, where the line crosses 0 at t0,
// S = T t0 e^-gamma / (a r^2).
bool straight_line_estimate(const PumpingTest& test, const Observation& o, double& T, double& S) {
  const std::size_t n = o.readings.size(), window = std::max<std::size_t>(4, n / 3);
  if (n < window || test.wells.empty()) return false;
  double Q = 0.0, r = std::numeric_limits<double>::infinity();
  for (const Well& w : test.wells) {
    if (!w.steps.empty()) Q += w.steps.front().rate;
    r = std::min(r, model::true_distance(o.x - w.x, o.y - w.y));
  }
  // The window of steepest slope, found with running sums (linear in the
  // readings) of times and drawdowns shifted to about the middle reading, so
  // that little cancels, and summed afresh once per window's length; the
  // slope does not depend on the shift. The line then from the window's own
  // sums, unshifted.
  std::vector<double> log_day(n);
  for (std::size_t i = 0; i < n; ++i) log_day[i] = std::log(o.readings[i].day);
  const double x_mid = log_day[n / 2], y_mid = o.readings[n / 2].drawdown;
  const auto sums = [&](std::size_t first, double x_shift, double y_shift, std::array<double, 4>& s) {
    s = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t i = first; i < first + window; ++i) {
      const double x = log_day[i] - x_shift, y = o.readings[i].drawdown - y_shift;
      s[0] += x, s[1] += y, s[2] += x * x, s[3] += x * y;
    }
  };
  const double k = static_cast<double>(window);
  const auto slope_of = [k](const std::array<double, 4>& s) { return (k * s[3] - s[0] * s[1]) / (k * s[2] - s[0] * s[0]); };
  std::array<double, 4> s;
  sums(0, x_mid, y_mid, s);
  double m = 0.0;
  std::size_t best = n;
  for (std::size_t first = 0;; ++first) {
    if (const double slope = slope_of(s); slope > m) m = slope, best = first;
    if (first + window >= n) break;
    if ((first + 1) % window == 0) {
      sums(first + 1, x_mid, y_mid, s);
      continue;
    }
    const double x0 = log_day[first] - x_mid, y0 = o.readings[first].drawdown - y_mid;
    const double x1 = log_day[first + window] - x_mid, y1 = o.readings[first + window].drawdown - y_mid;
    s[0] += x1 - x0, s[1] += y1 - y0, s[2] += x1 * x1 - x0 * x0, s[3] += x1 * y1 - x0 * y0;
  }
  if (best == n) return false;
  sums(best, 0.0, 0.0, s);
  m = slope_of(s);
  const double c = (s[1] - m * s[0]) / k;
  T = model::kTrueDrawdownCoefficient * (Q / 1440.0) / m;
  S = T * std::exp(-c / m) * std::exp(-kEulerGamma) / (model::kTrueUCoefficient * r * r);
  return std::isfinite(T) && std::isfinite(S) && T > 0.0 && S > 0.0;
}

double clamped(std::size_t j, double v) {
  const ParameterInfo& p = leaky_parameters()[j];
  return std::clamp(v, p.lower * 1.01, p.upper / 1.01);
}

}  // namespace

std::vector<Parameters> leaky_starting_points(const PumpingTest& test) {
  // The type-curve estimate, averaged in log over the observations.
  double log_T = 0.0, log_S = 0.0, r2 = 0.0;
  int n = 0;
  for (const Observation& o : test.observations) {
    double T = 0.0, S = 0.0;
    if (!straight_line_estimate(test, o, T, S)) continue;
    log_T += std::log(T), log_S += std::log(S), ++n;
    for (const Well& w : test.wells) r2 += (o.x - w.x) * (o.x - w.x) + (o.y - w.y) * (o.y - w.y);
  }
  const double T0 = n > 0 ? std::exp(log_T / n) : 10000.0;
  const double S0 = n > 0 ? std::exp(log_S / n) : 1e-4;
  const double r_mean = n > 0 ? std::sqrt(r2 / (n * test.wells.size())) : 100.0;
  const FitSettings& f = test.fit;
  std::vector<Parameters> starts;
  for (const auto& [t, s] : {std::pair{1.0, 1.0}, {4.0, 0.03}, {0.25, 30.0}})
    for (double b : {0.03, 0.3, 1.5}) {
      Parameters p = f.fixed;
      p[kTransmissivity] = T0 * t;
      p[kStorage] = S0 * s;
      // r/B = b at the observations' mean distance: L = T (b / r)^2.
      p[kLeakance] = p[kTransmissivity] * (b / r_mean) * (b / r_mean);
      starts.push_back(p);
    }
  // The values the test gives, where given, as one more start.
  Parameters given = starts.front();
  for (std::size_t j = 0; j < kParameterCount; ++j) given[j] = f.start[j].value_or(given[j]);
  starts.push_back(given);
  for (Parameters& p : starts)
    for (std::size_t j = 0; j < kParameterCount; ++j) p[j] = f.fitted[j] ? clamped(j, p[j]) : f.fixed[j];
  return starts;
}

}  // namespace fit
