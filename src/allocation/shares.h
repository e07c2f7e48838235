// Which well makes the drawdown at each receptor with a limit, and how far
// each well alone could be raised or lowered with the others as planned.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "allocation/responses.h"
#include "scenario/compliance.h"
#include "scenario/scenario.h"

namespace allocation {

/// One receptor's drawdown at its critical day, well by well.
struct ReceptorShares {
  std::size_t receptor = 0;      ///< index in Scenario::receptors
  double day = 0.0;              ///< the day that sets its margin (the compliance's largest drawdown's)
  double total = 0.0;            ///< the sum of the wells' drawdowns there, feet
  std::vector<double> drawdown;  ///< each well's, study order (images with their well), feet
  /// Well j's share of the total (its drawdown / total), or nothing when the
  /// total is 0.
  std::optional<double> share(std::size_t j) const;
  /// The wells in decreasing order of their drawdown there (ties: study order).
  std::vector<std::size_t> largest_first() const;
};

/// The shares of every receptor of the compliance `c` (those with a limit, in
/// study order), each at its largest drawdown's day, by the true well function W.
std::vector<ReceptorShares> receptor_shares(const scenario::Scenario& s, const scenario::Compliance& c,
                                            scenario::ExactWellFunction W);

/// What one well alone may do with the others as planned.
struct AloneFactor {
  /// The largest factor on the well's schedule that keeps every limit at
  /// every day of the responses; nothing when none binds (the well adds no
  /// drawdown at any receptor with a limit, or lowers it).
  std::optional<double> factor;
  /// When the limits hold at no factor of 0 or more (the other wells alone
  /// break one where this well adds drawdown): that receptor's entry in the
  /// responses; `factor` is then nothing.
  std::optional<std::size_t> blocked_by;
  /// With a factor: the receptor entry whose limit sets it.
  std::size_t set_by = 0;
};

/// Each well's AloneFactor from the responses (the planned drawdown is the
/// sum of the wells' at each receptor and day) and the limits (one per
/// entry of r.receptors).
std::vector<AloneFactor> alone_factors(const Responses& r, const std::vector<double>& limits);

}  // namespace allocation
