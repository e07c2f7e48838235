// The exact mode's drawdown formula (model/true_drawdown.h): its units and
// the least distance, on cases worked by hand.

#include "model/true_drawdown.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace model {
namespace {

TEST(TrueDrawdown, DistanceIsTheOffsetsLengthButAtLeastOneFoot) {
  struct Case {
    double dx, dy, r;
  };
  const Case cases[] = {{3.0, 4.0, 5.0}, {-300.0, 400.0, 500.0}, {0.0, 0.0, 1.0},
                        {0.6, -0.8, 1.0}, {0.5, 0.5, 1.0},      {1e4, 0.0, 1e4}};
  for (const Case& c : cases) EXPECT_EQ(true_distance(c.dx, c.dy), c.r) << c.dx << ", " << c.dy;
}

// Published arguments back from the formula: a well 100 ft away, the time and
// leakance chosen for u and r/B, the rate chosen so that s is W in feet.
TEST(TrueDrawdown, ArgumentsAndDrawdownInFieldUnits) {
  struct Case {
    double u, rb;
  };
  const double T = 10000.0, S = 0.001, r = 100.0;
  for (const Case& c : {Case{0.01, 0.0}, Case{0.5, 0.5}, Case{1e-4, 2.0}}) {
    const double t = 1.87025 * r * r * S / (T * c.u);  // days
    EXPECT_NEAR(true_u(r, S, T, t), c.u, 1e-15 * c.u);
    const double leakance = T * (c.rb / r) * (c.rb / r);
    EXPECT_NEAR(r / leakage_factor(T, leakance), c.rb, 1e-15);
  }
  EXPECT_EQ(leakage_factor(T, 0.0), std::numeric_limits<double>::infinity());  // r/B = 0 without leakage
  // 1440 T / 114.59156 gallons per day give s = W feet.
  EXPECT_NEAR(true_drawdown(1440.0 * T / 114.59156, 0.8190345, T), 0.8190345, 1e-15);
  EXPECT_NEAR(true_drawdown(-2.0 * 1440.0 * T / 114.59156, 0.25, T), -0.5, 1e-15);
}

}  // namespace
}  // namespace model
