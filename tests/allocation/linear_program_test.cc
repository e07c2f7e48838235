// The linear program's answers against textbook ones.
#include "allocation/linear_program.h"

#include <gtest/gtest.h>

namespace {

using allocation::LinearProgram;
using allocation::LpStatus;

// The Wyndor Glass Co. problem (Hillier and Lieberman, Introduction to
// Operations Research, ch. 3): max 3x + 5y, x <= 4, 2y <= 12, 3x + 2y <= 18;
// the optimum x = 2, y = 6, Z = 36, shadow prices 0, 1.5 and 1 (ch. 4).
TEST(LinearProgram, TheTextbookProblemAndItsShadowPrices) {
  LinearProgram p;
  p.objective = {3.0, 5.0};
  p.lower = {0.0, 0.0};
  p.upper = {allocation::kUnbounded, allocation::kUnbounded};
  p.rows = {{{1.0, 0.0}, 4.0}, {{0.0, 2.0}, 12.0}, {{3.0, 2.0}, 18.0}};
  const allocation::LpSolution s = allocation::solve(p);
  ASSERT_EQ(s.status, LpStatus::optimal);
  EXPECT_NEAR(s.x[0], 2.0, 1e-9);
  EXPECT_NEAR(s.x[1], 6.0, 1e-9);
  EXPECT_NEAR(s.objective, 36.0, 1e-9);
  ASSERT_EQ(s.duals.size(), 3u);
  EXPECT_NEAR(s.duals[0], 0.0, 1e-9);
  EXPECT_NEAR(s.duals[1], 1.5, 1e-9);
  EXPECT_NEAR(s.duals[2], 1.0, 1e-9);
}

TEST(LinearProgram, InfeasibleAndUnboundedAreToldApart) {
  const struct {
    const char* name;
    LinearProgram p;
    LpStatus status;
  } cases[] = {
      // x >= 2 by its bound, x + y <= 1.
      {"infeasible", {{1.0, 1.0}, {2.0, 0.0}, {allocation::kUnbounded, allocation::kUnbounded}, {{{1.0, 1.0}, 1.0}}},
       LpStatus::infeasible},
      // y is restrained by nothing.
      {"unbounded", {{1.0, 1.0}, {0.0, 0.0}, {allocation::kUnbounded, allocation::kUnbounded}, {{{1.0, -1.0}, 1.0}}},
       LpStatus::unbounded},
      // Upper bounds alone settle it: x = 3, y = 0.5.
      {"bounds", {{1.0, 2.0}, {0.0, 0.0}, {3.0, 0.5}, {}}, LpStatus::optimal},
  };
  for (const auto& c : cases) {
    const allocation::LpSolution s = allocation::solve(c.p);
    EXPECT_EQ(s.status, c.status) << c.name;
    if (c.status == LpStatus::optimal) {
      EXPECT_NEAR(s.objective, 4.0, 1e-12) << c.name;
    }
  }
}

}  // namespace
