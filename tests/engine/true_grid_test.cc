// The exact grid (engine::evaluate_true) against a straightforward per-node
// sum with the adaptive quadrature model::reference_well_function, and against its
// own scalar form (true_point_drawdown) bit for bit, for any thread count.

#include "engine/true_grid.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/true_well_function.h"
#include "engine/well_function_lanes_testing.h"
#include "model/reference_well_function.h"

namespace engine {
namespace {

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// 23 x 9 nodes at 50 ft from (1025, 4025): the column count leaves a partial
// group of lanes at the end of each row.
struct Case {
  std::string name;
  TrueAquifer aquifer;
  std::vector<TrueTerm> terms;
};

std::vector<double> Coordinates(double first, int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(first + 50.0 * i);
  return v;
}

std::vector<Case> Cases() {
  const std::vector<TrueTerm> field = {
      {1025.0, 4025.0, 250000.0, 30.0},     // on node (1, 1): the least distance
      {1612.5, 4190.0, 80000.0, 30.0},      // between nodes
      {1300.0, 4400.0, -60000.0, 2.5},      // injection, begun lately
      {3000.0, 9000.0, 1e6, 365.0},         // far off the grid
      {1612.5, 4190.0, -30000.0, 0.01},     // the second well's rate cut, hours ago
  };
  return {
      {"leaky", {50000.0, 0.0002, 0.001}, field},
      {"no leakage", {20000.0, 0.0003, 0.0}, field},
      {"strongly leaky, small storage", {5000.0, 1e-5, 0.5}, field},
  };
}

// The straightforward sum: each term's drawdown by the formula of
// model/true_drawdown.h written out, with the adaptive quadrature.
double ReferenceNode(double x, double y, const TrueAquifer& a, const std::vector<TrueTerm>& terms) {
  double sum = 0.0;
  for (const TrueTerm& t : terms) {
    const double r = std::max(1.0, std::hypot(x - t.x, y - t.y));
    const double u = 1.87025 * r * r * a.S / (a.T * t.elapsed_days);
    const double W = model::reference_well_function(u, r / std::sqrt(a.T / a.leakance));
    sum += 114.59156 * (t.dq / 1440.0) * W / a.T;
  }
  return sum;
}

TEST(TrueGrid, AgreesWithAStraightforwardSumByTheAdaptiveQuadrature) {
  const std::vector<double> xs = Coordinates(1025.0, 23), ys = Coordinates(4025.0, 9);
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    DrawdownGrid DD(23, 9);
    evaluate_true(DD, xs, ys, c.aquifer, c.terms, TrueOptions{2, nullptr, nullptr});
    int same = 0;
    for (int r = 1; r <= 9; ++r)
      for (int col = 1; col <= 23; ++col) {
        const float expected = static_cast<float>(ReferenceNode(xs[col - 1], ys[r - 1], c.aquifer, c.terms));
        EXPECT_LE(std::llabs(static_cast<std::int64_t>(Bits(DD(col, r))) - static_cast<std::int64_t>(Bits(expected))), 1)
            << "node " << col << ", " << r << ": " << DD(col, r) << " against " << expected;
        same += Bits(DD(col, r)) == Bits(expected);
      }
    EXPECT_GE(same, 23 * 9 - 2);
  }
}

// Every cell is its node's true_point_drawdown rounded once and added in
// single, whatever the thread count and instruction set; the progress counter
// counts node-terms.
TEST(TrueGrid, CellsAreThePointDrawdownsForAnyThreadCount) {
  const std::vector<double> xs = Coordinates(1025.0, 23), ys = Coordinates(4025.0, 9);
  for (const std::string& target : lanes_targets()) {
    use_lanes_target(target);
    for (const Case& c : Cases()) {
      SCOPED_TRACE(c.name + (", " + target));
      for (int threads : {1, 3, 16}) {
      DrawdownGrid DD(23, 9);
      DD(5, 2) = 1.25f;  // added to, not replaced
      std::atomic<std::uint64_t> done{0};
      evaluate_true(DD, xs, ys, c.aquifer, c.terms, TrueOptions{threads, &done, nullptr});
      EXPECT_EQ(done.load(), 23u * 9u * c.terms.size());
      for (int r = 1; r <= 9; ++r)
        for (int col = 1; col <= 23; ++col) {
          const float point = static_cast<float>(true_point_drawdown(xs[col - 1], ys[r - 1], c.aquifer, c.terms));
          const float expected = col == 5 && r == 2 ? static_cast<float>(static_cast<double>(point) + 1.25) : point;
          ASSERT_EQ(Bits(DD(col, r)), Bits(expected)) << "node " << col << ", " << r << ", " << threads << " threads";
        }
      }
    }
  }
  use_lanes_target("");
}

// A well function of the caller's is used as given, node by node.
double StandIn(double u, double rb) { return std::exp(-u) / (1.0 + rb); }

TEST(TrueGrid, TakesTheCallersWellFunction) {
  const std::vector<double> xs = Coordinates(1025.0, 23), ys = Coordinates(4025.0, 9);
  const Case c = Cases()[0];
  DrawdownGrid DD(23, 9);
  evaluate_true(DD, xs, ys, c.aquifer, c.terms, TrueOptions{2, nullptr, StandIn});
  for (int r = 1; r <= 9; ++r)
    for (int col = 1; col <= 23; ++col) {
      const double stand_in = true_point_drawdown(xs[col - 1], ys[r - 1], c.aquifer, c.terms, StandIn);
      ASSERT_EQ(Bits(DD(col, r)), Bits(static_cast<float>(stand_in)));
      ASSERT_NE(stand_in, true_point_drawdown(xs[col - 1], ys[r - 1], c.aquifer, c.terms));
    }
}

// The program's own well function at a point is taken in lanes, chunk by
// chunk: the same double, bit for bit, as each term's value in turn summed
// in order (a field of 700 terms: two whole chunks and a partial one).
double TermByTerm(double u, double rb) { return true_well_function(u, rb); }

TEST(TruePoint, TheLanesSumIsTheTermByTermSum) {
  std::vector<TrueTerm> terms;
  for (int k = 0; k < 700; ++k)
    terms.push_back({1000.0 + 37.0 * (k % 29), 4000.0 + 53.0 * (k % 17), (k % 5 == 0 ? -1.0 : 1.0) * (1e4 + 97.0 * k),
                     0.01 + 0.5 * k});
  for (const Case& c : Cases())
    for (const double x : {1025.0, 1300.5, 2999.0}) {
      const double lanes = true_point_drawdown(x, 4100.0, c.aquifer, terms);
      const double scalar = true_point_drawdown(x, 4100.0, c.aquifer, terms, TermByTerm);
      EXPECT_EQ(std::bit_cast<std::uint64_t>(lanes), std::bit_cast<std::uint64_t>(scalar)) << c.name << " at x " << x;
      EXPECT_NE(lanes, 0.0);
    }
}

}  // namespace
}  // namespace engine
