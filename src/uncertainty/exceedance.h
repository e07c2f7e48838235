// The exceedance counts of an ensemble's grids: per node of the scenario's
// grid and per time, how many realizations draw the head down by more than a
// level. Each realization's grid is evaluated as the deterministic grid is
// (scenario::evaluate_grid, with that realization's aquifer) and only its
// comparison with the level is kept, so the memory is one grid and one count
// per node and time, whatever the number of realizations.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "scenario/evaluation.h"
#include "scenario/scenario.h"
#include "uncertainty/realizations.h"

namespace uncertainty {

/// Per time and node, the realizations whose drawdown is above the level.
struct Exceedance {
  std::size_t times = 0;  ///< the scenario's times
  std::size_t nodes = 0;  ///< columns x rows
  /// [time * nodes + node], the node (c, r) at (r - 1) * columns + c - 1.
  std::vector<std::uint32_t> counts;
  bool operator==(const Exceedance&) const = default;
};

/// The counts of realizations [from, to) of `settings` at the times of `s`:
/// those whose drawdown at a node is above `level` (strictly; a node blanked
/// beyond a boundary is never above). `done`, when given, counts the
/// realizations as they finish. The same counts on any number of threads.
Exceedance count_exceedance(const scenario::Scenario& s, const scenario::Evaluation& how, const Draws& settings,
                            double level, std::size_t from, std::size_t to,
                            std::atomic<std::uint64_t>* done = nullptr);

/// Adds the counts of `more` to `into` (of the same times and nodes).
/// Returns false, changing nothing, when their sizes differ.
bool add_counts(Exceedance& into, const Exceedance& more);

}  // namespace uncertainty
