// Evaluation of every well at every node into the drawdown grid.
#pragma once

#include <cstdint>
#include <span>

#include "grid/drawdown_grid.h"

namespace grid {

/// Sets cells (1..nx, 1..ny) to 0.0; the rest of the grid is not touched.
void zero_grid(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny);

/// Adds the drawdown of each well, in table order, to every node (1..nx, 1..ny):
/// all nodes of the first well, then all of the second, one single-precision
/// addition per well and node. The straightforward evaluation, kept as the
/// reference the faster paths are checked against.
void evaluate_reference(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                        std::span<const Well> wells);

/// Which table of well function values the fast evaluation keeps.
enum class Reuse {
  automatic,  ///< the lattice table when it is small, else the distance table when it pays
  lattice,    ///< a value per pair of distinct squared offsets (refused when too many)
  distances,  ///< a value per distance, for the distances that occur most
  none,       ///< every node and well evaluated afresh
};

/// Settings of the fast evaluation.
struct FastOptions {
  int threads = 1;                 ///< worker threads, 1 or more
  Reuse reuse = Reuse::automatic;  ///< which table of values to keep
};

/// The same cells as evaluate_reference, bit for bit, reached faster: every
/// cell still receives its wells' drawdowns one by one in table order, each
/// well function value is the one leaky::WUB gives for the node's distance, and
/// rows of nodes are shared out among worker threads.
void evaluate_fast(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                   std::span<const Well> wells, const FastOptions& options);

/// Worker threads of the program's evaluation: the positive count in the
/// environment variable LEAKY_THREADS, else the processor's hardware threads.
int evaluation_threads();

/// The program's evaluation: evaluate_reference when the environment variable
/// LEAKY_EVALUATION is "reference", otherwise evaluate_fast on
/// evaluation_threads() threads. The cells are the same either way.
void evaluate(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
              std::span<const Well> wells);

}  // namespace grid
