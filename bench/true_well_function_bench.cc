// Cost of the true well function per (u, r/B) pair: engine::true_well_function
// one call at a time, its SIMD lanes on the whole table, and the adaptive
// quadrature model::reference_well_function it replaces, over
//   - the pairs of a full-size leaky run (T 50000, S 0.0002, 30 days, LEAK
//     0.001, 100 ft spacing, one well at the centre of a 300 x 300 grid), and
//   - a spread of every form: u log-spaced from 1e-6 to 50, r/B from 0 to 10.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/true_well_function.h"
#include "model/reference_well_function.h"
#include "model/true_drawdown.h"

namespace {

struct Table {
  std::vector<double> u, rb, W;
};

const Table& FullSize() {
  static const Table table = [] {
    Table t;
    const double B = model::leakage_factor(50000.0, 0.001);
    for (int j = 1; j <= 300; ++j)
      for (int i = 1; i <= 300; ++i) {
        const double r = model::true_distance(100.0 * (i - 150.3), 100.0 * (j - 150.7));
        t.u.push_back(model::true_u(r, 0.0002, 50000.0, 30.0));
        t.rb.push_back(r / B);
      }
    t.W.resize(t.u.size());
    return t;
  }();
  return table;
}

const Table& Spread() {
  static const Table table = [] {
    Table t;
    for (int j = 0; j < 300; ++j)
      for (int i = 0; i < 300; ++i) {
        t.u.push_back(std::pow(10.0, -6.0 + 7.7 * i / 299.0));
        t.rb.push_back(10.0 * j / 299.0);
      }
    t.W.resize(t.u.size());
    return t;
  }();
  return table;
}

void Report(benchmark::State& state, std::size_t calls) {
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * calls));
  state.counters["per_call"] = benchmark::Counter(
      static_cast<double>(calls), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <const Table& (*pairs)()>
void BM_TrueW_Scalar(benchmark::State& state) {
  const Table& t = pairs();
  for (auto _ : state)
    for (std::size_t i = 0; i < t.u.size(); ++i) benchmark::DoNotOptimize(engine::true_well_function(t.u[i], t.rb[i]));
  Report(state, t.u.size());
}

template <const Table& (*pairs)()>
void BM_TrueW_Lanes(benchmark::State& state) {
  Table t = pairs();
  for (auto _ : state) {
    engine::true_well_function_lanes(t.u, t.rb, t.W);
    benchmark::DoNotOptimize(t.W.data());
  }
  Report(state, t.u.size());
}

// The adaptive quadrature on every 90th pair (about 12 microseconds each).
template <const Table& (*pairs)()>
void BM_ExactReference(benchmark::State& state) {
  const Table& t = pairs();
  std::size_t calls = 0;
  for (auto _ : state) {
    calls = 0;
    for (std::size_t i = 0; i < t.u.size(); i += 90, ++calls)
      benchmark::DoNotOptimize(model::reference_well_function(t.u[i], t.rb[i]));
  }
  Report(state, calls);
}

BENCHMARK(BM_TrueW_Scalar<FullSize>)->Name("TrueW_Scalar/full_size")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrueW_Lanes<FullSize>)->Name("TrueW_Lanes/full_size")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactReference<FullSize>)->Name("ExactReference/full_size")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrueW_Scalar<Spread>)->Name("TrueW_Scalar/spread")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrueW_Lanes<Spread>)->Name("TrueW_Lanes/spread")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExactReference<Spread>)->Name("ExactReference/spread")->Unit(benchmark::kMillisecond);

}  // namespace
