// Hooks into the SIMD lanes of well_function_lanes.cc for tests, tools and
// benchmarks only: choosing the instruction set, the lanes' exponential, and
// the width of the guard band. The program itself uses well_function_lanes.h.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace engine {

/// The instruction sets the lanes are built for that this processor has, best
/// first, by name.
std::vector<std::string> lanes_targets();

/// Makes the lanes (and every other SIMD routine of the program) run on the
/// named instruction set of lanes_targets(), or on the best again for an empty
/// name.
void use_lanes_target(const std::string& name);

/// out[i] = the lanes' double exponential exp(e[i]), as the integrand uses it,
/// for e[i] from the exponent floor (-675.84) to 0, on the instruction set in
/// use; min(e.size(), out.size()) values.
void lanes_exp(std::span<const float> e, std::span<double> out);

/// The largest difference, in units in the last place, between the lanes'
/// double exponential and std::exp over the singles e with lo <= e <= hi
/// (both <= 0), every `stride`-th single of the range tried. For checking the
/// guard band.
std::int64_t lanes_exp_max_ulp(float lo, float hi, std::uint32_t stride);

/// Half-width, in double units in the last place, of the band around each
/// single-precision rounding tie inside which the lanes recompute a value
/// exactly. The approximations stay far inside it (see lanes_exp_max_ulp).
inline constexpr std::int64_t kLaneGuardUlps = 1 << 10;

}  // namespace engine
