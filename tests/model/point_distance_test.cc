// The distance from a well to any point: DIST's bits on every node, and the
// same rounding points between nodes.

#include "model/point_distance.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#include "model/drawdown.h"

namespace model {
namespace {

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }

TEST(PointDistance, OnEveryNodeItIsDistBitForBit) {
  std::mt19937 random(20241207);
  std::uniform_real_distribution<float> position(-20.0f, 320.0f);
  std::uniform_int_distribution<std::int32_t> index(-5, 400);
  // Spacings from one foot to beyond 2^53 / index, where a double product of
  // index and spacing would no longer be exact.
  for (std::int32_t spacing : {1, 7, 100, 250, 4093, 7158279, 2147483647}) {
    for (int k = 0; k < 2000; ++k) {
      const std::int32_t i = index(random), j = index(random);
      const float xw = k % 3 == 0 ? std::round(position(random) * 4.0f) / 4.0f : position(random);
      const float yw = position(random);
      ASSERT_EQ(Bits(point_distance(spacing, static_cast<float>(i), static_cast<float>(j), xw, yw)),
                Bits(DIST(spacing, i, j, xw, yw)))
          << "spacing " << spacing << ", node (" << i << ", " << j << "), well (" << xw << ", " << yw << ")";
    }
  }
}

TEST(PointDistance, BetweenNodesItRoundsAtDistsPoints) {
  // The point at (2.5, 3.25) and the well at node (2, 3) are DIST's worked
  // node (2, 3) and well (2.5, 3.25) with the roles exchanged: the offsets
  // change sign only, so the distance is the same 139.75424 feet.
  EXPECT_EQ(Bits(point_distance(250, 2.5f, 3.25f, 2.0f, 3.0f)), Bits(139.75424f));
  EXPECT_EQ(Bits(point_distance(250, 2.5f, 3.25f, 2.0f, 3.0f)), Bits(DIST(250, 2, 3, 2.5f, 3.25f)));
  // A point and a well at the same fractional place, or less than a foot
  // apart: the least distance of 1 foot.
  EXPECT_EQ(point_distance(100, 10.37f, 4.5f, 10.37f, 4.5f), 1.0f);
  EXPECT_EQ(point_distance(100, 10.0f, 4.5f, 10.005f, 4.5f), 1.0f);
  // Each offset is single(single(SPACING * PX) - single(SPACING * XW)),
  // squared in single: here 0.1 node is 10.000000149... feet in single.
  const float xp = static_cast<float>(100.0 * static_cast<double>(3.1f));
  const float dx = static_cast<float>(static_cast<double>(xp) - 100.0);
  const float dx2 = static_cast<float>(static_cast<double>(dx) * dx);
  EXPECT_EQ(Bits(point_squared_offset(100, 3.1f, 1.0f)), Bits(dx2));
  EXPECT_EQ(Bits(point_distance(100, 3.1f, 2.0f, 1.0f, 2.0f)),
            Bits(static_cast<float>(std::sqrt(static_cast<double>(dx2)))));
}

TEST(PointDistance, TheOffsetIsRoundedToSingleBeforeItIsSquared) {
  // 6.37 nodes is 637 feet and 2.35 nodes 234.99998 feet in single: the offset
  // 402.0000153 rounds to 402, whose square and root are exact. Kept in double,
  // the square would round to 161604.016 and the distance to 402.00003.
  EXPECT_EQ(Bits(point_squared_offset(100, 6.37f, 2.35f)), Bits(161604.0f));
  EXPECT_EQ(Bits(point_distance(100, 6.37f, 2.0f, 2.35f, 2.0f)), Bits(402.0f));
  EXPECT_EQ(Bits(point_distance(100, 2.0f, 6.37f, 2.0f, 2.35f)), Bits(402.0f));
}

}  // namespace
}  // namespace model
