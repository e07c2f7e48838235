// What a fit reports: the table of estimates on the console, the fitted
// [aquifer] table ready for a study (aquifer.toml) and the residuals CSV.
#pragma once

#include <string>
#include <vector>

#include "fit/pumping_test.h"
#include "fit/solve.h"

namespace fit {

/// The console's table: each parameter's estimate, standard error and 95%
/// interval in the program's units, the same in the test's units (and SI for
/// a metric test: T in m^2/d, the leakance as the confining bed's resistance
/// in days), the correlations, the RMSE and the count of readings; then a
/// line "warning: ..." per warning. LF line ends.
std::string estimates_text(const PumpingTest& test, const AquiferModel& model, const Estimate& e);

/// aquifer.toml: the [aquifer] table of the estimates, each with its standard
/// error as a comment, and a [fit] table with rmse, standard_error and
/// observations. For a metric test (lengths in metres) the values are in
/// m2/d and 1/d, stated by a study's units line before the table, and the
/// rmse in metres; else in the program's units (gpd/ft, gpd/ft^3, feet).
std::string aquifer_toml(const PumpingTest& test, const AquiferModel& model, const Estimate& e);

/// The factors from the program's units to those of aquifer.toml's
/// [aquifer] table, per parameter of the model.
std::vector<double> aquifer_factors(const PumpingTest& test, const AquiferModel& model);

/// residuals.csv: observation,time,observed,fitted,residual, one row per
/// reading, in the test's units (time, length). LF line ends.
std::string residuals_csv(const PumpingTest& test, const Estimate& e);

}  // namespace fit
