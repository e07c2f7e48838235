// The command line: options, the two optional file names, and the usage text.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "engine/evaluate.h"
#include "gis/crs.h"
#include "outputs/request.h"

namespace driver {

/// What a command line asks for.
struct Options {
  bool help = false;                  ///< --help: print the usage and stop
  bool version = false;               ///< --version: print the version and stop
  bool quiet = false;                 ///< --quiet: no console log (only with INPUT and REPORT)
  std::optional<std::string> check;   ///< --check INPUT: read INPUT, write nothing, list the answers
  std::optional<std::string> arcfile; ///< --arcfile FILE: the raster's file instead of ARCFILE
  std::optional<std::string> input;   ///< INPUT, answering the input-file question
  std::optional<std::string> report;  ///< REPORT, answering the report-file question
  outputs::Request outputs{.times = {0.0}};  ///< --grid, --contours, --plot and their settings: one time, names as given
  std::optional<gis::Crs> crs;       ///< --crs CRS: the CRS of the GIS outputs (checked with GDAL)
  std::optional<std::string> study;   ///< --study FILE: run the study file instead
  std::optional<std::string> output_folder;  ///< --output-folder DIR: the study's outputs go there
  std::optional<std::string> fit;     ///< --fit FILE: fit the pumping-test file instead
  engine::Options evaluation;         ///< how the grid is evaluated (from the environment)
  std::optional<std::pair<std::size_t, std::size_t>> realizations;  ///< --realizations FROM:TO: a slice of a study's ensemble
  std::optional<std::string> part;    ///< --part PART: the slice's partial file
  std::vector<std::string> merge;     ///< --merge PART...: a study's ensemble from its slices
};

/// A command line that cannot be followed; `message` is one line without the
/// program's name.
struct UsageError {
  std::string message;
};

/// Reads the arguments after the program's name. Options and positional names
/// may come in any order; "--" ends the options; an option with a value (--grid,
/// --plot, --contours, --crs, --levels, --range, --page, --dpi, --arcfile,
/// --check, --study, --output-folder) takes it as the next argument or after "="; --range needs --plot,
/// --page a .pdf plot and --dpi a .png plot. Every value is checked here (file
/// endings, the CRS with GDAL; the levels and the picture's settings by
/// outputs::check), so that a refused line opens and writes nothing.
std::variant<Options, UsageError> parse_command_line(std::span<const std::string_view> arguments);

/// The evaluation the environment asks for. LEAKY_EVALUATION: "fast" (the
/// default) or "reference". LEAKY_THREADS: the worker threads, a whole number
/// of decimal digits, 1 or more, taken as engine::kMaxThreads above it; the
/// processor's hardware threads by default. Unset and empty are the default;
/// any other value is refused, with the message naming the variable and value.
std::variant<engine::Options, UsageError> evaluation_options(const char* LEAKY_EVALUATION,
                                                             const char* LEAKY_THREADS);

/// evaluation_options of this process's environment.
std::variant<engine::Options, UsageError> evaluation_options_from_environment();

/// The text printed by --help.
std::string usage_text();

}  // namespace driver
