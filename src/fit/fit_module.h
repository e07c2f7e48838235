// The aquifer-test fit is not linked into the program: it is the fit module
// (leaky-drawdown-fit.so), loaded only for --fit, so that the input-file run
// and studies never map the least-squares solver and the libraries it pulls
// in (BLAS, LAPACK, the solver's logging and flags). See base/module.h.
#pragma once

#include <cstddef>
#include <string>

#include "fit/aquifer_model.h"

namespace fit {

/// What the fit module does.
struct FitFunctions {
  /// sizeof(FitFunctions) as the module was built: a module of another build
  /// with a different table is not used.
  std::size_t size;
  /// run_fit of the test file with the well function `W`, the program's
  /// own (the module links no engine): the exit status.
  int (*run_fit)(const std::string& file, WellFunction W);
};

/// The name of the module's one exported function, which returns its table.
inline constexpr const char* kFitEntry = "leaky_drawdown_fit_functions";

}  // namespace fit
