// The well function WUB for many (u, r/B) pairs at once, in SIMD lanes, with
// the same results as model::WUB to the last bit.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine {

/// What one WUB_lanes call did besides its results: for tests and tuning.
struct LaneStats {
  std::int64_t calls = 0;          ///< (u, r/B) pairs evaluated.
  std::int64_t scalar_calls = 0;   ///< Pairs outside the lanes' domain, done by model::WUB.
  std::int64_t guarded_points = 0; ///< Integrand values recomputed by model::F near a rounding tie.
};

/// W[i] = model::WUB(u[i], rb[i]) bit for bit, for every i. The three spans
/// have the same length. Several calls run in lockstep, one per lane, with the
/// rule's rounding points; the double exponential is approximated and every
/// integrand value whose rounding to single it could change is recomputed
/// with model::F. Pairs outside 0 <= u <= 6 with a finite r/B are handed to
/// model::WUB whole. `stats`, when given, is increased by what the call did.
void WUB_lanes(std::span<const float> u, std::span<const float> rb, std::span<float> W,
               LaneStats* stats = nullptr);

/// The instruction set WUB_lanes runs on in this process (e.g. "AVX2").
const char* lanes_target();

/// The instruction sets the lanes are built for that this processor has, best
/// first, by name.
std::vector<std::string> lanes_targets();

/// Makes the lanes (and every other SIMD routine of the program) run on the
/// named instruction set of lanes_targets(), or on the best again for an empty
/// name. For tests.
void use_lanes_target(const std::string& name);

/// The largest difference, in units in the last place, between the lanes'
/// double exponential and std::exp over the singles e with lo <= e <= hi,
/// every `stride`-th single of the range tried. For checking the guard band.
std::int64_t lanes_exp_max_ulp(float lo, float hi, std::uint32_t stride);

/// Half-width, in double units in the last place, of the band around each
/// single-precision rounding tie inside which the lanes recompute a value
/// exactly. The approximations stay far inside it (see lanes_exp_max_ulp).
inline constexpr std::int64_t kLaneGuardUlps = 1 << 10;

}  // namespace engine
