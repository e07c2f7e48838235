#include "maps/plot_labels.h"

#include <algorithm>
#include <cmath>

#include "maps/contour.h"
#include "maps/plot_layout.h"
#include "maps/plot_text.h"

namespace maps::picture {

std::vector<PictureLine> picture_contours(const engine::EvaluatedGrid& e, const PlotLayout& l) {
  std::vector<PictureLine> lines;
  if (l.levels.empty() || e.NX < 2 || e.NY < 2) return lines;
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(e.NX) * static_cast<std::size_t>(e.NY));
  for (std::int32_t r = 1; r <= e.NY; ++r)
    for (std::int32_t c = 1; c <= e.NX; ++c) values.push_back((*e.DD)(c, r));

  for (double level : l.levels)
    for (const ContourLine& line : trace_contour(values, e.NX, e.NY, level)) {
      PictureLine out{{}, level};
      for (const NodePoint& p : line) out.points.emplace_back(l.to_x(node_x(e, p.x)), l.to_y(node_y(e, p.y)));
      lines.push_back(std::move(out));
    }
  return lines;
}

std::vector<Point> well_points(const engine::EvaluatedGrid& e, const PlotLayout& l) {
  std::vector<Point> wells;
  for (const engine::Well& w : e.wells)
    if (finite_well(w)) wells.emplace_back(l.to_x(node_x(e, w.x)), l.to_y(node_y(e, w.y)));
  return wells;
}

std::vector<ContourLabel> place_contour_labels(cairo_t* cr, const std::vector<PictureLine>& lines,
                                               const PlotLayout& l, const std::vector<Point>& wells) {
  std::vector<ContourLabel> labels;
  for (const PictureLine& line : lines) {
    std::vector<double> along{0.0};
    for (std::size_t k = 1; k < line.points.size(); ++k)
      along.push_back(along.back() + std::hypot(line.points[k].first - line.points[k - 1].first,
                                                line.points[k].second - line.points[k - 1].second));
    const double length = along.back();
    const std::string s = level_text(line.level, l.interval);
    const TextSize size = measure(cr, s);
    const double lw = size.width + 6, lh = size.ascent + 6;
    if (length < 3 * lw) continue;
    const int count = std::max(1, static_cast<int>(length / 380.0));
    for (int n = 0; n < count; ++n) {
      const double at = (n + 0.5) / count * length;
      const std::size_t k = static_cast<std::size_t>(std::upper_bound(along.begin(), along.end(), at) - along.begin());
      if (k == 0 || k >= line.points.size()) continue;
      const auto [ax, ay] = line.points[k - 1];
      const auto [bx, by] = line.points[k];
      const double f = (at - along[k - 1]) / std::max(along[k] - along[k - 1], 1e-12);
      const double x = ax + f * (bx - ax), y = ay + f * (by - ay);
      // The direction over the label's own length, kept upright.
      auto point_at = [&](double d) {
        d = std::clamp(d, 0.0, length);
        const std::size_t m = std::clamp<std::size_t>(
            static_cast<std::size_t>(std::upper_bound(along.begin(), along.end(), d) - along.begin()), 1,
            line.points.size() - 1);
        const double g = (d - along[m - 1]) / std::max(along[m] - along[m - 1], 1e-12);
        return std::pair{line.points[m - 1].first + g * (line.points[m].first - line.points[m - 1].first),
                         line.points[m - 1].second + g * (line.points[m].second - line.points[m - 1].second)};
      };
      const auto [px, py] = point_at(at - lw / 2);
      const auto [qx, qy] = point_at(at + lw / 2);
      double angle = std::atan2(qy - py, qx - px);
      if (angle > M_PI / 2) angle -= M_PI;
      if (angle < -M_PI / 2) angle += M_PI;
      const double radius = std::hypot(lw, lh) / 2;
      bool free = x - radius > l.map_left && x + radius < l.map_left + l.map_width && y - radius > l.map_top &&
                  y + radius < l.map_top + l.map_height;
      for (const ContourLabel& o : labels)
        free = free && std::hypot(o.x - x, o.y - y) > radius + std::hypot(o.width, o.height) / 2 + 4;
      for (const auto& [wx, wy] : wells) free = free && std::hypot(wx - x, wy - y) > radius + kMarkerRadius + 8;
      if (free) labels.push_back(ContourLabel{x, y, angle, lw, lh, s});
    }
  }
  return labels;
}

}  // namespace maps::picture
