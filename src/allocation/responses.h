// Drawdown is linear in each well's rates: at any point and day it is the sum
// over the wells of each well's own drawdown (its schedule's terms and those
// of its images). These are those per-well drawdowns, by the true well
// function, each well evaluated once per receptor per day.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "scenario/evaluation.h"
#include "scenario/scenario.h"

namespace allocation {

/// The days an allocation's limits are kept at: the compliance's sample days
/// (scenario::compliance_days) and every day a rate changes, to the study's
/// last day, increasing, each once.
std::vector<double> constraint_days(const scenario::Scenario& s);

/// Each well's drawdown at map point (x, y) at day t, in study order, by the
/// true well function W: its own terms and its images' (the boundaries'
/// images of the whole scenario at t), summed in double. Their sum is the
/// drawdown of every well together.
std::vector<double> well_drawdowns(const scenario::Scenario& s, double x, double y, double t,
                                   scenario::ExactWellFunction W);

/// The drawdown of each well at each receptor with a limit at each day.
struct Responses {
  std::vector<std::size_t> receptors;  ///< indices in Scenario::receptors, those with a limit
  std::vector<double> days;            ///< increasing
  std::size_t wells = 0;
  std::vector<double> values;          ///< [(receptor * days + day) * wells + well], feet
  /// The same entries' terms of rate increases and of decreases (a positive
  /// sum) apart: values = rising - falling. A plan that scales each well by a
  /// factor of 0 or more scales both, which the search of its limits takes
  /// at these days.
  std::vector<double> rising, falling;

  /// The drawdowns of every well at receptor entry r, day entry d.
  std::span<const double> at(std::size_t r, std::size_t d) const {
    return std::span<const double>(values).subspan((r * days.size() + d) * wells, wells);
  }
  std::span<const double> rising_at(std::size_t r, std::size_t d) const {
    return std::span<const double>(rising).subspan((r * days.size() + d) * wells, wells);
  }
  std::span<const double> falling_at(std::size_t r, std::size_t d) const {
    return std::span<const double>(falling).subspan((r * days.size() + d) * wells, wells);
  }
};

/// The responses at `days` by the true well function W, the wells shared
/// out among `threads` threads (the values are the same for any count).
Responses unit_responses(const scenario::Scenario& s, std::span<const double> days, scenario::ExactWellFunction W,
                         int threads);

}  // namespace allocation
