// The shape of the interpolation that the exact grid uses for a long run of
// terms at one well position (a rate schedule): pieces of the run, each
// fitted by a Chebyshev polynomial (true_runs.h builds the pieces,
// true_run-inl.h fits and evaluates them in SIMD lanes). The tables are
// worked out by the compiler in plain IEEE arithmetic, so they are the same
// constants on every machine.
#pragma once

#include <cstddef>

namespace engine::true_run {

/// Degree of each piece's polynomial. Measured (tests/engine/true_run_test.cc,
/// relative difference from the kernel where W is a normal single): 8.4e-14
/// with degree 8; 2.6e-12 (1.1e-10 at r/B = 50) with degree 6; with
/// degree 8 on pieces twice as wide, 1.7e-13.
inline constexpr std::size_t kDegree = 8;
/// Chebyshev points per piece (odd: the middle one is the piece's middle).
inline constexpr std::size_t kPoints = kDegree + 1;
inline constexpr std::size_t kMiddle = kDegree / 2;

/// A piece's terms have T * elapsed within a factor 1 / kPieceRatio =
/// 2^(1/16) of each other: their u = a / (T elapsed) span at most that
/// factor at every node.
inline constexpr double kPieceRatio = 0x1.ea4afa2a490dap-1;  // 2^(-1/16)

/// A run of fewer terms keeps the term-by-term sum (and its bits). Measured
/// on a 40 x 30 grid (steps 0.001 days apart at day 30, one core): the
/// term-by-term sum takes 80 ns per node-term; the pieces 16 ns for a run
/// of 64 terms, 6.1 ns for 256, 4.3 ns for 512 and 3.5 ns from 1024 on,
/// where fitting the pieces no longer counts.
inline constexpr std::size_t kMinRunTerms = 512;
/// A piece of fewer terms than this is summed term by term: fitting it costs
/// about as many well function values as its points and ends.
inline constexpr std::size_t kMinPieceTerms = 32;

/// A node's piece is interpolated only where the well function stays at or
/// above this at the piece's largest u (the kernel's values are then normal
/// doubles with their full precision; below, it takes the kernel's values)
/// and r/B is at most kMostB (so that the kernel's zero past its cutoff
/// comes after every non-zero value of the run).
inline constexpr double kLeastW = 1e-300;
inline constexpr double kMostB = 50.0;

/// Where W at a piece's first and last points lies within a factor
/// kDirectRatio of W at its middle (at every node where u is below about 10),
/// the polynomial is fitted to W itself, which needs no exponential and is
/// as accurate there; elsewhere to ln(W / W_middle).
inline constexpr double kDirectRatio = 1.25;

namespace detail {

// cos(pi m / d) for integers m >= 0, d > 0: reduced exactly to [0, pi/4]
// with the integers, then by its Taylor series (or sin's).
constexpr double Taylor(double x, bool cosine) {
  double term = cosine ? 1.0 : x, sum = term;
  for (int n = 1; n < 15; ++n) {
    const double next = cosine ? 2.0 * n - 1.0 : 2.0 * n + 1.0;  // the terms' factorials grow by 2n and this
    term = -term * x * x / (2.0 * n * next);
    sum += term;
  }
  return sum;
}

constexpr double CosPi(long m, long d) {
  m %= 2 * d;                          // cos has period 2 pi
  if (m > d) m = 2 * d - m;            // and is even: m in [0, d]
  const bool negate = 2 * m > d;       // cos(pi - x) = -cos(x): m in [0, d/2]
  if (negate) m = d - m;
  if (2 * m == d) return 0.0;
  const double pi = 3.141592653589793;
  const double value = 4 * m <= d ? Taylor(pi * static_cast<double>(m) / static_cast<double>(d), true)
                                  : Taylor(pi * static_cast<double>(d - 2 * m) / static_cast<double>(2 * d), false);
  return negate ? -value : value;
}

struct Tables {
  double x[kPoints] = {};                    // the points, cos(theta_i), theta_i = pi (i + 1/2) / kPoints
  double weight[kDegree + 1][kPoints] = {};  // c_j = sum over i of weight[j][i] f(x_i)
  double power[kDegree + 1][kDegree + 1] = {};  // T_j(t) = sum over k of power[j][k] t^k (integers)
};

constexpr Tables MakeTables() {
  Tables t;
  constexpr long n = static_cast<long>(kPoints);
  for (long i = 0; i < n; ++i) {
    t.x[i] = CosPi(2 * i + 1, 2 * n);
    for (long j = 0; j <= static_cast<long>(kDegree); ++j)
      t.weight[j][i] = (j == 0 ? 1.0 : 2.0) / static_cast<double>(n) * CosPi(j * (2 * i + 1), 2 * n);
  }
  // T_0 = 1, T_1 = t, T_{j+1} = 2 t T_j - T_{j-1}.
  t.power[0][0] = 1.0;
  t.power[1][1] = 1.0;
  for (std::size_t j = 1; j < kDegree; ++j)
    for (std::size_t k = 0; k <= kDegree; ++k)
      t.power[j + 1][k] = (k > 0 ? 2.0 * t.power[j][k - 1] : 0.0) - t.power[j - 1][k];
  return t;
}

}  // namespace detail

/// The Chebyshev points of [-1, 1] (descending; kChebyshev.x[kMiddle] is 0),
/// the weights that turn values at them into the coefficients c_j of
/// sum over j of c_j T_j(x), the polynomial through them, and the powers of
/// t in each T_j.
inline constexpr detail::Tables kChebyshev = detail::MakeTables();
static_assert(kPoints % 2 == 1 && kChebyshev.x[kMiddle] == 0.0);

}  // namespace engine::true_run
