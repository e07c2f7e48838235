#include "study/outputs.h"

#include <cmath>

#include "gis/contour_layer.h"
#include "gis/esri_grid.h"
#include "gis/grid_file.h"
#include "base/shortest_text.h"
#include "base/csv_text.h"
#include "outputs/request.h"

namespace study {

outputs::Request request_of(const Study& s) {
  outputs::Request r;
  r.grid = s.output.grid;
  r.contours = s.output.contours;
  r.plots = s.output.plots;
  r.series = s.output.series;
  r.hydrographs = s.output.hydrographs;
  r.compliance = s.output.compliance;
  r.points = s.output.points;
  r.with_crs = !s.crs.empty();
  r.times = s.times;
  r.levels = s.output.levels;
  r.range = s.output.range;
  r.page = s.output.page;
  r.dpi = s.output.dpi;
  r.folder = s.output.folder;
  return r;
}

bool keeps_every_grid(const Study& s) { return outputs::takes_every_time(request_of(s)); }

std::size_t grids_kept(const Study& s) { return keeps_every_grid(s) ? s.times.size() : 1; }

std::vector<engine::Well> wells_at(const Study& s, double t) {
  std::vector<engine::Well> wells;
  for (const Well& w : s.wells) {
    double rate = 0.0;
    for (const Step& step : w.steps)
      if (step.day < t) rate = step.rate;
    wells.push_back(engine::Well{node_position(w.x, s.grid.xll, s.grid.spacing),
                                 node_position(w.y, s.grid.yll, s.grid.spacing), static_cast<float>(rate)});
  }
  return wells;
}

engine::EvaluatedGrid evaluated_grid(const Study& s, double t, const engine::DrawdownGrid& DD,
                                     std::span<const engine::Well> wells) {
  engine::EvaluatedGrid e;
  e.NX = s.grid.columns, e.NY = s.grid.rows;
  e.xllcorner = s.grid.xll, e.yllcorner = s.grid.yll;
  e.SPACING = s.grid.spacing;
  e.T = static_cast<float>(s.aquifer.transmissivity);
  e.LEAK = static_cast<float>(s.aquifer.leakance);
  e.S = static_cast<float>(s.aquifer.storage);
  e.TIME = static_cast<float>(t);
  e.wells = wells;
  e.DD = &DD;
  return e;
}

pictures::PlotOptions plot_options(const Study& s, std::span<const engine::EvaluatedGrid> times) {
  pictures::PlotOptions o;
  o.levels = s.output.levels;
  o.range = s.output.range;
  o.page = s.output.page;
  o.dpi = s.output.dpi;
  o.input_name = s.title;
  for (const Well& w : s.wells) o.well_names.push_back(w.name);
  for (const Receptor& r : s.receptors) o.markers.push_back(pictures::PlotMarker{r.x, r.y, r.name});
  o.scale_from = times;
  if (!s.wells.empty())
    for (const scenario::Line& l : aquifer_lines(s.boundaries, s.wells.front().x, s.wells.front().y)) {
      const Boundary& b = s.boundaries[o.boundaries.size()];
      o.boundaries.push_back(pictures::PlotBoundary{b.x0, b.y0, b.x1, b.y1, b.name, b.kind == BoundaryKind::stream, -l.nx, -l.ny});
    }
  return o;
}

std::string series_text(const Study& s, std::span<const double> times,
                        const std::vector<std::vector<float>>& values) {
  std::string text = "name,x,y,days,drawdown_ft\n";
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    const Receptor& r = s.receptors[i];
    const std::string place = base::csv_field(r.name) + "," + base::shortest_text(r.x) + "," + base::shortest_text(r.y) + ",";
    for (std::size_t k = 0; k < times.size(); ++k)
      text += place + base::shortest_text(times[k]) + "," + base::single_text(values[i][k]) + "\n";
  }
  return text;
}

}  // namespace study
