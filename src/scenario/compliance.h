// The permit reviewer's answer: at each receptor with a limit, the largest
// drawdown up to the study's last time and its day, the first day the limit
// is exceeded, the margin; and the plan's rate factor, the largest factor by
// which every rate can be multiplied with no receptor over its limit.
//
// Drawdowns are followed on the continuous time axis, not only at the study's
// days: sampled densely (compliance_days), then searched between the samples
// with bounds that cannot miss a peak (study/limit_search.h): the largest
// drawdown, every stretch above the limit and its crossings come from one
// search, and so do the verdict, the margin and the rate factor.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "scenario/evaluation.h"
#include "scenario/limit_search.h"
#include "scenario/scenario.h"

namespace scenario {

/// The drawdown in feet at map point (x, y) at day t, in double: by the true
/// well function (engine::true_point_drawdown of how.exact) or by the rule
/// (point_drawdown_rule at the point's node-unit position), as `how` says.
double drawdown_at(const Scenario& s, const Evaluation& how, double x, double y, double t);

/// The last day a study looks at: its last time or last series day.
double last_day(const Scenario& s);

/// The days a hydrograph's curve samples, increasing, from the first step's
/// day to `last`: 50 a decade since the first step, 20 a decade after every
/// step (for up to 200 step days), every step's day, the times and series days.
std::vector<double> dense_days(const Scenario& s, double last);

/// The days the compliance samples first, increasing, from the first day a
/// rate changes (no drawdown yet) to `last`: 50 a decade of the time since
/// then, the times and series days. The search splits the intervals between
/// them at the days a rate changes (change_days) where its bounds leave the
/// answer open.
std::vector<double> compliance_days(const Scenario& s, double last);

/// The drawdown at map point (x, y) at day t as a limited quantity: its value
/// as drawdown_at gives it (exact: the sum of the terms' double drawdowns as
/// rising - falling; by the rule: the single-precision sum in term order), and
/// the terms of rate increases and decreases summed apart.
LimitSample point_sample(const Scenario& s, const Evaluation& how, double x, double y, double t);

/// Bounds of the exact drawdown at map point (x, y) between its samples a and
/// b (point_sample's, a before b) from the terms' slopes. A term begun before
/// a grows at k dq g(tau), g = dW/dtau = exp(-u - (r/B)^2 / (4u)) / tau with u =
/// alpha / tau, which has one peak in tau, so its least and largest slope on
/// the interval come from its ends and that peak; a term begun within it adds
/// between 0 and k dq E1(u) by b, E1(u) < exp(-u) ln(1 + 1/u). Unlike the
/// bounds of the rising and falling parts, these stay tight where old terms of
/// opposite signs nearly cancel.
LimitBounds point_bounds(const Scenario& s, double x, double y, const LimitSample& a, const LimitSample& b);

/// One receptor's answer.
struct ReceptorCompliance {
  std::size_t receptor = 0;     ///< index in Scenario::receptors
  double limit = 0.0;           ///< feet
  double largest = 0.0;         ///< the largest drawdown up to the last day, feet; when `only_rises`, the largest rise (below 0)
  double largest_day = 0.0;     ///< its day
  bool only_rises = false;      ///< the head never drops there, and rises
  std::optional<double> first_exceeded;  ///< the first day the limit is exceeded, to 0.1 day rounded down
  std::vector<LimitWindow> windows;      ///< every stretch above the limit
  double days_above = 0.0;      ///< their total length, days
  double margin = 0.0;          ///< limit - largest drawdown (0 when it only rises): below 0 when exceeded
  double factor = std::numeric_limits<double>::infinity();  ///< limit / largest (infinity: no drawdown)
};

/// The compliance of a whole plan.
struct Compliance {
  std::vector<ReceptorCompliance> receptors;  ///< the receptors with a limit, in study order
  double rate_factor = std::numeric_limits<double>::infinity();  ///< the least factor of all
  std::optional<std::size_t> limiting;  ///< the entry of `receptors` (or of `streams`) that sets it
  /// The streams with a depletion limit (study/depletion_limits.h): each
  /// `receptor` is the boundary's index, the values gallons per day.
  std::vector<ReceptorCompliance> streams;
  bool limited_by_stream = false;  ///< `limiting` is an entry of `streams`

  /// Whether a receptor's drawdown (or a stream's depletion) exceeds its limit.
  bool exceeded() const;
};

/// The distinct days before `last` when some well's rate changes, increasing.
std::vector<double> change_days(const Scenario& s, double last);

/// The compliance of the scenario's receptors that have limits, and of its
/// streams with depletion limits, up to last_day(s).
Compliance compliance_of(const Scenario& s, const Evaluation& how);

/// The compliance table for the console: a row per receptor with a limit,
/// then the rate factor's line. LF line ends.
std::string compliance_text(const Scenario& s, const Compliance& c);

/// The compliance CSV: the header
/// name,limit_ft,largest_drawdown_ft,at_day,first_exceeded_day,margin_ft,rate_factor,days_above_limit,windows_above_limit
/// then a row per receptor with a limit (first_exceeded_day empty when it is
/// not exceeded, rate_factor empty without drawdown, largest_drawdown_ft below
/// 0 for a receptor whose head only rises, windows_above_limit as
/// "from-to;from-to" in days, each from rounded down and to up). LF line ends.
std::string compliance_csv(const Scenario& s, const Compliance& c);

}  // namespace scenario
