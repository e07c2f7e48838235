// What the GeoTIFF and the contour layer share apart from GDAL: the times as
// days, the georeference, the check of the grids. (The file itself is written
// by the GIS module, src/gis/gdal.)
#include "gis/geotiff.h"

#include <cmath>
#include <cstdlib>

#include "files/output_file.h"
#include "base/shortest_text.h"
#include "gis/grid_cells.h"

namespace gis {
namespace {

}  // namespace

double days_of(float TIME) { return std::strtod(base::shortest_text(TIME).c_str(), nullptr); }

std::string band_description(float TIME) {
  return (std::isfinite(TIME) ? base::shortest_text(days_of(TIME)) : base::shortest_text(TIME)) + " d";
}

void grid_geotransform(const engine::EvaluatedGrid& e, double transform[6]) {
  transform[0] = e.xllcorner;
  transform[1] = e.SPACING;
  transform[2] = 0.0;
  transform[3] = e.yllcorner + static_cast<double>(e.NY) * e.SPACING;
  transform[4] = 0.0;
  transform[5] = -static_cast<double>(e.SPACING);
}

std::string check_times(std::span<const engine::EvaluatedGrid> times, std::string_view what) {
  if (times.empty()) return "there is no drawdown grid";
  for (const engine::EvaluatedGrid& e : times) {
    if (std::string problem = missing_cells(e, what); !problem.empty()) return problem;
    const engine::EvaluatedGrid& f = times.front();
    if (e.NX != f.NX || e.NY != f.NY || e.xllcorner != f.xllcorner || e.yllcorner != f.yllcorner || e.SPACING != f.SPACING)
      return "the times' grids differ in place or size";
  }
  return "";
}

}  // namespace gis
