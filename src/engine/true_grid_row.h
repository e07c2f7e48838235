// One row of the exact grid in SIMD lanes (true_well_function_lanes.cc), for
// engine::evaluate_true and engine::true_point_drawdown (true_grid.cc) only.
#pragma once

#include <cstddef>

#include "engine/true_run_constants.h"

namespace engine {

/// Consecutive terms summed one way: term by term with the well function, or,
/// for a piece of a long run at one position (true_runs.h), from a Chebyshev
/// polynomial of ln W fitted at each node.
struct TrueSegment {
  std::size_t begin = 0, end = 0;         ///< its terms
  bool piece = false;                     ///< a piece of a run, else term by term
  double E[true_run::kPoints] = {};       ///< a piece's T * elapsed at its Chebyshev points
};

/// The terms of an exact grid, one array per quantity, each of `count`
/// entries, with the constants of model/true_drawdown.h that do not depend on
/// the node.
struct TrueTermArrays {
  const double* x = nullptr;           ///< the well's map x, feet
  const double* y = nullptr;           ///< the well's map y, feet
  const double* T_elapsed = nullptr;   ///< T * elapsed days (true_u's divisor)
  const double* drawdown_per_W = nullptr;  ///< kTrueDrawdownCoefficient * (dq / kMinutesPerDay)
  std::size_t count = 0;
  double T = 0.0, S = 0.0, B = 0.0;    ///< transmissivity, storage, leakage factor
  /// The terms in order, cut into segments (none: all term by term).
  const TrueSegment* segments = nullptr;
  std::size_t segment_count = 0;
  /// For a piece's term, its T * elapsed mapped onto the piece's [-1, 1].
  const double* t = nullptr;
};

/// sums[i] = the sum over the terms, in order, of model::true_drawdown at node
/// (xs[i], y) with true_well_function, or with a piece's polynomial for the
/// terms of a piece, for i < n. Each node's sum is the same, bit for bit, on
/// every instruction set and at any place among the lanes (n = 1 included);
/// without pieces it is true_point_drawdown's with true_well_function.
void true_grid_row(const double* xs, std::size_t n, double y, const TrueTermArrays& terms, double* sums);

/// sums[i] += the same sum over the terms, for i < n: true_grid_row from the
/// sums given instead of 0 (a grid whose terms are summed in several ways,
/// one stretch of terms after the other).
void true_grid_row_add(const double* xs, std::size_t n, double y, const TrueTermArrays& terms, double* sums);

}  // namespace engine
