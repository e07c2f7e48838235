// The drawdown of one well at one node, and the node-to-well distance.
#pragma once

#include <cstdint>

namespace leaky {

/// Distance in feet between node (i, j) and a well at (XW, YW) in node units,
/// on a grid of SPACING feet; never less than 1.0 foot.
float DIST(std::int32_t SPACING, std::int32_t i, std::int32_t j, float XW, float YW);

/// Adds the drawdown in feet of a well pumping Q gallons per day, at distance
/// R feet, to the grid cell `DD` (T transmissivity, S storage coefficient,
/// TIME days of pumping, LEAK leakance).
void DRAWDN(float T, float S, float TIME, float LEAK, float Q, float R, float& DD);

}  // namespace leaky
