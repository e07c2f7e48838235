// The leaky well function WUB and its integrand F.

#include "model/well_function.h"

#include <cmath>
#include <limits>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "model/well_function_trace.h"
#include "shown_digits.h"

namespace model {
namespace {

using testing::SameBits;
using testing::ShowsAs;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kAboveSix = std::nextafter(6.0f, kInf);  // 6.0000005

// --- F ---------------------------------------------------------------------

TEST(IntegrandF, ExactValues) {
  EXPECT_TRUE(SameBits(F(1.0f, 0.0f), 0.36787945f));
  EXPECT_TRUE(SameBits(F(0.5f, 1.0f), 0.7357589f));
}

TEST(IntegrandF, BelowTheExponentFloorIsZero) {
  EXPECT_TRUE(SameBits(F(1000.0f, 0.0f), 0.0f));
  // e = -675.84 exactly is at the floor, not below it: the exponential is
  // taken (and underflows single to 0 through the rounding).
  EXPECT_TRUE(SameBits(F(675.84f, 0.0f), 0.0f));
}

TEST(IntegrandF, AtZeroIsZeroForEveryRb) {
  for (float rb : {0.0f, 1e-6f, 0.5f, 1.0f, 100.0f, kInf, kNaN}) {
    EXPECT_TRUE(SameBits(F(0.0f, rb), 0.0f)) << "rb = " << rb;
  }
}

// --- WUB: the reference table -------------------------------------------------

struct WubRow {
  float u;
  float rb;
  std::string W;  // as shown in the table
  int panels;
  std::string last_left;
  std::string last_right;

  friend void PrintTo(const WubRow& row, std::ostream* os) {
    *os << "u " << row.u << ", rb " << row.rb << " -> W " << row.W << " in " << row.panels << " panels";
  }
};

class WellFunctionTable : public ::testing::TestWithParam<WubRow> {};

TEST_P(WellFunctionTable, MatchesTheRule) {
  const WubRow& row = GetParam();
  const WubTrace trace = WUB_trace(row.u, row.rb);
  EXPECT_TRUE(ShowsAs(trace.W, row.W));
  EXPECT_EQ(trace.panels, row.panels);
  // Rows without known panel ends leave them empty.
  if (!row.last_left.empty()) {
    EXPECT_TRUE(ShowsAs(trace.last_left, row.last_left));
  }
  if (!row.last_right.empty()) {
    EXPECT_TRUE(ShowsAs(trace.last_right, row.last_right));
  }
  EXPECT_TRUE(SameBits(WUB(row.u, row.rb), trace.W)) << "WUB and WUB_trace differ";
}

INSTANTIATE_TEST_SUITE_P(
    RuleResults, WellFunctionTable,
    ::testing::Values(  //
        WubRow{0.0001f, 0.0f, "8.6351", 48, "7.5571", "11.336"},
        WubRow{0.001f, 0.0f, "6.3329", 48, "7.5580", "11.336"},
        WubRow{0.01f, 0.0f, "4.0388", 48, "7.5670", "11.345"},
        WubRow{0.1f, 0.0f, "1.8233", 48, "7.6570", "11.435"},
        WubRow{1.0f, 0.0f, "0.21941", 47, "6.0380", "8.5570"},
        WubRow{5.0f, 0.0f, "0.0010601", 44, "6.4927", "7.2391"},
        WubRow{0.0001f, 0.01f, "8.4001", 48, "7.5571", "11.336"},
        WubRow{0.001f, 0.05f, "5.7978", 48, "7.5580", "11.336"},
        WubRow{0.01f, 0.1f, "3.8159", 48, "7.5670", "11.345"},
        WubRow{0.01f, 1.0f, "0.84224", 48, "7.5670", "11.345"},
        WubRow{0.5f, 0.5f, "0.52074", 48, "8.0570", "11.835"},
        // u = 0 (F(0, rb) = 0 at the start) and u = 6.0, from the edge cases.
        WubRow{0.0f, 0.0f, "18.661", 48, "", ""},
        WubRow{0.0f, 0.5f, "1.8492", 48, "", ""},
        WubRow{6.0f, 0.0f, "6.1875e-10", 9, "6.0000005", ""}));

// --- WUB: the rounding points -----------------------------------------------

TEST(WellFunctionRounding, ExactSingles) {
  EXPECT_TRUE(SameBits(WUB(0.01f, 0.0f), 4.0388288f));
  EXPECT_TRUE(SameBits(WUB(0.0f, 0.0f), 18.660791f));
}

// u = 6.0 is integrated: seven panels leave y at 6.0, the eighth moves the
// right end to the next single, the ninth starts there and is the last. With
// the abscissae kept in double the result would be about 2.07e-11.
TEST(WellFunctionRounding, SixIsIntegratedOnSingleAbscissae) {
  const WubTrace trace = WUB_trace(6.0f, 0.0f);
  EXPECT_EQ(trace.panels, 9);
  EXPECT_TRUE(SameBits(trace.last_left, kAboveSix));
  EXPECT_TRUE(ShowsAs(trace.W, "6.1875e-10"));
  EXPECT_GT(trace.W, 1e-10f);
}

TEST(WellFunctionRounding, AboveSixIsExactlyZero) {
  for (float u : {kAboveSix, 6.5f, 100.0f, 374.05f, 3.0e38f, kInf}) {
    const WubTrace trace = WUB_trace(u, 0.0f);
    EXPECT_TRUE(SameBits(trace.W, 0.0f)) << "u = " << u;
    EXPECT_EQ(trace.panels, 0) << "u = " << u;
  }
}

TEST(WellFunctionRounding, AtMost48PanelsOnZeroToSix) {
  for (float u = 0.0f; u <= 6.0f; u = u < 1e-6f ? 1e-6f : u * 1.01f) {
    EXPECT_LE(WUB_trace(u, 0.25f).panels, 48) << "u = " << u;
  }
}

// --- WUB: inputs left open, and termination ---------------------------------
// Choices (documented in well_function.cc): a NaN or -infinity u gives NaN
// without integrating; -0.0 is integrated as +0.0; a finite negative u is
// integrated by the rule and ends within a bounded number of panels; a NaN or
// infinite rb integrates normally with F = 0 for y >= 0.

TEST(WellFunctionOpenInputs, NaNOrMinusInfinityUGivesNaN) {
  for (float u : {kNaN, -kNaN, -kInf}) {
    const WubTrace trace = WUB_trace(u, 0.0f);
    EXPECT_TRUE(std::isnan(trace.W)) << "u = " << u;
    EXPECT_EQ(trace.panels, 0);
  }
}

TEST(WellFunctionOpenInputs, MinusZeroIsZero) {
  for (float rb : {0.0f, 0.5f}) {
    EXPECT_TRUE(SameBits(WUB(-0.0f, rb), WUB(0.0f, rb))) << "rb = " << rb;
  }
}

TEST(WellFunctionOpenInputs, NegativeUEndsWithinTheCap) {
  for (float u : {-1e-30f, -1e-8f, -0.5f, -1.0f, -6.0f, -1e6f, -1e30f,
                  -std::numeric_limits<float>::max()}) {
    const WubTrace trace = WUB_trace(u, 0.0f);
    EXPECT_LT(trace.panels, kMaxPanels) << "u = " << u;
    EXPECT_TRUE(trace.last_left > 6.0f) << "u = " << u;
    EXPECT_TRUE(SameBits(WUB(u, 0.0f), trace.W)) << "u = " << u;
  }
}

TEST(WellFunctionOpenInputs, NaNRbIntegratesToZero) {
  for (float u : {0.0f, 1e-6f, 0.01f, 1.0f, 6.0f}) {
    const WubTrace trace = WUB_trace(u, kNaN);
    EXPECT_TRUE(SameBits(trace.W, 0.0f)) << "u = " << u;
    EXPECT_EQ(trace.panels, WUB_trace(u, 0.0f).panels) << "u = " << u;
  }
}

TEST(WellFunctionOpenInputs, InfiniteRbIntegratesToZero) {
  for (float rb : {kInf, -kInf, std::numeric_limits<float>::max()}) {
    for (float u : {0.0f, 0.01f, 1.0f, 6.0f}) {
      EXPECT_TRUE(SameBits(WUB(u, rb), 0.0f)) << "u = " << u << ", rb = " << rb;
    }
  }
}

}  // namespace
}  // namespace model
