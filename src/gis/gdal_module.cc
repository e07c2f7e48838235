// The loader of the GIS module, and the GIS functions that forward to it.
#include "gis/gdal_module.h"
#include "gis/point_layer.h"

#include <atomic>

#include "base/module.h"
#include "gis/gdal_module_testing.h"
#include "gis/geotiff.h"
#include "files/output_file.h"

#ifndef LEAKY_GDAL_MODULE_FILE
#error "LEAKY_GDAL_MODULE_FILE (the module's file name) must be defined"
#endif

namespace gis {
namespace {

std::atomic<bool> loaded_flag{false};

struct Loaded {
  const GdalFunctions* functions = nullptr;
  std::string why;
};

Loaded load() {
  Loaded l;
  std::string why;
  l.functions = base::load_module<GdalFunctions>(LEAKY_GDAL_MODULE_FILE, LEAKY_GDAL_MODULE_DIR, kGdalEntry, why);
  if (l.functions != nullptr)
    loaded_flag.store(true);
  else
    l.why = "the GIS module cannot be loaded: " + why;
  return l;
}

const Loaded& loaded() {
  static const Loaded l = load();
  return l;
}

}  // namespace

const GdalFunctions* gdal_functions(std::string& why) {
  const Loaded& l = loaded();
  if (l.functions == nullptr) why = l.why;
  return l.functions;
}

std::string gdal_module_problem() { return loaded().why; }

bool gdal_module_loaded() { return loaded_flag.load(); }

std::string read_crs(std::string_view text, Crs& crs) {
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  return f != nullptr ? f->read_crs(text, crs) : why;
}

std::string esri_prj_text(const Crs& crs) {
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  return f != nullptr ? f->esri_prj_text(crs) : "";
}

std::string write_geotiff(const files::Target& target, std::span<const engine::EvaluatedGrid> times, const Crs* crs) {
  if (std::string problem = check_times(times, "grid cells"); !problem.empty()) return problem;
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  if (f == nullptr) return why;
  std::vector<files::StagedFile> files;
  if (why = f->geotiff_files(times, crs, files); !why.empty()) return why;
  return files::write_staged(target, files);
}

std::string write_contour_layer(const files::Target& target, VectorFormat format,
                                std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                const Crs* crs) {
  if (std::string problem = check_times(times, "contour lines"); !problem.empty()) return problem;
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  if (f == nullptr) return why;
  std::vector<files::StagedFile> files;
  if (why = f->contour_layer_files(layer_name(target.name), format, times, levels, crs, files); !why.empty())
    return why;
  return files::write_staged(target, files);
}

std::string write_point_layers(const files::Target& target, std::span<const PointLayer> layers, const Crs* crs) {
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  if (f == nullptr) return why;
  std::vector<files::StagedFile> files;
  if (why = f->point_layers_files(layer_name(target.name), layers, crs, files); !why.empty()) return why;
  return files::write_staged(target, files);
}

std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level) {
  // No cells, no lines: the module is not needed to know that.
  if (nx < 2 || ny < 2) return {};
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  return f != nullptr ? f->trace_contour(values, nx, ny, level) : std::vector<ContourLine>{};
}

}  // namespace gis
