// Cost of one aquifer-test fit: four piezometers of 50 readings each, a leaky
// aquifer with noise, the three parameters fitted from the type-curve start,
// with the program's true well function (the target: under a second).

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "engine/true_well_function.h"
#include "fit/solve.h"

namespace {

fit::PumpingTest FourPiezometers() {
  const fit::Parameters truth = {30000.0, 2e-4, 5e-4};
  fit::PumpingTest t;
  t.title = "bench";
  t.wells = {{"PW", 0.0, 0.0, {{0.0, 250000.0}}}};
  std::mt19937 random(20261207);
  std::normal_distribution<double> noise(0.0, 0.01);
  for (double r : {50.0, 120.0, 300.0, 700.0}) {
    fit::Observation o;
    o.name = "P" + std::to_string(static_cast<int>(r));
    o.x = r;
    for (int k = 0; k < 50; ++k) {
      const double day = 1e-3 * std::pow(3000.0, k / 49.0);
      const double s = fit::modelled_drawdown(t, r, 0.0, day, truth, engine::true_well_function, false).drawdown;
      o.readings.push_back({day, s + noise(random), static_cast<std::size_t>(k + 2), day, s});
    }
    t.observations.push_back(o);
  }
  return t;
}

void BM_Fit_FourPiezometers(benchmark::State& state) {
  static const fit::PumpingTest test = FourPiezometers();
  for (auto _ : state) benchmark::DoNotOptimize(fit::fit_test(test, engine::true_well_function));
}
BENCHMARK(BM_Fit_FourPiezometers)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
