// The grid evaluation of the input-file run: the rest of the dialogue, the
// drawdown of every well at every node, and the report and raster outputs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/drawdown_grid.h"
#include "engine/evaluate.h"
#include "grid/answers.h"

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
    engine::EvaluatedGrid e;
    e.NX = NX, e.NY = NY, e.SPACING = SPACING;
    e.from_run_origin(XLL, YLL);
    e.T = T, e.LEAK = LEAK, e.S = S, e.TIME = TIME;
    e.wells = wells;
    e.DD = DD.get();
    return e;
  }
};

/// Runs the grid evaluation on the grid counts in `in` (read by the run driver)
/// with the evaluation `options`, reading the rest of the answers through
/// `dialogue`, and returns the finished run. The input file must stand just
/// after the line that held NY; the report and the raster must be open with
/// nothing written yet.
FinishedRun run_comp(Dialogue& dialogue, Input in, const engine::Options& options);

/// The grid evaluation for NX columns and NY rows (rows first, as the run
/// driver passes them), with the console log and the default evaluation.
void COMP(const std::int32_t& NY, const std::int32_t& NX);

}  // namespace grid
