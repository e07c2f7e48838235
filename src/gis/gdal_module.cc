// The loader of the GIS module, and the maps functions that forward to it.
#include "gis/gdal_module.h"
#include "gis/point_layer.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <climits>

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

// The folder of the running program ("" when /proc cannot tell).
std::string program_folder() {
  char path[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
  if (n <= 0 || static_cast<std::size_t>(n) >= sizeof path) return "";
  const std::string exe(path, static_cast<std::size_t>(n));
  const std::size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash);
}

// The functions of the module in `folder`, or null with the reason in `why`.
const GdalFunctions* load_from(const std::string& folder, std::string& why) {
  const std::string file = folder + "/" + LEAKY_GDAL_MODULE_FILE;
  void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = ::dlerror();
    why = error != nullptr ? error : file + ": cannot be opened";
    return nullptr;
  }
  // Never closed: the functions stay in use until the process ends.
  void* symbol = ::dlsym(handle, kGdalEntry);
  if (symbol == nullptr) {
    const char* error = ::dlerror();
    why = error != nullptr ? error : file + ": no " + kGdalEntry;
    return nullptr;
  }
  const GdalFunctions* functions = reinterpret_cast<GdalEntry>(symbol)();
  if (functions == nullptr || functions->size != sizeof(GdalFunctions)) {
    why = file + ": built with another version of the program";
    return nullptr;
  }
  return functions;
}

// The module beside the program first (an installed program carries it
// there), then the one of the build folder (the test programs run from
// folders of their own).
Loaded load() {
  Loaded l;
  std::string first_why, found_why;
  for (const std::string& folder : {program_folder(), std::string(LEAKY_GDAL_MODULE_DIR)}) {
    if (folder.empty()) continue;
    std::string why;
    l.functions = load_from(folder, why);
    if (l.functions != nullptr) {
      loaded_flag.store(true);
      return l;
    }
    if (first_why.empty()) first_why = why;
    // A module that is there but fails (a library it needs is missing) says
    // more than one that is not there.
    if (found_why.empty() && ::access((folder + "/" + LEAKY_GDAL_MODULE_FILE).c_str(), F_OK) == 0) found_why = why;
  }
  l.why = "the GIS module cannot be loaded: " + (found_why.empty() ? first_why : found_why);
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

std::string read_crs(std::string_view text, Crs& crs, bool metres) {
  std::string why;
  const GdalFunctions* f = gdal_functions(why);
  return f != nullptr ? f->read_crs(text, crs, metres) : why;
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
