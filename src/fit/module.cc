// The fit module's one exported function: the table of its functions.
#include "fit/fit_module.h"
#include "fit/run_fit.h"

namespace {

const fit::FitFunctions kFunctions = {sizeof(fit::FitFunctions), fit::run_fit};

}  // namespace

extern "C" __attribute__((visibility("default"))) const fit::FitFunctions* leaky_drawdown_fit_functions() {
  return &kFunctions;
}
