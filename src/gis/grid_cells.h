// Whether an evaluated grid has cells that a GIS file or a picture can show.
#pragma once

#include <string>
#include <string_view>

#include "engine/drawdown_grid.h"

namespace gis {

/// Why the grid of `e` cannot be drawn or written as cells ("" when it can):
/// no nodes, a node spacing below one foot ("gives no " + `what`), or no grid.
std::string missing_cells(const engine::EvaluatedGrid& e, std::string_view what);

}  // namespace gis
