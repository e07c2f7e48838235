#include "allocation/shares.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace allocation {
namespace {
constexpr double kNoLimit = std::numeric_limits<double>::infinity();
}  // namespace

std::optional<double> ReceptorShares::share(std::size_t j) const {
  if (total == 0.0) return std::nullopt;
  return drawdown[j] / total;
}

std::vector<std::size_t> ReceptorShares::largest_first() const {
  std::vector<std::size_t> order(drawdown.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return drawdown[a] > drawdown[b]; });
  return order;
}

std::vector<ReceptorShares> receptor_shares(const scenario::Scenario& s, const scenario::Compliance& c,
                                            scenario::ExactWellFunction W) {
  std::vector<ReceptorShares> out;
  for (const scenario::ReceptorCompliance& rc : c.receptors) {
    const scenario::Receptor& p = s.receptors[rc.receptor];
    ReceptorShares r;
    r.receptor = rc.receptor;
    r.day = rc.largest_day;
    if (r.day > 0.0) r.drawdown = well_drawdowns(s, p.x, p.y, r.day, W);
    r.drawdown.resize(s.wells.size(), 0.0);
    for (double d : r.drawdown) r.total += d;
    out.push_back(std::move(r));
  }
  return out;
}

std::vector<AloneFactor> alone_factors(const Responses& r, const std::vector<double>& limits) {
  // Well j at factor f: planned - a_j + f a_j <= limit, at every receptor and day.
  std::vector<AloneFactor> out(r.wells);
  std::vector<double> most(r.wells, kNoLimit);
  std::vector<std::size_t> setting(r.wells, 0);  // the receptor entry of the least factor
  for (std::size_t k = 0; k < r.receptors.size(); ++k)
    for (std::size_t d = 0; d < r.days.size(); ++d) {
      const std::span<const double> a = r.at(k, d);
      const double planned = std::accumulate(a.begin(), a.end(), 0.0);
      for (std::size_t j = 0; j < r.wells; ++j) {
        if (!(a[j] > 0.0)) continue;
        const double f = (limits[k] - (planned - a[j])) / a[j];
        if (f < most[j]) most[j] = f, setting[j] = k;
      }
    }
  for (std::size_t j = 0; j < r.wells; ++j) {
    if (most[j] < 0.0) {
      out[j].blocked_by = setting[j];
    } else if (most[j] < kNoLimit) {
      out[j].factor = most[j];
      out[j].set_by = setting[j];
    }
  }
  return out;
}

}  // namespace allocation
