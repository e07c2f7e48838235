#include "driver/fit_module.h"

#include "base/exit_status.h"
#include "base/message.h"
#include "base/module.h"
#include "engine/true_well_function.h"
#include "fit/fit_module.h"

#ifndef LEAKY_FIT_MODULE_FILE
#error "LEAKY_FIT_MODULE_FILE (the module's file name) must be defined"
#endif

namespace driver {

int run_fit(const std::string& file) {
  std::string why;
  const fit::FitFunctions* f =
      base::load_module<fit::FitFunctions>(LEAKY_FIT_MODULE_FILE, LEAKY_FIT_MODULE_DIR, fit::kFitEntry, why);
  if (f == nullptr) {
    base::complain("the aquifer-test fit cannot be loaded: " + why);
    return base::kExitModule;
  }
  return f->run_fit(file, engine::true_well_function);
}

}  // namespace driver
