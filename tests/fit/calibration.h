// The calibration of the fit's 95% intervals on pumping tests with serially
// correlated errors: synthetic leaky tests whose drawdowns carry AR(1) noise,
// fitted, and the count of intervals that hold the truth.
#pragma once

#include <array>
#include <cstdint>

namespace fit_testing {

/// How often the 95% intervals of T, S and leakance held the truth.
struct Coverage {
  int tests = 0;
  std::array<int, 3> inside = {0, 0, 0};  ///< per parameter
  int undetermined = 0;                   ///< fits not determined (left out of `inside`)
  double mean_phi = 0.0;                  ///< the mean AR(1) correlation allowed for
  int held() const { return inside[0] + inside[1] + inside[2]; }
};

/// Fits `tests` synthetic leaky tests (T 30000 gpd/ft, S 2e-4, leakance
/// 5e-4 gpd/ft^3; piezometers at 60, 200 and 500 ft, `readings` each from
/// 0.01 to 2 days, evenly spaced or log-spaced) with noise of 0.03 ft whose
/// correlation between two readings dt apart is `phi`^(dt / d), d the median
/// spacing (by reading for even spacing: AR(1) with `phi`), seeds from
/// `first_seed`; the intervals allow for serial correlation or not
/// (`serial_errors`). The well function is the engine's.
Coverage coverage(int tests, std::uint32_t first_seed, double phi, bool log_spaced, bool serial_errors,
                  int readings = 40);

}  // namespace fit_testing
