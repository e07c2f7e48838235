// Iw and Fw.d editing: worked examples, ties, and exactness against
// an independent exact decimal expansion (glibc's printf).
#include "recio/numeric_edit.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "edit_strings.h"

namespace {

using recio::edit_fixed;
using recio::edit_integer;
using testing_support::edit_fixed;    // the string forms
using testing_support::edit_integer;

std::string I(int w, std::int32_t v) { return edit_integer(w, v); }
std::string F(int w, int d, float x) { return edit_fixed(w, d, x); }

// The field by the Fw.d rules from glibc's exact expansion of the single
// (printf prints every digit of a double exactly), rounded half away from zero
// here, digit by digit.
std::string reference_fixed(int w, int d, float x) {
  char buf[512];
  std::snprintf(buf, sizeof buf, "%.200f", std::fabs(static_cast<double>(x)));
  std::string s = buf;
  const std::size_t point = s.find('.');
  std::string ints = s.substr(0, point);
  std::string frac = s.substr(point + 1);
  const bool up = frac[static_cast<std::size_t>(d)] >= '5';
  frac.resize(static_cast<std::size_t>(d));
  std::string all = ints + frac;  // round the digit string as one number
  if (up) {
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9') all[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
      ++all[static_cast<std::size_t>(i)];
    } else {
      all.insert(all.begin(), '1');
    }
  }
  ints = all.substr(0, all.size() - static_cast<std::size_t>(d));
  frac = all.substr(all.size() - static_cast<std::size_t>(d));
  while (!ints.empty() && ints[0] == '0') ints.erase(0, 1);
  const bool zero = ints.empty() && frac.find_first_not_of('0') == std::string::npos;
  const bool neg = std::signbit(x) && !zero;
  std::string body = ints + "." + frac;
  const std::size_t need = body.size() + (neg ? 1 : 0);
  if (need > static_cast<std::size_t>(w)) return std::string(static_cast<std::size_t>(w), '*');
  if (ints.empty() && need + 1 <= static_cast<std::size_t>(w)) body = "0" + body;
  if (neg) body = "-" + body;
  return std::string(static_cast<std::size_t>(w) - body.size(), ' ') + body;
}

std::string fast(int w, int d, float x, int* applied = nullptr) {
  std::string s(static_cast<std::size_t>(w), '?');
  const int r = recio::detail::edit_fixed_fast(s.data(), w, d, x);
  if (applied) *applied = r;
  return s;
}
std::string exact(int w, int d, float x) {
  std::string s(static_cast<std::size_t>(w), '?');
  recio::detail::edit_fixed_exact(s.data(), w, d, x);
  return s;
}

struct Format {
  int w, d;
};
// Every Fw.d of the system, and narrow ones that test the optional zero.
const std::vector<Format> kFormats = {{6, 1},  {6, 2},  {9, 2}, {12, 0}, {12, 4}, {12, 8}, {14, 2},
                                      {3, 2},  {4, 2},  {5, 2}, {3, 0},  {1, 0},  {2, 1},  {20, 8}};

TEST(IntegerEdit, WorkedExamples) {
  EXPECT_EQ(I(4, 7), "   7");
  EXPECT_EQ(I(4, -12), " -12");
  EXPECT_EQ(I(4, -999), "-999");
  EXPECT_EQ(I(4, 12345), "****");
  EXPECT_EQ(I(4, -1000), "****");
  EXPECT_EQ(I(4, 10000), "****");
  EXPECT_EQ(I(4, 0), "   0");
  EXPECT_EQ(I(4, 9999), "9999");
}

TEST(IntegerEdit, EveryWidthOfTheSystem) {
  EXPECT_EQ(I(5, 40), "   40");
  EXPECT_EQ(I(6, 50), "    50");
  EXPECT_EQ(I(6, 999999), "999999");
  EXPECT_EQ(I(6, -99999), "-99999");
  EXPECT_EQ(I(6, -100000), "******");
  EXPECT_EQ(I(10, 100), "       100");
  EXPECT_EQ(I(12, 2150000), "     2150000");
  EXPECT_EQ(I(12, INT32_MIN), " -2147483648");
  EXPECT_EQ(I(11, INT32_MIN), "-2147483648");
  EXPECT_EQ(I(10, INT32_MIN), "**********");
  EXPECT_EQ(I(10, INT32_MAX), "2147483647");
  EXPECT_EQ(I(9, INT32_MAX), "*********");
  EXPECT_EQ(I(1, 0), "0");
  EXPECT_EQ(I(1, -1), "*");
}

TEST(IntegerEdit, OverflowIsReported) {
  bool over = false;
  edit_integer(4, 1234, &over);
  EXPECT_FALSE(over);
  edit_integer(4, 12345, &over);
  EXPECT_TRUE(over);
}

TEST(FixedEdit, WorkedExamples) {
  EXPECT_EQ(F(6, 2, 0.125f), "  0.13");
  EXPECT_EQ(F(6, 2, 1.005f), "  1.00");
  EXPECT_EQ(F(6, 2, -3.14159f), " -3.14");
  EXPECT_EQ(F(6, 2, 999.994f), "999.99");
  EXPECT_EQ(F(6, 2, 999.995f), "999.99");
  EXPECT_EQ(F(6, 2, 999.996f), "******");
  EXPECT_EQ(F(6, 2, -99.994f), "-99.99");
  EXPECT_EQ(F(6, 2, -99.996f), "******");
  EXPECT_EQ(F(6, 1, 9999.94f), "9999.9");
  EXPECT_EQ(F(6, 1, 9999.96f), "******");
  EXPECT_EQ(F(6, 1, 1.25f), "   1.3");
  EXPECT_EQ(F(6, 1, -0.04f), "   0.0");
  EXPECT_EQ(F(12, 8, 0.0001f), "  0.00010000");
}

TEST(FixedEdit, MoreWorkedExamples) {
  EXPECT_EQ(F(6, 2, 9.996f), " 10.00");
  EXPECT_EQ(F(6, 2, -0.004f), "  0.00");
  EXPECT_EQ(F(12, 0, 5000.0f), "       5000.");
  EXPECT_EQ(F(3, 2, 0.5f), ".50");
  EXPECT_EQ(F(4, 2, -0.5f), "-.50");
  EXPECT_EQ(F(5, 2, -0.5f), "-0.50");
  EXPECT_EQ(F(4, 2, 0.5f), "0.50");
  EXPECT_EQ(F(12, 0, 50000.0f), "      50000.");
  EXPECT_EQ(F(12, 8, 0.001f), "  0.00100000");
  EXPECT_EQ(F(12, 4, 30.0f), "     30.0000");
  EXPECT_EQ(F(9, 2, 12.5f), "    12.50");
  EXPECT_EQ(F(9, 2, 7.25f), "     7.25");
  EXPECT_EQ(F(14, 2, 144000.0f), "     144000.00");
  EXPECT_EQ(F(6, 2, -1.07f), " -1.07");
  EXPECT_EQ(F(6, 2, 100.25f), "100.25");
  EXPECT_EQ(F(6, 2, 18.59f), " 18.59");
}

TEST(FixedEdit, ExactTiesRoundAwayFromZero) {
  EXPECT_EQ(F(6, 2, 0.125f), "  0.13");
  EXPECT_EQ(F(6, 2, -0.125f), " -0.13");
  EXPECT_EQ(F(6, 2, 0.375f), "  0.38");
  EXPECT_EQ(F(6, 2, -0.375f), " -0.38");
  EXPECT_EQ(F(6, 2, 0.625f), "  0.63");
  EXPECT_EQ(F(6, 2, 0.875f), "  0.88");
  EXPECT_EQ(F(6, 1, 2.5f), "   2.5");
  EXPECT_EQ(F(6, 0, 2.5f), "    3.");
  EXPECT_EQ(F(6, 0, -2.5f), "   -3.");
  EXPECT_EQ(F(6, 0, 0.5f), "    1.");
  EXPECT_EQ(F(6, 0, -0.5f), "   -1.");
  EXPECT_EQ(F(6, 1, 0.25f), "   0.3");
  EXPECT_EQ(F(6, 1, -0.25f), "  -0.3");
  EXPECT_EQ(F(6, 1, 0.75f), "   0.8");
  EXPECT_EQ(F(6, 1, 0.05f), "   0.1");  // 0.05f is stored slightly above 0.05
  EXPECT_EQ(F(6, 1, 0.15f), "   0.2");  // 0.15f is slightly above too
  EXPECT_EQ(F(6, 1, 0.35f), "   0.3");  // 0.35f is slightly below
  EXPECT_EQ(F(12, 8, 0.001953125f), "  0.00195313");  // 2^-9: a tie at 8 decimals
  EXPECT_EQ(F(6, 2, 999.995f), "999.99");
}

TEST(FixedEdit, ZeroAndNegativeZero) {
  EXPECT_EQ(F(6, 2, 0.0f), "  0.00");
  EXPECT_EQ(F(6, 2, -0.0f), "  0.00");
  EXPECT_EQ(F(3, 2, -0.0f), ".00");
  EXPECT_EQ(F(3, 2, -0.001f), ".00");
  EXPECT_EQ(F(12, 0, -0.4f), "          0.");
  EXPECT_EQ(F(12, 0, -0.5f), "         -1.");
  EXPECT_EQ(F(2, 1, 0.0f), ".0");
  EXPECT_EQ(F(1, 0, 0.0f), ".");   // no room for the optional zero
  EXPECT_EQ(F(2, 0, 0.0f), "0.");
  EXPECT_EQ(F(2, 0, -0.2f), "0.");
}

TEST(FixedEdit, NarrowFields) {
  EXPECT_EQ(F(3, 2, 0.994f), ".99");
  EXPECT_EQ(F(3, 2, 0.996f), "***");  // 1.00 needs 4 columns
  EXPECT_EQ(F(4, 2, -0.994f), "-.99");
  EXPECT_EQ(F(3, 2, -0.5f), "***");
  EXPECT_EQ(F(5, 2, 9.99f), " 9.99");
  EXPECT_EQ(F(5, 2, -9.99f), "-9.99");
  EXPECT_EQ(F(5, 2, -10.0f), "*****");
}

TEST(FixedEdit, NotANumberAndInfinity) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  bool over = true;
  EXPECT_EQ(edit_fixed(6, 2, nan, &over), "   NaN");
  EXPECT_FALSE(over);
  EXPECT_EQ(F(6, 2, -nan), "   NaN");
  EXPECT_EQ(F(3, 2, nan), "NaN");
  EXPECT_EQ(edit_fixed(2, 0, nan, &over), "**");
  EXPECT_TRUE(over);
  EXPECT_EQ(F(12, 4, inf), "    Infinity");
  EXPECT_EQ(F(8, 4, inf), "Infinity");
  EXPECT_EQ(F(9, 2, -inf), "-Infinity");
  EXPECT_EQ(F(6, 2, inf), "   Inf");
  EXPECT_EQ(F(8, 2, -inf), "    -Inf");
  EXPECT_EQ(F(4, 2, -inf), "-Inf");
  EXPECT_EQ(F(3, 2, inf), "Inf");
  EXPECT_EQ(edit_fixed(3, 2, -inf, &over), "***");
  EXPECT_TRUE(over);
  EXPECT_EQ(edit_fixed(6, 1, inf, &over), "   Inf");
  EXPECT_FALSE(over);
}

TEST(FixedEdit, LargeValuesAndManyDecimals) {
  EXPECT_EQ(F(50, 0, 3.4028235e38f), std::string(10, ' ') + "340282346638528859811704183484516925440.");
  EXPECT_EQ(F(12, 0, 16777217.0f), "   16777216.");
  EXPECT_EQ(F(12, 0, 1e10f), "10000000000.");
  EXPECT_EQ(F(12, 0, 1e11f), "99999997952.");  // the single nearest 1e11
  EXPECT_EQ(F(12, 0, 1e12f), "************");
  // 2^-149, the smallest subnormal: all 149 decimals are significant.
  const float tiny = std::numeric_limits<float>::denorm_min();
  const std::string f = F(160, 150, tiny);
  EXPECT_EQ(f.substr(0, 12), "        0.00");
  EXPECT_EQ(f.substr(f.size() - 7), "2031250");  // ...8203125, then a 0
  const std::string g = F(160, 148, tiny);
  EXPECT_EQ(g.substr(g.size() - 6), "820313");  // ...820312|5 rounds up
  EXPECT_EQ(F(200, 180, 0.5f), std::string(18, ' ') + "0.5" + std::string(179, '0'));
  EXPECT_EQ(F(12, 9, 0.5f), " 0.500000000");
  EXPECT_EQ(F(12, 10, 0.1f), "0.1000000015");
}

// The fast path against the exact general path and the glibc reference, for
// many values: random bit patterns, random values in the range of each field,
// every constructible exact tie and its two neighbours.
class FixedExactness : public ::testing::TestWithParam<Format> {};

void check(int w, int d, float x) {
  const std::string want = reference_fixed(w, d, x);
  ASSERT_EQ(F(w, d, x), want) << "x=" << x << " bits=" << std::bit_cast<std::uint32_t>(x) << " F" << w << "." << d;
  ASSERT_EQ(exact(w, d, x), want) << "x=" << x << " F" << w << "." << d;
  int applied = 0;
  const std::string f = fast(w, d, x, &applied);
  if (applied >= 0) {
    ASSERT_EQ(f, want) << "fast x=" << x << " F" << w << "." << d;
  }
}

TEST_P(FixedExactness, RandomBitPatterns) {
  const auto [w, d] = GetParam();
  std::mt19937 rng(1234u + static_cast<unsigned>(w * 16 + d));
  for (int i = 0; i < 40000; ++i) {
    const float x = std::bit_cast<float>(static_cast<std::uint32_t>(rng()));
    if (!std::isfinite(x)) continue;
    check(w, d, x);
  }
}

TEST_P(FixedExactness, RandomValuesInTheFieldsRange) {
  const auto [w, d] = GetParam();
  std::mt19937 rng(99u + static_cast<unsigned>(w * 16 + d));
  // Exponents from far below the last decimal up to just past the widest value.
  const int top = static_cast<int>(std::ceil((w - d) * 3.33)) + 2;
  std::uniform_int_distribution<int> exponent(-d * 4 - 8, top);
  std::uniform_int_distribution<std::uint32_t> mantissa(0, (1u << 23) - 1);
  for (int i = 0; i < 100000; ++i) {
    const int e = std::clamp(exponent(rng), -126, 127);
    std::uint32_t bits = (static_cast<std::uint32_t>(e + 127) << 23) | mantissa(rng);
    if (rng() & 1) bits |= 0x80000000u;
    check(w, d, std::bit_cast<float>(bits));
  }
}

TEST_P(FixedExactness, EveryTieAndItsNeighbours) {
  // A tie at d decimals is x with x * 10^d = n + 1/2 exactly: since 5^d must
  // divide 2n + 1, these are the odd multiples of 2^-(d + 1).
  const auto [w, d] = GetParam();
  const double step = std::ldexp(1.0, -(d + 1));
  const double limit = std::pow(10.0, std::max(0, w - d - 1)) * 1.01;
  // The odd multiples m that are singles (m < 2^24) and within the field's
  // range: the lowest 20,000 and the highest 20,000 of them.
  const double m_max = std::min(std::floor(limit / step), 16777215.0);
  int ties = 0;
  auto visit = [&](double m) {
    const float x = static_cast<float>(m * step);
    ASSERT_EQ(static_cast<double>(x), m * step);
    for (float v : {x, std::nextafter(x, 0.0f), std::nextafter(x, 1e30f)}) {
      check(w, d, v);
      check(w, d, -v);
    }
    ++ties;
  };
  for (double m = 1; m <= m_max && m < 40000; m += 2) visit(m);
  for (double m = std::max(40001.0, m_max - 40000); m <= m_max; m += 1) {
    if (std::fmod(m, 2.0) == 1.0) visit(m);
  }
  EXPECT_GT(ties, 0);
}

INSTANTIATE_TEST_SUITE_P(SystemFormats, FixedExactness, ::testing::ValuesIn(kFormats),
                         [](const auto& info) {
                           std::string name = "F";  // appended step by step: GCC 12 warns (-Wrestrict) on "F" + ...
                           name += std::to_string(info.param.w);
                           name += '_';
                           name += std::to_string(info.param.d);
                           return name;
                         });

TEST(FixedExactnessSweep, EverySingleBetween1And1_125InF62) {
  // Exhaustive over [1, 1.125) (2^20 singles): the fast path against the exact path.
  int checked = 0;
  for (std::uint32_t bits = std::bit_cast<std::uint32_t>(1.0f); bits < std::bit_cast<std::uint32_t>(1.125f); ++bits) {
    const float x = std::bit_cast<float>(bits);
    ASSERT_EQ(fast(6, 2, x), exact(6, 2, x)) << x;
    ++checked;
  }
  EXPECT_EQ(checked, 1 << 20);
}

TEST(FixedExactnessSweep, EverySingleOfTheMapRangeInF62AgainstTheReferenceNearTies) {
  // Every single within 8 ulps of every tie of F6.2 in [0, 100), and of every
  // seventh tie in [100, 1000).
  for (int n = 0; n < 100000; n += n < 10000 ? 1 : 7) {
    const float tie = static_cast<float>((n + 0.5) / 100.0);
    float x = tie;
    for (int k = 0; k < 8; ++k) x = std::nextafter(x, 0.0f);
    for (int k = 0; k < 17; ++k, x = std::nextafter(x, 1e9f)) {
      ASSERT_EQ(fast(6, 2, x), reference_fixed(6, 2, x)) << x;
    }
  }
}

}  // namespace
