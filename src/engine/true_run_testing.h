// A hook into the exact grid's pieces (true_run-inl.h) for tests only: the
// well function values a piece gives its terms at one node.
#pragma once

#include "engine/true_grid_row.h"

namespace engine {

/// W[k - s.begin] = the well function value that the exact grid takes for
/// term k of the piece `s` of `terms` (terms.t set) at a node where
/// u = a / terms.T_elapsed[k] and r/B = b, for s.begin <= k < s.end, on the
/// instruction set in use.
void true_piece_well_function(double a, double b, const TrueTermArrays& terms, const TrueSegment& s, double* W);

}  // namespace engine
