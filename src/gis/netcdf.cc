// The netCDF stack's forwarding to the GIS module, and its time units.
#include "gis/netcdf.h"

#include <vector>

#include "files/output_file.h"
#include "files/staged_files.h"
#include "gis/gdal_module.h"
#include "gis/geotiff.h"

namespace gis {

std::string time_units(std::string_view start_date) {
  return "days since " + std::string(start_date.empty() ? kNeutralEpoch : start_date) + " 00:00:00";
}

std::string write_netcdf(const files::Target& target, std::span<const engine::EvaluatedGrid> times, const Crs* crs,
                         std::string_view start_date) {
  if (std::string problem = check_times(times, "grid cells"); !problem.empty()) return problem;
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  if (f == nullptr) return why;
  std::vector<files::StagedFile> files;
  if (why = f->netcdf_files(times, crs, time_units(start_date), files); !why.empty()) return why;
  return files::write_staged(target, files);
}

}  // namespace gis
