// Names the whole program shares: its name, the prefix of its own messages,
// its version line, and every exit status it ends with.
#pragma once

#include <string_view>

namespace base {

/// The program's name, as its messages and usage name it.
inline constexpr std::string_view kProgramName = "leaky-drawdown";
/// The start of every message line of the program's own (not the I/O reports).
inline constexpr std::string_view kMessagePrefix = "leaky-drawdown: ";
/// The version line printed by --version.
inline constexpr std::string_view kVersionLine = "leaky-drawdown 1.0.0";

/// Exit statuses. A severe I/O report ends the run with its message number as
/// the status (9, 10, 24, 29, ...: the catalogue of the error report); the
/// program's own statuses are these.
enum ExitStatus : int {
  kExitSuccess = 0,      ///< a complete run
  kExitLimit = 1,        ///< a count exceeds the program's fixed extents (nodes, well slots)
  kExitUsage = 2,        ///< a command line that cannot be followed
  kExitExtraOutput = 3,  ///< report and ARCFILE complete, an extra output not written
  kExitWarnings = 4,     ///< --check read the input and warned of likely mistakes
  kExitBusy = 5,         ///< another run is writing the report or ARCFILE: nothing written
  kExitExceeded = 6,     ///< a study asked for it, and a receptor's drawdown exceeds its limit
  kExitUndetermined = 7, ///< an aquifer-test fit whose readings do not determine the parameters: outputs marked so
  kExitModule = 8,       ///< a module of the program beside it (the fit) cannot be loaded: nothing done
  kExitNoAllocation = 11, ///< a study's [allocation] has no plan (a minimum breaks a limit, or no limit restrains a well): every other output written
};

}  // namespace base
