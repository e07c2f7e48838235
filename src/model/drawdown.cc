// The node distance DIST and the well drawdown DRAWDN.
//
// Each rounding to single is an explicit static_cast<float> of a double
// expression, evaluated in the drawdown's stated order; the library is built
// with -ffp-contract=off.
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

#include "model/drawdown.h"

#include <bit>
#include <cmath>
#include <cstdint>

#include "model/well_function.h"

namespace model {
namespace {

constexpr float kLeastDistance = 1.0f;
constexpr float kUCoefficient = 1.87025f;      // 3FEF645A
constexpr float kMinutesPerDay = 1440.0f;      // 44B40000
constexpr float kDrawdownCoefficient = 114.59156f;  // 42E52EE1

static_assert(std::bit_cast<std::uint32_t>(kUCoefficient) == 0x3FEF645Au);
static_assert(std::bit_cast<std::uint32_t>(kMinutesPerDay) == 0x44B40000u);
static_assert(std::bit_cast<std::uint32_t>(kDrawdownCoefficient) == 0x42E52EE1u);

inline double D(float x) { return static_cast<double>(x); }

}  // namespace

float squared_offset(std::int32_t SPACING, std::int32_t i, float XW) {
  const float xn = static_cast<float>(std::int64_t{i} * std::int64_t{SPACING});
  const float xw = static_cast<float>(static_cast<double>(SPACING) * D(XW));
  const float dx = static_cast<float>(D(xn) - D(xw));
  return static_cast<float>(D(dx) * D(dx));
}

float distance_from_squares(float dx2, float dy2) {
  float R = static_cast<float>(std::sqrt(D(dy2) + D(dx2)));
  if (R < kLeastDistance) R = kLeastDistance;
  return R;
}

float DIST(std::int32_t SPACING, std::int32_t i, std::int32_t j, float XW, float YW) {
  return distance_from_squares(squared_offset(SPACING, i, XW), squared_offset(SPACING, j, YW));
}

double u_factor(float T, float S, float TIME) { return D(S) / (D(T) * D(TIME)); }

float u_of(double u_factor, float R) {
  const double a = (D(R) * D(R)) * D(kUCoefficient);  // stays in double
  return static_cast<float>(u_factor * a);
}

float leakage_factor(float T, float LEAK) {
  return static_cast<float>(std::sqrt(D(T) / D(LEAK)));
}

float rb_of(float R, float B) { return static_cast<float>(D(R) / D(B)); }

double drawdown_factor(float Q) { return (D(Q) / D(kMinutesPerDay)) * D(kDrawdownCoefficient); }

float drawdown_from_W(float Q, float W, float T) {
  return static_cast<float>((drawdown_factor(Q) * D(W)) / D(T));
}

float accumulate(float s, float DD) { return static_cast<float>(D(s) + D(DD)); }

void DRAWDN(float T, float S, float TIME, float LEAK, float Q, float R, float& DD) {
  const float u = u_of(u_factor(T, S, TIME), R);
  const float B = leakage_factor(T, LEAK);
  const float rB = rb_of(R, B);
  const float W = WUB(u, rB);
  const float s = drawdown_from_W(Q, W, T);
  DD = accumulate(s, DD);
}

}  // namespace model
