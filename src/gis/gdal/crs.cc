// The CRS, read and written by GDAL (OGRSpatialReference).
#include "gis/gdal/gis_module.h"

#include <cpl_conv.h>
#include <ogr_spatialref.h>

#include <cmath>
#include <memory>

#include "gis/gdal/gdal_errors.h"

namespace gis::gdal {
namespace {

// Both feet GDAL knows (0.3048 m and the US survey foot, 1200/3937 m) and the
// historical ones (Clarke's, Indian) lie within this of 0.3048 m.
constexpr double kFootInMetres = 0.3048;
constexpr double kFootTolerance = 2e-5;
// A CRS in metres has a linear unit of 1 m (GDAL gives exactly 1).
constexpr double kMetreTolerance = 1e-9;

std::string exported(const OGRSpatialReference& srs, const char* format) {
  char* text = nullptr;
  const char* const options[] = {format, nullptr};
  std::string out;
  if (srs.exportToWkt(&text, options) == OGRERR_NONE && text != nullptr) out = text;
  CPLFree(text);
  return out;
}

}  // namespace

std::string read_crs(std::string_view text, Crs& crs, bool metres) {
  use_gdal();
  std::string quoted(1, '\'');
  quoted.append(text).push_back('\'');
  if (text.empty()) return "an empty text is not a CRS";
  GdalErrors errors;
  OGRSpatialReference srs;
  const char* const options[] = {"ALLOW_NETWORK_ACCESS=NO", nullptr};
  if (srs.SetFromUserInput(std::string(text).c_str(), options) != OGRERR_NONE || srs.IsEmpty())
    return quoted + " is not a CRS GDAL knows (e.g. EPSG:2264)";
  const std::string grid_unit = metres ? "metres" : "feet";
  if (srs.IsGeographic() || (!srs.IsProjected() && !srs.IsLocal()))
    return quoted + " is not a projected CRS: the grid's coordinates are " + grid_unit;
  const char* unit = nullptr;
  crs.unit_metres = srs.GetLinearUnits(&unit);
  const bool agrees = metres ? std::fabs(crs.unit_metres - 1.0) < kMetreTolerance
                             : std::fabs(crs.unit_metres - kFootInMetres) < kFootTolerance;
  if (!agrees)
    return quoted + " has its coordinates in " + std::string(unit != nullptr ? unit : "unknown units") + ", the grid's are in " +
           grid_unit + " (choose a CRS in " + grid_unit + (metres ? ", e.g. EPSG:32617" : ", e.g. EPSG:2264") + ")";
  crs.text = std::string(text);
  crs.wkt = exported(srs, "FORMAT=WKT2_2019");
  if (crs.wkt.empty()) return quoted + " cannot be written as WKT";
  return "";
}

std::string esri_prj_text(const Crs& crs) {
  use_gdal();
  GdalErrors errors;
  OGRSpatialReference srs;
  if (srs.importFromWkt(crs.wkt.c_str()) != OGRERR_NONE) return "";
  return exported(srs, "FORMAT=WKT1_ESRI");
}

}  // namespace gis::gdal
