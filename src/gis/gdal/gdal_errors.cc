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

}  // namespace gis::gdal
