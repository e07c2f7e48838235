// The command line: options, the two optional file names, and the usage text.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "grid/plot.h"

namespace driver {

/// What a command line asks for.
struct Options {
  bool help = false;                  ///< --help: print the usage and stop
  bool version = false;               ///< --version: print the version and stop
  std::optional<std::string> input;   ///< INPUT, answering the input-file question
  std::optional<std::string> report;  ///< REPORT, answering the report-file question
  std::optional<std::string> grid;    ///< --grid FILE: the ESRI ASCII grid to write
  std::optional<std::string> plot;    ///< --plot FILE: the picture to write
  grid::PlotFormat plot_format = grid::PlotFormat::kPng;  ///< format of `plot`, from its ending
};

/// A command line that cannot be followed; `message` is one line without the
/// program's name.
struct UsageError {
  std::string message;
};

/// Exit status of a refused command line.
inline constexpr int kUsageExitStatus = 2;
/// Exit status of a run whose report and ARCFILE are complete but whose --grid
/// or --plot file could not be written.
inline constexpr int kExtraOutputExitStatus = 3;

/// The version line printed by --version.
inline constexpr std::string_view kVersionLine = "leaky-drawdown 1.0.0";

/// Reads the arguments after the program's name. Options and positional names
/// may come in any order; "--" ends the options; --grid and --plot take their
/// file as the next argument or after "=".
std::variant<Options, UsageError> parse_command_line(std::span<const std::string_view> arguments);

/// The text printed by --help.
std::string usage_text();

}  // namespace driver
