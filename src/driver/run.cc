#include "driver/run.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/exit_status.h"
#include "base/message.h"
#include "grid/comp.h"
#include "grid/rule_accuracy.h"
#include "files/output_folder.h"
#include "files/temporaries.h"
#include "outputs/writer.h"
#include "pictures/plot.h"
#include "recio/edit_descriptors.h"
#include "recio/error_report.h"
#include "recio/free_form.h"
#include "recio/record_writer.h"
#include "recio/units.h"

namespace driver {
namespace {

using recio::operator""_fmt;
using recio::kConsoleIn;
using recio::kConsoleOut;
using recio::write_free;

constexpr auto kInputNamePrompt = R"fmt("Enter filename of the input file" / $)fmt"_fmt;
constexpr auto kOutputNamePrompt = R"fmt("Enter output file name:" / $)fmt"_fmt;

constexpr std::string_view kBanner[] = {
    "NUMBER OF NODES IN  X  DIRECTION",
    "IS FIXED AT  300. NUMBER OF NODES",
    "IN  Y  DIRECTION IS VARIABLE",
    "FROM  1  TO  300 .",
    "    ",
    "    ",
    "ORIGIN OF GRID SYSTEM IS LOCATED",
    "AT THE LOWER LEFT HAND CORNER.",
    "    ",
    "    ",
};

// What an extra output's file is called in a message.
std::string_view what_output(outputs::Kind kind) {
  switch (kind) {
    case outputs::Kind::kGrid: return "grid file";
    case outputs::Kind::kContours: return "contour file";
    default: return "plot file";
  }
}

// True when `path` names an existing file that is also `other`.
bool same_file(const std::string& path, const std::string& other) {
  std::error_code ec;
  return !other.empty() && std::filesystem::equivalent(path, other, ec) && !ec;
}

// Writes the --grid, --contours and --plot files of a finished evaluation, in
// this order, each unless it would replace the run's own files or one written
// before it; the exit status.
int write_extra_outputs(const Options& options, const engine::EvaluatedGrid& e) {
  const outputs::Request& request = options.outputs;
  if (outputs::plan(request).empty()) return base::kExitSuccess;
  // A stop by SIGINT or SIGTERM from here on leaves no hidden file behind.
  files::remove_temporaries_on_signals();
  outputs::Place place;
  place.taken = {{recio::unit_file_name(recio::kInputUnit), "the input file"},
                 {recio::unit_file_name(recio::kReportUnit), "the report file"},
                 {recio::unit_file_name(recio::kRasterUnit), "ARCFILE"}};
  place.same = same_file;
  place.what = [](outputs::Kind kind) { return "the " + std::string(what_output(kind)); };
  place.crs = options.crs ? &*options.crs : nullptr;
  pictures::PlotOptions labels;
  labels.input_name = std::filesystem::path(recio::unit_file_name(recio::kInputUnit)).filename().string();
  int status = base::kExitSuccess;
  outputs::Writer writer(request, std::move(place), std::move(labels),
                         [&](const outputs::PlannedFile& f, const std::string& why) {
                           if (why.empty()) return;
                           base::complain("cannot write the " + std::string(what_output(f.kind)) + " '" +
                                          recio::printable_name(f.name) + "': " + why);
                           status = base::kExitExtraOutput;
                         });
  writer.add(e);
  writer.finish(outputs::picture_settings(request).levels);
  return status;
}

// An input file named on the command line that does not exist is refused
// before anything is opened (the console dialogue creates it, empty, instead).
void refuse_missing_input(const std::string& name) {
  std::error_code ec;
  if (std::filesystem::status(name, ec).type() == std::filesystem::file_type::not_found)
    recio::end_run_after(std::string(base::kMessagePrefix) + "cannot read the input file '" + recio::printable_name(name) +
                             "': no such file\n",
                         recio::kFileNotFound);
}

// --check: the input read as a run reads it, through the same answers, and
// nothing written but the listing on standard output.
int check_input(const std::string& name) {
  refuse_missing_input(name);
  recio::open_unit(recio::kInputUnit, name, true);
  std::fputs(" line  answer    as written        value taken\n", stdout);
  grid::Dialogue dialogue(false, true);
  grid::Input in;
  grid::read_input(dialogue, in);

  const std::vector<engine::Well> wells = grid::wells_evaluated(in.table);
  if (const std::string w = grid::rule_accuracy_warning(in, wells); !w.empty()) dialogue.warn(w);
  std::printf("\nthe run evaluates %zu well%s:\n", wells.size(), wells.size() == 1 ? "" : "s");
  std::printf(" well  %14s  %14s  %14s\n", "x", "y", "rate");
  for (std::size_t k = 0; k < wells.size(); ++k)
    std::printf("%5zu  %14s  %14s  %14s\n", k + 1, grid::shown(wells[k].x).c_str(), grid::shown(wells[k].y).c_str(),
                grid::shown(wells[k].q).c_str());
  const std::vector<std::string>& warnings = dialogue.warnings();
  if (warnings.empty()) std::printf("\nno warnings\n");
  else std::printf("\n%zu warning%s:\n", warnings.size(), warnings.size() == 1 ? "" : "s");
  for (const std::string& w : warnings) std::printf("warning: %s\n", w.c_str());
  if (std::fflush(stdout) != 0) recio::fatal_io_error(recio::kWriteError, kConsoleOut);
  return warnings.empty() ? base::kExitSuccess : base::kExitWarnings;
}

}  // namespace

int run(const Options& options) {
  if (options.check) return check_input(*options.check);
  // The folders of the extra outputs are shared with other runs, not with a
  // study writing there: then nothing is opened or written.
  files::SharedFolderLocks folders;
  std::vector<std::string> extra;
  for (const outputs::PlannedFile& file : outputs::plan(options.outputs))
    if (!file.beside) extra.push_back(file.name);
  if (const std::string busy = folders.take(extra); !busy.empty()) {
    base::complain("a study is writing into the folder '" + recio::printable_name(busy) + "'; nothing was written");
    return base::kExitBusy;
  }
  if (options.input && options.report) {
    // The names from the command line, whole: no prompt, no console read.
    refuse_missing_input(*options.input);
    recio::open_unit(recio::kInputUnit, *options.input);
    recio::open_unit(recio::kReportUnit, *options.report);
  } else {
    recio::NameField INFILE{};
    recio::NameField OUTFILE{};
    recio::write_formatted(kConsoleOut, kInputNamePrompt);
    recio::read_free(kConsoleIn, INFILE);
    recio::write_formatted(kConsoleOut, kOutputNamePrompt);
    recio::read_free(kConsoleIn, OUTFILE);
    recio::open_unit(recio::kInputUnit, std::string_view(INFILE.data(), INFILE.size()));
    recio::open_unit(recio::kReportUnit, std::string_view(OUTFILE.data(), OUTFILE.size()));
  }
  recio::open_unit(recio::kRasterUnit, options.arcfile.value_or("ARCFILE"));

  // The console log (the banner, then each question before its answer is read
  // from the input file), unless --quiet.
  grid::Dialogue dialogue(!options.quiet, false);
  if (!options.quiet)
    for (std::string_view line : kBanner) write_free(kConsoleOut, line);
  grid::Input in;
  grid::read_grid_counts(dialogue, in);

  const grid::FinishedRun finished = grid::run_comp(dialogue, std::move(in), options.evaluation);
  return write_extra_outputs(options, finished.view());
}

}  // namespace driver
