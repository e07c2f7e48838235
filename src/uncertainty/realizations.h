// The aquifers of an ensemble: what [uncertainty] states (a table of
// parameter sets, or a 95 % range per parameter with correlations), and the
// aquifer of each realization, which depends only on the seed and its index.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scenario/scenario.h"

namespace uncertainty {

/// The seed of an ensemble whose study gives none.
inline constexpr std::uint64_t kDefaultSeed = 20240531;
/// The realizations of an ensemble whose study gives no number.
inline constexpr std::size_t kDefaultRealizations = 1000;
/// The most realizations an ensemble may have.
inline constexpr std::size_t kMostRealizations = 10'000'000;

/// A 95 % range of a log-normal parameter, low < high, both above 0: its
/// logarithm is normal with mean (ln low + ln high) / 2 and standard
/// deviation (ln high - ln low) / (2 * 1.959964).
struct Range {
  double low = 0.0, high = 0.0;
};

/// The parameters, in the order of Draws::ranges and Draws::correlation.
enum Parameter : std::size_t { kTransmissivity = 0, kStorage = 1, kLeakance = 2 };

/// What an ensemble draws from, in the engine's units (scenario/units.h).
struct Draws {
  /// Parameter sets, each realization taking one at random with replacement;
  /// when empty, the ranges.
  std::vector<scenario::Aquifer> samples;
  std::string samples_file;  ///< where the samples were read, as the study names it
  /// A range per parameter; a parameter without one keeps the study's value.
  std::array<std::optional<Range>, 3> ranges;
  /// The correlations of the parameters' logarithms (symmetric, 1 on the
  /// diagonal, positive definite; only between parameters with ranges).
  std::array<std::array<double, 3>, 3> correlation{{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};
  std::size_t realizations = kDefaultRealizations;
  std::uint64_t seed = kDefaultSeed;
  double reliability = 0.95;  ///< the share of realizations a reliable rate factor keeps every limit in, in (0, 1)
};

/// The lower triangular L with L L^T = `c`, or nothing when `c` is not
/// positive definite.
std::optional<std::array<std::array<double, 3>, 3>> cholesky(const std::array<std::array<double, 3>, 3>& c);

/// Draws the aquifers of realizations of one settings, each from its own stream.
class Realizations {
 public:
  /// `base`: the study's aquifer, whose values a parameter without a range
  /// keeps. The settings' correlation must be positive definite.
  Realizations(const Draws& settings, const scenario::Aquifer& base);

  /// The aquifer of realization `index`.
  scenario::Aquifer at(std::size_t index) const;

 private:
  const Draws& settings_;
  scenario::Aquifer base_;
  std::array<std::array<double, 3>, 3> lower_{};
};

}  // namespace uncertainty
