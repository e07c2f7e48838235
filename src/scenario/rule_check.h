// Where a study evaluated by the rule shows the rule's own error: at each
// receptor and at the node nearest each well, the rule's drawdown beside the
// true one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "scenario/evaluation.h"
#include "scenario/scenario.h"

namespace scenario {

/// A difference between the rule and the true well function is worth a
/// warning when it exceeds both this fraction of the true drawdown...
inline constexpr double kRuleOffFraction = 0.01;
/// ...and this many feet.
inline constexpr double kRuleOffFeet = 0.01;

/// A grid node, by column and row from 1.
struct Node {
  std::int32_t c = 1, r = 1;
};

/// The node of the study's grid nearest to map point (x, y) (a point off the
/// grid gets the nearest node on its edge).
Node nearest_node(const Grid& g, double x, double y);

/// One place's drawdowns by the rule and by the true well function at a day.
struct RuleAgainstTrue {
  double day = 0.0;
  float rule = 0.0f;
  float exact = 0.0f;
};

/// Whether `v` differs by more than kRuleOffFraction and kRuleOffFeet.
bool rule_is_off(const RuleAgainstTrue& v);

/// The warning for a place, `where` ("receptor 'R-1'", ...), from its values
/// at every day: the day where the rule is off by the most feet, with both
/// values and the relative difference; "" when the rule is off on no day.
std::string rule_warning(const std::string& where, std::span<const RuleAgainstTrue> values);

/// The warnings of a study evaluated by the rule: one per receptor (`series`:
/// values[receptor][k] at series_times[k], by the rule) and one per well
/// (`well_nodes`: values[well][k] of the node nearest the well at s.times[k],
/// by the rule), each beside the true drawdown computed with `W`.
std::vector<std::string> rule_warnings(const Scenario& s, std::span<const double> series_times,
                                       const std::vector<std::vector<float>>& series,
                                       const std::vector<std::vector<float>>& well_nodes, ExactWellFunction W);

}  // namespace scenario
