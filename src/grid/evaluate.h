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

}  // namespace grid
