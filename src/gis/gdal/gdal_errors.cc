#include "gis/gdal/gdal_errors.h"

#include <cpl_error.h>
#include <gdal.h>

#include <mutex>

namespace gis::gdal {
namespace {

void CPL_STDCALL keep_error(CPLErr kind, CPLErrorNum, const char* message) {
  if (kind < CE_Failure) return;  // warnings and debug output are not failures
  auto* errors = static_cast<GdalErrors*>(CPLGetErrorHandlerUserData());
  if (errors != nullptr) errors->fail(message != nullptr ? message : "");
}

}  // namespace

void use_gdal() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

GdalErrors::GdalErrors() { CPLPushErrorHandlerEx(keep_error, this); }

GdalErrors::~GdalErrors() { CPLPopErrorHandler(); }

GDALDatasetUniquePtr create_vector_dataset(const char* driver, const std::string& file, const Crs* crs,
                                           OGRSpatialReference& srs, GdalErrors& errors) {
  GDALDriver* d = GetGDALDriverManager()->GetDriverByName(driver);
  if (d == nullptr) {
    errors.fail(std::string("GDAL has no ") + driver + " driver");
    return nullptr;
  }
  GDALDatasetUniquePtr dataset(d->Create(file.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
  if (!dataset) {
    errors.fail("GDAL could not create the file");
    return nullptr;
  }
  srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);  // x easting, y northing
  if (crs != nullptr && srs.importFromWkt(crs->wkt.c_str()) != OGRERR_NONE) {
    errors.fail("the CRS '" + crs->text + "' cannot be read back");
    return nullptr;
  }
  return dataset;
}

}  // namespace gis::gdal
