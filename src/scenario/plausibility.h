// Figures in a study that are legal but unlikely to be meant: warned of, the
// study runs on.
#pragma once

#include <string>
#include <vector>

#include "scenario/scenario.h"

namespace scenario {

/// Below this many gallons per day, every rate of a study looks like one in
/// gallons per minute.
inline constexpr double kLeastLikelyRate = 1000.0;

/// The warnings of unlikely figures: every rate of every step below
/// kLeastLikelyRate gallons per day (and not all 0), with the largest's
/// conversion to gallons per minute.
std::vector<std::string> plausibility_warnings(const Scenario& s);

}  // namespace scenario
