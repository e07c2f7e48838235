// The contour lines as a vector layer a GIS overlays: one line feature per
// contour piece, with the attributes drawdown_ft (the level, feet) and days
// (the time of pumping), in map coordinates (feet; each node the centre of
// its cell, as in the grid file), with the CRS.
// Written by GDAL as a GeoPackage, GeoJSON or a shapefile.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/drawdown_grid.h"
#include "gis/crs.h"

namespace files {
struct Target;
}  // namespace files

namespace gis {

/// Vector formats, chosen by the file's ending.
enum class VectorFormat { kGeoPackage, kGeoJson, kShapefile };

/// The format named by the ending of `path` (.gpkg, .geojson, .shp; in any
/// case), or nothing for any other ending or a name that is only an ending.
std::optional<VectorFormat> vector_format_of(std::string_view path);

/// The endings vector_format_of accepts, for a message.
inline constexpr std::string_view kVectorEndings = ".gpkg (GeoPackage), .geojson or .shp (shapefile)";

/// The name of the level's attribute in `format`: "drawdown_" and the length
/// unit ("drawdown_ft", "drawdown_m"), cut to the ten characters a
/// shapefile's field names hold ("drawdown_f") there.
std::string level_field(VectorFormat format, std::string_view unit = "ft");

/// The endings of the files written beside the layer's file: a shapefile's
/// .shx, .dbf and .prj; none for the other formats.
std::vector<std::string> sidecar_endings(VectorFormat format);

/// Every file the layer writes: `path`, and for a shapefile the .shx, .dbf,
/// and .prj of the same name.
std::vector<std::string> contour_files(const std::string& path, VectorFormat format);

/// The layer's name for the file `path`: its name without folder and ending
/// ("out/contours.gpkg": "contours"; "contours" for a name that is only an ending).
std::string layer_name(const std::string& path);

/// Writes the contour lines of the grids of `times` (one or more times of the
/// same grid) at `levels` to `target` in `format`, one layer named after the
/// file, with `crs` when not null. The files appear whole or not at all.
/// Returns "" on success, or why they were not written (the reason alone;
/// gdal_module_problem() when the GIS module, which writes them, cannot be
/// loaded).
std::string write_contour_layer(const files::Target& target, VectorFormat format,
                                std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                const Crs* crs);

}  // namespace gis
