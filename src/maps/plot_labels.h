// The contour lines in picture units and the places of their labels: along a
// line, upright, not across the map's edge, another label or a well. Internal
// to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/drawdown_grid.h"
#include "maps/plot.h"

namespace maps::picture {

/// A point in picture units.
using Point = std::pair<double, double>;

/// One contour line in picture units, and its level.
struct PictureLine {
  std::vector<Point> points;
  double level = 0;
};

/// A label on a contour line: its centre, the angle of its baseline, the box
/// it keeps free of the line, and its text.
struct ContourLabel {
  double x = 0, y = 0, angle = 0, width = 0, height = 0;
  std::string text;
};

/// The contour lines of `e` at the layout's levels, in picture units; none when
/// the grid is a single row or column.
std::vector<PictureLine> picture_contours(const engine::EvaluatedGrid& e, const PlotLayout& l);

/// The wells with a finite position, in picture units.
std::vector<Point> well_points(const engine::EvaluatedGrid& e, const PlotLayout& l);

/// Labels for `lines`, measured in the label font of `cr`: one per 380 units of
/// a line long enough for it, each kept clear of the map's edge, of the labels
/// placed before it and of `wells`.
std::vector<ContourLabel> place_contour_labels(cairo_t* cr, const std::vector<PictureLine>& lines,
                                               const PlotLayout& l, const std::vector<Point>& wells);

}  // namespace maps::picture
