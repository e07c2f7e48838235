// Drawing the picture on a Cairo context, part by part: the colour map, the
// contour lines with their labels, the wells, the axes, the colour bar, the
// titles and the key. Internal to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include "engine/drawdown_grid.h"
#include "maps/plot.h"

namespace maps::picture {

/// Draws the whole picture of `e` as laid out by `l`; the colour map is an
/// image of `resolution` pixels per picture unit.
void draw(cairo_t* cr, const engine::EvaluatedGrid& e, const PlotLayout& l, double resolution);

}  // namespace maps::picture
