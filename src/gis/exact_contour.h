// Contour lines whose vertices lie on the true drawdown, not on a linear
// interpolation between nodes. GDAL's contour generator still finds the lines
// over the grid (trace_contour: which edges each line crosses, and in what
// order); each vertex, which lies on a cell edge, is then moved along that
// edge to where the drawdown, evaluated there by the caller's `at`, equals
// the level. Between two vertices the line is refined further, each
// midpoint moved across the chord onto the level, so that a coarse grid still
// gives the curve. Near a well, where the grid shows no line or only a ring
// within a cell or two, the ring is traced afresh from the well outwards
// along rays. Every point lies within kContourTolerance of the level (in the
// grid's length unit), except where the drawdown cannot be bracketed along
// its edge, where GDAL's point is kept.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/drawdown_grid.h"
#include "gis/contour_layer.h"
#include "gis/crs.h"
#include "gis/line_layer.h"

namespace files {
struct Target;
}  // namespace files

namespace gis {

/// The drawdown at map point (x, y) at the time of index `time` among the grids.
using DrawdownAt = std::function<double(std::size_t time, double x, double y)>;

/// How far from the level a vertex's drawdown may be.
inline constexpr double kContourTolerance = 1e-6;

/// One contour line on the true drawdown.
struct ExactLine {
  double level = 0.0;
  std::size_t time = 0;          ///< the index of its grid
  std::vector<MapPoint> points;  ///< map coordinates; a closed line ends with its first point
  bool closed = false;
};

/// The lines of the grids of `times` at `levels`, time by time, level by
/// level, with the drawdown `at` (which must agree with the grids at the
/// nodes, up to their single precision, and may be called from `threads`
/// threads at once: each time's levels are refined on their own, the same
/// lines in the same order for any count of threads).
std::vector<ExactLine> exact_contours(std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                      const DrawdownAt& at, int threads = 1);

/// The area a closed line encloses, in the map's unit squared (0 for an open one).
double enclosed_area(const ExactLine& line);

/// The area inside the lines of `level` at grid `time` (of `e`), the region
/// on the wells' side of the level (a drawdown of at least a level above 0,
/// at most a level below 0): the closed lines' areas, each counted in or out
/// by how many of the others hold it (a hole in a region counted out); 0
/// where no node of the grid is inside and no line is drawn; none when the
/// region reaches the grid's edge or a boundary (an open line, or a corner
/// node of the grid inside and outside every line).
std::optional<double> area_inside(std::span<const ExactLine> lines, std::size_t time, double level,
                                  const engine::EvaluatedGrid& e);

/// An area in the map's unit squared in acres (a map in feet) or square
/// metres (in metres), as the layer and the summary give it.
double area_in_unit(double area, std::string_view length_unit);

/// The area unit's name: "acres" or "m2".
std::string_view area_unit(std::string_view length_unit);

/// Writes `lines` (of the grids `times`) as the contour layer to `target` in
/// `format`: the attributes of write_contour_layer and `area`, the area a
/// closed line encloses (area_in_unit; null for an open line). The files
/// appear whole or not at all. Returns "" or why not.
std::string write_exact_contour_layer(const files::Target& target, VectorFormat format,
                                      std::span<const engine::EvaluatedGrid> times, std::span<const ExactLine> lines,
                                      const Crs* crs);

}  // namespace gis
