// A small linear program in its plain form, and its solution by GLPK's
// simplex method: the caller never sees the library.
//
//     maximise    c . x
//     subject to  a_i . x <= b_i        for every row i
//                 lower_j <= x_j <= upper_j
#pragma once

#include <cstddef>
#include <limits>
#include <vector>

namespace allocation {

inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

/// One row: a_i . x <= b_i, the coefficients dense (one per column).
struct LpRow {
  std::vector<double> a;
  double b = 0.0;
};

/// The program: the objective's coefficients and the columns' bounds (an
/// upper bound of kUnbounded: none), and the rows.
struct LinearProgram {
  std::vector<double> objective;
  std::vector<double> lower, upper;
  std::vector<LpRow> rows;
};

enum class LpStatus {
  optimal,     ///< a solution
  infeasible,  ///< no x keeps every row and bound
  unbounded,   ///< the objective grows without end
  failed,      ///< the solver stopped without an answer
};

/// The answer: the columns' values and each row's dual value (the gain of
/// the objective per unit of b_i, 0 or more; 0 for a row that does not bind).
struct LpSolution {
  LpStatus status = LpStatus::failed;
  std::vector<double> x;
  std::vector<double> duals;
  double objective = 0.0;
};

/// Solves `p` (every row as long as the objective) by the simplex method.
LpSolution solve(const LinearProgram& p);

}  // namespace allocation
