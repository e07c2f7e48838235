// The exact grid's radial tables (engine/true_radial.h): their W against the
// 40-digit table of tests/data and against the kernel over whole ranges of
// distance, their fallbacks, and the grid they give against the grid by the
// kernel term by term (sums in double within the bound, cells in single the
// same but for rare 1-ulp differences, for any thread count and instruction set).

#include "engine/true_radial.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "engine/true_grid.h"
#include "engine/true_well_function.h"
#include "engine/well_function_lanes_testing.h"
#include "model/true_drawdown.h"

namespace engine {
namespace {

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }
const double kInf = std::numeric_limits<double>::infinity();

// The kernel's W at d^2 as the term-by-term sum takes it.
double Kernel(double S, double E, double B, double d2) {
  const double r = model::true_distance(std::sqrt(d2), 0.0);
  return true_well_function(model::kTrueUCoefficient * r * r * S / E, r / B);
}

// W(u, b) from tests/data/true_well_function_table.txt, to 25 digits.
struct Row {
  double u, b, W;
};

std::vector<Row> ReadTable() {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/tests/data/true_well_function_table.txt");
  std::vector<Row> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    Row r{};
    fields >> r.u >> r.b >> r.W;
    rows.push_back(r);
  }
  return rows;
}

// Each value of the 40-digit table from a radial table made at r = 1000 ft
// with S = 1, E and B chosen to give that u and r/B (each rounded once, so
// the table's W is compared at u and b a few ulps off: ln W moves by at most
// u + b^2/(4u) times their relative error).
TEST(TrueRadial, TablesGiveTheFortyDigitValuesWithinTheBound) {
  const std::vector<Row> rows = ReadTable();
  ASSERT_GT(rows.size(), 1000u);
  const double d2 = 1e6, r = 1000.0;
  std::size_t fitted = 0;
  double worst = 0.0;
  for (const Row& row : rows) {
    if (!(row.u > 0.0) || row.W < true_radial::kLeastW) continue;
    const double E = model::kTrueUCoefficient * d2 / row.u, B = row.b == 0.0 ? kInf : r / row.b;
    const TrueRadialTable table = make_radial_table(1.0, E, B, 0.5 * d2, 2.0 * d2);
    const std::size_t piece = (Bits(d2) >> true_radial::kPieceShift) - table.first;
    ASSERT_LT(piece, table.count);
    if (table.kind[piece] == RadialPiece::kernel) continue;
    ++fitted;
    const double u = model::kTrueUCoefficient * r * r / E, b = r / B;
    const double moved = (std::fabs(u / row.u - 1.0) + std::fabs(b - row.b) / std::max(row.b, 1e-300)) *
                         (u + b * b / (4.0 * u) + 1.0);
    const double error = std::fabs(radial_well_function(table, d2) / row.W - 1.0);
    const double bound = (row.W >= 1e-38 ? 1e-13 : 3e-13) + moved;
    EXPECT_LE(error, bound) << "u " << row.u << ", r/B " << row.b;
    if (row.W >= 1e-38) worst = std::max(worst, error - moved);
  }
  std::printf("%zu of %zu values from fitted pieces; largest relative error %.3g where W >= 1e-38\n", fitted,
              rows.size(), worst);
  EXPECT_GT(fitted, rows.size() * 9 / 10);
}

// Tables over distances from 1 ft to 60 miles against the kernel at 400,000
// distances each, for aquifers from the ordinary to the extreme: within
// 1e-13 where W is a normal single, 3e-13 down to kLeastW, and below it the
// kernel's own bits (0 past its cutoff). Most pieces are fitted; the
// kernel's pieces lie where W falls below kLeastW.
struct Aquifer {
  const char* name;
  double S, E, B;
  bool cutoff;  // W falls below kLeastW and to 0 within 60 miles
};

TEST(TrueRadial, TablesGiveTheKernelsValuesWithinTheBound) {
  const Aquifer cases[] = {
      {"leaky, 30 days", 0.0002, 50000.0 * 30, std::sqrt(50000.0 / 0.001), false},
      {"no leakage, a year", 0.0003, 20000.0 * 365, kInf, false},
      {"confined, strongly storing, hours", 0.2, 20000.0 * 0.05, kInf, true},
      {"strongly leaky, small storage", 1e-5, 5000.0 * 5, std::sqrt(5000.0 / 50.0), true},
      {"leaky, minutes", 0.001, 1000.0 * 0.001, std::sqrt(1000.0 / 0.01), true},
  };
  const double most = std::pow(60.0 * 5280.0, 2.0);
  for (const Aquifer& c : cases) {
    SCOPED_TRACE(c.name);
    const TrueRadialTable table = make_radial_table(c.S, c.E, c.B, 0.0, most);
    std::size_t kinds[3] = {};
    for (RadialPiece k : table.kind) ++kinds[static_cast<int>(k)];
    double normal = 0.0, small = 0.0;
    std::size_t zeros = 0, kernels = 0;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> log_d2(0.0, std::log(most));
    for (int i = 0; i < 400000; ++i) {
      const double d2 = i < 1000 ? 1.0 - i * 1e-3 : std::exp(log_d2(rng));  // the raised ones first
      const double K = Kernel(c.S, c.E, c.B, d2), W = radial_well_function(table, d2);
      if (K < true_radial::kLeastW) {
        if (K == 0.0)
          ++zeros;
        else
          ++kernels;
        ASSERT_EQ(Bits(W), Bits(K)) << "d2 " << d2;
        continue;
      }
      (K >= 1e-38 ? normal : small) = std::max(K >= 1e-38 ? normal : small, std::fabs(W / K - 1.0));
    }
    std::printf("%s: pieces %zu direct, %zu log, %zu kernel; largest relative difference %.3g where W >= 1e-38, "
                "%.3g below\n", c.name, kinds[0], kinds[1], kinds[2], normal, small);
    EXPECT_LE(normal, 1e-13);
    EXPECT_LE(small, 3e-13);
    EXPECT_GT(kinds[0], kinds[2]);
    EXPECT_EQ(zeros > 0 && kernels > 0, c.cutoff);
  }
}

// Where no table can be made the grid is the kernel's, bit for bit.
TEST(TrueRadial, NoTableWhereItCannotBeMade) {
  struct Case {
    const char* name;
    double S, E, B;
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {{"S = 0", 0.0, 1e6, 100.0},       {"E = 0", 2e-4, 0.0, 100.0},
                        {"E infinite", 2e-4, kInf, 100.0}, {"S NaN", nan, 1e6, 100.0},
                        {"B NaN", 2e-4, 1e6, nan},         {"B = 0", 2e-4, 1e6, 0.0}};
  for (const Case& c : cases) EXPECT_FALSE(radial_table_possible(c.S, c.E, c.B)) << c.name;
  EXPECT_TRUE(radial_table_possible(2e-4, 1e6, kInf));
}

}  // namespace
}  // namespace engine
