// The drawdown picture: its colour scale, its layout, and pictures drawn and
// read back.
#include "maps/output_file.h"
#include "maps/plot.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "maps/colour_scale.h"

namespace {

namespace fs = std::filesystem;
using maps::PlotFormat;

TEST(PlotFormat, ChosenByTheEnding) {
  struct Case {
    const char* path;
    std::optional<PlotFormat> format;
  };
  const Case cases[] = {
      {"map.png", PlotFormat::kPng}, {"a/b/MAP.PNG", PlotFormat::kPng}, {"map.svg", PlotFormat::kSvg},
      {"map.Pdf", PlotFormat::kPdf}, {"map.jpg", std::nullopt},         {"map", std::nullopt},
      {".png", std::nullopt},        {"png", std::nullopt},             {"map.png.txt", std::nullopt},
  };
  for (const Case& k : cases) EXPECT_EQ(maps::plot_format_of(k.path), k.format) << k.path;
}

TEST(ColourScale, FollowsViridisFromDarkToLight) {
  // The scale's published colours at tenths, from #440154 to #fde725.
  const std::uint32_t published[] = {0x440154, 0x482475, 0x414487, 0x355f8d, 0x2a788e, 0x21918c,
                                     0x22a884, 0x44bf70, 0x7ad151, 0xbddf26, 0xfde725};
  for (int k = 0; k <= 10; ++k) {
    const maps::Rgb c = maps::viridis(k / 10.0);
    EXPECT_NEAR(c.r * 255, (published[k] >> 16) & 0xff, 5.0) << k;
    EXPECT_NEAR(c.g * 255, (published[k] >> 8) & 0xff, 5.0) << k;
    EXPECT_NEAR(c.b * 255, published[k] & 0xff, 5.0) << k;
  }
  // Lightness rises all the way, so the scale reads in greyscale too.
  double last = -1;
  for (int k = 0; k <= 100; ++k) {
    const maps::Rgb c = maps::viridis(k / 100.0);
    const double luma = 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
    EXPECT_GT(luma, last) << k;
    last = luma;
  }
  const maps::Rgb below = maps::viridis(-3), above = maps::viridis(7), nan = maps::viridis(NAN);
  EXPECT_EQ(below.r, maps::viridis(0).r);
  EXPECT_EQ(above.g, maps::viridis(1).g);
  EXPECT_EQ(nan.b, maps::viridis(0).b);
}

struct Scene {
  std::unique_ptr<engine::DrawdownGrid> dd = std::make_unique<engine::DrawdownGrid>();
  std::vector<engine::Well> wells;
  engine::EvaluatedGrid e;
  Scene(std::int32_t nx, std::int32_t ny, std::int32_t spacing) {
    e.NX = nx, e.NY = ny, e.XLL = 2150000, e.YLL = 720000, e.SPACING = spacing;
    e.T = 50000, e.LEAK = 0.001f, e.S = 0.0002f, e.TIME = 30;
    e.DD = dd.get();
  }
  void set_wells(std::vector<engine::Well> w) {
    wells = std::move(w);
    e.wells = wells;
  }
};

TEST(PlotLayout, SameScaleBothWaysAndEveryWellShown) {
  Scene s(40, 30, 100);
  maps::PlotLayout l = maps::plot_layout(s.e);
  EXPECT_DOUBLE_EQ(l.x0, 2150100);
  EXPECT_DOUBLE_EQ(l.x1, 2154000);
  EXPECT_DOUBLE_EQ(l.y0, 720100);
  EXPECT_DOUBLE_EQ(l.y1, 723000);
  EXPECT_NEAR(l.map_width / (l.x1 - l.x0), l.map_height / (l.y1 - l.y0), 1e-9);
  EXPECT_GT(l.bar_left, l.map_left + l.map_width);
  EXPECT_LE(l.bar_left + l.bar_width, l.width);

  // A well outside the nodes widens the map to show it.
  s.set_wells({{10.5f, 12.0f, 250000}, {-20.0f, 45.0f, -90000}});
  l = maps::plot_layout(s.e);
  EXPECT_LT(l.x0, 2150000 - 2000);
  EXPECT_GT(l.y1, 720000 + 4500);
  EXPECT_DOUBLE_EQ(l.x1, 2154000);
  EXPECT_NEAR(l.map_width / (l.x1 - l.x0), l.map_height / (l.y1 - l.y0), 1e-9);

  // A single node is shown as one cell around it, at the same scale.
  Scene one(1, 1, 50);
  l = maps::plot_layout(one.e);
  EXPECT_DOUBLE_EQ(l.x1 - l.x0, 50);
  EXPECT_DOUBLE_EQ(l.y1 - l.y0, 50);

  // A thin grid keeps its scale and gets room around it.
  Scene thin(300, 1, 100);
  l = maps::plot_layout(thin.e);
  EXPECT_GE(l.map_height, 80);
  EXPECT_NEAR(l.map_width / (l.x1 - l.x0), l.map_height / (l.y1 - l.y0), 1e-9);
}

TEST(PlotLayout, ScaleSpansTheDrawdownsWithRoundContourLevels) {
  Scene s(10, 5, 100);
  for (int r = 1; r <= 5; ++r)
    for (int c = 1; c <= 10; ++c) (*s.dd)(c, r) = -2.0f + c * 1.5f;  // -0.5 .. 13
  const maps::PlotLayout l = maps::plot_layout(s.e);
  EXPECT_DOUBLE_EQ(l.lo, -0.5);
  EXPECT_DOUBLE_EQ(l.hi, 13.0);
  EXPECT_DOUBLE_EQ(l.interval, 2.0);
  ASSERT_FALSE(l.levels.empty());
  EXPECT_DOUBLE_EQ(l.levels.front(), 0.0);
  EXPECT_DOUBLE_EQ(l.levels.back(), 12.0);

  // A flat field still has a scale with two ends.
  Scene flat(4, 4, 100);
  const maps::PlotLayout f = maps::plot_layout(flat.e);
  EXPECT_LT(f.lo, 0.0);
  EXPECT_GT(f.hi, 0.0);
}

class PlotFile : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("plot-test-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  static std::string head(const std::string& path, std::size_t n) {
    std::ifstream in(path, std::ios::binary);
    std::string s(n, '\0');
    in.read(s.data(), static_cast<std::streamsize>(n));
    s.resize(static_cast<std::size_t>(in.gcount()));
    return s;
  }
  fs::path folder_;
};

// The picture's colour at (x, y), as 0 .. 255 channels.
struct Pixel {
  int r, g, b;
};
Pixel pixel_at(cairo_surface_t* png, double x, double y) {
  cairo_surface_flush(png);
  const unsigned char* data = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  const auto word = *reinterpret_cast<const std::uint32_t*>(data + static_cast<int>(y) * stride + static_cast<int>(x) * 4);
  return Pixel{static_cast<int>((word >> 16) & 0xff), static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

void expect_colour(const Pixel& p, const maps::Rgb& c, const std::string& where) {
  EXPECT_NEAR(p.r, c.r * 255, 3.0) << where;
  EXPECT_NEAR(p.g, c.g * 255, 3.0) << where;
  EXPECT_NEAR(p.b, c.b * 255, 3.0) << where;
}

TEST_F(PlotFile, ColourMapRunsLowToHighWhereTheDrawdownDoes) {
  // Drawdown rising to the right (columns) and, in a second picture, upwards
  // (rows): the colour between two contour levels is the scale's colour for
  // the drawdown there.
  for (bool along_rows : {false, true}) {
    Scene s(12, 12, 100);
    for (int r = 1; r <= 12; ++r)
      for (int c = 1; c <= 12; ++c) (*s.dd)(c, r) = static_cast<float>(along_rows ? r : c);
    const std::string file = path(along_rows ? "rows.png" : "columns.png");
    ASSERT_EQ(maps::write_plot(file, PlotFormat::kPng, s.e), "");
    const maps::PlotLayout l = maps::plot_layout(s.e);
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
        cairo_image_surface_create_from_png(file.c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png.get()), static_cast<int>(l.width));
    EXPECT_EQ(cairo_image_surface_get_height(png.get()), static_cast<int>(l.height));

    // Halfway between levels, a quarter of the way along the lines (labels sit
    // in the middle of a line).
    for (double value : {2.25, 6.75, 10.5}) {
      const double node = value;  // the drawdown equals the node number
      const double feet = (along_rows ? s.e.YLL : s.e.XLL) + node * s.e.SPACING;
      const double across = along_rows ? l.to_y(feet) : l.to_x(feet);
      const double along = along_rows ? l.map_left + l.map_width / 4 : l.map_top + l.map_height / 4;
      const Pixel p = along_rows ? pixel_at(png.get(), along, across) : pixel_at(png.get(), across, along);
      expect_colour(p, maps::viridis((value - l.lo) / (l.hi - l.lo)),
                    std::string(along_rows ? "rows " : "columns ") + std::to_string(value));
    }
  }
}

TEST_F(PlotFile, EachFormatIsWrittenWithItsSignature) {
  Scene s(20, 15, 100);
  for (int r = 1; r <= 15; ++r)
    for (int c = 1; c <= 20; ++c) (*s.dd)(c, r) = static_cast<float>(30.0 / (1.0 + std::hypot(c - 8.0, r - 7.0)));
  s.set_wells({{8.0f, 7.0f, 250000}, {15.0f, 3.0f, -90000}, {3.0f, 12.0f, 0}});
  struct Case {
    const char* name;
    PlotFormat format;
    std::string signature;
  };
  for (const Case& k : {Case{"p.png", PlotFormat::kPng, "\x89PNG\r\n"}, Case{"p.svg", PlotFormat::kSvg, "<?xml"},
                        Case{"p.pdf", PlotFormat::kPdf, "%PDF-"}}) {
    ASSERT_EQ(maps::write_plot(path(k.name), k.format, s.e), "") << k.name;
    EXPECT_EQ(head(path(k.name), k.signature.size()), k.signature) << k.name;
    EXPECT_GT(fs::file_size(path(k.name)), 2000u) << k.name;
  }
  // The vector formats carry the texts.
  std::ifstream svg(path("p.svg"));
  std::ostringstream text;
  text << svg.rdbuf();
  EXPECT_NE(text.str().find("<svg"), std::string::npos);
}

TEST_F(PlotFile, FailuresSayWhy) {
  Scene s(5, 5, 100);
  for (PlotFormat f : {PlotFormat::kPng, PlotFormat::kSvg, PlotFormat::kPdf}) {
    EXPECT_EQ(maps::write_plot(path("missing/p.png"), f, s.e), "No such file or directory");
    if (fs::exists("/dev/full")) {
      EXPECT_EQ(maps::write_plot("/dev/full", f, s.e), "No space left on device");
    }
  }
  Scene empty(5, 0, 100);
  EXPECT_NE(maps::missing_cells(empty.e, "map"), "");
  EXPECT_NE(maps::write_plot(path("empty.png"), PlotFormat::kPng, empty.e), "");
  EXPECT_FALSE(fs::exists(path("empty.png")));
}

}  // namespace
