#include "allocation/responses.h"

#include <algorithm>
#include <thread>

#include "engine/true_grid.h"
#include "engine/true_well_function.h"
#include "scenario/compliance.h"

namespace allocation {
namespace {

// The engine's own (fastest) path for the default well function.
engine::TrueWellFunction engine_function(scenario::ExactWellFunction W) {
  return W == engine::true_well_function ? nullptr : W;
}

// The terms of well j alone at day t with the scenario's images at t.
std::vector<engine::TrueTerm> well_terms(const scenario::Scenario& alone, double t, const scenario::ImagePlan& plan) {
  std::vector<engine::TrueTerm> out;
  for (const scenario::Term& term : scenario::terms_at(alone, t, plan))
    out.push_back({term.map_x, term.map_y, term.dq, term.elapsed_days});
  return out;
}

// `s` with well j only.
scenario::Scenario only_well(const scenario::Scenario& s, std::size_t j) {
  scenario::Scenario alone = s;
  alone.wells = {s.wells[j]};
  return alone;
}

engine::TrueAquifer aquifer_of(const scenario::Scenario& s) {
  return {s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance};
}

}  // namespace

std::vector<double> constraint_days(const scenario::Scenario& s) {
  const double last = scenario::last_day(s);
  std::vector<double> days = scenario::compliance_days(s, last);
  const std::vector<double> changes = scenario::change_days(s, last);
  days.insert(days.end(), changes.begin(), changes.end());
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  // A rate change at day 0 leaves no drawdown at day 0: no constraint there.
  days.erase(std::remove_if(days.begin(), days.end(), [](double t) { return !(t > 0.0); }), days.end());
  return days;
}

std::vector<double> well_drawdowns(const scenario::Scenario& s, double x, double y, double t,
                                   scenario::ExactWellFunction W) {
  const scenario::ImagePlan plan = scenario::image_plan_at(s, t);
  std::vector<double> out;
  for (std::size_t j = 0; j < s.wells.size(); ++j) {
    const std::vector<engine::TrueTerm> terms = well_terms(only_well(s, j), t, plan);
    out.push_back(terms.empty() ? 0.0 : engine::true_point_drawdown(x, y, aquifer_of(s), terms, engine_function(W)));
  }
  return out;
}

Responses unit_responses(const scenario::Scenario& s, std::span<const double> days, scenario::ExactWellFunction W,
                         int threads) {
  Responses r;
  for (std::size_t i = 0; i < s.receptors.size(); ++i)
    if (s.receptors[i].limit) r.receptors.push_back(i);
  r.days.assign(days.begin(), days.end());
  r.wells = s.wells.size();
  r.values.assign(r.receptors.size() * r.days.size() * r.wells, 0.0);
  r.rising = r.falling = r.values;
  std::vector<scenario::ImagePlan> plans;
  for (double t : r.days) plans.push_back(scenario::image_plan_at(s, t));
  const engine::TrueAquifer a = aquifer_of(s);
  // Well j's column of every receptor and day; the threads take every
  // threads-th well, each writing its own entries.
  const auto column = [&](std::size_t j) {
    const scenario::Scenario alone = only_well(s, j);
    for (std::size_t d = 0; d < r.days.size(); ++d) {
      std::vector<engine::TrueTerm> up, down;
      for (const engine::TrueTerm& term : well_terms(alone, r.days[d], plans[d])) (term.dq >= 0.0 ? up : down).push_back(term);
      for (std::size_t k = 0; k < r.receptors.size(); ++k) {
        const scenario::Receptor& p = s.receptors[r.receptors[k]];
        const std::size_t at = (k * r.days.size() + d) * r.wells + j;
        if (!up.empty()) r.rising[at] = engine::true_point_drawdown(p.x, p.y, a, up, engine_function(W));
        if (!down.empty()) r.falling[at] = -engine::true_point_drawdown(p.x, p.y, a, down, engine_function(W));
        r.values[at] = r.rising[at] - r.falling[at];
      }
    }
  };
  const std::size_t n = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, std::max<std::size_t>(r.wells, 1));
  std::vector<std::thread> workers;
  for (std::size_t w = 1; w < n; ++w)
    workers.emplace_back([&, w] {
      for (std::size_t j = w; j < r.wells; j += n) column(j);
    });
  for (std::size_t j = 0; j < r.wells; j += n) column(j);
  for (std::thread& t : workers) t.join();
  return r;
}

}  // namespace allocation
