// The GIS module is loaded only by the outputs that need GDAL. Each case runs
// in a fresh process of its own (a death test's child), so that nothing done
// before it has loaded the module already; the child checks both the loader's
// own flag and the process's memory map.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/esri_grid.h"
#include "gis/gdal_module.h"
#include "gis/gdal_module_testing.h"
#include "gis/geotiff.h"
#include "gis/crs.h"
#include "gis/grid_file.h"

namespace {

namespace fs = std::filesystem;

// Whether the module's file is mapped into this process.
bool module_mapped() {
  std::ifstream in("/proc/self/maps");
  std::string line;
  while (std::getline(in, line))
    if (line.find("/leaky-drawdown-gdal.so") != std::string::npos) return true;
  return false;
}

struct Grid {
  std::unique_ptr<engine::DrawdownGrid> dd = std::make_unique<engine::DrawdownGrid>();
  engine::EvaluatedGrid e;
  Grid() {
    e.NX = 4, e.NY = 3, e.SPACING = 100, e.TIME = 30;
    e.from_run_origin(2150000, 720000);
    e.DD = dd.get();
    for (std::int32_t r = 1; r <= e.NY; ++r)
      for (std::int32_t c = 1; c <= e.NX; ++c) (*dd)(c, r) = static_cast<float>(c + r);
  }
};

struct Case {
  const char* name;
  // Does the work in `folder`; returns "" when it did it, else why not.
  std::function<std::string(const std::string& folder)> action;
  bool loads;
};

std::string esri(const std::string& folder) {
  Grid g;
  return gis::write_esri_grid(folder + "/dd.asc", g.e);
}

std::string grid(const std::string& folder, const char* name, bool with_crs) {
  Grid g;
  gis::Crs crs;
  if (with_crs)
    if (std::string why = gis::read_crs("EPSG:2264", crs); !why.empty()) return why;
  const std::string path = folder + "/" + name;
  return gis::write_grid(path, *gis::grid_format_of(path), std::span(&g.e, 1), with_crs ? &crs : nullptr);
}

const std::vector<Case> kCases = {
    {"ESRI grid", esri, false},
    {"--grid .asc without a CRS", [](const std::string& f) { return grid(f, "dd.asc", false); }, false},
    {"names, formats and levels",
     [](const std::string&) {
       Grid g;
       const std::vector<double> levels = gis::levels_for(std::span(&g.e, 1), {});
       if (levels.empty()) return std::string("no levels");
       if (gis::contour_files("c.shp", gis::VectorFormat::kShapefile).size() != 4) return std::string("files");
       if (!gis::grid_format_of("dd.tif") || !gis::vector_format_of("c.gpkg")) return std::string("formats");
       return gis::check_times(std::span(&g.e, 1), "grid cells");
     },
     false},
    {"contour lines of a grid without cells",
     [](const std::string&) {
       const std::vector<float> one_row = {1, 2, 3};
       return gis::trace_contour(one_row, 3, 1, 1.5).empty() ? "" : "lines where there are no cells";
     },
     false},
    {"--grid .tif", [](const std::string& f) { return grid(f, "dd.tif", false); }, true},
    {"--grid .asc with a CRS", [](const std::string& f) { return grid(f, "dd.asc", true); }, true},
    {"--crs",
     [](const std::string&) {
       gis::Crs crs;
       return gis::read_crs("EPSG:2264", crs);
     },
     true},
    {"--contours",
     [](const std::string& f) {
       Grid g;
       const double levels[] = {4.5};
       return gis::write_contour_layer(f + "/c.geojson", gis::VectorFormat::kGeoJson, std::span(&g.e, 1),
                                        levels, nullptr);
     },
     true},
    {"contour lines (of --plot)",
     [](const std::string&) {
       const std::vector<float> ramp = {1, 2, 3, 1, 2, 3};
       return gis::trace_contour(ramp, 3, 2, 1.5).size() == 1 ? "" : "not one line";
     },
     true},
};

// In the child: does the case's work and exits 0 when the module is loaded
// (or not) as expected, else says why on standard error and exits 1.
[[noreturn]] void run_case(const Case& k) {
  const fs::path folder = fs::temp_directory_path() / ("gdal-module-test-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::string failure;
  if (gis::gdal_module_loaded() || module_mapped()) failure = "the module was loaded before the work";
  if (failure.empty())
    if (std::string why = k.action(folder.string()); !why.empty()) failure = "the work failed: " + why;
  if (failure.empty() && gis::gdal_module_loaded() != k.loads)
    failure = k.loads ? "the loader did not load the module" : "the loader loaded the module";
  if (failure.empty() && module_mapped() != k.loads)
    failure = k.loads ? "the module is not mapped" : "the module is mapped";
  fs::remove_all(folder);
  if (!failure.empty()) std::fprintf(stderr, "%s: %s\n", k.name, failure.c_str());
  std::exit(failure.empty() ? 0 : 1);
}

TEST(GdalModule, LoadedOnlyByTheOutputsThatNeedGdal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");  // a fresh process per case
  for (const Case& k : kCases) EXPECT_EXIT(run_case(k), ::testing::ExitedWithCode(0), "^$") << k.name;
}

TEST(GdalModule, ProblemIsEmptyOnceLoaded) {
  std::string why = "unchanged";
  const gis::GdalFunctions* f = gis::gdal_functions(why);
  ASSERT_NE(f, nullptr) << why;
  EXPECT_EQ(why, "unchanged") << "a loaded module gives no reason";
  EXPECT_EQ(f->size, sizeof(gis::GdalFunctions));
  EXPECT_EQ(gis::gdal_module_problem(), "");
  EXPECT_TRUE(gis::gdal_module_loaded());
  EXPECT_TRUE(module_mapped());
}

}  // namespace
