// The shape of the radial interpolant of the exact grid (true_radial.h):
// pieces along the squared distance d^2, each a Chebyshev polynomial. The
// tables are worked out by the compiler in plain IEEE arithmetic, so they are
// the same constants on every machine.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/true_run_constants.h"

namespace engine::true_radial {

/// Each binade [2^e, 2^(e+1)) of d^2 is cut into 2^kPieceBits pieces of equal
/// width: a piece's index is the top bits of d^2's representation (exponent
/// and kPieceBits mantissa bits), its local abscissa the rest. A piece spans
/// at most a factor 1 + 2^-kPieceBits in d^2. Measured (largest relative
/// difference from the kernel where W >= 1e-38, tests/engine/true_radial_test.cc):
/// 3.6e-14 with 5 bits and degree 8, every piece of a leaky aquifer at 30
/// days out to 60 miles accepted; with 4 bits, 1% of those pieces fail the
/// check (W falls by up to 50% in a piece); with degree 6, 10% fail.
inline constexpr unsigned kPieceBits = 5;
inline constexpr unsigned kPieceShift = 52 - kPieceBits;  ///< d^2's bits >> this: the piece
inline constexpr std::uint64_t kWithinPiece = (std::uint64_t{1} << kPieceShift) - 1;

/// Degree of each piece's polynomial, and its Chebyshev points.
inline constexpr std::size_t kDegree = 8;
inline constexpr std::size_t kPoints = kDegree + 1;
inline constexpr std::size_t kMiddle = kDegree / 2;
/// Checked against the kernel at these many points per piece: both ends and
/// the extrema of T_(kDegree+1), which lie between the fitting points.
inline constexpr std::size_t kChecks = kPoints + 1;

/// A piece is accepted where its polynomial is within this, relative, of
/// the kernel at every check point (the contract in true_radial.h adds the
/// kernel's own noise between them).
inline constexpr double kCheckTolerance = 5e-14;
/// As for the runs' pieces: a piece is fitted where W stays at or above
/// kLeastW in it, to W itself where W at its ends lies within a factor
/// kDirectRatio of W at its middle, else to ln(W / W_middle).
inline constexpr double kLeastW = true_run::kLeastW;
inline constexpr double kDirectRatio = true_run::kDirectRatio;
/// A piece is exactly 0 where, at its least d^2, r/B >= kZeroExponent (the
/// kernel's K0 and integral are then both 0), or u >= r/B / 2 and
/// u + (r/B)^2 / (4u) >= kZeroExponent: the kernel's cutoff (708) lies
/// before, with room for rounding, and along a ray r/B and u grow while
/// (r/B)^2 / (4u) stays the same, so the kernel is 0 on the whole piece.
inline constexpr double kZeroExponent = 709.0;

/// A table is made for a group of terms only where its kernel evaluations
/// (kPoints + kChecks per piece) are at most 1/kWorth of the node-terms it
/// serves.
inline constexpr double kWorth = 4.0;
/// The tables of one grid hold at most this many pieces (81 bytes each:
/// 10.6 MB); the groups of terms past it take the kernel.
inline constexpr std::size_t kMostPieces = std::size_t{1} << 17;

namespace detail {

struct Tables {
  double x[kPoints] = {};                       // the fitting points, cos(pi (i + 1/2) / kPoints)
  double check[kChecks] = {};                   // cos(pi i / kPoints), i = 0 .. kPoints
  double weight[kDegree + 1][kPoints] = {};     // c_j = sum over i of weight[j][i] f(x_i)
  double power[kDegree + 1][kDegree + 1] = {};  // T_j(t) = sum over k of power[j][k] t^k
};

constexpr Tables MakeTables() {
  using true_run::detail::CosPi;
  Tables t;
  constexpr long n = static_cast<long>(kPoints);
  for (long i = 0; i < n; ++i) {
    t.x[i] = CosPi(2 * i + 1, 2 * n);
    for (long j = 0; j <= static_cast<long>(kDegree); ++j)
      t.weight[j][i] = (j == 0 ? 1.0 : 2.0) / static_cast<double>(n) * CosPi(j * (2 * i + 1), 2 * n);
  }
  for (long i = 0; i <= n; ++i) t.check[i] = CosPi(i, n);
  t.power[0][0] = 1.0;
  t.power[1][1] = 1.0;
  for (std::size_t j = 1; j < kDegree; ++j)
    for (std::size_t k = 0; k <= kDegree; ++k)
      t.power[j + 1][k] = (k > 0 ? 2.0 * t.power[j][k - 1] : 0.0) - t.power[j - 1][k];
  return t;
}

}  // namespace detail

inline constexpr detail::Tables kChebyshev = detail::MakeTables();
static_assert(kPoints % 2 == 1 && kChebyshev.x[kMiddle] == 0.0);
static_assert(kChebyshev.check[0] == 1.0 && kChebyshev.check[kPoints] == -1.0);

}  // namespace engine::true_radial
