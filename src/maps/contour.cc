// The contour levels. (The lines are traced by GDAL's contour generator in the
// GIS module, src/maps/gdal.)
#include "maps/contour.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace maps {

std::vector<double> levels_for(std::span<const engine::EvaluatedGrid> times, std::span<const double> requested) {
  if (!requested.empty()) {
    std::vector<double> levels(requested.begin(), requested.end());
    std::sort(levels.begin(), levels.end());
    return levels;
  }
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (const engine::EvaluatedGrid& e : times) {
    if (e.DD == nullptr) continue;
    for (std::int32_t r = 1; r <= e.NY; ++r)
      for (std::int32_t c = 1; c <= e.NX; ++c) {
        const float v = (*e.DD)(c, r);
        if (!std::isfinite(v)) continue;
        lo = std::min(lo, static_cast<double>(v));
        hi = std::max(hi, static_cast<double>(v));
      }
  }
  if (lo > hi) lo = 0.0, hi = 1.0;
  if (lo == hi) lo -= 0.5, hi += 0.5;
  return contour_levels(lo, hi, round_interval(lo, hi, 12));
}

double round_interval(double lo, double hi, int intervals) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo || intervals < 1) return 0.0;
  const double raw = (hi - lo) / intervals;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 2.5, 5.0})
    if (m * power >= raw * (1 - 1e-9)) return m * power;
  return 10.0 * power;
}

std::vector<double> contour_levels(double lo, double hi, double step) {
  std::vector<double> levels;
  if (!(step > 0.0) || !std::isfinite(lo) || !std::isfinite(hi)) return levels;
  // A step too fine for the magnitude of the values (or for a readable map)
  // gives no levels rather than a loop that cannot advance.
  if ((hi - lo) / step > 1000.0 || std::fabs(lo / step) > 1e12 || std::fabs(hi / step) > 1e12) return levels;
  // Levels are k * step, computed by multiplication so that they are as round
  // as a double allows (no drift from repeated addition).
  for (double k = std::floor(lo / step); k * step < hi; k += 1.0) {
    const double level = k * step;
    if (level > lo) levels.push_back(level);
  }
  return levels;
}

int decimals_for(double step) {
  if (!(step > 0.0)) return 0;
  for (int d = 0; d < 12; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) < 1e-9 * scaled) return d;
  }
  return 12;
}

}  // namespace maps
