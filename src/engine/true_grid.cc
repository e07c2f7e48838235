#include "engine/true_grid.h"

#include <algorithm>
#include <vector>

#include "engine/evaluate.h"
#include "engine/true_grid_row.h"
#include "engine/true_radial.h"
#include "engine/true_runs.h"
#include "engine/true_well_function.h"
#include "model/drawdown.h"
#include "model/true_drawdown.h"

namespace engine {
namespace {

// The terms as arrays, with the constants of each that do not depend on the
// node, and (for the lanes) the long runs' pieces.
struct PreparedTerms {
  std::vector<double> x, y, T_elapsed, drawdown_per_W;
  TrueRunPlan plan;
  TrueTermArrays arrays;

  PreparedTerms(const TrueAquifer& a, std::span<const TrueTerm> terms, bool runs) {
    x.reserve(terms.size());
    y.reserve(terms.size());
    T_elapsed.reserve(terms.size());
    drawdown_per_W.reserve(terms.size());
    for (const TrueTerm& t : terms) {
      x.push_back(t.x);
      y.push_back(t.y);
      T_elapsed.push_back(a.T * t.elapsed_days);
      drawdown_per_W.push_back(model::kTrueDrawdownCoefficient * (t.dq / model::D(model::kMinutesPerDay)));
    }
    if (runs) plan = plan_runs(x.data(), y.data(), T_elapsed.data(), terms.size());
    arrays = TrueTermArrays{x.data(), y.data(), T_elapsed.data(), drawdown_per_W.data(), terms.size(),
                            a.T, a.S, model::leakage_factor(a.T, a.leakance),
                            plan.segments.data(), plan.segments.size(), plan.t.empty() ? nullptr : plan.t.data()};
  }
};

// The terms in stretches summed one way: the lanes' segments, or terms
// with radial tables.
struct Stretch {
  bool radial = false;
  std::size_t begin = 0, end = 0;  // radial: the terms; else the segments in `segments`
};

struct RadialTerms {
  TrueRadialPlan plan;
  std::vector<TrueSegment> segments;
  std::vector<Stretch> stretches;

  RadialTerms() = default;
  // Splits the segments (one plain one for all terms without runs) where
  // terms take a table.
  RadialTerms(const PreparedTerms& p, std::span<const double> xs, std::span<const double> ys, bool always) {
    const TrueTermArrays& a = p.arrays;
    std::vector<TrueSegment> all(a.segments, a.segments + a.segment_count);
    if (all.empty() && a.count > 0) all.push_back(TrueSegment{0, a.count, false, {}});
    std::vector<bool> candidate(a.count, false);
    for (const TrueSegment& s : all)
      if (!s.piece) std::fill(candidate.begin() + static_cast<std::ptrdiff_t>(s.begin),
                              candidate.begin() + static_cast<std::ptrdiff_t>(s.end), true);
    plan = plan_radial(a, candidate, xs, ys, always);
    if (plan.tables.empty()) return;
    for (const TrueSegment& s : all) {
      if (s.piece) {
        AddSegment(s);
        continue;
      }
      for (std::size_t k = s.begin; k < s.end;) {
        const bool radial = plan.table_of[k] >= 0;
        std::size_t end = k + 1;
        while (end < s.end && (plan.table_of[end] >= 0) == radial) ++end;
        if (radial)
          stretches.push_back(Stretch{true, k, end});
        else
          AddSegment(TrueSegment{k, end, false, {}});
        k = end;
      }
    }
  }

  void AddSegment(const TrueSegment& s) {
    if (stretches.empty() || stretches.back().radial) stretches.push_back(Stretch{false, segments.size(), segments.size()});
    segments.push_back(s);
    stretches.back().end = segments.size();
  }

  // sums = the node sums of the row at y, stretch by stretch.
  void Row(const double* xs, std::size_t n, double y, const TrueTermArrays& a, RadialScratch& scratch,
           double* sums) const {
    std::fill(sums, sums + n, 0.0);
    for (const Stretch& s : stretches) {
      if (s.radial) {
        radial_row_add(xs, n, y, a, plan, s.begin, s.end, scratch, sums);
        continue;
      }
      TrueTermArrays part = a;
      part.segments = segments.data() + s.begin;
      part.segment_count = s.end - s.begin;
      true_grid_row_add(xs, n, y, part, sums);
    }
  }
};

// Whether the terms hold a run long enough to be cut into pieces (the
// lengths only; plan_runs decides).
bool has_long_run(std::span<const TrueTerm> terms) {
  std::size_t length = 1;
  for (std::size_t k = 1; k < terms.size(); ++k) {
    const bool on = terms[k].x == terms[k - 1].x && terms[k].y == terms[k - 1].y &&
                    terms[k].elapsed_days < terms[k - 1].elapsed_days;
    length = on ? length + 1 : 1;
    if (length >= true_run::kMinRunTerms) return true;
  }
  return false;
}

}  // namespace

double true_point_drawdown(double x, double y, const TrueAquifer& a, std::span<const TrueTerm> terms,
                           TrueWellFunction W) {
  if ((W == nullptr || W == true_well_function) && has_long_run(terms)) {
    // The grid's own path, at one node.
    const PreparedTerms prepared(a, terms, true);
    double sum = 0.0;
    true_grid_row(&x, 1, y, prepared.arrays, &sum);
    return sum;
  }
  const double B = model::leakage_factor(a.T, a.leakance);
  double sum = 0.0;
  if (W != nullptr && W != true_well_function) {
    for (const TrueTerm& t : terms) {
      const double r = model::true_distance(x - t.x, y - t.y);
      sum += model::true_drawdown(t.dq, W(model::true_u(r, a.S, a.T, t.elapsed_days), r / B), a.T);
    }
    return sum;
  }
  // The program's own well function in lanes, a chunk of terms at a time:
  // the same bits as term by term, summed in the same order.
  constexpr std::size_t kChunk = 256;
  double u[kChunk], rb[kChunk], w[kChunk];
  for (std::size_t start = 0; start < terms.size(); start += kChunk) {
    const std::size_t n = std::min(kChunk, terms.size() - start);
    for (std::size_t k = 0; k < n; ++k) {
      const TrueTerm& t = terms[start + k];
      const double r = model::true_distance(x - t.x, y - t.y);
      u[k] = model::true_u(r, a.S, a.T, t.elapsed_days);
      rb[k] = r / B;
    }
    true_well_function_lanes({u, n}, {rb, n}, {w, n});
    for (std::size_t k = 0; k < n; ++k) sum += model::true_drawdown(terms[start + k].dq, w[k], a.T);
  }
  return sum;
}

void evaluate_true(DrawdownGrid& DD, std::span<const double> xs, std::span<const double> ys,
                   const TrueAquifer& aquifer, std::span<const TrueTerm> terms, const TrueOptions& options) {
  const auto rows = static_cast<std::int32_t>(ys.size());
  const auto columns = static_cast<std::int32_t>(xs.size());
  const bool lanes = options.well_function == nullptr || options.well_function == true_well_function;
  const PreparedTerms prepared(aquifer, terms, lanes);
  const bool radial = lanes && options.radial != TrueRadial::never;
  const RadialTerms radial_terms = radial ? RadialTerms(prepared, xs, ys, options.radial == TrueRadial::always)
                                          : RadialTerms();
  std::atomic<std::int32_t> next{1};
  auto work = [&] {
    std::vector<double> sums(xs.size());
    RadialScratch scratch;
    for (std::int32_t r; (r = next.fetch_add(1)) <= rows;) {
      const double y = ys[static_cast<std::size_t>(r - 1)];
      if (!radial_terms.stretches.empty()) {
        radial_terms.Row(xs.data(), xs.size(), y, prepared.arrays, scratch, sums.data());
      } else if (lanes) {
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
