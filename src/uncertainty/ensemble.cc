#include "uncertainty/ensemble.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

#include "scenario/depletion_limits.h"

namespace uncertainty {

Shape shape_of(const scenario::Scenario& s) {
  Shape shape;
  for (const scenario::Receptor& r : s.receptors)
    if (r.limit) ++shape.limits;
  if (scenario::has_stream_limits(s))
    for (const scenario::Boundary& b : s.boundaries)
      if (b.kind == scenario::BoundaryKind::stream && (b.depletion_limit || b.depletion_limit_fraction)) ++shape.limits;
  shape.receptors = s.receptors.size();
  shape.days = s.series_times.size();
  return shape;
}

namespace {

// The outcome of `copy` (the scenario with its aquifer replaced).
Outcome outcome_of(const scenario::Scenario& copy, const scenario::Evaluation& how) {
  Outcome o;
  o.aquifer = copy.aquifer;
  o.rate_factor = std::numeric_limits<double>::infinity();
  const bool limited = std::any_of(copy.receptors.begin(), copy.receptors.end(),
                                   [](const scenario::Receptor& r) { return r.limit.has_value(); });
  if (limited || scenario::has_stream_limits(copy)) {
    const scenario::Compliance c = scenario::compliance_of(copy, how);
    o.rate_factor = c.rate_factor;
    for (const scenario::ReceptorCompliance& r : c.receptors) o.exceeded.push_back(r.windows.empty() ? 0 : 1);
    for (const scenario::ReceptorCompliance& r : c.streams) o.exceeded.push_back(r.first_exceeded ? 1 : 0);
  }
  const std::vector<std::vector<float>> series = scenario::receptor_series(copy, copy.series_times, how);
  for (const std::vector<float>& receptor : series) o.series.insert(o.series.end(), receptor.begin(), receptor.end());
  return o;
}

}  // namespace

Outcome realize(const scenario::Scenario& s, const scenario::Evaluation& how, const scenario::Aquifer& a) {
  scenario::Scenario copy = s;
  copy.aquifer = a;
  return outcome_of(copy, how);
}

std::vector<Outcome> run(const scenario::Scenario& s, const scenario::Evaluation& how, const Draws& settings,
                         std::size_t from, std::size_t to, int threads, std::atomic<std::uint64_t>* done) {
  std::vector<Outcome> outcomes(to > from ? to - from : 0);
  const Realizations draws(settings, s.aquifer);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    scenario::Scenario copy = s;
    for (std::size_t k = next++; k < outcomes.size(); k = next++) {
      copy.aquifer = draws.at(from + k);
      outcomes[k] = outcome_of(copy, how);
      outcomes[k].index = from + k;
      if (done != nullptr) ++*done;
    }
  };
  const std::size_t workers = std::min<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), outcomes.size());
  std::vector<std::thread> pool;
  for (std::size_t w = 1; w < workers; ++w) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  return outcomes;
}

double percentile(std::span<const double> sorted, double p) {
  const double h = static_cast<double>(sorted.size() - 1) * p;
  const std::size_t lo = static_cast<std::size_t>(std::floor(h));
  if (lo + 1 >= sorted.size()) return sorted.back();
  return sorted[lo] + (h - static_cast<double>(lo)) * (sorted[lo + 1] - sorted[lo]);
}

double factor_at_reliability(std::vector<double> factors, double r) {
  std::sort(factors.begin(), factors.end());
  const std::size_t n = factors.size();
  // r n within a few rounding errors of a whole number is that number.
  const double need = static_cast<double>(n) * r;
  std::size_t m = static_cast<std::size_t>(std::ceil(need - 1e-9 * std::max(1.0, need)));
  m = std::clamp<std::size_t>(m, 1, n);
  return factors[n - m];
}

Summary summarize(std::span<const Outcome> outcomes, const Shape& shape, double reliability) {
  Summary out;
  const std::size_t n = outcomes.size();
  out.realizations = n;
  if (n == 0) return out;
  for (std::size_t k = 0; k < shape.limits; ++k) {
    std::size_t above = 0;
    for (const Outcome& o : outcomes) above += o.exceeded[k];
    const double p = static_cast<double>(above) / static_cast<double>(n);
    out.probability.push_back(p);
    out.standard_error.push_back(std::sqrt(p * (1.0 - p) / static_cast<double>(n)));
  }
  std::vector<double> values(n);
  for (std::size_t j = 0; j < shape.receptors * shape.days; ++j) {
    for (std::size_t i = 0; i < n; ++i) values[i] = outcomes[i].series[j];
    std::sort(values.begin(), values.end());
    out.percentiles.push_back({percentile(values, 0.05), percentile(values, 0.50), percentile(values, 0.95)});
  }
  std::vector<double> factors;
  for (const Outcome& o : outcomes) factors.push_back(o.rate_factor);
  out.reliable_factor = factor_at_reliability(std::move(factors), reliability);
  return out;
}

}  // namespace uncertainty
