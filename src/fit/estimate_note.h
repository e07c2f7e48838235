// The fitted values as the type-curve picture shows them in its box.
#pragma once

#include <string>
#include <vector>

#include "fit/aquifer_model.h"
#include "fit/pumping_test.h"
#include "fit/solve.h"

namespace fit {

/// One line per parameter of the model, in the test's units (a parameter's
/// second form when it has one, as the report gives it: T in ft2/d or m2/d
/// per the test's time unit, the leakance in 1/time): a fitted one
/// "name = value unit (95%: low to high)", a held one "name = value unit
/// (held)"; a held parameter that is 0 where it may be left out (a confined
/// aquifer's leakance) is not shown. Three significant digits.
std::vector<std::string> estimate_note(const PumpingTest& test, const AquiferModel& model, const Estimate& e);

}  // namespace fit
