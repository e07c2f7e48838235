// What the picture shows a reader, read from its layout and its labels: the
// colour tables, the colour range and palette, the contour levels and their
// labels, the numbers and names beside the marks, the scale bar and the texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "gis/contour.h"
#include "pictures/colour_scale.h"
#include "pictures/plot.h"
#include "pictures/plot_labels.h"
#include "pictures/plot_layout.h"
#include "plot_scene.h"

namespace {

using pictures::Palette;
using pictures::PlotFormat;
using plot_testing::cone;
using plot_testing::Scene;
namespace picture = pictures::picture;

void expect_hex(const pictures::Rgb& c, std::uint32_t hex, double tolerance, const std::string& where) {
  EXPECT_NEAR(c.r * 255, (hex >> 16) & 0xff, tolerance) << where;
  EXPECT_NEAR(c.g * 255, (hex >> 8) & 0xff, tolerance) << where;
  EXPECT_NEAR(c.b * 255, hex & 0xff, tolerance) << where;
}

TEST(ColourScale, FollowsViridisFromDarkToLight) {
  // The scale's published colours at tenths, from #440154 to #fde725.
  const std::uint32_t published[] = {0x440154, 0x482475, 0x414487, 0x355f8d, 0x2a788e, 0x21918c,
                                     0x22a884, 0x44bf70, 0x7ad151, 0xbddf26, 0xfde725};
  for (int k = 0; k <= 10; ++k) expect_hex(pictures::viridis(k / 10.0), published[k], 1.5, std::to_string(k));
  // The table's own ends, exactly.
  EXPECT_DOUBLE_EQ(pictures::viridis(0).r, 0.267004);
  EXPECT_DOUBLE_EQ(pictures::viridis(1).g, 0.906157);
  // Lightness rises all the way, so the scale reads in greyscale too.
  double last = -1;
  for (int k = 0; k <= 255; ++k) {
    const pictures::Rgb c = pictures::viridis(k / 255.0);
    const double luma = 0.2126 * c.r + 0.7152 * c.g + 0.0722 * c.b;
    EXPECT_GT(luma, last) << k;
    last = luma;
  }
  EXPECT_EQ(pictures::viridis(-3).r, pictures::viridis(0).r);
  EXPECT_EQ(pictures::viridis(7).g, pictures::viridis(1).g);
  EXPECT_EQ(pictures::viridis(NAN).b, pictures::viridis(0).b);
}

TEST(ColourScale, DivergingIsColorBrewersRdBuFromBlueToRed) {
  const std::uint32_t published[] = {0x053061, 0x2166ac, 0x4393c3, 0x92c5de, 0xd1e5f0, 0xf7f7f7,
                                     0xfddbc7, 0xf4a582, 0xd6604d, 0xb2182b, 0x67001f};
  for (int k = 0; k <= 10; ++k) expect_hex(pictures::diverging(k / 10.0), published[k], 1e-9, std::to_string(k));
  expect_hex(pictures::diverging(NAN), 0xf7f7f7, 1e-9, "not a number is the centre");
}

TEST(ColourScale, DivergingScaleIsCentredOnZero) {
  const pictures::ColourScale s{Palette::kDiverging, -2.0, 10.0};
  EXPECT_DOUBLE_EQ(s.position(0.0), 0.5);
  expect_hex(s.colour(0.0), 0xf7f7f7, 1e-9, "no change");
  // A rise and a drawdown of the same size: mirrored places, so the same
  // depth of blue and of red.
  for (double v : {0.5, 1.0, 2.0}) EXPECT_DOUBLE_EQ(s.position(v) + s.position(-v), 1.0) << v;
  EXPECT_DOUBLE_EQ(s.position(10.0), 1.0);
  EXPECT_DOUBLE_EQ(s.position(-2.0), 0.4);  // the rise uses only the light blues
  // Beyond an end, the end's colour.
  expect_hex(s.colour(-7.0), 0, 255, "");
  EXPECT_DOUBLE_EQ(s.colour(-7.0).b, s.colour(-2.0).b);
  EXPECT_DOUBLE_EQ(s.colour(25.0).r, s.colour(10.0).r);
  const pictures::ColourScale v{Palette::kViridis, 2.0, 6.0};
  EXPECT_DOUBLE_EQ(v.position(2.0), 0.0);
  EXPECT_DOUBLE_EQ(v.position(5.0), 0.75);
}

TEST(PlotLayout, SameScaleBothWaysAndEveryWellAndMarkerShown) {
  Scene s(40, 30, 100);
  pictures::PlotLayout l = pictures::plot_layout(s.e);
  EXPECT_DOUBLE_EQ(l.x0, 2150100);
  EXPECT_DOUBLE_EQ(l.x1, 2154000);
  EXPECT_DOUBLE_EQ(l.y0, 720100);
  EXPECT_DOUBLE_EQ(l.y1, 723000);
  EXPECT_NEAR(l.map_width / (l.x1 - l.x0), l.map_height / (l.y1 - l.y0), 1e-9);
  EXPECT_GT(l.bar_left, l.map_left + l.map_width);
  EXPECT_LE(l.bar_left + l.bar_width, l.width);

  // A well or a named point outside the nodes widens the map to show it.
  s.set_wells({{10.5f, 12.0f, 250000}, {-20.0f, 45.0f, -90000}});
  l = pictures::plot_layout(s.e);
  EXPECT_LT(l.x0, 2150000 - 2000);
  EXPECT_GT(l.y1, 720000 + 4500);
  EXPECT_DOUBLE_EQ(l.x1, 2154000);
  EXPECT_NEAR(l.map_width / (l.x1 - l.x0), l.map_height / (l.y1 - l.y0), 1e-9);
  pictures::PlotOptions o;
  o.markers = {{2160000, 721000, "far receptor"}};
  l = pictures::plot_layout(s.e, o);
  EXPECT_GT(l.x1, 2160000);

  // A single node is shown as one cell around it, at the same scale.
  Scene one(1, 1, 50);
  l = pictures::plot_layout(one.e);
  EXPECT_DOUBLE_EQ(l.x1 - l.x0, 50);
  EXPECT_DOUBLE_EQ(l.y1 - l.y0, 50);

  // A thin grid keeps its scale and gets room around it.
  Scene thin(300, 1, 100);
  l = pictures::plot_layout(thin.e);
  EXPECT_GE(l.map_height, picture::kMapMinSide - 1e-9);
  EXPECT_NEAR(l.map_width / (l.x1 - l.x0), l.map_height / (l.y1 - l.y0), 1e-9);
}

TEST(PlotLayout, RangeSpansTheDrawdownsWithRoundContourLevels) {
  Scene s(10, 5, 100);
  s.fill([](int c, int) { return 0.5 + c * 1.25; });  // 1.75 .. 13
  pictures::PlotLayout l = pictures::plot_layout(s.e);
  EXPECT_EQ(l.colours.palette, Palette::kViridis) << "one sign";
  EXPECT_DOUBLE_EQ(l.colours.lo, 1.75);
  EXPECT_DOUBLE_EQ(l.colours.hi, 13.0);
  EXPECT_FALSE(l.clipped_low || l.clipped_high);
  EXPECT_DOUBLE_EQ(l.interval, 1.0);
  EXPECT_EQ(l.levels, (std::vector<double>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
  EXPECT_EQ(picture::contours_key_text(l), "contours every 1 ft");
  const picture::BarEndTexts ends = picture::bar_end_texts(l);
  EXPECT_EQ(ends.lo, "1.8");  // the range's ends, one digit finer than the levels
  EXPECT_EQ(ends.hi, "13.0");
  EXPECT_EQ(ends.above, "");

  // Rise and drawdown: the diverging palette.
  s.fill([](int c, int) { return -2.0 + c * 1.5; });  // -0.5 .. 13
  l = pictures::plot_layout(s.e);
  EXPECT_EQ(l.colours.palette, Palette::kDiverging);
  EXPECT_DOUBLE_EQ(l.colours.lo, -0.5);
  EXPECT_DOUBLE_EQ(l.interval, 2.0);
  EXPECT_EQ(picture::bar_end_texts(l).lo, "\u22120.5");

  // A flat field still has a scale with two ends.
  Scene flat(4, 4, 100);
  const pictures::PlotLayout f = pictures::plot_layout(flat.e);
  EXPECT_LT(f.colours.lo, 0.0);
  EXPECT_GT(f.colours.hi, 0.0);
}

TEST(PlotLayout, RangeLeavesOutTheCellOfAWellAtANode) {
  // A cone whose peak cell is a well's node: the node's drawdown, taken at a
  // one-foot distance, is far above its neighbours'.
  struct Case {
    const char* what;
    engine::Well well;
    bool at_node;
  };
  const Case cases[] = {
      {"a pumping well on node (8, 6)", {8.0f, 6.0f, 250000}, true},
      {"a well less than a foot off the node", {8.005f, 6.0f, 250000}, true},
      {"a well between nodes", {8.5f, 6.0f, 250000}, false},
  };
  for (const Case& k : cases) {
    Scene s(15, 11, 100);
    s.fill(cone(8, 6, 10));  // 10 at the node, at most 5 elsewhere
    (*s.dd)(8, 6) = 40.0f;
    s.set_wells({k.well});
    const pictures::PlotLayout l = pictures::plot_layout(s.e);
    EXPECT_DOUBLE_EQ(l.data_hi, 40.0) << k.what;
    EXPECT_DOUBLE_EQ(l.colours.hi, k.at_node ? 5.0 : 40.0) << k.what;
    EXPECT_EQ(l.clipped_high, k.at_node) << k.what;
    EXPECT_FALSE(l.clipped_low) << k.what;
    EXPECT_EQ(picture::bar_end_texts(l).above, k.at_node ? "max 40.00" : "") << k.what;
    EXPECT_LE(l.levels.back(), l.colours.hi) << k.what;
  }

  // Likewise the lowest cell at an injecting well's node; only one cell each.
  Scene s(15, 11, 100);
  s.fill(cone(8, 6, 10));
  (*s.dd)(3, 3) = -30.0f;
  (*s.dd)(12, 9) = -20.0f;
  s.set_wells({{3.0f, 3.0f, -100000}, {12.0f, 9.0f, -100000}});
  const pictures::PlotLayout l = pictures::plot_layout(s.e);
  EXPECT_DOUBLE_EQ(l.colours.lo, -20.0);
  EXPECT_TRUE(l.clipped_low);
  EXPECT_EQ(picture::bar_end_texts(l).below, "min \u221230.00");
  EXPECT_EQ(l.colours.palette, Palette::kDiverging);
}

TEST(PlotLayout, ChosenRangeAndLevels) {
  Scene s(15, 11, 100);
  s.fill(cone(8, 6, 10));  // 10 at the peak, 1.2 at the far corners
  pictures::PlotOptions o;
  o.range = std::pair{2.0, 6.0};
  pictures::PlotLayout l = pictures::plot_layout(s.e, o);
  EXPECT_DOUBLE_EQ(l.colours.lo, 2.0);
  EXPECT_DOUBLE_EQ(l.colours.hi, 6.0);
  EXPECT_TRUE(l.clipped_low && l.clipped_high);
  EXPECT_EQ(picture::bar_end_texts(l).above, "max 10.0");
  // The range changes the colours, not the lines: round levels over the
  // grid's 1.2 to 10 feet, a foot apart, as the contour layer has them.
  EXPECT_EQ(l.levels, (std::vector<double>{2, 3, 4, 5, 6, 7, 8, 9}));
  EXPECT_EQ(l.interval, 1.0);

  // Levels given by the caller, in any order: exactly those, labelled with the
  // digits the finest needs; negative levels allowed.
  o = {};
  o.levels = {5, 1, 10, -0.5};
  l = pictures::plot_layout(s.e, o);
  EXPECT_EQ(l.levels, (std::vector<double>{-0.5, 1, 5, 10}));
  EXPECT_EQ(l.interval, 0.0);
  EXPECT_EQ(l.level_decimals, 1);
  EXPECT_EQ(picture::contours_key_text(l), "contours at \u22120.5, 1.0, 5.0, 10.0 ft");
  o.levels = {1, 2, 3, 4, 5, 6, 8, 10};
  EXPECT_EQ(picture::contours_key_text(pictures::plot_layout(s.e, o)), "contours at 1, 2, 3, \u2026, 10 ft");
}

TEST(PlotLayout, ScaleBarIsARoundLengthForTheGridsWidth) {
  struct Case {
    std::int32_t nx, spacing;
    double feet, miles;
  };
  const Case cases[] = {
      {40, 100, 1000, 0},     // 3,900 ft across
      {12, 100, 200, 0},      // 1,100 ft
      {300, 100, 5000, 1},    // 29,900 ft: 5.7 miles, a miles bar too
      {300, 300, 20000, 5},   // 89,700 ft
      {60, 5, 50, 0},         // 295 ft
      {2, 1, 0.5, 0},         // 1 ft, widened to show as a thin map
  };
  for (const Case& k : cases) {
    Scene s(k.nx, 20, k.spacing);
    const pictures::PlotLayout l = pictures::plot_layout(s.e);
    const double width = l.x1 - l.x0;
    EXPECT_DOUBLE_EQ(l.scale_feet, k.feet) << k.nx << " x " << k.spacing;
    EXPECT_DOUBLE_EQ(l.scale_miles, k.miles) << k.nx << " x " << k.spacing;
    // A third of the map's width at most, and not less than an eighth.
    EXPECT_LE(l.scale_feet, width / 3) << k.nx;
    EXPECT_GT(l.scale_feet, width / 8) << k.nx;
    // Drawn at the map's scale.
    EXPECT_NEAR(l.scale_feet * l.points_per_foot(), l.map_width * l.scale_feet / width, 1e-9);
  }
}

// Every level whose line shows on the map gets a label with its value, on
// the map and clear of the other labels.
void expect_every_level_labelled(const Scene& s, const pictures::PlotOptions& o, const std::string& what) {
  const pictures::PlotLayout l = pictures::plot_layout(s.e, o);
  picture::Context cr = picture::measuring_context();
  const std::vector<picture::PictureLine> lines = picture::picture_contours(s.e, l);
  const std::vector<picture::Mark> marks = picture::well_marks(s.e, l, o);
  const std::vector<picture::MarkLabel> taken = picture::place_mark_labels(cr.get(), marks, l);
  const std::vector<picture::ContourLabel> labels = picture::place_contour_labels(cr.get(), lines, l, marks, taken);

  std::set<std::string> shown, labelled;
  for (const picture::PictureLine& line : lines)
    if (picture::visible_line(line)) shown.insert(picture::level_text(line.level, l.level_decimals));
  for (const picture::ContourLabel& b : labels) {
    labelled.insert(b.text);
    EXPECT_GT(b.x, l.map_left) << what;
    EXPECT_LT(b.x, l.map_left + l.map_width) << what;
    EXPECT_GT(b.y, l.map_top) << what;
    EXPECT_LT(b.y, l.map_top + l.map_height) << what;
    for (const picture::ContourLabel& o : labels)
      if (&o != &b) {
        EXPECT_GT(std::hypot(o.x - b.x, o.y - b.y), (b.width + o.width) / 4) << what << " " << b.text;
      }
  }
  EXPECT_FALSE(shown.empty()) << what;
  EXPECT_EQ(labelled, shown) << what;
}

TEST(ContourLabels, EveryLevelShownIsLabelled) {
  Scene s(41, 31, 50);
  s.fill([](int c, int r) { return 12.0 / (1.0 + 0.15 * std::hypot(c - 14.0, r - 16.0)) -
                                   4.0 / (1.0 + 0.3 * std::hypot(c - 33.0, r - 8.0)); });
  s.set_wells({{14.0f, 16.0f, 300000}, {33.0f, 8.0f, -100000}});
  expect_every_level_labelled(s, {}, "round levels");
  pictures::PlotOptions o;
  o.levels = {-1, 1, 5, 10};
  expect_every_level_labelled(s, o, "levels 1, 5, 10 and a rise of 1");

  // A small ring around a well, with no room for its label along it clear of
  // the well's mark, is labelled beside it.
  Scene small(30, 30, 100);
  small.fill(cone(15, 15, 3));
  small.set_wells({{15.0f, 15.0f, 1000}});
  o.levels = {2.2, 1.0};
  expect_every_level_labelled(small, o, "a small ring");
}

TEST(MarkLabels, NumbersOrNamesBesideTheMarksNeverOverlapping) {
  Scene s(40, 30, 100);
  s.set_wells({{10.0f, 10.0f, 1000}, {20.0f, 20.0f, -1000}, {30.0f, 5.0f, 0}, {20.2f, 20.1f, 500}});
  pictures::PlotOptions o;
  const pictures::PlotLayout l = pictures::plot_layout(s.e, o);
  picture::Context cr = picture::measuring_context();
  std::vector<picture::Mark> marks = picture::well_marks(s.e, l, o);
  ASSERT_EQ(marks.size(), 4u);
  EXPECT_EQ(marks[0].text, "1");
  EXPECT_EQ(marks[3].text, "4");
  std::vector<picture::MarkLabel> labels = picture::place_mark_labels(cr.get(), marks, l);
  ASSERT_EQ(labels.size(), 4u) << "wells 2 and 4 share a corner, each finds one";
  for (const picture::MarkLabel& a : labels)
    for (const picture::MarkLabel& b : labels)
      if (&a != &b) {
        EXPECT_TRUE(a.left >= b.left + b.width || b.left >= a.left + a.width || a.top >= b.top + b.height ||
                    b.top >= a.top + a.height)
            << a.text << " and " << b.text;
      }
  // Beside its mark: within a few points.
  for (std::size_t k = 0; k < labels.size(); ++k) {
    const auto [x, y] = marks[k].at;
    EXPECT_LT(std::hypot(std::clamp(x, labels[k].left, labels[k].left + labels[k].width) - x,
                         std::clamp(y, labels[k].top, labels[k].top + labels[k].height) - y),
              picture::kMarkerRadius + 6)
        << labels[k].text;
  }

  // Names given by the caller, for the wells and for named points.
  o.well_names = {"PW-1", "IW-2"};
  o.markers = {{2151500, 722000, "Spring A"}};
  marks = picture::well_marks(s.e, l, o);
  EXPECT_EQ(marks[0].text, "PW-1");
  EXPECT_EQ(marks[1].text, "IW-2");
  EXPECT_EQ(marks[2].text, "3") << "a well without a name keeps its number";
  const std::vector<picture::Mark> named = picture::named_marks(l, o);
  ASSERT_EQ(named.size(), 1u);
  EXPECT_EQ(named[0].text, "Spring A");
  EXPECT_DOUBLE_EQ(named[0].at.first, l.to_x(2151500));
}

TEST(PlotText, TitleAndSubtitleSayTheTimeAndTheInput) {
  Scene s(40, 30, 100);
  EXPECT_EQ(picture::title_text(s.e), "Drawdown after 30 days of pumping");
  s.e.TIME = 1;
  EXPECT_EQ(picture::title_text(s.e), "Drawdown after 1 day of pumping");
  const std::string sub = picture::subtitle_text(s.e, "wellfield.dat");
  EXPECT_EQ(sub.rfind("wellfield.dat  \u00b7  T\u00a0=\u00a050000\u00a0gpd/ft", 0), 0u) << sub;
  EXPECT_NE(sub.find("40\u00a0\u00d7\u00a030\u00a0nodes"), std::string::npos) << sub;
  EXPECT_EQ(picture::subtitle_text(s.e, "").rfind("T\u00a0=", 0), 0u);
  // Numbers as the picture writes them.
  EXPECT_EQ(picture::fixed(-0.04, 1), "0.0");
  EXPECT_EQ(picture::fixed(-2.5, 1), "\u22122.5");
  EXPECT_EQ(picture::fixed(-2150000, 0), "\u22122,150,000");
  // Wrapped at the width given: a long subtitle takes more lines, none wider.
  picture::Context cr = picture::measuring_context();
  const picture::TextSize one = picture::measure(cr.get(), sub, picture::kSubtitleFont);
  const picture::TextSize wrapped = picture::measure(cr.get(), sub, picture::kSubtitleFont, one.width / 2);
  EXPECT_GT(wrapped.height, 1.9 * one.height);
  EXPECT_LE(wrapped.width, one.width / 2);
}

}  // namespace

namespace {

// The colour bar is ticked at regular round values whatever the contour
// levels are, so that its colours can be read.
TEST(PlotLayout, TheColourBarIsTickedAtRoundValues) {
  struct Case {
    double lo, hi;
    std::vector<double> ticks;
    int decimals;
  };
  const Case cases[] = {
      {6.0, 25.6, {10, 15, 20, 25}, 0},   // chosen levels 6.0 / 10 / 25.6 do not set the ticks
      {6.1, 13.8, {8, 10, 12}, 0},
      {-2.0, 0.9, {-2, -1.5, -1, -0.5, 0, 0.5}, 1},
      {0.0, 0.0, {}, 0},                  // no range: no ticks
  };
  for (const Case& c : cases) {
    pictures::PlotLayout l;
    l.colours.lo = c.lo;
    l.colours.hi = c.hi;
    l.levels = {6.0, 10.0, 25.6};
    const std::vector<double> got = pictures::picture::bar_ticks(l);
    ASSERT_EQ(got.size(), c.ticks.size()) << c.lo << " .. " << c.hi;
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], c.ticks[k], 1e-9) << c.lo << " .. " << c.hi;
    if (!got.empty()) {
      EXPECT_EQ(pictures::picture::bar_tick_decimals(l), c.decimals);
    }
  }
}

// The picture draws the contour layer's lines: the same round levels, which
// leave out a well node's own drawdown.
TEST(ContourLevels, TheLayerAndThePictureShareRoundLevelsThatLeaveOutAWellNode) {
  plot_testing::Scene g(5, 4, 100);
  g.fill([](int c, int r) { return 13.0 - 3.5 * std::hypot(c - 3, r - 2); });
  (*g.dd)(3, 2) = 400.0f;  // the well's own node, its drawdown at a foot from it
  g.set_wells({{3.0f, 2.0f, 100000.0f}});
  const std::vector<double> levels = gis::levels_for(std::span(&g.e, 1), {});
  ASSERT_FALSE(levels.empty());
  EXPECT_LT(levels.back(), 9.5) << "the well node's 400 ft sets no level: the rest reach 9.5";
  pictures::PlotOptions fixed_range;
  fixed_range.range = std::pair{0.0, 100.0};
  EXPECT_EQ(pictures::plot_layout(g.e, fixed_range).levels, levels) << "the picture draws the layer's lines";
  EXPECT_EQ(pictures::plot_layout(g.e).levels, levels);
}

}  // namespace
