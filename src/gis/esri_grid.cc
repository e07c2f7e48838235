#include "gis/esri_grid.h"

#include "files/output_file.h"
#include "base/shortest_text.h"
#include "gis/grid_cells.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace gis {

std::string esri_value_text(float v) {
  if (!std::isfinite(v)) return std::to_string(kEsriNoData);
  // A reader that goes through a double and rounds once more must get v too.
  return base::single_round_trip_text(v);
}

EsriFrame esri_frame(const engine::EvaluatedGrid& e) {
  return EsriFrame{e.NX, e.NY, e.xllcorner, e.yllcorner, e.SPACING};
}

std::string esri_grid_header(const EsriFrame& frame) {
  std::string s;
  s += "ncols        " + std::to_string(frame.columns) + "\n";
  s += "nrows        " + std::to_string(frame.rows) + "\n";
  s += "xllcorner    " + base::shortest_text(frame.xllcorner) + "\n";
  s += "yllcorner    " + base::shortest_text(frame.yllcorner) + "\n";
  s += "cellsize     " + std::to_string(frame.cellsize) + "\n";
  s += "NODATA_value " + std::to_string(kEsriNoData) + "\n";
  return s;
}

std::string esri_grid_row(const engine::DrawdownGrid& DD, std::int32_t r, std::int32_t columns) {
  std::string s;
  for (std::int32_t c = 1; c <= columns; ++c) {
    if (c > 1) s += ' ';
    s += esri_value_text(DD(c, r));
  }
  s += '\n';
  return s;
}

std::string esri_grid_text(const engine::EvaluatedGrid& e) {
  std::string s = esri_grid_header(esri_frame(e));
  for (std::int32_t r = e.NY; r >= 1; --r) s += esri_grid_row(*e.DD, r, e.NX);
  return s;
}

std::string write_esri_grid(const files::Target& target, const engine::EvaluatedGrid& e) {
  if (std::string problem = missing_cells(e, "grid cells"); !problem.empty()) return problem;
  return write_esri_grid(target, esri_frame(e), *e.DD);
}

std::string write_esri_grid(const files::Target& target, const EsriFrame& frame, const engine::DrawdownGrid& DD) {
  files::OutputFile file(target);
  if (file.write(esri_grid_header(frame)))
    for (std::int32_t r = frame.rows; r >= 1; --r)
      if (!file.write(esri_grid_row(DD, r, frame.columns))) break;
  return file.finish();
}

}  // namespace gis
