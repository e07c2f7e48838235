// The --grid file: its format from the ending (.tif GeoTIFF, .asc ESRI ASCII
// grid with a .prj beside it when a CRS is given) and its writing.
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

/// Grid formats, chosen by the file's ending.
enum class GridFormat { kGeoTiff, kEsriAscii, kNetcdf };

/// What the outputs know of a grid format.
struct GridFormatTraits {
  GridFormat format;
  std::string_view endings[2];  ///< the endings that choose it, lower case ("" : no second one)
  bool holds_every_time;        ///< one file holds every time (a band per time); else a file per time
};

/// Every grid format, one row each: a new format is a new row here, its
/// writing in write_grid, and its module function where it needs GDAL.
inline constexpr GridFormatTraits kGridFormats[] = {
    {GridFormat::kGeoTiff, {".tif", ".tiff"}, true},
    {GridFormat::kEsriAscii, {".asc", ""}, false},
    {GridFormat::kNetcdf, {".nc", ""}, true},
};

/// The row of kGridFormats for `format`.
const GridFormatTraits& traits_of(GridFormat format);

/// The format named by the ending of `path` (.tif or .tiff: GeoTIFF; .asc:
/// ESRI ASCII grid; .nc: netCDF time stack; in any case), or nothing for any other ending or a name
/// that is only an ending.
std::optional<GridFormat> grid_format_of(std::string_view path);

/// The endings grid_format_of accepts, for a message.
inline constexpr std::string_view kGridEndings = ".tif (GeoTIFF), .asc (ESRI ASCII grid) or .nc (netCDF)";

/// Every file the grid writes: `path`, and for an ESRI grid with a CRS the
/// .prj of the same name ("dd.asc" -> "dd.prj").
std::vector<std::string> grid_files(const std::string& path, GridFormat format, bool with_crs);

/// Writes the grids of `times` to `target` in `format`, with `crs` when not
/// null: a GeoTIFF band per time; a netCDF stack a time per step of its time
/// coordinate, days since `start_date` (gis/netcdf.h); an ESRI grid holds one time (byte for byte
/// write_esri_grid) and the CRS goes to its .prj, written after it. Returns ""
/// on success, or why a file was not written (the reason alone, naming the
/// .prj when it is the .prj).
std::string write_grid(const files::Target& target, GridFormat format, std::span<const engine::EvaluatedGrid> times,
                       const Crs* crs, std::string_view start_date = {});

}  // namespace gis
