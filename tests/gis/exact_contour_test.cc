// Exact contour lines of fields with closed-form level sets: every point lies
// on the level within the tolerance, a circle's line at its radius however
// coarse the grid, a ring inside one cell traced around its well, and the
// area inside a level counts a hole out and refuses a region at the edge.
#include "gis/exact_contour.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <optional>
#include <vector>

namespace {

// A grid of 11 x 11 nodes 100 feet apart, node (c, r) at ((c - 1/2) 100, (r - 1/2) 100),
// holding `f` at the nodes in single precision, with one well at map (520, 480).
struct Grid {
  engine::DrawdownGrid DD{11, 11};
  std::vector<engine::Well> wells{engine::Well{5.7f, 5.3f, 1.0f}};
  engine::EvaluatedGrid e;
  explicit Grid(const std::function<double(double, double)>& f) {
    e.NX = e.NY = 11;
    e.SPACING = 100;
    e.DD = &DD;
    e.wells = wells;
    for (int r = 1; r <= 11; ++r)
      for (int c = 1; c <= 11; ++c) DD(c, r) = static_cast<float>(f(e.map_x(c), e.map_y(r)));
  }
};

constexpr double kX0 = 520.0, kY0 = 480.0;

double radius(double x, double y) { return std::hypot(x - kX0, y - kY0); }

// A mound of 10 ft falling as a Gaussian of 200 ft: the level L is the circle
// of radius 200 sqrt(2 ln(10 / L)).
double mound(double x, double y) { return 10.0 * std::exp(-std::pow(radius(x, y), 2) / (2 * 200.0 * 200.0)); }

// A ridge of 10 ft along the circle of radius 300: the level L is two
// circles 80 sqrt(2 ln(10 / L)) either side of it.
double ridge(double x, double y) { return 10.0 * std::exp(-std::pow(radius(x, y) - 300.0, 2) / (2 * 80.0 * 80.0)); }

TEST(ExactContour, EveryLineOfAMoundIsItsCircleAndItsAreaThatOfTheCircle) {
  const Grid g(mound);
  const gis::DrawdownAt at = [](std::size_t, double x, double y) { return mound(x, y); };
  const struct {
    double level;
    bool one_cell;  // the circle fits between the nodes of the well's cell
  } kCases[] = {{5.0, false}, {8.0, false}, {9.9, true}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.level);
    const double exact = 200.0 * std::sqrt(2 * std::log(10.0 / c.level));
    const double levels[] = {c.level};
    const std::vector<gis::ExactLine> lines = gis::exact_contours(std::span(&g.e, 1), levels, at);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].closed);
    EXPECT_GE(lines[0].points.size(), c.one_cell ? 90u : 20u);
    for (const gis::MapPoint& p : lines[0].points) {
      EXPECT_NEAR(mound(p.x, p.y), c.level, gis::kContourTolerance);
      EXPECT_NEAR(radius(p.x, p.y), exact, 1e-4 * exact);
    }
    const std::optional<double> area = gis::area_inside(lines, 0, c.level, g.e);
    ASSERT_TRUE(area);
    EXPECT_NEAR(*area, std::numbers::pi * exact * exact, 1e-3 * std::numbers::pi * exact * exact);
  }
}

TEST(ExactContour, TheAreaInsideARidgeCountsItsHoleOutAndARegionAtTheEdgeHasNone) {
  const Grid g(ridge);
  const gis::DrawdownAt at = [](std::size_t, double x, double y) { return ridge(x, y); };
  const double levels[] = {5.0, 0.5};
  const std::vector<gis::ExactLine> lines = gis::exact_contours(std::span(&g.e, 1), levels, at);
  const double half = 80.0 * std::sqrt(2 * std::log(10.0 / 5.0));
  const double outer = 300.0 + half, inner = 300.0 - half;
  int at_five = 0;
  for (const gis::ExactLine& l : lines) {
    if (l.level != 5.0) continue;
    ++at_five;
    for (const gis::MapPoint& p : l.points) EXPECT_NEAR(ridge(p.x, p.y), 5.0, gis::kContourTolerance);
  }
  EXPECT_EQ(at_five, 2) << "the ring's outer and inner circles";
  const std::optional<double> annulus = gis::area_inside(lines, 0, 5.0, g.e);
  ASSERT_TRUE(annulus);
  const double expected = std::numbers::pi * (outer * outer - inner * inner);
  EXPECT_NEAR(*annulus, expected, 2e-3 * expected);
  // At 0.5 ft the outer circle (about 500 ft out) leaves the grid: no area.
  EXPECT_FALSE(gis::area_inside(lines, 0, 0.5, g.e));
}

TEST(ExactContour, AreasInTheStudysUnits) {
  EXPECT_DOUBLE_EQ(gis::area_in_unit(43560.0 * 2.5, "ft"), 2.5);
  EXPECT_DOUBLE_EQ(gis::area_in_unit(1234.5, "m"), 1234.5);
  EXPECT_EQ(gis::area_unit("ft"), "acres");
  EXPECT_EQ(gis::area_unit("m"), "m2");
}

}  // namespace
