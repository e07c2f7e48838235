// Contour tracing and the round contour intervals.
#include "gis/contour.h"

#include <gtest/gtest.h>

#include <gdal_alg.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using gis::ContourLine;
using gis::NodePoint;
using gis::trace_contour;

// nx * ny values of f(column, row), both from 1, row 1 first.
template <typename F>
std::vector<float> field(int nx, int ny, F f) {
  std::vector<float> v;
  for (int r = 1; r <= ny; ++r)
    for (int c = 1; c <= nx; ++c) v.push_back(static_cast<float>(f(c, r)));
  return v;
}

bool closed(const ContourLine& l) {
  return l.size() > 2 && l.front().x == l.back().x && l.front().y == l.back().y;
}

TEST(Contour, RampGivesOneStraightOpenLineAcrossTheGrid) {
  const std::vector<float> v = field(5, 4, [](int c, int) { return c; });
  const std::vector<ContourLine> lines = trace_contour(v, 5, 4, 2.5);
  ASSERT_EQ(lines.size(), 1u);
  const ContourLine& l = lines[0];
  ASSERT_EQ(l.size(), 4u) << "one point on each row of nodes";
  for (const NodePoint& p : l) EXPECT_DOUBLE_EQ(p.x, 2.5);
  EXPECT_DOUBLE_EQ(std::min(l.front().y, l.back().y), 1.0);
  EXPECT_DOUBLE_EQ(std::max(l.front().y, l.back().y), 4.0);
  for (std::size_t k = 1; k < l.size(); ++k) EXPECT_DOUBLE_EQ(std::fabs(l[k].y - l[k - 1].y), 1.0);
}

TEST(Contour, LevelsOutsideTheValuesGiveNoLine) {
  const std::vector<float> v = field(5, 4, [](int c, int r) { return c + r; });
  EXPECT_TRUE(trace_contour(v, 5, 4, 1.5).empty());
  EXPECT_TRUE(trace_contour(v, 5, 4, 9.5).empty());
  EXPECT_TRUE(trace_contour(v, 1, 4, 2.5).empty()) << "a single column has no cells";
}

TEST(Contour, ConeGivesOneClosedRingAtItsRadius) {
  // A cone of depression: deepest at node (11, 11), falling off linearly.
  const std::vector<float> v = field(21, 21, [](int c, int r) { return 20.0 - std::hypot(c - 11.0, r - 11.0); });
  for (double radius : {1.5, 4.0, 7.3}) {
    const std::vector<ContourLine> lines = trace_contour(v, 21, 21, 20.0 - radius);
    ASSERT_EQ(lines.size(), 1u) << radius;
    const ContourLine& l = lines[0];
    EXPECT_TRUE(closed(l)) << radius;
    for (const NodePoint& p : l) {
      const double d = std::hypot(p.x - 11.0, p.y - 11.0);
      // Between nodes the cone is interpolated linearly, so the ring cuts
      // corners a little but never lies outside its radius.
      EXPECT_LE(d, radius + 1e-9);
      EXPECT_GE(d, radius - 0.25);
    }
    // Every cell edge the ring crosses contributes one point, each once.
    for (std::size_t a = 0; a + 1 < l.size(); ++a)
      for (std::size_t b = a + 1; b + 1 < l.size(); ++b)
        EXPECT_FALSE(l[a].x == l[b].x && l[a].y == l[b].y) << "point repeated at " << a << ", " << b;
  }
}

TEST(Contour, SeparatePeaksGiveSeparateRings) {
  const std::vector<float> v = field(30, 12, [](int c, int r) {
    return std::max(10.0 - std::hypot(c - 7.0, r - 6.0), 10.0 - std::hypot(c - 22.0, r - 6.0));
  });
  const std::vector<ContourLine> lines = trace_contour(v, 30, 12, 7.0);
  ASSERT_EQ(lines.size(), 2u);
  for (const ContourLine& l : lines) EXPECT_TRUE(closed(l));
  const double x0 = lines[0].front().x, x1 = lines[1].front().x;
  EXPECT_TRUE((x0 < 15 && x1 > 15) || (x0 > 15 && x1 < 15)) << "one ring around each peak";
}

TEST(Contour, SaddleIsSplitGdalsWayWhateverItsValues) {
  // A saddle cell is ambiguous between its edges. The hand-written tracer this
  // replaced split it by the mean of its corners; GDAL's generator always cuts
  // off the corners (2, 1) and (1, 2), joining (1, 1) and (2, 2) across the
  // cell, whichever diagonal is high and wherever the level lies. Every point
  // still lies on an edge where the interpolation gives the level.
  struct Case {
    std::vector<float> values;  // (1,1), (2,1), (1,2), (2,2)
    double level;
    // The two segments, each as its two end points (in any order).
    NodePoint a0, a1, b0, b1;
  };
  const Case cases[] = {
      // High corners (1,1) and (2,2): mean 0.5 above, at and below the level.
      {{1, 0, 0, 1}, 0.25, {1.75, 1.0}, {2.0, 1.25}, {1.25, 2.0}, {1.0, 1.75}},
      {{1, 0, 0, 1}, 0.5, {1.5, 1.0}, {2.0, 1.5}, {1.5, 2.0}, {1.0, 1.5}},
      {{1, 0, 0, 1}, 0.75, {1.25, 1.0}, {2.0, 1.75}, {1.75, 2.0}, {1.0, 1.25}},
      // High corners (2,1) and (1,2): the same corners are cut off.
      {{0, 1, 1, 0}, 0.25, {1.25, 1.0}, {2.0, 1.75}, {1.75, 2.0}, {1.0, 1.25}},
      {{0, 1, 1, 0}, 0.75, {1.75, 1.0}, {2.0, 1.25}, {1.25, 2.0}, {1.0, 1.75}},
  };
  for (const Case& k : cases) {
    const std::vector<ContourLine> lines = trace_contour(k.values, 2, 2, k.level);
    ASSERT_EQ(lines.size(), 2u) << k.level;
    auto joins = [](const ContourLine& l, NodePoint p, NodePoint q) {
      if (l.size() != 2) return false;
      auto same = [](NodePoint a, NodePoint b) { return std::fabs(a.x - b.x) < 1e-12 && std::fabs(a.y - b.y) < 1e-12; };
      return (same(l[0], p) && same(l[1], q)) || (same(l[0], q) && same(l[1], p));
    };
    const bool found = (joins(lines[0], k.a0, k.a1) && joins(lines[1], k.b0, k.b1)) ||
                       (joins(lines[1], k.a0, k.a1) && joins(lines[0], k.b0, k.b1));
    EXPECT_TRUE(found) << "values " << k.values[0] << k.values[1] << k.values[2] << k.values[3] << " level "
                       << k.level;
  }
}

TEST(Contour, CellsWithoutFiniteValuesAreLeftOut) {
  std::vector<float> v = field(5, 4, [](int c, int) { return c; });
  v[0] = std::numeric_limits<float>::quiet_NaN();  // node (1, 1)
  std::vector<ContourLine> lines = trace_contour(v, 5, 4, 1.5);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_DOUBLE_EQ(std::min(lines[0].front().y, lines[0].back().y), 2.0) << "the line stops at the left-out cell";
  EXPECT_EQ(lines[0].size(), 3u);

  v = field(5, 6, [](int c, int) { return c; });
  v[12] = std::numeric_limits<float>::infinity();  // node (3, 3)
  lines = trace_contour(v, 5, 6, 2.5);
  ASSERT_EQ(lines.size(), 2u) << "the line is cut in two around the node";
  for (const ContourLine& l : lines) EXPECT_FALSE(closed(l));
}

// GDAL's own lines for `values` at `level`, with no help: the generator
// called as a program would call it, node (c, r) at (c, r).
std::vector<ContourLine> gdal_alone(const std::vector<float>& values, int nx, int ny, double level) {
  GDALAllRegister();  // this test reads with GDAL itself
  std::vector<double> cells(values.begin(), values.end());
  GDALDatasetUniquePtr raster(GetGDALDriverManager()->GetDriverByName("MEM")->Create("", nx, ny, 1, GDT_Float64, nullptr));
  double transform[6] = {0.5, 1.0, 0.0, 0.5, 0.0, 1.0};
  raster->SetGeoTransform(transform);
  EXPECT_EQ(raster->GetRasterBand(1)->RasterIO(GF_Write, 0, 0, nx, ny, cells.data(), nx, ny, GDT_Float64, 0, 0, nullptr),
            CE_None);
  GDALDatasetUniquePtr vector(GetGDALDriverManager()->GetDriverByName("Memory")->Create("", 0, 0, 0, GDT_Unknown, nullptr));
  OGRLayer* layer = vector->CreateLayer("c", nullptr, wkbLineString, nullptr);
  char option[64];
  std::snprintf(option, sizeof option, "FIXED_LEVELS=%.17g", level);
  const char* const options[] = {option, nullptr};
  EXPECT_EQ(GDALContourGenerateEx(GDALRasterBand::ToHandle(raster->GetRasterBand(1)), OGRLayer::ToHandle(layer), options,
                                  nullptr, nullptr),
            CE_None);
  std::vector<ContourLine> lines;
  for (auto& f : *layer) {
    const OGRLineString* l = f->GetGeometryRef()->toLineString();
    ContourLine line;
    for (int k = 0; k < l->getNumPoints(); ++k) line.push_back({l->getX(k), l->getY(k)});
    lines.push_back(line);
  }
  return lines;
}

// The cases where GDAL's generator alone draws lines off the grid's linear
// interpolation, and trace_contour (GDAL's generator, given the field less
// the level and scaled, its lines cut to the nodes) does not.
TEST(Contour, GdalAloneMovesLinesNearTheLevelAndPastTheNodes) {
  // GDAL moves every node value within 1e-6 of the level by 1e-6 first. Nodes
  // a millionth of a foot either side of 0: the 0-ft line is lost.
  const std::vector<float> tiny = {-5e-7f, 5e-7f, -5e-7f, 5e-7f};
  EXPECT_TRUE(gdal_alone(tiny, 2, 2, 0.0).empty()) << "GDAL no longer loses this line: trace_contour's shift can go";
  std::vector<ContourLine> lines = trace_contour(tiny, 2, 2, 0.0);
  ASSERT_EQ(lines.size(), 1u);
  for (const NodePoint& p : lines[0]) EXPECT_EQ(p.x, 1.5);

  // Nodes 5 thousandths either side: GDAL puts the line 1e-4 node off.
  const std::vector<float> small = {-5e-3f, 5e-3f, -5e-3f, 5e-3f};
  lines = gdal_alone(small, 2, 2, 0.0);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_GT(std::fabs(lines[0][1].x - 1.5), 5e-5);
  lines = trace_contour(small, 2, 2, 0.0);
  ASSERT_EQ(lines.size(), 1u);
  for (const NodePoint& p : lines[0]) EXPECT_NEAR(p.x, 1.5, 1e-15);

  // A node on the level: GDAL moves the line off it; here it passes through.
  const std::vector<float> ramp = {1, 2, 3, 1, 2, 3};
  lines = gdal_alone(ramp, 3, 2, 2.0);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0][1].x, 2.0);
  // GDAL's line also runs on half a node beyond the outer nodes (rows 0.5 and
  // 2.5 here), where the grid has no values; trace_contour's ends at rows 1 and 2.
  EXPECT_EQ(std::min(lines[0].front().y, lines[0].back().y), 0.5);
  lines = trace_contour(ramp, 3, 2, 2.0);
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 2u);
  for (const NodePoint& p : lines[0]) EXPECT_EQ(p.x, 2.0);
  EXPECT_EQ(std::min(lines[0].front().y, lines[0].back().y), 1.0);
  EXPECT_EQ(std::max(lines[0].front().y, lines[0].back().y), 2.0);
}

TEST(Contour, ZeroLineBetweenEqualPumpingAndInjectionStaysOnTheBisector) {
  // A leaky aquifer's drawdown dies away within a few nodes: a pumping well at
  // node (6, 11) and an injecting well of the same rate at (16, 11). Columns
  // c and 22 - c hold exactly opposite values, column 11 exactly 0, and far
  // from the wells the values fall below a millionth of a foot.
  const auto well = [](double c, double r, double cx) { return 3.0 * std::exp(-std::hypot(c - cx, r - 11.0) / 0.7); };
  std::vector<float> v;
  for (int r = 1; r <= 21; ++r)
    for (int c = 1; c <= 21; ++c) {
      const float a = static_cast<float>(well(c, r, 6.0)), b = static_cast<float>(well(c, r, 16.0));
      v.push_back(c <= 11 ? a - b : -(static_cast<float>(well(22 - c, r, 6.0)) - static_cast<float>(well(22 - c, r, 16.0))));
    }
  ASSERT_LT(std::fabs(v[0]), 1e-6f) << "the far corners hold less than a millionth of a foot";
  const std::vector<ContourLine> lines = trace_contour(v, 21, 21, 0.0);
  ASSERT_EQ(lines.size(), 1u);
  double lowest = 99, highest = 0;
  for (const NodePoint& p : lines[0]) {
    EXPECT_EQ(p.x, 11.0) << "at row " << p.y;
    lowest = std::min(lowest, p.y), highest = std::max(highest, p.y);
  }
  EXPECT_EQ(lowest, 1.0);
  EXPECT_EQ(highest, 21.0);

  // GDAL alone bends the line off the bisector where the values are small.
  double worst = 0;
  for (const ContourLine& line : gdal_alone(v, 21, 21, 0.0))
    for (const NodePoint& p : line)
      if (p.y >= 1 && p.y <= 21) worst = std::max(worst, std::fabs(p.x - 11.0));
  EXPECT_GT(worst, 0.5) << "GDAL alone kept the 0-ft line within half a node of the bisector";
}

TEST(Contour, RoundIntervals) {
  struct Case {
    double lo, hi;
    int intervals;
    double expected;
  };
  const Case cases[] = {
      {0, 10, 10, 1},        {0, 27.3, 10, 5},     {2.4, 13, 12, 1},      {2.4, 13, 10, 2},
      {-3, 0.4, 10, 0.5},    {0, 0.0123, 10, 0.002}, {100, 350, 10, 25},  {0, 1e6, 5, 200000},
      {5, 5, 10, 0},         {6, 5, 10, 0},        {0, NAN, 10, 0},       {0, INFINITY, 10, 0},
  };
  for (const Case& k : cases) EXPECT_DOUBLE_EQ(gis::round_interval(k.lo, k.hi, k.intervals), k.expected) << k.lo << " " << k.hi;
}

TEST(Contour, LevelsAreMultiplesStrictlyInside) {
  EXPECT_EQ(gis::contour_levels(2.4, 13, 2), (std::vector<double>{4, 6, 8, 10, 12}));
  EXPECT_EQ(gis::contour_levels(0, 10, 2), (std::vector<double>{2, 4, 6, 8}));
  EXPECT_EQ(gis::contour_levels(-1, 1, 0.5), (std::vector<double>{-0.5, 0, 0.5}));
  const std::vector<double> tenths = gis::contour_levels(0, 1, 0.1);
  ASSERT_EQ(tenths.size(), 9u);
  EXPECT_EQ(tenths[2], 3 * 0.1) << "levels are computed, not accumulated";
  EXPECT_TRUE(gis::contour_levels(0, 1, 0).empty());
  EXPECT_TRUE(gis::contour_levels(1e8, 1e8 + 1e-3, 1e-9).empty()) << "a step too fine gives no levels";
}

TEST(Contour, DecimalsOfRoundSteps) {
  EXPECT_EQ(gis::decimals_for(2), 0);
  EXPECT_EQ(gis::decimals_for(500), 0);
  EXPECT_EQ(gis::decimals_for(2.5), 1);
  EXPECT_EQ(gis::decimals_for(0.25), 2);
  EXPECT_EQ(gis::decimals_for(0.002), 3);
}

}  // namespace
