// The drawdown grid as a GeoTIFF: Float32, one band per time (band
// description "<days> d"), NoData -9999 for cells without a finite drawdown,
// tiled and DEFLATE-compressed, with the CRS when one is given. The
// georeference is that of the ESRI ASCII grid: node (c, r) is the centre of
// its cell (engine::EvaluatedGrid::map_x, map_y).
#pragma once

#include <span>
#include <string>

#include "engine/drawdown_grid.h"
#include "gis/crs.h"

namespace files {
struct Target;
}  // namespace files

namespace gis {

/// The NoData value of the GeoTIFF, as of the ESRI grid.
inline constexpr double kGeoTiffNoData = -9999.0;

/// The time of pumping as the GIS outputs give it, in days: the shortest
/// decimal of the single TIME read as a double (30, 0.1), so that a reader sees
/// the number of the input file.
double days_of(float TIME);

/// The description of a time's band: days_of(TIME) in its shortest decimal,
/// then " d" ("30 d", "0.5 d").
std::string band_description(float TIME);

/// The GDAL geotransform of the grid of `e`: the upper-left corner of the
/// upper-left cell, the cell size, north up.
void grid_geotransform(const engine::EvaluatedGrid& e, double transform[6]);

/// Writes the grids of `times` (one or more times of the same grid, in the
/// order given) as the bands of a GeoTIFF at `target`, with `crs` when it is
/// not null. The file appears whole or not at all. Returns "" on success, or
/// why the file was not written (the reason alone; gdal_module_problem() when
/// the GIS module, which writes it, cannot be loaded).
std::string write_geotiff(const files::Target& target, std::span<const engine::EvaluatedGrid> times, const Crs* crs);

/// Why the grids of `times` cannot be written together ("" when they can):
/// none given, a grid without cells (missing_cells), or grids of different
/// places or sizes.
std::string check_times(std::span<const engine::EvaluatedGrid> times, std::string_view what);

}  // namespace gis
