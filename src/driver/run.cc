#include "driver/run.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

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
using recio::kInputUnit;
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
      complain("cannot write the grid file '" + recio::printable_name(*options.grid) + "': " + why);
      status = base::kExitExtraOutput;
    }
  }
  if (options.plot) {
    std::string why = clash(*options.plot, grid_written);
    maps::PlotOptions plot = options.plot_options;
    plot.input_name = std::filesystem::path(recio::unit_file_name(recio::kInputUnit)).filename().string();
    if (why.empty()) why = maps::write_plot(*options.plot, options.plot_format, e, plot);
    if (!why.empty()) {
      complain("cannot write the plot file '" + recio::printable_name(*options.plot) + "': " + why);
      status = base::kExitExtraOutput;
    }
  }
  return status;
}

}  // namespace

int run(const Options& options) {
  std::int32_t NX = 0;
  std::int32_t NY = 0;

  if (options.input && options.report) {
    // The names from the command line, whole: no prompt, no console read.
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
  recio::open_unit(recio::kRasterUnit, "ARCFILE");

  for (std::string_view line : kBanner) write_free(kConsoleOut, line);
  write_free(kConsoleOut, "HOW MANY NODES ARE REQUIRED IN THE  X  DIRECTION");
  write_free(kConsoleOut, "enter value from 1 to 300");
  recio::read_free(kInputUnit, NX);
  grid::check_node_count("NX", NX);
  write_free(kConsoleOut, "HOW MANY NODES ARE REQUIRED IN THE  Y  DIRECTION");
  write_free(kConsoleOut, "enter value from 1 to 300");
  recio::read_free(kInputUnit, NY);
  grid::check_node_count("NY", NY);

  const grid::FinishedRun finished = grid::run_comp(NY, NX, options.evaluation);
  return write_extra_outputs(options, finished.view());
}

}  // namespace driver
