// The contour levels. (The lines are traced by GDAL's contour generator in the
// GIS module, src/gis/gdal.)
#include "gis/contour.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gis {

bool is_well_node(const engine::EvaluatedGrid& e, std::int32_t c, std::int32_t r) {
  for (const engine::Well& w : e.wells)
    if (std::isfinite(w.x) && std::isfinite(w.y) &&
        std::hypot((c - static_cast<double>(w.x)) * e.SPACING, (r - static_cast<double>(w.y)) * e.SPACING) <= 1.0)
      return true;
  return false;
}

Drawdowns drawdowns(const engine::EvaluatedGrid& e) {
  // The two highest and two lowest cells.
  struct Cell {
    double v;
    std::int32_t c, r;
  };
  constexpr double kInf = std::numeric_limits<double>::infinity();
  Cell top{-kInf, 0, 0}, bottom{kInf, 0, 0};
  double second_top = -kInf, second_bottom = kInf;
  std::size_t count = 0;
  if (e.DD == nullptr) return Drawdowns{};
  for (std::int32_t r = 1; r <= e.NY; ++r)
    for (std::int32_t c = 1; c <= e.NX; ++c) {
      const double v = (*e.DD)(c, r);
      if (!std::isfinite(v)) continue;
      ++count;
      if (v > top.v) second_top = top.v, top = Cell{v, c, r};
      else second_top = std::max(second_top, v);
      if (v < bottom.v) second_bottom = bottom.v, bottom = Cell{v, c, r};
      else second_bottom = std::min(second_bottom, v);
    }
  Drawdowns d;
  if (count == 0) return d;
  d.any = true;
  d.lo = d.lo_off_wells = bottom.v;
  d.hi = d.hi_off_wells = top.v;
  if (count > 1 && is_well_node(e, top.c, top.r)) d.hi_off_wells = second_top;
  if (count > 1 && is_well_node(e, bottom.c, bottom.r)) d.lo_off_wells = second_bottom;
  return d;
}

Drawdowns drawdowns(std::span<const engine::EvaluatedGrid> times) {
  Drawdowns all;
  for (const engine::EvaluatedGrid& e : times) {
    const Drawdowns d = drawdowns(e);
    if (!d.any) continue;
    if (!all.any) {
      all = d;
      continue;
    }
    all.lo = std::min(all.lo, d.lo), all.hi = std::max(all.hi, d.hi);
    all.lo_off_wells = std::min(all.lo_off_wells, d.lo_off_wells);
    all.hi_off_wells = std::max(all.hi_off_wells, d.hi_off_wells);
  }
  return all;
}

RoundLevels round_levels(std::span<const engine::EvaluatedGrid> times) {
  const Drawdowns d = drawdowns(times);
  double lo = 0.0, hi = 1.0;
  if (d.any) lo = d.lo_off_wells, hi = d.hi_off_wells;
  if (lo == hi) lo -= 0.5, hi += 0.5;
  RoundLevels r;
  r.interval = round_interval(lo, hi, 12);
  r.levels = contour_levels(lo, hi, r.interval);
  return r;
}

std::vector<double> levels_for(std::span<const engine::EvaluatedGrid> times, std::span<const double> requested) {
  if (requested.empty()) return round_levels(times).levels;
  std::vector<double> levels(requested.begin(), requested.end());
  std::sort(levels.begin(), levels.end());
  return levels;
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

}  // namespace gis
