// GDAL is not linked into the program: every output that needs it (the GeoTIFF,
// the CRS, the contour layer, the contour lines of the picture) is written by
// the GIS module (leaky-drawdown-gdal.so, src/gis/gdal), loaded on first use
// (base/module.h). A run that asks for none of them never maps GDAL and its
// many libraries.
//
// The module exports one C function, kGdalEntry, which returns the table of
// its functions below.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/drawdown_grid.h"
#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/crs.h"
#include "gis/line_layer.h"
#include "gis/point_layer.h"
#include "files/staged_files.h"

namespace gis {

/// What the GIS module does, as the functions of the same names in gis.
struct GdalFunctions {
  /// sizeof(GdalFunctions) as the module was built: a module of another
  /// build with a different table is not used.
  std::size_t size;
  std::string (*read_crs)(std::string_view text, Crs& crs, bool metres);
  std::string (*esri_prj_text)(const Crs& crs);
  /// The GeoTIFF of `times` made in memory: "" and its one file in `files`, or why not.
  std::string (*geotiff_files)(std::span<const engine::EvaluatedGrid> times, const Crs* crs,
                               std::vector<files::StagedFile>& files);
  /// The contour layer `layer` made in memory: "" and its files in `files`
  /// (the main file first), or why not.
  std::string (*contour_layer_files)(const std::string& layer, VectorFormat format,
                                     std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                     const Crs* crs, std::vector<files::StagedFile>& files);
  std::vector<ContourLine> (*trace_contour)(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                            double level);
  /// The point layers made in memory as one GeoPackage `stem`.gpkg: "" and its file in `files`, or why not.
  std::string (*point_layers_files)(const std::string& stem, std::span<const PointLayer> layers, const Crs* crs,
                                    std::vector<files::StagedFile>& files);
  /// The netCDF stack of `times` made in a scratch file: "" and its one file in `files`, or why not.
  std::string (*netcdf_files)(std::span<const engine::EvaluatedGrid> times, const Crs* crs,
                              const std::string& time_units, std::vector<files::StagedFile>& files);
  /// The layer `layer` of lines placed on the map, made in memory: "" and its files in `files`, or why not.
  std::string (*line_layer_files)(const std::string& layer, VectorFormat format, std::span<const LineFeature> features,
                                  const LineFields& fields, const Crs* crs, std::vector<files::StagedFile>& files);
};

/// The name of the module's one exported function, of type GdalEntry.
inline constexpr const char* kGdalEntry = "leaky_drawdown_gdal_functions";
using GdalEntry = const GdalFunctions* (*)();

/// The module's functions, loading the module on the first call (any thread
/// may call it; the module is loaded once per process and never unloaded); null
/// when it cannot be loaded, with the reason in `why`.
const GdalFunctions* gdal_functions(std::string& why);

/// "" when the GIS module is loaded (loading it if need be), else why not:
/// "the GIS module cannot be loaded: " and the system's reason.
std::string gdal_module_problem();

}  // namespace gis
