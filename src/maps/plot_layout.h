// Where the picture's parts lie: the geometry shared by the layout and the
// drawing (node and well positions in feet, the area the map shows, tick
// positions). plot_layout() itself is declared in plot.h. Internal to the
// picture (plot_*.cc).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "engine/drawdown_grid.h"

namespace maps::picture {

inline constexpr double kMapMaxWidth = 820.0;
inline constexpr double kMapMaxHeight = 620.0;
inline constexpr double kMapMinSide = 80.0;  // a thin grid gets room around it, not a stretched scale
inline constexpr double kPad = 14.0;
inline constexpr double kTick = 5.0;
inline constexpr double kBarGap = 26.0;
inline constexpr double kBarWidth = 18.0;
inline constexpr double kMarkerRadius = 5.5;
inline constexpr std::size_t kMostNumberedWells = 20;

/// Feet east of the origin of node column `c` (fractional for a well).
inline double node_x(const engine::EvaluatedGrid& e, double c) { return e.XLL + c * e.SPACING; }
/// Feet north of the origin of node row `r` (fractional for a well).
inline double node_y(const engine::EvaluatedGrid& e, double r) { return e.YLL + r * e.SPACING; }

/// Node units covered by the map in one direction: the nodes 1 .. n, or half a
/// spacing either side of a single node.
std::pair<double, double> node_span(std::int32_t n);

/// Multiples of `step` from lo to hi, both included (within rounding).
std::vector<double> ticks(double lo, double hi, double step);

/// The finite drawdowns' range; a flat or empty field gets a range of one foot
/// around its value so that the scale still has two ends.
std::pair<double, double> value_range(const engine::EvaluatedGrid& e);

/// Whether the well's position is finite (it can be drawn).
bool finite_well(const engine::Well& w);

}  // namespace maps::picture
