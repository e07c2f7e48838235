// The netCDF time stack, written by GDAL's netCDF driver: the grids of every
// time are put in a raster in memory, a band per time, with the metadata the
// driver turns into a CF time dimension, then copied to a netCDF file. The
// netCDF library writes real files only, so the copy goes to a folder of its
// own under the temporary folder and is read back whole.
#include "gis/gdal/gis_module.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "base/shortest_text.h"
#include "gis/gdal/gdal_errors.h"
#include "gis/geotiff.h"
#include "gis/netcdf.h"

namespace gis::gdal {
namespace {

// A new folder for the one file, removed with it.
class ScratchFolder {
 public:
  ScratchFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/leaky-drawdown-nc-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// "{a,b,c}": the days of the times, as the driver takes a dimension's values.
std::string days_list(std::span<const engine::EvaluatedGrid> times) {
  std::string s = "{";
  for (std::size_t t = 0; t < times.size(); ++t) {
    if (t > 0) s.push_back(',');
    s.append(base::shortest_text(days_of(times[t].TIME)));
  }
  s.push_back('}');
  return s;
}

// The metadata that makes the bands a time dimension, and the CF attributes.
void describe(GDALDataset& d, std::span<const engine::EvaluatedGrid> times, const std::string& units) {
  d.SetMetadataItem("NETCDF_DIM_EXTRA", "{time}");
  // 6: NC_DOUBLE.
  std::string def = "{";
  def.append(std::to_string(times.size())).append(",6}");
  d.SetMetadataItem("NETCDF_DIM_time_DEF", def.c_str());
  d.SetMetadataItem("NETCDF_DIM_time_VALUES", days_list(times).c_str());
  d.SetMetadataItem("time#units", units.c_str());
  d.SetMetadataItem("time#standard_name", "time");
  d.SetMetadataItem("time#long_name", "time since the start of pumping");
  d.SetMetadataItem("time#axis", "T");
  d.SetMetadataItem("time#calendar", "standard");
  d.SetMetadataItem("NC_GLOBAL#Conventions", "CF-1.8");
  d.SetMetadataItem("NC_GLOBAL#title", "drawdown of the head in a leaky aquifer");
  std::string comment = "time counts days since the start of pumping, which the time's units place at ";
  comment.append(units.substr(std::string_view("days since ").size()));
  if (units.find(kNeutralEpoch) != std::string::npos) comment.append(" (a stand-in date: the study gives none)");
  d.SetMetadataItem("NC_GLOBAL#comment", comment.c_str());
}

// The raster in memory: a band per time, top row first.
GDALDatasetUniquePtr in_memory(std::span<const engine::EvaluatedGrid> times, const Crs* crs, const std::string& units,
                               GdalErrors& errors) {
  const engine::EvaluatedGrid& first = times.front();
  GDALDriver* mem = GetGDALDriverManager()->GetDriverByName("MEM");
  if (mem == nullptr) return errors.fail("GDAL has no MEM driver"), nullptr;
  GDALDatasetUniquePtr d(mem->Create("", first.NX, first.NY, static_cast<int>(times.size()), GDT_Float32, nullptr));
  if (!d) return errors.fail("GDAL could not make the raster"), nullptr;
  double transform[6];
  grid_geotransform(first, transform);
  d->SetGeoTransform(transform);
  if (crs != nullptr) {
    OGRSpatialReference srs;
    if (srs.importFromWkt(crs->wkt.c_str()) != OGRERR_NONE)
      return errors.fail("the CRS '" + crs->text + "' cannot be read back"), nullptr;
    d->SetSpatialRef(&srs);
  }
  describe(*d, times, units);
  std::vector<float> cells(static_cast<std::size_t>(first.NX) * static_cast<std::size_t>(first.NY));
  for (std::size_t t = 0; t < times.size(); ++t) {
    const engine::EvaluatedGrid& e = times[t];
    std::size_t k = 0;
    for (std::int32_t r = e.NY; r >= 1; --r)
      for (std::int32_t c = 1; c <= e.NX; ++c) {
        const float v = (*e.DD)(c, r);
        cells[k++] = std::isfinite(v) ? v : static_cast<float>(kNetcdfNoData);
      }
    GDALRasterBand* band = d->GetRasterBand(static_cast<int>(t) + 1);
    band->SetNoDataValue(kNetcdfNoData);
    band->SetUnitType(std::string(e.length_unit).c_str());
    // The driver takes the variable's name and attributes from the band's metadata.
    band->SetMetadataItem("NETCDF_VARNAME", "drawdown");
    band->SetMetadataItem("long_name", "drawdown of the head");
    band->SetMetadataItem("units", std::string(e.length_unit).c_str());
    band->SetMetadataItem("NETCDF_DIM_time", base::shortest_text(days_of(e.TIME)).c_str());
    if (band->RasterIO(GF_Write, 0, 0, e.NX, e.NY, cells.data(), e.NX, e.NY, GDT_Float32, 0, 0, nullptr) != CE_None)
      return errors.fail("GDAL could not write the cells"), nullptr;
  }
  return d;
}

std::string read_whole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return in ? bytes.str() : std::string();
}

}  // namespace

std::string netcdf_files(std::span<const engine::EvaluatedGrid> times, const Crs* crs, const std::string& time_units,
                         std::vector<files::StagedFile>& files) {
  if (std::string problem = check_times(times, "grid cells"); !problem.empty()) return problem;
  use_gdal();
  const ScratchFolder scratch;
  if (scratch.path().empty()) return "no temporary folder for the netCDF file could be made";
  const std::string file = scratch.path() + "/grid.nc";
  {
    GdalErrors errors;
    GDALDatasetUniquePtr source = in_memory(times, crs, time_units, errors);
    if (!errors.failure().empty()) return errors.failure();
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("netCDF");
    if (driver == nullptr) return "GDAL has no netCDF driver";
    const char* const options[] = {"FORMAT=NC4", "COMPRESS=DEFLATE", "WRITE_GDAL_TAGS=NO",
                                   nullptr};
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", "NO");
    GDALDataset* copy = driver->CreateCopy(file.c_str(), source.get(), FALSE, const_cast<char**>(options), nullptr,
                                           nullptr);
    if (copy == nullptr) errors.fail("GDAL could not write the netCDF file");
    else GDALClose(copy);
    CPLSetThreadLocalConfigOption("GDAL_PAM_ENABLED", nullptr);
    if (!errors.failure().empty()) return errors.failure();
  }
  std::string bytes = read_whole(file);
  if (bytes.empty()) return "GDAL wrote no netCDF file";
  files = {files::StagedFile{".nc", std::move(bytes)}};
  return "";
}

}  // namespace gis::gdal
