// The drawdown picture as files: each format, the colours a reader sees in a
// PNG, its size at a resolution, a PDF's page, and failures.
#include "files/output_file.h"
#include "pictures/plot.h"
#include "pictures/plot_layout.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>
#include <vector>

#include "pictures/colour_scale.h"
#include "plot_scene.h"

#include "picture_pixels.h"
#include "gis/grid_cells.h"
#include "picture_folder.h"

namespace {

namespace fs = std::filesystem;
using pictures::PlotFormat;
using plot_testing::cone;
using plot_testing::Scene;

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
  for (const Case& k : cases) EXPECT_EQ(pictures::plot_format_of(k.path), k.format) << k.path;
}

TEST(PlotPage, NamedLetterOrA4) {
  EXPECT_EQ(pictures::plot_page_of("letter"), pictures::PlotPage::kLetter);
  EXPECT_EQ(pictures::plot_page_of("A4"), pictures::PlotPage::kA4);
  for (const char* other : {"", "legal", "a3", "letter "}) EXPECT_EQ(pictures::plot_page_of(other), std::nullopt) << other;
}

TEST(PlotPage, SizesInPointsFromInchesAndMillimetres) {
  // 72 points an inch: letter is 8.5 x 11 inches, A4 210 x 297 mm.
  struct Case {
    pictures::PlotPage page;
    double width, height;
  };
  const Case cases[] = {{pictures::PlotPage::kLetter, 8.5 * 72.0, 11.0 * 72.0},
                        {pictures::PlotPage::kA4, 210.0 / 25.4 * 72.0, 297.0 / 25.4 * 72.0},
                        {pictures::PlotPage::kOwnSize, 0.0, 0.0}};
  for (const Case& c : cases) {
    const auto [width, height] = pictures::page_size(c.page);
    EXPECT_NEAR(width, c.width, 1e-4) << static_cast<int>(c.page);
    EXPECT_NEAR(height, c.height, 1e-4) << static_cast<int>(c.page);
  }
}

using PlotFile = picture_testing::PictureFolder;

using Png = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

Png read_png(const std::string& file) {
  return Png(cairo_image_surface_create_from_png(file.c_str()), cairo_surface_destroy);
}

using picture_testing::expect_colour;
using picture_testing::Pixel;
using picture_testing::pixel_at;

TEST_F(PlotFile, ColourMapRunsLowToHighWhereTheDrawdownDoes) {
  // Drawdown rising to the right (columns) and, in a second picture, upwards
  // (rows): the colour between two contour levels is the scale's colour for
  // the drawdown there. The second grid holds a rise too: its colours are the
  // diverging scale's, white at 0.
  for (bool along_rows : {false, true}) {
    Scene s(12, 12, 100);
    s.fill([&](int c, int r) { return along_rows ? r - 4.0 : c; });
    const std::string file = path(along_rows ? "rows.png" : "columns.png");
    ASSERT_EQ(pictures::write_plot(file, PlotFormat::kPng, s.e), "");
    const pictures::PlotLayout l = pictures::plot_layout(s.e, {}, PlotFormat::kPng);
    EXPECT_EQ(l.colours.palette, along_rows ? pictures::Palette::kDiverging : pictures::Palette::kViridis);
    const Png png = read_png(file);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    const double ppp = l.pixels_per_point;
    EXPECT_EQ(cairo_image_surface_get_width(png.get()), static_cast<int>(std::ceil(l.width * ppp)));
    EXPECT_EQ(cairo_image_surface_get_height(png.get()), static_cast<int>(std::ceil(l.height * ppp)));

    // Halfway between levels, a quarter of the way along the lines (labels sit
    // in the middle of a line).
    for (double node : {2.25, 4.5, 6.75, 10.5}) {
      const double value = along_rows ? node - 4.0 : node;
      const double feet = along_rows ? s.e.map_y(node) : s.e.map_x(node);
      const double across = (along_rows ? l.to_y(feet) : l.to_x(feet)) * ppp;
      const double along = (along_rows ? l.map_left + l.map_width / 4 : l.map_top + l.map_height / 4) * ppp;
      const Pixel p = along_rows ? pixel_at(png.get(), along, across) : pixel_at(png.get(), across, along);
      expect_colour(p, l.colours.colour(value), std::string(along_rows ? "rows " : "columns ") + std::to_string(value));
    }
    if (along_rows) {
      // No change is near-white, a rise blue and a drawdown red.
      const auto at_node = [&](double node) {
        return pixel_at(png.get(), (l.map_left + l.map_width / 4) * ppp, l.to_y(s.e.map_y(node)) * ppp);
      };
      // (Off the 0-foot line, which is drawn at node 4.)
      const Pixel zero = at_node(4.3), rise = at_node(1.5), drawdown = at_node(10.5);
      EXPECT_GT(std::min({zero.r, zero.g, zero.b}), 225);
      EXPECT_GT(rise.b, rise.r + 40);
      EXPECT_GT(drawdown.r, drawdown.b + 40);
    }
  }
}

TEST_F(PlotFile, BoundariesAreDrawnAcrossTheMapAndNamedInTheKey) {
  // A stream down column 8 and a barrier along row 3.5; the nodes beyond the
  // stream are NaN, blank on the map.
  Scene s(12, 12, 100);
  s.fill([](int c, int r) { return c > 8 ? NAN : 1.0 + 0.1 * r; });
  pictures::PlotOptions o;
  o.boundaries.push_back(pictures::PlotBoundary{s.e.map_x(8), 0.0, s.e.map_x(8), 1.0, "creek", true, 1.0, 0.0});
  o.boundaries.push_back(pictures::PlotBoundary{0.0, s.e.map_y(3.5), 1.0, s.e.map_y(3.5), "wall", false, 0.0, -1.0});
  const std::string file = path("bounded.png");
  ASSERT_EQ(pictures::write_plot(file, PlotFormat::kPng, s.e, o), "");
  const pictures::PlotLayout l = pictures::plot_layout(s.e, o, PlotFormat::kPng);
  const Png png = read_png(file);
  ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
  const double ppp = l.pixels_per_point;
  auto at = [&](double c, double r) { return pixel_at(png.get(), l.to_x(s.e.map_x(c)) * ppp, l.to_y(s.e.map_y(r)) * ppp); };
  for (double r : {2.27, 6.33, 10.62}) {  // off the contour lines
    const Pixel stream = at(8.0, r);
    EXPECT_GT(stream.b, 180) << r;
    EXPECT_LT(stream.r, 80) << r;
    const Pixel blank = at(10.5, r + 0.2);  // beyond the stream: the map's grey, no colour
    EXPECT_EQ(blank.r, blank.g) << r;
    EXPECT_EQ(blank.g, blank.b) << r;
    EXPECT_GT(blank.r, 200) << r;
  }
  for (double c : {1.3, 4.1, 6.6}) {
    const Pixel barrier = at(c, 3.5);
    EXPECT_NEAR(barrier.r, barrier.b, 12) << c;
    EXPECT_LT(barrier.r, 160) << c;
    expect_colour(at(c, 7.27), l.colours.colour(1.727), "the field away from the lines");
  }
  const pictures::picture::KeyEntries k = pictures::picture::key_entries(s.e, o, l);
  EXPECT_EQ(k.boundaries, (std::vector<std::string>{"creek (stream)", "wall (barrier)"}));
}

TEST_F(PlotFile, PngHasTheRequestedResolution) {
  Scene s(20, 15, 100);
  s.fill(cone(8, 7, 30));
  std::vector<int> widths;
  for (int dpi : {50, 100, 200}) {
    pictures::PlotOptions o;
    o.dpi = dpi;
    const std::string file = path("dpi" + std::to_string(dpi) + ".png");
    ASSERT_EQ(pictures::write_plot(file, PlotFormat::kPng, s.e, o), "");
    const pictures::PlotLayout l = pictures::plot_layout(s.e, o, PlotFormat::kPng);
    const Png png = read_png(file);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    // The picture is the same number of inches at each resolution.
    EXPECT_EQ(cairo_image_surface_get_width(png.get()), static_cast<int>(std::ceil(l.width * dpi / 72.0))) << dpi;
    EXPECT_EQ(cairo_image_surface_get_height(png.get()), static_cast<int>(std::ceil(l.height * dpi / 72.0))) << dpi;
    widths.push_back(cairo_image_surface_get_width(png.get()));

    // The file says its resolution (pixels per metre) in a pHYs chunk right
    // after the header, so a word processor sizes it in inches.
    const std::string bytes = read(file);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(37, 4), "pHYs");
    const auto u32 = [&](std::size_t at) {
      return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) << 24 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 16 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 8 |
             static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3]));
    };
    EXPECT_EQ(u32(41), static_cast<std::uint32_t>(std::lround(dpi / 0.0254)));
    EXPECT_EQ(u32(45), u32(41));
    EXPECT_EQ(bytes[49], 1) << "per metre";
  }
  EXPECT_NEAR(widths[2], 4 * widths[0], 4);
}

TEST_F(PlotFile, PdfOnAPageFitsTheMapInsideTheMargins) {
  struct Case {
    pictures::PlotPage page;
    int nx, ny;
    double width, height;  // the page as laid out, points
  };
  const Case cases[] = {
      {pictures::PlotPage::kLetter, 40, 30, 792, 612},            // a wide map: landscape
      {pictures::PlotPage::kLetter, 20, 60, 612, 792},            // a tall map: portrait
      {pictures::PlotPage::kA4, 40, 30, 841.8898, 595.2756},
  };
  for (const Case& k : cases) {
    Scene s(k.nx, k.ny, 100);
    s.fill(cone(k.nx / 2.0, k.ny / 2.0, 20));
    pictures::PlotOptions o;
    o.page = k.page;
    const pictures::PlotLayout l = pictures::plot_layout(s.e, o, PlotFormat::kPdf);
    EXPECT_NEAR(l.width, k.width, 1e-3);
    EXPECT_NEAR(l.height, k.height, 1e-3);
    // Inside half-inch margins, and filling them in one direction.
    const double right = l.bar_left + l.bar_width, bottom = l.key_top + 30;  // the key is at least 30 high
    EXPECT_GE(l.title_top, 36 - 1e-9);
    EXPECT_LE(right, l.width - 36);
    EXPECT_LE(bottom, l.height - 36);
    EXPECT_GE(l.map_left, 36);
    EXPECT_TRUE(l.map_width > 0.6 * (l.width - 72) || l.map_height > 0.6 * (l.height - 72)) << k.nx << "x" << k.ny;

    const std::string file = path("page.pdf");
    ASSERT_EQ(pictures::write_plot(file, PlotFormat::kPdf, s.e, o), "");
    std::smatch box;
    const std::string bytes = read(file);
    ASSERT_TRUE(std::regex_search(bytes, box, std::regex(R"(/MediaBox \[ *0 +0 +([0-9.]+) +([0-9.]+) *\])")));
    EXPECT_NEAR(std::stod(box[1]), k.width, 0.01);
    EXPECT_NEAR(std::stod(box[2]), k.height, 0.01);
  }
  // The picture's own size without a page, and for the other formats.
  Scene s(40, 30, 100);
  pictures::PlotOptions o;
  o.page = pictures::PlotPage::kLetter;
  EXPECT_EQ(pictures::plot_layout(s.e, {}, PlotFormat::kPdf).width, pictures::plot_layout(s.e, o, PlotFormat::kSvg).width);
}

TEST_F(PlotFile, EachFormatIsWrittenWithItsSignature) {
  Scene s(20, 15, 100);
  s.fill(cone(8, 7, 30));
  s.set_wells({{8.0f, 7.0f, 250000}, {15.0f, 3.0f, -90000}, {3.0f, 12.0f, 0}});
  pictures::PlotOptions o;
  o.markers = {{2150500, 720400, "R1"}};
  o.input_name = "field.dat";
  struct Case {
    const char* name;
    PlotFormat format;
    std::string signature;
  };
  for (const Case& k : {Case{"p.png", PlotFormat::kPng, "\x89PNG\r\n"}, Case{"p.svg", PlotFormat::kSvg, "<?xml"},
                        Case{"p.pdf", PlotFormat::kPdf, "%PDF-"}}) {
    ASSERT_EQ(pictures::write_plot(path(k.name), k.format, s.e, o), "") << k.name;
    EXPECT_EQ(read(path(k.name)).substr(0, k.signature.size()), k.signature) << k.name;
    EXPECT_GT(fs::file_size(path(k.name)), 2000u) << k.name;
  }
  EXPECT_NE(read(path("p.svg")).find("<svg"), std::string::npos);
}

TEST_F(PlotFile, FailuresSayWhy) {
  Scene s(5, 5, 100);
  for (PlotFormat f : {PlotFormat::kPng, PlotFormat::kSvg, PlotFormat::kPdf}) {
    EXPECT_EQ(pictures::write_plot(path("missing/p.png"), f, s.e), "No such file or directory");
    if (fs::exists("/dev/full")) {
      EXPECT_EQ(pictures::write_plot("/dev/full", f, s.e), "No space left on device");
    }
  }
  Scene empty(5, 0, 100);
  EXPECT_NE(gis::missing_cells(empty.e, "map"), "");
  EXPECT_NE(pictures::write_plot(path("empty.png"), PlotFormat::kPng, empty.e), "");
  EXPECT_FALSE(fs::exists(path("empty.png")));
}

}  // namespace
