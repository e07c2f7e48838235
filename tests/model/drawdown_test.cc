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

// Fractional well positions, where every rounding point of DIST shows. Each
// row names the planted fault it catches (with the value that fault gives):
// whole and half node positions leave most of them exact.
INSTANTIATE_TEST_SUITE_P(FractionalDistances, DistList,
                         ::testing::Values(
                             // dx = single(xn - xw) kept in double: 365.00003
                             DistRow{100, 6, 1, 2.35f, 1.0f, 365.0f},
                             // xw = single(SPACING * XW) kept in double: 2008.97974
                             DistRow{100, 7, 3, 20.8f, 17.6f, 2008.97986f},
                             // dx2 = single(dx * dx) kept in double: 2979.40649
                             DistRow{250, 25, 7, 23.13f, 18.77f, 2979.40625f},
                             // dy2 + dx2 rounded to single before the root: 663.267639
                             DistRow{100, 6, 3, 4.68f, 9.5f, 663.2677f}));

// The squared offsets of the rows above, each rounding point bit for bit.
TEST(DistPieces, SquaredOffsetsOfFractionalPositions) {
  EXPECT_TRUE(SameBits(squared_offset(100, 6, 2.35f), 133225.0f));
  EXPECT_TRUE(SameBits(squared_offset(100, 7, 20.8f), 1904400.0f));
  EXPECT_TRUE(SameBits(squared_offset(100, 3, 17.6f), 2131600.0f));
  EXPECT_TRUE(SameBits(squared_offset(250, 25, 23.13f), 218556.25f));
  EXPECT_TRUE(SameBits(squared_offset(250, 7, 18.77f), 8658306.0f));
  EXPECT_TRUE(SameBits(squared_offset(100, 6, 4.68f), 17424.0078f));
  EXPECT_TRUE(SameBits(distance_from_squares(17424.0078f, 422500.0f), 663.2677f));
  EXPECT_TRUE(SameBits(distance_from_squares(0.25f, 0.0f), 1.0f)) << "raised to the least distance";
}

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
  float u_bits, B_bits, rB_bits, W_bits, s_bits;  // the exact singles

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
  // Bit for bit: results must be exact, not only in the digits shown.
  EXPECT_TRUE(SameBits(u, row.u_bits)) << "u";
  EXPECT_TRUE(SameBits(B, row.B_bits)) << "B";
  EXPECT_TRUE(SameBits(rB, row.rB_bits)) << "rB";
  EXPECT_TRUE(SameBits(W, row.W_bits)) << "W";
  EXPECT_TRUE(SameBits(s, row.s_bits)) << "s";

  float cell = 0.0f;
  DRAWDN(row.T, row.S, row.TIME, row.LEAK, row.Q, row.R, cell);
  EXPECT_TRUE(SameBits(cell, s)) << "DRAWDN and its pieces differ";
}

INSTANTIATE_TEST_SUITE_P(
    WorkedDrawdowns, DrawdownTable,
    ::testing::Values(
        DrawdnRow{10000, 0.0001f, 1, 0.001f, 144000, 100,  //
                  "0.000187025", "3162.278", "0.03162278", "7.0155", "8.0392",  //
                  0.000187024998f, 3162.27759f, 0.0316227786f, 7.01548672f, 8.03915596f},
        DrawdnRow{10000, 0.0001f, 1, 0, 144000, 100,  // LEAK = 0: B infinite, rB 0
                  "0.000187025", "infinity", "0", "8.0090", "9.1777",  //
                  0.000187024998f, kInf, 0.0f, 8.00902462f, 9.17766666f},
        DrawdnRow{10000, 0.0001f, 1, 0.001f, -144000, 100,  //
                  "0.000187025", "3162.278", "0.03162278", "7.0155", "-8.0392",  //
                  0.000187024998f, 3162.27759f, 0.0316227786f, 7.01548672f, -8.03915596f},
        DrawdnRow{10000, 0.0001f, 1, 0.001f, 144000, 1,  // R raised to 1 foot
                  "1.87025e-08", "3162.278", "0.0003162278", "16.225", "18.593",  //
                  1.87024991e-08f, 3162.27759f, 0.000316227786f, 16.2252846f, 18.5928059f},
        DrawdnRow{1000, 0.2f, 1, 0.001f, 144000, 1000,  // u > 6: nothing added
                  "374.05", "1000", "1", "0", "0",  //
                  374.049988f, 1000.0f, 1.0f, 0.0f, 0.0f},
        DrawdnRow{50000, 0.0002f, 30, 0.01f, 1440000, 500,  //
                  "6.2342e-05", "2236.068", "0.2236068", "3.2939", "7.5491",  //
                  6.23416636e-05f, 2236.06812f, 0.22360678f, 3.29391766f, 7.54910326f}));

// --- DRAWDN: every rounding point, on fractional geometry -------------------
// Aquifers with fractional times and wells at fractional positions, where
// each rounding point of DRAWDN shows in the result. Each row names the
// planted faults it catches; together they catch each of: S / (T * TIME)
// rounded to single (u_factor), T * TIME rounded to single, R * R or
// (R * R) * 1.87025 rounded to single, B kept in double, T / LEAK rounded to
// single, Q / 1440 or the drawdown factor rounded to single, K * W rounded to
// single, s kept in double when it is added to the cell.

struct DrawdnPins {
  float T, S, TIME, LEAK, Q;
  std::int32_t i, j;  // node, on a 100-foot grid
  float XW, YW;       // well
  float DD_before;
  float R, u, B, rB, W, s, DD;  // the exact singles

  friend void PrintTo(const DrawdnPins& row, std::ostream* os) {
    *os << "T " << row.T << ", S " << row.S << ", TIME " << row.TIME << ", LEAK " << row.LEAK << ", Q "
        << row.Q << ", node (" << row.i << ", " << row.j << "), well (" << row.XW << ", " << row.YW << ")";
  }
};

class DrawdnRoundingPoints : public ::testing::TestWithParam<DrawdnPins> {};

TEST_P(DrawdnRoundingPoints, EveryPieceBitForBit) {
  const DrawdnPins& row = GetParam();
  const float R = DIST(100, row.i, row.j, row.XW, row.YW);
  ASSERT_TRUE(SameBits(R, row.R)) << "R";
  const float u = u_of(u_factor(row.T, row.S, row.TIME), R);
  const float B = leakage_factor(row.T, row.LEAK);
  const float rB = rb_of(R, B);
  const float W = WUB(u, rB);
  const float s = drawdown_from_W(row.Q, W, row.T);
  EXPECT_TRUE(SameBits(u, row.u)) << "u";
  EXPECT_TRUE(SameBits(B, row.B)) << "B";
  EXPECT_TRUE(SameBits(rB, row.rB)) << "rB";
  EXPECT_TRUE(SameBits(W, row.W)) << "W";
  EXPECT_TRUE(SameBits(s, row.s)) << "s";
  EXPECT_TRUE(SameBits(drawdown_of(drawdown_factor(row.Q), W, row.T), row.s)) << "s from the factor";
  EXPECT_TRUE(SameBits(accumulate(s, row.DD_before), row.DD)) << "accumulate";
  float cell = row.DD_before;
  DRAWDN(row.T, row.S, row.TIME, row.LEAK, row.Q, R, cell);
  EXPECT_TRUE(SameBits(cell, row.DD)) << "DRAWDN";
}

INSTANTIATE_TEST_SUITE_P(
    FractionalGeometry, DrawdnRoundingPoints,
    ::testing::Values(
        // Catches T * TIME, R * R, the drawdown factor, Q / 1440 or K * W
        // rounded to single, and s kept in double.
        DrawdnPins{44954, 0.000182f, 11.78f, 0.0001f, 414820, 24, 3, 24.55f, 7.11f, 7.44f,  //
                   414.663727f, 0.000110522204f, 21202.3594f, 0.0195574332f, 7.82688904f, 5.74738979f,
                   13.1873894f},
        // Catches S / (T * TIME), (R * R) * 1.87025, R * R or T / LEAK rounded
        // to single, and B kept in double.
        DrawdnPins{45656, 0.000274f, 38.78f, 0.00269999984f, 981723, 10, 17, 18.08f, 12.86f, 1.85f,  //
                   907.887634f, 0.000238566121f, 4112.13232f, 0.220782682f, 3.31800175f, 5.67750931f,
                   7.52750921f}));

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
