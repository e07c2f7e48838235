// WUB_lanes against model::WUB, bit for bit, on every instruction set the
// lanes are built for that this processor has.

#include "engine/well_function_lanes.h"
#include "engine/well_function_lanes_testing.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "model/well_function.h"

namespace engine {
namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Pairs {
  std::vector<float> u, rb;
  void add(float uu, float r) {
    u.push_back(uu);
    rb.push_back(r);
  }
};

// Runs WUB_lanes on every instruction set and expects model::WUB's bits.
// Returns the stats of the last set.
LaneStats ExpectSameAsWub(const Pairs& p) {
  std::vector<float> expected(p.u.size());
  for (std::size_t i = 0; i < p.u.size(); ++i) expected[i] = model::WUB(p.u[i], p.rb[i]);
  LaneStats stats;
  for (const std::string& target : lanes_targets()) {
    SCOPED_TRACE(target);
    use_lanes_target(target);
    EXPECT_EQ(target, lanes_target());
    std::vector<float> W(p.u.size(), -1.0f);
    stats = LaneStats{};
    WUB_lanes(p.u, p.rb, W, &stats);
    EXPECT_EQ(stats.calls, static_cast<std::int64_t>(p.u.size()));
    int shown = 0;
    for (std::size_t i = 0; i < W.size(); ++i) {
      if (std::bit_cast<std::uint32_t>(W[i]) != std::bit_cast<std::uint32_t>(expected[i]) &&
          shown++ < 5) {
        ADD_FAILURE() << "u " << std::hexfloat << p.u[i] << " rb " << p.rb[i] << ": lanes " << W[i]
                      << ", WUB " << expected[i];
      }
    }
  }
  use_lanes_target("");
  return stats;
}

TEST(WubLanes, EdgeValuesOfUAndRb) {
  const float us[] = {0.0f, -0.0f, 1e-45f, 1e-40f, FLT_MIN, 0x1p-65f, 0x1p-64f, 1e-12f, 1e-8f,
                      0.01f, 0.5f, 1.0f, 5.0f, std::nextafter(6.0f, 0.0f), 6.0f,
                      std::nextafter(6.0f, kInf), 7.0f, FLT_MAX, kInf, -kInf, kNaN, -1e-30f, -1.0f};
  const float rbs[] = {0.0f, -0.0f, 1e-30f, 1e-4f, 0.03162278f, 0.5f, -0.5f, 1.0f, 6.0f, 30.0f,
                       1e10f, FLT_MAX, kInf, kNaN};
  Pairs p;
  for (float u : us)
    for (float rb : rbs) p.add(u, rb);
  const LaneStats stats = ExpectSameAsWub(p);
  // Negative, NaN and tiny positive u are handed to model::WUB whole.
  EXPECT_GT(stats.scalar_calls, 0);
}

TEST(WubLanes, RandomPairsAcrossTheDomainAndTheGuardBand) {
  std::mt19937 gen(7);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Pairs p;
  const double lo = std::log(1e-10), hi = std::log(6.0);
  for (int i = 0; i < 40000; ++i) {
    const float u = static_cast<float>(std::exp(lo + (hi - lo) * unit(gen)));
    // r/B up to 8, so exponents reach far below the single range too.
    const float rb = i % 4 == 0 ? 0.0f : static_cast<float>(8.0 * unit(gen) * unit(gen));
    p.add(u, rb);
  }
  const LaneStats stats = ExpectSameAsWub(p);
  // Some integrand values fell in the guard band and were recomputed.
  EXPECT_GT(stats.guarded_points, 0);
  EXPECT_EQ(stats.scalar_calls, 0);
}

TEST(WubLanes, UNearTheCutOffWhereLanesStopAtDifferentPanels) {
  // Between 5.9 and 6.0 the panel count falls from 44 to 9; lanes of one
  // batch stop at different panels and mix with small u.
  std::mt19937 gen(11);
  std::uniform_real_distribution<float> near6(5.9f, 6.0f), rb(0.0f, 2.0f);
  Pairs p;
  for (int i = 0; i < 3001; ++i) {
    const float u = i % 5 == 0 ? 1e-3f * static_cast<float>(i % 7 + 1) : near6(gen);
    p.add(u, rb(gen));
  }
  for (float u = 6.0f; u > 5.99999f; u = std::nextafter(u, 0.0f)) p.add(u, 0.0f);
  ExpectSameAsWub(p);
}

TEST(WubLanes, PairsAsAGridRunMakesThem) {
  // u and r/B tied through the distance, as a full-size leaky run has them.
  const double factor = 0.0002 / (50000.0 * 30.0);
  const double B = std::sqrt(50000.0 / 0.001);
  Pairs p;
  for (int i = 1; i <= 5000; ++i) {
    const double R = 1.0 + 9.0 * i;
    p.add(static_cast<float>(factor * (R * R * 1.87025)), static_cast<float>(R / B));
  }
  ExpectSameAsWub(p);
}

TEST(WubLanes, ExponentialStaysFarInsideTheGuardBand) {
  // A sample of every exponent single from the floor to 0 (every 997th).
  for (const std::string& target : lanes_targets()) {
    SCOPED_TRACE(target);
    use_lanes_target(target);
    EXPECT_LE(lanes_exp_max_ulp(-675.84f, 0.0f, 997), kLaneGuardUlps / 64);
  }
  use_lanes_target("");
}

TEST(WubLanes, ExponentsAroundTheEndOfTheExponentialTable) {
  // The lanes take exp(e) from a table for -64 <= e <= 0 and from Highway's
  // Exp below. -e = x + c/x, c = (r/B)^2 / 4, falls along the integration
  // while x < sqrt(c); with c = X * (64 - X) * (1 + k * 2e-4) it ends near 64
  // at the last right end X, where the largest integrand values, which make W,
  // lie. Batches mix lanes on both sides of the table's end.
  struct Case {
    float u, last_right_end;
  };
  Pairs p;
  for (const Case& c : {Case{0.1f, 11.435f}, Case{1.0f, 8.557f}, Case{5.0f, 7.2391f}})
    for (int k = -20; k <= 20; ++k) {
      const double cc = c.last_right_end * (64.0 - c.last_right_end) * (1.0 + k * 2e-4);
      p.add(c.u, static_cast<float>(2.0 * std::sqrt(cc)));
    }
  ExpectSameAsWub(p);
  for (const std::string& target : lanes_targets()) {
    SCOPED_TRACE(target);
    use_lanes_target(target);
    EXPECT_LE(lanes_exp_max_ulp(-64.25f, -63.75f, 1), kLaneGuardUlps / 64);
  }
  use_lanes_target("");
}

TEST(WubLanes, BatchesOnBothSidesOfTheTableOnlyBound) {
  // A batch skips the range test of its exponents when every lane has
  // 14 + c/u <= 63, c = (r/B)^2 / 4. Batches of lanes just inside that bound,
  // outside it (up to c/u = 81, where -e starts beyond the table's 64), and
  // both mixed; u from small to near the cut-off.
  Pairs inside, outside, mixed;
  for (float u : {1e-4f, 0.01f, 0.5f, 2.0f, 5.9f})
    for (int k = 0; k < 64; ++k) {
      const double ratio_in = 49.0 * (1.0 - 1e-6 * k), ratio_out = 49.0 + 0.5 * (k + 1);
      const float rb_in = static_cast<float>(2.0 * std::sqrt(ratio_in * u));
      const float rb_out = static_cast<float>(2.0 * std::sqrt(ratio_out * u));
      inside.add(u, rb_in);
      outside.add(u, rb_out);
      mixed.add(u, k % 2 == 0 ? rb_in : rb_out);
    }
  ExpectSameAsWub(inside);
  ExpectSameAsWub(outside);
  ExpectSameAsWub(mixed);
}

TEST(WubLanes, PairsNearRoundingTies) {
  // Pairs of which one integrand value, exact in double before its rounding
  // to single, lies a few double ulps from a tie between two singles, where
  // the lanes' exponential puts the product on the other side of the tie and
  // rounding that value the other way changes W: only the guard band
  // (kLaneGuardUlps) has the lanes recompute it. With the band shrunk from
  // 1024 ulps to 1 the lanes get these pairs wrong. Found by
  // tools/guard_band_search.cc (y is the abscissa, e the exponent there).
  const float pinned[][2] = {
    {0x1.5ecc18p-6f, 0x1.38474ep-2f},  // y 0.152460739, e -0.304959506: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.9e286p+0f, 0x1.dcf89cp+1f},  // y 1.86352193, e -3.72633696: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.cb44cap-2f, 0x1.470aep+1f},  // y 1.27780426, e -2.55501938: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.a56164p-3f, 0x1.8080b4p+2f},  // y 3.00463843, e -6.00785542: +0 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.da7ff8p-1f, 0x1.970172p+1f},  // y 1.59019744, e -3.17973161: +0 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.65cb1cp+1f, 0x1.424bap+3f},  // y 5.03436947, e -10.0717316: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.6ab2aap+0f, 0x1.6f04c6p+1f},  // y 1.43404615, e -2.86733317: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.726298p+1f, 0x1.a18fb6p+2f},  // y 3.26221061, e -6.52439642: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.14a5b6p+0f, 0x1.e8f9f2p+1f},  // y 1.90995312, e -3.82012773: +3 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.7e8ee6p-1f, 0x1.690d4p+1f},  // y 1.41062379, e -2.82071686: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.1c37aap-1f, 0x1.8cfac4p+1f},  // y 1.55027187, e -3.10140276: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.ce8444p+0f, 0x1.167dacp+2f},  // y 2.17528319, e -4.3514204: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.e11342p-2f, 0x1.a2727cp+2f},  // y 3.26868629, e -6.53823757: +0 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.0fed9p-4f, 0x1.aefd68p-3f},  // y 0.105218209, e -0.210444272: +3 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.868b0ap-4f, 0x1.993f76p+3f},  // y 6.39284134, e -12.7889967: +2 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.71859p-1f, 0x1.7a7542p+0f},  // y 0.738979816, e -1.47835171: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.414698p-8f, 0x1.838502p-7f},  // y 0.0059122853, e -0.0118261585: -1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.af0f86p+1f, 0x1.e43fe4p+3f},  // y 7.56598997, e -15.1327991: +2 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.0e971p+0f, 0x1.6cf5e8p+1f},  // y 1.42557013, e -2.85125446: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.aa0ea2p-2f, 0x1.273f9ep+3f},  // y 4.61440086, e -9.22651577: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.1587d2p-1f, 0x1.5efe66p+1f},  // y 1.3713516, e -2.74213862: +1 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.f69d78p+0f, 0x1.068066p+2f},  // y 2.05070686, e -4.10158682: +0 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
    {0x1.e79586p-4f, 0x1.172522p-2f},  // y 0.136296645, e -0.272602588: +0 ulps from a tie; crosses on AVX3 AVX2 SSE4 SSSE3 SCALAR
  };
  Pairs p;
  for (const auto& pair : pinned) p.add(pair[0], pair[1]);
  const LaneStats stats = ExpectSameAsWub(p);
  EXPECT_GT(stats.guarded_points, 0);
  EXPECT_EQ(stats.scalar_calls, 0);
}

TEST(WubLanes, EmptyAndShortSpans) {
  std::vector<float> none;
  WUB_lanes(none, none, none);
  for (std::size_t n = 1; n <= 9; ++n) {
    Pairs p;
    for (std::size_t i = 0; i < n; ++i) p.add(0.001f * static_cast<float>(i + 1), 0.1f);
    ExpectSameAsWub(p);
  }
}

}  // namespace
}  // namespace engine
