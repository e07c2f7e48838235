// Contour tracing and the round contour intervals.
#include "maps/contour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

using maps::ContourLine;
using maps::NodePoint;
using maps::trace_contour;

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

TEST(Contour, SaddleIsSplitAsTheCellMeanDecides) {
  // Corners: (1,1) = 1, (2,1) = 0, (2,2) = 1, (1,2) = 0; the mean is 0.5.
  const std::vector<float> v = {1, 0, 0, 1};
  struct Case {
    double level;
    // The two segments, each as its two end points (in any order).
    NodePoint a0, a1, b0, b1;
  };
  const Case cases[] = {
      // Mean above the level: the high corners are joined across the cell and
      // the low corners (2,1) and (1,2) are cut off.
      {0.5, {1.5, 1.0}, {2.0, 1.5}, {1.5, 2.0}, {1.0, 1.5}},
      // Mean below: the high corners (1,1) and (2,2) are cut off.
      {0.75, {1.25, 1.0}, {1.0, 1.25}, {2.0, 1.75}, {1.75, 2.0}},
  };
  for (const Case& k : cases) {
    const std::vector<ContourLine> lines = trace_contour(v, 2, 2, k.level);
    ASSERT_EQ(lines.size(), 2u) << k.level;
    auto joins = [](const ContourLine& l, NodePoint p, NodePoint q) {
      if (l.size() != 2) return false;
      auto same = [](NodePoint a, NodePoint b) { return std::fabs(a.x - b.x) < 1e-12 && std::fabs(a.y - b.y) < 1e-12; };
      return (same(l[0], p) && same(l[1], q)) || (same(l[0], q) && same(l[1], p));
    };
    const bool found = (joins(lines[0], k.a0, k.a1) && joins(lines[1], k.b0, k.b1)) ||
                       (joins(lines[1], k.a0, k.a1) && joins(lines[0], k.b0, k.b1));
    EXPECT_TRUE(found) << "level " << k.level;
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
  for (const Case& k : cases) EXPECT_DOUBLE_EQ(maps::round_interval(k.lo, k.hi, k.intervals), k.expected) << k.lo << " " << k.hi;
}

TEST(Contour, LevelsAreMultiplesStrictlyInside) {
  EXPECT_EQ(maps::contour_levels(2.4, 13, 2), (std::vector<double>{4, 6, 8, 10, 12}));
  EXPECT_EQ(maps::contour_levels(0, 10, 2), (std::vector<double>{2, 4, 6, 8}));
  EXPECT_EQ(maps::contour_levels(-1, 1, 0.5), (std::vector<double>{-0.5, 0, 0.5}));
  const std::vector<double> tenths = maps::contour_levels(0, 1, 0.1);
  ASSERT_EQ(tenths.size(), 9u);
  EXPECT_EQ(tenths[2], 3 * 0.1) << "levels are computed, not accumulated";
  EXPECT_TRUE(maps::contour_levels(0, 1, 0).empty());
  EXPECT_TRUE(maps::contour_levels(1e8, 1e8 + 1e-3, 1e-9).empty()) << "a step too fine gives no levels";
}

TEST(Contour, DecimalsOfRoundSteps) {
  EXPECT_EQ(maps::decimals_for(2), 0);
  EXPECT_EQ(maps::decimals_for(500), 0);
  EXPECT_EQ(maps::decimals_for(2.5), 1);
  EXPECT_EQ(maps::decimals_for(0.25), 2);
  EXPECT_EQ(maps::decimals_for(0.002), 3);
}

}  // namespace
