#include "study/run_study.h"
#include "base/text_table.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <system_error>
#include <vector>

#include "base/exit_status.h"
#include "base/units.h"
#include "base/message.h"
#include "gis/crs.h"
#include "pictures/plot.h"
#include "gis/point_layer.h"
#include "files/output_file.h"
#include "files/temporaries.h"
#include "base/shortest_text.h"
#include "scenario/compliance.h"
#include "study/console.h"
#include "scenario/depletion.h"
#include "scenario/depletion_limits.h"
#include "scenario/evaluation.h"
#include "scenario/grid_warnings.h"
#include "study/depletion_report.h"
#include "study/dated_csv.h"
#include "study/manifest.h"
#include "study/memo.h"
#include "study/outputs.h"
#include "outputs/writer.h"
#include "study/hydrographs.h"
#include "scenario/pumping_wells.h"
#include "study/points.h"
#include "study/compliance_points.h"
#include "study/exact_maps.h"
#include "gis/contour.h"
#include "study/probability_grid.h"
#include "scenario/plausibility.h"
#include "study/reader.h"
#include "scenario/rule_check.h"
#include "study/stale_outputs.h"
#include "study/uncertainty_run.h"
#include "study/allocation_report.h"

namespace study {
namespace {

// One line on standard error, control characters shown as escapes.
void complain(const std::string& line) { base::complain(line); }

// A line on the terminal, nothing otherwise.
class Stages {
 public:
  explicit Stages(bool terminal) : terminal_(terminal) {}
  void say(const std::string& line) const {
    if (!terminal_) return;
    std::fprintf(stdout, "%s\n", line.c_str());
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
  for (double d : days) s += (s.empty() ? "" : ", ") + base::shortest_text(d);
  return s;
}

// What a study's output file is called in messages.
std::string what_file(outputs::Kind kind) {
  if (kind == outputs::Kind::kMemo) return "the memo file";
  if (kind == outputs::Kind::kProbability) return "the probability file";
  static const char* const kWhat[] = {"the grid file",        "the contours file",   "the plot file", "the series file",
                                      "the hydrographs file", "the compliance file", "the points file",
                                      "the depletion file",   "the depletion hydrographs file"};
  if (kind == outputs::Kind::kContributions) return "the contributions file";
  if (kind == outputs::Kind::kAllocation) return "the allocation file";
  return kWhat[static_cast<int>(kind)];
}

using outputs::same_file;

// Why the outputs cannot be written as named (one line: an output that is the
// manifest or an input file, or names the same file as another output), or nothing.
std::optional<std::string> refused_outputs(const Study& s) {
  const outputs::Request r = request_of(s);
  const std::vector<outputs::PlannedFile> planned = outputs::plan(r);
  for (const outputs::PlannedFile& f : planned)
    if (f.name == kManifestName)
      return s.file + ": " + what_file(f.kind) + " '" + outputs::path(r, f.name) +
             "' would replace the output folder's manifest";
  const std::optional<outputs::Clash> clash = outputs::first_clash(r, planned, s.inputs, same_file);
  if (!clash) return std::nullopt;
  return outputs::clash_text(r, planned, *clash, s.inputs, s.file, what_file);
}

// The fix of a CRS whose unit is the other of the study's lengths: the
// study's length unit.
std::string crs_hint(const Study& s, const gis::Crs& crs) {
  const bool crs_in_metres = std::fabs(crs.unit_metres - 1.0) < 1e-9;
  if (s.units.feet() && crs_in_metres)
    return "; or, for coordinates in metres, give the study units = { length = \"m\" }";
  if (!s.units.feet() && std::fabs(crs.unit_metres - base::kMetresPerFoot) < 2e-5)
    return "; or, for coordinates in feet, give the study's lengths in feet (units.length = \"ft\")";
  return "";
}

// The study read and checked, with how it is evaluated; or the line that refuses it.
struct Prepared {
  Study study;
  scenario::Evaluation how;
  std::optional<gis::Crs> crs;  // the study's CRS as GDAL reads it
  std::optional<Uncertain> uncertain;  // the ensemble's answers, with [uncertainty]
};

Prepared prepare(const std::string& file, const engine::Options& engine,
                 const std::optional<std::string>& output_folder) {
  Prepared p;
  {
    // A study that takes more than a second to read shows its rows so far.
    Progress progress(stdout, isatty(STDOUT_FILENO) == 1, "reading " + base::one_line(file), 0, 0);
    p.study = read_study_file(file, &progress.done);
  }
  if (output_folder) {
    p.study.output.folder = *output_folder;
    p.study.output.folder_given = true;
  }
  p.how.well_function = p.study.output.well_function;
  p.how.engine = engine;
  if (!p.study.crs.empty()) {
    gis::Crs crs;
    if (std::string why = gis::read_crs(p.study.crs, crs, !p.study.units.feet()); !why.empty())
      throw StudyError{file + ": 'crs': " + why + crs_hint(p.study, crs)};
    p.crs = std::move(crs);
  }
  if (std::optional<std::string> why = refused_outputs(p.study)) throw StudyError{*why};
  const int threads = engine.method == engine::Method::reference ? 1 : engine.fast.threads;
  if (std::optional<std::string> why = does_not_fit(p.study, threads, grids_kept(p.study), scenario::machine_memory()))
    throw StudyError{file + ": " + *why};
  return p;
}

// The study's output folder, opened once, locked, cleared of what a killed
// run left, and its manifest begun; the files written and the lines told on
// standard error, for the manifest.
class Outputs {
 public:
  Outputs(const Study& s, const Stages& stages) : s_(s), stages_(stages) {}

  // Opens the folder when the study writes files. kExitBusy when another
  // study or run writes into it (nothing is written then), else 0 or
  // kExitExtraOutput when it cannot be opened.
  int open() {
    started_ = std::time(nullptr);
    if (outputs::plan(request_of(s_)).empty()) return base::kExitSuccess;
    const std::string why = s_.output.folder_given ? folder_.open_given(s_.output.folder)
                                                   : folder_.open_below(s_.output.base, s_.output.relative);
    if (!why.empty()) {
      tell("cannot open the output folder '" + s_.output.folder + "': " + why);
      return base::kExitExtraOutput;
    }
    if (!folder_.lock()) {
      complain("another study or run is writing into the output folder '" + s_.output.folder +
               "'; nothing was written");
      return base::kExitBusy;
    }
    ready_ = true;
    folder_.remove_stale_temporaries();
    previous_ = previous_outputs();
    ::unlinkat(folder_.fd(), std::string(kManifestName).c_str(), 0);
    files::remove_temporaries_on_signals();
    return base::kExitSuccess;
  }

  bool ready() const { return ready_; }

  // The writer of the study's files into the open folder, each told by wrote();
  // `crs` must outlive it.
  outputs::Writer writer(const gis::Crs* crs) {
    outputs::Place place;
    place.folder = &folder_;
    place.what = what_file;
    place.crs = crs;
    return outputs::Writer(request_of(s_), std::move(place), plot_options(s_, {}),
                           [this](const outputs::PlannedFile& f, const std::string& why) {
                             wrote(what_file(f.kind), f.name, why);
                           });
  }

  // The file `name` in the folder.
  files::Target target(const std::string& name) { return files::Target(folder_, name); }

  // Reports the writing of `name`: a stage line, or a line on standard error
  // and the status kExitExtraOutput.
  void wrote(const std::string& what, const std::string& name, const std::string& why) {
    if (why.empty()) return stages_.say("wrote " + folder_.shown(name));
    tell("cannot write " + what + " '" + folder_.shown(name) + "': " + why);
  }

  // A warning: one line on standard error, kept for the manifest; the status
  // does not change.
  void warn(const std::string& line) {
    complain("warning: " + line);
    warnings_.push_back("warning: " + base::one_line(line));
  }

  // One line on standard error, kept for the manifest.
  void tell(const std::string& line) {
    complain(line);
    warnings_.push_back(base::one_line(line));
    status_ = base::kExitExtraOutput;
  }

  // Removes the outputs of the previous manifest that this study does not
  // write, then writes the manifest; the exit status of the outputs.
  int finish() {
    if (!ready_) return status_;
    remove_stale();
    Manifest m;
    m.version = std::string(base::kVersionLine);
    for (std::size_t k = 0; k < s_.inputs.size(); ++k)
      m.inputs.push_back({s_.inputs[k], k < s_.input_digests.size() ? s_.input_digests[k] : "", 0});
    m.outputs = folder_.written();
    m.warnings = warnings_;
    m.uncertainty = uncertainty_manifest(s_);
    m.started = utc_time(started_);
    m.ended = utc_time(std::time(nullptr));
    const std::string name(kManifestName);
    if (std::string why = files::write_whole_file(target(name), manifest_text(m)); !why.empty())
      tell("cannot write the manifest '" + folder_.shown(name) + "': " + why);
    return status_;
  }

 private:
  std::vector<ListedOutput> previous_outputs() const {
    return listed_outputs(read_previous_manifest(folder_.fd()));
  }

  // The earlier outputs this study does not write, each removed only when it
  // is what the program wrote; each removal and each file left said.
  void remove_stale() {
    std::vector<std::string> planned;
    for (const outputs::PlannedFile& f : outputs::plan(request_of(s_))) planned.push_back(f.name);
    remove_stale_outputs(
        folder_, previous_, planned, s_.inputs, [](const std::string& line) { complain(line); },
        [this](const std::string& line) { warn(line); });
  }

  const Study& s_;
  const Stages& stages_;
  files::OutputFolder folder_;
  bool ready_ = false;
  int status_ = base::kExitSuccess;
  std::time_t started_ = 0;
  std::vector<ListedOutput> previous_;
  std::vector<std::string> warnings_;
};

// The outputs made from the grids of all times, as planned: the GeoTIFF, the
// contour layer (its lines on the true drawdown, their areas to `areas`),
// each picture of each time; with the requested levels that some grid
// reaches (all of them when none does), each other one a warning.
void write_maps(const Study& s, const scenario::Evaluation& how, outputs::Writer& writer, Outputs& out,
                std::vector<std::string>& warnings, std::string& areas) {
  const std::vector<engine::EvaluatedGrid> kept = writer.kept();
  std::vector<double> drawn = scenario::reached_levels(kept, s.output.levels);
  for (const std::string& w : scenario::level_warnings(s.output.levels, drawn, s.units.length.name))
    warnings.push_back(w), out.warn(w);
  if (drawn.empty()) drawn = s.output.levels;
  if (!s.output.contours.empty()) {
    ExactMaps exact = exact_maps(s, how, kept, gis::levels_for(kept, drawn));
    areas = std::move(exact.areas);
    writer.use_exact_contours(std::move(exact.lines));
  }
  writer.finish(drawn);
}

// The series and the hydrographs.
void write_series(const Study& s, const std::vector<std::vector<float>>& series, const scenario::Evaluation& how,
                  outputs::Writer& writer, const std::optional<Uncertain>& u) {
  writer.write(outputs::Kind::kSeries, [&](const files::Target& t) {
    return files::write_whole_file(t, dated(s, u ? series_with_percentiles(s, s.series_times, series, *u)
                                                  : series_text(s, s.series_times, series)));
  });
  writer.write(outputs::Kind::kHydrographs, [&](const files::Target& t) {
    return write_hydrographs(t, s, s.series_times, series, how, u ? &u->summary.percentiles : nullptr);
  });
}

// What the grids of a study leave for its summary.
struct GridResults {
  std::vector<scenario::GridExtremes> extremes;        // per time, away from the wells
  std::vector<std::vector<float>> well_nodes;  // by the rule: [well][time], the node nearest each well
  std::vector<std::string> warnings;           // of the maps: contour levels no grid reaches
  std::string contour_areas;                   // the area inside each contour level, for the summary
  std::optional<engine::DrawdownGrid> last;    // the last time's grid, for the memo
};

// Evaluates the grid of time k into DD; what it leaves for the summary joins `results`.
void evaluate_time(const Study& s, std::size_t k, const scenario::Evaluation& how, const Stages& stages, engine::DrawdownGrid& DD,
                   std::uint64_t& before, std::uint64_t total, GridResults& results) {
  const double t = s.times[k];
  const std::vector<scenario::Term> terms = terms_at(s, t);
  const std::string label = "grid at day " + base::shortest_text(t);
  const std::size_t real = real_terms(terms, s, t);
  stages.say(label + ": " + plural(terms.size(), "well term", "well terms") +
             (real < terms.size() ? " (" + plural(terms.size() - real, "image term", "image terms") + ")" : ""));
  {
    Progress progress(stdout, stages.terminal(), label, before, total);
    engine::zero_grid(DD, s.grid.columns, s.grid.rows);
    add_terms(DD, s, terms, how, &progress.done);
    blank_beyond(DD, s);
  }
  before += static_cast<std::uint64_t>(s.grid.columns) * static_cast<std::uint64_t>(s.grid.rows) * terms.size();
  results.extremes.push_back(grid_extremes(DD, s));
  for (std::size_t j = 0; j < results.well_nodes.size(); ++j) {
    const scenario::Node n = nearest_node(s.grid, s.wells[j].x, s.wells[j].y);
    results.well_nodes[j].push_back(DD(n.c, n.r));
  }
}

// The grids of every time evaluated, each handed to the writer (when the
// study writes files), which writes a time's grid file as it comes and keeps
// what the outputs of all times need; then those outputs.
GridResults evaluate_and_write(const Study& s, const scenario::Evaluation& how, const Stages& stages, outputs::Writer* writer,
                               Outputs& out) {
  GridResults results;
  if (how.well_function == WellFunction::rule) results.well_nodes.resize(s.wells.size());
  // The bar counts node-term evaluations over all the study's grids.
  const std::uint64_t nodes = static_cast<std::uint64_t>(s.grid.columns) * static_cast<std::uint64_t>(s.grid.rows);
  std::uint64_t total = 0, before = 0;
  for (double t : s.times) total += nodes * static_cast<std::uint64_t>(term_count(s, t));
  // One grid serves every time, unless the writer keeps each time's: then it
  // takes the grid, and the next time has a new one.
  const bool kept = writer != nullptr && writer->keeps_every_time();
  std::optional<engine::DrawdownGrid> DD;
  for (std::size_t k = 0; k < s.times.size(); ++k) {
    if (!DD) DD.emplace(s.grid.columns, s.grid.rows);
    evaluate_time(s, k, how, stages, *DD, before, total, results);
    if (writer == nullptr) continue;
    const std::vector<engine::Well> wells = wells_at(s, s.times[k]);
    const engine::EvaluatedGrid e = evaluated_grid(s, s.times[k], *DD, wells);
    if (!kept) {
      writer->add(e);
      continue;
    }
    writer->add(e, std::move(*DD));
    DD.reset();
  }
  if (writer != nullptr && !s.output.memo.empty() && !s.times.empty())
    results.last.emplace(kept ? *writer->kept().back().DD : *DD);
  if (kept) write_maps(s, how, *writer, out, results.warnings, results.contour_areas);
  return results;
}

// The wells and receptors as point layers, when asked: the receptors'
// drawdowns at the study's times, and their compliance when there is one.
void write_points(const Study& s, const scenario::Evaluation& how, const gis::Crs* crs, outputs::Writer& writer,
                  const std::optional<scenario::Compliance>& c, const std::optional<Uncertain>& u) {
  if (s.output.points.empty()) return;
  std::vector<gis::PointLayer> layers = point_layers(s, receptor_series(s, s.times, how));
  if (c) add_compliance(layers, s, *c, u ? &u->summary : nullptr);
  writer.write(outputs::Kind::kPoints,
               [&](const files::Target& t) { return gis::write_point_layers(t, layers, crs); });
}

// The compliance of the receptors and streams with limits, when the study
// has any.
std::optional<scenario::Compliance> compliance_if_limits(const Study& s, const scenario::Evaluation& how) {
  if (std::none_of(s.receptors.begin(), s.receptors.end(), [](const Receptor& r) { return r.limit.has_value(); }) &&
      !scenario::has_stream_limits(s))
    return std::nullopt;
  return compliance_of(s, how);
}

// The compliance's CSV written when asked.
void report_compliance(const Study& s, const std::optional<scenario::Compliance>& c, outputs::Writer* writer,
                       const std::optional<Uncertain>& u) {
  if (c && writer != nullptr)
    writer->write(outputs::Kind::kCompliance,
                  [&](const files::Target& t) {
                    return files::write_whole_file(
                        t, dated(s, u ? with_probabilities(compliance_csv(s, *c), *u) : compliance_csv(s, *c)));
                  });
}

// The receptors' rows of the summary from the compliance's search, for those with a limit.
std::vector<std::optional<LargestFound>> largest_found(const Study& s, const std::optional<scenario::Compliance>& c) {
  std::vector<std::optional<LargestFound>> found(s.receptors.size());
  if (c)
    for (const scenario::ReceptorCompliance& r : c->receptors) found[r.receptor] = LargestFound{r.largest, r.largest_day};
  return found;
}

// The streams' depletion, when the study asks for it: its CSV and picture
// written, its table for the summary returned.
std::string report_depletion(const Study& s, outputs::Writer* writer) {
  if (!reports_depletion(s)) return "";
  const scenario::Depletion d(s, scenario::last_day(s));
  if (writer != nullptr) {
    writer->write(outputs::Kind::kDepletion, [&](const files::Target& t) {
      return files::write_whole_file(t, dated(s, scenario::depletion_csv(s, d, s.series_times)));
    });
    writer->write(outputs::Kind::kDepletionHydrographs,
                  [&](const files::Target& t) { return write_depletion_hydrographs(t, s, d); });
  }
  return "\n" + depletion_summary(s, d);
}

// The study's first stage line: what it holds and how it is evaluated.
std::string study_line(const Study& s, const scenario::Evaluation& how) {
  std::size_t steps = 0;
  for (const Well& w : s.wells) steps += w.steps.size();
  return "study '" + base::one_line(s.title) + "': " + plural(s.wells.size(), "well", "wells") + " (" +
         plural(steps, "rate step", "rate steps") + "), " + plural(s.receptors.size(), "receptor", "receptors") + ", " +
         std::to_string(s.grid.columns) + " x " + std::to_string(s.grid.rows) + " nodes, days " + days_list(s.times) +
         ", " + (how.well_function == WellFunction::exact ? "exact well function" : "the rule's well function");
}

// The summary's table of the drawdown in each well (values[well][time]), or
// why it is left out.
std::string well_table_or_why(const Study& s, const std::optional<std::vector<std::vector<double>>>& values) {
  if (values) return well_table_text(s, *values);
  return "the drawdown in each well is not listed: " + plural(s.wells.size(), "well", "wells") + " are too many\n";
}

// By the rule, where the drawdown in each well is off the true well function's.
std::vector<std::string> well_table_warnings_of(const Prepared& p, const std::vector<std::vector<double>>& values) {
  scenario::Evaluation exact = p.how;
  exact.well_function = WellFunction::exact;
  return well_table_warnings(p.study, values, well_drawdowns(p.study, exact));
}

// Evaluates the study, writes its outputs and prints its summary, with the
// warnings `placed` said before; whether a receptor's limit is exceeded.
bool evaluate_and_report(const Prepared& p, const std::vector<std::string>& placed, const Stages& stages,
                         Outputs& out, std::string& no_allocation) {
  const Study& s = p.study;
  if (!s.receptors.empty()) stages.say("receptors at days " + days_list(s.series_times));
  const std::vector<std::vector<float>> series = receptor_series(s, s.series_times, p.how);
  const gis::Crs* crs = p.crs ? &*p.crs : nullptr;
  std::optional<outputs::Writer> writer;
  if (out.ready()) writer.emplace(out.writer(crs));
  const GridResults grids = evaluate_and_write(s, p.how, stages, writer ? &*writer : nullptr, out);
  if (writer) write_series(s, series, p.how, *writer, p.uncertain);
  const std::optional<scenario::Compliance> c = compliance_if_limits(s, p.how);
  if (writer) write_points(s, p.how, crs, *writer, c, p.uncertain);
  if (writer && p.uncertain && p.uncertain->exceedance) write_probability(s, *p.uncertain->exceedance, crs, *writer);
  std::optional<std::vector<std::vector<double>>> in_wells;
  if (lists_well_drawdowns(s)) in_wells = well_drawdowns(s, p.how);
  // By the rule, where it is off the true well function.
  std::vector<std::string> rule;
  if (p.how.well_function == WellFunction::rule) {
    rule = rule_warnings(s, s.series_times, series, grids.well_nodes, p.how.exact);
    if (in_wells)
      for (std::string& w : well_table_warnings_of(p, *in_wells)) rule.push_back(std::move(w));
  }
  for (const std::string& w : rule) out.warn(w);
  std::vector<std::string> warnings = placed;
  warnings.insert(warnings.end(), grids.warnings.begin(), grids.warnings.end());
  warnings.insert(warnings.end(), rule.begin(), rule.end());

  if (stages.terminal()) std::fputc('\n', stdout);
  const std::string depletion = report_depletion(s, writer ? &*writer : nullptr);
  std::string extra = well_table_or_why(s, in_wells) + depletion;
  report_compliance(s, c, writer ? &*writer : nullptr, p.uncertain);
  if (c) extra += "\n" + compliance_text(s, *c);
  if (p.uncertain) extra += uncertainty_text(s, *p.uncertain, c);
  if (!grids.contour_areas.empty()) extra += "\n" + grids.contour_areas;
  std::optional<AllocationReport> a;
  if (c) {
    a = report_allocation(s, p.how, *c, writer ? &*writer : nullptr);
    extra += a->text;
    no_allocation = a->failure;
  }
  if (writer && grids.last)
    writer->write(outputs::Kind::kMemo, [&](const files::Target& t) {
      return write_memo(t, s, MemoFindings{&series, c ? &*c : nullptr, &*grids.last, depletion, warnings, p.how, std::time(nullptr),
                                           p.uncertain ? &*p.uncertain : nullptr, a ? &*a : nullptr});
    });
  const std::vector<std::optional<LargestFound>> found = largest_found(s, c);
  const std::string summary =
      boundaries_text(s) + summary_text(s, s.series_times, series, grids.extremes, warnings, extra, found);
  std::fwrite(summary.data(), 1, summary.size(), stdout);
  if (std::fflush(stdout) != 0) out.tell("cannot write the summary to standard output");
  return c && c->exceeded();
}

// The study's ensemble, when it has one: a slice written to its partial file
// (its status returned), or the answers kept in `p` (-1 returned: the study
// goes on). Throws StudyError for options that do not fit the study.
int run_ensemble(Prepared& p, const EnsembleOptions& ensemble, const Stages& stages) {
  if (const std::string why = ensemble_options_fault(p.study, ensemble); !why.empty()) throw StudyError{why};
  if (!p.study.uncertainty) return -1;
  if (ensemble.slice) {
    if (const std::string why = write_slice(p.study, p.how, ensemble, stages.terminal()); !why.empty()) {
      complain("cannot write the partial file '" + *ensemble.part + "': " + why);
      return base::kExitExtraOutput;
    }
    stages.say("wrote " + *ensemble.part);
    return base::kExitSuccess;
  }
  p.uncertain = ensemble_answers(p.study, p.how, ensemble, stages.terminal());
  return -1;
}
}  // namespace

int run_study(const std::string& file, const engine::Options& engine, const std::optional<std::string>& output_folder,
              const EnsembleOptions& ensemble) {
  Prepared p;
  const Stages stages(isatty(STDOUT_FILENO) == 1);
  try {
    p = prepare(file, engine, output_folder);
    if (const int status = run_ensemble(p, ensemble, stages); status >= 0) return status;
  } catch (const StudyError& e) {
    complain(e.message);
    return base::kExitUsage;
  }
  const Study& s = p.study;
  stages.say(study_line(s, p.how));

  Outputs out(s, stages);
  if (out.open() == base::kExitBusy) return base::kExitBusy;
  // The reader's notes, then what the grid hides and what looks implausible,
  // said before the evaluation.
  std::vector<std::string> placed = s.notes;
  for (std::string& w : scenario::placement_warnings(s)) placed.push_back(std::move(w));
  for (std::string& w : scenario::plausibility_warnings(s)) placed.push_back(std::move(w));
  for (const std::string& w : placed) out.warn(w);
  bool exceeded = false;
  std::string no_allocation;  // why an [allocation] has no plan
  try {
    exceeded = evaluate_and_report(p, placed, stages, out, no_allocation);
  } catch (const std::bad_alloc&) {
    complain("the study ran out of memory (it needs about " +
             std::to_string(static_cast<long long>(memory_needed(s, engine.fast.threads, grids_kept(s)) / (1024 * 1024))) + " MiB)");
    return base::kExitLimit;
  }
  if (!no_allocation.empty()) complain(no_allocation);
  const int status = out.finish();
  if (status == base::kExitSuccess && !no_allocation.empty()) return base::kExitNoAllocation;
  // A script that asked for it learns of an exceeded limit by the status.
  if (status == base::kExitSuccess && exceeded && s.output.exceedance_status) return base::kExitExceeded;
  return status;
}

}  // namespace study
