// Long runs of terms at one position (a rate schedule's steps): how they are
// cut into pieces, the well function values the pieces give against the
// kernel's, and the exact grid with a long schedule against the plain
// term-by-term sum, for any thread count and instruction set.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "engine/true_grid.h"
#include "engine/true_run_testing.h"
#include "engine/true_runs.h"
#include "engine/true_well_function.h"
#include "engine/well_function_lanes_testing.h"
#include "model/drawdown.h"

namespace engine {
namespace {

using true_run::kMinPieceTerms;
using true_run::kMinRunTerms;

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }
std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// Terms at one position with E falling by the factor `ratio` from E0, the
// one at `interruption` (if not 0) elsewhere.
struct Terms {
  std::vector<double> x, y, E, dq;
};

Terms Geometric(std::size_t count, double E0, double ratio, std::size_t interruption = 0) {
  Terms r;
  for (std::size_t k = 0; k < count; ++k) {
    const bool elsewhere = interruption != 0 && k == interruption;
    r.x.push_back(elsewhere ? 7.0 : 0.0);
    r.y.push_back(0.0);
    r.E.push_back(E0 * std::pow(ratio, static_cast<double>(k)));
    r.dq.push_back(1.0);
  }
  return r;
}

TEST(TrueRun, CutsLongRunsIntoPiecesOfNearbyElapsedTimes) {
  struct Case {
    const char* name;
    Terms run;
    bool pieces;  // whether any piece is expected
  };
  const Case cases[] = {
      {"one term short of a long run", Geometric(kMinRunTerms - 1, 30.0, 0.9999), false},
      {"a long run", Geometric(3 * kMinRunTerms, 30.0, 0.9999), true},
      {"a long run cut in two by a term elsewhere", Geometric(kMinRunTerms + 10, 30.0, 0.9999, 20), false},
      {"a long run too sparse for pieces", Geometric(kMinRunTerms, 1e6, 0.99), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TrueRunPlan plan = plan_runs(c.run.x.data(), c.run.y.data(), c.run.E.data(), c.run.E.size());
    std::size_t next = 0, pieces = 0;
    for (std::size_t i = 0; i < plan.segments.size(); ++i) {
      const TrueSegment& s = plan.segments[i];
      ASSERT_EQ(s.begin, next);
      ASSERT_LT(s.begin, s.end);
      next = s.end;
      if (!s.piece) {
        EXPECT_TRUE(i == 0 || plan.segments[i - 1].piece) << "plain segments side by side are one";
        continue;
      }
      ++pieces;
      EXPECT_GE(s.end - s.begin, kMinPieceTerms);
      EXPECT_LE(c.run.E[s.begin] / c.run.E[s.end - 1], std::pow(2.0, 1.0 / 16.0) * (1 + 1e-12));
      for (std::size_t k = s.begin; k < s.end; ++k) EXPECT_LE(std::fabs(plan.t[k]), 1.0 + 1e-12);
    }
    EXPECT_EQ(next, c.run.E.size());
    EXPECT_EQ(pieces > 0, c.pieces);
  }
}

// The pieces' W against true_well_function over u from 1e-12 to past the
// kernel's cutoff (a = 1, so u = 1/E), 64 terms per piece: at most 1e-13
// apart where W is a normal single (at least 1e-38), 3e-13 down to
// kLeastW; below it the kernel's own values, 0 where the kernel gives 0.
TEST(TrueRun, PiecesGiveTheKernelsValuesWithinTheBound) {
  const Terms run = Geometric(50900, 1e12, std::pow(2.0, -1.0 / (16.0 * 64.0)));
  const TrueRunPlan plan = plan_runs(run.x.data(), run.y.data(), run.E.data(), run.E.size());
  TrueTermArrays terms{run.x.data(), run.y.data(), run.E.data(), run.dq.data(), run.E.size(), 1.0, 1.0, 1.0,
                       plan.segments.data(), plan.segments.size(), plan.t.data()};
  // Pieces all but a short end.
  for (std::size_t i = 0; i + 1 < plan.segments.size(); ++i) ASSERT_TRUE(plan.segments[i].piece);
  ASSERT_LE(1.0 / run.E.back(), 1e3);
  ASSERT_GE(1.0 / run.E.back(), 720.0);
  for (double b : {0.0, 1e-4, 0.01, 1.0, 10.0, 30.0, true_run::kMostB}) {
    SCOPED_TRACE("r/B " + std::to_string(b));
    double normal = 0.0, small = 0.0;
    std::size_t zeros = 0, kernels = 0;
    std::vector<double> W(run.E.size(), std::numeric_limits<double>::quiet_NaN());
    for (const TrueSegment& s : plan.segments)
      if (s.piece) true_piece_well_function(1.0, b, terms, s, W.data() + s.begin);
    for (std::size_t k = 0; k < run.E.size(); ++k) {
      if (std::isnan(W[k])) continue;  // the short end
      const double kernel = true_well_function(1.0 / run.E[k], b);
      if (kernel < true_run::kLeastW) {
        ASSERT_EQ(Bits(W[k]), Bits(kernel)) << "u " << 1.0 / run.E[k];
        (kernel == 0.0 ? zeros : kernels) += 1;
        continue;
      }
      double& worst = kernel >= 1e-38 ? normal : small;
      worst = std::max(worst, std::fabs(W[k] / kernel - 1.0));
    }
    std::printf("r/B %g: largest relative difference %.3g where W >= 1e-38, %.3g below\n", b, normal, small);
    EXPECT_LE(normal, 1e-13);
    EXPECT_LE(small, 3e-13);
    EXPECT_GT(zeros, 0u);
    EXPECT_GT(kernels, 0u);
  }
}

// Nodes the fit does not cover take the kernel's values bit for bit.
TEST(TrueRun, NodesOutsideTheFitTakeTheKernelsValues) {
  const Terms run = Geometric(4 * kMinPieceTerms, 1.0, 0.9995);
  TrueSegment s;  // too short a run for plan_runs: one piece of it by hand
  s.end = run.E.size();
  s.piece = true;
  std::vector<double> t(run.E.size());
  const double middle = 0.5 * (run.E.front() + run.E.back()), half = 0.5 * (run.E.front() - run.E.back());
  for (std::size_t i = 0; i < true_run::kPoints; ++i) s.E[i] = middle + half * true_run::kChebyshev.x[i];
  for (std::size_t k = 0; k < t.size(); ++k) t[k] = (run.E[k] - middle) / half;
  const TrueTermArrays terms{run.x.data(), run.y.data(), run.E.data(), run.dq.data(), run.E.size(), 1.0, 1.0, 1.0,
                             &s, 1, t.data()};
  const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
  const double cases[][2] = {{0.0, 1.0}, {0.0, 0.0}, {nan, 1.0}, {1.0, nan},
                             {1.0, inf}, {inf, 1.0}, {1.0, 2 * true_run::kMostB}};
  std::vector<double> W(run.E.size());
  for (const auto& [a, b] : cases) {
    SCOPED_TRACE("a " + std::to_string(a) + ", r/B " + std::to_string(b));
    true_piece_well_function(a, b, terms, s, W.data());
    for (std::size_t k = 0; k < W.size(); ++k) ASSERT_EQ(Bits(W[k]), Bits(true_well_function(a / run.E[k], b)));
  }
}

// The exact grid with a long schedule (and plain terms around it) against
// the plain term-by-term sum (a well function of the caller's takes that
// path): each node within 1 single ulp, and bit for bit the receptor's
// value at the node, for 1 and 2 threads on every instruction set.
double PlainKernel(double u, double rb) { return true_well_function(u, rb); }

struct GridCase {
  std::string name;
  TrueAquifer aquifer;
  std::vector<TrueTerm> terms;
  double spacing;
  bool same_bits_as_plain;
};

std::vector<TrueTerm> Schedule(double x, double y, std::size_t steps, double every, double t) {
  std::vector<TrueTerm> terms = {{2000.0, 600.0, 90000.0, t}};  // a plain well first
  for (std::size_t k = 0; k < steps; ++k)
    terms.push_back({x, y, k % 2 == 0 ? 120000.0 : -60000.0, t - static_cast<double>(k) * every});
  terms.push_back({300.0, 1100.0, -40000.0, t / 3});  // and one after
  return terms;
}

std::vector<GridCase> GridCases() {
  return {
      {"leaky, between nodes", {50000.0, 0.0002, 0.001}, Schedule(1612.5, 790.0, 6000, 0.004, 30.0), 100.0, false},
      // Pieces wholly past the cutoff at the far nodes, and pieces reaching
      // below 1e-300 (taken by the kernel), nearer the fitted ones.
      {"no leakage, u past the cutoff far off", {20000.0, 0.2, 0.0}, Schedule(100.0, 100.0, 3000, 0.0002, 0.6),
       180.0, false},
      {"r/B past the fit's limit", {5000.0, 1e-5, 50.0}, Schedule(1612.5, 790.0, 4000, 0.001, 5.0), 100.0, false},
      // r is raised to the least distance (1 ft) at the well's own node, on
      // the pieces' path as term by term.
      {"a well on a node", {50000.0, 0.0002, 0.001}, Schedule(550.0, 350.0, 6000, 0.004, 30.0), 100.0, false},
      {"a run too short for pieces", {50000.0, 0.0002, 0.001}, Schedule(1612.5, 790.0, kMinRunTerms - 1, 0.004, 30.0),
       100.0, true},
  };
}

TEST(TrueRun, GridWithALongScheduleAgreesWithThePlainSum) {
  for (const GridCase& c : GridCases()) {
    SCOPED_TRACE(c.name);
    std::vector<double> xs, ys;
    for (int i = 0; i < 23; ++i) xs.push_back(50.0 + c.spacing * i);
    for (int i = 0; i < 9; ++i) ys.push_back(50.0 + c.spacing * i);
    std::vector<float> expected, plain;
    for (double y : ys)
      for (double x : xs) {
        // Each as the grid adds it to a cell of 0.
        const double point = true_point_drawdown(x, y, c.aquifer, c.terms);
        const double term_by_term = true_point_drawdown(x, y, c.aquifer, c.terms, PlainKernel);
        expected.push_back(model::accumulate(static_cast<float>(point), 0.0f));
        plain.push_back(model::accumulate(static_cast<float>(term_by_term), 0.0f));
        const auto ulps = std::llabs(static_cast<std::int64_t>(Bits(expected.back())) - Bits(plain.back()));
        ASSERT_LE(ulps, c.same_bits_as_plain ? 0 : 1)
            << x << ", " << y << ": " << expected.back() << " against " << plain.back();
      }
    for (const std::string& target : lanes_targets()) {
      use_lanes_target(target);
      for (int threads : {1, 2}) {
        DrawdownGrid DD(23, 9);
        evaluate_true(DD, xs, ys, c.aquifer, c.terms, TrueOptions{threads, nullptr, nullptr});
        for (int r = 1; r <= 9; ++r)
          for (int col = 1; col <= 23; ++col)
            ASSERT_EQ(Bits(DD(col, r)), Bits(expected[static_cast<std::size_t>((r - 1) * 23 + col - 1)]))
                << target << ", " << threads << " threads, node " << col << ", " << r;
      }
    }
    use_lanes_target("");
  }
}

}  // namespace
}  // namespace engine
