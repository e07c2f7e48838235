// The grid evaluation of a run: the rest of the dialogue, the drawdown of every
// well at every node, and the report and raster outputs.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "grid/drawdown_grid.h"

namespace grid {

/// A finished evaluation, as extra outputs see it once the report and ARCFILE
/// are complete.
struct Evaluation {
  std::int32_t NX = 0, NY = 0;      ///< grid counts
  std::int32_t XLL = 0, YLL = 0;    ///< lower-left corner, feet
  std::int32_t SPACING = 0;         ///< node spacing, feet
  std::int32_t NDEC = 0;            ///< decimals of the printed map
  float T = 0, LEAK = 0, S = 0, TIME = 0;  ///< aquifer parameters as read
  std::span<const Well> wells;      ///< the wells evaluated, in table order
  const DrawdownGrid* DD = nullptr; ///< the drawdown grid, cells (1..NX, 1..NY)
};

/// Why the grid of `e` cannot be drawn or written as cells ("" when it can):
/// no nodes, a node spacing below one foot ("gives no " + `what`), or no grid.
std::string missing_cells(const Evaluation& e, std::string_view what);

/// Called once with the finished evaluation.
using EvaluationListener = std::function<void(const Evaluation&)>;

/// Runs the grid evaluation for a grid of NX columns and NY rows (rows first, as
/// the run driver passes them). The input file must stand just after the line
/// that held NY; the report and ARCFILE must be open with nothing written yet.
void COMP(const std::int32_t& NY, const std::int32_t& NX);

/// COMP, then `listener` with the finished evaluation (when it is set).
void COMP(const std::int32_t& NY, const std::int32_t& NX, const EvaluationListener& listener);

/// Ends the run with a clear message when a grid count exceeds the grid's
/// extent of 300 nodes; `what` names the count ("NX" or "NY").
void check_node_count(const char* what, std::int32_t count);

}  // namespace grid
