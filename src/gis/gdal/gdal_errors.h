// What the outputs written through GDAL share: GDAL's drivers registered once,
// and GDAL's error reports caught instead of printed.
#pragma once

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <string>

#include "gis/crs.h"

namespace gis::gdal {

/// Registers GDAL's drivers (once per process; any thread may call it).
void use_gdal();

/// While alive, GDAL's error reports of this thread are kept instead of
/// printed; the first failure is the reason an output gives.
class GdalErrors {
 public:
  GdalErrors();
  ~GdalErrors();
  GdalErrors(const GdalErrors&) = delete;
  GdalErrors& operator=(const GdalErrors&) = delete;

  /// The first failure GDAL reported (its message), or "" when none.
  const std::string& failure() const { return failure_; }

  /// Keeps `message` as the failure unless one is kept already.
  void fail(const std::string& message) {
    if (failure_.empty()) failure_ = message.empty() ? "GDAL reported a failure" : message;
  }

 private:
  std::string failure_;
};

/// A new dataset for vector layers at `file` by GDAL's driver `driver`, and
/// `srs` set to `crs` (x easting, y northing) when one is given; null, with
/// the failure kept in `errors`, when either cannot be made.
GDALDatasetUniquePtr create_vector_dataset(const char* driver, const std::string& file, const Crs* crs,
                                           OGRSpatialReference& srs, GdalErrors& errors);

}  // namespace gis::gdal
