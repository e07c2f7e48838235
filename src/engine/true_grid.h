// The exact grid: every well term at every node in map coordinates, by the
// true well function and the formula of model/true_drawdown.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

#include "engine/drawdown_grid.h"
#include "engine/true_run_constants.h"

namespace engine {

/// The aquifer of an exact evaluation, in double.
struct TrueAquifer {
  double T = 0.0;         ///< transmissivity, gallons per day per foot
  double S = 0.0;         ///< storage coefficient
  double leakance = 0.0;  ///< gallons per day per cubic foot; 0 without leakage
};

/// One term of an exact evaluation: a rate change at a well, and how long ago.
struct TrueTerm {
  double x = 0.0, y = 0.0;     ///< the well's map position, feet
  double dq = 0.0;             ///< the rate change, gallons per day
  double elapsed_days = 0.0;   ///< days since it began, above 0
};

/// A well function W(u, r/B) in double.
using TrueWellFunction = double (*)(double u, double rb);

/// Whether the exact grid takes W from radial tables (engine/true_radial.h).
enum class TrueRadial {
  automatic,  ///< for each group of terms with one T * elapsed where the table costs little beside the grid
  never,      ///< the kernel term by term (and the runs' pieces) only
  always,     ///< for every group where a table can be made, whatever it costs
};

/// Settings of the exact evaluation.
struct TrueOptions {
  int threads = 1;                                   ///< worker threads, 1 or more (no more than rows run)
  std::atomic<std::uint64_t>* done = nullptr;        ///< when given, counts node-terms as rows finish
  TrueWellFunction well_function = nullptr;          ///< nullptr: true_well_function, in SIMD lanes
  TrueRadial radial = TrueRadial::automatic;         ///< with the default well function only
};

/**
 * The drawdown at map point (x, y) in feet: for each term in order,
 * model::true_drawdown of W at u = model::true_u and r/B, r =
 * model::true_distance, summed in double.
 *
 *      Inputs: any terms; W = nullptr (or true_well_function) for the default
 *     Default: true_well_function, except for the terms of a long run (at
 *              least true_run::kMinRunTerms consecutive terms at one position,
 *              the same bits, with elapsed days strictly decreasing, as a
 *              rate schedule gives them): there W comes from the run's
 *              Chebyshev pieces (engine/true_run-inl.h), which is the grid's
 *              own path, so the value is evaluate_true's at a node here, bit
 *              for bit
 *   Max error: of each run's W, relative to true_well_function: 1e-13 where
 *              W is at least 1e-38 (8.4e-14 measured), 3e-13 down to 1e-300
 *              (2.4e-13 measured); below 1e-300 and past the kernel's
 *              cutoff, its values exactly (tests/engine/true_run_test.cc)
 *    Fallback: where a piece cannot be fitted at the point (S = 0, NaN or
 *              infinite inputs, r/B past true_run::kMostB, W below 1e-300 in
 *              the piece) and for runs shorter than kMinRunTerms, W term by
 *              term: today's sum and bits (the program's own W taken in SIMD lanes,
 *              256 terms at a time, with the same bits and order). A
 *              caller's W is always taken term by term
 */
double true_point_drawdown(double x, double y, const TrueAquifer& aquifer, std::span<const TrueTerm> terms,
                           TrueWellFunction W = nullptr);

/// Adds to each cell (c, r), c <= xs.size(), r <= ys.size(), the drawdown of
/// `terms` at node (xs[c-1], ys[r-1]): true_point_drawdown there, rounded to
/// single once, added in single (model::accumulate), long runs by their
/// pieces as there. Rows are shared out among options.threads threads; the
/// cells are the same for any count. With the default well function the
/// terms of several nodes run at once in SIMD lanes, with the same bits.
/// With the default well function and options.radial, the other terms that
/// share one T * elapsed take W from a radial table (engine/true_radial.h)
/// where it is worth making: each term within 1e-13 of the kernel's, so the
/// node's sum within about 1e-13 of true_point_drawdown's (further only
/// where terms of both signs cancel), not bit for bit; the cells are still
/// the same on every instruction set and for any thread count.
void evaluate_true(DrawdownGrid& DD, std::span<const double> xs, std::span<const double> ys,
                   const TrueAquifer& aquifer, std::span<const TrueTerm> terms, const TrueOptions& options);

}  // namespace engine
