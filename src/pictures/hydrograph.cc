// The charts' layout (axes, frame, legend) and drawing (series, limits,
// grid, ticks); their text, numbers and files are the pictures' shared layers
// (picture_text, picture_numbers, picture_file).
#include "pictures/hydrograph.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

#include "gis/contour.h"
#include "files/output_file.h"
#include "pictures/chart_note.h"
#include "pictures/picture_box.h"
#include "pictures/picture_file.h"
#include "pictures/picture_numbers.h"
#include "pictures/picture_text.h"

namespace pictures {

double HydrographLayout::to_x(double days) const {
  const double f = log_time ? std::log(days / t0) / std::log(t1 / t0) : (days - t0) / (t1 - t0);
  return frame_left + f * frame_width;
}

double HydrographLayout::to_y(double feet) const {
  if (log_values) return frame_top + (1.0 - std::log(feet / d0) / std::log(d1 / d0)) * frame_height;
  const double f = (feet - d0) / (d1 - d0);
  return frame_top + (values_down ? f : 1.0 - f) * frame_height;
}

namespace {

using picture::Align;
using picture::Anchor;
using picture::Font;
using picture::TextSize;

constexpr Font kTitleFont{17.0, true};
constexpr Font kTickFont{11.5};
constexpr Font kAxisTitleFont{12.5};
constexpr Font kLegendFont{12.0};
constexpr Font kDateFont{9.5};

constexpr double kFrameWidth = 640.0;
constexpr double kFrameHeight = 400.0;
constexpr double kPad = 16.0;
constexpr double kTick = 5.0;
constexpr double kMinorTick = 3.0;
constexpr double kLegendGap = 28.0;   // between the frame and the legend
constexpr double kSample = 30.0;      // the legend's line sample
constexpr double kMostNameWidth = 280.0;  // longer names are cut with an ellipsis
constexpr double kLineWidth = 2.0;
constexpr double kMarkerRadius = 3.2;
constexpr std::size_t kMostMarkedPoints = 60;  // denser series are drawn as lines alone

// ---------------------------------------------------------------- axes

bool has_limit(const Hydrograph& s) { return s.limit_ft && std::isfinite(*s.limit_ft); }

// The legend's rows: a series each, then a limit line each.
std::size_t legend_rows(std::span<const Hydrograph> series) {
  return series.size() + static_cast<std::size_t>(std::count_if(series.begin(), series.end(), has_limit));
}

// A limit line's legend text: "limit at Smith well, 10 ft".
std::string limit_text(const Hydrograph& s, const ChartStyle& style) {
  return "limit at " + s.name + ", " + picture::shortest(*s.limit_ft) + " " + style.value_unit;
}

struct Extent {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  void add(double v) { lo = std::min(lo, v), hi = std::max(hi, v); }
  bool empty() const { return lo > hi; }
};

// Points that can be drawn: a finite time and a finite drawdown.
std::size_t points_of(const Hydrograph& s) { return std::min(s.days.size(), s.drawdown_ft.size()); }

// Whether a series has a band.
bool has_band(std::span<const Hydrograph> series);

// The legend's lines under the names when a series has a band.
constexpr const char* kBandNotes[] = {"5\u201395\u00a0% of the realizations", "their median"};

// The points of a series' band.
std::size_t band_points(const Hydrograph& s) {
  return std::min({s.band_days.size(), s.band_low_ft.size(), s.band_middle_ft.size(), s.band_high_ft.size()});
}

// Times 1-2-5 over up to three decades, every decade (or every few) beyond,
// with unlabelled minor ticks at the other whole multiples over up to six.
std::vector<AxisTick> log_ticks(double t0, double t1) {
  std::vector<AxisTick> ticks;
  const double decades = std::log10(t1 / t0);
  const int first = static_cast<int>(std::floor(std::log10(t0)));
  const int last = static_cast<int>(std::ceil(std::log10(t1)));
  const int every = decades <= 8 ? 1 : static_cast<int>(std::ceil(decades / 8));
  for (int e = first; e <= last; ++e) {
    const double p = std::pow(10.0, e);
    for (int m = 1; m <= 9; ++m) {
      const double v = m * p;
      if (!(v >= t0 * (1 - 1e-9) && v <= t1 * (1 + 1e-9))) continue;
      const bool labelled = decades <= 3 ? (m == 1 || m == 2 || m == 5) : (m == 1 && (e - first) % every == 0);
      if (labelled) ticks.push_back({v, picture::shortest(v)});
      else if (m == 1 || decades <= 6) ticks.push_back({v, ""});
    }
  }
  return ticks;
}

// Multiples of `step` from lo to hi (both multiples), labelled.
std::vector<AxisTick> linear_ticks(double lo, double hi, double step, bool fixed_decimals) {
  std::vector<AxisTick> ticks;
  for (double v : picture::multiples(lo, hi, step)) {
    ticks.push_back({v, fixed_decimals ? picture::fixed(v, gis::decimals_for(step)) : picture::shortest(v)});
  }
  return ticks;
}

// A linear axis over [lo, hi] widened to round ends, about `intervals` steps.
void round_range(double lo, double hi, int intervals, double& from, double& to, double& step) {
  if (!(hi > lo)) hi = lo + 1.0;
  step = gis::round_interval(lo, hi, intervals);
  if (!(step > 0.0)) step = (hi - lo) / intervals;  // values too large for a round step
  from = std::floor(lo / step) * step;
  to = std::ceil(hi / step) * step;
  if (!(to > from)) to = from + step;
}

// ---------------------------------------------------------------- text

// Text with its left end, centre or right end at x, and its top at y (or,
// with `middle`, its middle at y), cut with an ellipsis beyond `most_width`.
void show(cairo_t* cr, const std::string& s, Font font, double x, double y, Align align, bool middle = false,
          double most_width = 0) {
  picture::text(cr, x, y, s, font, picture::Placement(align, middle ? Anchor::kMiddle : Anchor::kTop, most_width));
}

std::string time_axis_title(bool log_time, const ChartStyle& style) {
  return "time since pumping began, " + style.time_unit + (log_time ? " (logarithmic scale)" : "") +
         (style.start_date ? "; dates from " + base::iso_date(*style.start_date) : "");
}

// The value axis: from 0 (or a value below it) to the largest, on round
// ticks; or logarithmic over the positive values.
void value_axis(HydrographLayout& l, const Extent& values, const Extent& positive_values) {
  if (l.log_values) {
    const double lo = positive_values.empty() ? 1.0 : positive_values.lo;
    const double hi = positive_values.empty() ? 10.0 : std::max(positive_values.hi, 1.0001 * lo);
    l.d0 = picture::round_below(lo);
    l.d1 = picture::round_above(hi);
    if (!(l.d0 > 0.0)) l.d0 = lo;
    l.drawdown_ticks = log_ticks(l.d0, l.d1);
    return;
  }
  const double lo = values.empty() ? 0.0 : std::min(0.0, values.lo);
  const double hi = values.empty() ? 1.0 : std::max(0.0, values.hi);
  double step;
  round_range(lo, hi, 8, l.d0, l.d1, step);
  l.drawdown_ticks = linear_ticks(l.d0, l.d1, step, true);
}

// The time axis: logarithmic over more than a decade of the positive times,
// else linear from day 0 (or the earliest time, if negative).
void time_axis(HydrographLayout& l, const Extent& times, const Extent& positive, std::optional<bool> log_time) {
  l.log_time = !positive.empty() && log_time.value_or(positive.hi > 10.0 * positive.lo);
  if (l.log_time && !(positive.hi > positive.lo)) {  // one time on a log axis: a decade around it
    l.t0 = picture::round_below(positive.lo / 3), l.t1 = picture::round_above(positive.lo * 3);
    l.time_ticks = log_ticks(l.t0, l.t1);
    return;
  }
  if (l.log_time) {
    l.t0 = picture::round_below(positive.lo);
    l.t1 = picture::round_above(positive.hi);
    if (!(l.t0 > 0.0)) l.t0 = positive.lo;  // below the smallest round double
    l.time_ticks = log_ticks(l.t0, l.t1);
    return;
  }
  const double lo = times.empty() ? 0.0 : std::min(0.0, times.lo);
  const double hi = times.empty() ? 1.0 : times.hi;
  double step;
  round_range(lo, hi, 6, l.t0, l.t1, step);
  l.time_ticks = linear_ticks(l.t0, l.t1, step, false);
}

// The frame, the legend and the picture's size, from the texts around the
// frame as measured on `cr`.
void place_frame(cairo_t* cr, HydrographLayout& l, std::string_view title, std::span<const Hydrograph> series,
                 const ChartStyle& style) {
  const TextSize title_size = picture::measure(cr, std::string(title), kTitleFont);
  const double axis_title = picture::measure(cr, style.value_axis_title, kAxisTitleFont).height;
  const double tick_height = picture::measure(cr, "0", kTickFont).height;
  double tick_width = 0;
  for (const AxisTick& t : l.drawdown_ticks) tick_width = std::max(tick_width, picture::measure(cr, t.label, kTickFont).width);
  double name_width = 0, name_height = picture::measure(cr, "Ag", kLegendFont).height;
  for (const Hydrograph& s : series) {
    const TextSize t = picture::measure_line(cr, s.name, kLegendFont, kMostNameWidth);
    name_width = std::max(name_width, t.width);
    name_height = std::max(name_height, t.height);
    if (has_limit(s))
      name_width = std::max(name_width, picture::measure_line(cr, limit_text(s, style), kLegendFont, kMostNameWidth).width);
  }
  const bool band = has_band(series);
  for (const char* note : kBandNotes)
    if (band) name_width = std::max(name_width, picture::measure_line(cr, note, kLegendFont, kMostNameWidth).width);
  const std::size_t rows = legend_rows(series) + (band ? 3 : 0);

  l.frame_top = kPad + title_size.height + 18;
  l.frame_left = kPad + axis_title + 10 + tick_width + 6 + kTick;
  l.frame_width = kFrameWidth;
  l.frame_height = kFrameHeight;
  l.legend_left = l.frame_left + l.frame_width + kLegendGap;
  l.legend_top = l.frame_top + 4;
  l.legend_row = name_height + 6;
  l.width = std::max(l.legend_left + kSample + 8 + name_width, l.frame_left + title_size.width) + kPad;
  const double dates = style.start_date ? picture::measure(cr, "0", kDateFont).height + 2 : 0.0;
  l.height = std::max(l.frame_top + l.frame_height + kTick + 4 + tick_height + dates + 10 + axis_title,
                      l.legend_top + static_cast<double>(rows) * l.legend_row) +
             kPad;
  l.width = std::ceil(l.width);
  l.height = std::ceil(l.height);
}

HydrographLayout layout_with(cairo_t* cr, std::string_view title, std::span<const Hydrograph> series,
                             const ChartStyle& style) {
  HydrographLayout l;
  l.log_values = style.log_values;
  l.values_down = style.values_down;

  Extent times, positive, drawdowns, positive_drawdowns;
  for (const Hydrograph& s : series)
    for (std::size_t k = 0; k < points_of(s); ++k) {
      const double t = s.days[k], d = s.drawdown_ft[k];
      if (!std::isfinite(t)) continue;
      times.add(t);
      if (t > 0) positive.add(t);
      if (std::isfinite(d)) drawdowns.add(d);
      if (std::isfinite(d) && d > 0) positive_drawdowns.add(d);
    }
  for (const Hydrograph& s : series)
    for (std::size_t k = 0; k < band_points(s); ++k)
      for (float d : {s.band_low_ft[k], s.band_high_ft[k]})
        if (std::isfinite(d) && std::isfinite(s.band_days[k])) drawdowns.add(d);
  // A limit lies inside the frame, not on its edge, where the frame would hide it.
  for (const Hydrograph& s : series)
    if (s.limit_ft && std::isfinite(*s.limit_ft)) drawdowns.add(*s.limit_ft + 0.02 * std::fabs(*s.limit_ft));

  time_axis(l, times, positive, style.log_time);
  // Drawdown: from 0, or a rise above it, down to the deepest.
  value_axis(l, drawdowns, positive_drawdowns);
  place_frame(cr, l, title, series, style);
  return l;
}

// ---------------------------------------------------------------- drawing

void set_colour(cairo_t* cr, const Rgb& c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void set_line_style(cairo_t* cr, std::size_t k) {
  static constexpr std::array<std::array<double, 4>, 4> kDashes = {{{0, 0, 0, 0}, {7, 4, 7, 4}, {2, 3, 2, 3}, {8, 3, 2, 3}}};
  const auto& dash = kDashes[(k / 7) % kDashes.size()];
  cairo_set_dash(cr, dash.data(), dash[0] > 0 ? 4 : 0, 0);
  cairo_set_line_width(cr, kLineWidth);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void marker(cairo_t* cr, double x, double y) {
  cairo_new_path(cr);
  cairo_arc(cr, x, y, kMarkerRadius, 0, 2 * M_PI);
  cairo_fill(cr);
}

// A series' band, shaded in its colour, and the band's middle as a thin
// dotted line (inside the frame's clip).
void draw_band(cairo_t* cr, const HydrographLayout& l, const Hydrograph& s, std::size_t k) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < band_points(s); ++i)
    if (std::isfinite(s.band_days[i]) && (!l.log_time || s.band_days[i] > 0) && std::isfinite(s.band_low_ft[i]) &&
        std::isfinite(s.band_high_ft[i]) && std::isfinite(s.band_middle_ft[i]))
      order.push_back(i);
  if (order.size() < 2) return;
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return s.band_days[a] < s.band_days[b]; });
  const Rgb c = hydrograph_colour(k);
  cairo_new_path(cr);
  for (std::size_t i : order) cairo_line_to(cr, l.to_x(s.band_days[i]), l.to_y(s.band_high_ft[i]));
  for (auto i = order.rbegin(); i != order.rend(); ++i) cairo_line_to(cr, l.to_x(s.band_days[*i]), l.to_y(s.band_low_ft[*i]));
  cairo_close_path(cr);
  cairo_set_source_rgba(cr, c.r, c.g, c.b, 0.18);
  cairo_fill(cr);
  static constexpr double kMiddleDash[] = {1.5, 2.5};
  cairo_set_dash(cr, kMiddleDash, 2, 0);
  cairo_set_line_width(cr, kLineWidth * 0.6);
  cairo_set_source_rgb(cr, c.r, c.g, c.b);
  cairo_new_path(cr);
  for (std::size_t i : order) cairo_line_to(cr, l.to_x(s.band_days[i]), l.to_y(s.band_middle_ft[i]));
  cairo_stroke(cr);
}

void draw_series(cairo_t* cr, const HydrographLayout& l, const Hydrograph& s, std::size_t k) {
  if (s.colour != static_cast<std::size_t>(-1)) k = s.colour;
  // In time order; a drawdown that is not finite breaks the line.
  std::vector<std::size_t> order(points_of(s));
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return s.days[a] < s.days[b]; });
  std::vector<std::pair<double, double>> points;  // picture coordinates; NaN x: a break
  for (std::size_t i : order) {
    const double t = s.days[i], d = s.drawdown_ft[i];
    if (!std::isfinite(t) || (l.log_time && !(t > 0))) continue;
    if (!std::isfinite(d) || (l.log_values && !(d > 0))) points.push_back({NAN, NAN});
    else points.push_back({l.to_x(t), l.to_y(d)});
  }

  cairo_save(cr);
  cairo_rectangle(cr, l.frame_left, l.frame_top, l.frame_width, l.frame_height);
  cairo_clip(cr);
  if (band_points(s) > 0) draw_band(cr, l, s, k);
  set_colour(cr, hydrograph_colour(k));
  set_line_style(cr, k);
  cairo_new_path(cr);
  bool open = false;
  for (const auto& [x, y] : s.marks == Marks::kMarkers ? decltype(points){} : points) {
    if (std::isnan(x)) {
      open = false;
      continue;
    }
    if (open) cairo_line_to(cr, x, y);
    else cairo_move_to(cr, x, y);
    open = true;
  }
  cairo_stroke(cr);
  if (s.marks != Marks::kMarkers && !s.marked_days.empty()) {
    for (std::size_t i = 0; i < s.marked_days.size() && i < s.marked_ft.size(); ++i) {
      const double t = s.marked_days[i], d = s.marked_ft[i];
      if (std::isfinite(t) && std::isfinite(d) && (!l.log_time || t > 0)) marker(cr, l.to_x(t), l.to_y(d));
    }
  } else if (s.marks == Marks::kMarkers || (s.marks == Marks::kLineAndMarkers && points.size() <= kMostMarkedPoints)) {
    for (const auto& [x, y] : points)
      if (!std::isnan(x)) marker(cr, x, y);
  }
  if (s.limit_ft && std::isfinite(*s.limit_ft)) {
    static constexpr double kLimitDash[] = {9, 5};
    cairo_set_dash(cr, kLimitDash, 2, 0);
    cairo_set_line_width(cr, kLineWidth * 0.8);
    cairo_move_to(cr, l.frame_left, l.to_y(*s.limit_ft));
    cairo_line_to(cr, l.frame_left + l.frame_width, l.to_y(*s.limit_ft));
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

void draw_grid(cairo_t* cr, const HydrographLayout& l) {
  const double bottom = l.frame_top + l.frame_height, right = l.frame_left + l.frame_width;
  // Light grid lines at the labelled ticks.
  cairo_set_source_rgb(cr, 0.88, 0.88, 0.88);
  cairo_set_line_width(cr, 1.0);
  for (const AxisTick& t : l.time_ticks)
    if (!t.label.empty()) {
      cairo_move_to(cr, l.to_x(t.value), l.frame_top);
      cairo_line_to(cr, l.to_x(t.value), bottom);
    }
  for (const AxisTick& t : l.drawdown_ticks) {
    cairo_move_to(cr, l.frame_left, l.to_y(t.value));
    cairo_line_to(cr, right, l.to_y(t.value));
  }
  cairo_stroke(cr);
}

void draw_frame_and_ticks(cairo_t* cr, const HydrographLayout& l, const ChartStyle& style) {
  const double bottom = l.frame_top + l.frame_height;
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_set_line_width(cr, 1.0);
  cairo_rectangle(cr, l.frame_left, l.frame_top, l.frame_width, l.frame_height);
  cairo_stroke(cr);
  const double tick_height = picture::measure(cr, "0", kTickFont).height;
  double date_right = -std::numeric_limits<double>::infinity();  // the right end of the last date drawn
  for (const AxisTick& t : l.time_ticks) {
    const double x = l.to_x(t.value);
    cairo_move_to(cr, x, bottom);
    cairo_line_to(cr, x, bottom + (t.label.empty() ? kMinorTick : kTick));
    cairo_stroke(cr);
    if (t.label.empty()) continue;
    show(cr, t.label, kTickFont, x, bottom + kTick + 4, Align::kCentre);
    const std::optional<std::string> date = style.start_date ? base::date_of_day(*style.start_date, t.value) : std::nullopt;
    if (!date) continue;
    const double w = picture::measure(cr, *date, kDateFont).width;
    if (x - w / 2 < date_right + 6) continue;  // no room beside the previous date
    show(cr, *date, kDateFont, x, bottom + kTick + 4 + tick_height + 1, Align::kCentre);
    date_right = x + w / 2;
  }
  for (const AxisTick& t : l.drawdown_ticks) {
    const double y = l.to_y(t.value);
    cairo_move_to(cr, l.frame_left, y);
    cairo_line_to(cr, l.frame_left - kTick, y);
    cairo_stroke(cr);
    show(cr, t.label, kTickFont, l.frame_left - kTick - 6, y, Align::kRight, true);
  }

  const double dates = style.start_date ? picture::measure(cr, "0", kDateFont).height + 2 : 0.0;
  show(cr, time_axis_title(l.log_time, style), kAxisTitleFont, l.frame_left + l.frame_width / 2,
       bottom + kTick + 4 + tick_height + dates + 10, Align::kCentre);
  cairo_save(cr);
  cairo_translate(cr, kPad, l.frame_top + l.frame_height / 2);
  cairo_rotate(cr, -M_PI / 2);
  show(cr, style.value_axis_title, kAxisTitleFont, 0, 0, Align::kCentre);
  cairo_restore(cr);
}

// The legend's rows of the limit lines, after the series': a dashed sample
// in the series' colour, and the limit's text.
void draw_limit_legend(cairo_t* cr, const HydrographLayout& l, std::span<const Hydrograph> series,
                       const ChartStyle& style) {
  std::size_t row = series.size();
  for (std::size_t k = 0; k < series.size(); ++k) {
    if (!has_limit(series[k])) continue;
    const double y = l.legend_top + (static_cast<double>(row++) + 0.5) * l.legend_row;
    const std::size_t colour = series[k].colour != static_cast<std::size_t>(-1) ? series[k].colour : k;
    cairo_save(cr);
    set_colour(cr, hydrograph_colour(colour));
    static constexpr double kLimitDash[] = {9, 5};
    cairo_set_dash(cr, kLimitDash, 2, 0);
    cairo_set_line_width(cr, kLineWidth * 0.8);
    cairo_move_to(cr, l.legend_left, y);
    cairo_line_to(cr, l.legend_left + kSample, y);
    cairo_stroke(cr);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    show(cr, limit_text(series[k], style), kLegendFont, l.legend_left + kSample + 8, y, Align::kLeft, true,
         kMostNameWidth);
  }
}

bool has_band(std::span<const Hydrograph> series) {
  return std::any_of(series.begin(), series.end(), [](const Hydrograph& s) { return band_points(s) > 0; });
}

// The band's two legend lines, after a blank row under the names: a grey
// swatch and a dotted line.
void draw_band_legend(cairo_t* cr, const HydrographLayout& l, std::size_t names) {
  const double y0 = l.legend_top + (static_cast<double>(names) + 1.5) * l.legend_row;
  cairo_set_source_rgba(cr, 0.3, 0.3, 0.3, 0.25);
  cairo_rectangle(cr, l.legend_left, y0 - l.legend_row * 0.3, kSample, l.legend_row * 0.6);
  cairo_fill(cr);
  static constexpr double kMiddleDash[] = {1.5, 2.5};
  cairo_save(cr);
  cairo_set_dash(cr, kMiddleDash, 2, 0);
  cairo_set_line_width(cr, kLineWidth * 0.6);
  cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
  cairo_move_to(cr, l.legend_left, y0 + l.legend_row);
  cairo_line_to(cr, l.legend_left + kSample, y0 + l.legend_row);
  cairo_stroke(cr);
  cairo_restore(cr);
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  for (std::size_t k = 0; k < 2; ++k)
    show(cr, kBandNotes[k], kLegendFont, l.legend_left + kSample + 8, y0 + static_cast<double>(k) * l.legend_row,
         Align::kLeft, true, kMostNameWidth);
}

void draw_legend(cairo_t* cr, const HydrographLayout& l, std::span<const Hydrograph> series) {
  for (std::size_t k = 0; k < series.size(); ++k) {
    const double y = l.legend_top + (k + 0.5) * l.legend_row;
    const std::size_t colour = series[k].colour != static_cast<std::size_t>(-1) ? series[k].colour : k;
    cairo_save(cr);
    set_colour(cr, hydrograph_colour(colour));
    set_line_style(cr, colour);
    if (series[k].marks != Marks::kMarkers) {
      cairo_move_to(cr, l.legend_left, y);
      cairo_line_to(cr, l.legend_left + kSample, y);
      cairo_stroke(cr);
    }
    if (series[k].marks != Marks::kLine) marker(cr, l.legend_left + kSample / 2, y);
    cairo_restore(cr);
    cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
    show(cr, series[k].name, kLegendFont, l.legend_left + kSample + 8, y, Align::kLeft, true, kMostNameWidth);
  }
  if (has_band(series)) draw_band_legend(cr, l, legend_rows(series));  // under the limit lines' rows
}

void draw(cairo_t* cr, std::string_view title, const HydrographLayout& l,
          std::span<const Hydrograph> series, const ChartStyle& style) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  draw_grid(cr, l);
  if (style.zero_line && !l.log_values && l.d0 < 0.0 && l.d1 > 0.0) {
    cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
    cairo_set_line_width(cr, 1.2);
    cairo_move_to(cr, l.frame_left, l.to_y(0.0));
    cairo_line_to(cr, l.frame_left + l.frame_width, l.to_y(0.0));
    cairo_stroke(cr);
  }
  for (std::size_t k = 0; k < series.size(); ++k) draw_series(cr, l, series[k], k);
  picture::draw_note(cr, l, series, style.note);
  draw_frame_and_ticks(cr, l, style);
  draw_legend(cr, l, series);
  draw_limit_legend(cr, l, series, style);
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  show(cr, std::string(title), kTitleFont, l.frame_left, kPad, Align::kLeft);
}

// ---------------------------------------------------------------- the file's description

std::string names_text(std::span<const Hydrograph> series) {
  std::string s = "Drawdown against time at ";
  s += series.size() == 1 ? "1 receptor: " : std::to_string(series.size()) + " receptors: ";
  for (std::size_t k = 0; k < series.size(); ++k) s += (k ? "; " : "") + series[k].name;
  return s;
}

}  // namespace

Rgb hydrograph_colour(std::size_t k) {
  // Okabe and Ito's colours for colour-blind readers, without the yellow that
  // is too light on white.
  static constexpr std::array<Rgb, 7> kColours = {{{0x00 / 255.0, 0x72 / 255.0, 0xB2 / 255.0},
                                                   {0xD5 / 255.0, 0x5E / 255.0, 0x00 / 255.0},
                                                   {0x00 / 255.0, 0x9E / 255.0, 0x73 / 255.0},
                                                   {0xCC / 255.0, 0x79 / 255.0, 0xA7 / 255.0},
                                                   {0xE6 / 255.0, 0x9F / 255.0, 0x00 / 255.0},
                                                   {0x56 / 255.0, 0xB4 / 255.0, 0xE9 / 255.0},
                                                   {0x00 / 255.0, 0x00 / 255.0, 0x00 / 255.0}}};
  return kColours[k % kColours.size()];
}

HydrographLayout hydrograph_layout(std::string_view title, std::span<const Hydrograph> series,
                                   const ChartStyle& style) {
  const picture::Context cr = picture::measuring_context();
  return layout_with(cr.get(), title, series, style);
}

std::string write_hydrographs(const files::Target& target, PlotFormat format, std::string_view title,
                              std::span<const Hydrograph> series, const ChartStyle& style) {
  if (!(style.png_scale > 0.0 && style.png_scale <= 16.0)) return "the picture's scale must be above 0 and at most 16";
  if (series.empty()) return "there are no receptors to draw";
  for (const Hydrograph& s : series)
    if (s.days.size() != s.drawdown_ft.size())
      return "the receptor \"" + s.name + "\" has " + std::to_string(s.days.size()) + " times but " +
             std::to_string(s.drawdown_ft.size()) + " drawdowns";

  const HydrographLayout l = hydrograph_layout(title, series, style);
  picture::PictureFile file;
  file.format = format;
  file.width = l.width, file.height = l.height;
  file.pixels_per_point = style.png_scale;
  file.page_width = style.page_width, file.page_height = style.page_height;
  file.title = std::string(title);
  file.description = names_text(series);
  return picture::write_picture(target, file, [&](cairo_t* cr) { draw(cr, title, l, series, style); });
}

namespace picture {

Figure hydrograph_figure(std::string_view title, std::span<const Hydrograph> series, const ChartStyle& style) {
  Figure f;
  if (series.empty()) return f.problem = "there are no receptors to draw", f;
  const HydrographLayout l = hydrograph_layout(title, series, style);
  f.width = l.width, f.height = l.height;
  f.draw = [title, series, &style, l](cairo_t* cr) { draw(cr, title, l, series, style); };
  return f;
}

}  // namespace picture
}  // namespace pictures
