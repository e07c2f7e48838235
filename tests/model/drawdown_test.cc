// The node distance DIST and the well drawdown DRAWDN, and
// the pieces DRAWDN is composed of.

#include "model/drawdown.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "model/well_function.h"
#include "shown_digits.h"

namespace model {
namespace {

using testing::SameBits;
using testing::ShowsAs;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

// --- DIST --------------------------------------------------------------------

struct DistRow {
  std::int32_t spacing, i, j;
  float xw, yw;
  float R;  // exact single

  friend void PrintTo(const DistRow& row, std::ostream* os) {
    *os << "SPACING " << row.spacing << ", node (" << row.i << ", " << row.j << "), well (" << row.xw << ", "
        << row.yw << ")";
  }
};

class DistList : public ::testing::TestWithParam<DistRow> {};

TEST_P(DistList, MatchesKnownValues) {
  const DistRow& row = GetParam();
  EXPECT_TRUE(SameBits(DIST(row.spacing, row.i, row.j, row.xw, row.yw), row.R));
}

INSTANTIATE_TEST_SUITE_P(WorkedDistances, DistList,
                         ::testing::Values(                               //
                             DistRow{100, 3, 4, 3.0f, 4.0f, 1.0f},        // node at the well
                             DistRow{100, 1, 1, 4.0f, 5.0f, 500.0f},      //
                             DistRow{1, 1, 1, 1.5f, 1.5f, 1.0f},          // 0.7071 raised to 1
                             DistRow{100, 1, 1, 1.0f, 1.005f, 1.0f},      // about 0.5 raised to 1
                             DistRow{250, 2, 3, 2.5f, 3.25f, 139.75424f}  //
                             ));

// i * SPACING is formed in 64 bits: no signed overflow (the sanitizer build
// traps on one), and the node position is the product rounded to single.
TEST(DistNodePositions, NoOverflowForAnySpacing) {
  // Index 300 with SPACING 7,158,279 overflows 32 bits; the node then lies at
  // 2,147,483,700 feet, single 2147483648.
  EXPECT_TRUE(SameBits(DIST(7158279, 300, 0, 0.0f, 0.0f), 2147483648.0f));
  EXPECT_TRUE(SameBits(DIST(kInt32Max, kInt32Max, 0, 0.0f, 0.0f), 4.6116860e18f));
  EXPECT_TRUE(SameBits(DIST(kInt32Min, kInt32Min, 0, 0.0f, 0.0f), 4.6116860e18f));
  // Within 32 bits, the 64-bit product equals the 32-bit one.
  EXPECT_TRUE(SameBits(DIST(7158278, 300, 0, 0.0f, 0.0f), 2147483392.0f));
}

// --- DRAWDN: the reference table --------------------------------------------

struct DrawdnRow {
  float T, S, TIME, LEAK, Q, R;
  std::string u, B, rB, W, s;  // as shown in the table

  friend void PrintTo(const DrawdnRow& row, std::ostream* os) {
    *os << "T " << row.T << ", S " << row.S << ", TIME " << row.TIME << ", LEAK " << row.LEAK << ", Q "
        << row.Q << ", R " << row.R << " -> s " << row.s;
  }
};

class DrawdownTable : public ::testing::TestWithParam<DrawdnRow> {};

TEST_P(DrawdownTable, MatchesKnownValues) {
  const DrawdnRow& row = GetParam();
  const float u = u_of(u_factor(row.T, row.S, row.TIME), row.R);
  const float B = leakage_factor(row.T, row.LEAK);
  const float rB = rb_of(row.R, B);
  const float W = WUB(u, rB);
  const float s = drawdown_from_W(row.Q, W, row.T);
  EXPECT_TRUE(ShowsAs(u, row.u));
  EXPECT_TRUE(ShowsAs(B, row.B));
  EXPECT_TRUE(ShowsAs(rB, row.rB));
  EXPECT_TRUE(ShowsAs(W, row.W));
  EXPECT_TRUE(ShowsAs(s, row.s));

  float cell = 0.0f;
  DRAWDN(row.T, row.S, row.TIME, row.LEAK, row.Q, row.R, cell);
  EXPECT_TRUE(SameBits(cell, s)) << "DRAWDN and its pieces differ";
}

INSTANTIATE_TEST_SUITE_P(
    WorkedDrawdowns, DrawdownTable,
    ::testing::Values(
        DrawdnRow{10000, 0.0001f, 1, 0.001f, 144000, 100,  //
                  "0.000187025", "3162.278", "0.03162278", "7.0155", "8.0392"},
        DrawdnRow{10000, 0.0001f, 1, 0, 144000, 100,  // LEAK = 0: B infinite, rB 0
                  "0.000187025", "infinity", "0", "8.0090", "9.1777"},
        DrawdnRow{10000, 0.0001f, 1, 0.001f, -144000, 100,  //
                  "0.000187025", "3162.278", "0.03162278", "7.0155", "-8.0392"},
        DrawdnRow{10000, 0.0001f, 1, 0.001f, 144000, 1,  // R raised to 1 foot
                  "1.87025e-08", "3162.278", "0.0003162278", "16.225", "18.593"},
        DrawdnRow{1000, 0.2f, 1, 0.001f, 144000, 1000,  // u > 6: nothing added
                  "374.05", "1000", "1", "0", "0"},
        DrawdnRow{50000, 0.0002f, 30, 0.01f, 1440000, 500,  //
                  "6.2342e-05", "2236.068", "0.2236068", "3.2939", "7.5491"}));

// --- DRAWDN: accumulation into the cell -------------------------------------

TEST(DrawdownCell, WellsSuperposeBySummation) {
  float cell = 0.0f;
  DRAWDN(10000, 0.0001f, 1, 0.001f, 144000, 100, cell);
  EXPECT_TRUE(ShowsAs(cell, "8.0392"));
  DRAWDN(10000, 0.0001f, 1, 0.001f, 144000, 100, cell);
  EXPECT_TRUE(ShowsAs(cell, "16.078"));
  DRAWDN(10000, 0.0001f, 1, 0.001f, -144000, 100, cell);
  EXPECT_TRUE(ShowsAs(cell, "8.0392"));
}

TEST(DrawdownCell, UAboveSixLeavesTheCellUnchanged) {
  float cell = 3.25f;
  DRAWDN(1000, 0.2f, 1, 0.001f, 144000, 1000, cell);
  EXPECT_TRUE(SameBits(cell, 3.25f));
}

// --- DIST then DRAWDN: the worked grid example ------------------------------
// T 10000, LEAK 0.001, S 0.0001, TIME 1, SPACING 100, Q 144000, one well at
// node (2, 1).

struct GridNode {
  std::int32_t i, j;
  float DD;  // exact single

  friend void PrintTo(const GridNode& node, std::ostream* os) {
    *os << "node (" << node.i << ", " << node.j << ")";
  }
};

class WorkedGridExample : public ::testing::TestWithParam<GridNode> {};

TEST_P(WorkedGridExample, NodeDrawdown) {
  const GridNode& node = GetParam();
  const float R = DIST(100, node.i, node.j, 2.0f, 1.0f);
  float cell = 0.0f;
  DRAWDN(10000, 0.0001f, 1, 0.001f, 144000, R, cell);
  EXPECT_TRUE(SameBits(cell, node.DD));
}

INSTANTIATE_TEST_SUITE_P(Worked, WorkedGridExample,
                         ::testing::Values(GridNode{1, 1, 8.0391560f},   // R 100
                                           GridNode{2, 1, 18.592806f},   // at the well, R 1
                                           GridNode{1, 2, 7.2469330f}));  // R 141.42

// --- DRAWDN: inputs left open -------------------------------------------------
// Not checked (drawdown.cc): the arithmetic runs on and a NaN reaches the cell.

TEST(DrawdownOpenInputs, ZeroTransmissivityGivesNaN) {
  float cell = 0.0f;
  DRAWDN(0, 0.0001f, 1, 0.001f, 144000, 100, cell);
  EXPECT_TRUE(std::isnan(cell));
}

TEST(DrawdownOpenInputs, ZeroTimeAddsNothing) {
  float cell = 0.0f;
  DRAWDN(10000, 0.0001f, 0, 0.001f, 144000, 100, cell);  // u = +infinity, W = 0
  EXPECT_TRUE(SameBits(cell, 0.0f));
}

// A negative u is integrated by the rule (see WUB); the call ends and adds
// what the pieces give.
TEST(DrawdownOpenInputs, NegativeStorageEnds) {
  const float u = u_of(u_factor(10000, -0.0001f, 1), 100);
  ASSERT_LT(u, 0.0f);
  float cell = 0.0f;
  DRAWDN(10000, -0.0001f, 1, 0.001f, 144000, 100, cell);
  const float s = drawdown_from_W(144000, WUB(u, rb_of(100, leakage_factor(10000, 0.001f))), 10000);
  EXPECT_TRUE(SameBits(cell, s));
}

TEST(DrawdownOpenInputs, ZeroTransmissivityAndLeakanceGivesNaN) {
  float cell = 0.0f;
  DRAWDN(0, 0.0001f, 1, 0, 144000, 100, cell);  // B = sqrt(0 / 0) = NaN
  EXPECT_TRUE(std::isnan(cell));
  EXPECT_TRUE(std::isnan(leakage_factor(0, 0)));
  EXPECT_TRUE(SameBits(leakage_factor(10000, 0), kInf));
}

}  // namespace
}  // namespace model
