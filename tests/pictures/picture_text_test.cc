// The text layer the map and the charts share: a text measures the same on
// every surface and scale it is drawn on, lines are placed where their anchor
// says, long names are cut, and text that is not UTF-8 is repaired.
#include "pictures/picture_text.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <string>

#include "picture_pixels.h"

namespace {

using namespace pictures::picture;

cairo_status_t discard(void*, const unsigned char*, unsigned int) { return CAIRO_STATUS_SUCCESS; }

TEST(PictureText, ATextMeasuresTheSameOnEverySurfaceAndScale) {
  // The layout measures on a 1 x 1 image; the picture is drawn on a PNG at its
  // resolution, an SVG or a PDF. Hinted metrics would make these differ.
  const std::string texts[] = {"Drawdown after 30 days of pumping", "2,150,000", "Smith domestic well",
                               "time since pumping began, days (logarithmic scale)"};
  const Font fonts[] = {{8.5}, {11.5}, {17.0, true}};
  Surface image(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 10, 10), cairo_surface_destroy);
  Surface svg(cairo_svg_surface_create_for_stream(discard, nullptr, 100, 100), cairo_surface_destroy);
  Surface pdf(cairo_pdf_surface_create_for_stream(discard, nullptr, 100, 100), cairo_surface_destroy);
  struct Target {
    const char* name;
    cairo_surface_t* surface;
    double scale;
  };
  const Target targets[] = {{"PNG at 50 dpi", image.get(), 50 / 72.0}, {"PNG at 200 dpi", image.get(), 200 / 72.0},
                            {"PNG at 600 dpi", image.get(), 600 / 72.0}, {"SVG", svg.get(), 1.0},
                            {"PDF on a page", pdf.get(), 0.83}};
  const Context measuring = measuring_context();
  for (const Target& t : targets) {
    Context cr(cairo_create(t.surface), cairo_destroy);
    cairo_scale(cr.get(), t.scale, t.scale);
    for (const std::string& s : texts)
      for (const Font& f : fonts) {
        const TextSize laid_out = measure(measuring.get(), s, f), drawn = measure(cr.get(), s, f);
        EXPECT_NEAR(drawn.width, laid_out.width, 0.02 * f.size) << t.name << ": " << s << " at " << f.size;
        EXPECT_NEAR(drawn.height, laid_out.height, 0.02 * f.size) << t.name << ": " << s << " at " << f.size;
      }
  }
  // Larger and bold type is wider (glyph positions are rounded to whole
  // points, so not exactly in proportion).
  const double small = measure(measuring.get(), texts[0], Font{10}).width;
  EXPECT_NEAR(measure(measuring.get(), texts[0], Font{20}).width, 2 * small, 0.05 * small);
  EXPECT_GT(measure(measuring.get(), texts[0], Font{10, true}).width, small) << "bold is wider";
}

TEST(PictureText, ALineStaysOneLineAndALongOneIsCut) {
  const Context cr = measuring_context();
  const Font f{12};
  const TextSize one = measure(cr.get(), "Ag", f);
  EXPECT_NEAR(measure(cr.get(), "A\ng", f).height, one.height, 1e-9) << "a newline is shown, not broken at";
  EXPECT_GT(measure(cr.get(), "A\ng", f, 500).height, 1.9 * one.height) << "a paragraph breaks at it";

  const std::string name(400, 'W');
  const double whole = measure(cr.get(), name, f).width;
  EXPECT_EQ(measure_line(cr.get(), name, f, 0).width, whole) << "0: never cut";
  const TextSize cut = measure_line(cr.get(), name, f, 280);
  EXPECT_LE(cut.width, 280.0);
  EXPECT_GT(cut.width, 250.0);
  EXPECT_NEAR(cut.height, one.height, 1e-9);
  EXPECT_EQ(measure_line(cr.get(), "short", f, 280).width, measure(cr.get(), "short", f).width);
}

TEST(PictureText, TextThatIsNotUtf8IsRepaired) {
  EXPECT_EQ(valid_utf8("Smith well"), "Smith well");
  EXPECT_EQ(valid_utf8("caf\xc3\xa9 \u00d7"), "caf\xc3\xa9 \u00d7");
  EXPECT_EQ(valid_utf8("bad \xff byte"), "bad \ufffd byte");
  EXPECT_EQ(valid_utf8("cut \xc3"), "cut \ufffd");
  EXPECT_EQ(valid_utf8(std::string("nul\0inside", 10)), "nul\ufffdinside") << "the whole text, not up to a NUL";
  const Context cr = measuring_context();
  EXPECT_EQ(measure(cr.get(), "bad \xff byte", Font{10}).width, measure(cr.get(), "bad \ufffd byte", Font{10}).width);
}

// The box of the dark pixels on a white image, in pixels.
struct Ink {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

Ink ink_of(cairo_surface_t* s) {
  Ink ink;
  for (int y = 0; y < cairo_image_surface_get_height(s); ++y)
    for (int x = 0; x < cairo_image_surface_get_width(s); ++x)
      if (picture_testing::pixel_at(s, x, y).r < 128) {
        ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
        ink.top = std::min(ink.top, y), ink.bottom = std::max(ink.bottom, y);
      }
  return ink;
}

TEST(PictureText, ALineIsPlacedByItsAlignmentAndAnchor) {
  // "HH" in 20-point type at (100, 50): capitals stand on the baseline and
  // reach 0.73 em above it.
  struct Case {
    Placement where;
    double left, right, top, bottom;  // where the ink lies, in pixels, within 2
  };
  const Font f{20};
  const Context measuring = measuring_context();
  const TextSize size = measure(measuring.get(), "HH", f);
  const double cap = cap_height(f);
  const double w = size.width;
  const double top_to_baseline = size.baseline, middle_to_baseline = size.baseline - size.height / 2;
  const Case cases[] = {
      {{Align::kLeft}, 100, 100 + w, 50 - cap, 50},
      {{Align::kRight}, 100 - w, 100, 50 - cap, 50},
      {{Align::kCentre}, 100 - w / 2, 100 + w / 2, 50 - cap, 50},
      {{Align::kLeft, Anchor::kTop}, 100, 100 + w, 50 + top_to_baseline - cap, 50 + top_to_baseline},
      {{Align::kLeft, Anchor::kMiddle}, 100, 100 + w, 50 + middle_to_baseline - cap, 50 + middle_to_baseline},
  };
  for (const Case& c : cases) {
    Surface image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, 200, 100), cairo_surface_destroy);
    Context cr(cairo_create(image.get()), cairo_destroy);
    cairo_set_source_rgb(cr.get(), 1, 1, 1);
    cairo_paint(cr.get());
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    text(cr.get(), 100, 50, "HH", f, c.where);
    const Ink ink = ink_of(image.get());
    const std::string where = "align " + std::to_string(static_cast<int>(c.where.align)) + ", anchor " +
                              std::to_string(static_cast<int>(c.where.anchor));
    // The side bearings of H leave a pixel or two of white at either end.
    EXPECT_NEAR(ink.left, c.left, 3.5) << where;
    EXPECT_NEAR(ink.right, c.right, 3.5) << where;
    EXPECT_NEAR(ink.top, c.top, 2) << where;
    EXPECT_NEAR(ink.bottom, c.bottom, 2) << where;
  }
}

}  // namespace
