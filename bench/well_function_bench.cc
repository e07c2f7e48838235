// Cost of one WUB call over realistic spreads of u and r/B.
//
// Each benchmark walks a fixed table of (u, rb) pairs once per iteration; the
// counter per_call is the time per WUB call.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "model/drawdown.h"
#include "model/well_function.h"

namespace {

struct Args {
  float u;
  float rb;
};

// The pairs a run sees: one well at the centre of a 300 x 300 grid with the
// worked example's aquifer (T 10000, S 0.0001, TIME 1 day, LEAK 0.001, SPACING
// 100 ft). u runs from 1.9e-8 at the well to about 8.4 at the corners, where
// some nodes are above the cut-off (u > 6, no integration), as in real runs.
std::vector<Args> GridPairs() {
  constexpr float T = 10000.0f, S = 0.0001f, TIME = 1.0f, LEAK = 0.001f;
  constexpr std::int32_t SPACING = 100, N = 300;
  const double factor = model::u_factor(T, S, TIME);
  const float B = model::leakage_factor(T, LEAK);
  std::vector<Args> pairs;
  pairs.reserve(N * N);
  for (std::int32_t j = 1; j <= N; ++j) {
    for (std::int32_t i = 1; i <= N; ++i) {
      const float R = model::DIST(SPACING, i, j, 150.5f, 150.5f);
      pairs.push_back({model::u_of(factor, R), model::rb_of(R, B)});
    }
  }
  return pairs;
}

// Every call integrates: u log-uniform on [1e-8, 6], rb on [0, 2], from a
// fixed generator so every run measures the same pairs.
std::vector<Args> IntegratingPairs() {
  constexpr int kCount = 65536;
  std::vector<Args> pairs;
  pairs.reserve(kCount);
  std::uint32_t state = 12345u;
  auto next = [&state] {
    state = state * 1664525u + 1013904223u;  // LCG; 24 high bits -> [0, 1)
    return static_cast<double>(state >> 8) / 16777216.0;
  };
  const double lo = std::log(1e-8), hi = std::log(6.0);
  for (int k = 0; k < kCount; ++k) {
    const float u = static_cast<float>(std::exp(lo + (hi - lo) * next()));
    const float rb = static_cast<float>(2.0 * next());
    pairs.push_back({u, rb});
  }
  return pairs;
}

void Run(benchmark::State& state, const std::vector<Args>& pairs) {
  for (auto _ : state) {
    for (const Args& a : pairs) benchmark::DoNotOptimize(model::WUB(a.u, a.rb));
  }
  const auto calls = static_cast<double>(pairs.size());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * pairs.size()));
  // Seconds per call, shown with an SI prefix (e.g. 900ns).
  state.counters["per_call"] = benchmark::Counter(
      calls, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_WUB_Grid300(benchmark::State& state) {
  static const std::vector<Args> pairs = GridPairs();
  Run(state, pairs);
}
BENCHMARK(BM_WUB_Grid300)->Unit(benchmark::kMillisecond);

void BM_WUB_Integrating(benchmark::State& state) {
  static const std::vector<Args> pairs = IntegratingPairs();
  Run(state, pairs);
}
BENCHMARK(BM_WUB_Integrating)->Unit(benchmark::kMillisecond);

}  // namespace
