#include "maps/plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>

#include "maps/colour_scale.h"
#include "maps/contour.h"
#include "maps/output_file.h"

namespace maps {
namespace {

using engine::EvaluatedGrid;
using engine::Well;

constexpr const char* kFont = "DejaVu Sans";
constexpr double kTitleSize = 17.0;
constexpr double kSubtitleSize = 12.5;
constexpr double kTickSize = 11.5;
constexpr double kAxisTitleSize = 12.5;
constexpr double kLabelSize = 11.0;

constexpr double kMapMaxWidth = 820.0;
constexpr double kMapMaxHeight = 620.0;
constexpr double kMapMinSide = 80.0;  // a thin grid gets room around it, not a stretched scale
constexpr double kPad = 14.0;
constexpr double kTick = 5.0;
constexpr double kBarGap = 26.0;
constexpr double kBarWidth = 18.0;
constexpr double kMarkerRadius = 5.5;
constexpr std::size_t kMostNumberedWells = 20;

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// ---------------------------------------------------------------- numbers

double node_x(const EvaluatedGrid& e, double c) { return e.XLL + c * e.SPACING; }
double node_y(const EvaluatedGrid& e, double r) { return e.YLL + r * e.SPACING; }

// Node units covered by the map in one direction: the nodes 1 .. n, or half a
// spacing either side of a single node.
std::pair<double, double> node_span(std::int32_t n) {
  return n > 1 ? std::pair{1.0, static_cast<double>(n)} : std::pair{0.5, 1.5};
}

std::string fixed(double v, int decimals) {
  if (v == 0.0) v = 0.0;  // no "-0"
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

// Whole numbers with thousands separators (2,150,000), others with `decimals`.
std::string coordinate(double v, int decimals) {
  std::string s = fixed(v, decimals);
  if (decimals > 0) return s;
  const std::size_t first = s[0] == '-' ? 1 : 0;
  std::string out(s, 0, first);
  for (std::size_t k = first; k < s.size(); ++k) {
    if (k > first && (s.size() - k) % 3 == 0) out += ',';
    out += s[k];
  }
  return out;
}

std::string general(float v) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}

// Multiples of `step` from lo to hi, both included (within rounding).
std::vector<double> ticks(double lo, double hi, double step) {
  std::vector<double> t;
  if (!(step > 0.0)) return t;
  const double slack = step * 1e-9;
  for (double k = std::ceil((lo - slack) / step); k * step <= hi + slack && t.size() < 100; k += 1.0)
    t.push_back(k * step);
  return t;
}

// The finite drawdowns' range; a flat or empty field gets a range of one foot
// around its value so that the scale still has two ends.
std::pair<double, double> value_range(const EvaluatedGrid& e) {
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

bool finite_well(const Well& w) { return std::isfinite(w.x) && std::isfinite(w.y); }

// ---------------------------------------------------------------- text

struct TextSize {
  double width = 0, ascent = 0;
};

void font(cairo_t* cr, double size, bool bold = false) {
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

TextSize measure(cairo_t* cr, const std::string& s) {
  cairo_text_extents_t te;
  cairo_text_extents(cr, s.c_str(), &te);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  return TextSize{te.x_advance, fe.ascent * 0.75};
}

enum class Align { kLeft, kCentre, kRight };

// Text with its baseline at y; `x` is its left end, centre or right end.
void text(cairo_t* cr, double x, double y, const std::string& s, Align align = Align::kLeft) {
  const double w = measure(cr, s).width;
  const double left = align == Align::kLeft ? x : align == Align::kCentre ? x - w / 2 : x - w;
  cairo_move_to(cr, left, y);
  cairo_show_text(cr, s.c_str());
}

// Text drawn over a busy background: a white outline, then the dark text.
void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Align align) {
  const double w = measure(cr, s).width;
  const double left = align == Align::kLeft ? x : align == Align::kCentre ? x - w / 2 : x - w;
  cairo_move_to(cr, left, y);
  cairo_text_path(cr, s.c_str());
  cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
  cairo_set_line_width(cr, 3.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
  cairo_move_to(cr, left, y);
  cairo_show_text(cr, s.c_str());
}

// A context on a 1 x 1 image, for measuring text while laying out.
Context measuring_context() {
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), cairo_surface_destroy);
  return Context(cairo_create(s.get()), cairo_destroy);
}

// ---------------------------------------------------------------- texts shown

std::string title_text(const EvaluatedGrid& e) {
  return "Drawdown after " + general(e.TIME) + (e.TIME == 1.0f ? " day" : " days") + " of pumping";
}

std::string subtitle_text(const EvaluatedGrid& e) {
  const std::size_t n = e.wells.size();
  return "T = " + general(e.T) + " gpd/ft    leakance = " + general(e.LEAK) + " gpd/ft\u00b3    S = " + general(e.S) +
         "    " + std::to_string(n) + (n == 1 ? " well" : " wells") + "    " + std::to_string(e.NX) + " \u00d7 " +
         std::to_string(e.NY) + " nodes, " + std::to_string(e.SPACING) + " ft apart";
}

std::string level_text(double level, double interval) {
  return fixed(level, decimals_for(interval));
}

}  // namespace

// ---------------------------------------------------------------- layout

std::optional<PlotFormat> plot_format_of(std::string_view path) {
  if (path.size() <= 4) return std::nullopt;
  std::string end(path.substr(path.size() - 4));
  std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
  if (end == ".png") return PlotFormat::kPng;
  if (end == ".svg") return PlotFormat::kSvg;
  if (end == ".pdf") return PlotFormat::kPdf;
  return std::nullopt;
}

PlotLayout plot_layout(const engine::EvaluatedGrid& e) {
  PlotLayout l;

  // The area shown: the nodes, widened where a well lies outside them.
  const auto [c0, c1] = node_span(e.NX);
  const auto [r0, r1] = node_span(e.NY);
  l.x0 = node_x(e, c0), l.x1 = node_x(e, c1), l.y0 = node_y(e, r0), l.y1 = node_y(e, r1);
  double wx0 = l.x0, wx1 = l.x1, wy0 = l.y0, wy1 = l.y1;
  for (const Well& w : e.wells) {
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

namespace {

// ---------------------------------------------------------------- drawing

// The field at node coordinates (c, r), bilinear between the four nodes around
// it; not-a-number where one of them holds no finite value.
double field_at(const EvaluatedGrid& e, double c, double r) {
  c = std::clamp(c, 1.0, static_cast<double>(e.NX));
  r = std::clamp(r, 1.0, static_cast<double>(e.NY));
  const std::int32_t i = std::min(static_cast<std::int32_t>(c), std::max(e.NX - 1, 1));
  const std::int32_t j = std::min(static_cast<std::int32_t>(r), std::max(e.NY - 1, 1));
  const std::int32_t i1 = std::min(i + 1, e.NX), j1 = std::min(j + 1, e.NY);
  const double fx = c - i, fy = r - j;
  const double v00 = (*e.DD)(i, j), v10 = (*e.DD)(i1, j), v01 = (*e.DD)(i, j1), v11 = (*e.DD)(i1, j1);
  return (v00 * (1 - fx) + v10 * fx) * (1 - fy) + (v01 * (1 - fx) + v11 * fx) * fy;
}

// The colour map: one image pixel per `resolution`-th of a picture unit,
// transparent outside the grid's nodes and where the field is not finite.
void draw_field(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l, double resolution) {
  const int w = std::max(1, static_cast<int>(std::ceil(l.map_width * resolution)));
  const int h = std::max(1, static_cast<int>(std::ceil(l.map_height * resolution)));
  Surface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h), cairo_surface_destroy);
  if (cairo_surface_status(image.get()) != CAIRO_STATUS_SUCCESS) return;
  cairo_surface_flush(image.get());
  unsigned char* data = cairo_image_surface_get_data(image.get());
  const int stride = cairo_image_surface_get_stride(image.get());
  const auto [c0, c1] = node_span(e.NX);
  const auto [r0, r1] = node_span(e.NY);

  for (int v = 0; v < h; ++v) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::ptrdiff_t>(v) * stride);
    const double y = l.y1 - (v + 0.5) / h * (l.y1 - l.y0);
    const double r = (y - e.YLL) / e.SPACING;
    for (int u = 0; u < w; ++u) {
      const double x = l.x0 + (u + 0.5) / w * (l.x1 - l.x0);
      const double c = (x - e.XLL) / e.SPACING;
      row[u] = 0;  // transparent
      if (c < c0 || c > c1 || r < r0 || r > r1) continue;
      const double value = field_at(e, c, r);
      if (!std::isfinite(value)) continue;
      const Rgb rgb = viridis((value - l.lo) / (l.hi - l.lo));
      auto channel = [](double x) { return static_cast<std::uint32_t>(std::lround(x * 255.0)); };
      row[u] = 0xff000000u | channel(rgb.r) << 16 | channel(rgb.g) << 8 | channel(rgb.b);
    }
  }
  cairo_surface_mark_dirty(image.get());

  cairo_save(cr);
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  cairo_clip(cr);
  cairo_translate(cr, l.map_left, l.map_top);
  cairo_scale(cr, l.map_width / w, l.map_height / h);
  cairo_set_source_surface(cr, image.get(), 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_restore(cr);
}

struct Label {
  double x, y, angle, width, height;
  std::string text;
};

// Contour lines in picture units, with their labels placed along them where
// they have room: not across the map's edge, another label or a well.
void draw_contours(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l) {
  if (l.levels.empty() || e.NX < 2 || e.NY < 2) return;
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(e.NX) * static_cast<std::size_t>(e.NY));
  for (std::int32_t r = 1; r <= e.NY; ++r)
    for (std::int32_t c = 1; c <= e.NX; ++c) values.push_back((*e.DD)(c, r));

  struct Line {
    std::vector<std::pair<double, double>> points;
    double level;
  };
  std::vector<Line> lines;
  for (double level : l.levels)
    for (const ContourLine& line : trace_contour(values, e.NX, e.NY, level)) {
      Line out{{}, level};
      for (const NodePoint& p : line) out.points.emplace_back(l.to_x(node_x(e, p.x)), l.to_y(node_y(e, p.y)));
      lines.push_back(std::move(out));
    }

  font(cr, kLabelSize);
  std::vector<Label> labels;
  std::vector<std::pair<double, double>> wells;
  for (const Well& w : e.wells)
    if (finite_well(w)) wells.emplace_back(l.to_x(node_x(e, w.x)), l.to_y(node_y(e, w.y)));

  for (const Line& line : lines) {
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
      for (const Label& o : labels)
        free = free && std::hypot(o.x - x, o.y - y) > radius + std::hypot(o.width, o.height) / 2 + 4;
      for (const auto& [wx, wy] : wells) free = free && std::hypot(wx - x, wy - y) > radius + kMarkerRadius + 8;
      if (free) labels.push_back(Label{x, y, angle, lw, lh, s});
    }
  }

  // Lines, clipped to the map and broken where a label sits.
  cairo_save(cr);
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  for (const Label& b : labels) {
    cairo_save(cr);
    cairo_translate(cr, b.x, b.y);
    cairo_rotate(cr, b.angle);
    cairo_rectangle(cr, -b.width / 2, -b.height / 2, b.width, b.height);
    cairo_restore(cr);
  }
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const Line& line : lines) {
    cairo_new_path(cr);
    for (std::size_t k = 0; k < line.points.size(); ++k)
      (k == 0 ? cairo_move_to : cairo_line_to)(cr, line.points[k].first, line.points[k].second);
    const bool zero = std::fabs(line.level) < l.interval * 1e-9;
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_set_line_width(cr, zero ? 1.8 : 1.0);
    cairo_stroke(cr);
  }
  cairo_restore(cr);

  for (const Label& b : labels) {
    cairo_save(cr);
    cairo_translate(cr, b.x, b.y);
    cairo_rotate(cr, b.angle);
    haloed_text(cr, 0, (b.height - 6) / 2, b.text, Align::kCentre);
    cairo_restore(cr);
  }
}

// Fills the current path in grey level `fill` and outlines it in `outline`.
void paint_marker(cairo_t* cr, double fill, double outline, double line_width) {
  cairo_set_source_rgb(cr, fill, fill, fill);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, outline, outline, outline);
  cairo_set_line_width(cr, line_width);
  cairo_stroke(cr);
}

void pumping_marker(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, kMarkerRadius, 0, 2 * M_PI);
  paint_marker(cr, 0.05, 1.0, 1.6);
}

void injecting_marker(cairo_t* cr, double x, double y) {
  const double r = kMarkerRadius * 1.35;
  cairo_new_path(cr);
  cairo_move_to(cr, x, y - r);
  cairo_line_to(cr, x + r * 0.866, y + r * 0.5);
  cairo_line_to(cr, x - r * 0.866, y + r * 0.5);
  cairo_close_path(cr);
  paint_marker(cr, 1.0, 0.05, 1.6);
}

void idle_marker(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, kMarkerRadius * 0.8, 0, 2 * M_PI);
  paint_marker(cr, 1.0, 0.4, 1.4);
}

void draw_wells(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l) {
  const bool numbered = e.wells.size() <= kMostNumberedWells;
  font(cr, kLabelSize, true);
  for (std::size_t k = 0; k < e.wells.size(); ++k) {
    const Well& w = e.wells[k];
    if (!finite_well(w)) continue;
    const double x = l.to_x(node_x(e, w.x)), y = l.to_y(node_y(e, w.y));
    if (w.q > 0) pumping_marker(cr, x, y);
    else if (w.q < 0) injecting_marker(cr, x, y);
    else idle_marker(cr, x, y);
    if (numbered) haloed_text(cr, x + kMarkerRadius + 3, y - kMarkerRadius - 1, std::to_string(k + 1), Align::kLeft);
  }
}

void draw_axes(cairo_t* cr, const PlotLayout& l) {
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  cairo_stroke(cr);

  font(cr, kTickSize);
  const double bottom = l.map_top + l.map_height;
  // As many x ticks as their labels leave room for.
  const double widest = std::max(measure(cr, coordinate(l.x0, 0)).width, measure(cr, coordinate(l.x1, 0)).width);
  const int x_ticks = std::clamp(static_cast<int>(l.map_width / (widest + 40)), 2, 10);
  double x_step = round_interval(l.x0, l.x1, x_ticks);
  while (x_step > 0 && x_step / (l.x1 - l.x0) * l.map_width < widest + 16) x_step *= 2;
  for (double t : ticks(l.x0, l.x1, x_step)) {
    const double x = l.to_x(t);
    cairo_move_to(cr, x, bottom);
    cairo_line_to(cr, x, bottom + kTick);
    cairo_stroke(cr);
    text(cr, x, bottom + kTick + 4 + kTickSize, coordinate(t, decimals_for(x_step)), Align::kCentre);
  }
  const double y_step = round_interval(l.y0, l.y1, 6);
  for (double t : ticks(l.y0, l.y1, y_step)) {
    const double y = l.to_y(t);
    cairo_move_to(cr, l.map_left, y);
    cairo_line_to(cr, l.map_left - kTick, y);
    cairo_stroke(cr);
    text(cr, l.map_left - kTick - 4, y + kTickSize * 0.36, coordinate(t, decimals_for(y_step)), Align::kRight);
  }

  font(cr, kAxisTitleSize);
  text(cr, l.map_left + l.map_width / 2, bottom + kTick + 4 + kTickSize + 22, "x, feet", Align::kCentre);
  cairo_save(cr);
  cairo_translate(cr, kPad + kAxisTitleSize, l.map_top + l.map_height / 2);
  cairo_rotate(cr, -M_PI / 2);
  text(cr, 0, 0, "y, feet", Align::kCentre);
  cairo_restore(cr);
}

void draw_colour_bar(cairo_t* cr, const PlotLayout& l) {
  const double top = l.map_top, height = l.map_height;
  // Linear from lo at the bottom to hi at the top, in enough stops that the
  // bar follows the scale's curve.
  cairo_pattern_t* ramp = cairo_pattern_create_linear(0, top + height, 0, top);
  for (int k = 0; k <= 64; ++k) {
    const Rgb c = viridis(k / 64.0);
    cairo_pattern_add_color_stop_rgb(ramp, k / 64.0, c.r, c.g, c.b);
  }
  cairo_rectangle(cr, l.bar_left, top, l.bar_width, height);
  cairo_set_source(cr, ramp);
  cairo_fill(cr);
  cairo_pattern_destroy(ramp);

  auto bar_y = [&](double v) { return top + height - (v - l.lo) / (l.hi - l.lo) * height; };
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, l.bar_left, top, l.bar_width, height);
  cairo_stroke(cr);

  // Every contour level is marked across the bar; labels skip levels when
  // they would crowd.
  font(cr, kTickSize);
  const double room = kTickSize * 1.4;
  const std::size_t every = std::max<std::size_t>(
      1, static_cast<std::size_t>(std::ceil(room / std::max(height / (l.levels.size() + 1.0), 1e-9))));
  for (std::size_t k = 0; k < l.levels.size(); ++k) {
    const double y = bar_y(l.levels[k]);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_move_to(cr, l.bar_left, y);
    cairo_line_to(cr, l.bar_left + l.bar_width + (k % every == 0 ? kTick : 0), y);
    cairo_stroke(cr);
    if (k % every == 0) {
      cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
      text(cr, l.bar_left + l.bar_width + kTick + 4, y + kTickSize * 0.36, level_text(l.levels[k], l.interval));
    }
  }

  font(cr, kAxisTitleSize);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_save(cr);
  cairo_translate(cr, l.width - kPad, top + height / 2);
  cairo_rotate(cr, -M_PI / 2);
  text(cr, 0, 0, "drawdown, feet", Align::kCentre);
  cairo_restore(cr);
}

void draw_titles(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l) {
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  font(cr, kTitleSize, true);
  text(cr, l.map_left, 34, title_text(e));
  cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
  font(cr, kSubtitleSize);
  text(cr, l.map_left, 56, subtitle_text(e));
}

// The key under the map: the well markers and the contour interval.
void draw_key(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l) {
  bool pumping = false, injecting = false, idle = false;
  for (const Well& w : e.wells) {
    pumping = pumping || w.q > 0;
    injecting = injecting || w.q < 0;
    idle = idle || w.q == 0;
  }
  const double y = l.height - 16;
  double x = l.map_left + kMarkerRadius;
  font(cr, kTickSize);
  auto entry = [&](void (*marker)(cairo_t*, double, double), const std::string& s) {
    marker(cr, x, y - 4);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text(cr, x + 12, y, s);
    x += 12 + measure(cr, s).width + 26;
  };
  if (pumping) entry(pumping_marker, "pumping well");
  if (injecting) entry(injecting_marker, "injecting well");
  if (idle) entry(idle_marker, "well at zero rate");
  if (!l.levels.empty()) {
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_set_line_width(cr, 1.0);
    cairo_move_to(cr, x - kMarkerRadius, y - 4);
    cairo_line_to(cr, x + 14, y - 4);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    text(cr, x + 20, y, "contour every " + level_text(l.interval, l.interval) + " ft");
  }
}

void draw(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l, double resolution) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  // Outside the grid's nodes the map shows a neutral grey.
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
  cairo_fill(cr);
  draw_field(cr, e, l, resolution);
  draw_contours(cr, e, l);
  draw_wells(cr, e, l);
  draw_axes(cr, l);
  draw_colour_bar(cr, l);
  draw_titles(cr, e, l);
  draw_key(cr, e, l);
}

// Bytes from Cairo to the output file.
cairo_status_t write_bytes(void* closure, const unsigned char* data, unsigned int length) {
  return static_cast<OutputFile*>(closure)->write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

std::string write_plot(const std::string& path, PlotFormat format, const engine::EvaluatedGrid& e) {
  if (std::string problem = missing_cells(e, "map"); !problem.empty()) return problem;
  const PlotLayout l = plot_layout(e);

  OutputFile sink(path);

  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  if (format == PlotFormat::kPng) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(l.width),
                                               static_cast<int>(l.height)),
                    cairo_surface_destroy);
    Context cr(cairo_create(surface.get()), cairo_destroy);
    draw(cr.get(), e, l, 1.0);
    status = cairo_status(cr.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), write_bytes, &sink);
  } else {
    Surface surface(format == PlotFormat::kSvg
                        ? cairo_svg_surface_create_for_stream(write_bytes, &sink, l.width, l.height)
                        : cairo_pdf_surface_create_for_stream(write_bytes, &sink, l.width, l.height),
                    cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      // The colour map is embedded as an image at three pixels per point.
      draw(cr.get(), e, l, 3.0);
      status = cairo_status(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }

  if (std::string why = sink.finish(); !why.empty()) return why;
  if (status != CAIRO_STATUS_SUCCESS) return cairo_status_to_string(status);
  return "";
}

}  // namespace maps
