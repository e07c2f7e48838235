// A whole aquifer-test fit: read and check the test file, fit, show the
// estimates, write the outputs.
#pragma once

#include <string>

#include "fit/aquifer_model.h"

namespace fit {

/// Fits the pumping-test file `file` with the true well function `W` and
/// returns the exit status. A test file that cannot be fitted gets one line
/// on standard error and base::kExitUsage before anything is written.
/// Otherwise the table of estimates (and its warnings, which also go to
/// standard error) goes to standard output, and aquifer.toml, residuals.csv
/// and the pictures to the output folder; an output that cannot be written
/// gets a line on standard error and base::kExitExtraOutput.
int run_fit(const std::string& file, WellFunction W);

}  // namespace fit
