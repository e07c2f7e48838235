// Drawing the picture on a Cairo context, part by part: the colour map, the
// contour lines with their labels, the wells and named points with their
// names, the axes, the colour bar, the titles and the key with the scale bar
// and the north arrow. Internal to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include "engine/drawdown_grid.h"
#include "pictures/plot.h"

namespace pictures::picture {

/// Draws the whole picture of `e` as laid out by `l`, in points; the colour
/// map is an image of `resolution` pixels per point.
void draw(cairo_t* cr, const engine::EvaluatedGrid& e, const PlotOptions& o, const PlotLayout& l, double resolution);

}  // namespace pictures::picture
