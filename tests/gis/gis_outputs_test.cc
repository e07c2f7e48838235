// The GIS outputs written through GDAL, read back with GDAL: the CRS, the
// GeoTIFF (size, georeference, CRS, NoData, bands per time, every value bit for
// bit), the contour layer (levels, attributes, CRS, and every vertex where the
// grid's linear interpolation puts its level, on a grid with a known cone), and
// files that appear whole or not at all.
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <bit>
#include <cmath>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <sstream>
#include <vector>

#include "files/output_file.h"
#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/geotiff.h"
#include "gis/crs.h"
#include "gis/grid_file.h"

namespace {

namespace fs = std::filesystem;

struct Grid {
  std::unique_ptr<engine::DrawdownGrid> dd = std::make_unique<engine::DrawdownGrid>();
  engine::EvaluatedGrid e;
  Grid(std::int32_t nx, std::int32_t ny, float time) {
    e.NX = nx, e.NY = ny, e.SPACING = 100, e.TIME = time;
    e.from_run_origin(2150000, 720000);
    e.DD = dd.get();
  }
  float& at(std::int32_t c, std::int32_t r) { return (*dd)(c, r); }
};

// A cone of depression: `depth` feet at (cx, cy) in node units, falling off
// by `slope` feet per node to a floor of `floor` feet.
void cone(Grid& g, double cx, double cy, double depth, double slope, double floor = -1e30) {
  for (std::int32_t r = 1; r <= g.e.NY; ++r)
    for (std::int32_t c = 1; c <= g.e.NX; ++c)
      g.at(c, r) = static_cast<float>(std::max(floor, depth - slope * std::hypot(c - cx, r - cy)));
}

std::string read_file(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class GisFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    GDALAllRegister();  // this test reads with GDAL itself
    folder_ = fs::temp_directory_path() /
              ("gis-outputs-test-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  // The names in the folder, sorted.
  std::set<std::string> names() const {
    std::set<std::string> out;
    for (const auto& entry : fs::directory_iterator(folder_)) out.insert(entry.path().filename().string());
    return out;
  }
  fs::path folder_;
};

gis::Crs crs_of(const char* text) {
  gis::Crs crs;
  EXPECT_EQ(gis::read_crs(text, crs), "") << text;
  return crs;
}

// ---------------------------------------------------------------- the CRS

TEST(GisCrs, ProjectedCrsInFeetAreTaken) {
  for (const char* text : {"EPSG:2264", "epsg:2264", "EPSG:6543", "EPSG:3361",
                           "+proj=tmerc +lat_0=0 +lon_0=-81 +k=0.9996 +x_0=500000 +y_0=0 +datum=NAD83 +units=us-ft"}) {
    gis::Crs crs;
    EXPECT_EQ(gis::read_crs(text, crs), "") << text;
    EXPECT_EQ(crs.text, text);
    EXPECT_NE(crs.wkt.find("PROJCRS"), std::string::npos) << crs.wkt;
  }
  // WKT is taken too: the WKT of one CRS gives the same CRS.
  const gis::Crs nc = crs_of("EPSG:2264");
  gis::Crs again;
  ASSERT_EQ(gis::read_crs(nc.wkt, again), "");
  EXPECT_EQ(again.wkt, nc.wkt);
}

// ---------------------------------------------------------------- GeoTIFF

TEST(GisFormats, DaysAndBandDescriptions) {
  EXPECT_EQ(gis::band_description(30.0f), "30 d");
  EXPECT_EQ(gis::band_description(0.5f), "0.5 d");
  EXPECT_EQ(gis::band_description(0.1f), "0.1 d") << "the input's number, not the single's binary value";
  EXPECT_EQ(gis::days_of(0.1f), 0.1);
  EXPECT_EQ(gis::days_of(365.25f), 365.25);
}

TEST_F(GisFiles, GeoTiffHoldsEveryTimeBitForBit) {
  Grid early(7, 5, 0.5f), late(7, 5, 30.0f);
  std::mt19937 random(15);
  std::uniform_real_distribution<float> drawdown(-20.0f, 150.0f);
  for (std::int32_t r = 1; r <= 5; ++r)
    for (std::int32_t c = 1; c <= 7; ++c) early.at(c, r) = drawdown(random), late.at(c, r) = drawdown(random);
  late.at(2, 4) = std::numeric_limits<float>::quiet_NaN();
  late.at(7, 1) = std::numeric_limits<float>::infinity();
  const engine::EvaluatedGrid times[] = {early.e, late.e};
  const gis::Crs crs = crs_of("EPSG:2264");
  ASSERT_EQ(gis::write_geotiff(path("dd.tif"), times, &crs), "");
  EXPECT_EQ(names(), std::set<std::string>{"dd.tif"}) << "no temporary file or .aux.xml is left";

  GDALDatasetUniquePtr d(GDALDataset::Open(path("dd.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  ASSERT_TRUE(d);
  EXPECT_STREQ(d->GetDriver()->GetDescription(), "GTiff");
  EXPECT_EQ(d->GetRasterXSize(), 7);
  EXPECT_EQ(d->GetRasterYSize(), 5);
  ASSERT_EQ(d->GetRasterCount(), 2);
  double t[6];
  ASSERT_EQ(d->GetGeoTransform(t), CE_None);
  // Node (c, r) at XLL + c * SPACING is the centre of its cell.
  EXPECT_EQ(std::vector<double>(t, t + 6), (std::vector<double>{2150050, 100, 0, 720550, 0, -100}));
  OGRSpatialReference nc;
  nc.importFromEPSG(2264);
  ASSERT_NE(d->GetSpatialRef(), nullptr);
  EXPECT_TRUE(d->GetSpatialRef()->IsSame(&nc));
  EXPECT_STREQ(d->GetMetadataItem("COMPRESSION", "IMAGE_STRUCTURE"), "DEFLATE");

  const Grid* grids[] = {&early, &late};
  for (int b = 1; b <= 2; ++b) {
    GDALRasterBand* band = d->GetRasterBand(b);
    EXPECT_EQ(band->GetRasterDataType(), GDT_Float32);
    EXPECT_STREQ(band->GetDescription(), b == 1 ? "0.5 d" : "30 d");
    int has = 0;
    EXPECT_EQ(band->GetNoDataValue(&has), -9999.0);
    EXPECT_TRUE(has);
    int bx = 0, by = 0;
    band->GetBlockSize(&bx, &by);
    EXPECT_TRUE(bx == by && bx % 16 == 0 && bx != 7) << "tiled: " << bx << " x " << by;
    std::vector<float> cells(35);
    ASSERT_EQ(band->RasterIO(GF_Read, 0, 0, 7, 5, cells.data(), 7, 5, GDT_Float32, 0, 0, nullptr), CE_None);
    for (std::int32_t r = 1; r <= 5; ++r)
      for (std::int32_t c = 1; c <= 7; ++c) {
        const float v = (*grids[b - 1]->dd)(c, r);
        const float read = cells[static_cast<std::size_t>(5 - r) * 7 + static_cast<std::size_t>(c - 1)];
        EXPECT_EQ(std::bit_cast<std::uint32_t>(read), std::bit_cast<std::uint32_t>(std::isfinite(v) ? v : -9999.0f))
            << "band " << b << " node (" << c << ", " << r << ")";
      }
  }
}

TEST_F(GisFiles, GeoTiffWithoutCrsAndRefusals) {
  Grid g(3, 2, 30.0f);
  ASSERT_EQ(gis::write_grid(path("dd.tif"), gis::GridFormat::kGeoTiff, std::span(&g.e, 1), nullptr), "");
  GDALDatasetUniquePtr d(GDALDataset::Open(path("dd.tif").c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
  ASSERT_TRUE(d);
  EXPECT_EQ(d->GetSpatialRef(), nullptr);

  Grid empty(0, 2, 30.0f), other(3, 3, 60.0f);
  EXPECT_EQ(gis::write_geotiff(path("empty.tif"), std::span(&empty.e, 1), nullptr),
            "the grid has no nodes (NX = 0, NY = 2)");
  const engine::EvaluatedGrid mixed[] = {g.e, other.e};
  EXPECT_EQ(gis::write_geotiff(path("mixed.tif"), mixed, nullptr), "the times' grids differ in place or size");
  EXPECT_EQ(gis::write_grid(path("two.asc"), gis::GridFormat::kEsriAscii, std::span(mixed, 1), nullptr), "");
  const engine::EvaluatedGrid two[] = {g.e, g.e};
  EXPECT_NE(gis::write_grid(path("both.asc"), gis::GridFormat::kEsriAscii, two, nullptr).find("one time"),
            std::string::npos);
  EXPECT_EQ(names(), (std::set<std::string>{"dd.tif", "two.asc"}));
}

// A failure leaves no fragment and the older file as it was.
TEST_F(GisFiles, FailuresLeaveOlderFilesAndNoFragments) {
  Grid g(3, 2, 30.0f);
  const std::span<const engine::EvaluatedGrid> one(&g.e, 1);
  const double levels[] = {0.5};
  EXPECT_EQ(gis::write_geotiff(path("missing/dd.tif"), one, nullptr), "No such file or directory");
  EXPECT_EQ(gis::write_contour_layer(path("missing/c.gpkg"), gis::VectorFormat::kGeoPackage, one, levels, nullptr),
            "No such file or directory");
  // A name that is a folder: everything is written, and the last step fails.
  fs::create_directory(folder_ / "dd.tif");
  fs::create_directory(folder_ / "c.gpkg");
  EXPECT_EQ(gis::write_geotiff(path("dd.tif"), one, nullptr), "Is a directory");
  EXPECT_EQ(gis::write_contour_layer(path("c.gpkg"), gis::VectorFormat::kGeoPackage, one, levels, nullptr),
            "Is a directory");
  EXPECT_EQ(names(), (std::set<std::string>{"c.gpkg", "dd.tif"}));
  EXPECT_TRUE(fs::is_directory(folder_ / "dd.tif"));
}

// Every GIS format on a full disk: a file size limit makes the disk "full"
// after 16 KiB, and each output of a 300 x 300 grid of random values needs far
// more. GDAL's GeoJSON driver does not report its failed writes: the failure
// must be found all the same. Each runs in a child process, whose limit goes
// with it.
TEST_F(GisFiles, AFullDiskLeavesTheOlderFileForEveryFormat) {
  const double levels[] = {25.0, 50.0, 75.0};
  const struct {
    const char* name;
    std::function<std::string(const std::string&, std::span<const engine::EvaluatedGrid>)> write;
  } kFormats[] = {
      {"dd.tif", [](const std::string& p, auto times) { return gis::write_geotiff(p, times, nullptr); }},
      {"c.geojson",
       [&](const std::string& p, auto times) {
         return gis::write_contour_layer(p, gis::VectorFormat::kGeoJson, times, levels, nullptr);
       }},
      {"c.gpkg",
       [&](const std::string& p, auto times) {
         return gis::write_contour_layer(p, gis::VectorFormat::kGeoPackage, times, levels, nullptr);
       }},
      {"c.shp",
       [&](const std::string& p, auto times) {
         return gis::write_contour_layer(p, gis::VectorFormat::kShapefile, times, levels, nullptr);
       }},
  };
  for (const auto& format : kFormats) {
    SCOPED_TRACE(format.name);
    const std::string old = std::string("an older ") + format.name;
    std::ofstream(folder_ / format.name) << old;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{16384, 16384};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      Grid g(300, 300, 30.0f);
      std::mt19937 random(3);
      std::uniform_real_distribution<float> drawdown(0.0f, 100.0f);
      for (std::int32_t r = 1; r <= 300; ++r)
        for (std::int32_t c = 1; c <= 300; ++c) g.at(c, r) = drawdown(random);
      const std::string why = format.write(path(format.name), std::span(&g.e, 1));
      // Status 0: refused with a reason that names no temporary file.
      ::_exit(why.empty() ? 1 : why.find(".leaky-tmp") != std::string::npos ? 2 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: written despite the limit; 2: the reason names the temporary file";
    EXPECT_EQ(read_file(folder_ / format.name), old);
    fs::remove(folder_ / format.name);
    EXPECT_EQ(names(), std::set<std::string>{}) << "no fragment, no sidecar";
  }
}

// A name given on the command line is the user's: a link's target is
// replaced and the link kept; a FIFO is written directly, never replaced.
TEST_F(GisFiles, ALinksTargetIsReplacedAndAFifoIsWrittenDirectly) {
  Grid g(3, 2, 30.0f);
  const std::span<const engine::EvaluatedGrid> one(&g.e, 1);
  std::ofstream(folder_ / "target.tif") << "old";
  fs::create_symlink("target.tif", folder_ / "link.tif");
  EXPECT_EQ(gis::write_geotiff(path("link.tif"), one, nullptr), "");
  EXPECT_TRUE(fs::is_symlink(folder_ / "link.tif"));
  EXPECT_EQ(read_file(folder_ / "target.tif").substr(0, 2), "II") << "a little-endian TIFF";

  ASSERT_EQ(::mkfifo(path("pipe.geojson").c_str(), 0600), 0);
  const int reader = ::open(path("pipe.geojson").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  const double levels[] = {0.5};
  g.at(2, 1) = 1.0f;
  EXPECT_EQ(gis::write_contour_layer(path("pipe.geojson"), gis::VectorFormat::kGeoJson, one, levels, nullptr), "");
  std::string bytes(1 << 16, '\0');
  const ssize_t n = ::read(reader, bytes.data(), bytes.size());
  ::close(reader);
  ASSERT_GT(n, 0);
  bytes.resize(static_cast<std::size_t>(n));
  EXPECT_NE(bytes.find("\"FeatureCollection\""), std::string::npos) << bytes;
  EXPECT_TRUE(fs::is_fifo(folder_ / "pipe.geojson"));
  EXPECT_EQ(names(), (std::set<std::string>{"link.tif", "pipe.geojson", "target.tif"}));
}

// ---------------------------------------------------------------- contour layer

struct Feature {
  double level = 0, days = 0;
  std::vector<std::pair<double, double>> points;  // map coordinates, feet
};

struct Layer {
  std::string name;
  std::vector<std::string> fields;
  std::unique_ptr<OGRSpatialReference> crs;
  std::vector<Feature> features;
};

Layer read_layer(const std::string& file) {
  Layer out;
  GDALDatasetUniquePtr d(GDALDataset::Open(file.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY));
  EXPECT_TRUE(d) << file;
  if (!d) return out;
  EXPECT_EQ(d->GetLayerCount(), 1);
  OGRLayer* layer = d->GetLayer(0);
  out.name = layer->GetName();
  EXPECT_EQ(wkbFlatten(layer->GetGeomType()), wkbLineString);
  OGRFeatureDefn* defn = layer->GetLayerDefn();
  for (int k = 0; k < defn->GetFieldCount(); ++k) {
    out.fields.push_back(defn->GetFieldDefn(k)->GetNameRef());
    EXPECT_EQ(defn->GetFieldDefn(k)->GetType(), OFTReal) << out.fields.back();
  }
  if (layer->GetSpatialRef() != nullptr) out.crs = std::make_unique<OGRSpatialReference>(*layer->GetSpatialRef());
  for (auto& f : *layer) {
    Feature feature{f->GetFieldAsDouble(0), f->GetFieldAsDouble(1), {}};
    const OGRGeometry* g = f->GetGeometryRef();
    EXPECT_TRUE(g != nullptr && wkbFlatten(g->getGeometryType()) == wkbLineString);
    if (g == nullptr || wkbFlatten(g->getGeometryType()) != wkbLineString) continue;
    const OGRLineString* line = g->toLineString();
    for (int k = 0; k < line->getNumPoints(); ++k) feature.points.emplace_back(line->getX(k), line->getY(k));
    out.features.push_back(std::move(feature));
  }
  return out;
}

// Checks that the map point (x, y) lies on a cell edge of `g` where the
// linear interpolation between the edge's two nodes gives `level`, to within
// a millionth of a node; says where it does not.
std::string off_the_level(const Grid& g, double x, double y, double level) {
  const double c = (x - g.e.xllcorner) / g.e.SPACING + 0.5, r = (y - g.e.yllcorner) / g.e.SPACING + 0.5;
  const double tol = 1e-9;
  const bool on_column = std::fabs(c - std::round(c)) < tol, on_row = std::fabs(r - std::round(r)) < tol;
  std::ostringstream where;
  where << "vertex at node units (" << c << ", " << r << ") level " << level;
  if (c < 1 - tol || c > g.e.NX + tol || r < 1 - tol || r > g.e.NY + tol) return where.str() + ": outside the nodes";
  // Along the edge: the nodes at its ends and where between them the point lies.
  double a = 0, b = 0, t = 0;
  if (on_row) {
    const auto row = static_cast<std::int32_t>(std::round(r));
    const auto i = std::min(static_cast<std::int32_t>(std::floor(c + tol)), g.e.NX - 1);
    a = (*g.dd)(std::max(i, 1), row), b = (*g.dd)(std::max(i, 1) + 1, row), t = c - std::max(i, 1);
  } else if (on_column) {
    const auto col = static_cast<std::int32_t>(std::round(c));
    const auto j = std::min(static_cast<std::int32_t>(std::floor(r + tol)), g.e.NY - 1);
    a = (*g.dd)(col, std::max(j, 1)), b = (*g.dd)(col, std::max(j, 1) + 1), t = r - std::max(j, 1);
  } else {
    return where.str() + ": inside a cell, not on an edge";
  }
  if (!(std::min(a, b) <= level && level <= std::max(a, b))) return where.str() + ": the level is not between the edge's nodes";
  const double position = (level - a) / (b - a);  // where the interpolation gives the level
  if (std::fabs(position - t) > 1e-6) {
    where << ": the interpolation puts the level at " << position << " along the edge, the vertex lies at " << t;
    return where.str();
  }
  return "";
}

TEST_F(GisFiles, ContourLayerOnAKnownCone) {
  // Two times of one grid: a cone 20 ft deep at node (14.3, 12.7) falling off
  // 1.5 ft a node to half a foot, and an earlier, shallower one; and a mound
  // of injection (negative drawdown) at the corner (30, 24) of the later one.
  Grid late(31, 25, 30.0f), early(31, 25, 0.1f);
  cone(late, 14.3, 12.7, 20.0, 1.5, 0.5);
  cone(early, 14.3, 12.7, 8.0, 0.75, 0.5);
  for (std::int32_t r = 1; r <= 25; ++r)
    for (std::int32_t c = 1; c <= 31; ++c)
      late.at(c, r) = std::min(late.at(c, r), static_cast<float>(-6.0 + 3.0 * std::hypot(c - 30.0, r - 24.0)));
  const engine::EvaluatedGrid times[] = {late.e, early.e};
  const std::vector<double> levels = {-2.5, 0.1, 1.0, 5.0, 10.0};
  const gis::Crs crs = crs_of("EPSG:2264");
  OGRSpatialReference nc;
  nc.importFromEPSG(2264);

  for (const char* name : {"cone.gpkg", "cone.geojson", "cone.shp"}) {
    SCOPED_TRACE(name);
    const gis::VectorFormat format = *gis::vector_format_of(name);
    ASSERT_EQ(gis::write_contour_layer(path(name), format, times, levels, &crs), "");
    const Layer layer = read_layer(path(name));
    EXPECT_EQ(layer.name, "cone");
    EXPECT_EQ(layer.fields, (std::vector<std::string>{gis::level_field(format), "days"}));
    ASSERT_TRUE(layer.crs);
    EXPECT_TRUE(layer.crs->IsSame(&nc));

    std::map<std::pair<double, double>, int> pieces;  // (days, level) -> features
    for (const Feature& f : layer.features) {
      ++pieces[{f.days, f.level}];
      const Grid& g = f.days == 30.0 ? late : early;
      EXPECT_TRUE(f.days == 30.0 || f.days == 0.1) << f.days;
      ASSERT_GE(f.points.size(), 2u);
      for (const auto& [x, y] : f.points) {
        const std::string off = off_the_level(g, x, y, f.level);
        EXPECT_EQ(off, "") << "days " << f.days;
        if (!off.empty()) return;
      }
    }
    // The levels exactly as requested (a shapefile keeps 15 decimals).
    std::set<double> found;
    for (const auto& [key, n] : pieces) found.insert(key.second);
    EXPECT_EQ(found, std::set<double>(levels.begin(), levels.end()));
    // Around the cone each level is one closed ring (on the early cone, the
    // levels it reaches): the rings at 5 and 10 ft lie inside the grid. The
    // mound's rings are cut by the grid's edges.
    EXPECT_EQ((pieces[{30.0, 10.0}]), 1);
    EXPECT_EQ((pieces[{30.0, 5.0}]), 1);
    EXPECT_EQ((pieces[{0.1, 5.0}]), 1);
    EXPECT_EQ((pieces[{0.1, 10.0}]), 0) << "the early cone is 8 ft deep";
    EXPECT_EQ((pieces[{0.1, -2.5}]), 0);
    // The mound's -2.5 ft ring leaves the grid through its right and top
    // edges; the corner node (31, 25) lies above the level, so a second
    // piece cuts it off.
    EXPECT_EQ((pieces[{30.0, -2.5}]), 2);
    EXPECT_EQ((pieces[{30.0, 0.1}]), 1);
    for (const Feature& f : layer.features)
      if (f.level == 10.0) {
        EXPECT_EQ(f.points.front(), f.points.back()) << "closed";
        // The ring lies within its radius (the interpolation cuts corners).
        for (const auto& [x, y] : f.points) {
          const double d = std::hypot((x - late.e.xllcorner) / 100 + 0.5 - 14.3, (y - late.e.yllcorner) / 100 + 0.5 - 12.7);
          EXPECT_LE(d, 10.0 / 1.5 + 1e-6);
          EXPECT_GE(d, 10.0 / 1.5 - 0.25);
        }
      }
  }
  EXPECT_EQ(names(), (std::set<std::string>{"cone.gpkg", "cone.geojson", "cone.shp", "cone.shx", "cone.dbf",
                                            "cone.prj"}));
}

// ---------------------------------------------------------------- levels

TEST(ContourLevels, RequestedOrRound) {
  Grid g(5, 4, 30.0f);
  // From 13 ft at (3, 2) down to 13 - 3.5 * sqrt(8) = 3.10 ft at the far corners.
  cone(g, 3, 2, 13.0, 3.5);
  const std::span<const engine::EvaluatedGrid> one(&g.e, 1);
  const double requested[] = {10.0, -2.0, 5.0};
  EXPECT_EQ(gis::levels_for(one, requested), (std::vector<double>{-2.0, 5.0, 10.0}));
  // About a dozen round levels over 3.10 to 13 ft: a foot apart (half a foot
  // would give 19), strictly inside, so not the peak's 13.
  EXPECT_EQ(gis::levels_for(one, {}), (std::vector<double>{4, 5, 6, 7, 8, 9, 10, 11, 12}));
  // Several times share one set of levels, from all their values: 3.10 to
  // 40 ft gives 5 ft steps (2.5 would give 15 levels).
  Grid deeper(5, 4, 60.0f);
  cone(deeper, 3, 2, 40.0, 3.5);
  const engine::EvaluatedGrid both[] = {g.e, deeper.e};
  EXPECT_EQ(gis::levels_for(both, {}), (std::vector<double>{5, 10, 15, 20, 25, 30, 35}));
}

}  // namespace
