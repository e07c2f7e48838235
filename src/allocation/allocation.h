// The best plan that keeps every limit: each well's schedule keeps its shape
// and is scaled by one factor; the factors that give the most pumping (or
// the most weighted pumping) over the study's days with every receptor's
// drawdown at or below its limit at every constraint day, by linear
// programming; then the plan checked again by the true well function on the
// continuous time axis (the compliance's search and its refined peaks).
//
// The program is built row by row from constraint sets (one set: the
// responses of the study's aquifer), so that the limits of several aquifers
// (the realizations of an uncertain one) join it as more sets in a loop.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "allocation/responses.h"
#include "scenario/evaluation.h"
#include "scenario/scenario.h"

namespace allocation {

/// What the plan maximises: the total pumped (net of injection) over the
/// study's days, or that total with each well's volume times its weight.
enum class Objective { total, weighted };

/// One well's part in the allocation, as its [[well]] table states it.
struct WellChoice {
  double min_factor = 0.0;
  std::optional<double> max_factor;  ///< none: unbounded
  bool fixed = false;                ///< kept as planned
  double weight = 1.0;               ///< above 0; with Objective::weighted
};

/// The allocation asked for: one WellChoice per well, in study order.
struct Request {
  Objective objective = Objective::total;
  std::vector<WellChoice> wells;
};

/// Whether a schedule only injects: every rate 0 or below, one below.
bool injects(const scenario::Well& w);

/// Whether the allocation keeps well w as planned: `fixed`, or an injection
/// well without a max_factor.
bool kept(const scenario::Well& w, const WellChoice& c);

/// The volume a schedule pumps from day 0 to `last` (rate times days summed
/// over its steps; below 0 for injection), gallons in the engine's units.
double volume(const scenario::Well& w, double last);

/// `s` with each well's rates times its factor.
scenario::Scenario scaled(const scenario::Scenario& s, const std::vector<double>& factors);

/// A receptor whose limit the plan reaches.
struct Binding {
  std::size_t receptor = 0;  ///< index in Scenario::receptors
  double day = 0.0;          ///< the day of its largest drawdown under the plan
  double dual = 0.0;         ///< the objective's gain per foot (or metre) more of its limit
};

/// The plan re-evaluated by the true well function.
struct Check {
  std::vector<std::size_t> receptors;  ///< those with a limit, indices in Scenario::receptors
  std::vector<double> largest;         ///< each one's largest drawdown up to the last day (refined peaks)
  std::vector<double> largest_day;     ///< its day
  double worst = 0.0;                  ///< the most any largest drawdown exceeds its limit (below 0: the least margin)
  std::size_t worst_entry = 0;         ///< its entry
  bool binds = false;                  ///< a limit is reached, within kHolds
  bool all_at_max = false;             ///< every well the plan scales is at its max_factor
  /// Every limit holds within kHolds, and one binds unless every well is at its max.
  bool passed() const { return worst <= kHolds && (binds || all_at_max); }
  static constexpr double kHolds = 1e-6;  ///< feet (or metres)
};

enum class PlanStatus {
  solved,      ///< factors found and checked
  infeasible,  ///< the wells' minimums (and the fixed wells) already break a limit
  unbounded,   ///< a well the plan may raise without end: no limit restrains it
  failed,      ///< the solver gave no answer
};

/// The best plan.
struct Plan {
  PlanStatus status = PlanStatus::failed;
  std::string why;                ///< infeasible, unbounded, failed: one line naming the limit, receptor and well(s)
  std::vector<double> factors;    ///< per well, study order (1 for a well kept as planned)
  double planned_total = 0.0;     ///< the planned volume of all wells, engine gallons
  double allowed_total = 0.0;     ///< the plan's
  std::vector<Binding> binding;   ///< the receptors whose limit binds, study order
  Check check;
  std::size_t rows = 0;           ///< the constraints the last program held
  std::size_t rounds = 0;         ///< programs solved
};

/// The best plan for `request`, its limits at the days of `r` (the study's
/// responses) and at the peaks the check finds between them, checked with
/// `how` (the true well function; threads from its engine options).
Plan best_plan(const scenario::Scenario& s, const Request& request, const Responses& r, const scenario::Evaluation& how);

/// The re-evaluation of plan `factors` (0 or more): the compliance's search
/// (scenario::search_limit with the bounds of each term's slope) of each
/// receptor of `r` on the continuous time axis, its samples at r.days (the
/// compliance's days and every change day) from the responses scaled, every
/// other day by the true well function; threads shared out over the
/// receptors. With `only` (entries of r.receptors), only those are searched:
/// the others keep their largest sample.
Check check_plan(const scenario::Scenario& s, const std::vector<double>& factors, const Responses& r,
                 const scenario::Evaluation& how, int threads, const std::vector<std::size_t>& only = {});

}  // namespace allocation
