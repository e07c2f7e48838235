// Image wells: their places and signs for one line, a quadrant and a strip,
// and where a strip's series may be cut.
#include "scenario/boundaries.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using scenario::Boundary;
using scenario::BoundaryKind;

scenario::ImagePlan plan_of(std::initializer_list<Boundary> boundaries, double x, double y, std::size_t pairs = 0) {
  scenario::ImagePlan plan;
  for (const Boundary& b : boundaries) {
    plan.lines.push_back(*scenario::line_toward(b, x, y));
    plan.sign.push_back(b.kind == BoundaryKind::stream ? -1.0 : 1.0);
  }
  plan.strip = plan.lines.size() == 2 && plan.lines[0].nx * plan.lines[1].nx + plan.lines[0].ny * plan.lines[1].ny < -0.5;
  plan.pairs = pairs;
  return plan;
}

TEST(Boundaries, OneLineMirrorsTheWellWithTheSignOfItsKind) {
  // A stream along x = 100 (given by two points on it), the well at (40, 7).
  const Boundary stream{BoundaryKind::stream, "creek", 100.0, -5.0, 100.0, 50.0};
  const std::vector<scenario::Image> images = scenario::images_of(40.0, 7.0, plan_of({stream}, 40.0, 7.0));
  ASSERT_EQ(images.size(), 1u);
  EXPECT_NEAR(images[0].x, 160.0, 1e-12);
  EXPECT_NEAR(images[0].y, 7.0, 1e-12);
  EXPECT_EQ(images[0].sign, -1.0);
  // A barrier on a slant: the image is as far beyond the line as the well before it.
  const Boundary fault{BoundaryKind::barrier, "fault", 0.0, 0.0, 10.0, 10.0};
  const scenario::ImagePlan plan = plan_of({fault}, 3.0, 1.0);
  const scenario::Image image = scenario::images_of(3.0, 1.0, plan)[0];
  EXPECT_NEAR(image.x, 1.0, 1e-12);
  EXPECT_NEAR(image.y, 3.0, 1e-12);
  EXPECT_EQ(image.sign, 1.0);
  EXPECT_NEAR(plan.lines[0].distance(3.0, 1.0), std::sqrt(2.0), 1e-12) << "the normal points to the well's side";
}

TEST(Boundaries, AQuadrantHasThreeImages) {
  const Boundary x_axis{BoundaryKind::barrier, "south", 0.0, 0.0, 1.0, 0.0};
  const Boundary y_axis{BoundaryKind::stream, "west", 0.0, 0.0, 0.0, 1.0};
  const std::vector<scenario::Image> images = scenario::images_of(3.0, 2.0, plan_of({x_axis, y_axis}, 3.0, 2.0));
  ASSERT_EQ(images.size(), 3u);
  EXPECT_NEAR(images[0].x, 3.0, 1e-12);
  EXPECT_NEAR(images[0].y, -2.0, 1e-12);
  EXPECT_EQ(images[0].sign, 1.0);
  EXPECT_NEAR(images[1].x, -3.0, 1e-12);
  EXPECT_EQ(images[1].sign, -1.0);
  EXPECT_NEAR(images[2].x, -3.0, 1e-12);
  EXPECT_NEAR(images[2].y, -2.0, 1e-12);
  EXPECT_EQ(images[2].sign, -1.0);
}

TEST(Boundaries, AStripsImagesRepeatEveryTwoWidthsWithAlternatingSigns) {
  // A stream at y = 0 and a barrier at y = 10; the well at y = 3. Along y the
  // images lie at 3 + 20k and -3 + 20k: with a stream and a barrier the sign
  // of each pair of reflections is -1.
  const Boundary stream{BoundaryKind::stream, "creek", 0.0, 0.0, 1.0, 0.0};
  const Boundary barrier{BoundaryKind::barrier, "wall", 5.0, 10.0, -5.0, 10.0};
  const scenario::ImagePlan plan = plan_of({stream, barrier}, 0.0, 3.0, 2);
  ASSERT_TRUE(plan.strip);
  const std::vector<scenario::Image> images = scenario::images_of(0.0, 3.0, plan);
  ASSERT_EQ(images.size(), 4u * 2 + 2) << "2N + 1 on each side";
  struct Expected {
    double y, sign;
  };
  const Expected expected[] = {{3.0 - 40.0, 1.0}, {-3.0 - 40.0, -1.0}, {3.0 - 20.0, -1.0}, {-3.0 - 20.0, 1.0},
                               {-3.0, -1.0},      {3.0 + 20.0, -1.0},  {-3.0 + 20.0, 1.0}, {3.0 + 40.0, 1.0},
                               {-3.0 + 40.0, -1.0}, {-3.0 + 60.0, 1.0}};
  for (std::size_t i = 0; i < images.size(); ++i) {
    EXPECT_NEAR(images[i].y, expected[i].y, 1e-12) << i;
    EXPECT_NEAR(images[i].x, 0.0, 1e-12) << i;
    EXPECT_EQ(images[i].sign, expected[i].sign) << i;
  }
}

TEST(Boundaries, AStripIsCutWhereTheImagesLeftOutAreOutOfReach) {
  struct Case {
    double width, reach;
    std::size_t pairs;
  };
  // Left out from pair N + 1 on: (2N + 1) w or more away.
  const Case cases[] = {{100.0, 50.0, 1}, {100.0, 300.0, 1}, {100.0, 301.0, 2}, {100.0, 1e6, 5000}};
  for (const Case& c : cases) EXPECT_EQ(scenario::strip_pairs(c.width, c.reach), c.pairs) << c.reach;
}

}  // namespace
