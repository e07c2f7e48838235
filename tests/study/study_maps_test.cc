// A study's map outputs read back with GDAL: the GeoTIFF holds a band per time
// equal bit for bit to the study's ESRI grids, on the study's own frame (a
// corner that is no whole number of feet stays exact) with its CRS; the
// contour layer holds every time at the study's levels, its vertices within the
// nodes; a picture per time; and a write failure of one output
// leaves the others whole.
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "program_run.h"
#include "scenario/boundaries.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

constexpr double kXll = 2150000.3;  // the corner of the study below, not a whole number of feet

// The small study with an injection well, a fractional corner, the CRS and
// the [output] lines `outputs`.
std::string study_with(const std::string& outputs) {
  std::string text = edited(study_testing::kSmallStudy, "xll = 2150000.0", "xll = 2150000.3");
  text = edited(text, "times = ", "crs = \"EPSG:2264\"\ntimes = ");
  text = edited(text, "columns = 4", "columns = 12");
  text = edited(text, "rows = 3", "rows = 9");
  text = edited(text, "[[receptor]]",
                "[[well]]\nname = \"IW-1\"\nx = 2150850.3\ny = 720550.0\nrate = -300000.0\n\n[[receptor]]");
  return edited(text, "grid = \"drawdown.asc\"\nseries = \"series.csv\"\n", outputs);
}

struct DatasetClose {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetClose>;

Dataset open(const std::string& path, unsigned kind) {
  GDALAllRegister();
  return Dataset(static_cast<GDALDataset*>(GDALOpenEx(path.c_str(), kind | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

bool is_crs(const OGRSpatialReference* srs, const char* crs) {
  OGRSpatialReference expected;
  expected.SetFromUserInput(crs);
  return srs != nullptr && srs->IsSame(&expected);
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

TEST(StudyMaps, TheGeoTiffHoldsEachTimesAsciiGridBitForBitOnTheStudysFrame) {
  ScratchFolder ascii, tiff;
  ascii.write("study.toml", study_with("grid = \"drawdown.asc\"\n"));
  tiff.write("study.toml", study_with("grid = \"drawdown.tif\"\n"));
  for (const ScratchFolder* folder : {&ascii, &tiff}) {
    const RunResult r = run_program(*folder, "", {"--study", "study.toml"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
  }
  EXPECT_FALSE(std::filesystem::exists(tiff.path() + "/out/drawdown_30d.tif")) << "one GeoTIFF for every time";

  const Dataset d = open(tiff.path() + "/out/drawdown.tif", GDAL_OF_RASTER);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->GetRasterCount(), 2);
  EXPECT_EQ(d->GetRasterXSize(), 12);
  EXPECT_EQ(d->GetRasterYSize(), 9);
  double transform[6];
  ASSERT_EQ(d->GetGeoTransform(transform), CE_None);
  EXPECT_EQ(transform[0], kXll) << "the corner as the study gives it, to the last bit";
  EXPECT_EQ(transform[3], 720000.0 + 9 * 100);
  EXPECT_EQ(transform[1], 100.0);
  EXPECT_EQ(transform[5], -100.0);
  EXPECT_TRUE(is_crs(d->GetSpatialRef(), "EPSG:2264"));

  const char* days[] = {"30", "90"};
  for (int band = 1; band <= 2; ++band) {
    SCOPED_TRACE(days[band - 1]);
    const std::string asc = ascii.read(std::string("out/drawdown_") + days[band - 1] + "d.asc");
    EXPECT_NE(asc.find("xllcorner    2150000.3\n"), std::string::npos) << asc.substr(0, 120);
    EXPECT_EQ(ascii.read(std::string("out/drawdown_") + days[band - 1] + "d.prj").substr(0, 7), "PROJCS[")
        << "a .prj beside each grid";
    GDALRasterBand* b = d->GetRasterBand(band);
    EXPECT_EQ(std::string(b->GetDescription()), std::string(days[band - 1]) + " d");
    std::vector<float> cells(12 * 9);
    ASSERT_EQ(b->RasterIO(GF_Read, 0, 0, 12, 9, cells.data(), 12, 9, GDT_Float32, 0, 0), CE_None);
    const std::vector<float> expected = esri_values(asc);
    ASSERT_EQ(expected.size(), cells.size());
    bool rise = false;
    for (std::size_t k = 0; k < cells.size(); ++k) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(cells[k]), std::bit_cast<std::uint32_t>(expected[k])) << "cell " << k;
      rise = rise || cells[k] < 0;
    }
    EXPECT_TRUE(rise) << "the injection well's mound is in the grid";
  }
}

TEST(StudyMaps, OneContourLayerHoldsEveryTimeAtTheStudysLevelsOnItsFrame) {
  ScratchFolder folder;
  folder.write("study.toml", study_with("contours = \"lines.gpkg\"\nlevels = [2.0, -0.5, 1.0]\n"));
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(r.status, 0) << r.err;

  const Dataset d = open(folder.path() + "/out/lines.gpkg", GDAL_OF_VECTOR);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->GetLayerCount(), 1);
  OGRLayer* layer = d->GetLayer(0);
  EXPECT_TRUE(is_crs(layer->GetSpatialRef(), "EPSG:2264"));
  std::map<double, std::set<double>> levels_by_day;
  for (auto& feature : *layer) {
    const double level = feature->GetFieldAsDouble("drawdown_ft");
    levels_by_day[feature->GetFieldAsDouble("days")].insert(level);
    const auto* line = feature->GetGeometryRef()->toLineString();
    for (int k = 0; k < line->getNumPoints(); ++k) {
      // In node units every vertex lies within the nodes (x = 1 .. 12,
      // y = 1 .. 9); on the true drawdown, between the grid's edges too
      // (study_exact_contours_test.cc).
      const double c = (line->getX(k) - kXll) / 100 + 0.5, rr = (line->getY(k) - 720000.0) / 100 + 0.5;
      EXPECT_TRUE(c >= 1 - 1e-9 && c <= 12 + 1e-9 && rr >= 1 - 1e-9 && rr <= 9 + 1e-9) << c << ", " << rr;
    }
  }
  const std::set<double> all{-0.5, 1.0, 2.0};
  EXPECT_EQ(levels_by_day, (std::map<double, std::set<double>>{{30.0, all}, {90.0, all}}));
}

TEST(StudyMaps, BeyondABoundaryTheGridsHoldNoDataAndTheContoursStayOnTheAquifersSide) {
  // The creek example: a strip between a stream and a barrier on a slant.
  ScratchFolder folder;
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/examples/creek/creek.toml");
  std::stringstream text;
  text << in.rdbuf();
  folder.write("creek.toml", text.str());
  const RunResult r = run_program(folder, "", {"--study", "creek.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  const scenario::Boundary creek{scenario::BoundaryKind::stream, "creek", 2150000.0, 722500.0, 2154000.0, 722700.0};
  const scenario::Boundary wall{scenario::BoundaryKind::barrier, "wall", 2150000.0, 720300.0, 2154000.0, 720500.0};
  const scenario::Line lines[] = {*scenario::line_toward(creek, 2151000.0, 721500.0),
                               *scenario::line_toward(wall, 2151000.0, 721500.0)};
  auto inside = [&](double x, double y) { return std::min(lines[0].distance(x, y), lines[1].distance(x, y)); };

  // Rows top first: node (c, r) at (2150000 + (c - 1/2) 100, 720000 + (r - 1/2) 100).
  const std::vector<float> cells = esri_values(folder.read("out/drawdown_365d.asc"));
  ASSERT_EQ(cells.size(), 40u * 30u);
  int blank = 0;
  for (int row = 30; row >= 1; --row)
    for (int c = 1; c <= 40; ++c) {
      const float v = cells[static_cast<std::size_t>((30 - row) * 40 + (c - 1))];
      const bool beyond = inside(2150000.0 + (c - 0.5) * 100, 720000.0 + (row - 0.5) * 100) < 0;
      EXPECT_EQ(v == -9999.0f, beyond) << c << ", " << row << ": " << v;
      if (!beyond) {
        EXPECT_GT(v, 0.0f) << c << ", " << row;
      }
      blank += beyond ? 1 : 0;
    }
  EXPECT_GT(blank, 40) << "both lines cross the grid";

  const Dataset d = open(folder.path() + "/out/contours.gpkg", GDAL_OF_VECTOR);
  ASSERT_TRUE(d);
  int vertices = 0;
  for (auto& feature : *d->GetLayer(0)) {
    const auto* line = feature->GetGeometryRef()->toLineString();
    for (int k = 0; k < line->getNumPoints(); ++k, ++vertices)
      EXPECT_GE(inside(line->getX(k), line->getY(k)), 0.0) << line->getX(k) << ", " << line->getY(k);
  }
  EXPECT_GT(vertices, 100);
}

TEST(StudyMaps, APicturePerTimeAndAFailedOutputLeavesTheOthersWhole) {
  ScratchFolder folder;
  folder.write("study.toml",
               study_with("grid = \"drawdown.tif\"\nplot = [\"map.svg\", \"memo.pdf\"]\ncontours = \"c.geojson\"\n"
                          "series = \"series.csv\"\n"));
  std::filesystem::create_directories(folder.path() + "/out/c.geojson");  // a folder in its place
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err.find("leaky-drawdown: cannot write the contours file 'out/c.geojson': "), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  for (const char* day : {"30", "90"}) {
    const std::string svg = folder.read(std::string("out/map_") + day + "d.svg");
    EXPECT_NE(svg.find("</svg>"), std::string::npos) << day << ": a whole picture";
    const std::string pdf = folder.read(std::string("out/memo_") + day + "d.pdf");
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-") << day;
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos) << day << ": a whole document";
  }
  EXPECT_FALSE(folder.read("out/drawdown.tif").empty());
  EXPECT_EQ(folder.read("out/series.csv").substr(0, 26), "name,x,y,days,drawdown_ft\n");
  EXPECT_NE(r.out.find("day  largest drawdown (ft)"), std::string::npos) << "the summary still comes";
}

// A study of one time writes the outputs of all times too: its picture, its
// contour layer and its GeoTIFF, named as given.
TEST(StudyMaps, AStudyOfOneTimeWritesItsMaps) {
  ScratchFolder folder;
  std::string text = study_with("grid = \"drawdown.tif\"\nplot = \"map.svg\"\ncontours = \"c.geojson\"\n");
  folder.write("study.toml", edited(text, "times = [30.0, 90.0]", "times = [30.0]"));
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitSuccess) << r.err;
  EXPECT_NE(folder.read("out/map.svg").find("</svg>"), std::string::npos);
  EXPECT_NE(folder.read("out/c.geojson").find("FeatureCollection"), std::string::npos);
  EXPECT_FALSE(folder.read("out/drawdown.tif").empty());
}

}  // namespace

namespace {

// The wells and receptors reach the GIS as point layers with the study's CRS:
// each well's rate at each time, each receptor's limit and its drawdown at
// each time, the same the series gives.
TEST(StudyMaps, TheWellsAndReceptorsArePointLayers) {
  ScratchFolder folder;
  std::string text = study_with("points = \"points.gpkg\"\nseries = \"series.csv\"\n");
  text = edited(text, "rate = 250000.0", "schedule = [[0.0, 250000.0], [60.0, 100000.0]]");
  text = edited(text, "y = 720150.0\n\n[output]", "y = 720150.0\nlimit = 5.0\n\n[output]");
  folder.write("study.toml", text);
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Dataset d = open(folder.path() + "/out/points.gpkg", GDAL_OF_VECTOR);
  ASSERT_TRUE(d);
  ASSERT_EQ(d->GetLayerCount(), 2);
  OGRLayer* wells = d->GetLayerByName("wells");
  ASSERT_NE(wells, nullptr);
  EXPECT_TRUE(is_crs(wells->GetSpatialRef(), "EPSG:2264"));
  ASSERT_EQ(wells->GetFeatureCount(), 2);
  wells->ResetReading();
  std::unique_ptr<OGRFeature> pw(wells->GetNextFeature());
  EXPECT_STREQ(pw->GetFieldAsString("name"), "PW-1");
  EXPECT_EQ(pw->GetFieldAsDouble("rate_30d"), 250000.0);
  EXPECT_EQ(pw->GetFieldAsDouble("rate_90d"), 100000.0) << "the rate from day 60 on";
  const OGRPoint* at = pw->GetGeometryRef()->toPoint();
  EXPECT_EQ(at->getX(), 2150150.0);
  EXPECT_EQ(at->getY(), 720150.0);
  std::unique_ptr<OGRFeature> iw(wells->GetNextFeature());
  EXPECT_EQ(iw->GetFieldAsDouble("rate_30d"), -300000.0);

  OGRLayer* receptors = d->GetLayerByName("receptors");
  ASSERT_NE(receptors, nullptr);
  receptors->ResetReading();
  std::unique_ptr<OGRFeature> r(receptors->GetNextFeature());
  EXPECT_STREQ(r->GetFieldAsString("name"), "R-1");
  EXPECT_EQ(r->GetFieldAsDouble("limit_ft"), 5.0);
  // The series row of day 90 holds the same single.
  const std::string series = folder.read("out/series.csv");
  const std::size_t row = series.find(",90,");
  ASSERT_NE(row, std::string::npos) << series;
  const double at_90 = std::stod(series.substr(row + 4));
  EXPECT_EQ(static_cast<float>(r->GetFieldAsDouble("dd_90d")), static_cast<float>(at_90));
}

// In the point layers a receptor without a limit has none (a NULL field, not
// a limit of 0 ft), and a well's rate at a listed day is that of the steps
// begun before it: a step that starts on that day acts only after it, as the
// drawdown's terms do.
TEST(StudyMaps, APointLayerShowsNoLimitAsNullAndAStepFromItsDayOn) {
  ScratchFolder folder;
  std::string text = study_with("points = \"points.gpkg\"\n");
  text = edited(text, "[30.0, 90.0]", "[10.0, 30.0, 90.0]");
  text = edited(text, "rate = 250000.0", "schedule = [[10.0, 250000.0], [30.0, 100000.0], [60.0, 0.0], [90.0, 5e5]]");
  text = edited(text, "y = 720150.0\n\n[output]",
                "y = 720150.0\n\n[[receptor]]\nname = \"R-2\"\nx = 2150350.0\ny = 720250.0\nlimit = 0.01\n\n"
                "[[receptor]]\nname = \"R-3\"\nx = 2150450.0\ny = 720250.0\nlimit = 2.5\n\n[output]");
  folder.write("study.toml", text);
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Dataset d = open(folder.path() + "/out/points.gpkg", GDAL_OF_VECTOR);
  ASSERT_TRUE(d);
  OGRLayer* wells = d->GetLayerByName("wells");
  ASSERT_NE(wells, nullptr);
  wells->ResetReading();
  std::unique_ptr<OGRFeature> pw(wells->GetNextFeature());
  ASSERT_NE(pw, nullptr);
  const struct {
    const char* field;
    double rate;
  } kRates[] = {{"rate_10d", 0.0}, {"rate_30d", 250000.0}, {"rate_90d", 0.0}};
  for (const auto& r : kRates) EXPECT_EQ(pw->GetFieldAsDouble(r.field), r.rate) << r.field;

  OGRLayer* receptors = d->GetLayerByName("receptors");
  ASSERT_NE(receptors, nullptr);
  const struct {
    const char* name;
    std::optional<double> limit;
  } kLimits[] = {{"R-1", std::nullopt}, {"R-2", 0.01}, {"R-3", 2.5}};
  receptors->ResetReading();
  for (const auto& l : kLimits) {
    std::unique_ptr<OGRFeature> r(receptors->GetNextFeature());
    ASSERT_NE(r, nullptr) << l.name;
    EXPECT_STREQ(r->GetFieldAsString("name"), l.name);
    const int field = r->GetFieldIndex("limit_ft");
    ASSERT_GE(field, 0);
    EXPECT_EQ(r->IsFieldSetAndNotNull(field), l.limit.has_value()) << l.name;
    if (l.limit) {
      EXPECT_EQ(r->GetFieldAsDouble(field), *l.limit) << l.name;
    }
  }
}

}  // namespace
