// Warnings of what a study's grid hides: wells and receptors off the grid or
// so far from it that the coordinates are likely in another CRS or unit,
// receptors inside a well's radius, times before the wells start, and contour
// levels that no grid reaches. Each is one line; the exit status is not
// changed by any of them.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "scenario/scenario.h"

namespace scenario {

/// The most lines of one kind of warning about places; more are counted in
/// one last line.
inline constexpr std::size_t kMostPlaceWarnings = 10;

/// Where a map point lies against the grid's extent.
enum class Placement {
  inside,   ///< within the grid's cells
  outside,  ///< off the grid, but within the grid's own width or height of it
  far,      ///< farther from the grid than the larger of its width and height
};

/// Where map point (x, y) lies against the study's grid.
Placement placement(const Grid& g, double x, double y);

/// The warnings of the study's places and times, before anything is
/// evaluated: wells and receptors off the grid or far from it, receptors
/// closer to a well than its radius, times before every well has started.
std::vector<std::string> placement_warnings(const Scenario& s);

/// The requested `levels` that some grid of `times` reaches (its finite cells
/// lie on both sides of the level or on it), in order.
std::vector<double> reached_levels(std::span<const engine::EvaluatedGrid> times, std::span<const double> levels);

/// A warning per requested level that `reached` (reached_levels) lacks.
std::vector<std::string> level_warnings(std::span<const double> levels, std::span<const double> reached);

}  // namespace scenario
