// The fixed rule's constants and its rounding point, stated once for every
// implementation of the rule: the scalar one of this folder (WUB, F, DIST,
// DRAWDN) and the SIMD lanes of src/engine, which must give the same bits.
#pragma once

#include <bit>
#include <cfloat>
#include <cstdint>
#include <limits>

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the rule is defined on IEEE 754 binary32 and binary64");
static_assert(FLT_EVAL_METHOD == 0, "double expressions must be evaluated in double, no wider");

namespace model {

// --- The well function WUB: composite Simpson panels ------------------------

/// The cut-off: WUB is 0.0 for u above it, and the integration stops after the
/// first panel whose left end lies above it.
inline constexpr float kCutoff = 6.0f;
/// Half-width of the first panel.
inline constexpr float kFirstHalfWidth = 1e-8f;
/// Each panel's half-width is single(h * kGrowthFactor) of the one before.
inline constexpr float kGrowthFactor = 1.5f;
/// The integrand F is 0.0 where its exponent lies below this floor.
inline constexpr float kExponentFloor = -675.84f;

/// Safety net on the number of panels of one integration. For 0 <= u <= 6
/// the rule takes at most 48 panels; a finite negative u takes at most 262
/// (u = -FLT_MAX; see well_function.cc), so no finite u reaches this cap. An
/// integration that reaches it gives NaN.
inline constexpr std::int32_t kMaxPanels = 1000;

// --- The node distance DIST and the well drawdown DRAWDN ---------------------

/// The least node distance in feet: a smaller distance is raised to it.
inline constexpr float kLeastDistance = 1.0f;
/// u = S / (T * TIME) * R^2 * kUCoefficient (feet, days and gallons).
inline constexpr float kUCoefficient = 1.87025f;
/// Minutes per day: the rate Q in gallons per day to gallons per minute.
inline constexpr float kMinutesPerDay = 1440.0f;
/// s = (Q / kMinutesPerDay) * kDrawdownCoefficient * W / T.
inline constexpr float kDrawdownCoefficient = 114.59156f;

// The bit patterns of the constants as the rule states them.
static_assert(std::bit_cast<std::uint32_t>(kCutoff) == 0x40C00000u);
static_assert(std::bit_cast<std::uint32_t>(kFirstHalfWidth) == 0x322BCC77u);
static_assert(std::bit_cast<std::uint32_t>(kGrowthFactor) == 0x3FC00000u);
static_assert(std::bit_cast<std::uint32_t>(kExponentFloor) == 0xC428F5C3u);
static_assert(std::bit_cast<std::uint32_t>(kUCoefficient) == 0x3FEF645Au);
static_assert(std::bit_cast<std::uint32_t>(kMinutesPerDay) == 0x44B40000u);
static_assert(std::bit_cast<std::uint32_t>(kDrawdownCoefficient) == 0x42E52EE1u);

// --- Arithmetic ---------------------------------------------------------------
// The rule computes in double and rounds to single at stated points. Code that
// implements it is built with -ffp-contract=off (see CMakeLists.txt), so no
// multiply-add is fused.

/// A single as the double of the same value (exact): where the rule computes.
inline constexpr double D(float x) { return static_cast<double>(x); }

/// The rule's rounding point: a double rounded to the nearest single (ties to
/// even; beyond single's range, an infinity). The SIMD lanes' form of it is
/// engine's ToSingle.
inline constexpr float single(double x) { return static_cast<float>(x); }

}  // namespace model
