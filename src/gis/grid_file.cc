#include "gis/grid_file.h"

#include <algorithm>
#include <cctype>

#include "gis/esri_grid.h"
#include "gis/gdal_module.h"
#include "gis/geotiff.h"
#include "gis/netcdf.h"
#include "files/output_file.h"
#include "files/staged_files.h"

namespace gis {

std::optional<GridFormat> grid_format_of(std::string_view path) {
  std::string ending = files::ending_of(std::string(path));
  if (ending.size() == path.size() || (path.size() > ending.size() && path[path.size() - ending.size() - 1] == '/'))
    return std::nullopt;  // only an ending
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  for (const GridFormatTraits& t : kGridFormats)
    for (std::string_view e : t.endings)
      if (!e.empty() && ending == e) return t.format;
  return std::nullopt;
}

const GridFormatTraits& traits_of(GridFormat format) {
  for (const GridFormatTraits& t : kGridFormats)
    if (t.format == format) return t;
  return kGridFormats[0];
}

std::vector<std::string> grid_files(const std::string& path, GridFormat format, bool with_crs) {
  std::vector<std::string> files{path};
  if (format == GridFormat::kEsriAscii && with_crs) files.push_back(files::with_ending(path, ".prj"));
  return files;
}

std::string write_grid(const files::Target& target, GridFormat format, std::span<const engine::EvaluatedGrid> times,
                       const Crs* crs, std::string_view start_date) {
  if (format == GridFormat::kGeoTiff) return write_geotiff(target, times, crs);
  if (format == GridFormat::kNetcdf) return write_netcdf(target, times, crs, start_date);
  if (std::string problem = check_times(times, "grid cells"); !problem.empty()) return problem;
  if (times.size() != 1 && !traits_of(format).holds_every_time)
    return "an ESRI ASCII grid holds one time: write several times as a GeoTIFF (.tif)";
  if (std::string why = write_esri_grid(target, times.front()); !why.empty()) return why;
  if (crs == nullptr) return "";
  const files::Target prj = target.with_ending(".prj");
  const std::string text = esri_prj_text(*crs);
  if (text.empty()) {
    if (std::string problem = gdal_module_problem(); !problem.empty()) return problem;
    return "the CRS '" + crs->text + "' has no ESRI WKT for '" + prj.shown() + "'";
  }
  if (std::string why = files::write_whole_file(prj, text); !why.empty()) return "its .prj '" + prj.shown() + "': " + why;
  return "";
}

}  // namespace gis
