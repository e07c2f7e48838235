// A layer of contour lines already placed on the map (gis/line_layer.h),
// written by GDAL as the contour layer is: the level, the days, and the area
// a closed line encloses.
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/gdal/gdal_errors.h"
#include "gis/gdal/gis_module.h"
#include "gis/gdal/memory_files.h"

namespace gis::gdal {
namespace {

struct Driver {
  const char* name;
  const char* ending;
};

Driver driver_of(VectorFormat format) {
  switch (format) {
    case VectorFormat::kGeoPackage: return {"GPKG", ".gpkg"};
    case VectorFormat::kGeoJson: return {"GeoJSON", ".geojson"};
    case VectorFormat::kShapefile: return {"ESRI Shapefile", ".shp"};
  }
  return {"", ""};
}

bool add_real_field(OGRLayer* layer, const std::string& name) {
  OGRFieldDefn field(name.c_str(), OFTReal);
  return layer->CreateField(&field) == OGRERR_NONE;
}

// The features into `layer`, in one transaction.
void add_features(OGRLayer* layer, std::span<const LineFeature> features, bool with_area, GdalErrors& errors) {
  if (layer->StartTransaction() != OGRERR_NONE) return errors.fail("GDAL could not start writing the layer");
  for (const LineFeature& f : features) {
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, f.level);
    feature.SetField(1, f.days);
    if (with_area) {
      if (f.area) feature.SetField(2, *f.area);
      else feature.SetFieldNull(2);
    }
    OGRLineString geometry;
    geometry.setNumPoints(static_cast<int>(f.points.size()), false);
    for (std::size_t k = 0; k < f.points.size(); ++k) geometry.setPoint(static_cast<int>(k), f.points[k].x, f.points[k].y);
    feature.SetGeometry(&geometry);
    if (layer->CreateFeature(&feature) != OGRERR_NONE) return errors.fail("GDAL could not write a contour line");
  }
  if (layer->CommitTransaction() != OGRERR_NONE) return errors.fail("GDAL could not finish writing the layer");
}

void create(const std::string& file, const std::string& name, VectorFormat format,
            std::span<const LineFeature> features, const LineFields& fields, const Crs* crs, GdalErrors& errors) {
  OGRSpatialReference srs;
  GDALDatasetUniquePtr dataset = create_vector_dataset(driver_of(format).name, file, crs, srs, errors);
  if (!dataset) return;
  // GeoJSON: the coordinates in the CRS given, every number with the digits that bring it back.
  const char* const geojson[] = {"RFC7946=NO", "WRITE_NAME=YES", nullptr};
  OGRLayer* layer = dataset->CreateLayer(name.c_str(), crs != nullptr ? &srs : nullptr, wkbLineString,
                                         format == VectorFormat::kGeoJson ? const_cast<char**>(geojson) : nullptr);
  if (layer == nullptr) return errors.fail("GDAL could not create the layer");
  const bool with_area = !fields.area.empty();
  if (!add_real_field(layer, fields.level) || !add_real_field(layer, "days") ||
      (with_area && !add_real_field(layer, fields.area)))
    return errors.fail("GDAL could not create the attributes");
  add_features(layer, features, with_area, errors);
  if (!errors.failure().empty()) return;
  dataset.reset();  // closing writes what is still buffered; failures are reported
}

}  // namespace

std::string line_layer_files(const std::string& layer, VectorFormat format, std::span<const LineFeature> features,
                             const LineFields& fields, const Crs* crs, std::vector<files::StagedFile>& files) {
  use_gdal();
  const MemoryFiles memory;
  const std::string ending = driver_of(format).ending;
  {
    GdalErrors errors;
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", "NO");
    create(memory.path(layer, ending), layer, format, features, fields, crs, errors);
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", nullptr);
    if (!errors.failure().empty()) return errors.failure();
  }
  files = memory.take(layer, ending);
  return files.empty() ? "GDAL wrote no contour layer" : "";
}

}  // namespace gis::gdal
