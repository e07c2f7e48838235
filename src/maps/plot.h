// The drawdown picture: a colour map of the grid with a colour bar in feet,
// contour lines at a round interval labelled with their values, every well
// marked (pumping and injecting wells drawn differently), axes in feet, and a
// title with the aquifer parameters and the time of pumping. Drawn with Cairo
// as PNG, SVG or PDF.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/drawdown_grid.h"

namespace maps {

/// Picture formats, chosen by the file's ending.
enum class PlotFormat { kPng, kSvg, kPdf };

/// The format named by the ending of `path` (.png, .svg or .pdf, in any case),
/// or nothing for any other ending or a name that is only an ending.
std::optional<PlotFormat> plot_format_of(std::string_view path);

/// Where the parts of the picture lie, in the picture's units (pixels for PNG,
/// points for SVG and PDF), y growing downwards; and what it shows.
struct PlotLayout {
  double width = 0, height = 0;                ///< the whole picture
  double map_left = 0, map_top = 0;            ///< the map frame's upper-left corner
  double map_width = 0, map_height = 0;        ///< the map frame's size
  double x0 = 0, x1 = 0;                       ///< feet at the map's left and right edges
  double y0 = 0, y1 = 0;                       ///< feet at the map's bottom and top edges
  double bar_left = 0, bar_width = 0;          ///< the colour bar, as high as the map
  double lo = 0, hi = 0;                       ///< drawdowns at the ends of the colour scale
  double interval = 0;                         ///< feet between contour lines (0: none)
  std::vector<double> levels;                  ///< the contour levels, increasing
  /// The picture's x of an x in feet.
  double to_x(double feet) const { return map_left + (feet - x0) / (x1 - x0) * map_width; }
  /// The picture's y of a y in feet.
  double to_y(double feet) const { return map_top + (y1 - feet) / (y1 - y0) * map_height; }
};

/// The layout of the picture of `e` (missing_cells(e, ...) must be empty). Node
/// (c, r) lies at (XLL + c * SPACING, YLL + r * SPACING) feet, a well at
/// (XLL + x * SPACING, YLL + y * SPACING); the map shows the nodes and every
/// well, with the same scale in x and y.
PlotLayout plot_layout(const engine::EvaluatedGrid& e);

/// Draws the picture of `e` to `path` in `format`, replacing the file. Returns
/// "" on success, or why the picture was not written (the reason alone).
std::string write_plot(const std::string& path, PlotFormat format, const engine::EvaluatedGrid& e);

}  // namespace maps
