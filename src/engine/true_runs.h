// Long runs of terms at one well position (a rate schedule's steps): where
// they are, and their pieces, for the exact grid (true_grid.cc).
#pragma once

#include <cstddef>
#include <vector>

#include "engine/true_grid_row.h"

namespace engine {

/// The terms cut into segments, with the pieces' t (TrueTermArrays).
struct TrueRunPlan {
  std::vector<TrueSegment> segments;
  std::vector<double> t;  ///< count entries when there is a run, else none
};

/// Cuts `count` terms at map positions (x[k], y[k]) with T * elapsed E[k]
/// into segments, in order. A run is a stretch of consecutive terms at one
/// position (the same bits) with E finite, above 0 and strictly decreasing;
/// one of at least true_run::kMinRunTerms terms is cut into pieces whose E
/// lie within a factor 2^(1/16) of each other (from its first term on), and
/// each piece of at least kMinPieceTerms terms becomes a piece segment, with
/// its Chebyshev points and each term's t = (E - middle) / half-width.
/// Every other term is summed term by term (adjacent ones in one segment).
TrueRunPlan plan_runs(const double* x, const double* y, const double* E, std::size_t count);

}  // namespace engine
