// The exact grid with radial tables (engine/true_radial.h) against the
// kernel term by term: each node's sum in double within the bound of a
// straightforward sum written out here, the cells in single the same but for
// rare 1-ulp differences, the same cells for any thread count and
// instruction set, and the tables made only where they pay.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/true_grid.h"
#include "engine/true_radial.h"
#include "engine/true_well_function.h"
#include "engine/well_function_lanes_testing.h"
#include "model/true_drawdown.h"

namespace engine {
namespace {

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }

std::vector<double> Coordinates(double first, double spacing, int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(first + spacing * i);
  return v;
}

// Wells at random: most on the grid, some on nodes, some far off; rates of
// both signs; elapsed days from a few values (terms that share a table) and
// some of their own.
std::vector<TrueTerm> RandomTerms(std::uint64_t seed, int count, const std::vector<double>& xs,
                                  const std::vector<double>& ys) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  const double days[] = {30.0, 30.0, 30.0, 2.5, 0.01};
  std::vector<TrueTerm> terms;
  for (int i = 0; i < count; ++i) {
    const double roll = unit(rng);
    double x = xs.front() + (xs.back() - xs.front()) * unit(rng), y = ys.front() + (ys.back() - ys.front()) * unit(rng);
    if (roll < 0.2) {  // on a node
      x = xs[static_cast<std::size_t>(unit(rng) * static_cast<double>(xs.size() - 1))];
      y = ys[static_cast<std::size_t>(unit(rng) * static_cast<double>(ys.size() - 1))];
    } else if (roll < 0.3) {  // far off
      x += 1e5 * (unit(rng) - 0.5);
    }
    const double q = (unit(rng) < 0.25 ? -1.0 : 1.0) * (1e4 + 1e6 * unit(rng));
    const double elapsed = roll > 0.9 ? 100.0 * unit(rng) + 0.001 : days[i % 5];
    terms.push_back({x, y, q, elapsed});
  }
  return terms;
}

struct Case {
  const char* name;
  TrueAquifer aquifer;
};

const Case kCases[] = {
    {"leaky", {50000.0, 0.0002, 0.001}},
    {"no leakage", {20000.0, 0.0003, 0.0}},
    {"strongly leaky, small storage: r/B large", {5000.0, 1e-5, 0.5}},
    {"storing, slow: u past the cutoff", {2000.0, 0.25, 1e-6}},
};

// The terms as the grid's arrays.
struct Arrays {
  std::vector<double> x, y, E, per_W;
  TrueTermArrays t;
  Arrays(const TrueAquifer& a, const std::vector<TrueTerm>& terms) {
    for (const TrueTerm& k : terms) {
      x.push_back(k.x);
      y.push_back(k.y);
      E.push_back(a.T * k.elapsed_days);
      per_W.push_back(model::kTrueDrawdownCoefficient * (k.dq / 1440.0));
    }
    t = TrueTermArrays{x.data(), y.data(), E.data(), per_W.data(), terms.size(),
                       a.T, a.S, model::leakage_factor(a.T, a.leakance)};
  }
};

// Each node's sum in double from the tables against the sum of the kernel's
// terms written out: apart by at most 1e-13 of the sum of the terms' sizes
// (3e-13 for terms with W below 1e-38), and the two sums' own rounding.
TEST(TrueRadialGrid, NodeSumsAreWithinTheBoundOfTheKernelsSum) {
  const std::vector<double> xs = Coordinates(-1000.0, 50.0, 41), ys = Coordinates(200.0, 75.0, 30);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::vector<TrueTerm> terms = RandomTerms(11, 60, xs, ys);
    const Arrays arrays(c.aquifer, terms);
    const TrueRadialPlan plan = plan_radial(arrays.t, std::vector<bool>(terms.size(), true), xs, ys, true);
    ASSERT_EQ(plan.table_of.size(), terms.size());
    for (std::size_t k = 0; k < terms.size(); ++k) ASSERT_GE(plan.table_of[k], 0);
    RadialScratch scratch;
    std::vector<double> sums(xs.size());
    double worst = 0.0;
    for (double y : ys) {
      std::fill(sums.begin(), sums.end(), 0.0);
      radial_row_add(xs.data(), xs.size(), y, arrays.t, plan, 0, terms.size(), scratch, sums.data());
      for (std::size_t i = 0; i < xs.size(); ++i) {
        double sum = 0.0, bound = 0.0;
        for (const TrueTerm& k : terms) {
          const double r = std::max(1.0, std::hypot(xs[i] - k.x, y - k.y));
          const double u = 1.87025 * r * r * c.aquifer.S / (c.aquifer.T * k.elapsed_days);
          const double W = true_well_function(u, r * std::sqrt(c.aquifer.leakance / c.aquifer.T));
          const double term = 114.59156 * (k.dq / 1440.0) * W / c.aquifer.T;
          sum += term;
          bound += std::fabs(term) * ((W >= 1e-38 ? 1e-13 : 3e-13) + 2.0 * terms.size() * 0x1p-53);
        }
        ASSERT_LE(std::fabs(sums[i] - sum), bound) << "node " << xs[i] << ", " << y;
        if (bound > 0.0) worst = std::max(worst, std::fabs(sums[i] - sum) / bound);
      }
    }
    std::printf("%s: the largest difference is %.3g of the bound\n", c.name, worst);
  }
}

// The grid's cells with tables against the kernel's term by term: the same
// singles but at no more than 0.1 % of the nodes, there 1 ulp apart; and the
// same cells for 1, 2 and 5 threads on every instruction set.
TEST(TrueRadialGrid, CellsAreTheKernelsButForRareOneUlpDifferences) {
  const int columns = 97, rows = 61;
  const std::vector<double> xs = Coordinates(0.0, 100.0, columns), ys = Coordinates(0.0, 100.0, rows);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::vector<TrueTerm> terms = RandomTerms(5, 40, xs, ys);
    DrawdownGrid kernel(columns, rows), radial(columns, rows);
    evaluate_true(kernel, xs, ys, c.aquifer, terms, TrueOptions{2, nullptr, nullptr, TrueRadial::never});
    evaluate_true(radial, xs, ys, c.aquifer, terms, TrueOptions{1, nullptr, nullptr, TrueRadial::always});
    int differ = 0;
    for (int r = 1; r <= rows; ++r)
      for (int col = 1; col <= columns; ++col) {
        const auto ulps = std::llabs(static_cast<std::int64_t>(Bits(kernel(col, r))) - Bits(radial(col, r)));
        ASSERT_LE(ulps, 1) << "node " << col << ", " << r << ": " << radial(col, r) << " against " << kernel(col, r);
        differ += ulps != 0;
      }
    std::printf("%s: %d of %d cells 1 ulp apart\n", c.name, differ, columns * rows);
    EXPECT_LE(differ, columns * rows / 1000);
    for (const std::string& target : lanes_targets()) {
      use_lanes_target(target);
      for (int threads : {1, 2, 5}) {
        DrawdownGrid again(columns, rows);
        evaluate_true(again, xs, ys, c.aquifer, terms, TrueOptions{threads, nullptr, nullptr, TrueRadial::always});
        for (int r = 1; r <= rows; ++r)
          for (int col = 1; col <= columns; ++col)
            ASSERT_EQ(Bits(again(col, r)), Bits(radial(col, r))) << target << ", " << threads << " threads";
      }
    }
    use_lanes_target("");
  }
}

// A long schedule (the runs' pieces) between plain terms with tables, and an
// aquifer where no table can be made (S = 0): the stretches summed each their
// way, in term order.
TEST(TrueRadialGrid, TablesBesideALongScheduleAndWhereNoneCanBeMade) {
  const std::vector<double> xs = Coordinates(50.0, 100.0, 23), ys = Coordinates(50.0, 100.0, 9);
  std::vector<TrueTerm> terms = {{2000.0, 600.0, 90000.0, 30.0}, {550.0, 350.0, -20000.0, 30.0}};
  for (int k = 0; k < 3000; ++k) terms.push_back({1612.5, 790.0, k % 2 == 0 ? 120000.0 : -60000.0, 30.0 - 0.004 * k});
  terms.push_back({300.0, 1100.0, -40000.0, 10.0});
  struct Run {
    const char* name;
    TrueAquifer aquifer;
    bool tables;
  };
  const Run runs[] = {{"leaky", {50000.0, 0.0002, 0.001}, true}, {"S = 0", {50000.0, 0.0, 0.001}, false}};
  for (const Run& run : runs) {
    SCOPED_TRACE(run.name);
    DrawdownGrid kernel(23, 9), radial(23, 9);
    evaluate_true(kernel, xs, ys, run.aquifer, terms, TrueOptions{1, nullptr, nullptr, TrueRadial::never});
    evaluate_true(radial, xs, ys, run.aquifer, terms, TrueOptions{2, nullptr, nullptr, TrueRadial::always});
    int differ = 0;
    for (int r = 1; r <= 9; ++r)
      for (int col = 1; col <= 23; ++col) {
        const auto ulps = std::llabs(static_cast<std::int64_t>(Bits(kernel(col, r))) - Bits(radial(col, r)));
        ASSERT_LE(ulps, run.tables ? 1 : 0) << "node " << col << ", " << r;
        differ += ulps != 0;
      }
    EXPECT_LE(differ, 1);
  }
}

// Tables are made where their kernel evaluations are few beside the
// node-terms they serve (or always when asked), per T * elapsed.
TEST(TrueRadialGrid, TablesAreMadeWhereTheyPay) {
  struct Case {
    const char* name;
    int nodes;         // per side, 100 ft apart
    int terms;         // all with one elapsed time
    bool always;
    bool tables;
  };
  const Case cases[] = {
      {"a full-size grid, one well", 300, 1, false, true},
      {"a small grid, five wells", 23, 5, false, false},
      {"a small grid, five wells, always", 23, 5, true, true},
      {"a middling grid, many wells", 60, 200, false, true},
  };
  const TrueAquifer a{50000.0, 0.0002, 0.001};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<double> xs = Coordinates(100.0, 100.0, c.nodes);
    std::vector<TrueTerm> terms;
    for (int k = 0; k < c.terms; ++k) terms.push_back({150.0 + 37.0 * k, 220.0 + 11.0 * k, 1e5, 30.0});
    const Arrays arrays(a, terms);
    const TrueRadialPlan plan = plan_radial(arrays.t, std::vector<bool>(terms.size(), true), xs, xs, c.always);
    EXPECT_EQ(plan.tables.size(), c.tables ? 1u : 0u);
  }
}

// Terms that each have their own T * elapsed get tables in order until the
// tables' pieces would pass kMostPieces; the rest take the kernel.
TEST(TrueRadialGrid, TheTablesOfOneGridStayWithinTheirBound) {
  const std::vector<double> xs = Coordinates(100.0, 100.0, 30);
  const TrueAquifer a{50000.0, 0.0002, 0.001};
  std::vector<TrueTerm> terms;
  for (int k = 0; k < 200; ++k) terms.push_back({150.0 + 13.0 * k, 220.0 + 7.0 * k, 1e5, 30.0 + 0.01 * k});
  const Arrays arrays(a, terms);
  const TrueRadialPlan plan = plan_radial(arrays.t, std::vector<bool>(terms.size(), true), xs, xs, true);
  std::size_t pieces = 0;
  for (const TrueRadialTable& t : plan.tables) pieces += t.count;
  EXPECT_LE(pieces, true_radial::kMostPieces);
  EXPECT_GT(pieces + plan.tables.front().count, true_radial::kMostPieces);
  ASSERT_LT(plan.tables.size(), terms.size());
  for (std::size_t k = 0; k < terms.size(); ++k)
    EXPECT_EQ(plan.table_of[k], k < plan.tables.size() ? static_cast<std::int32_t>(k) : -1) << k;
}

}  // namespace
}  // namespace engine
