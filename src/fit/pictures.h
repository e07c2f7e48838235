// The pictures of a fit: the observed and fitted drawdowns against time on
// log-log axes (the type-curve view), and the residuals against time.
#pragma once

#include <string>

#include "fit/aquifer_model.h"
#include "fit/pumping_test.h"
#include "fit/solve.h"
#include "files/output_file.h"

namespace fit {

/// Draws every observation's readings (markers) and its fitted curve (a line
/// sampled densely over the test's times), in the test's units, on
/// logarithmic axes, to `target` (named .png, .svg or .pdf), following the
/// test's dpi and page. "" or why not.
std::string write_type_curves(const files::Target& target, const PumpingTest& test, const Estimate& e,
                              const AquiferModel& model);

/// Draws every observation's residuals (observed - fitted, the test's length
/// unit) against time, with a line at 0, to `target`. "" or why not.
std::string write_residual_plot(const files::Target& target, const PumpingTest& test, const Estimate& e);

}  // namespace fit
