// The drawdown of one well at one node, and the node-to-well distance.
//
// DIST and DRAWDN are composed of the pieces below, one per rounding point of
// the rule; the pieces are inline, so that the engine's per-node code, which
// hoists the per-run parts out of its node loops, calls them without a call.
// Each rounding to single is a model::single of a double expression, evaluated
// in the rule's stated order (see rule.h).
//
// Inputs outside the physical domain:
// - DIST forms i * SPACING and j * SPACING in 64-bit integers, so there is no
//   signed overflow for any SPACING or index; wherever 32-bit
//   products would be exact (|product| < 2^31) the result is the same. Indices are
//   not checked: DIST is plain arithmetic, and DRAWDN is handed the one cell it
//   adds into, so no index reaches an array here.
// - DRAWDN does not check T, S, TIME or LEAK. Outside the physical domain
//   (T, S, TIME > 0, LEAK >= 0) the non-trapping arithmetic runs on: e.g. T = 0
//   gives u = +infinity, W = 0 and s = 0 / 0 = NaN, and a NaN u gives W = NaN
//   (see WUB). A NaN then reaches the cell and shows up in the outputs rather
//   than being hidden; nothing loops or traps.
#pragma once

#include <cmath>
#include <cstdint>

#include "model/rule.h"

namespace model {

/// Distance in feet between node (i, j) and a well at (XW, YW) in node units,
/// on a grid of SPACING feet; never less than 1.0 foot.
float DIST(std::int32_t SPACING, std::int32_t i, std::int32_t j, float XW, float YW);

/// Adds the drawdown in feet of a well pumping Q gallons per day, at distance
/// R feet, to the grid cell `DD` (T transmissivity, S storage coefficient,
/// TIME days of pumping, LEAK leakance).
void DRAWDN(float T, float S, float TIME, float LEAK, float Q, float R, float& DD);

// The pieces of DIST:
//
//   R = distance_from_squares(squared_offset(SPACING, i, XW), squared_offset(SPACING, j, YW))

/// dx2 = single(dx * dx) with dx = single(xn - xw), xn = single(i * SPACING)
/// and xw = single(SPACING * XW): DIST's squared offset along one axis
/// (the same for the other axis with j and YW).
inline float squared_offset(std::int32_t SPACING, std::int32_t i, float XW) {
  // The 64-bit product rounded to single directly (not through double).
  const float xn = static_cast<float>(std::int64_t{i} * std::int64_t{SPACING});
  const float xw = single(static_cast<double>(SPACING) * D(XW));
  const float dx = single(D(xn) - D(xw));
  return single(D(dx) * D(dx));
}

/// R = single(sqrt(dy2 + dx2)), raised to kLeastDistance when below it: DIST
/// from the two squared offsets.
inline float distance_from_squares(float dx2, float dy2) {
  const float R = single(std::sqrt(D(dy2) + D(dx2)));
  return R < kLeastDistance ? kLeastDistance : R;
}

// The pieces of DRAWDN. A caller that composes them as DRAWDN does gets
// DRAWDN's bits:
//
//   W  = WUB(u_of(u_factor(T, S, TIME), R), rb_of(R, leakage_factor(T, LEAK)))
//   DD = accumulate(drawdown_of(drawdown_factor(Q), W, T), DD)

/// S / (T * TIME), in double and not rounded: the per-run factor of u.
inline double u_factor(float T, float S, float TIME) { return D(S) / (D(T) * D(TIME)); }

/// u = single(u_factor * ((R * R) * 1.87025)), the well function's time
/// argument at distance R feet; the product (R * R) * 1.87025 stays in double.
inline float u_of(double u_factor, float R) { return single(u_factor * ((D(R) * D(R)) * D(kUCoefficient))); }

/// B = single(sqrt(T / LEAK)), the leakage factor in feet; +infinity for
/// LEAK = 0.
inline float leakage_factor(float T, float LEAK) { return single(std::sqrt(D(T) / D(LEAK))); }

/// rB = single(R / B), the ratio r/B; 0 for B = +infinity.
inline float rb_of(float R, float B) { return single(D(R) / D(B)); }

/// (Q / 1440.0) * 114.59156, in double and not rounded: the per-well factor
/// of the drawdown.
inline double drawdown_factor(float Q) { return (D(Q) / D(kMinutesPerDay)) * D(kDrawdownCoefficient); }

/// s = single((K * W) / T) with K = drawdown_factor(Q): the drawdown in feet
/// of a well whose drawdown factor is K and whose well function value is W.
inline float drawdown_of(double K, float W, float T) { return single((K * D(W)) / D(T)); }

/// s = single((((Q / 1440.0) * 114.59156) * W) / T), the drawdown in feet of
/// a well pumping Q gallons per day whose well function value is W.
inline float drawdown_from_W(float Q, float W, float T) { return drawdown_of(drawdown_factor(Q), W, T); }

/// single(s + DD): the new value of a drawdown cell that holds DD.
inline float accumulate(float s, float DD) { return single(D(s) + D(DD)); }

}  // namespace model
