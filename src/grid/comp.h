// The grid evaluation of the specified run: the rest of the dialogue, the
// drawdown of every well at every node, and the report and raster outputs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/drawdown_grid.h"
#include "engine/evaluate.h"

namespace grid {

/// A finished run: what was read, the wells evaluated and the drawdown grid.
struct FinishedRun {
  std::int32_t NX = 0, NY = 0;      ///< grid counts
  std::int32_t XLL = 0, YLL = 0;    ///< lower-left corner, feet
  std::int32_t SPACING = 0;         ///< node spacing, feet
  float T = 0, LEAK = 0, S = 0, TIME = 0;  ///< aquifer parameters as read
  std::vector<engine::Well> wells;  ///< the wells evaluated, in table order
  std::unique_ptr<engine::DrawdownGrid> DD;  ///< the drawdown grid

  /// The run as the outputs made from an evaluated grid take it.
  engine::EvaluatedGrid view() const {
    return {NX, NY, XLL, YLL, SPACING, T, LEAK, S, TIME, wells, DD.get()};
  }
};

/// Runs the grid evaluation for a grid of NX columns and NY rows (rows first, as
/// the run driver passes them) with the evaluation `options`, and returns the
/// finished run. The input file must stand just after the line that held NY;
/// the report and ARCFILE must be open with nothing written yet.
FinishedRun run_comp(std::int32_t NY, std::int32_t NX, const engine::Options& options);

/// The grid evaluation with the default evaluation options.
void COMP(const std::int32_t& NY, const std::int32_t& NX);

/// Ends the run with a clear message when a grid count exceeds the grid's
/// extent of 300 nodes; `what` names the count ("NX" or "NY").
void check_node_count(const char* what, std::int32_t count);

}  // namespace grid
