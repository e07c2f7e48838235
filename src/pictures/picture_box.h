// A picture drawn onto another drawing (the memo's page) instead of its own
// file: the map or the hydrographs at their own size, and the drawing that
// scales them into a box. Internal to the pictures.
#pragma once

#include <cairo.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "engine/drawdown_grid.h"
#include "pictures/hydrograph.h"
#include "pictures/plot.h"

namespace pictures::picture {

/// A picture as a figure: its own size in points and its drawing at that
/// size, or why it cannot be drawn (`problem`, the reason alone).
struct Figure {
  double width = 0, height = 0;
  std::function<void(cairo_t*)> draw;
  std::string problem;
};

/// The map of `e` as write_plot draws it in a PDF; `e` and `o` must outlive
/// the figure.
Figure plot_figure(const engine::EvaluatedGrid& e, const PlotOptions& o);

/// The chart of `series` as write_hydrographs draws it; `title`, `series`
/// and `style` must outlive the figure.
Figure hydrograph_figure(std::string_view title, std::span<const Hydrograph> series, const ChartStyle& style);

/// The scale at which `f` fits in a box `width` x `height` (points), upright.
double fit_scale(const Figure& f, double width, double height);

/// Draws `f` at `scale`, its upper-left corner at (left, top).
void draw_figure(cairo_t* cr, const Figure& f, double left, double top, double scale);

}  // namespace pictures::picture
