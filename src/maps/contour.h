// Contour lines of a grid of node values, traced by GDAL's contour generator
// (GDALContourGenerateEx), and the levels they are drawn at: chosen by the
// user, or round intervals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/drawdown_grid.h"

namespace maps {

/// A point in node units: x = 1 is node column 1, y = 1 is node row 1.
struct NodePoint {
  double x = 0.0;
  double y = 0.0;
};

/// One contour line; a closed line ends with its first point again.
using ContourLine = std::vector<NodePoint>;

/// The lines where the field equals `level`. `values` holds nx * ny values row
/// by row, row 1 first, column 1 first in each row; between nodes the field is
/// linear along each cell edge, and every point of a line lies on a cell edge
/// where that linear interpolation gives `level`. A node counts as above the
/// level when its value is >= level; a cell whose four corners hold
/// not-a-number or an infinity anywhere is left out, and a cell crossed on all
/// four edges (a saddle) is split GDAL's way, whatever its values: its corners
/// (c + 1, r) and (c, r + 1) are cut off, the line pairing the cell's edge on
/// row r with its edge on column c + 1, and its edge on row r + 1 with its edge
/// on column c (lines of different levels still never cross). Segments are
/// joined into the longest lines: open lines run from the outer nodes (or a
/// left-out cell) to another. The lines are GDAL's, with two differences that
/// keep them on the grid's interpolation: GDAL moves a node value within 1e-6
/// of the level by 1e-6 (here only a value equal to the level is moved, so it
/// counts as above), and GDAL carries lines on half a cell beyond the outer
/// nodes and into the cells around a missing value (here they end at the
/// outer nodes and at left-out cells). Traced in the GIS module
/// (maps/gdal_module.h): no lines when it cannot be loaded, which a caller
/// tells apart by gdal_module_problem().
std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level);

/// The most contour levels a user may ask for.
inline constexpr std::size_t kMostLevels = 1000;

/// The contour levels of the grids of `times` (one or more times): `requested`
/// in increasing order when it holds any; otherwise the multiples of a round
/// interval (round_interval, about a dozen) strictly between the lowest and
/// highest finite drawdown of all times (a flat field: within half a foot of
/// its value).
std::vector<double> levels_for(std::span<const engine::EvaluatedGrid> times, std::span<const double> requested);

/// A round interval (1, 2, 2.5 or 5 times a power of ten) that splits [lo, hi]
/// into about `intervals` parts; 0 when hi <= lo or either is not finite.
double round_interval(double lo, double hi, int intervals);

/// The multiples of `step` strictly between lo and hi, in increasing order.
std::vector<double> contour_levels(double lo, double hi, double step);

/// Digits after the decimal point that the multiples of a round `step` need.
int decimals_for(double step);

}  // namespace maps
