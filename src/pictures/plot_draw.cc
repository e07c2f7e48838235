#include "pictures/plot_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "pictures/colour_scale.h"
#include "gis/contour.h"
#include "pictures/plot_labels.h"
#include "pictures/plot_layout.h"

namespace pictures::picture {
namespace {

using engine::EvaluatedGrid;

constexpr double kInk = 0.1;  // the grey of lines and text

void ink(cairo_t* cr) { cairo_set_source_rgb(cr, kInk, kInk, kInk); }

// ---------------------------------------------------------------- colour map

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

// The colour map: one image pixel per `resolution`-th of a point, transparent
// outside the grid's nodes and where the field is not finite.
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
    const double r = (y - e.yllcorner) / e.SPACING + 0.5;
    for (int u = 0; u < w; ++u) {
      const double x = l.x0 + (u + 0.5) / w * (l.x1 - l.x0);
      const double c = (x - e.xllcorner) / e.SPACING + 0.5;
      row[u] = 0;  // transparent
      if (c < c0 || c > c1 || r < r0 || r > r1) continue;
      const double value = field_at(e, c, r);
      if (!std::isfinite(value)) continue;
      const Rgb rgb = l.colours.colour(value);
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

// ---------------------------------------------------------------- contours

bool zero_level(double level) { return level == 0.0; }

// Contour lines clipped to the map and broken where their labels sit; the
// 0-foot line, where drawdown turns into a rise, heavier.
void draw_contours(cairo_t* cr, const std::vector<PictureLine>& lines, const std::vector<ContourLabel>& labels,
                   const PlotLayout& l) {
  cairo_save(cr);
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  for (const ContourLabel& b : labels) {
    cairo_save(cr);
    cairo_translate(cr, b.x, b.y);
    cairo_rotate(cr, b.angle);
    cairo_rectangle(cr, -b.width / 2, -b.height / 2, b.width, b.height);
    cairo_restore(cr);
  }
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);
  cairo_clip(cr);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  for (const PictureLine& line : lines) {
    cairo_new_path(cr);
    for (std::size_t k = 0; k < line.points.size(); ++k)
      (k == 0 ? cairo_move_to : cairo_line_to)(cr, line.points[k].first, line.points[k].second);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_set_line_width(cr, zero_level(line.level) ? 1.4 : 0.7);
    cairo_stroke(cr);
  }
  cairo_restore(cr);

  for (const ContourLabel& b : labels) {
    cairo_save(cr);
    cairo_translate(cr, b.x, b.y);
    cairo_rotate(cr, b.angle);
    haloed_text(cr, 0, cap_height(kContourFont) / 2, b.text, kContourFont, Align::kCentre);
    cairo_restore(cr);
  }
}

// ---------------------------------------------------------------- boundaries

// The stroke of a boundary from (ax, ay) to (bx, by) in points: a stream a
// blue line, a barrier a grey line with short hatches leaning toward
// (hx, hy) (a unit vector in the picture) every 6 points.
void stroke_boundary(cairo_t* cr, bool stream, double ax, double ay, double bx, double by, double hx, double hy) {
  cairo_new_path(cr);
  cairo_move_to(cr, ax, ay);
  cairo_line_to(cr, bx, by);
  if (stream) {
    cairo_set_source_rgb(cr, 0.12, 0.42, 0.85);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke(cr);
    return;
  }
  cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
  cairo_set_line_width(cr, 1.6);
  cairo_stroke(cr);
  const double length = std::hypot(bx - ax, by - ay);
  if (!(length > 0)) return;
  const double ux = (bx - ax) / length, uy = (by - ay) / length;
  cairo_set_line_width(cr, 1.0);
  for (double d = 3.0; d < length; d += 6.0) {
    const double px = ax + ux * d, py = ay + uy * d;
    cairo_move_to(cr, px, py);
    cairo_line_to(cr, px + 5.0 * (hx + ux) / std::sqrt(2.0), py + 5.0 * (hy + uy) / std::sqrt(2.0));
  }
  cairo_stroke(cr);
}

// Each boundary's line across the map, clipped to the map frame.
void draw_boundaries(cairo_t* cr, const PlotOptions& o, const PlotLayout& l) {
  cairo_save(cr);
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  cairo_clip(cr);
  const double reach = 2.0 * (std::fabs(l.x1 - l.x0) + std::fabs(l.y1 - l.y0));
  for (const PlotBoundary& b : o.boundaries) {
    const double length = std::hypot(b.x1 - b.x0, b.y1 - b.y0);
    if (!(length > 0) || !std::isfinite(length)) continue;
    const double ux = (b.x1 - b.x0) / length, uy = (b.y1 - b.y0) / length;
    // The point of the line nearest the map's centre, and far out both ways.
    const double cx = (l.x0 + l.x1) / 2, cy = (l.y0 + l.y1) / 2;
    const double t = (cx - b.x0) * ux + (cy - b.y0) * uy;
    const double mx = b.x0 + t * ux, my = b.y0 + t * uy;
    const double h = std::hypot(b.away_x, b.away_y);
    const double hx = h > 0 ? b.away_x / h : 0.0, hy = h > 0 ? -b.away_y / h : 0.0;  // y grows downwards
    stroke_boundary(cr, b.stream, l.to_x(mx - reach * ux), l.to_y(my - reach * uy), l.to_x(mx + reach * ux),
                    l.to_y(my + reach * uy), hx, hy);
  }
  cairo_restore(cr);
}

// ---------------------------------------------------------------- marks

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
  paint_marker(cr, 0.05, 1.0, 1.2);
}

void injecting_marker(cairo_t* cr, double x, double y) {
  const double r = kMarkerRadius * 1.35;
  cairo_new_path(cr);
  cairo_move_to(cr, x, y - r);
  cairo_line_to(cr, x + r * 0.866, y + r * 0.5);
  cairo_line_to(cr, x - r * 0.866, y + r * 0.5);
  cairo_close_path(cr);
  paint_marker(cr, 1.0, 0.05, 1.2);
}

void idle_marker(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, kMarkerRadius * 0.8, 0, 2 * M_PI);
  paint_marker(cr, 1.0, 0.4, 1.1);
}

void named_marker(cairo_t* cr, double x, double y) {
  const double a = kMarkerRadius * 0.85;
  cairo_new_path(cr);
  cairo_rectangle(cr, x - a, y - a, 2 * a, 2 * a);
  paint_marker(cr, 0.55, 0.05, 1.1);
}

// A named point with a verdict: a larger square, green within its limit, red over it.
void verdict_marker(cairo_t* cr, double x, double y, int verdict) {
  const double a = kMarkerRadius * 1.1;
  cairo_new_path(cr);
  cairo_rectangle(cr, x - a, y - a, 2 * a, 2 * a);
  if (verdict == 2) cairo_set_source_rgb(cr, 0.85, 0.1, 0.1);
  else cairo_set_source_rgb(cr, 0.1, 0.65, 0.2);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  cairo_set_line_width(cr, 1.1);
  cairo_stroke(cr);
}

void draw_marks(cairo_t* cr, const EvaluatedGrid& e, const PlotOptions& o, const std::vector<Mark>& wells,
                const std::vector<Mark>& named, const std::vector<MarkLabel>& labels) {
  std::size_t k = 0;
  for (const engine::Well& w : e.wells) {
    if (!finite_well(w)) continue;
    const auto [x, y] = wells[k++].at;
    if (w.q > 0) pumping_marker(cr, x, y);
    else if (w.q < 0) injecting_marker(cr, x, y);
    else idle_marker(cr, x, y);
  }
  std::size_t n = 0;  // named_marks keeps the markers of finite position, in order
  for (const PlotMarker& m : o.markers) {
    if (!(std::isfinite(m.x) && std::isfinite(m.y)) || n >= named.size()) continue;
    const auto [x, y] = named[n++].at;
    if (m.verdict == 0) named_marker(cr, x, y);
    else verdict_marker(cr, x, y, m.verdict);
  }
  for (const MarkLabel& t : labels) haloed_text(cr, t.x, t.baseline, t.text, kMarkerFont, Align::kLeft);
}

// ---------------------------------------------------------------- frame

void draw_axes(cairo_t* cr, const PlotLayout& l) {
  const LineHeights lh = line_heights(cr);
  ink(cr);
  cairo_set_line_width(cr, 0.8);
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  cairo_stroke(cr);

  const double bottom = l.map_top + l.map_height;
  const double tick_baseline = measure(cr, "0", kTickFont).baseline;
  // As many x ticks as their labels leave room for.
  const double widest = std::max(measure(cr, fixed(l.x0, 0), kTickFont).width,
                                 measure(cr, fixed(l.x1, 0), kTickFont).width);
  const int x_ticks = std::clamp(static_cast<int>(l.map_width / (widest + 30)), 2, 10);
  double x_step = gis::round_interval(l.x0, l.x1, x_ticks);
  while (x_step > 0 && x_step / (l.x1 - l.x0) * l.map_width < widest + 12) x_step *= 2;
  for (double t : multiples(l.x0, l.x1, x_step)) {
    const double x = l.to_x(t);
    cairo_move_to(cr, x, bottom);
    cairo_line_to(cr, x, bottom + kTick);
    cairo_stroke(cr);
    text(cr, x, bottom + kTick + 2 + tick_baseline, fixed(t, gis::decimals_for(x_step)), kTickFont, Align::kCentre);
  }
  const double y_step = gis::round_interval(l.y0, l.y1, 6);
  for (double t : multiples(l.y0, l.y1, y_step)) {
    const double y = l.to_y(t);
    cairo_move_to(cr, l.map_left, y);
    cairo_line_to(cr, l.map_left - kTick, y);
    cairo_stroke(cr);
    text(cr, l.map_left - kTick - 3, y + cap_height(kTickFont) / 2, fixed(t, gis::decimals_for(y_step)), kTickFont,
         Align::kRight);
  }

  const double axis_baseline = measure(cr, "0", kAxisTitleFont).baseline;
  text(cr, l.map_left + l.map_width / 2, bottom + kTick + 2 + lh.tick + 4 + axis_baseline, "x, " + unit_word(l.unit), kAxisTitleFont,
       Align::kCentre);
  cairo_save(cr);
  cairo_translate(cr, l.map_left - kTick - 4 - y_label_width(cr, l) - 6 - (lh.axis_title - axis_baseline),
                  l.map_top + l.map_height / 2);
  cairo_rotate(cr, -M_PI / 2);
  text(cr, 0, 0, "y, " + unit_word(l.unit), kAxisTitleFont, Align::kCentre);
  cairo_restore(cr);
}

// The colour bar's texts and marks: its ends' values (and the grid's extremes
// beyond a clipped end), its round values, the contour levels across it, and
// its title.
void draw_colour_bar_labels(cairo_t* cr, const PlotLayout& l) {
  const ColourScale& s = l.colours;
  const double top = l.bar_top, height = l.bar_height, bottom = top + height;
  const double left = l.bar_left, right = l.bar_left + l.bar_width;
  const double cap = cap_height(kTickFont), room = measure(cr, "0", kTickFont).height;
  const double label_x = right + kTick + 3;
  const BarEndTexts ends = bar_end_texts(l);
  auto end_label = [&](double y, const std::string& s, const std::string& beyond, double beyond_y) {
    cairo_move_to(cr, left, y);
    cairo_line_to(cr, right + kTick, y);
    cairo_stroke(cr);
    text(cr, label_x, y + cap / 2, s, kTickFont);
    if (!beyond.empty()) text(cr, label_x, beyond_y + cap / 2, beyond, kTickFont);
  };
  const double above_y = std::min(top - room, top - kClipTriangle);
  const double below_y = std::max(bottom + room, bottom + kClipTriangle);
  end_label(top, ends.hi, ends.above, above_y);
  end_label(bottom, ends.lo, ends.below, below_y);

  // Round values, ticked and labelled where they do not crowd the ends; the
  // contour levels marked across the bar, with a tick on its left side.
  auto y_of = [&](double v) { return bottom - (v - s.lo) / (s.hi - s.lo) * height; };
  const int decimals = bar_tick_decimals(l);
  for (double v : bar_ticks(l)) {
    const double y = y_of(v);
    if (!(y - top > room && bottom - y > room)) continue;
    ink(cr);
    cairo_move_to(cr, right, y);
    cairo_line_to(cr, right + kTick, y);
    cairo_stroke(cr);
    text(cr, label_x, y + cap / 2, level_text(v, decimals), kTickFont);
  }
  for (double v : l.levels) {
    if (!(v >= s.lo && v <= s.hi)) continue;
    const double y = y_of(v);
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_move_to(cr, left - kTick, y);
    cairo_line_to(cr, right, y);
    cairo_stroke(cr);
  }

  const double axis_baseline = measure(cr, "0", kAxisTitleFont).baseline;
  ink(cr);
  cairo_save(cr);
  cairo_translate(cr, label_x + bar_label_width(cr, l) + 8 + axis_baseline, l.map_top + l.map_height / 2);
  cairo_rotate(cr, -M_PI / 2);
  const std::string title = "drawdown, " + unit_word(l.unit);
  text(cr, 0, 0, s.palette == Palette::kDiverging ? title + " (below 0: rise)" : title,
       kAxisTitleFont, Align::kCentre);
  cairo_restore(cr);
}

// The colour bar: the range from its low end (bottom) to its high end (top),
// each end labelled with its value, a triangle beyond an end that clips the
// grid's drawdowns (labelled with the grid's extreme), round values ticked
// and labelled on its right, and every contour level in the range marked
// across it with a tick on its left.
void draw_colour_bar(cairo_t* cr, const PlotLayout& l) {
  const ColourScale& s = l.colours;
  const double top = l.bar_top, height = l.bar_height, bottom = top + height;
  const double left = l.bar_left, right = l.bar_left + l.bar_width, mid = left + l.bar_width / 2;
  cairo_pattern_t* ramp = cairo_pattern_create_linear(0, bottom, 0, top);
  for (int k = 0; k <= 64; ++k) {
    const Rgb c = s.colour(s.lo + (s.hi - s.lo) * k / 64.0);
    cairo_pattern_add_color_stop_rgb(ramp, k / 64.0, c.r, c.g, c.b);
  }
  cairo_new_path(cr);
  cairo_rectangle(cr, left, top, l.bar_width, height);
  cairo_set_source(cr, ramp);
  cairo_fill(cr);
  cairo_pattern_destroy(ramp);

  // The clipped ends, in the colour of their end.
  auto triangle = [&](double base, double tip, double value) {
    cairo_new_path(cr);
    cairo_move_to(cr, left, base);
    cairo_line_to(cr, mid, tip);
    cairo_line_to(cr, right, base);
    cairo_close_path(cr);
    const Rgb c = s.colour(value);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_fill_preserve(cr);
    ink(cr);
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
  };
  if (l.clipped_high) triangle(top, top - kClipTriangle, s.hi);
  if (l.clipped_low) triangle(bottom, bottom + kClipTriangle, s.lo);
  ink(cr);
  cairo_set_line_width(cr, 0.8);
  cairo_new_path(cr);
  cairo_rectangle(cr, left, top, l.bar_width, height);
  cairo_stroke(cr);

  draw_colour_bar_labels(cr, l);
}


void draw_titles(cairo_t* cr, const EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& l) {
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  const double h =
      paragraph(cr, l.text_left, l.title_top, l.text_width, o.title.empty() ? title_text(e) : o.title, kTitleFont);
  cairo_set_source_rgb(cr, 0.25, 0.25, 0.25);
  paragraph(cr, l.text_left, l.title_top + h + 3, l.text_width,
            o.subtitle.empty() ? subtitle_text(e, o.input_name, o.aquifer) : o.subtitle, kSubtitleFont);
}

// ---------------------------------------------------------------- key

// The scale bar in feet (and in miles under it when the map is long), its left
// end at x, its feet labels' line at `top`.
void draw_scale_bars(cairo_t* cr, const PlotLayout& l, double x, double top) {
  const double key = measure(cr, "0", kKeyFont).height, baseline = measure(cr, "0", kKeyFont).baseline;
  auto bar = [&](double length, double y, int segments) {
    for (int k = 0; k < segments; ++k) {
      cairo_new_path(cr);
      cairo_rectangle(cr, x + length * k / segments, y, length / segments, kScaleBarHeight);
      const double g = k % 2 == 0 ? 0.1 : 1.0;
      cairo_set_source_rgb(cr, g, g, g);
      cairo_fill(cr);
    }
    ink(cr);
    cairo_set_line_width(cr, 0.6);
    cairo_new_path(cr);
    cairo_rectangle(cr, x, y, length, kScaleBarHeight);
    cairo_stroke(cr);
  };
  const double feet = l.scale_feet * l.points_per_foot();
  const double bar_y = top + key + 2;
  bar(feet, bar_y, 4);
  ink(cr);
  text(cr, x, top + baseline, "0", kKeyFont, Align::kCentre);
  text(cr, x + feet, top + baseline, shortest(l.scale_feet) + " " + std::string(l.unit), kKeyFont, Align::kCentre);
  if (l.scale_miles > 0) {
    const double miles = l.scale_miles * l.long_size * l.points_per_foot();
    bar(miles, bar_y + kScaleBarHeight, 2);
    ink(cr);
    const double line = bar_y + 2 * kScaleBarHeight + 2 + baseline;
    text(cr, x, line, "0", kKeyFont, Align::kCentre);
    text(cr, x + miles, line, shortest(l.scale_miles) + " " + std::string(l.long_unit), kKeyFont, Align::kCentre);
  }
}

// A north arrow along the map's y axis (grid north), "N" above it, in a box of
// kNorthWidth x kNorthHeight from (x, top).
void draw_north_arrow(cairo_t* cr, double x, double top) {
  const double cx = x + kNorthWidth / 2, half = kNorthWidth / 2;
  ink(cr);
  text(cr, cx, top + cap_height(kKeyFont), "N", Font{kKeyFont.size, true}, Align::kCentre);
  const double tip = top + cap_height(kKeyFont) + 3, base = top + kNorthHeight, notch = base - 5;
  cairo_new_path(cr);
  cairo_move_to(cr, cx, tip);
  cairo_line_to(cr, cx, notch);
  cairo_line_to(cr, cx - half, base);
  cairo_close_path(cr);
  cairo_fill(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, cx, tip);
  cairo_line_to(cr, cx + half, base);
  cairo_line_to(cr, cx, notch);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_fill_preserve(cr);
  ink(cr);
  cairo_set_line_width(cr, 0.8);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
  cairo_stroke(cr);
  cairo_new_path(cr);
  cairo_move_to(cr, cx, tip);
  cairo_line_to(cr, cx - half, base);
  cairo_line_to(cr, cx, notch);
  cairo_stroke(cr);
}

// The key under the map: the marks and the contour lines explained, then the
// scale bars and the north arrow, beside them or on a row of their own.
void draw_key(cairo_t* cr, const EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& l) {
  const double row = key_row_height(cr, l);
  const double cy = l.key_top + row / 2, cap = cap_height(kKeyFont);
  double x = l.map_left + kMarkerRadius;
  auto entry = [&](void (*marker)(cairo_t*, double, double), const std::string& s) {
    marker(cr, x, cy);
    ink(cr);
    text(cr, x + kMarkerRadius + 5, cy + cap / 2, s, kKeyFont);
    x += 2 * kMarkerRadius + 5 + measure(cr, s, kKeyFont).width + 16;
  };
  const KeyEntries k = key_entries(e, o, l);
  if (k.pumping) entry(pumping_marker, "pumping well");
  if (k.injecting) entry(injecting_marker, "injecting well");
  if (k.idle) entry(idle_marker, "well at zero rate");
  if (k.markers) entry(named_marker, "receptor");
  for (std::size_t i = 0; i < k.boundaries.size() && i < o.boundaries.size(); ++i) {
    const double left = x - kMarkerRadius;
    stroke_boundary(cr, o.boundaries[i].stream, left, cy - 2, left + kBoundaryKeyLength, cy - 2, 0.0, 1.0);
    ink(cr);
    text(cr, left + kBoundaryKeyLength + 5, cy + cap / 2, k.boundaries[i], kKeyFont);
    x += kBoundaryKeyLength + 5 + measure(cr, k.boundaries[i], kKeyFont).width + 16;
  }
  if (k.contours) {
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_set_line_width(cr, 0.7);
    cairo_new_path(cr);
    cairo_move_to(cr, x - kMarkerRadius, cy);
    cairo_line_to(cr, x - kMarkerRadius + 18, cy);
    cairo_stroke(cr);
    ink(cr);
    text(cr, x - kMarkerRadius + 23, cy + cap / 2, contours_key_text(l), kKeyFont);
  }

  const ScaleBlock block = scale_block(cr, l);
  const double block_left = l.key_rows == 1 ? l.map_left + l.map_width - block.width : l.map_left;
  const double block_top = l.key_rows == 1 ? l.key_top + (row - block.height) / 2 : l.key_top + row + 6;
  draw_scale_bars(cr, l, block_left + block.bar_offset, block_top);
  draw_north_arrow(cr, block_left + block.width - kNorthWidth, block_top + (block.height - kNorthHeight) / 2);
}

}  // namespace

void draw(cairo_t* cr, const EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& l, double resolution) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  // Outside the grid's nodes the map shows a neutral grey.
  cairo_rectangle(cr, l.map_left, l.map_top, l.map_width, l.map_height);
  cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
  cairo_fill(cr);
  draw_field(cr, e, l, resolution);
  draw_boundaries(cr, o, l);

  const std::vector<Mark> wells = well_marks(e, l, o), named = named_marks(l, o);
  std::vector<Mark> marks = wells;
  marks.insert(marks.end(), named.begin(), named.end());
  const std::vector<MarkLabel> mark_labels = place_mark_labels(cr, marks, l);
  const std::vector<PictureLine> lines = picture_contours(e, l);
  draw_contours(cr, lines, place_contour_labels(cr, lines, l, marks, mark_labels), l);
  draw_marks(cr, e, o, wells, named, mark_labels);
  draw_axes(cr, l);
  draw_colour_bar(cr, l);
  draw_titles(cr, e, o, l);
  draw_key(cr, e, o, l);
}

}  // namespace pictures::picture
