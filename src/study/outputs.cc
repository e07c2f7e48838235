#include "study/outputs.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "gis/contour_layer.h"
#include "gis/esri_grid.h"
#include "gis/grid_file.h"
#include "base/shortest_text.h"
#include "study/csv.h"
#include "study/manifest.h"
#include "outputs/request.h"

namespace study {
namespace {

namespace fs = std::filesystem;

// A path as compared with others: absolute, without "." and "..".
fs::path comparable(const std::string& path) {
  std::error_code ec;
  fs::path p = fs::absolute(path, ec);
  if (ec) p = path;
  return p.lexically_normal();
}

bool same_file(const std::string& a, const std::string& b) {
  if (comparable(a) == comparable(b)) return true;
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;  // links to one file
}

}  // namespace

std::string single_text(float v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  return gis::esri_value_text(v);
}

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
  return r;
}

std::string time_file_name(const Study& s, const std::string& name, double t) {
  return outputs::time_file_name(name, t, s.times.size() > 1);
}

bool grid_per_time(const Study& s) { return outputs::grid_per_time(request_of(s)); }

std::string grid_file_name(const Study& s, double t) {
  return grid_per_time(s) ? time_file_name(s, s.output.grid, t) : s.output.grid;
}

std::string output_path(const Study& s, const std::string& name) {
  if (s.output.folder.empty() || s.output.folder == ".") return name;
  return (fs::path(s.output.folder) / name).string();
}

std::vector<OutputFileName> output_files(const Study& s) {
  static const char* const kWhat[] = {"the grid file", "the contours file", "the plot file", "the series file",
                                      "the hydrographs file", "the compliance file",
                                      "the points file"};
  std::vector<OutputFileName> files;
  for (const outputs::PlannedFile& f : outputs::plan(request_of(s)))
    files.push_back({kWhat[static_cast<int>(f.kind)], f.name, output_path(s, f.name)});
  return files;
}

std::optional<std::string> output_clash(const Study& s) {
  const std::vector<OutputFileName> files = output_files(s);
  for (const OutputFileName& f : files)
    if (f.name == kManifestName)
      return s.file + ": " + f.what + " '" + f.path + "' would replace the output folder's manifest";
  std::vector<std::string> paths;
  for (const OutputFileName& f : files) paths.push_back(f.path);
  const std::optional<outputs::Clash> clash = outputs::first_clash(paths, s.inputs, same_file);
  if (!clash) return std::nullopt;
  const OutputFileName& f = files[clash->file];
  if (clash->taken)
    return s.file + ": " + f.what + " '" + f.path + "' would replace the input file '" + s.inputs[*clash->taken] + "'";
  return s.file + ": " + f.what + " and " + files[*clash->earlier].what + " are the same file '" + f.path + "'";
}

bool keeps_every_grid(const Study& s) { return outputs::takes_every_time(request_of(s)); }

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
    for (const Line& l : aquifer_lines(s.boundaries, s.wells.front().x, s.wells.front().y)) {
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
    const std::string place = csv_field(r.name) + "," + base::shortest_text(r.x) + "," + base::shortest_text(r.y) + ",";
    for (std::size_t k = 0; k < times.size(); ++k)
      text += place + base::shortest_text(times[k]) + "," + single_text(values[i][k]) + "\n";
  }
  return text;
}

}  // namespace study
