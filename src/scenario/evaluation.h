// What a study computes: the drawdown grid at each time on the program's
// engine, and the drawdown at each receptor, with the wells' schedules
// superposed in time.
//
// At time t each well adds, for each step k of its schedule with t_k < t in
// order, the drawdown of the rate change single(Q_k - Q_(k-1)) (Q_(-1) = 0)
// after single(t - t_k) days. These terms, in well order and then step order,
// are added to every cell one by one: by the rule, a grid is evaluated as
// consecutive passes of terms that share the same elapsed time, each pass one
// engine evaluation accumulating into the same grid, so that every cell
// receives the terms' single-precision additions in exactly that order.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "engine/evaluate.h"
#include "engine/true_well_function.h"
#include "scenario/scenario.h"

namespace scenario {

/// One term of the superposition at one time: a well's rate change and how
/// long ago it began, in the rule's single precision and, for the exact well
/// function, in double.
struct Term {
  float x = 0.0f, y = 0.0f;   ///< the well's node-unit position
  float q = 0.0f;             ///< single(Q_k - Q_(k-1)), gallons per day
  float elapsed = 0.0f;       ///< single(t - t_k), days
  double map_x = 0.0, map_y = 0.0;  ///< the well's map position, feet
  double dq = 0.0;            ///< Q_k - Q_(k-1) in double
  double elapsed_days = 0.0;  ///< t - t_k in double
};

/// The terms at time t: the wells in study order, each well's steps with
/// t_k < t in schedule order; then, with boundaries, each well's images
/// (image_plan_at) in well order, each with the well's steps, its rates
/// times the image's sign.
std::vector<Term> terms_at(const Scenario& s, double t);

/// terms_at with the images of `plan` (none for an empty plan).
std::vector<Term> terms_at(const Scenario& s, double t, const ImagePlan& plan);

/// The images of the study's boundaries at time t: a strip's series cut
/// where the images left out lie beyond negligible_distance for elapsed
/// times up to t.
ImagePlan image_plan_at(const Scenario& s, double t);

/// How many of terms_at(s, t) are the real wells' (they come first).
std::size_t real_terms(std::span<const Term> terms, const Scenario& s, double t);

/// A run of consecutive terms [begin, end) that share the same elapsed time.
struct Pass {
  std::size_t begin = 0, end = 0;
};

/// The terms cut into the fewest consecutive passes of equal elapsed time
/// (equal bit patterns), in order.
std::vector<Pass> passes_of(std::span<const Term> terms);

/// The exact well function W(u, r/B), in double.
using ExactWellFunction = double (*)(double u, double rb);

/// How a study evaluates: the well function, and the engine's settings for
/// the rule.
struct Evaluation {
  WellFunction well_function = WellFunction::rule;
  engine::Options engine;              ///< the rule's evaluation (fast or reference, threads)
  /// The true well function, by which the rule is checked too (engine::true_well_function,
  /// the exact grid's function in SIMD lanes with the same bits).
  ExactWellFunction exact = engine::true_well_function;
};

/// The engine's aquifer for a pass of the rule: T, S and LEAK in single, the
/// pass's elapsed time, the spacing.
engine::Aquifer pass_aquifer(const Scenario& s, float elapsed);

/// Adds the drawdown of `terms` at every node of the study's grid into `DD`
/// (which must hold the grid's columns and rows). By the rule: one engine
/// evaluation per pass. Exact: each node's terms summed in double and rounded
/// to single, then added. `done`, when given, counts node-term evaluations as
/// they finish (from any thread).
void add_terms(engine::DrawdownGrid& DD, const Scenario& s, std::span<const Term> terms, const Evaluation& how,
               std::atomic<std::uint64_t>* done = nullptr);

/// The grid at time t: DD set to 0.0, then add_terms of terms_at(s, t), then
/// blank_beyond.
void evaluate_grid(engine::DrawdownGrid& DD, const Scenario& s, double t, const Evaluation& how,
                   std::atomic<std::uint64_t>* done = nullptr);

/// Sets the nodes beyond a boundary (on the far side of a line from the
/// wells) to NaN, which the grid files write as NoData and the pictures leave
/// blank; nodes on a line keep their value.
void blank_beyond(engine::DrawdownGrid& DD, const Scenario& s);

/// The drawdown by the rule at the point of node-unit position (px, py): for
/// each term in order, model::point_distance and model::DRAWDN into a value
/// starting at 0.0. On a node centre, that node's cell bit for bit.
float point_drawdown_rule(const Scenario& s, float px, float py, std::span<const Term> terms);

/// The drawdown by the exact well function at map point (x, y): the terms'
/// drawdowns in double, distances from the map coordinates (at least 1 foot),
/// summed in order and rounded to single once.
float point_drawdown_exact(const Scenario& s, double x, double y, std::span<const Term> terms, ExactWellFunction W);

/// The drawdown at every receptor and time: values[receptor][time].
std::vector<std::vector<float>> receptor_series(const Scenario& s, std::span<const double> times, const Evaluation& how);

/// The terms terms_at(s, t) holds, counted without making them (a double,
/// so that any count can be stated: a strip may need more than memory holds).
double term_count(const Scenario& s, double t);

/// The most terms at any of the times (the terms a grid evaluation holds),
/// counted as term_count.
double most_terms(const Scenario& s);

/// Bytes a study's evaluation needs at most with `threads` worker threads and
/// `terms` terms: the `grids_kept` grids (a grid per time when the outputs
/// take every time together, else one), the terms and a strip's images, the
/// engine's per-term offsets, tables and buffers. A double, so that any grid
/// size can be stated.
double memory_for_terms(const Scenario& s, int threads, std::size_t grids_kept, double terms);

/// memory_for_terms with the most terms at any time.
double memory_needed(const Scenario& s, int threads, std::size_t grids_kept);

/// Why the study does not fit in `machine_bytes` of memory (one line with the
/// figures), or nothing when it does. When it would fit with fewer image
/// pairs of a strip, the line names the strip, the pairs needed, the pairs
/// that fit, and what would need fewer.
std::optional<std::string> does_not_fit(const Scenario& s, int threads, std::size_t grids_kept, double machine_bytes);

/// The machine's physical memory in bytes (0 when unknown).
double machine_memory();

}  // namespace scenario
