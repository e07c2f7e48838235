#include "maps/plot_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

#include "maps/contour.h"
#include "maps/plot.h"
#include "maps/plot_text.h"

namespace maps {
namespace picture {

std::pair<double, double> node_span(std::int32_t n) {
  return n > 1 ? std::pair{1.0, static_cast<double>(n)} : std::pair{0.5, 1.5};
}

std::vector<double> ticks(double lo, double hi, double step) {
  std::vector<double> t;
  if (!(step > 0.0)) return t;
  const double slack = step * 1e-9;
  for (double k = std::ceil((lo - slack) / step); k * step <= hi + slack && t.size() < 100; k += 1.0)
    t.push_back(k * step);
  return t;
}

std::pair<double, double> value_range(const engine::EvaluatedGrid& e) {
  double lo = std::numeric_limits<double>::infinity(), hi = -lo;
  for (std::int32_t r = 1; r <= e.NY; ++r)
    for (std::int32_t c = 1; c <= e.NX; ++c) {
      const float v = (*e.DD)(c, r);
      if (!std::isfinite(v)) continue;
      lo = std::min(lo, static_cast<double>(v));
      hi = std::max(hi, static_cast<double>(v));
    }
  if (lo > hi) return {0.0, 1.0};
  if (lo == hi) return {lo - 0.5, hi + 0.5};
  return {lo, hi};
}

bool finite_well(const engine::Well& w) { return std::isfinite(w.x) && std::isfinite(w.y); }

}  // namespace picture

using namespace picture;

PlotLayout plot_layout(const engine::EvaluatedGrid& e) {
  PlotLayout l;

  // The area shown: the nodes, widened where a well lies outside them.
  const auto [c0, c1] = node_span(e.NX);
  const auto [r0, r1] = node_span(e.NY);
  l.x0 = node_x(e, c0), l.x1 = node_x(e, c1), l.y0 = node_y(e, r0), l.y1 = node_y(e, r1);
  double wx0 = l.x0, wx1 = l.x1, wy0 = l.y0, wy1 = l.y1;
  for (const engine::Well& w : e.wells) {
    if (!finite_well(w)) continue;
    wx0 = std::min(wx0, node_x(e, w.x)), wx1 = std::max(wx1, node_x(e, w.x));
    wy0 = std::min(wy0, node_y(e, w.y)), wy1 = std::max(wy1, node_y(e, w.y));
  }
  // Room for the marker of a well outside the nodes.
  const double margin = 0.03 * std::max(wx1 - wx0, wy1 - wy0);
  if (wx0 < l.x0) l.x0 = wx0 - margin;
  if (wx1 > l.x1) l.x1 = wx1 + margin;
  if (wy0 < l.y0) l.y0 = wy0 - margin;
  if (wy1 > l.y1) l.y1 = wy1 + margin;

  // One scale for both directions; a thin map gets room around it.
  const double scale = std::min(kMapMaxWidth / (l.x1 - l.x0), kMapMaxHeight / (l.y1 - l.y0));
  if ((l.x1 - l.x0) * scale < kMapMinSide) {
    const double grow = (kMapMinSide / scale - (l.x1 - l.x0)) / 2;
    l.x0 -= grow, l.x1 += grow;
  }
  if ((l.y1 - l.y0) * scale < kMapMinSide) {
    const double grow = (kMapMinSide / scale - (l.y1 - l.y0)) / 2;
    l.y0 -= grow, l.y1 += grow;
  }
  l.map_width = (l.x1 - l.x0) * scale;
  l.map_height = (l.y1 - l.y0) * scale;

  std::tie(l.lo, l.hi) = value_range(e);
  l.interval = round_interval(l.lo, l.hi, 12);
  l.levels = contour_levels(l.lo, l.hi, l.interval);

  // Margins from the widest texts around the map.
  Context cr = measuring_context();
  font(cr.get(), kTickSize);
  const double y_step = round_interval(l.y0, l.y1, 6);
  double y_label = 0;
  for (double t : ticks(l.y0, l.y1, y_step))
    y_label = std::max(y_label, measure(cr.get(), coordinate(t, decimals_for(y_step))).width);
  double bar_label = 0;
  for (double v : l.levels) bar_label = std::max(bar_label, measure(cr.get(), level_text(v, l.interval)).width);

  l.map_left = kPad + kAxisTitleSize + 10 + y_label + 6 + kTick;
  l.map_top = 78;
  l.bar_left = l.map_left + l.map_width + kBarGap;
  l.bar_width = kBarWidth;
  l.width = l.bar_left + kBarWidth + kTick + 4 + bar_label + 12 + kAxisTitleSize + kPad;
  l.height = l.map_top + l.map_height + 84;

  font(cr.get(), kTitleSize, true);
  const double title = measure(cr.get(), title_text(e)).width;
  font(cr.get(), kSubtitleSize);
  const double subtitle = measure(cr.get(), subtitle_text(e)).width;
  l.width = std::ceil(std::max(l.width, l.map_left + std::max(title, subtitle) + kPad));
  l.height = std::ceil(l.height);
  return l;
}

}  // namespace maps
