// The well function WUB for many (u, r/B) pairs at once, in SIMD lanes, with
// the same results as model::WUB to the last bit.
#pragma once

#include <cstdint>
#include <span>

namespace engine {

/// What one WUB_lanes call did besides its results: for tests and tuning.
struct LaneStats {
  std::int64_t calls = 0;          ///< (u, r/B) pairs evaluated.
  std::int64_t scalar_calls = 0;   ///< Pairs the lanes do not take, done by model::WUB.
  std::int64_t guarded_points = 0; ///< Integrand values recomputed by model::F near a rounding tie.
};

/**
 * SIMD lanes form of model::WUB: the well function for many pairs at once.
 *
 *      Inputs: u[0 .. n) and rb[0 .. n), n = W.size() (the three spans have
 *              the same length); any values
 *   Max error: none: W[i] is model::WUB(u[i], rb[i]), bit for bit, on every
 *              instruction set
 *  In lanes:   u = 0 (or -0.0) and 2^-64 <= u <= 6, each with a finite r/B:
 *              several calls run in lockstep, one per lane, with the rule's
 *              rounding points; only the double exponential is approximated
 *              (within a few ulps), and every integrand value whose rounding
 *              to single that could change (within kLaneGuardUlps of a tie
 *              between two singles, or outside single's normal range) is
 *              recomputed by model::F
 *   Falls back to: model::WUB, whole, for every other pair (u above the
 *              cut-off, tiny positive, negative or NaN u, infinite or NaN r/B)
 *
 * `stats`, when given, is increased by what the call did.
 */
void WUB_lanes(std::span<const float> u, std::span<const float> rb, std::span<float> W,
               LaneStats* stats = nullptr);

/// The instruction set WUB_lanes runs on in this process (e.g. "AVX2").
const char* lanes_target();

}  // namespace engine
