// The drawdown of one well at one node, and the node-to-well distance.
#pragma once

#include <cstdint>

namespace model {

/// Distance in feet between node (i, j) and a well at (XW, YW) in node units,
/// on a grid of SPACING feet; never less than 1.0 foot.
float DIST(std::int32_t SPACING, std::int32_t i, std::int32_t j, float XW, float YW);

/// Adds the drawdown in feet of a well pumping Q gallons per day, at distance
/// R feet, to the grid cell `DD` (T transmissivity, S storage coefficient,
/// TIME days of pumping, LEAK leakance).
void DRAWDN(float T, float S, float TIME, float LEAK, float Q, float R, float& DD);

/// dx2 = single(dx * dx) with dx = single(xn - xw), xn = single(i * SPACING)
/// and xw = single(SPACING * XW): DIST's squared offset along one axis
/// (the same for the other axis with j and YW).
float squared_offset(std::int32_t SPACING, std::int32_t i, float XW);

/// R = single(sqrt(dy2 + dx2)), raised to 1.0 when below it: DIST from the two
/// squared offsets.
float distance_from_squares(float dx2, float dy2);

// The pieces of DRAWDN, one per rounding point, for a grid evaluation that
// hoists the per-run parts out of its node loop. DRAWDN is written in terms of
// them, so a caller that composes them as DRAWDN does gets DRAWDN's bits:
//
//   W  = WUB(u_of(u_factor(T, S, TIME), R), rb_of(R, leakage_factor(T, LEAK)))
//   DD = accumulate(drawdown_from_W(Q, W, T), DD)

/// S / (T * TIME), in double and not rounded: the per-run factor of u.
double u_factor(float T, float S, float TIME);

/// u = single(u_factor * ((R * R) * 1.87025)), the well function's time
/// argument at distance R feet.
float u_of(double u_factor, float R);

/// B = single(sqrt(T / LEAK)), the leakage factor in feet; +infinity for
/// LEAK = 0.
float leakage_factor(float T, float LEAK);

/// rB = single(R / B), the ratio r/B; 0 for B = +infinity.
float rb_of(float R, float B);

/// (Q / 1440.0) * 114.59156, in double and not rounded: the per-well factor
/// of the drawdown.
double drawdown_factor(float Q);

/// s = single((((Q / 1440.0) * 114.59156) * W) / T), the drawdown in feet of
/// a well pumping Q gallons per day whose well function value is W.
float drawdown_from_W(float Q, float W, float T);

/// single(s + DD): the new value of a drawdown cell that holds DD.
float accumulate(float s, float DD);

}  // namespace model
