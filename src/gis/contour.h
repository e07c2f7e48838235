// Contour lines of a grid of node values, traced by GDAL's contour generator
// (GDALContourGenerateEx), and the levels they are drawn at: chosen by the
// user, or round intervals.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/drawdown_grid.h"

namespace gis {

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
/// (gis/gdal_module.h): no lines when it cannot be loaded, which a caller
/// tells apart by gdal_module_problem().
std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level);

/// Whether node (c, r) lies within one foot of a well with a finite position:
/// its drawdown from that well is taken at the one-foot floor of the distance.
bool is_well_node(const engine::EvaluatedGrid& e, std::int32_t c, std::int32_t r);

/// The finite drawdowns of one or more grids: their extremes, and the
/// extremes less, in each grid, the single highest (lowest) cell when it is a
/// well node (whose drawdown, at a foot from the well, would set the whole
/// scale).
struct Drawdowns {
  bool any = false;  ///< some cell holds a finite drawdown
  double lo = 0, hi = 0;                      ///< the lowest and highest finite drawdowns
  double lo_off_wells = 0, hi_off_wells = 0;  ///< the same less a single extreme well node
};

/// The finite drawdowns of `e`.
Drawdowns drawdowns(const engine::EvaluatedGrid& e);

/// The finite drawdowns of all the grids of `times`.
Drawdowns drawdowns(std::span<const engine::EvaluatedGrid> times);

/// Round contour levels and the interval between them.
struct RoundLevels {
  std::vector<double> levels;  ///< increasing
  double interval = 0;         ///< feet between levels (0: none)
};

/// The multiples of a round interval (round_interval, about a dozen) strictly
/// between the lowest and highest drawdowns of `times` off the wells
/// (Drawdowns::lo_off_wells .. hi_off_wells; a flat field: within half a foot
/// of its value; no drawdown at all: 0 .. 1).
RoundLevels round_levels(std::span<const engine::EvaluatedGrid> times);

/// The most contour levels a user may ask for.
inline constexpr std::size_t kMostLevels = 1000;

/// The contour levels of the grids of `times` (one or more times), for the
/// contour layer and the picture alike: `requested` in increasing order when
/// it holds any; otherwise round_levels(times).
std::vector<double> levels_for(std::span<const engine::EvaluatedGrid> times, std::span<const double> requested);

/// A round interval (1, 2, 2.5 or 5 times a power of ten) that splits [lo, hi]
/// into about `intervals` parts; 0 when hi <= lo or either is not finite.
double round_interval(double lo, double hi, int intervals);

/// The multiples of `step` strictly between lo and hi, in increasing order.
std::vector<double> contour_levels(double lo, double hi, double step);

/// Digits after the decimal point that the multiples of a round `step` need.
int decimals_for(double step);

}  // namespace gis
