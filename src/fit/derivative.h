// The derivative picture of a fit: per observation, the observed drawdown's
// derivative with respect to the logarithm of time, ds/d ln t, and the fitted
// model's by the same differencing, on log-log axes. On it a confined
// aquifer's late data flatten at Q/(4 pi T) (the Theis/Jacob straight line),
// leakage bends the derivative down, a barrier lifts it.
#pragma once

#include <string>
#include <vector>

#include "fit/aquifer_model.h"
#include "fit/pumping_test.h"
#include "fit/solve.h"
#include "files/output_file.h"

namespace fit {

/// Bourdet's smoothing window, in log10 cycles of time.
inline constexpr double kBourdetWindow = 0.2;

/// A derivative at a time.
struct DerivativePoint {
  double time = 0.0;   ///< the reading's time
  double value = 0.0;  ///< ds/d ln t there, in the drawdowns' unit
};

/// Bourdet's derivative of `values` at `times` (> 0, increasing) with respect
/// to ln t: at reading i, the slopes to the nearest readings at least
/// `window` log10 cycles before and after it (the first or last reading when
/// none is that far), weighted each by the other's span in ln t. The first
/// and last readings (with nothing on one side) have none, nor do readings
/// at times that are not above 0 or increasing.
std::vector<DerivativePoint> bourdet_derivative(const std::vector<double>& times, const std::vector<double>& values,
                                                double window = kBourdetWindow);

/// One observation's derivatives, in the test's units (its time unit, its
/// length unit per ln t).
struct DerivativeSeries {
  std::string name;
  std::vector<DerivativePoint> observed;  ///< from the readings
  std::vector<DerivativePoint> fitted;    ///< from the fitted model's drawdown at the readings' times
};

/// The derivative series of every observation of `test` fitted by `e`.
std::vector<DerivativeSeries> derivative_series(const PumpingTest& test, const AquiferModel& model,
                                                const Estimate& e);

/// Whether the test has any observation with a derivative (three readings or
/// more); the picture is refused otherwise.
bool has_derivative(const PumpingTest& test);

/// Draws the derivatives (observed as markers, fitted as a line, one colour
/// per observation) on logarithmic axes to `target`; derivatives that are not
/// above 0 cannot be shown there and are left out. "" or why not.
std::string write_derivative(const files::Target& target, const PumpingTest& test, const AquiferModel& model,
                             const Estimate& e);

}  // namespace fit
