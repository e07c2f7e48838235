// The exact grid's radial interpolant: for terms that share one T * elapsed,
// u and r/B depend on the distance alone, so W is a function of one variable
// that a table of Chebyshev pieces gives far more cheaply than the kernel
// (for engine::evaluate_true, true_grid.cc).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "engine/true_grid_row.h"
#include "engine/true_radial_constants.h"

namespace engine {

/// How a piece of a radial table gives W.
enum class RadialPiece : std::uint8_t {
  direct,  ///< W = p(t) (0 where the piece lies past the kernel's cutoff)
  log,     ///< W = W_middle exp(p(t))
  kernel,  ///< the kernel, term by term
};

/**
 * W(u, r/B) of the terms with T * elapsed = E as a function of the squared
 * distance d^2, r = max(1 ft, sqrt(d^2)), u = ((kTrueUCoefficient r) r S) / E
 * (model::true_u), in pieces.
 *
 *      Domain: d^2 from max(1, least) to most, as made by make_radial_table;
 *              each binade of d^2 in 2^kPieceBits pieces of equal width, a
 *              piece's index the top bits of d^2 (no logarithm, no square
 *              root), t in [-1, 1) the rest of its bits, exactly
 *      Method: per piece, the polynomial of degree kDegree through the
 *              kernel's values at the Chebyshev points in t, of W itself or
 *              (where W changes by more than kDirectRatio) of ln(W / W_middle)
 *   Max error: relative to the kernel, true_well_function(u, r/B), at every
 *              d^2 of a fitted piece: 1e-13 where W is at least 1e-38 (a
 *              normal single; 4.6e-14 measured), 3e-13 down to kLeastW
 *              (1.8e-13 measured: there the kernel's own e^-f, f up to 708,
 *              carries f times the rounding of f). Each piece is accepted only after
 *              its polynomial is within kCheckTolerance = 5e-14 of the kernel
 *              at kChecks points: both ends and the kDegree + 1 extrema of
 *              T_(kDegree+1), which interleave the fitting points. Between
 *              them, p - K = (I W - W) + I e - e, with W the true function,
 *              e = K - W the kernel's error (1.2e-14 relative at most, see
 *              true_well_function.h) and I the interpolation: |I e| is at
 *              most the Lebesgue constant of 9 Chebyshev points (2.4) times
 *              max |e|, so the kernel's noise adds at most 4.1e-14; and
 *              I W - W is W's (kDegree + 1)-th derivative in t over
 *              2^kDegree (kDegree + 1)!: W (or ln W) is analytic in d^2 but
 *              for the logarithmic point d^2 = 0, which lies 2^(kPieceBits+1)
 *              half-widths off the piece, so that term is below 1e-16
 *              relative for the log-like W near the well, and the checks
 *              bound it where W falls fast. 5e-14 + 4.1e-14 < 1e-13.
 *              (tests/engine/true_radial_test.cc measures it, against the
 *              kernel and against the 40-digit table of tests/data)
 *    Fallback: kernel pieces, term by term with the kernel's own bits: where
 *              W falls below kLeastW = 1e-300 in the piece, where the kernel
 *              is not finite, or where the check fails. 0, exactly as the
 *              kernel gives, where the piece lies wholly past its cutoff
 *              (kZeroExponent). No table at all (every term by the kernel)
 *              for S or E not finite and above 0, B not above 0 or NaN
 */
struct TrueRadialTable {
  double S = 0.0, E = 0.0, B = 0.0;  ///< storage, T * elapsed, leakage factor
  std::uint64_t first = 0;           ///< the first piece's index: d^2's bits >> kPieceShift
  std::size_t count = 0;             ///< pieces
  /// Per piece kStride doubles: p's coefficients of t^0 .. t^kDegree, then W_middle.
  std::vector<double> piece;
  std::vector<RadialPiece> kind;
  static constexpr std::size_t kStride = true_radial::kDegree + 2;
};

/// Whether a table can be made for these S, E and B (see above), and how
/// many pieces it takes to cover d^2 from `least` to `most`.
bool radial_table_possible(double S, double E, double B);
std::size_t radial_pieces(double least, double most);

/// The table of W for S, E = T * elapsed and B over d^2 from `least` to
/// `most` (radial_table_possible true, 0 <= least <= most, finite).
TrueRadialTable make_radial_table(double S, double E, double B, double least, double most);

/// W the table gives at d^2 (the kernel's value in kernel pieces and out of
/// its range), as the grid takes it.
double radial_well_function(const TrueRadialTable& table, double d2);

/// Which terms of an exact grid take which radial table.
struct TrueRadialPlan {
  std::vector<TrueRadialTable> tables;
  std::vector<std::int32_t> table_of;  ///< per term, its table or -1 (none: no tables)
  std::vector<double> per_W;           ///< per term, drawdown_per_W / T
};

/// The tables for the terms of `terms` with `candidate` set, grouped by the
/// bits of their T * elapsed, over the nodes xs x ys: a group gets a table
/// where it is possible and (unless `always`) worth it (kWorth), in order
/// of first appearance while the tables' pieces stay within kMostPieces.
TrueRadialPlan plan_radial(const TrueTermArrays& terms, const std::vector<bool>& candidate,
                           std::span<const double> xs, std::span<const double> ys, bool always);

/// sums[i] += the drawdown of each term k in [begin, end) (all with a table)
/// at node (xs[i], y), in order: q_k W from the table, or in kernel pieces the
/// term exactly as the term-by-term sum takes it. `scratch` is the caller's
/// reusable room.
struct RadialScratch {
  std::vector<std::size_t> node;
  std::vector<double> u, b, W;
};
void radial_row_add(const double* xs, std::size_t n, double y, const TrueTermArrays& terms,
                    const TrueRadialPlan& plan, std::size_t begin, std::size_t end, RadialScratch& scratch,
                    double* sums);

}  // namespace engine
