#include "synthetic_tests.h"

#include <cmath>
#include <random>
#include <string>

namespace fit_testing {

fit::PumpingTest synthetic_test(const fit::Parameters& truth, std::initializer_list<double> distances, double rate,
                                double first_day, double last_day, int count, double stop_day, double noise,
                                std::uint32_t seed, fit::WellFunction W) {
  fit::PumpingTest test;
  test.title = "synthetic";
  test.fit = fit::default_settings(test.model);
  fit::Well well{"PW", 0.0, 0.0, {{0.0, rate}}};
  if (stop_day > 0.0) well.steps.push_back({stop_day, 0.0});
  test.wells.push_back(well);
  std::mt19937 random(seed);
  std::normal_distribution<double> error(0.0, noise > 0.0 ? noise : 1.0);
  for (double r : distances) {
    fit::Observation o;
    o.name = "P";
    o.name += std::to_string(static_cast<int>(r));
    o.x = r;
    for (int k = 0; k < count; ++k) {
      const double day = first_day * std::pow(last_day / first_day, k / (count - 1.0));
      double s = fit::modelled_drawdown(test, o.x, o.y, day, truth, W, false).drawdown;
      if (noise > 0.0) s += error(random);
      o.readings.push_back({day, s, static_cast<std::size_t>(k + 2), day, s});
    }
    test.observations.push_back(o);
  }
  return test;
}

}  // namespace fit_testing
