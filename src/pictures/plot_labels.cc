#include "pictures/plot_labels.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "gis/contour.h"
#include "pictures/plot_layout.h"

namespace pictures::picture {
namespace {

constexpr double kLabelSpacing = 260.0;  // points of line per label on a long line

// A line's cumulative length at each of its points.
std::vector<double> lengths_along(const PictureLine& line) {
  std::vector<double> along{0.0};
  for (std::size_t k = 1; k < line.points.size(); ++k)
    along.push_back(along.back() + std::hypot(line.points[k].first - line.points[k - 1].first,
                                              line.points[k].second - line.points[k - 1].second));
  return along;
}

// The point `d` along the line.
Point point_along(const PictureLine& line, const std::vector<double>& along, double d) {
  d = std::clamp(d, 0.0, along.back());
  const std::size_t m = std::clamp<std::size_t>(
      static_cast<std::size_t>(std::upper_bound(along.begin(), along.end(), d) - along.begin()), 1,
      line.points.size() - 1);
  const double g = (d - along[m - 1]) / std::max(along[m] - along[m - 1], 1e-12);
  return Point{line.points[m - 1].first + g * (line.points[m].first - line.points[m - 1].first),
               line.points[m - 1].second + g * (line.points[m].second - line.points[m - 1].second)};
}

class Placer {
 public:
  Placer(const PlotLayout& l, const std::vector<Mark>& marks, const std::vector<MarkLabel>& taken)
      : l_(l), marks_(marks), taken_(taken) {}

  // Whether a label of circumradius `radius` centred at (x, y) is clear, by
  // `mark_gap` of the marks.
  bool free(double x, double y, double radius, double mark_gap = 6) const {
    if (!(x - radius > l_.map_left && x + radius < l_.map_left + l_.map_width && y - radius > l_.map_top &&
          y + radius < l_.map_top + l_.map_height))
      return false;
    for (const ContourLabel& o : labels)
      if (std::hypot(o.x - x, o.y - y) <= radius + std::hypot(o.width, o.height) / 2 + 4) return false;
    for (const Mark& m : marks_)
      if (std::hypot(m.at.first - x, m.at.second - y) <= radius + kMarkerRadius + mark_gap) return false;
    for (const MarkLabel& t : taken_) {
      const double dx = std::max({t.left - x, 0.0, x - (t.left + t.width)});
      const double dy = std::max({t.top - y, 0.0, y - (t.top + t.height)});
      if (std::hypot(dx, dy) <= radius + 2) return false;
    }
    return true;
  }

  // Places a label of `size` along the line at `at`, upright, when clear.
  bool along(const PictureLine& line, const std::vector<double>& along, double at, double w, double h,
             const std::string& text) {
    const auto [x, y] = point_along(line, along, at);
    const auto [px, py] = point_along(line, along, at - w / 2);
    const auto [qx, qy] = point_along(line, along, at + w / 2);
    double angle = std::atan2(qy - py, qx - px);
    if (angle > M_PI / 2) angle -= M_PI;
    if (angle < -M_PI / 2) angle += M_PI;
    if (!free(x, y, std::hypot(w, h) / 2)) return false;
    labels.push_back(ContourLabel{x, y, angle, w, h, text, line.level});
    return true;
  }

  // Places a level label beside a line (level, not rotated), when clear: off
  // one of its points, above, below, right or left of it.
  bool beside(const PictureLine& line, double w, double h, const std::string& text) {
    const std::size_t n = line.points.size();
    const std::size_t step = std::max<std::size_t>(1, n / 16);
    for (double reach : {1.0, 2.0})
      for (std::size_t k = 0; k < n; k += step) {
        const auto [x, y] = line.points[k];
        for (const auto& [dx, dy] : {Point{0, -(h / 2 + 2)}, Point{0, h / 2 + 2}, Point{w / 2 + 3, 0}, Point{-(w / 2 + 3), 0}})
          if (free(x + reach * dx, y + reach * dy, std::hypot(w, h) / 2, 1)) {
            labels.push_back(ContourLabel{x + reach * dx, y + reach * dy, 0.0, w, h, text, line.level});
            return true;
          }
      }
    return false;
  }

  std::vector<ContourLabel> labels;

 private:
  const PlotLayout& l_;
  const std::vector<Mark>& marks_;
  const std::vector<MarkLabel>& taken_;
};

}  // namespace

bool visible_line(const PictureLine& line) {
  double x0 = line.points.front().first, x1 = x0, y0 = line.points.front().second, y1 = y0;
  for (const auto& [x, y] : line.points) x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
  return std::hypot(x1 - x0, y1 - y0) >= 3 * kMarkerRadius;
}

std::vector<PictureLine> picture_contours(const engine::EvaluatedGrid& e, const PlotLayout& l) {
  std::vector<PictureLine> lines;
  if (l.levels.empty() || e.NX < 2 || e.NY < 2) return lines;
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(e.NX) * static_cast<std::size_t>(e.NY));
  for (std::int32_t r = 1; r <= e.NY; ++r)
    for (std::int32_t c = 1; c <= e.NX; ++c) values.push_back((*e.DD)(c, r));

  for (double level : l.levels)
    for (const gis::ContourLine& line : gis::trace_contour(values, e.NX, e.NY, level)) {
      if (line.size() < 2) continue;
      PictureLine out{{}, level};
      for (const gis::NodePoint& p : line) out.points.emplace_back(l.to_x(e.map_x(p.x)), l.to_y(e.map_y(p.y)));
      lines.push_back(std::move(out));
    }
  return lines;
}

std::vector<Mark> well_marks(const engine::EvaluatedGrid& e, const PlotLayout& l, const PlotOptions& o) {
  std::vector<Mark> marks;
  for (std::size_t k = 0; k < e.wells.size(); ++k) {
    const engine::Well& w = e.wells[k];
    if (!finite_well(w)) continue;
    const std::string name = k < o.well_names.size() ? o.well_names[k] : std::to_string(k + 1);
    marks.push_back(Mark{{l.to_x(e.map_x(w.x)), l.to_y(e.map_y(w.y))}, name});
  }
  return marks;
}

std::vector<Mark> named_marks(const PlotLayout& l, const PlotOptions& o) {
  std::vector<Mark> marks;
  for (const PlotMarker& m : o.markers)
    if (std::isfinite(m.x) && std::isfinite(m.y)) marks.push_back(Mark{{l.to_x(m.x), l.to_y(m.y)}, m.name});
  return marks;
}

std::vector<MarkLabel> place_mark_labels(cairo_t* cr, const std::vector<Mark>& marks, const PlotLayout& l) {
  std::vector<MarkLabel> placed;
  const double cap = cap_height(kMarkerFont), gap = kMarkerRadius + 2;
  for (const Mark& m : marks) {
    if (m.text.empty()) continue;
    const double w = measure(cr, m.text, kMarkerFont).width;
    const auto [x, y] = m.at;
    // Above right, below right, above left, below left.
    for (const auto& [left, top] : {Point{x + gap, y - gap - cap}, Point{x + gap, y + gap}, Point{x - gap - w, y - gap - cap},
                                    Point{x - gap - w, y + gap}}) {
      bool free = left > l.map_left && left + w < l.map_left + l.map_width && top > l.map_top &&
                  top + cap < l.map_top + l.map_height;
      for (const MarkLabel& o : placed)
        free = free && (left > o.left + o.width + 1 || o.left > left + w + 1 || top > o.top + o.height + 1 ||
                        o.top > top + cap + 1);
      for (const Mark& other : marks) {
        const double dx = std::max({left - other.at.first, 0.0, other.at.first - (left + w)});
        const double dy = std::max({top - other.at.second, 0.0, other.at.second - (top + cap)});
        free = free && std::hypot(dx, dy) > kMarkerRadius + 1;
      }
      if (free) {
        placed.push_back(MarkLabel{left, top + cap, left, top, w, cap, m.text});
        break;
      }
    }
  }
  return placed;
}

std::vector<ContourLabel> place_contour_labels(cairo_t* cr, const std::vector<PictureLine>& lines,
                                               const PlotLayout& l, const std::vector<Mark>& marks,
                                               const std::vector<MarkLabel>& taken) {
  Placer placer(l, marks, taken);
  struct Prepared {
    const PictureLine* line;
    std::vector<double> along;
    std::string text;
    double w, h;
  };
  std::vector<Prepared> prepared;
  for (const PictureLine& line : lines) {
    if (!visible_line(line)) continue;
    Prepared p{&line, lengths_along(line), level_text(line.level, l.level_decimals), 0, 0};
    p.w = measure(cr, p.text, kContourFont).width + 5;
    p.h = cap_height(kContourFont) + 5;
    prepared.push_back(std::move(p));
  }

  // Evenly along every line with room for labels.
  for (const Prepared& p : prepared) {
    const double length = p.along.back();
    if (length < 3 * p.w) continue;
    const int count = std::max(1, static_cast<int>(length / kLabelSpacing));
    for (int n = 0; n < count; ++n) placer.along(*p.line, p.along, (n + 0.5) / count * length, p.w, p.h, p.text);
  }

  // A level without a label: on its longest line with room, else beside one.
  std::set<double> labelled;
  for (const ContourLabel& b : placer.labels) labelled.insert(b.level);
  std::vector<const Prepared*> longest;
  for (const Prepared& p : prepared) longest.push_back(&p);
  std::stable_sort(longest.begin(), longest.end(),
                   [](const Prepared* a, const Prepared* b) { return a->along.back() > b->along.back(); });
  for (const double level : l.levels) {
    if (labelled.count(level)) continue;
    bool done = false;
    for (const Prepared* p : longest) {
      if (done || p->line->level != level || p->along.back() < 1.2 * p->w) continue;
      for (double f : {0.5, 0.25, 0.75, 0.125, 0.375, 0.625, 0.875, 0.0625, 0.9375})
        if (!done) done = placer.along(*p->line, p->along, f * p->along.back(), p->w, p->h, p->text);
    }
    for (const Prepared* p : longest)
      if (!done && p->line->level == level) done = placer.beside(*p->line, p->w, p->h, p->text);
  }
  return placer.labels;
}

}  // namespace pictures::picture
