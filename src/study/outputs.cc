#include "study/outputs.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "study/csv.h"

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

std::string double_text(double v) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return std::string(text, end);
}

std::string grid_file_name(const Study& s, double t) {
  if (s.times.size() < 2) return s.output.grid;
  const fs::path name(s.output.grid);
  fs::path renamed = name.parent_path() / (name.stem().string() + "_" + double_text(t) + "d" + name.extension().string());
  return renamed.string();
}

std::string output_path(const Study& s, const std::string& name) {
  return (fs::path(s.output.folder) / name).string();
}

std::vector<OutputFileName> output_files(const Study& s) {
  std::vector<OutputFileName> files;
  if (!s.output.grid.empty())
    for (double t : s.times) files.push_back({"the grid file", output_path(s, grid_file_name(s, t))});
  if (!s.output.series.empty()) files.push_back({"the series file", output_path(s, s.output.series)});
  if (!s.output.hydrographs.empty()) files.push_back({"the hydrographs file", output_path(s, s.output.hydrographs)});
  return files;
}

std::optional<std::string> output_clash(const Study& s) {
  const std::vector<OutputFileName> files = output_files(s);
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (const std::string& input : s.inputs)
      if (same_file(files[i].path, input))
        return s.file + ": " + files[i].what + " '" + files[i].path + "' would replace the input file '" + input + "'";
    for (std::size_t j = 0; j < i; ++j)
      if (same_file(files[i].path, files[j].path))
        return s.file + ": " + files[i].what + " and " + files[j].what + " are the same file '" + files[i].path + "'";
  }
  return std::nullopt;
}

maps::EsriFrame esri_frame_of(const Study& s) {
  return maps::EsriFrame{s.grid.columns, s.grid.rows, s.grid.xll, s.grid.yll, s.grid.spacing};
}

std::string series_text(const Study& s, std::span<const double> times,
                        const std::vector<std::vector<float>>& values) {
  std::string text = "name,x,y,days,drawdown_ft\n";
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    const Receptor& r = s.receptors[i];
    const std::string place = csv_field(r.name) + "," + double_text(r.x) + "," + double_text(r.y) + ",";
    for (std::size_t k = 0; k < times.size(); ++k)
      text += place + double_text(times[k]) + "," + single_text(values[i][k]) + "\n";
  }
  return text;
}

}  // namespace study
