// The run driver: the file-name dialogue (or the names from the command line),
// the three opens, the banner and the grid counts, then the grid evaluation and
// the extra outputs the command line asks for.
#pragma once

#include "driver/options.h"

namespace driver {

/// Runs the program once, as `options` direct it: with INPUT and REPORT given, the two name
/// prompts are not written and the console input is not read; everything else
/// is the run above. Once the report and ARCFILE are complete, the --grid and
/// --plot files are written; when one of them cannot be, a line on standard
/// error says why and the status is base::kExitExtraOutput. Failures end the
/// process through the error report.
int run(const Options& options);

}  // namespace driver
