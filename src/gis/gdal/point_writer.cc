// Point layers, written by GDAL as a GeoPackage.
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include "gis/gdal/gdal_errors.h"
#include "gis/gdal/gis_module.h"
#include "gis/gdal/memory_files.h"

namespace gis::gdal {
namespace {

// One layer into the dataset.
void add_layer(GDALDataset& dataset, const PointLayer& points, OGRSpatialReference* srs, GdalErrors& errors) {
  OGRLayer* layer = dataset.CreateLayer(points.name.c_str(), srs, wkbPoint, nullptr);
  if (layer == nullptr) return errors.fail("GDAL could not create the layer '" + points.name + "'");
  OGRFieldDefn name("name", OFTString);
  if (layer->CreateField(&name) != OGRERR_NONE) return errors.fail("GDAL could not create the attributes");
  for (const std::string& f : points.fields) {
    OGRFieldDefn field(f.c_str(), OFTReal);
    if (layer->CreateField(&field) != OGRERR_NONE) return errors.fail("GDAL could not create the attributes");
  }
  for (const std::string& f : points.text_fields) {
    OGRFieldDefn field(f.c_str(), OFTString);
    if (layer->CreateField(&field) != OGRERR_NONE) return errors.fail("GDAL could not create the attributes");
  }
  if (layer->StartTransaction() != OGRERR_NONE) return errors.fail("GDAL could not start writing the layer");
  for (const PointLayer::Point& p : points.points) {
    OGRFeature feature(layer->GetLayerDefn());
    feature.SetField(0, p.name.c_str());
    for (std::size_t k = 0; k < points.fields.size(); ++k) {
      if (k < p.values.size() && p.values[k]) feature.SetField(static_cast<int>(k + 1), *p.values[k]);
      else feature.SetFieldNull(static_cast<int>(k + 1));
    }
    for (std::size_t k = 0; k < points.text_fields.size(); ++k) {
      const int field = static_cast<int>(1 + points.fields.size() + k);
      if (k < p.texts.size() && p.texts[k]) feature.SetField(field, p.texts[k]->c_str());
      else feature.SetFieldNull(field);
    }
    OGRPoint geometry(p.x, p.y);
    feature.SetGeometry(&geometry);
    if (layer->CreateFeature(&feature) != OGRERR_NONE) return errors.fail("GDAL could not write a point");
  }
  if (layer->CommitTransaction() != OGRERR_NONE) return errors.fail("GDAL could not finish writing the layer");
}

void create(const std::string& file, std::span<const PointLayer> layers, const Crs* crs, GdalErrors& errors) {
  OGRSpatialReference srs;
  GDALDatasetUniquePtr dataset = create_vector_dataset("GPKG", file, crs, srs, errors);
  if (!dataset) return;
  for (const PointLayer& layer : layers) {
    add_layer(*dataset, layer, crs != nullptr ? &srs : nullptr, errors);
    if (!errors.failure().empty()) return;
  }
  dataset.reset();
}

}  // namespace

std::string point_layers_files(const std::string& stem, std::span<const PointLayer> layers, const Crs* crs,
                               std::vector<files::StagedFile>& files) {
  use_gdal();
  const MemoryFiles memory;
  {
    GdalErrors errors;
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", "NO");
    create(memory.path(stem, ".gpkg"), layers, crs, errors);
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", nullptr);
    if (!errors.failure().empty()) return errors.failure();
  }
  files = memory.take(stem, ".gpkg");
  return files.empty() ? "GDAL wrote no point layers" : "";
}

}  // namespace gis::gdal
