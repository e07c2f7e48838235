// engine::true_well_function and the adaptive quadrature
// model::reference_well_function against a table of 40-digit values
// (tests/data/true_well_function_table.txt, made by
// tools/true_well_function_table.py); the function against the quadrature
// over a dense sweep; its limits; and its SIMD lanes against it bit for bit on
// every instruction set.

#include "engine/true_well_function.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <boost/math/special_functions/bessel.hpp>
#include <boost/math/special_functions/expint.hpp>

#include "engine/well_function_lanes_testing.h"
#include "model/reference_well_function.h"

namespace engine {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Singles apart, counted along the ordered bit patterns (0 and -0 are one).
std::int64_t UlpsApart(float a, float b) {
  auto key = [](float x) {
    const auto bits = static_cast<std::int64_t>(std::bit_cast<std::uint32_t>(x));
    return bits & 0x80000000 ? -(bits & 0x7fffffff) : bits;
  };
  return std::llabs(key(a) - key(b));
}

// How a well function's values compare with the true ones, rounded to single.
struct Score {
  std::int64_t points = 0, correctly_rounded = 0, worst_ulps = 0;
  double worst_relative = 0.0;  // in double, where the value is a normal single
  std::string worst_at;

  void add(double got, float true_single, double true_double, double u, double b) {
    ++points;
    const std::int64_t ulps = UlpsApart(static_cast<float>(got), true_single);
    correctly_rounded += ulps == 0 ? 1 : 0;
    if (ulps > worst_ulps) {
      worst_ulps = ulps;
      std::ostringstream at;
      at << std::hexfloat << "u " << u << " b " << b << std::defaultfloat << ": " << got << " against "
         << true_double;
      worst_at = at.str();
    }
    if (std::fabs(true_single) >= std::numeric_limits<float>::min())
      worst_relative = std::max(worst_relative, std::fabs(got / true_double - 1.0));
  }
  double share_correct() const { return static_cast<double>(correctly_rounded) / static_cast<double>(points); }
};

struct TableRow {
  double u, b, W;
  float W_single;  // the decimal rounded to single directly
};

std::vector<TableRow> Table() {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/tests/data/true_well_function_table.txt");
  std::vector<TableRow> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string u, b, W;
    fields >> u >> b >> W;
    rows.push_back(TableRow{std::strtod(u.c_str(), nullptr), std::strtod(b.c_str(), nullptr),
                            std::strtod(W.c_str(), nullptr), std::strtof(W.c_str(), nullptr)});
  }
  return rows;
}

TEST(TrueWellFunction, TheTableCoversEveryForm) {
  const std::vector<TableRow> rows = Table();
  ASSERT_GE(rows.size(), 1100u);
  int zero_b = 0, reflected = 0, series = 0, far = 0, underflow = 0;
  for (const TableRow& r : rows) {
    zero_b += r.b == 0.0;
    reflected += r.u < r.b / 2;
    const double u1 = std::max(r.u, r.b * r.b / 4 / r.u);
    series += u1 <= 1.0;
    far += std::pow(std::sqrt(u1) - r.b / (2 * std::sqrt(u1)), 2) >= 9.0;
    underflow += r.W_single == 0.0f;
  }
  EXPECT_GE(zero_b, 20);
  EXPECT_GE(reflected, 100);
  EXPECT_GE(series, 50);
  EXPECT_GE(far, 50);
  EXPECT_GE(underflow, 10);
}

// Both well functions against the table: within an ulp of the correctly
// rounded single everywhere, and that single itself at 99.9% of the points.
TEST(TrueWellFunction, AgreesWithTheTable) {
  const std::vector<TableRow> rows = Table();
  Score fast, reference;
  for (const TableRow& r : rows) {
    fast.add(true_well_function(r.u, r.b), r.W_single, r.W, r.u, r.b);
    reference.add(model::reference_well_function(r.u, r.b), r.W_single, r.W, r.u, r.b);
  }
  EXPECT_LE(fast.worst_ulps, 1) << fast.worst_at;
  EXPECT_GE(fast.share_correct(), 0.999);
  EXPECT_LT(fast.worst_relative, 1e-13);
  EXPECT_LE(reference.worst_ulps, 1) << reference.worst_at;
  EXPECT_GE(reference.share_correct(), 0.999);
  std::cout << "table of " << rows.size() << ": true_well_function " << fast.correctly_rounded
            << " correctly rounded, largest relative error " << fast.worst_relative << "; reference_well_function "
            << reference.correctly_rounded << ", " << reference.worst_relative << "\n";
}

// The points of the dense sweep: u log-spaced from 1e-30 to 700 against b = 0
// and b log-spaced from 1e-8 to 100, and for each b the places where the
// evaluation changes its method, a little either side.
std::vector<std::pair<double, double>> Sweep() {
  std::vector<double> bs = {0.0};
  for (int j = 0; j <= 160; ++j) bs.push_back(std::pow(10.0, -8.0 + 10.0 * j / 160));
  std::vector<std::pair<double, double>> points;
  for (double b : bs) {
    for (int i = 0; i <= 600; ++i) points.emplace_back(std::pow(10.0, -30.0 + (std::log10(700.0) + 30.0) * i / 600), b);
    const double root = (3.0 + std::sqrt(9.0 + 2.0 * b)) / 2.0;  // sqrt(u) - b/(2 sqrt(u)) = 3
    for (double edge : {b / 2, 1.0, b * b / 4, root * root, b * b / 4 / (root * root)})
      for (double s : {1.0 - 1e-9, 1.0, 1.0 + 1e-9})
        if (edge * s > 0.0) points.emplace_back(edge * s, b);
  }
  return points;
}

TEST(TrueWellFunction, AgreesWithTheAdaptiveQuadratureOverADenseSweep) {
  Score score;
  for (const auto& [u, b] : Sweep()) {
    const double reference = model::reference_well_function(u, b);
    score.add(true_well_function(u, b), static_cast<float>(reference), reference, u, b);
  }
  EXPECT_GE(score.points, 98000);
  EXPECT_LE(score.worst_ulps, 1) << score.worst_at;
  EXPECT_GE(score.share_correct(), 0.999);
  std::cout << "sweep of " << score.points << ": " << score.correctly_rounded << " the same single, largest "
            << "relative difference " << score.worst_relative << "\n";
}

// The limits, each against an independent value: E1 for b = 0, 2 K0 for
// u = 0 (Boost.Math), and the stated values outside the domain.
TEST(TrueWellFunction, Limits) {
  struct Case {
    double u, b, expected;
    double tolerance;  // relative; 0: these bits
  };
  auto E1 = [](double u) { return boost::math::expint(1, u); };
  auto K0x2 = [](double b) { return 2.0 * boost::math::cyl_bessel_k(0, b); };
  const Case cases[] = {
      {1e-300, 0.0, E1(1e-300), 1e-14}, {1e-30, 0.0, E1(1e-30), 1e-14}, {0.25, 0.0, E1(0.25), 1e-14},
      {1.0, 0.0, E1(1.0), 1e-14},       {4.0, 0.0, E1(4.0), 1e-14},     {30.0, 0.0, E1(30.0), 1e-14},
      {700.0, 0.0, E1(700.0), 1e-13},   {0.0, 1e-12, K0x2(1e-12), 1e-14}, {0.0, 0.5, K0x2(0.5), 1e-14},
      {0.0, 2.0, K0x2(2.0), 1e-14},     {-0.0, 3.0, K0x2(3.0), 1e-14},  {0.0, 60.0, K0x2(60.0), 1e-14},
      {1e-300, 1e-100, K0x2(1e-100), 1e-14},  // u far below b/2: the pumping-well limit
      {0.0, 0.0, kInf, 0},  {kInf, 1.0, 0.0, 0},   {1.0, kInf, 0.0, 0},  {kInf, kInf, 0.0, 0},
      {800.0, 0.0, 0.0, 0}, {1e-3, 800.0, 0.0, 0}, {1e300, 1e-3, 0.0, 0}, {1e-3, 1e300, 0.0, 0},
      {-1e-3, 1.0, kNaN, 0}, {-kInf, 0.0, kNaN, 0}, {kNaN, 1.0, kNaN, 0},  {1.0, kNaN, kNaN, 0},
  };
  for (const Case& c : cases) {
    const double W = true_well_function(c.u, c.b);
    if (c.tolerance > 0)
      EXPECT_NEAR(W, c.expected, c.tolerance * c.expected) << "u " << c.u << " b " << c.b;
    else if (std::isnan(c.expected))
      EXPECT_TRUE(std::isnan(W)) << "u " << c.u << " b " << c.b << ": " << W;
    else
      EXPECT_EQ(W, c.expected) << "u " << c.u << " b " << c.b;
  }
  // Only b^2 enters.
  for (const auto& [u, b] : {std::pair{1e-3, 0.5}, {0.5, 0.5}, {3.0, 2.5}, {40.0, 9.0}, {0.0, 4.0}})
    EXPECT_EQ(std::bit_cast<std::uint64_t>(true_well_function(u, -b)),
              std::bit_cast<std::uint64_t>(true_well_function(u, b)));
}

// The lanes give the scalar bits, whatever their neighbours (the points are
// shuffled, so each vector mixes forms), the length of the span (tails) and
// the instruction set.
TEST(TrueWellFunction, LanesGiveTheScalarBits) {
  std::vector<double> u, b;
  for (const TableRow& r : Table()) {
    u.push_back(r.u);
    b.push_back(r.b);
  }
  const std::vector<std::pair<double, double>> sweep = Sweep();
  for (std::size_t i = 0; i < sweep.size(); i += 37) {
    u.push_back(sweep[i].first);
    b.push_back(sweep[i].second);
  }
  for (double special : {0.0, -0.0, kInf, -kInf, kNaN, -1.0, 1e-310}) {
    u.push_back(special);
    b.push_back(1.0);
    u.push_back(1.0);
    b.push_back(special);
  }
  std::mt19937_64 rng(7);
  std::vector<std::size_t> order(u.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), rng);
  std::vector<double> us, bs, expected;
  for (std::size_t i : order) {
    us.push_back(u[i]);
    bs.push_back(b[i]);
    expected.push_back(true_well_function(u[i], b[i]));
  }
  for (const std::string& target : lanes_targets()) {
    SCOPED_TRACE(target);
    use_lanes_target(target);
    for (std::size_t length : {us.size(), std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{13}}) {
      std::vector<double> W(length, -1.0);
      true_well_function_lanes(std::span(us).first(length), std::span(bs).first(length), W);
      int shown = 0;
      for (std::size_t i = 0; i < length; ++i)
        if (std::bit_cast<std::uint64_t>(W[i]) != std::bit_cast<std::uint64_t>(expected[i]) && shown++ < 5)
          ADD_FAILURE() << "u " << us[i] << " b " << bs[i] << ": lanes " << W[i] << ", scalar " << expected[i];
    }
  }
  use_lanes_target("");
}

}  // namespace
}  // namespace engine
