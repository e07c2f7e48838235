// The numbers the map and the charts show, and the round values their axes
// and scale bars stand on.
#include "pictures/picture_numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

using namespace pictures::picture;

const std::string kMinus = "\u2212";

TEST(PictureNumbers, FixedHasSeparatorsATrueMinusAndNoNegativeZero) {
  struct Case {
    double v;
    int decimals;
    std::string text;
  };
  const Case cases[] = {
      {0, 0, "0"},
      {-0.04, 1, "0.0"},  // rounds to zero: no sign
      {-0.0, 2, "0.00"},
      {-2.5, 1, kMinus + "2.5"},
      {100, 0, "100"},
      {1234.5, 1, "1,234.5"},
      {999.6, 0, "1,000"},  // the carry makes a new group
      {2150000, 0, "2,150,000"},
      {-2150000.25, 2, kMinus + "2,150,000.25"},
      {-123456, 0, kMinus + "123,456"},
      {0.125, 3, "0.125"},
      {12.345, -1, "12"},  // decimals taken into 0 .. 12
  };
  for (const Case& c : cases) EXPECT_EQ(fixed(c.v, c.decimals), c.text) << c.v << " with " << c.decimals;
}

TEST(PictureNumbers, ShortestWritesRoundNumbersWithTheDecimalsTheyNeed) {
  struct Case {
    double v;
    std::string text;
  };
  const Case cases[] = {
      {0, "0"},           {2, "2"},          {0.05, "0.05"},        {0.1 + 0.2, "0.3"},
      {1000, "1,000"},    {-1.5, kMinus + "1.5"}, {12345.678, "12,345.68"} /* to a millionth */, {5e-6, "0.000005"},
      {1e-7, "1e-07"},    {2e15, "2e+15"},   {-3e-7, kMinus + "3e-07"},
  };
  for (const Case& c : cases) EXPECT_EQ(shortest(c.v), c.text) << c.v;
}

TEST(PictureNumbers, GeneralIsPrintfsG) {
  EXPECT_EQ(general(50000.0f), "50000");  // the inputs' own numbers: no separators
  EXPECT_EQ(general(0.0002f), "0.0002");
  EXPECT_EQ(general(30.0f), "30");
  EXPECT_EQ(general(-3.0f), kMinus + "3");
  EXPECT_EQ(general(-0.0f), "0");
}

TEST(PictureNumbers, RoundValuesBelowAndAbove) {
  struct Case {
    double v, below, above;
  };
  const Case cases[] = {
      {1, 1, 1},     {3, 2, 5},         {7.2, 5, 10},     {0.013, 0.01, 0.02}, {365, 200, 500},
      {1000, 1000, 1000}, {0.3, 0.2, 0.5}, {5280, 5000, 10000}, {1.9999999, 1, 2},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(round_below(c.v), c.below, 1e-12 * c.v) << c.v;
    EXPECT_NEAR(round_above(c.v), c.above, 1e-12 * c.v) << c.v;
  }
}

TEST(PictureNumbers, MultiplesOfAStepIncludeBothEnds) {
  struct Case {
    double lo, hi, step;
    std::vector<double> values;
  };
  const Case cases[] = {
      {0, 1, 0.25, {0, 0.25, 0.5, 0.75, 1}},
      {0.1, 0.95, 0.2, {0.2, 0.4, 0.6, 0.8}},
      {-1, 1, 0.5, {-1, -0.5, 0, 0.5, 1}},
      {0.1 + 0.2, 0.9, 0.1, {0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9}},  // ends off by rounding still count
      {2150050, 2154050, 1000, {2151000, 2152000, 2153000, 2154000}},
      {0, 1, 0, {}},
      {0, 1, NAN, {}},
      {1, 0, 0.1, {}},
  };
  for (const Case& c : cases) {
    const std::vector<double> got = multiples(c.lo, c.hi, c.step);
    ASSERT_EQ(got.size(), c.values.size()) << c.lo << " .. " << c.hi << " by " << c.step;
    for (std::size_t k = 0; k < got.size(); ++k) EXPECT_NEAR(got[k], c.values[k], 1e-9) << c.lo << " by " << c.step;
  }
  EXPECT_EQ(multiples(0, 1e9, 1).size(), 100u) << "a step far too small for the range gives at most 100";
}

}  // namespace
