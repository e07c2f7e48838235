// The hydrograph picture: the axes a reader gets (logarithmic or linear time,
// round ticks, drawdown downwards), the files in each format with the names a
// reader finds in them, the lines where the data put them, and the refusals.
#include "pictures/hydrograph.h"

#include <cairo.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "picture_pixels.h"
#include "picture_folder.h"

namespace {

namespace fs = std::filesystem;
using pictures::Hydrograph;
using pictures::PlotFormat;

std::vector<double> values_of(const std::vector<pictures::AxisTick>& ticks) {
  std::vector<double> v;
  for (const pictures::AxisTick& t : ticks) v.push_back(t.value);
  return v;
}

std::vector<std::string> labels_of(const std::vector<pictures::AxisTick>& ticks) {
  std::vector<std::string> v;
  for (const pictures::AxisTick& t : ticks)
    if (!t.label.empty()) v.push_back(t.label);
  return v;
}

using Labels = std::vector<std::string>;

// --- the time axis ----------------------------------------------------------------

TEST(HydrographLayout, TimeAxisIsLogarithmicOverMoreThanADecade) {
  struct Case {
    std::vector<double> days;
    bool log_time;
    double t0, t1;
    Labels labels;
  };
  const Case cases[] = {
      // The study's usual series: 1 to 365 days, ticks 1-2-5.
      {{1, 2, 5, 10, 30, 60, 90, 180, 365}, true, 1, 500, {"1", "2", "5", "10", "20", "50", "100", "200", "500"}},
      // 30 to 365: round ends below and above.
      {{30, 90, 365}, true, 20, 500, {"20", "50", "100", "200", "500"}},
      // Exactly a decade is not more than one: linear, from day 0.
      {{10, 100}, false, 0, 100, {"0", "20", "40", "60", "80", "100"}},
      {{30, 60, 90}, false, 0, 100, {"0", "20", "40", "60", "80", "100"}},
      // Just over a decade.
      {{10, 100.5}, true, 10, 200, {"10", "20", "50", "100", "200"}},
      // Six decades: labels at the decades only.
      {{0.01, 1, 10000}, true, 0.01, 10000, {"0.01", "0.1", "1", "10", "100", "1,000", "10,000"}},
      // Day 0 has no place on a log axis and does not decide it.
      {{0, 1, 100}, true, 1, 100, {"1", "2", "5", "10", "20", "50", "100"}},
      // A single time: linear from 0.
      {{30}, false, 0, 30, {"0", "5", "10", "15", "20", "25", "30"}},
  };
  for (const Case& k : cases) {
    std::vector<float> dd(k.days.size(), 1.0f);
    const Hydrograph h{"A", k.days, dd};
    const pictures::HydrographLayout l = pictures::hydrograph_layout("t", {&h, 1});
    const std::string where = "first day " + std::to_string(k.days.front()) + ", last " + std::to_string(k.days.back());
    EXPECT_EQ(l.log_time, k.log_time) << where;
    EXPECT_NEAR(l.t0, k.t0, 1e-12 * k.t1) << where;
    EXPECT_NEAR(l.t1, k.t1, 1e-12 * k.t1) << where;
    EXPECT_EQ(labels_of(l.time_ticks), k.labels) << where;
    // Every tick lies on the axis, in order, the ends at the frame's edges.
    const std::vector<double> v = values_of(l.time_ticks);
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end())) << where;
    EXPECT_NEAR(l.to_x(l.t0), l.frame_left, 1e-9) << where;
    EXPECT_NEAR(l.to_x(l.t1), l.frame_left + l.frame_width, 1e-9) << where;
  }
}

TEST(HydrographLayout, LogAxisHasUnlabelledMinorTicksBetweenItsLabels) {
  const Hydrograph h{"A", {1, 365}, {1, 2}};
  const pictures::HydrographLayout l = pictures::hydrograph_layout("t", {&h, 1});
  // 1 .. 500: every whole multiple of a power of ten, 3, 4, 6, 7, 8, 9 without text.
  std::vector<double> minor;
  for (const pictures::AxisTick& t : l.time_ticks)
    if (t.label.empty()) minor.push_back(t.value);
  const std::vector<double> expected = {3, 4, 6, 7, 8, 9, 30, 40, 60, 70, 80, 90, 300, 400};
  ASSERT_EQ(minor.size(), expected.size());
  for (std::size_t k = 0; k < minor.size(); ++k) EXPECT_NEAR(minor[k], expected[k], 1e-9) << k;
  // Equal ratios are equal distances.
  EXPECT_NEAR(l.to_x(10) - l.to_x(1), l.to_x(100) - l.to_x(10), 1e-9);
}

// --- the drawdown axis --------------------------------------------------------------

TEST(HydrographLayout, DrawdownGrowsDownwardsFromZeroOnRoundTicks) {
  struct Case {
    std::vector<float> dd;
    double d0, d1;
    Labels labels;
  };
  const Case cases[] = {
      {{0.3f, 2.0f, 7.2f}, 0, 8, {"0", "1", "2", "3", "4", "5", "6", "7", "8"}},
      {{0.012f, 0.05f, 0.093f}, 0, 0.1, {"0.00", "0.02", "0.04", "0.06", "0.08", "0.10"}},
      // An injection well's rise shows above 0, its values with a true minus sign.
      {{-1.2f, 0.5f, 3.0f}, -2, 3, {"\u22122", "\u22121", "0", "1", "2", "3"}},
      // Nothing to show still gets an axis with two ends.
      {{0.0f, 0.0f, 0.0f}, 0, 1, {"0.0", "0.2", "0.4", "0.6", "0.8", "1.0"}},
      // Values that are not finite are left out.
      {{NAN, 4.0f, INFINITY}, 0, 4, {"0.0", "0.5", "1.0", "1.5", "2.0", "2.5", "3.0", "3.5", "4.0"}},
  };
  for (const Case& k : cases) {
    const Hydrograph h{"A", {1, 10, 100}, k.dd};
    const pictures::HydrographLayout l = pictures::hydrograph_layout("t", {&h, 1});
    const std::string where = "deepest " + std::to_string(k.dd[2]);
    EXPECT_NEAR(l.d0, k.d0, 1e-12) << where;
    EXPECT_NEAR(l.d1, k.d1, 1e-12) << where;
    EXPECT_EQ(labels_of(l.drawdown_ticks), k.labels) << where;
    EXPECT_NEAR(l.to_y(l.d0), l.frame_top, 1e-9) << where;
    EXPECT_NEAR(l.to_y(l.d1), l.frame_top + l.frame_height, 1e-9) << where;
  }
}

TEST(HydrographLayout, LegendBesideTheFrameWithRoomForEveryName) {
  std::vector<Hydrograph> series;
  for (int k = 0; k < 30; ++k) series.push_back({"receptor " + std::to_string(k), {1, 100}, {0, 1}});
  pictures::HydrographLayout l = pictures::hydrograph_layout("t", series);
  EXPECT_GT(l.legend_left, l.frame_left + l.frame_width);
  EXPECT_LE(l.legend_top + 30 * l.legend_row, l.height);  // the picture grows to hold the rows
  EXPECT_GT(l.height, l.frame_top + l.frame_height + 30);

  // A very long name is cut short rather than widening the picture without end.
  const Hydrograph shortname{"A", {1, 100}, {0, 1}};
  const Hydrograph longname{std::string(400, 'W'), {1, 100}, {0, 1}};
  const double narrow = pictures::hydrograph_layout("t", {&shortname, 1}).width;
  const double wide = pictures::hydrograph_layout("t", {&longname, 1}).width;
  EXPECT_GT(wide, narrow);
  EXPECT_LT(wide, narrow + 300);
}

TEST(HydrographColour, SevenDistinctColoursThenRepeated) {
  for (std::size_t a = 0; a < 7; ++a)
    for (std::size_t b = a + 1; b < 7; ++b) {
      const pictures::Rgb x = pictures::hydrograph_colour(a), y = pictures::hydrograph_colour(b);
      EXPECT_GT(std::fabs(x.r - y.r) + std::fabs(x.g - y.g) + std::fabs(x.b - y.b), 0.3) << a << " " << b;
    }
  EXPECT_EQ(pictures::hydrograph_colour(9).g, pictures::hydrograph_colour(2).g);
}

// --- files ----------------------------------------------------------------------------

using HydrographFile = picture_testing::PictureFolder;

const std::vector<Hydrograph>& three_receptors() {
  static const std::vector<Hydrograph> series = {
      {"Smith domestic well", {1, 2, 5, 10, 30, 60, 90, 180, 365}, {0.1f, 0.3f, 0.6f, 0.9f, 1.3f, 1.5f, 2.4f, 2.8f, 3.1f}},
      {"Fen & wetland <north>", {1, 2, 5, 10, 30, 60, 90, 180, 365}, {0, 0.05f, 0.2f, 0.4f, 0.7f, 0.9f, 1.5f, 1.8f, 2.0f}},
      {"Mill Creek gauge", {1, 2, 5, 10, 30, 60, 90, 180, 365}, {0, 0, 0.02f, 0.1f, 0.3f, 0.45f, 0.8f, 1.1f, 1.3f}},
  };
  return series;
}

// The text of the PDF string after `key`, written either literally, (...), or
// in UTF-16BE hex, <FEFF...> (ASCII characters only).
std::string pdf_text(const std::string& pdf, const std::string& key) {
  std::size_t at = pdf.find(key + " ");
  if (at == std::string::npos) return "";
  at += key.size() + 1;
  std::string out;
  if (pdf.compare(at, 5, "<FEFF") == 0) {
    for (std::size_t k = at + 5; k + 4 <= pdf.size() && pdf[k] != '>'; k += 4)
      out += static_cast<char>(std::stoi(pdf.substr(k, 4), nullptr, 16));
  } else if (pdf[at] == '(') {
    for (std::size_t k = at + 1; k < pdf.size() && pdf[k] != ')'; ++k) out += pdf[k] == '\\' ? pdf[++k] : pdf[k];
  }
  return out;
}

TEST_F(HydrographFile, EachFormatIsAValidFileThatNamesItsReceptors) {
  const auto& series = three_receptors();
  for (const auto& [name, format, magic] :
       {std::tuple{"h.png", PlotFormat::kPng, "\x89PNG\r\n\x1a\n"}, std::tuple{"h.svg", PlotFormat::kSvg, "<?xml"},
        std::tuple{"h.pdf", PlotFormat::kPdf, "%PDF-"}}) {
    ASSERT_EQ(pictures::write_hydrographs(path(name), format, "Well field A", series), "") << name;
    const std::string file = read(path(name));
    EXPECT_EQ(file.rfind(magic, 0), 0u) << name;
  }
  // The PNG is as large as its layout.
  const pictures::HydrographLayout l = pictures::hydrograph_layout("Well field A", series);
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
      cairo_image_surface_create_from_png(path("h.png").c_str()), cairo_surface_destroy);
  ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(png.get()), static_cast<int>(l.width));
  EXPECT_EQ(cairo_image_surface_get_height(png.get()), static_cast<int>(l.height));

  // The SVG carries the title and every name as text, escaped for XML.
  const std::string svg = read(path("h.svg"));
  EXPECT_NE(svg.find("</svg>"), std::string::npos);
  EXPECT_NE(svg.find("<title>Well field A</title>"), std::string::npos);
  EXPECT_NE(svg.find("<desc>Drawdown against time at 3 receptors: Smith domestic well; "
                     "Fen &amp; wetland &lt;north&gt;; Mill Creek gauge</desc>"),
            std::string::npos);
  EXPECT_LT(svg.find("<title>"), svg.find("<defs>"));  // inside the svg element, before the drawing

  // The PDF's title and subject.
  const std::string pdf = read(path("h.pdf"));
  EXPECT_EQ(pdf_text(pdf, "/Title"), "Well field A");
  EXPECT_EQ(pdf_text(pdf, "/Subject"),
            "Drawdown against time at 3 receptors: Smith domestic well; Fen & wetland <north>; Mill Creek gauge");
}

using picture_testing::expect_colour;
using picture_testing::Pixel;
using picture_testing::pixel_at;

TEST_F(HydrographFile, EachLineRunsThroughItsDataInItsLegendColour) {
  // Points far apart, so that no line crosses another's marker.
  const std::vector<Hydrograph> series = {
      {"deep", {1, 10, 100, 1000}, {2.0f, 6.0f, 8.0f, 9.0f}},
      {"shallow", {1, 10, 100, 1000}, {0.2f, 0.5f, 1.0f, 1.5f}},
      {"rising", {1, 10, 100, 1000}, {-1.0f, -2.0f, -3.0f, -3.5f}},
  };
  ASSERT_EQ(pictures::write_hydrographs(path("lines.png"), PlotFormat::kPng, "Lines", series), "");
  const pictures::HydrographLayout l = pictures::hydrograph_layout("Lines", series);
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
      cairo_image_surface_create_from_png(path("lines.png").c_str()), cairo_surface_destroy);
  ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
  for (std::size_t k = 0; k < series.size(); ++k) {
    const pictures::Rgb colour = pictures::hydrograph_colour(k);
    // A marker on every data point (looked at a little inwards of the frame's
    // edges, which are drawn over the points that lie on them).
    for (std::size_t i = 0; i < series[k].days.size(); ++i) {
      const double x = std::clamp(l.to_x(series[k].days[i]), l.frame_left + 2, l.frame_left + l.frame_width - 2);
      const double y = std::clamp(l.to_y(series[k].drawdown_ft[i]), l.frame_top + 2, l.frame_top + l.frame_height - 2);
      expect_colour(pixel_at(png.get(), x, y), colour,
                    series[k].name + " at day " + std::to_string(series[k].days[i]));
    }
    // Halfway between two points (on the log axis: at the geometric mean),
    // the line.
    const double x = (l.to_x(10) + l.to_x(100)) / 2;
    const double y = (l.to_y(series[k].drawdown_ft[1]) + l.to_y(series[k].drawdown_ft[2])) / 2;
    expect_colour(pixel_at(png.get(), x, y), colour, series[k].name + " between days 10 and 100");
    // The legend's sample of the line, beside the name.
    expect_colour(pixel_at(png.get(), l.legend_left + 4, l.legend_top + (k + 0.5) * l.legend_row), colour,
                  series[k].name + " in the legend");
  }
  // Deeper is lower: the deep series' last point lies below the shallow one's,
  // and the rise above the top of the frame's zero line.
  EXPECT_GT(l.to_y(9.0), l.to_y(1.5));
  EXPECT_LT(l.to_y(-3.5), l.to_y(0.0));
  // Away from every line, inside the frame: the white background.
  const Pixel blank = pixel_at(png.get(), l.to_x(3.0), l.to_y(4.5));
  EXPECT_EQ(blank.r + blank.g + blank.b, 3 * 255);
}

TEST_F(HydrographFile, ALimitIsADashedLineAndThePngFollowsItsScale) {
  // A dense curve with its series days marked, and a limit of 4 ft.
  Hydrograph limited{"limited", {}, {}, {1, 100}, {1.0f, 3.0f}, 4.0};
  for (double t = 1; t <= 100; t *= 1.1) limited.days.push_back(t), limited.drawdown_ft.push_back(static_cast<float>(1.0 + std::log10(t)));
  const std::vector<Hydrograph> series{limited};
  const pictures::HydrographLayout l = pictures::hydrograph_layout("Limit", series);
  EXPECT_GT(l.d1, 4.0) << "the axis reaches beyond the limit";
  for (const double scale : {1.0, 2.5}) {
    SCOPED_TRACE(scale);
    ASSERT_EQ(pictures::write_hydrographs(path("limit.png"), PlotFormat::kPng, "Limit", series, pictures::ChartStyle{.png_scale = scale}), "");
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
        cairo_image_surface_create_from_png(path("limit.png").c_str()), cairo_surface_destroy);
    ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(png.get()), static_cast<int>(std::ceil(l.width * scale)));
    EXPECT_EQ(cairo_image_surface_get_height(png.get()), static_cast<int>(std::ceil(l.height * scale)));
    const pictures::Rgb colour = pictures::hydrograph_colour(0);
    // Along the limit's line some pixels are its colour and some, between its
    // dashes, are not.
    int on = 0, off = 0;
    for (double x = l.frame_left + 20; x < l.frame_left + 120; x += 1) {
      const Pixel p = pixel_at(png.get(), x * scale, l.to_y(4.0) * scale);
      (std::abs(p.r - colour.r * 255) < 40 && std::abs(p.g - colour.g * 255) < 40 && std::abs(p.b - colour.b * 255) < 40 ? on
                                                                                                                        : off)++;
    }
    EXPECT_GT(on, 30);
    EXPECT_GT(off, 10);
    // The marked day 100 has a marker, the unmarked day 10 only the line.
    expect_colour(pixel_at(png.get(), l.to_x(100) * scale - 2 * scale, l.to_y(3.0) * scale), colour, "marker at day 100");
  }
  EXPECT_NE(pictures::write_hydrographs(path("bad.png"), PlotFormat::kPng, "t", series, pictures::ChartStyle{.png_scale = 0.0}), "");
}

TEST_F(HydrographFile, RefusedWithAReasonAndNoFile) {
  EXPECT_EQ(pictures::write_hydrographs(path("none.png"), PlotFormat::kPng, "t", {}), "there are no receptors to draw");
  EXPECT_FALSE(fs::exists(path("none.png")));

  const Hydrograph uneven{"Smith", {1, 2, 3}, {0.1f, 0.2f}};
  EXPECT_EQ(pictures::write_hydrographs(path("uneven.svg"), PlotFormat::kSvg, "t", {&uneven, 1}),
            "the receptor \"Smith\" has 3 times but 2 drawdowns");
  EXPECT_FALSE(fs::exists(path("uneven.svg")));

  const auto& series = three_receptors();
  for (PlotFormat f : {PlotFormat::kPng, PlotFormat::kSvg, PlotFormat::kPdf})
    EXPECT_EQ(pictures::write_hydrographs(path("missing/h.png"), f, "t", series), "No such file or directory");

  // Names and titles that are not UTF-8, or hold markup or control
  // characters, still give a well-formed file.
  const Hydrograph odd{std::string("bad \xff\xfe byte\x01 & \"quote\""), {1, 100}, {0.5f, 1.0f}};
  ASSERT_EQ(pictures::write_hydrographs(path("odd.svg"), PlotFormat::kSvg, "title \xc3", {&odd, 1}), "");
  const std::string svg = read(path("odd.svg"));
  EXPECT_EQ(svg.find('\x01'), std::string::npos);
  EXPECT_EQ(svg.find('\xff'), std::string::npos);
  EXPECT_NE(svg.find("byte &amp; \"quote\""), std::string::npos);
  ASSERT_EQ(pictures::write_hydrographs(path("odd.png"), PlotFormat::kPng, "title \xc3", {&odd, 1}), "");
}

}  // namespace
