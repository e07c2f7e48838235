#include "driver/run.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "base/exit_status.h"
#include "grid/comp.h"
#include "maps/esri_grid.h"
#include "maps/plot.h"
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

void complain(const std::string& line) {
  std::fflush(stdout);
  std::fprintf(stderr, "%.*s%s\n", static_cast<int>(base::kMessagePrefix.size()), base::kMessagePrefix.data(),
               line.c_str());
  std::fflush(stderr);
}

// True when `path` names an existing file that is also `other`.
bool same_file(const std::string& path, const std::string& other) {
  std::error_code ec;
  return !other.empty() && std::filesystem::equivalent(path, other, ec) && !ec;
}

// Why an extra output must not be written to `path` ("" when it may): it would
// replace one of the run's own files or an extra output written before it.
std::string clash(const std::string& path, const std::string& written_before) {
  if (same_file(path, recio::unit_file_name(recio::kInputUnit))) return "it is the input file";
  if (same_file(path, recio::unit_file_name(recio::kReportUnit))) return "it is the report file";
  if (same_file(path, recio::unit_file_name(recio::kRasterUnit))) return "it is ARCFILE";
  if (same_file(path, written_before)) return "it is the grid file";
  return "";
}

// Writes the --grid and --plot files of a finished evaluation; the exit status.
int write_extra_outputs(const Options& options, const engine::EvaluatedGrid& e) {
  int status = 0;
  std::string grid_written;
  if (options.grid) {
    std::string why = clash(*options.grid, "");
    if (why.empty()) why = maps::write_esri_grid(*options.grid, e);
    if (why.empty()) {
      grid_written = *options.grid;
    } else {
      complain("cannot write the grid file '" + *options.grid + "': " + why);
      status = base::kExitExtraOutput;
    }
  }
  if (options.plot) {
    std::string why = clash(*options.plot, grid_written);
    if (why.empty()) why = maps::write_plot(*options.plot, options.plot_format, e);
    if (!why.empty()) {
      complain("cannot write the plot file '" + *options.plot + "': " + why);
      status = base::kExitExtraOutput;
    }
  }
  return status;
}

// An input file named on the command line that does not exist is refused
// before anything is opened (the console dialogue creates it, empty, instead).
void refuse_missing_input(const std::string& name) {
  std::error_code ec;
  if (std::filesystem::status(name, ec).type() == std::filesystem::file_type::not_found)
    recio::end_run_after(std::string(base::kMessagePrefix) + "cannot read the input file '" + name +
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
