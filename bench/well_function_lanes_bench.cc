// Cost of the well function per (u, r/B) pair: model::WUB one call at a time
// against WUB_lanes on the whole table, over the pairs of a full-size leaky run
// (T 50000, S 0.0002, TIME 30 days, LEAK 0.001, SPACING 100 ft, one well at
// the centre of a 300 x 300 grid; every node integrates).

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "engine/well_function_lanes.h"
#include "model/drawdown.h"
#include "model/well_function.h"

namespace {

struct Table {
  std::vector<float> u, rb, W;
};

const Table& Pairs() {
  static const Table table = [] {
    Table t;
    const double factor = model::u_factor(50000.0f, 0.0002f, 30.0f);
    const float B = model::leakage_factor(50000.0f, 0.001f);
    for (std::int32_t j = 1; j <= 300; ++j)
      for (std::int32_t i = 1; i <= 300; ++i) {
        const float R = model::DIST(100, i, j, 150.3f, 150.7f);
        t.u.push_back(model::u_of(factor, R));
        t.rb.push_back(model::rb_of(R, B));
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

void BM_WUB_Scalar(benchmark::State& state) {
  const Table& t = Pairs();
  for (auto _ : state)
    for (std::size_t i = 0; i < t.u.size(); ++i) benchmark::DoNotOptimize(model::WUB(t.u[i], t.rb[i]));
  Report(state, t.u.size());
}
BENCHMARK(BM_WUB_Scalar)->Unit(benchmark::kMillisecond);

void BM_WUB_Lanes(benchmark::State& state) {
  Table t = Pairs();
  for (auto _ : state) {
    engine::WUB_lanes(t.u, t.rb, t.W);
    benchmark::DoNotOptimize(t.W.data());
  }
  state.SetLabel(engine::lanes_target());
  Report(state, t.u.size());
}
BENCHMARK(BM_WUB_Lanes)->Unit(benchmark::kMillisecond);

}  // namespace
