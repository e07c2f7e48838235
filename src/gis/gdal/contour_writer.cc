// The contour layer, written by GDAL.
#include "gis/gdal/gis_module.h"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/gdal/gdal_errors.h"
#include "gis/geotiff.h"
#include "gis/gdal/memory_files.h"

namespace gis::gdal {
namespace {

const char* driver_name(VectorFormat format) {
  switch (format) {
    case VectorFormat::kGeoPackage: return "GPKG";
    case VectorFormat::kGeoJson: return "GeoJSON";
    case VectorFormat::kShapefile: return "ESRI Shapefile";
  }
  return "";
}

// The ending of the layer's main file in the format.
std::string main_ending(VectorFormat format) {
  switch (format) {
    case VectorFormat::kGeoPackage: return ".gpkg";
    case VectorFormat::kGeoJson: return ".geojson";
    case VectorFormat::kShapefile: return ".shp";
  }
  return "";
}

bool add_real_field(OGRLayer* layer, const std::string& name) {
  OGRFieldDefn field(name.c_str(), OFTReal);
  return layer->CreateField(&field) == OGRERR_NONE;
}

void create(const std::string& file, const std::string& name, VectorFormat format,
            std::span<const engine::EvaluatedGrid> times, std::span<const double> levels, const Crs* crs,
            GdalErrors& errors) {
  OGRSpatialReference srs;
  GDALDatasetUniquePtr dataset = create_vector_dataset(driver_name(format), file, crs, srs, errors);
  if (!dataset) return;
  // GeoJSON: the coordinates in the CRS given (not reprojected to WGS 84), and
  // every number with the digits that bring it back exactly.
  const char* const geojson[] = {"RFC7946=NO", "WRITE_NAME=YES", nullptr};
  OGRLayer* layer = dataset->CreateLayer(name.c_str(), crs != nullptr ? &srs : nullptr, wkbLineString,
                                         format == VectorFormat::kGeoJson ? const_cast<char**>(geojson) : nullptr);
  if (layer == nullptr) return errors.fail("GDAL could not create the layer");
  if (!add_real_field(layer, level_field(format, times.front().length_unit)) || !add_real_field(layer, "days"))
    return errors.fail("GDAL could not create the attributes");

  const engine::EvaluatedGrid& first = times.front();
  std::vector<float> values;
  values.reserve(static_cast<std::size_t>(first.NX) * static_cast<std::size_t>(first.NY));
  if (layer->StartTransaction() != OGRERR_NONE) return errors.fail("GDAL could not start writing the layer");
  for (const engine::EvaluatedGrid& e : times) {
    values.clear();
    for (std::int32_t r = 1; r <= e.NY; ++r)
      for (std::int32_t c = 1; c <= e.NX; ++c) values.push_back((*e.DD)(c, r));
    const double days = days_of(e.TIME);
    for (double level : levels) {
      for (const ContourLine& line : trace_contour(values, e.NX, e.NY, level)) {
        OGRFeature feature(layer->GetLayerDefn());
        feature.SetField(0, level);
        feature.SetField(1, days);
        OGRLineString geometry;
        geometry.setNumPoints(static_cast<int>(line.size()), false);
        for (std::size_t k = 0; k < line.size(); ++k)
          geometry.setPoint(static_cast<int>(k), e.map_x(line[k].x), e.map_y(line[k].y));
        feature.SetGeometry(&geometry);
        if (layer->CreateFeature(&feature) != OGRERR_NONE) return errors.fail("GDAL could not write a contour line");
      }
    }
  }
  if (layer->CommitTransaction() != OGRERR_NONE) return errors.fail("GDAL could not finish writing the layer");
  // Closing the dataset writes what is still buffered; failures are reported.
  dataset.reset();
}

}  // namespace

std::string contour_layer_files(const std::string& layer, VectorFormat format,
                                std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                const Crs* crs, std::vector<files::StagedFile>& files) {
  if (std::string problem = check_times(times, "contour lines"); !problem.empty()) return problem;
  use_gdal();
  const MemoryFiles memory;
  const std::string ending = main_ending(format);
  {
    GdalErrors errors;
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", "NO");
    create(memory.path(layer, ending), layer, format, times, levels, crs, errors);
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", nullptr);
    if (!errors.failure().empty()) return errors.failure();
  }
  files = memory.take(layer, ending);
  return files.empty() ? "GDAL wrote no contour layer" : "";
}

}  // namespace gis::gdal
