#include "uncertainty/exceedance.h"

#include <cmath>

#include "engine/drawdown_grid.h"

namespace uncertainty {

Exceedance count_exceedance(const scenario::Scenario& s, const scenario::Evaluation& how, const Draws& settings,
                            double level, std::size_t from, std::size_t to, std::atomic<std::uint64_t>* done) {
  Exceedance e;
  e.times = s.times.size();
  e.nodes = static_cast<std::size_t>(s.grid.columns) * static_cast<std::size_t>(s.grid.rows);
  e.counts.assign(e.times * e.nodes, 0);
  const Realizations draws(settings, s.aquifer);
  scenario::Scenario copy = s;
  engine::DrawdownGrid DD(s.grid.columns, s.grid.rows);
  // The engine spreads each grid's rows over its threads; the counts are
  // whole numbers added per node, so they are the same on any number.
  for (std::size_t i = from; i < to; ++i) {
    copy.aquifer = draws.at(i);
    for (std::size_t k = 0; k < e.times; ++k) {
      scenario::evaluate_grid(DD, copy, s.times[k], how);
      std::uint32_t* counts = e.counts.data() + k * e.nodes;
      for (std::int32_t r = 1; r <= s.grid.rows; ++r) {
        const std::span<const float> row = DD.row(r, s.grid.columns);
        for (std::size_t c = 0; c < row.size(); ++c) counts[c] += static_cast<double>(row[c]) > level ? 1u : 0u;
        counts += row.size();
      }
    }
    if (done != nullptr) ++*done;
  }
  return e;
}

bool add_counts(Exceedance& into, const Exceedance& more) {
  if (into.times != more.times || into.nodes != more.nodes || into.counts.size() != more.counts.size()) return false;
  for (std::size_t i = 0; i < into.counts.size(); ++i) into.counts[i] += more.counts[i];
  return true;
}

}  // namespace uncertainty
