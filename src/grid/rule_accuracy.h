// Where the rule's well function is far from the true integral on a run's
// grid: at nodes so close to a well, late enough, that u is tiny.
#pragma once

#include <span>
#include <string>

#include "grid/answers.h"

namespace grid {

/// The rule's W is "off" at a node when it differs from the true integral by
/// more than this fraction of the true value.
inline constexpr double kRuleOffFraction = 0.01;

/// Below this u the rule's first panels (1e-8 wide) are no longer small
/// against u, and only there does the check look: above it the rule is
/// within far less than 1% until its cut-off.
inline constexpr double kSmallU = 1e-6;

/// The distance in feet below which the rule's W for `in`'s aquifer is off
/// the true integral by more than kRuleOffFraction: 1 foot (the least
/// distance) when it is off nowhere, up to the distance where u reaches
/// kSmallU. The error falls as the distance grows (u and r/B grow with it),
/// so the distance is found by bisection.
float rule_off_below(const Input& in);

/// The --check warning for the nodes of `in`'s grid that lie closer to one of
/// `wells` than rule_off_below: how many, near which well, and that the run's
/// drawdowns there are the rule's; "" when there are none.
std::string rule_accuracy_warning(const Input& in, std::span<const engine::Well> wells);

}  // namespace grid
