#include "study/run_study.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

#include "base/exit_status.h"
#include "base/message.h"
#include "maps/contour.h"
#include "maps/contour_layer.h"
#include "maps/gis_crs.h"
#include "maps/grid_file.h"
#include "maps/plot.h"
#include "maps/output_file.h"
#include "maps/shortest_text.h"
#include "study/console.h"
#include "study/evaluation.h"
#include "study/outputs.h"
#include "study/plug_ins.h"
#include "study/reader.h"
#include "study/rule_check.h"

namespace study {
namespace {

// One line on standard error; control characters (from a file name given on
// the command line, say) are shown as escapes.
void complain(const std::string& line) { base::complain(line); }

// A line on the terminal, nothing otherwise.
class Stages {
 public:
  explicit Stages(bool terminal) : terminal_(terminal) {}
  void say(const std::string& line) const {
    if (!terminal_) return;
    std::fprintf(stdout, "%s\n", one_line(line).c_str());
    std::fflush(stdout);
  }
  bool terminal() const { return terminal_; }

 private:
  bool terminal_;
};

std::string plural(std::size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

std::string days_list(const std::vector<double>& days) {
  std::string s;
  for (double d : days) s += (s.empty() ? "" : ", ") + maps::shortest_text(d);
  return s;
}

// The study read and checked, with how it is evaluated; or the line that refuses it.
struct Prepared {
  Study study;
  Evaluation how;
  std::optional<maps::Crs> crs;  // the study's CRS as GDAL reads it
};

Prepared prepare(const std::string& file, const engine::Options& engine) {
  Prepared p;
  {
    // A study that takes more than a second to read shows its rows so far.
    Progress progress(stdout, isatty(STDOUT_FILENO) == 1, "reading " + one_line(file), 0, 0);
    p.study = read_study_file(file, &progress.done);
  }
  p.how.well_function = p.study.output.well_function;
  p.how.engine = engine;
  p.how.exact = exact_well_function();  // by the rule too: its values are checked at a few places
  if (!p.study.crs.empty()) {
    maps::Crs crs;
    if (std::string why = maps::read_crs(p.study.crs, crs); !why.empty()) throw StudyError{file + ": 'crs': " + why};
    p.crs = std::move(crs);
  }
  if (std::optional<std::string> why = output_clash(p.study)) throw StudyError{*why};
  const int threads = engine.method == engine::Method::reference ? 1 : engine.fast.threads;
  if (std::optional<std::string> why = does_not_fit(p.study, threads, machine_memory()))
    throw StudyError{file + ": " + *why};
  return p;
}

// The outputs made from the grids of all times: the GeoTIFF, the contour
// layer, a picture per time.
template <typename Write>
void write_maps(const Study& s, std::span<const engine::EvaluatedGrid> evaluated, const maps::Crs* crs,
                bool folder_ready, const Write& write) {
  if (!folder_ready) return;
  const Output& o = s.output;
  if (!o.grid.empty() && !grid_per_time(s)) {
    const std::string path = output_path(s, o.grid);
    write("the grid file", path, maps::write_grid(path, maps::GridFormat::kGeoTiff, evaluated, crs));
  }
  if (const std::optional<maps::VectorFormat> format = maps::vector_format_of(o.contours)) {
    const std::string path = output_path(s, o.contours);
    const std::vector<double> levels = maps::levels_for(evaluated, o.levels);
    write("the contours file", path, maps::write_contour_layer(path, *format, evaluated, levels, crs));
  }
  if (const std::optional<maps::PlotFormat> format = maps::plot_format_of(o.plot)) {
    const maps::PlotOptions options = plot_options(s, evaluated);
    for (std::size_t k = 0; k < s.times.size(); ++k) {
      const std::string path = output_path(s, time_file_name(s, o.plot, s.times[k]));
      write("the plot file", path, maps::write_plot(path, *format, evaluated[k], options));
    }
  }
}

}  // namespace

int run_study(const std::string& file, const engine::Options& engine) {
  Prepared p;
  try {
    p = prepare(file, engine);
  } catch (const StudyError& e) {
    complain(e.message);
    return base::kExitUsage;
  }
  const Study& s = p.study;
  const Stages stages(isatty(STDOUT_FILENO) == 1);
  int status = base::kExitSuccess;

  std::size_t steps = 0;
  for (const Well& w : s.wells) steps += w.steps.size();
  const std::string title = one_line(s.title);
  stages.say("study '" + title + "': " + plural(s.wells.size(), "well", "wells") + " (" +
             plural(steps, "rate step", "rate steps") + "), " + plural(s.receptors.size(), "receptor", "receptors") +
             ", " + std::to_string(s.grid.columns) + " x " + std::to_string(s.grid.rows) + " nodes, days " +
             days_list(s.times) + ", " +
             (p.how.well_function == WellFunction::exact ? "exact well function" : "the rule's well function"));

  // Output folder: created when the study writes files.
  const std::vector<OutputFileName> files = output_files(s);
  bool folder_ready = true;
  if (!files.empty()) {
    std::error_code ec;
    std::filesystem::create_directories(s.output.folder, ec);
    if (ec) {
      complain("cannot create the output folder '" + s.output.folder + "': " + ec.message());
      folder_ready = false;
      status = base::kExitExtraOutput;
    }
  }
  auto write = [&](const std::string& what, const std::string& path, const std::string& why) {
    if (why.empty()) {
      stages.say("wrote " + path);
    } else {
      complain("cannot write " + what + " '" + path + "': " + why);
      status = base::kExitExtraOutput;
    }
  };

  try {
    if (!s.receptors.empty()) stages.say("receptors at days " + days_list(s.output.series_times));
    const std::vector<std::vector<float>> series = receptor_series(s, s.output.series_times, p.how);

    // One grid serves every time, unless an output takes all times together.
    const std::size_t kept = keeps_every_grid(s) ? s.times.size() : 1;
    std::vector<engine::DrawdownGrid> grids;
    for (std::size_t k = 0; k < kept; ++k) grids.emplace_back(s.grid.columns, s.grid.rows);
    std::vector<std::vector<engine::Well>> wells;
    std::vector<engine::EvaluatedGrid> evaluated;
    std::vector<GridLargest> largest;
    // By the rule: each well's nearest node at each time, checked against the
    // true well function at the end.
    const bool by_rule = p.how.well_function == WellFunction::rule;
    std::vector<std::vector<float>> well_nodes(by_rule ? s.wells.size() : 0);
    const maps::Crs* crs = p.crs ? &*p.crs : nullptr;
    // The bar counts node-term evaluations over all the study's grids.
    const std::uint64_t nodes = static_cast<std::uint64_t>(s.grid.columns) * static_cast<std::uint64_t>(s.grid.rows);
    std::uint64_t total = 0, before = 0;
    for (double t : s.times) total += nodes * terms_at(s, t).size();
    for (std::size_t k = 0; k < s.times.size(); ++k) {
      const double t = s.times[k];
      engine::DrawdownGrid& DD = grids[kept == 1 ? 0 : k];
      const std::vector<Term> terms = terms_at(s, t);
      const std::string label = "grid at day " + maps::shortest_text(t);
      stages.say(label + ": " + plural(terms.size(), "well term", "well terms"));
      {
        Progress progress(stdout, stages.terminal(), label, before, total);
        engine::zero_grid(DD, s.grid.columns, s.grid.rows);
        add_terms(DD, s, terms, p.how, &progress.done);
      }
      before += nodes * terms.size();
      largest.push_back(grid_largest(DD, s.grid));
      for (std::size_t j = 0; j < well_nodes.size(); ++j) {
        const Node n = nearest_node(s.grid, s.wells[j].x, s.wells[j].y);
        well_nodes[j].push_back(DD(n.c, n.r));
      }
      // (With one grid kept, the earlier times' views see the last time's
      // cells; only outputs of all times read them, and those keep a grid each.)
      wells.push_back(wells_at(s, t));
      evaluated.push_back(evaluated_grid(s, t, DD, wells.back()));
      if (!s.output.grid.empty() && grid_per_time(s) && folder_ready) {
        const std::string path = output_path(s, grid_file_name(s, t));
        write("the grid file", path, maps::write_grid(path, maps::GridFormat::kEsriAscii, {&evaluated.back(), 1}, crs));
      }
    }
    write_maps(s, evaluated, crs, folder_ready, write);

    if (!s.output.series.empty() && folder_ready) {
      const std::string path = output_path(s, s.output.series);
      maps::OutputFile out(path);
      out.write(series_text(s, s.output.series_times, series));
      write("the series file", path, out.finish());
    }
    if (!s.output.hydrographs.empty() && folder_ready) {
      const std::string path = output_path(s, s.output.hydrographs);
      write("the hydrographs file", path, write_hydrographs(path, s, s.output.series_times, series));
    }

    std::vector<std::string> warnings;
    if (by_rule) warnings = rule_warnings(s, s.output.series_times, series, well_nodes, p.how.exact);
    for (const std::string& w : warnings) complain("warning: " + w);

    if (stages.terminal()) std::fputc('\n', stdout);
    const std::string summary = summary_text(s, s.output.series_times, series, largest, warnings);
    std::fwrite(summary.data(), 1, summary.size(), stdout);
    if (std::fflush(stdout) != 0) {
      complain("cannot write the summary to standard output");
      status = base::kExitExtraOutput;
    }
  } catch (const std::bad_alloc&) {
    complain("the study ran out of memory (it needs about " +
             std::to_string(static_cast<long long>(memory_needed(s, engine.fast.threads) / (1024 * 1024))) + " MiB)");
    return base::kExitLimit;
  }
  return status;
}

}  // namespace study
