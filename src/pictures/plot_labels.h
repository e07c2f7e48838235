// The labels on the map: the contour lines in picture units with their level
// labels (along a line, upright, clear of the map's edge, of other labels and
// of the marks; every level that has a line gets at least one label where
// there is room for it), and the names or numbers beside the wells and named
// points. Internal to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/drawdown_grid.h"
#include "pictures/plot.h"

namespace pictures::picture {

/// A point in picture units.
using Point = std::pair<double, double>;

/// One contour line in picture units, and its level.
struct PictureLine {
  std::vector<Point> points;
  double level = 0;
};

/// A label on (or, on a line too short to carry it, beside) a contour line:
/// its centre, the angle of its baseline, the box it keeps free of lines, and
/// its text.
struct ContourLabel {
  double x = 0, y = 0, angle = 0, width = 0, height = 0;
  std::string text;
  double level = 0;
};

/// A mark on the map (a well or a named point) and the text beside it.
struct Mark {
  Point at;
  std::string text;
};

/// The text beside a mark: its baseline's left end and its box.
struct MarkLabel {
  double x = 0, baseline = 0;
  double left = 0, top = 0, width = 0, height = 0;
  std::string text;
};

/// Whether a line shows beside a well's mark: a line no wider than about a mark
/// (the ring of a high level around a well node) is hidden under it and gets
/// no label.
bool visible_line(const PictureLine& line);

/// The contour lines of `e` at the layout's levels, in picture units; none when
/// the grid is a single row or column.
std::vector<PictureLine> picture_contours(const engine::EvaluatedGrid& e, const PlotLayout& l);

/// The wells with a finite position, in picture units, each with its name
/// (options.well_names) or its number in the table.
std::vector<Mark> well_marks(const engine::EvaluatedGrid& e, const PlotLayout& l, const PlotOptions& o);

/// The named points of `o`, in picture units.
std::vector<Mark> named_marks(const PlotLayout& l, const PlotOptions& o);

/// Texts beside `marks`: above right of each, or in another corner around it
/// when that is taken; left out where no corner is free inside the map.
std::vector<MarkLabel> place_mark_labels(cairo_t* cr, const std::vector<Mark>& marks, const PlotLayout& l);

/// Labels for the visible `lines`: one per stretch of a line long enough for
/// it; then, for each level still without one, one on the longest line that
/// has room, or beside a line too short to carry it. Every label keeps clear of the
/// map's edge, of the labels placed before it, of `marks` and of `taken`.
std::vector<ContourLabel> place_contour_labels(cairo_t* cr, const std::vector<PictureLine>& lines,
                                               const PlotLayout& l, const std::vector<Mark>& marks,
                                               const std::vector<MarkLabel>& taken);

}  // namespace pictures::picture
