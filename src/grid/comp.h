// The grid evaluation of a run: the rest of the dialogue, the drawdown of every
// well at every node, and the report and raster outputs.
#pragma once

#include <cstdint>

namespace grid {

/// Runs the grid evaluation for a grid of NX columns and NY rows (rows first, as
/// the run driver passes them). The input file must stand just after the line
/// that held NY; the report and ARCFILE must be open with nothing written yet.
void COMP(const std::int32_t& NY, const std::int32_t& NX);

/// Ends the run with a clear message when a grid count exceeds the grid's
/// extent of 300 nodes; `what` names the count ("NX" or "NY").
void check_node_count(const char* what, std::int32_t count);

}  // namespace grid
