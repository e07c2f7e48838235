// The serial correlation of a fit's residuals: per observation well, the
// lag-1 autocorrelation of its residuals in the order of elapsed time, a test
// of its significance, and the AR(1) error model the standard errors then
// allow for.
//
// Readings minutes apart share the well's own storage, barometric and pump
// effects, so their errors are not independent, and least-squares standard
// errors that assume they are come out too small. Where an observation's
// lag-1 autocorrelation r1 is significant (|r1| > 2 / sqrt(n), the 95% limit
// of r1 for independent errors, Box and Jenkins), its errors are taken as a
// continuous-time AR(1) process: the correlation of two readings dt apart is
// phi^(dt / d), d the median spacing of that observation's readings (so phi
// is the lag-1 correlation at the usual spacing, also where readings are
// spaced unevenly, as a pumping test's are), phi estimated by maximum
// likelihood from the residuals and corrected for its bias by Kendall's
// (1 + 3 phi) / n. The estimates stay the least-squares ones;
// their covariance becomes the sandwich sigma^2 A^-1 J^T R J A^-1 (A = J^T J,
// R the AR(1) correlation of the readings, one block per observation), and
// the intervals take Student's t with n - k degrees of freedom, as before.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "fit/pumping_test.h"

namespace fit {

/// The serial correlation of one observation's residuals.
struct SerialCorrelation {
  std::size_t readings = 0;
  double r1 = 0.0;           ///< lag-1 autocorrelation of its residuals in time order
  double limit = 0.0;        ///< 2 / sqrt(n): r1 is significant beyond it
  bool significant = false;  ///< |r1| > limit (at least kFewestReadings readings)
  double phi = 0.0;          ///< the AR(1) correlation per `spacing` allowed for (0: none), bias-corrected
  double spacing = 0.0;      ///< the median spacing of its readings, days
};

/// The fewest readings of an observation whose autocorrelation is tested.
inline constexpr std::size_t kFewestReadings = 8;
/// The largest AR(1) correlation per spacing estimated.
inline constexpr double kLargestPhi = 0.995;

/// The lag-1 autocorrelation sum r_i r_{i-1} / sum r_i^2 of `r` (0 for fewer
/// than 2 values or all 0).
double lag1_autocorrelation(std::span<const double> r);

/// The maximum-likelihood AR(1) correlation phi in [0, kLargestPhi] per
/// `spacing` days of the residuals `r` read at `days` (increasing), errors
/// correlated as phi^(dt / spacing).
double ar1_phi(std::span<const double> days, std::span<const double> r, double spacing);

/// The serial correlation of each observation's residuals (`residuals`: one
/// per reading, observation by observation).
std::vector<SerialCorrelation> serial_correlations(const PumpingTest& test, const std::vector<double>& residuals);

/// Whether an AR(1) model is allowed for in some observation.
bool any_ar1(const std::vector<SerialCorrelation>& serial);

/// J^T R J, k x k row-major, for the readings' Jacobian `J` (n x k,
/// row-major, observation by observation) and R the AR(1) correlation of
/// `serial` (one block per observation, the identity where phi is 0).
std::vector<double> correlated_information(const PumpingTest& test, const std::vector<SerialCorrelation>& serial,
                                           const std::vector<double>& J, std::size_t k);

/// The effective count of readings, n (1 - phi) / (1 + phi) per
/// observation: as many independent readings would tell as much (reported).
double effective_readings(const std::vector<SerialCorrelation>& serial);

}  // namespace fit
