// One row of the exact grid in SIMD lanes (true_well_function_lanes.cc), for
// engine::evaluate_true (true_grid.cc) only.
#pragma once

#include <cstddef>

namespace engine {

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
};

/// sums[i] = the sum over the terms, in order, of model::true_drawdown at node
/// (xs[i], y), as true_point_drawdown computes it with true_well_function, bit
/// for bit, for i < n.
void true_grid_row(const double* xs, std::size_t n, double y, const TrueTermArrays& terms, double* sums);

}  // namespace engine
