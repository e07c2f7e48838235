// The streams' depletion of a large plan: 100 wells of two rate steps each,
// two streams, every well's depletion of each stream at day 100 (the
// responses built, the images of a strip kept for day 100, then evaluated).
// The target: under 0.5 s.
#include <benchmark/benchmark.h>

#include <string>

#include "scenario/depletion.h"

namespace {

scenario::Scenario plan(bool strip, double leakance) {
  scenario::Scenario s;
  s.aquifer = {50000.0, leakance, 2e-4};
  s.times = {100.0};
  for (int i = 0; i < 100; ++i) {
    const double x = 100.0 + 37.0 * (i % 10) * 5.0, y = 100.0 + 19.0 * (i / 10) * 10.0;
    std::string name = "W";
    name += std::to_string(i);
    s.wells.push_back({name, x, y, {{0.0, 100000.0}, {30.0 + i % 7, 150000.0}}, 1.0});
  }
  scenario::Boundary a, b;
  a.kind = b.kind = scenario::BoundaryKind::stream;
  a.name = "north", b.name = strip ? "south" : "west";
  a.x0 = 0.0, a.y0 = 2200.0, a.x1 = 1.0, a.y1 = 2200.0;  // y = 2200
  if (strip) {
    b.x0 = 0.0, b.y0 = 0.0, b.x1 = 1.0, b.y1 = 0.0;  // y = 0: a strip 2200 ft wide
  } else {
    b.x0 = 0.0, b.y0 = 0.0, b.x1 = 0.0, b.y1 = 1.0;  // x = 0: a quadrant
  }
  s.boundaries = {a, b};
  return s;
}

void depletion_at_day_100(benchmark::State& state, bool strip, double leakance) {
  const scenario::Scenario s = plan(strip, leakance);
  for (auto _ : state) {
    const scenario::Depletion d(s, 100.0);
    double sum = 0.0;
    for (std::size_t k = 0; k < d.streams().size(); ++k)
      for (std::size_t w = 0; w < s.wells.size(); ++w) sum += d.of_well(k, w, 100.0);
    benchmark::DoNotOptimize(sum);
  }
}

}  // namespace

BENCHMARK_CAPTURE(depletion_at_day_100, strip_no_leakage, true, 0.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(depletion_at_day_100, strip_leaky, true, 5e-5)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(depletion_at_day_100, quadrant_no_leakage, false, 0.0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(depletion_at_day_100, quadrant_leaky, false, 5e-5)->Unit(benchmark::kMillisecond);
