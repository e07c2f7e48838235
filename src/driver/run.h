// The run driver: the file-name dialogue, the three opens, the banner and the
// grid counts, then the grid evaluation.
#pragma once

namespace driver {

/// Runs the program once from the file-name prompts to the end of the grid
/// evaluation; returns the exit status of a complete run (0). Failures end the
/// process through the error report.
int run();

}  // namespace driver
