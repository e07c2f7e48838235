#include "maps/plot_draw.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "maps/colour_scale.h"
#include "maps/contour.h"
#include "maps/plot_labels.h"
#include "maps/plot_layout.h"
#include "maps/plot_text.h"

namespace maps::picture {
namespace {

using engine::EvaluatedGrid;
using engine::Well;

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

// Contour lines in picture units, broken where their labels sit, and the
// labels placed along them.
void draw_contours(cairo_t* cr, const EvaluatedGrid& e, const PlotLayout& l) {
  const std::vector<PictureLine> lines = picture_contours(e, l);
  if (lines.empty()) return;
  font(cr, kLabelSize);
  const std::vector<ContourLabel> labels = place_contour_labels(cr, lines, l, well_points(e, l));

  // Lines, clipped to the map and broken where a label sits.
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
    const bool zero = std::fabs(line.level) < l.interval * 1e-9;
    cairo_set_source_rgba(cr, 0.05, 0.05, 0.05, 0.8);
    cairo_set_line_width(cr, zero ? 1.8 : 1.0);
    cairo_stroke(cr);
  }
  cairo_restore(cr);

  for (const ContourLabel& b : labels) {
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

}  // namespace

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

}  // namespace maps::picture
