// The file layer the map and the charts share: a PNG of the size and
// resolution asked for, an SVG and a PDF that carry the picture's title and
// description, a PDF page with the drawing fitted inside its margins, and a
// file written whole or not at all.
#include "pictures/picture_file.h"
#include "picture_folder.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using pictures::PlotFormat;
using namespace pictures::picture;

using PictureFileTest = picture_testing::PictureFolder;

// A grey frame around the drawing's edge.
void frame(cairo_t* cr, double width, double height) {
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
  cairo_rectangle(cr, 1, 1, width - 2, height - 2);
  cairo_stroke(cr);
}

std::uint32_t u32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (std::size_t k = 0; k < 4; ++k) v = v << 8 | static_cast<unsigned char>(bytes[at + k]);
  return v;
}

TEST_F(PictureFileTest, APngHasItsSizeInPixelsAndStatesItsResolution) {
  struct Case {
    double width, height, pixels_per_point;
    int columns, rows;
    std::uint32_t per_metre, crc;  // the pHYs chunk's value and CRC, from zlib's crc32
  };
  const Case cases[] = {
      {300, 200, 200 / 72.0, 834, 556, 7874, 0x6ed0753e},
      {300.5, 200, 96 / 72.0, 401, 267, 3780, 0x952b0e1b},
  };
  for (const Case& c : cases) {
    const PictureFile f{PlotFormat::kPng, c.width, c.height, c.pixels_per_point};
    ASSERT_EQ(write_picture(path("p.png"), f, [&](cairo_t* cr) { frame(cr, c.width, c.height); }), "");
    const std::string png = read(path("p.png"));
    ASSERT_GT(png.size(), 60u);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(u32(png, 16), static_cast<std::uint32_t>(c.columns));
    EXPECT_EQ(u32(png, 20), static_cast<std::uint32_t>(c.rows));
    EXPECT_EQ(u32(png, 33), 9u);
    EXPECT_EQ(png.substr(37, 4), "pHYs");
    EXPECT_EQ(u32(png, 41), c.per_metre);
    EXPECT_EQ(u32(png, 45), c.per_metre);
    EXPECT_EQ(png[49], 1) << "per metre";
    EXPECT_EQ(u32(png, 50), c.crc);
    // Cairo reads it back: the frame is drawn at the scale.
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> back(
        cairo_image_surface_create_from_png(path("p.png").c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(back.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(back.get()), c.columns);
  }
}

TEST_F(PictureFileTest, SvgAndPdfCarryTheTitleAndDescription) {
  PictureFile f{PlotFormat::kSvg, 200, 100};
  f.title = "Fen & wetland <north>";
  f.description = std::string("bad \xff byte\x01 here");
  const auto draw = [](cairo_t* cr) { frame(cr, 200, 100); };
  ASSERT_EQ(write_picture(path("p.svg"), f, draw), "");
  const std::string svg = read(path("p.svg"));
  const std::size_t title = svg.find("<title>Fen &amp; wetland &lt;north&gt;</title>");
  ASSERT_NE(title, std::string::npos) << svg.substr(0, 400);
  EXPECT_GT(title, svg.find("<svg"));
  EXPECT_LT(title, svg.find("<path")) << "first in the svg element";
  EXPECT_NE(svg.find("<desc>bad \ufffd byte here</desc>"), std::string::npos);
  EXPECT_EQ(svg.find('\x01'), std::string::npos);

  f.title = f.description = "";
  ASSERT_EQ(write_picture(path("bare.svg"), f, draw), "");
  EXPECT_EQ(read(path("bare.svg")).find("<title>"), std::string::npos);
  EXPECT_EQ(read(path("bare.svg")).find("<desc>"), std::string::npos);

  f.format = PlotFormat::kPdf;
  f.title = "Well field A";
  f.description = "Drawdown at 2 receptors";
  ASSERT_EQ(write_picture(path("p.pdf"), f, draw), "");
  const std::string pdf = read(path("p.pdf"));
  EXPECT_EQ(pdf.rfind("%PDF-", 0), 0u);
  EXPECT_NE(pdf.find("/Title (Well field A)"), std::string::npos);
  EXPECT_NE(pdf.find("/Subject (Drawdown at 2 receptors)"), std::string::npos);
}

TEST_F(PictureFileTest, APdfPageFitsTheDrawingInsideHalfInchMargins) {
  struct Case {
    double width, height, page_width, page_height;
    double scale;  // the drawing's points per page point
  };
  const Case cases[] = {
      {800, 500, 612, 792, 540 / 800.0},      // wide: the width fills the page between its margins
      {300, 900, 612, 792, 720 / 900.0},      // tall: the height does
      {100, 50, 841.89, 595.28, 769.89 / 100},  // small: enlarged to fit
      {800, 500, 0, 0, 1},                    // no page: the drawing's own size
  };
  for (const Case& c : cases) {
    PictureFile f{PlotFormat::kPdf, c.width, c.height};
    f.page_width = c.page_width, f.page_height = c.page_height;
    double x0 = NAN, y0 = NAN, x1 = NAN, y1 = NAN;
    const std::string why = write_picture(path("page.pdf"), f, [&](cairo_t* cr) {
      x0 = 0, y0 = 0, x1 = c.width, y1 = c.height;
      cairo_user_to_device(cr, &x0, &y0);
      cairo_user_to_device(cr, &x1, &y1);
    });
    ASSERT_EQ(why, "");
    const double page_w = c.page_width > 0 ? c.page_width : c.width, page_h = c.page_height > 0 ? c.page_height : c.height;
    const std::string where = std::to_string(c.width) + " x " + std::to_string(c.height);
    EXPECT_NEAR(x1 - x0, c.width * c.scale, 1e-6) << where;
    EXPECT_NEAR(y1 - y0, c.height * c.scale, 1e-6) << where << ": the same scale both ways";
    EXPECT_NEAR(x0, page_w - x1, 1e-6) << where << ": centred";
    EXPECT_NEAR(y0, page_h - y1, 1e-6) << where << ": centred";
    if (c.page_width > 0) {
      EXPECT_NEAR(std::min(x0, y0), 36.0, 1e-6) << where;
    }
    // The page's size, in the file.
    char box[64];
    std::snprintf(box, sizeof box, "/MediaBox [ 0 0 %g %g ]", page_w, page_h);
    EXPECT_NE(read(path("page.pdf")).find(box), std::string::npos) << box;
  }
}

TEST_F(PictureFileTest, APictureThatCannotBeMadeOrWrittenLeavesNoFile) {
  const PictureFile png{PlotFormat::kPng, 100, 50, 2.0};
  const auto draw = [](cairo_t* cr) { frame(cr, 100, 50); };
  // A drawing that fails: nothing written, an older file left as it was.
  std::ofstream(path("old.png")) << "older";
  for (PlotFormat format : {PlotFormat::kPng, PlotFormat::kSvg, PlotFormat::kPdf}) {
    PictureFile f = png;
    f.format = format;
    EXPECT_EQ(write_picture(path("old.png"), f, [](cairo_t* cr) { cairo_restore(cr); }),
              "cairo_restore() without matching cairo_save()");
    EXPECT_EQ(read(path("old.png")), "older");
    EXPECT_EQ(write_picture(path("missing/p.png"), f, draw), "No such file or directory");
    if (fs::exists("/dev/full")) {
      EXPECT_EQ(write_picture("/dev/full", f, draw), "No space left on device");
    }
  }
  // No size, or no resolution: refused before anything is drawn.
  bool drawn = false;
  const auto note = [&](cairo_t*) { drawn = true; };
  EXPECT_NE(write_picture(path("empty.png"), PictureFile{PlotFormat::kPng, 0, 50, 1}, note), "");
  EXPECT_NE(write_picture(path("empty.svg"), PictureFile{PlotFormat::kSvg, 100, NAN}, note), "");
  EXPECT_NE(write_picture(path("flat.png"), PictureFile{PlotFormat::kPng, 100, 50, 0}, note), "");
  EXPECT_FALSE(drawn);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator{}), 1) << "only old.png";
  // Made in memory, the same bytes as written.
  std::string bytes;
  ASSERT_EQ(picture_bytes(png, draw, bytes), "");
  ASSERT_EQ(write_picture(path("p.png"), png, draw), "");
  EXPECT_EQ(bytes, read(path("p.png")));
}

}  // namespace
