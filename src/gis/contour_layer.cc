// The contour layer's formats, files and attribute names. (The layer is
// written by GDAL in the GIS module, src/gis/gdal.)
#include "gis/contour_layer.h"

#include <algorithm>
#include <cctype>

#include "files/staged_files.h"

namespace gis {
std::optional<VectorFormat> vector_format_of(std::string_view path) {
  std::string ending = files::ending_of(std::string(path));
  if (ending.size() == path.size() || (path.size() > ending.size() && path[path.size() - ending.size() - 1] == '/'))
    return std::nullopt;
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  if (ending == ".gpkg") return VectorFormat::kGeoPackage;
  if (ending == ".geojson") return VectorFormat::kGeoJson;
  if (ending == ".shp") return VectorFormat::kShapefile;
  return std::nullopt;
}

std::string level_field(VectorFormat format) {
  return format == VectorFormat::kShapefile ? "drawdown_f" : "drawdown_ft";
}

std::vector<std::string> sidecar_endings(VectorFormat format) {
  if (format == VectorFormat::kShapefile) return {".shx", ".dbf", ".prj"};
  return {};
}

std::string layer_name(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  const std::string stem = name.substr(0, name.size() - files::ending_of(name).size());
  return stem.empty() ? "contours" : stem;
}

std::vector<std::string> contour_files(const std::string& path, VectorFormat format) {
  std::vector<std::string> files{path};
  for (const std::string& e : sidecar_endings(format)) files.push_back(files::with_ending(path, e));
  return files;
}

}  // namespace gis
