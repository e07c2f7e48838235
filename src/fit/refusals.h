// What makes a pumping test unfit for fitting before any fit is tried: a model
// that is 0 at every reading, and readings whose sign says they are no
// drawdowns. Each refusal is one line naming the test file.
#pragma once

#include <string>

#include "fit/pumping_test.h"

namespace fit {

/// Why `test` cannot be fitted at all, one line starting with the test file
/// ("test.toml: ..."), or "" when it can:
/// - no reading follows a rate change (every rate 0, or pumping that starts
///   after every reading): the modelled drawdown is 0 at every reading,
///   whatever the aquifer;
/// - the wells only pump (no rate below 0) and every reading is 0 or below, or
///   they only inject and every reading is 0 or above: the readings are
///   levels, depths or rises, not drawdowns positive downward.
std::string refusal(const PumpingTest& test);

}  // namespace fit
