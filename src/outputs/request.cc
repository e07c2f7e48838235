#include "outputs/request.h"

#include <algorithm>
#include <filesystem>

#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/grid_file.h"
#include "base/shortest_text.h"
#include "files/staged_files.h"

namespace outputs {

std::string time_file_name(const std::string& name, double t, bool several) {
  if (!several) return name;
  const std::filesystem::path path(name);
  return (path.parent_path() / (path.stem().string() + "_" + base::shortest_text(t) + "d" + path.extension().string()))
      .string();
}

bool grid_per_time(const Request& r) {
  const std::optional<gis::GridFormat> format = gis::grid_format_of(r.grid);
  return !format || !gis::traits_of(*format).holds_every_time;
}

bool takes_every_time(const Request& r) {
  return (!r.grid.empty() && !grid_per_time(r)) || !r.contours.empty() || !r.plots.empty();
}

std::vector<PlannedFile> plan(const Request& r) {
  std::vector<PlannedFile> files;
  const bool several = r.times.size() > 1;
  auto add = [&](Kind kind, const std::vector<std::string>& names, std::size_t time) {
    for (std::size_t k = 0; k < names.size(); ++k) files.push_back({kind, names[k], k > 0, time});
  };
  if (const std::optional<gis::GridFormat> format = gis::grid_format_of(r.grid)) {
    const std::size_t grids = grid_per_time(r) ? r.times.size() : 1;
    for (std::size_t k = 0; k < grids; ++k)
      add(Kind::kGrid, gis::grid_files(grid_per_time(r) ? time_file_name(r.grid, r.times[k], several) : r.grid,
                                        *format, r.with_crs),
          k);
  }
  if (const std::optional<gis::VectorFormat> format = gis::vector_format_of(r.contours))
    add(Kind::kContours, gis::contour_files(r.contours, *format), 0);
  for (const std::string& plot : r.plots)
    for (std::size_t k = 0; k < r.times.size(); ++k) add(Kind::kPlot, {time_file_name(plot, r.times[k], several)}, k);
  if (!r.series.empty()) add(Kind::kSeries, {r.series}, 0);
  if (!r.hydrographs.empty()) add(Kind::kHydrographs, {r.hydrographs}, 0);
  if (!r.compliance.empty()) add(Kind::kCompliance, {r.compliance}, 0);
  if (!r.points.empty()) add(Kind::kPoints, {r.points}, 0);
  if (!r.depletion.empty()) add(Kind::kDepletion, {r.depletion}, 0);
  if (!r.depletion_hydrographs.empty()) add(Kind::kDepletionHydrographs, {r.depletion_hydrographs}, 0);
  if (!r.fitted_aquifer.empty()) add(Kind::kFittedAquifer, {r.fitted_aquifer}, 0);
  if (!r.residuals.empty()) add(Kind::kResiduals, {r.residuals}, 0);
  if (!r.type_curves.empty()) add(Kind::kTypeCurves, {r.type_curves}, 0);
  if (!r.residual_plot.empty()) add(Kind::kResidualPlot, {r.residual_plot}, 0);
  if (!r.samples.empty()) add(Kind::kSamples, {r.samples}, 0);
  if (!r.contributions.empty()) add(Kind::kContributions, {r.contributions}, 0);
  if (!r.allocation.empty()) add(Kind::kAllocation, {r.allocation}, 0);
  if (!r.memo.empty()) add(Kind::kMemo, {r.memo}, 0);
  if (const std::optional<gis::GridFormat> format = gis::grid_format_of(r.probability)) {
    const bool per_time = !gis::traits_of(*format).holds_every_time;
    for (std::size_t k = 0; k < (per_time ? r.times.size() : 1); ++k)
      add(Kind::kProbability,
          gis::grid_files(per_time ? time_file_name(r.probability, r.times[k], several) : r.probability, *format,
                          r.with_crs),
          k);
  }
  return files;
}

namespace {

// A path as compared with others: absolute, without "." and "..".
std::filesystem::path comparable(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) p = path;
  return p.lexically_normal();
}

}  // namespace

bool same_file(const std::string& a, const std::string& b) {
  if (comparable(a) == comparable(b)) return true;
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;  // links to one file
}

std::optional<Clash> first_clash(const std::vector<std::string>& paths, const std::vector<std::string>& taken,
                                 const std::function<bool(const std::string&, const std::string&)>& same) {
  for (std::size_t i = 0; i < paths.size(); ++i) {
    for (std::size_t t = 0; t < taken.size(); ++t)
      if (same(paths[i], taken[t])) return Clash{i, t, std::nullopt};
    for (std::size_t j = 0; j < i; ++j)
      if (same(paths[i], paths[j])) return Clash{i, std::nullopt, j};
  }
  return std::nullopt;
}

std::optional<Clash> first_clash(const Request& r, const std::vector<PlannedFile>& planned,
                                 const std::vector<std::string>& taken,
                                 const std::function<bool(const std::string&, const std::string&)>& same) {
  std::vector<std::string> paths;
  for (const PlannedFile& f : planned) paths.push_back(path(r, f.name));
  return first_clash(paths, taken, same);
}

std::string clash_text(const Request& r, const std::vector<PlannedFile>& planned, const Clash& clash,
                       const std::vector<std::string>& inputs, const std::string& file,
                       const std::function<std::string(Kind)>& what) {
  const PlannedFile& f = planned[clash.file];
  if (clash.taken)
    return file + ": " + what(f.kind) + " '" + path(r, f.name) + "' would replace the input file '" + inputs[*clash.taken] +
           "'";
  return file + ": " + what(f.kind) + " and " + what(planned[*clash.earlier].kind) + " are the same file '" +
         path(r, f.name) + "'";
}

std::string path(const Request& r, const std::string& name) {
  if (r.folder.empty() || r.folder == ".") return name;
  return (std::filesystem::path(r.folder) / name).string();
}

namespace {

// Whether some picture of the request has `format`.
bool has_picture(const Request& r, pictures::PlotFormat format) {
  return std::any_of(r.plots.begin(), r.plots.end(),
                     [&](const std::string& p) { return pictures::plot_format_of(p) == format; });
}

std::optional<Fault> levels_fault(const std::vector<double>& levels) {
  if (levels.size() > gis::kMostLevels) return Fault{Setting::kLevels, Problem::kTooMany};
  for (std::size_t i = 1; i < levels.size(); ++i)
    if (std::find(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(i), levels[i]) != levels.begin() + static_cast<std::ptrdiff_t>(i))
      return Fault{Setting::kLevels, Problem::kTwice, i};
  return std::nullopt;
}

}  // namespace

std::optional<Fault> check(const Request& r) {
  if (std::optional<Fault> f = levels_fault(r.levels)) return f;
  if (r.range) {
    if (r.plots.empty()) return Fault{Setting::kRange, Problem::kNoPicture};
    if (!(r.range->first < r.range->second)) return Fault{Setting::kRange, Problem::kOrder};
  }
  if (r.page && r.memo.empty()) {  // the memo's page, else the .pdf pictures'
    if (r.plots.empty()) return Fault{Setting::kPage, Problem::kNoPicture};
    if (!has_picture(r, pictures::PlotFormat::kPdf)) return Fault{Setting::kPage, Problem::kNoKind};
  }
  if (r.dpi) {
    // For the .png pictures and .png hydrographs.
    if (pictures::plot_format_of(r.hydrographs) != pictures::PlotFormat::kPng &&
        pictures::plot_format_of(r.depletion_hydrographs) != pictures::PlotFormat::kPng) {
      if (r.plots.empty()) return Fault{Setting::kDpi, Problem::kNoPicture};
      if (!has_picture(r, pictures::PlotFormat::kPng)) return Fault{Setting::kDpi, Problem::kNoKind};
    }
    if (*r.dpi < pictures::kMinDpi || *r.dpi > pictures::kMaxDpi) return Fault{Setting::kDpi, Problem::kOutOfRange};
  }
  return std::nullopt;
}

pictures::PlotOptions picture_settings(const Request& r) {
  pictures::PlotOptions o;
  o.levels = r.levels;
  std::sort(o.levels.begin(), o.levels.end());
  o.range = r.range;
  o.page = r.page.value_or(pictures::PlotPage::kOwnSize);
  o.dpi = r.dpi.value_or(pictures::kDefaultDpi);
  return o;
}

}  // namespace outputs
