#include "gis/grid_cells.h"

namespace gis {

std::string missing_cells(const engine::EvaluatedGrid& e, std::string_view what) {
  if (e.NX < 1 || e.NY < 1)
    return "the grid has no nodes (NX = " + std::to_string(e.NX) + ", NY = " + std::to_string(e.NY) + ")";
  if (e.SPACING < 1)
    return "the node spacing of " + std::to_string(e.SPACING) + " feet gives no " + std::string(what);
  if (e.DD == nullptr) return "there is no drawdown grid";
  return "";
}

}  // namespace gis
