#include "study/outputs.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "maps/contour_layer.h"
#include "maps/esri_grid.h"
#include "maps/grid_file.h"
#include "maps/shortest_text.h"
#include "study/csv.h"
#include "study/manifest.h"

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
  return maps::esri_value_text(v);
}

std::string time_file_name(const Study& s, const std::string& name, double t) {
  if (s.times.size() < 2) return name;
  const fs::path path(name);
  fs::path renamed = path.parent_path() / (path.stem().string() + "_" + maps::shortest_text(t) + "d" + path.extension().string());
  return renamed.string();
}

bool grid_per_time(const Study& s) { return maps::grid_format_of(s.output.grid) != maps::GridFormat::kGeoTiff; }

std::string grid_file_name(const Study& s, double t) {
  return grid_per_time(s) ? time_file_name(s, s.output.grid, t) : s.output.grid;
}

std::string output_path(const Study& s, const std::string& name) {
  if (s.output.folder.empty() || s.output.folder == ".") return name;
  return (fs::path(s.output.folder) / name).string();
}

std::vector<OutputFileName> output_files(const Study& s) {
  std::vector<OutputFileName> files;
  auto add = [&](const std::string& what, const std::vector<std::string>& names) {
    for (const std::string& name : names) files.push_back({what, name, output_path(s, name)});
  };
  const Output& o = s.output;
  if (const std::optional<maps::GridFormat> format = maps::grid_format_of(o.grid)) {
    const std::size_t grids = grid_per_time(s) ? s.times.size() : 1;
    for (std::size_t k = 0; k < grids; ++k)
      add("the grid file", maps::grid_files(grid_file_name(s, s.times[k]), *format, !s.crs.empty()));
  }
  if (const std::optional<maps::VectorFormat> format = maps::vector_format_of(o.contours))
    add("the contours file", maps::contour_files(o.contours, *format));
  for (const std::string& plot : o.plots)
    for (double t : s.times) add("the plot file", {time_file_name(s, plot, t)});
  if (!s.output.series.empty()) add("the series file", {s.output.series});
  if (!s.output.hydrographs.empty()) add("the hydrographs file", {s.output.hydrographs});
  return files;
}

std::optional<std::string> output_clash(const Study& s) {
  const std::vector<OutputFileName> files = output_files(s);
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (files[i].name == kManifestName)
      return s.file + ": " + files[i].what + " '" + files[i].path + "' would replace the output folder's manifest";
    for (const std::string& input : s.inputs)
      if (same_file(files[i].path, input))
        return s.file + ": " + files[i].what + " '" + files[i].path + "' would replace the input file '" + input + "'";
    for (std::size_t j = 0; j < i; ++j)
      if (same_file(files[i].path, files[j].path))
        return s.file + ": " + files[i].what + " and " + files[j].what + " are the same file '" + files[i].path + "'";
  }
  return std::nullopt;
}

bool keeps_every_grid(const Study& s) {
  return (!s.output.grid.empty() && !grid_per_time(s)) || !s.output.contours.empty() || !s.output.plots.empty();
}

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

maps::PlotOptions plot_options(const Study& s, std::span<const engine::EvaluatedGrid> times) {
  maps::PlotOptions o;
  o.levels = s.output.levels;
  o.range = s.output.range;
  o.page = s.output.page;
  o.dpi = s.output.dpi;
  o.input_name = s.title;
  for (const Well& w : s.wells) o.well_names.push_back(w.name);
  for (const Receptor& r : s.receptors) o.markers.push_back(maps::PlotMarker{r.x, r.y, r.name});
  o.scale_from = times;
  return o;
}

std::string series_text(const Study& s, std::span<const double> times,
                        const std::vector<std::vector<float>>& values) {
  std::string text = "name,x,y,days,drawdown_ft\n";
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    const Receptor& r = s.receptors[i];
    const std::string place = csv_field(r.name) + "," + maps::shortest_text(r.x) + "," + maps::shortest_text(r.y) + ",";
    for (std::size_t k = 0; k < times.size(); ++k)
      text += place + maps::shortest_text(times[k]) + "," + single_text(values[i][k]) + "\n";
  }
  return text;
}

}  // namespace study
