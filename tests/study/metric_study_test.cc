// The metric example end to end: UTM coordinates in metres under a CRS in
// metres, a receptors file delimited by semicolons, and every output in
// metres (CSV columns, the console, the GeoTIFF's unit, the contour
// attribute); a CRS whose unit is not the study's refused with its fix.
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "base/exit_status.h"
#include "program_run.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

std::string source_file(const std::string& name) {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct DatasetClose {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetClose>;

Dataset open(const std::string& path, unsigned kind) {
  GDALAllRegister();
  return Dataset(static_cast<GDALDataset*>(GDALOpenEx(path.c_str(), kind | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

TEST(MetricStudy, TheExampleWritesEveryOutputInMetres) {
  ScratchFolder folder;
  folder.write("wellfield.toml", source_file("examples/metric/wellfield.toml"));
  folder.write("receptors.csv", source_file("examples/metric/receptors.csv"));
  const RunResult r = run_program(folder, "", {"--study", "wellfield.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* text : {"largest drawdown (m)", "the grid beyond one spacing (30 m)", "limit (m)", "in the well (m)"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text << "\n" << r.out;
  EXPECT_EQ(r.out.find("(ft)"), std::string::npos) << r.out;
  EXPECT_EQ(folder.read("out/receptors.csv").substr(0, 24), "name,x,y,days,drawdown_m");
  EXPECT_EQ(folder.read("out/compliance.csv").substr(0, 54), "name,limit_m,largest_drawdown_m,at_day,first_exceeded_");

  const Dataset tiff = open(folder.path() + "/out/drawdown.tif", GDAL_OF_RASTER);
  ASSERT_TRUE(tiff);
  EXPECT_STREQ(tiff->GetRasterBand(1)->GetUnitType(), "m");
  double transform[6];
  ASSERT_EQ(tiff->GetGeoTransform(transform), CE_None);
  EXPECT_EQ(transform[0], 655000.0) << "the corner in metres as written";
  EXPECT_EQ(transform[1], 30.0) << "a spacing of whole metres";
  OGRSpatialReference utm;
  utm.SetFromUserInput("EPSG:32617");
  EXPECT_TRUE(tiff->GetSpatialRef() != nullptr && tiff->GetSpatialRef()->IsSame(&utm));

  const Dataset lines = open(folder.path() + "/out/contours.gpkg", GDAL_OF_VECTOR);
  ASSERT_TRUE(lines);
  OGRFeatureDefn* fields = lines->GetLayer(0)->GetLayerDefn();
  EXPECT_GE(fields->GetFieldIndex("drawdown_m"), 0);
  EXPECT_LT(fields->GetFieldIndex("drawdown_ft"), 0);
}

TEST(MetricStudy, ACrsWhoseUnitIsNotTheStudysIsRefusedWithItsFix) {
  const std::string metric = "units = { length = \"m\" }\n";
  const struct {
    const char* what;
    std::string top, says;
  } cases[] = {
      {"metres in a study in feet", "crs = \"EPSG:32617\"\n",
       "study.toml: 'crs': 'EPSG:32617' has its coordinates in metre, the grid's are in feet (choose a CRS in feet, "
       "e.g. EPSG:2264); or, for coordinates in metres, give the study units = { length = \"m\" }\n"},
      {"feet in a study in metres", metric + "crs = \"EPSG:2264\"\n",
       "study.toml: 'crs': 'EPSG:2264' has its coordinates in US survey foot, the grid's are in metres (choose a CRS in "
       "metres, e.g. EPSG:32617); or, for coordinates in feet, give the study's lengths in feet (units.length = \"ft\")\n"},
      {"degrees in a study in metres", metric + "crs = \"EPSG:4326\"\n",
       "study.toml: 'crs': 'EPSG:4326' is not a projected CRS: the grid's coordinates are metres\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    folder.write("study.toml", c.top + study_testing::kSmallStudy);
    const RunResult r = run_program(folder, "", {"--study", "study.toml"});
    EXPECT_EQ(r.status, base::kExitUsage);
    EXPECT_EQ(r.err, "leaky-drawdown: " + c.says);
  }
  // The same CRS in metres, taken by the study in metres.
  ScratchFolder folder;
  folder.write("study.toml", metric + "crs = \"EPSG:32617\"\n" + study_testing::kSmallStudy);
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(folder.read("out/drawdown_30d.prj").find("UTM_Zone_17N"), std::string::npos);
}

}  // namespace
