// Pumping tests made with known aquifer parameters, for the fit's tests.
#pragma once

#include <cstdint>

#include "fit/leaky_model.h"
#include "fit/models.h"
#include "fit/pumping_test.h"

namespace fit_testing {

/// A test of one well pumping `rate` gpd from day 0 (and stopping at
/// `stop_day` when above 0) with piezometers at `distances` feet east of it,
/// each read at `count` times log-spaced from `first_day` to `last_day`; the
/// drawdowns are those of the aquifer `truth` by `W`, plus normal noise of
/// `noise` feet from a generator seeded with `seed` (none when 0).
fit::PumpingTest synthetic_test(const fit::Parameters& truth, std::initializer_list<double> distances, double rate,
                                double first_day, double last_day, int count, double stop_day, double noise,
                                std::uint32_t seed, fit::WellFunction W);

}  // namespace fit_testing
