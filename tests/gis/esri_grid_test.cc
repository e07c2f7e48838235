// The ESRI ASCII grid: value texts that read back as the same single, the
// file's layout, and write failures.
#include "files/output_file.h"
#include "gis/esri_grid.h"
#include "gis/grid_cells.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <sstream>

namespace {

using gis::esri_value_text;

// Both ways a GIS reader turns a value's text into a single: directly, and
// through a double rounded once more.
void expect_reads_back(float v) {
  const std::string s = esri_value_text(v);
  EXPECT_EQ(std::bit_cast<std::uint32_t>(std::strtof(s.c_str(), nullptr)), std::bit_cast<std::uint32_t>(v)) << s;
  EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(std::strtod(s.c_str(), nullptr))),
            std::bit_cast<std::uint32_t>(v))
      << s;
  EXPECT_EQ(s.find(' '), std::string::npos);
}

TEST(EsriGrid, ChosenValuesReadBackExactly) {
  for (float v : {0.0f, -0.0f, 7.25f, 18.59f, 100.25f, -10.0f, 1.0f / 3.0f, 1e-7f, 123456.79f, 3.4028235e38f,
                  std::numeric_limits<float>::min(), std::numeric_limits<float>::denorm_min(),
                  std::nextafter(100.0f, 200.0f), std::nextafter(-0.005f, 0.0f)})
    expect_reads_back(v);
  EXPECT_EQ(esri_value_text(7.25f), "7.25");
  EXPECT_EQ(esri_value_text(100.25f), "100.25") << "no field width: wide values keep every digit";
  EXPECT_EQ(esri_value_text(-1.07f), "-1.07");

  // The shortest text of this single, "7.038531e-26", lies so close to a point
  // halfway between two singles that going through the nearest double lands on
  // that point and then on the wrong single: its exact digits are written.
  const float halfway = std::bit_cast<float>(0x15ae43fdu);
  ASSERT_NE(static_cast<float>(std::strtod("7.038531e-26", nullptr)), halfway);
  EXPECT_GT(esri_value_text(halfway).size(), std::string("7.038531e-26").size());
  expect_reads_back(halfway);
}

TEST(EsriGrid, EverySampledSingleReadsBackExactlyAndShort) {
  std::mt19937 random(20240607);
  std::uniform_int_distribution<std::uint32_t> bits;
  std::uniform_real_distribution<float> drawdown(-50.0f, 500.0f);
  std::size_t long_texts = 0;
  for (int k = 0; k < 200000; ++k) {
    const float any = std::bit_cast<float>(bits(random));
    const float v = k % 2 == 0 ? drawdown(random) : any;
    if (!std::isfinite(v)) continue;
    expect_reads_back(v);
    // The shortest texts have at most 15 characters ("-1.23698956e-20").
    if (esri_value_text(v).size() > 15) ++long_texts;
    if (HasFailure()) return;
  }
  // The exact form is only for the rare values a double-rounding reader would miss.
  EXPECT_LT(long_texts, 200u);
}

TEST(EsriGrid, NonFiniteCellsAreNoData) {
  EXPECT_EQ(esri_value_text(std::numeric_limits<float>::infinity()), "-9999");
  EXPECT_EQ(esri_value_text(-std::numeric_limits<float>::infinity()), "-9999");
  EXPECT_EQ(esri_value_text(std::numeric_limits<float>::quiet_NaN()), "-9999");
}

struct Grid {
  std::unique_ptr<engine::DrawdownGrid> dd = std::make_unique<engine::DrawdownGrid>();
  engine::EvaluatedGrid e;
  Grid(std::int32_t nx, std::int32_t ny, std::int32_t xll, std::int32_t yll, std::int32_t spacing) {
    e.NX = nx, e.NY = ny, e.SPACING = spacing;
    e.from_run_origin(xll, yll);
    e.DD = dd.get();
  }
};

TEST(EsriGrid, HeaderPlacesNodesAtCellCentresAndRowsRunTopFirst) {
  Grid g(3, 2, 1000, 2000, 100);
  (*g.dd)(1, 1) = 8.04f, (*g.dd)(2, 1) = 18.59f, (*g.dd)(3, 1) = 8.04f;
  (*g.dd)(1, 2) = 7.25f, (*g.dd)(2, 2) = 100.25f, (*g.dd)(3, 2) = -1.5f;
  EXPECT_EQ(gis::esri_grid_text(g.e),
            "ncols        3\n"
            "nrows        2\n"
            "xllcorner    1050\n"
            "yllcorner    2050\n"
            "cellsize     100\n"
            "NODATA_value -9999\n"
            "7.25 100.25 -1.5\n"
            "8.04 18.59 8.04\n");

  // An odd spacing puts the corner on a half foot; a negative corner keeps its sign.
  Grid odd(1, 1, -2150000, 0, 25);
  (*odd.dd)(1, 1) = 0.0f;
  EXPECT_EQ(gis::esri_grid_text(odd.e),
            "ncols        1\nnrows        1\nxllcorner    -2149987.5\nyllcorner    12.5\ncellsize     25\n"
            "NODATA_value -9999\n0\n");
}

TEST(EsriGrid, AFrameInMapCoordinatesPlacesAnyGrid) {
  // A grid wider than the input-file run's, its corner on a fraction of a foot.
  engine::DrawdownGrid dd(301, 2);
  dd(1, 1) = 1.5f, dd(301, 1) = -2.25f, dd(1, 2) = 3.0f, dd(301, 2) = 7.25f;
  const gis::EsriFrame frame{301, 2, 2150000.25, -720000.5, 100};
  EXPECT_EQ(gis::esri_grid_header(frame),
            "ncols        301\nnrows        2\nxllcorner    2150000.25\nyllcorner    -720000.5\ncellsize     100\n"
            "NODATA_value -9999\n");
  std::string top = "3", bottom = "1.5";
  for (int c = 2; c < 301; ++c) top += " 0", bottom += " 0";
  EXPECT_EQ(gis::esri_grid_row(dd, 2, 301), top + " 7.25\n");
  EXPECT_EQ(gis::esri_grid_row(dd, 1, 301), bottom + " -2.25\n");
}

TEST(EsriGrid, GridsWithoutCellsAreRefused) {
  struct Case {
    std::int32_t nx, ny, spacing;
    bool writable;
  };
  for (const Case& k : {Case{3, 2, 100, true}, Case{0, 2, 100, false}, Case{3, 0, 100, false},
                        Case{-1, 2, 100, false}, Case{3, 2, 0, false}, Case{3, 2, -100, false}}) {
    Grid g(k.nx, k.ny, 0, 0, k.spacing);
    EXPECT_EQ(gis::missing_cells(g.e, "grid cells").empty(), k.writable) << k.nx << " " << k.ny << " " << k.spacing;
  }
}

class EsriGridFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("esri-grid-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path folder_;
};

TEST_F(EsriGridFile, WritesTheTextAndReplacesAnOldFile) {
  Grid g(2, 2, 0, 0, 10);
  (*g.dd)(1, 1) = 1.5f;
  const std::string path = (folder_ / "grid.asc").string();
  std::ofstream(path) << "old contents that are longer than the new grid file, so that truncation shows\n"
                      << std::string(500, 'x');
  EXPECT_EQ(gis::write_esri_grid(path, g.e), "");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), gis::esri_grid_text(g.e));
}

TEST_F(EsriGridFile, TheFrameWriterGivesTheInputFileRunsBytes) {
  Grid g(3, 2, 2150000, 720000, 100);
  (*g.dd)(1, 1) = 1.5f, (*g.dd)(3, 2) = 18.592806f;
  const std::string path = (folder_ / "framed.asc").string();
  ASSERT_EQ(gis::write_esri_grid(path, gis::esri_frame(g.e), *g.dd), "");
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  EXPECT_EQ(s.str(), gis::esri_grid_text(g.e));
  EXPECT_EQ(gis::esri_frame(g.e).xllcorner, 2150050.0);
}

TEST_F(EsriGridFile, FailuresSayWhy) {
  Grid g(2, 2, 0, 0, 10);
  EXPECT_EQ(gis::write_esri_grid((folder_ / "missing" / "grid.asc").string(), g.e), "No such file or directory");
  EXPECT_EQ(gis::write_esri_grid(folder_.string(), g.e), "Is a directory");
  if (std::filesystem::exists("/dev/full")) {
    EXPECT_EQ(gis::write_esri_grid("/dev/full", g.e), "No space left on device");
  }
  Grid empty(0, 2, 0, 0, 10);
  EXPECT_NE(gis::write_esri_grid((folder_ / "empty.asc").string(), empty.e), "");
  EXPECT_FALSE(std::filesystem::exists(folder_ / "empty.asc")) << "nothing is created for a grid without cells";
}

}  // namespace
