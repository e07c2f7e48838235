// The functions of the GIS module, under names of their own: the program
// reaches them through the table the module exports (gis/gdal_module.h), by
// the maps functions of the same names.
#pragma once

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

namespace gis::gdal {

std::string read_crs(std::string_view text, Crs& crs, bool metres);
std::string esri_prj_text(const Crs& crs);
std::string geotiff_files(std::span<const engine::EvaluatedGrid> times, const Crs* crs,
                          std::vector<files::StagedFile>& files);
std::string contour_layer_files(const std::string& layer, VectorFormat format,
                                std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                const Crs* crs, std::vector<files::StagedFile>& files);
std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level);
std::string point_layers_files(const std::string& stem, std::span<const PointLayer> layers, const Crs* crs,
                               std::vector<files::StagedFile>& files);
std::string netcdf_files(std::span<const engine::EvaluatedGrid> times, const Crs* crs, const std::string& time_units,
                         std::vector<files::StagedFile>& files);
std::string line_layer_files(const std::string& layer, VectorFormat format, std::span<const LineFeature> features,
                             const LineFields& fields, const Crs* crs, std::vector<files::StagedFile>& files);

}  // namespace gis::gdal
