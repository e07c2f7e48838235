// Where the picture's parts lie: the geometry shared by the layout and the
// drawing (node and well positions in feet, the area the map shows, tick
// positions, the colour range, the scale bar, the key). plot_layout() itself
// is declared in plot.h. Internal to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/drawdown_grid.h"
#include "gis/contour.h"
#include "pictures/picture_numbers.h"
#include "pictures/picture_text.h"
#include "pictures/plot.h"

namespace pictures::picture {

/// The map's fonts.
inline constexpr Font kTitleFont{14.0, true};
inline constexpr Font kSubtitleFont{9.5};
inline constexpr Font kTickFont{8.5};
inline constexpr Font kAxisTitleFont{9.5};
inline constexpr Font kContourFont{8.0};
inline constexpr Font kMarkerFont{8.5, true};
inline constexpr Font kKeyFont{8.5};

inline constexpr double kMapMaxWidth = 540.0;  // the map's largest size at the picture's own size
inline constexpr double kMapMaxHeight = 400.0;
inline constexpr double kMapMinSide = 60.0;  // a thin grid gets room around it, not a stretched scale
inline constexpr double kPad = 12.0;
inline constexpr double kPageMargin = 36.0;  // half an inch
inline constexpr double kMinTextWidth = 330.0;
inline constexpr double kTick = 4.0;
inline constexpr double kBarGap = 18.0;
inline constexpr double kBarWidth = 13.0;
inline constexpr double kClipTriangle = 10.0;  // the height of a colour bar's clipped end
inline constexpr double kMarkerRadius = 4.0;
/// The length of a boundary's sample line in the key, in points.
inline constexpr double kBoundaryKeyLength = 22.0;
inline constexpr double kScaleBarHeight = 4.0;
inline constexpr double kNorthWidth = 14.0, kNorthHeight = 30.0;
inline constexpr double kFeetPerMile = 5280.0;

/// Points per inch.
inline constexpr double kPointsPerInch = 72.0;

/// Node units covered by the map in one direction: the nodes 1 .. n, or half a
/// spacing either side of a single node.
std::pair<double, double> node_span(std::int32_t n);

/// Whether the well's position is finite (it can be drawn).
bool finite_well(const engine::Well& w);

/// "Drawdown after 30 days of pumping".
std::string title_text(const engine::EvaluatedGrid& e);

/// The input's name (when given), the aquifer parameters, the number of wells
/// and the grid, separated by middle dots; each item kept on one line.
/// `aquifer`, when not "", stands for the aquifer parameters.
std::string subtitle_text(const engine::EvaluatedGrid& e, const std::string& input_name, const std::string& aquifer = "");

/// The word for a length unit in the pictures' axis titles: "feet", "metres"
/// (another unit: its symbol).
std::string unit_word(std::string_view unit);

/// A contour level as the picture labels it, with `decimals` digits.
std::string level_text(double level, int decimals);

/// How the picture's key names the contour lines: "contours every 1 ft" or
/// "contours at 1, 5, 10 ft".
std::string contours_key_text(const PlotLayout& l);

/// The kinds of mark the key explains, in the order it shows them.
struct KeyEntries {
  bool pumping = false, injecting = false, idle = false, markers = false, contours = false;
  std::vector<std::string> boundaries;  ///< each boundary's key text: "Cedar Creek (stream)"
};

/// What the key of the picture of `e` shows.
KeyEntries key_entries(const engine::EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& l);

}  // namespace pictures::picture

namespace pictures::picture {

/// The text heights the layout and the drawing share.
struct LineHeights {
  double tick = 0, axis_title = 0, key = 0;
};

/// The line heights of the picture's fonts, measured on `cr`.
LineHeights line_heights(cairo_t* cr);

/// The texts at the colour bar's ends: the range's ends, and the extremes of
/// the grid beyond a clipped end ("" when that end is not clipped).
struct BarEndTexts {
  std::string lo, hi, below, above;
};

/// The texts at the ends of the colour bar of `l`.
BarEndTexts bar_end_texts(const PlotLayout& l);

/// The width of the key's legend: one entry per kind of mark, then the contours.
double legend_width(cairo_t* cr, const KeyEntries& k, const PlotLayout& l);

/// The block of the scale bars and the north arrow: its size, and where in it
/// the bars start (the half-width of the "0" label).
struct ScaleBlock {
  double width = 0, height = 0, bar_offset = 0;
};

/// The scale block of `l`.
ScaleBlock scale_block(cairo_t* cr, const PlotLayout& l);

/// The height of one row of the key.
double key_row_height(cairo_t* cr, const PlotLayout& l);

/// The widest of the y axis's tick labels.
double y_label_width(cairo_t* cr, const PlotLayout& l);

/// The colour bar's round values: every multiple of gis::round_interval(lo, hi, 6)
/// from the colour scale's low end to its high end.
std::vector<double> bar_ticks(const PlotLayout& l);

/// The digits after the point of the colour bar's round values.
int bar_tick_decimals(const PlotLayout& l);

/// The widest of the texts beside the colour bar.
double bar_label_width(cairo_t* cr, const PlotLayout& l);

}  // namespace pictures::picture
