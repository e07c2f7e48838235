// The fit: weighted least squares of the readings' drawdowns over the
// logarithms of the fitted aquifer parameters (Ceres Solver), from several
// starting points, with the standard errors, intervals and correlations of
// the estimates from the Jacobian at the optimum, and the warnings a
// hydrogeologist needs before trusting them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "fit/leaky_model.h"
#include "fit/pumping_test.h"

namespace fit {

/// The smallest and largest value each parameter may take in the fit
/// (T gpd/ft, S, leakance gpd/ft^3).
inline constexpr std::array<std::array<double, 2>, kParameterCount> kBounds = {
    {{1e-3, 1e10}, {1e-12, 1.0}, {1e-16, 1e3}}};

/// A warning is given when a fitted parameter's standard error exceeds this
/// fraction of its value.
inline constexpr double kPoorlyDetermined = 0.5;

/// The estimates and how well the data determine them.
struct Estimate {
  Parameters value = {0.0, 0.0, 0.0};           ///< fitted values, and the fixed ones
  Parameters standard_error = {0.0, 0.0, 0.0};  ///< of each fitted value (0 for fixed ones; +inf undetermined)
  std::array<std::array<double, 2>, kParameterCount> interval = {};  ///< 95% interval of each fitted value
  std::array<std::array<double, kParameterCount>, kParameterCount> correlation = {};  ///< of the fitted ones
  double rmse = 0.0;              ///< root mean square of observed - fitted, feet
  std::size_t readings = 0;       ///< the number of readings fitted
  std::size_t starts = 0;         ///< the starting points solved from (the best of those tried)
  std::vector<double> fitted;     ///< the fitted drawdown of each reading, observation by observation, feet
  std::vector<std::string> warnings;
  /// false when the readings leave the estimate undetermined: a fitted value
  /// at a bound, not finite or out of bounds, a standard error not finite, a
  /// correlation that is not a number, an RMSE not finite (each one of the
  /// warnings).
  bool determined = true;
};

/// The starting values the fit tries: the type-curve estimate (the straight
/// line of the steepest readings on a log time axis, as in Cooper and Jacob's
/// method) and points around it, and the values the test gives.
std::vector<Parameters> starting_points(const PumpingTest& test);

/// Fits the test's readings with the well function `W`.
Estimate fit_test(const PumpingTest& test, WellFunction W);

/// The z score of the runs of equal sign among the residuals of each
/// observation in time order: far below 0 when residuals come in long runs
/// (a trend the model does not follow).
double runs_z(const PumpingTest& test, const std::vector<double>& residuals);

}  // namespace fit
