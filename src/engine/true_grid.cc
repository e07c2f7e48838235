#include "engine/true_grid.h"

#include <algorithm>
#include <vector>

#include "engine/evaluate.h"
#include "engine/true_grid_row.h"
#include "engine/true_well_function.h"
#include "model/drawdown.h"
#include "model/true_drawdown.h"

namespace engine {
namespace {

// The terms as arrays, with the constants of each that do not depend on the node.
struct PreparedTerms {
  std::vector<double> x, y, T_elapsed, drawdown_per_W;
  TrueTermArrays arrays;

  PreparedTerms(const TrueAquifer& a, std::span<const TrueTerm> terms) {
    for (const TrueTerm& t : terms) {
      x.push_back(t.x);
      y.push_back(t.y);
      T_elapsed.push_back(a.T * t.elapsed_days);
      drawdown_per_W.push_back(model::kTrueDrawdownCoefficient * (t.dq / model::D(model::kMinutesPerDay)));
    }
    arrays = TrueTermArrays{x.data(), y.data(), T_elapsed.data(), drawdown_per_W.data(), terms.size(),
                            a.T, a.S, model::leakage_factor(a.T, a.leakance)};
  }
};

}  // namespace

double true_point_drawdown(double x, double y, const TrueAquifer& a, std::span<const TrueTerm> terms,
                           TrueWellFunction W) {
  if (W == nullptr) W = true_well_function;
  const double B = model::leakage_factor(a.T, a.leakance);
  double sum = 0.0;
  for (const TrueTerm& t : terms) {
    const double r = model::true_distance(x - t.x, y - t.y);
    sum += model::true_drawdown(t.dq, W(model::true_u(r, a.S, a.T, t.elapsed_days), r / B), a.T);
  }
  return sum;
}

void evaluate_true(DrawdownGrid& DD, std::span<const double> xs, std::span<const double> ys,
                   const TrueAquifer& aquifer, std::span<const TrueTerm> terms, const TrueOptions& options) {
  const auto rows = static_cast<std::int32_t>(ys.size());
  const auto columns = static_cast<std::int32_t>(xs.size());
  const bool lanes = options.well_function == nullptr || options.well_function == true_well_function;
  const PreparedTerms prepared(aquifer, terms);
  std::atomic<std::int32_t> next{1};
  auto work = [&] {
    std::vector<double> sums(xs.size());
    for (std::int32_t r; (r = next.fetch_add(1)) <= rows;) {
      const double y = ys[static_cast<std::size_t>(r - 1)];
      if (lanes) {
        true_grid_row(xs.data(), xs.size(), y, prepared.arrays, sums.data());
      } else {
        for (std::size_t c = 0; c < xs.size(); ++c)
          sums[c] = true_point_drawdown(xs[c], y, aquifer, terms, options.well_function);
      }
      for (std::int32_t c = 1; c <= columns; ++c)
        DD(c, r) = model::accumulate(static_cast<float>(sums[static_cast<std::size_t>(c - 1)]), DD(c, r));
      if (options.done != nullptr) options.done->fetch_add(static_cast<std::uint64_t>(columns) * terms.size());
    }
  };
  run_on_threads(std::clamp(options.threads, 1, std::max(rows, 1)), work);
}

}  // namespace engine
