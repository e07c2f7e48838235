// A study's netCDF time stack read back with GDAL: one file whose bands are
// the times, each equal bit for bit to the study's ESRI grid of that time, a
// CF time coordinate in days since the start, the CRS as a grid mapping, the
// unit and NoData; cells beyond a boundary hold the NoData value.
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

struct DatasetClose {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetClose>;

Dataset open_raster(const std::string& path) {
  GDALAllRegister();
  return Dataset(static_cast<GDALDataset*>(
      GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

// The values of an ESRI ASCII grid's rows, top row first.
std::vector<float> esri_values(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  for (int k = 0; k < 6; ++k) std::getline(in, line);
  std::vector<float> values;
  for (std::string v; in >> v;) values.push_back(std::strtof(v.c_str(), nullptr));
  return values;
}

std::string metadata(GDALMajorObject& o, const char* key) {
  const char* v = o.GetMetadataItem(key);
  return v != nullptr ? v : "";
}

// The small study on a 12 x 9 grid with three times, the CRS, and `grid`.
std::string stack_study(const std::string& grid) {
  std::string text = edited(study_testing::kSmallStudy, "times = [30.0, 90.0]", "crs = \"EPSG:2264\"\ntimes = [0.5, 30.0, 90.0]");
  text = edited(text, "columns = 4", "columns = 12");
  text = edited(text, "rows = 3", "rows = 9");
  return edited(text, "grid = \"drawdown.asc\"\nseries = \"series.csv\"\n", "grid = \"" + grid + "\"\n");
}

// Each band of `nc` against the ESRI grid of its time in `ascii` (out/drawdown_<day>d.asc), bit for bit.
void expect_bands_equal_grids(GDALDataset& nc, const ScratchFolder& ascii, const std::vector<std::string>& days,
                              int nx, int ny) {
  ASSERT_EQ(nc.GetRasterCount(), static_cast<int>(days.size()));
  for (std::size_t t = 0; t < days.size(); ++t) {
    SCOPED_TRACE("day " + days[t]);
    GDALRasterBand* b = nc.GetRasterBand(static_cast<int>(t) + 1);
    EXPECT_EQ(metadata(*b, "NETCDF_DIM_time"), days[t]);
    std::vector<float> cells(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
    ASSERT_EQ(b->RasterIO(GF_Read, 0, 0, nx, ny, cells.data(), nx, ny, GDT_Float32, 0, 0, nullptr), CE_None);
    const std::vector<float> expected = esri_values(ascii.read("out/drawdown_" + days[t] + "d.asc"));
    ASSERT_EQ(expected.size(), cells.size());
    for (std::size_t k = 0; k < cells.size(); ++k)
      ASSERT_EQ(std::bit_cast<std::uint32_t>(cells[k]), std::bit_cast<std::uint32_t>(expected[k])) << "cell " << k;
  }
}

TEST(StudyStack, TheNetcdfStackHoldsEachTimesGridWithACfTimeCoordinate) {
  ScratchFolder ascii, stack;
  ascii.write("study.toml", stack_study("drawdown.asc"));
  stack.write("study.toml", stack_study("drawdown.nc"));
  for (const ScratchFolder* folder : {&ascii, &stack}) {
    const RunResult r = run_program(*folder, "", {"--study", "study.toml"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
  }
  EXPECT_FALSE(std::filesystem::exists(stack.path() + "/out/drawdown_30d.nc")) << "one file for every time";
  const Dataset d = open_raster(stack.path() + "/out/drawdown.nc");
  ASSERT_TRUE(d);
  EXPECT_STREQ(d->GetDriver()->GetDescription(), "netCDF");
  EXPECT_EQ(d->GetRasterXSize(), 12);
  EXPECT_EQ(d->GetRasterYSize(), 9);
  double transform[6];
  ASSERT_EQ(d->GetGeoTransform(transform), CE_None);
  EXPECT_EQ(transform[0], 2150000.0);
  EXPECT_EQ(transform[3], 720000.0 + 9 * 100);
  EXPECT_EQ(transform[1], 100.0);
  EXPECT_EQ(transform[5], -100.0);
  OGRSpatialReference expected;
  expected.SetFromUserInput("EPSG:2264");
  ASSERT_NE(d->GetSpatialRef(), nullptr);
  EXPECT_TRUE(d->GetSpatialRef()->IsSame(&expected));

  // The time dimension as CF and gdalinfo see it.
  EXPECT_EQ(metadata(*d, "NETCDF_DIM_EXTRA"), "{time}");
  EXPECT_EQ(metadata(*d, "NETCDF_DIM_time_VALUES"), "{0.5,30,90}");
  EXPECT_EQ(metadata(*d, "time#units"), "days since 1970-01-01 00:00:00");
  EXPECT_EQ(metadata(*d, "time#standard_name"), "time");
  EXPECT_EQ(metadata(*d, "time#axis"), "T");
  EXPECT_EQ(metadata(*d, "NC_GLOBAL#Conventions"), "CF-1.8");
  const std::string mapping = metadata(*d, "drawdown#grid_mapping");
  EXPECT_FALSE(mapping.empty()) << "the CRS as a grid mapping";
  EXPECT_EQ(metadata(*d, (mapping + "#grid_mapping_name").c_str()), "lambert_conformal_conic");
  for (int band = 1; band <= 3; ++band) {
    GDALRasterBand* b = d->GetRasterBand(band);
    EXPECT_EQ(std::string(b->GetUnitType()), "ft");
    int has = 0;
    EXPECT_EQ(b->GetNoDataValue(&has), -9999.0);
    EXPECT_TRUE(has);
  }
  expect_bands_equal_grids(*d, ascii, {"0.5", "30", "90"}, 12, 9);
}

// With a start date the time coordinate counts days from it, so that QGIS's
// temporal controller shows the calendar.
TEST(StudyStack, AStartDateIsTheTimeCoordinatesEpoch) {
  ScratchFolder stack;
  stack.write("study.toml", edited(stack_study("drawdown.nc"), "crs = ", "start_date = 2027-03-15\ncrs = "));
  const RunResult r = run_program(stack, "", {"--study", "study.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Dataset d = open_raster(stack.path() + "/out/drawdown.nc");
  ASSERT_TRUE(d);
  EXPECT_EQ(metadata(*d, "time#units"), "days since 2027-03-15 00:00:00");
  EXPECT_EQ(metadata(*d, "NETCDF_DIM_time_VALUES"), "{0.5,30,90}");
}

// Beyond the creek and the barrier the stack holds NoData, as the ESRI grids do.
TEST(StudyStack, BeyondABoundaryTheStackHoldsNoData) {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/examples/creek/creek.toml");
  std::stringstream text;
  text << in.rdbuf();
  // The grids alone: the other outputs only slow the test.
  std::string grids_only = text.str().substr(0, text.str().find("[output]")) + "[output]\nfolder = \"out\"\n";
  ScratchFolder ascii, stack;
  ascii.write("creek.toml", grids_only + "grid = \"drawdown.asc\"\n");
  stack.write("creek.toml", grids_only + "grid = \"drawdown.nc\"\n");
  for (const ScratchFolder* folder : {&ascii, &stack}) {
    const RunResult r = run_program(*folder, "", {"--study", "creek.toml"});
    ASSERT_EQ(r.status, 0) << r.err;
  }
  const Dataset d = open_raster(stack.path() + "/out/drawdown.nc");
  ASSERT_TRUE(d);
  expect_bands_equal_grids(*d, ascii, {"30", "90", "365"}, 40, 30);
  std::vector<float> cells(40 * 30);
  ASSERT_EQ(d->GetRasterBand(3)->RasterIO(GF_Read, 0, 0, 40, 30, cells.data(), 40, 30, GDT_Float32, 0, 0, nullptr),
            CE_None);
  EXPECT_GT(std::count(cells.begin(), cells.end(), -9999.0f), 40) << "NoData beyond the lines";
}

}  // namespace
