// The fit: weighted least squares of the readings' drawdowns over the
// logarithms of the fitted aquifer parameters (Ceres Solver), from several
// starting points, with the standard errors, intervals and correlations of
// the estimates from the Jacobian at the optimum, and the warnings a
// hydrogeologist needs before trusting them.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "fit/aquifer_model.h"
#include "fit/autocorrelation.h"
#include "fit/pumping_test.h"

namespace fit {

/// A warning is given when a fitted parameter's standard error exceeds this
/// fraction of its value.
inline constexpr double kPoorlyDetermined = 0.5;

/// The estimates and how well the data determine them.
struct Estimate {
  Parameters value;                                 ///< fitted values, and the fixed ones
  Parameters standard_error;                        ///< of each fitted value (0 for fixed ones; +inf undetermined)
  std::vector<std::array<double, 2>> interval;      ///< 95% interval of each fitted value
  std::vector<std::vector<double>> correlation;     ///< of the fitted ones
  /// The covariance of the fitted parameters' coordinates (their logarithms,
  /// see ParameterInfo::log_scale), by parameter (0 for fixed ones).
  std::vector<std::vector<double>> covariance;
  /// The serial correlation of each observation's residuals; where it is
  /// significant the standard errors, intervals, correlations and covariance
  /// allow for AR(1) errors (autocorrelation.h).
  std::vector<SerialCorrelation> serial;
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

/// Fits the test's readings with the aquifer model `model`.
Estimate fit_test(const PumpingTest& test, const AquiferModel& model);

/// The z score of the runs of equal sign among the residuals of each
/// observation in time order: far below 0 when residuals come in long runs
/// (a trend the model does not follow).
double runs_z(const PumpingTest& test, const std::vector<double>& residuals);

}  // namespace fit
