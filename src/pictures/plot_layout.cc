#include "pictures/plot_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "gis/contour.h"
#include "pictures/plot.h"

namespace pictures {
namespace picture {

std::pair<double, double> node_span(std::int32_t n) {
  return n > 1 ? std::pair{1.0, static_cast<double>(n)} : std::pair{0.5, 1.5};
}

bool finite_well(const engine::Well& w) { return std::isfinite(w.x) && std::isfinite(w.y); }

std::string title_text(const engine::EvaluatedGrid& e) {
  return "Drawdown after " + general(e.TIME) + (e.TIME == 1.0f ? " day" : " days") + " of pumping";
}

std::string unit_word(std::string_view unit) {
  if (unit == "ft") return "feet";
  if (unit == "m") return "metres";
  return std::string(unit);
}

std::string subtitle_text(const engine::EvaluatedGrid& e, const std::string& input_name, const std::string& aquifer) {
  // Items are joined by no-break spaces inside and wrap only between them.
  const std::string nb = "\u00a0", dot = "  \u00b7  ";
  const std::size_t n = e.wells.size();
  std::string s;
  if (!input_name.empty()) s += input_name + dot;
  if (!aquifer.empty()) {
    s += aquifer + dot;
  } else {
    s += "T" + nb + "=" + nb + general(e.T) + nb + "gpd/ft" + dot;
    s += "leakance" + nb + "=" + nb + general(e.LEAK) + nb + "gpd/ft\u00b3" + dot;
  }
  s += "S" + nb + "=" + nb + general(e.S) + dot;
  s += std::to_string(n) + nb + (n == 1 ? "well" : "wells") + dot;
  s += std::to_string(e.NX) + nb + "\u00d7" + nb + std::to_string(e.NY) + nb + "nodes," + nb + std::to_string(e.SPACING) +
       nb + std::string(e.length_unit) + nb + "apart";
  return s;
}

std::string level_text(double level, int decimals) { return fixed(level, decimals); }

std::string contours_key_text(const PlotLayout& l) {
  std::string unit(1, ' ');
  unit.append(l.unit);
  if (l.interval > 0) return "contours every " + level_text(l.interval, l.level_decimals) + unit;
  std::string s = "contours at ";
  const std::size_t n = l.levels.size();
  for (std::size_t k = 0; k < n; ++k) {
    if (n > 6 && k == 3) {
      s += "\u2026, ";
      k = n - 1;
    }
    s += level_text(l.levels[k], l.level_decimals) + (k + 1 < n ? ", " : "");
  }
  return s + unit;
}

KeyEntries key_entries(const engine::EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& l) {
  KeyEntries k;
  for (const engine::Well& w : e.wells) {
    if (!finite_well(w)) continue;
    k.pumping = k.pumping || w.q > 0;
    k.injecting = k.injecting || w.q < 0;
    k.idle = k.idle || !(w.q > 0 || w.q < 0);
  }
  k.markers = !o.markers.empty();
  k.contours = !l.levels.empty();
  for (const PlotBoundary& b : o.boundaries) k.boundaries.push_back(b.name + (b.stream ? " (stream)" : " (barrier)"));
  return k;
}

LineHeights line_heights(cairo_t* cr) {
  return LineHeights{measure(cr, "0", kTickFont).height, measure(cr, "0", kAxisTitleFont).height,
                     measure(cr, "0", kKeyFont).height};
}

BarEndTexts bar_end_texts(const PlotLayout& l) {
  const int d = l.level_decimals + 1;
  return BarEndTexts{fixed(l.colours.lo, d), fixed(l.colours.hi, d), l.clipped_low ? "min " + fixed(l.data_lo, d) : "",
                     l.clipped_high ? "max " + fixed(l.data_hi, d) : ""};
}

double legend_width(cairo_t* cr, const KeyEntries& k, const PlotLayout& l) {
  double w = 0;
  auto entry = [&](bool shown, const std::string& s) {
    if (shown) w += 2 * kMarkerRadius + 5 + measure(cr, s, kKeyFont).width + 16;
  };
  entry(k.pumping, "pumping well");
  entry(k.injecting, "injecting well");
  entry(k.idle, "well at zero rate");
  entry(k.markers, "receptor");
  for (const std::string& b : k.boundaries) w += kBoundaryKeyLength + 5 + measure(cr, b, kKeyFont).width + 16;
  if (k.contours) w += 18 + 5 + measure(cr, contours_key_text(l), kKeyFont).width;
  return w;
}

ScaleBlock scale_block(cairo_t* cr, const PlotLayout& l) {
  const double ppf = l.points_per_foot();
  const double zero = measure(cr, "0", kKeyFont).width / 2;
  double right = l.scale_feet * ppf + measure(cr, shortest(l.scale_feet) + " " + std::string(l.unit), kKeyFont).width / 2;
  if (l.scale_miles > 0)
    right = std::max(right, l.scale_miles * l.long_size * ppf +
                                measure(cr, shortest(l.scale_miles) + " " + std::string(l.long_unit), kKeyFont).width / 2);
  const double key = measure(cr, "0", kKeyFont).height;
  const double bars = key + 2 + kScaleBarHeight + (l.scale_miles > 0 ? kScaleBarHeight + 2 + key : 0);
  return ScaleBlock{zero + right + 18 + kNorthWidth, std::max(bars, kNorthHeight), zero};
}

double key_row_height(cairo_t* cr, const PlotLayout& l) {
  return std::max(measure(cr, "0", kKeyFont).height, scale_block(cr, l).height);
}

std::vector<double> bar_ticks(const PlotLayout& l) {
  const double step = gis::round_interval(l.colours.lo, l.colours.hi, 6);
  if (!(step > 0.0)) return {};
  return multiples(l.colours.lo, l.colours.hi, step);
}

int bar_tick_decimals(const PlotLayout& l) { return gis::decimals_for(gis::round_interval(l.colours.lo, l.colours.hi, 6)); }

double bar_label_width(cairo_t* cr, const PlotLayout& l) {
  double w = 0;
  for (double v : bar_ticks(l)) w = std::max(w, measure(cr, level_text(v, bar_tick_decimals(l)), kTickFont).width);
  const BarEndTexts ends = bar_end_texts(l);
  for (const std::string* s : {&ends.lo, &ends.hi, &ends.below, &ends.above})
    w = std::max(w, measure(cr, *s, kTickFont).width);
  return w;
}

double y_label_width(cairo_t* cr, const PlotLayout& l) {
  const double step = gis::round_interval(l.y0, l.y1, 6);
  double w = 0;
  for (double t : multiples(l.y0, l.y1, step)) w = std::max(w, measure(cr, fixed(t, gis::decimals_for(step)), kTickFont).width);
  return w;
}

namespace {

// The area in feet the map must show (before a thin map is widened): the
// nodes, and every well and marker outside them with room for its mark.
void set_extent(const engine::EvaluatedGrid& e, const PlotOptions& o, PlotLayout& l) {
  l.unit = e.length_unit;
  if (e.length_unit == "m") l.long_unit = "km", l.long_size = 1000.0;
  const auto [c0, c1] = node_span(e.NX);
  const auto [r0, r1] = node_span(e.NY);
  l.x0 = e.map_x(c0), l.x1 = e.map_x(c1), l.y0 = e.map_y(r0), l.y1 = e.map_y(r1);
  double wx0 = l.x0, wx1 = l.x1, wy0 = l.y0, wy1 = l.y1;
  auto include = [&](double x, double y) {
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    wx0 = std::min(wx0, x), wx1 = std::max(wx1, x), wy0 = std::min(wy0, y), wy1 = std::max(wy1, y);
  };
  for (const engine::Well& w : e.wells) include(e.map_x(w.x), e.map_y(w.y));
  for (const PlotMarker& m : o.markers) include(m.x, m.y);
  const double margin = 0.03 * std::max(wx1 - wx0, wy1 - wy0);
  if (wx0 < l.x0) l.x0 = wx0 - margin;
  if (wx1 > l.x1) l.x1 = wx1 + margin;
  if (wy0 < l.y0) l.y0 = wy0 - margin;
  if (wy1 > l.y1) l.y1 = wy1 + margin;
}

// The colour range, the palette and the contour levels.
void set_colours(const engine::EvaluatedGrid& e, const PlotOptions& o, PlotLayout& l) {
  const gis::Drawdowns d = gis::drawdowns(e);
  // The grids that set the scale and the round levels.
  const std::span<const engine::EvaluatedGrid> scale_grids = o.scale_from.empty() ? std::span(&e, 1) : o.scale_from;
  const gis::Drawdowns scale = gis::drawdowns(scale_grids);
  double lo = 0, hi = 1;
  if (scale.any) {
    lo = scale.lo_off_wells, hi = scale.hi_off_wells;
    if (lo == hi) lo -= 0.5, hi += 0.5;
  }
  const bool both_signs = scale.any && scale.lo_off_wells < 0 && scale.hi_off_wells > 0;
  if (o.range && std::isfinite(o.range->first) && std::isfinite(o.range->second) && o.range->first < o.range->second)
    std::tie(lo, hi) = *o.range;
  l.colours = ColourScale{both_signs ? Palette::kDiverging : Palette::kViridis, lo, hi};
  l.data_lo = d.any ? d.lo : lo;
  l.data_hi = d.any ? d.hi : hi;
  l.clipped_low = d.any && d.lo < lo;
  l.clipped_high = d.any && d.hi > hi;

  if (!o.levels.empty()) {
    for (double v : o.levels)
      if (std::isfinite(v)) l.levels.push_back(v);
    std::sort(l.levels.begin(), l.levels.end());
    l.levels.erase(std::unique(l.levels.begin(), l.levels.end()), l.levels.end());
    l.interval = 0;
    for (double v : l.levels) l.level_decimals = std::max(l.level_decimals, std::min(gis::decimals_for(std::fabs(v)), 6));
  } else {
    // The contour layer's levels (gis::levels_for), whatever the colour range.
    gis::RoundLevels round = gis::round_levels(scale_grids);
    l.levels = std::move(round.levels);
    l.interval = round.interval;
    l.level_decimals = gis::decimals_for(l.interval);
  }
}

// Fits the map in max_w x max_h points at one scale for both directions,
// widening a thin map.
void fit_map(PlotLayout& l, double max_w, double max_h) {
  const double scale = std::min(max_w / (l.x1 - l.x0), max_h / (l.y1 - l.y0));
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
  const double width = l.x1 - l.x0;
  l.scale_feet = round_below(width / 3);
  l.scale_miles = width / 3 >= l.long_size ? round_below(width / 3 / l.long_size) : 0;
}

// The layout on a page of page_w x page_h points, or at the picture's own
// size when page_w is 0.
PlotLayout lay_out(const engine::EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& start, double page_w,
                   double page_h) {
  Context cr = measuring_context();
  const LineHeights lh = line_heights(cr.get());
  const std::string title = o.title.empty() ? title_text(e) : o.title;
  const std::string subtitle = o.subtitle.empty() ? subtitle_text(e, o.input_name, o.aquifer) : o.subtitle;

  const double left = kPad + lh.axis_title + 6 + y_label_width(cr.get(), start) + 4 + kTick;
  const double right = kBarGap + kBarWidth + kTick + 3 + bar_label_width(cr.get(), start) + 8 + lh.axis_title + kPad;
  const double axis_below = kTick + 2 + lh.tick + 4 + lh.axis_title + 8;
  auto text_height = [&](double wrap) {
    return measure(cr.get(), title, kTitleFont, wrap).height + 3 + measure(cr.get(), subtitle, kSubtitleFont, wrap).height;
  };
  const KeyEntries key = key_entries(e, o, start);
  const double legend = legend_width(cr.get(), key, start);

  PlotLayout l;
  for (int rows = 1;; ++rows) {
    l = start;
    double top = 0;
    if (page_w > 0) {
      const double content_w = page_w - 2 * kPageMargin, content_h = page_h - 2 * kPageMargin;
      l.text_width = content_w - left - kPad;
      top = kPad + text_height(l.text_width) + 10;
      // The key's rows are at most this high whatever the map's scale.
      const double row_bound = std::max(kNorthHeight, 2 * lh.key + 4 + 2 * kScaleBarHeight);
      const double bottom_guess = axis_below + rows * row_bound + (rows - 1) * 6 + kPad;
      fit_map(l, content_w - left - right, content_h - top - bottom_guess);
    } else {
      fit_map(l, kMapMaxWidth, kMapMaxHeight);
      l.text_width = std::max(l.map_width + right - kPad, kMinTextWidth);
      top = kPad + text_height(l.text_width) + 10;
    }
    const ScaleBlock scale = scale_block(cr.get(), l);
    const double row = key_row_height(cr.get(), l);
    l.key_rows = legend + 24 + scale.width <= l.map_width ? 1 : 2;
    const double bottom = axis_below + l.key_rows * row + (l.key_rows - 1) * 6 + kPad;

    l.map_left = left;
    l.map_top = top;
    l.width = std::ceil(left + std::max({l.map_width + right, l.text_width + kPad, legend + kPad}));
    l.height = std::ceil(top + l.map_height + bottom);
    l.text_left = left;
    l.title_top = kPad;
    l.key_top = top + l.map_height + axis_below;
    if (l.key_rows == rows || rows == 2) break;
  }
  l.bar_left = l.map_left + l.map_width + kBarGap;
  l.bar_width = kBarWidth;
  l.bar_top = l.map_top + (l.clipped_high ? kClipTriangle + 2 : 0);
  l.bar_height = l.map_height - (l.clipped_high ? kClipTriangle + 2 : 0) - (l.clipped_low ? kClipTriangle + 2 : 0);

  if (page_w > 0) {
    // The picture centred on the page.
    const double dx = std::floor((page_w - l.width) / 2), dy = std::floor((page_h - l.height) / 2);
    l.map_left += dx, l.bar_left += dx, l.text_left += dx;
    l.map_top += dy, l.bar_top += dy, l.title_top += dy, l.key_top += dy;
    l.width = page_w, l.height = page_h;
  }
  return l;
}

}  // namespace
}  // namespace picture

using namespace picture;

std::optional<PlotPage> plot_page_of(std::string_view name) {
  std::string s(name);
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  if (s == "letter") return PlotPage::kLetter;
  if (s == "a4") return PlotPage::kA4;
  return std::nullopt;
}

std::pair<double, double> page_size(PlotPage page) {
  switch (page) {
    case PlotPage::kLetter: return {612.0, 792.0};
    case PlotPage::kA4: return {595.2756, 841.8898};
    case PlotPage::kOwnSize: break;
  }
  return {0.0, 0.0};
}

PlotLayout plot_layout(const engine::EvaluatedGrid& e, const PlotOptions& options, PlotFormat format) {
  PlotLayout start;
  set_extent(e, options, start);
  set_colours(e, options, start);

  PlotLayout l;
  if (format == PlotFormat::kPdf && options.page != PlotPage::kOwnSize) {
    // Portrait or landscape, whichever shows the map larger.
    const auto [a, b] = page_size(options.page);
    const PlotLayout portrait = lay_out(e, options, start, a, b);
    const PlotLayout landscape = lay_out(e, options, start, b, a);
    l = landscape.points_per_foot() > portrait.points_per_foot() ? landscape : portrait;
  } else {
    l = lay_out(e, options, start, 0, 0);
  }
  if (format == PlotFormat::kPng) l.pixels_per_point = std::clamp(options.dpi, kMinDpi, kMaxDpi) / kPointsPerInch;
  return l;
}

}  // namespace pictures
