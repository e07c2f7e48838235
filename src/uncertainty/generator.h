// The random numbers of a realization: a SplitMix64 stream whose start
// depends only on the ensemble's seed and the realization's index, so that
// realization i draws the same numbers in a whole run, in any slice of it and
// on any thread.
#pragma once

#include <cmath>
#include <cstdint>
#include <numbers>

namespace uncertainty {

/// SplitMix64's finalizer: a bijection of 64-bit words that mixes every bit.
inline std::uint64_t mix64(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

/// The numbers of realization `index` of the ensemble of `seed`.
class Stream {
 public:
  Stream(std::uint64_t seed, std::uint64_t index) : state_(mix64(seed ^ mix64(index + 0x632be59bd9b4e019ULL))) {}

  /// The next 64 random bits.
  std::uint64_t next() {
    state_ += 0x9e3779b97f4a7c15ULL;
    return mix64(state_);
  }

  /// A uniform number strictly between 0 and 1 (53 random bits, centred).
  double uniform() { return (static_cast<double>(next() >> 11) + 0.5) * 0x1.0p-53; }

  /// A standard normal number (Box-Muller's cosine branch, two uniforms each).
  double normal() {
    const double u1 = uniform(), u2 = uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
  }

 private:
  std::uint64_t state_;
};

}  // namespace uncertainty
