// Parameter sets drawn from a fit's uncertainty, for a study that carries the
// pumping test's uncertainty into its answer: a multivariate normal of the
// fitted parameters' coordinates (their logarithms) with the fit's
// covariance (which allows for serially correlated residuals where they are,
// autocorrelation.h), the held parameters at their values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "fit/aquifer_model.h"
#include "fit/pumping_test.h"
#include "fit/solve.h"

namespace fit {

/// The parameter sets drawn when the test does not say.
inline constexpr std::size_t kDefaultSamples = 1000;
/// The most it may ask for.
inline constexpr std::size_t kMostSamples = 1000000;
/// The generator's seed: fixed, so that a fit draws the same sets each time.
inline constexpr std::uint64_t kSampleSeed = 20261208;

/// The samples CSV: a header of the model's parameter names
/// ("transmissivity,storage,leakance") and `count` rows, each parameter in
/// the units of aquifer.toml's [aquifer] table (gpd/ft, -, gpd/ft^3; m2/d,
/// -, 1/d for a metric test), drawn with a 64-bit Mersenne twister seeded
/// with `seed` and normal deviates by Box and Muller's method (the same bytes
/// on every platform). A fit that is not determined gets the header alone.
std::string samples_csv(const PumpingTest& test, const AquiferModel& model, const Estimate& e, std::size_t count,
                        std::uint64_t seed);

}  // namespace fit
