// The permit reviewer's answer: at each receptor with a limit, the largest
// drawdown up to the study's last time and its day, the first day the limit
// is exceeded, the margin; and the plan's rate factor, the largest factor by
// which every rate can be multiplied with no receptor over its limit.
//
// Drawdowns are followed on the continuous time axis, not only at the study's
// days: sampled densely (50 points per decade of time since the first well
// starts, 20 per decade after every schedule step, every step's day, the
// times and series days), the largest refined between its neighbouring
// samples, the first exceedance by bisection to 0.01 day.
#pragma once

#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "scenario/evaluation.h"
#include "scenario/scenario.h"

namespace scenario {

/// The drawdown in feet at map point (x, y) at day t, in double: by the true
/// well function (engine::true_point_drawdown of how.exact) or by the rule
/// (point_drawdown_rule at the point's node-unit position), as `how` says.
double drawdown_at(const Scenario& s, const Evaluation& how, double x, double y, double t);

/// The last day a study looks at: its last time or last series day.
double last_day(const Scenario& s);

/// The days the compliance samples, increasing, from the first step's day
/// (no drawdown yet) to `last`.
std::vector<double> dense_days(const Scenario& s, double last);

/// One receptor's answer.
struct ReceptorCompliance {
  std::size_t receptor = 0;     ///< index in Scenario::receptors
  double limit = 0.0;           ///< feet
  double largest = 0.0;         ///< the largest drawdown up to the last day, feet
  double largest_day = 0.0;     ///< its day
  std::optional<double> first_exceeded;  ///< the first day, to 0.1 day rounded up, the limit is exceeded
  double margin = 0.0;          ///< limit - largest: below 0 when exceeded
  double factor = std::numeric_limits<double>::infinity();  ///< limit / largest (infinity: no drawdown)
};

/// The compliance of a whole plan.
struct Compliance {
  std::vector<ReceptorCompliance> receptors;  ///< the receptors with a limit, in study order
  double rate_factor = std::numeric_limits<double>::infinity();  ///< the least factor of all
  std::optional<std::size_t> limiting;  ///< the entry of `receptors` that sets it

  /// Whether a receptor's drawdown exceeds its limit.
  bool exceeded() const;
};

/// The compliance of the study's receptors that have limits, up to
/// last_day(s).
Compliance compliance_of(const Scenario& s, const Evaluation& how);

/// The compliance table for the console: a row per receptor with a limit,
/// then the rate factor's line. LF line ends.
std::string compliance_text(const Scenario& s, const Compliance& c);

/// The compliance CSV: the header
/// name,limit_ft,largest_drawdown_ft,at_day,first_exceeded_day,margin_ft,rate_factor
/// then a row per receptor with a limit (first_exceeded_day empty when it is
/// not exceeded, rate_factor "inf" without drawdown). LF line ends.
std::string compliance_csv(const Scenario& s, const Compliance& c);

}  // namespace scenario
