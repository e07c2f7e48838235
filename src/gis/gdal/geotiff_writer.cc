// The GeoTIFF, written by GDAL.
#include "gis/gdal/gis_module.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <vector>

#include "gis/gdal/gdal_errors.h"
#include "gis/geotiff.h"
#include "gis/gdal/memory_files.h"

namespace gis::gdal {
namespace {

// The GeoTIFF of `times` at `file` (a new name); GDAL's failures go to `errors`.
void create(const std::string& file, std::span<const engine::EvaluatedGrid> times, const Crs* crs,
            GdalErrors& errors) {
  const engine::EvaluatedGrid& first = times.front();
  GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("GTiff");
  if (driver == nullptr) return errors.fail("GDAL has no GeoTIFF driver");
  const char* const options[] = {"TILED=YES", "COMPRESS=DEFLATE", nullptr};
  GDALDataset* dataset = driver->Create(file.c_str(), first.NX, first.NY, static_cast<int>(times.size()), GDT_Float32,
                                        const_cast<char**>(options));
  if (dataset == nullptr) return errors.fail("GDAL could not create the file");
  double transform[6];
  grid_geotransform(first, transform);
  dataset->SetGeoTransform(transform);
  if (crs != nullptr) {
    OGRSpatialReference srs;
    if (srs.importFromWkt(crs->wkt.c_str()) != OGRERR_NONE)
      errors.fail("the CRS '" + crs->text + "' cannot be read back");
    else
      dataset->SetSpatialRef(&srs);
  }
  std::vector<float> cells(static_cast<std::size_t>(first.NX) * static_cast<std::size_t>(first.NY));
  for (std::size_t t = 0; t < times.size(); ++t) {
    const engine::EvaluatedGrid& e = times[t];
    // Top row first, as a raster is stored.
    std::size_t k = 0;
    for (std::int32_t r = e.NY; r >= 1; --r)
      for (std::int32_t c = 1; c <= e.NX; ++c) {
        const float v = (*e.DD)(c, r);
        cells[k++] = std::isfinite(v) ? v : static_cast<float>(kGeoTiffNoData);
      }
    GDALRasterBand* band = dataset->GetRasterBand(static_cast<int>(t) + 1);
    band->SetNoDataValue(kGeoTiffNoData);
    band->SetDescription(band_description(e.TIME).c_str());
    band->SetUnitType(std::string(e.length_unit).c_str());
    if (band->RasterIO(GF_Write, 0, 0, e.NX, e.NY, cells.data(), e.NX, e.NY, GDT_Float32, 0, 0, nullptr) != CE_None)
      errors.fail("GDAL could not write the cells");
  }
  // Closing writes what is still buffered; its failures are reported as errors.
  GDALClose(dataset);
}

}  // namespace

std::string geotiff_files(std::span<const engine::EvaluatedGrid> times, const Crs* crs,
                          std::vector<files::StagedFile>& files) {
  if (std::string problem = check_times(times, "grid cells"); !problem.empty()) return problem;
  use_gdal();
  const MemoryFiles memory;
  {
    GdalErrors errors;
    // No .aux.xml beside the file: everything is in the GeoTIFF's own tags.
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", "NO");
    create(memory.path("grid", ".tif"), times, crs, errors);
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", nullptr);
    if (!errors.failure().empty()) return errors.failure();
  }
  files = memory.take("grid", ".tif");
  return files.empty() ? "GDAL wrote no GeoTIFF" : "";
}

}  // namespace gis::gdal
