// The aquifer-test fit as the program runs it: through the fit module.
#pragma once

#include <string>

namespace driver {

/// Fits the pumping-test file `file` in the fit module and returns the exit
/// status; when the module cannot be loaded, one line on standard error and
/// base::kExitModule, with nothing read or written.
int run_fit(const std::string& file);

}  // namespace driver
