// Cost of one aquifer-test fit: four piezometers of 50 readings each, a leaky
// aquifer with noise, the three parameters fitted from the type-curve start,
// with the program's true well function (the target: under a second); and one
// piezometer of a million readings (a logger's record) in a confined aquifer,
// T and S fitted (the target: under 10 seconds; the fit is linear in its
// readings).

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>

#include "engine/true_well_function.h"
#include "fit/leaky_model.h"
#include "fit/models.h"
#include "fit/solve.h"

namespace {

fit::PumpingTest FourPiezometers() {
  const fit::Parameters truth = {30000.0, 2e-4, 5e-4};
  fit::PumpingTest t;
  t.title = "bench";
  t.wells = {{"PW", 0.0, 0.0, {{0.0, 250000.0}}}};
  t.fit = fit::default_settings(t.model);
  std::mt19937 random(20261207);
  std::normal_distribution<double> noise(0.0, 0.01);
  for (double r : {50.0, 120.0, 300.0, 700.0}) {
    fit::Observation o;
    o.name = "P";  // appended: GCC 12 warns of "P" + a string (-Wrestrict) wrongly
    o.name += std::to_string(static_cast<int>(r));
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
  for (auto _ : state) benchmark::DoNotOptimize(fit::fit_test(test, fit::LeakyModel(engine::true_well_function)));
}
BENCHMARK(BM_Fit_FourPiezometers)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

fit::PumpingTest OneLogger(int readings) {
  const fit::Parameters truth = {30000.0, 2e-4, 0.0};
  fit::PumpingTest t;
  t.title = "bench";
  t.wells = {{"PW", 0.0, 0.0, {{0.0, 250000.0}}}};
  t.fit = fit::default_settings(t.model);
  std::mt19937 random(20261208);
  std::normal_distribution<double> noise(0.0, 0.01);
  fit::Observation o;
  o.name = "P120";
  o.x = 120.0;
  o.readings.reserve(static_cast<std::size_t>(readings));
  for (int k = 0; k < readings; ++k) {
    const double day = 1e-3 * std::pow(3000.0, k / (readings - 1.0));
    const double s = fit::modelled_drawdown(t, o.x, 0.0, day, truth, engine::true_well_function, false).drawdown;
    o.readings.push_back({day, s + noise(random), static_cast<std::size_t>(k + 2), day, s});
  }
  t.observations.push_back(std::move(o));
  t.fit.fitted = {true, true, false};
  return t;
}

void BM_Fit_OneLogger(benchmark::State& state) {
  const fit::PumpingTest test = OneLogger(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(fit::fit_test(test, fit::LeakyModel(engine::true_well_function)));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Fit_OneLogger)
    ->Arg(10000)
    ->Arg(1000000)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace
