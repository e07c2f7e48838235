// Contour lines of a grid of node values, traced by marching squares, and the
// round contour intervals they are drawn at.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

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
/// linear along each cell edge. A node counts as above the level when its value
/// is >= level; a cell whose four corners hold not-a-number or an infinity
/// anywhere is left out, and a cell crossed on all four edges is split the way
/// the mean of its corners decides. Segments are joined into the longest lines:
/// open lines run from the grid's edge (or a left-out cell) to another.
std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level);

/// A round interval (1, 2, 2.5 or 5 times a power of ten) that splits [lo, hi]
/// into about `intervals` parts; 0 when hi <= lo or either is not finite.
double round_interval(double lo, double hi, int intervals);

/// The multiples of `step` strictly between lo and hi, in increasing order.
std::vector<double> contour_levels(double lo, double hi, double step);

/// Digits after the decimal point that the multiples of a round `step` need.
int decimals_for(double step);

}  // namespace maps
