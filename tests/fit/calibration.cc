#include "calibration.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/true_well_function.h"
#include "fit/leaky_model.h"
#include "fit/models.h"
#include "fit/solve.h"

namespace fit_testing {
namespace {

// The test's readings with the truth's drawdowns and the correlated noise,
// drawn independently of the fit's code: e_1 ~ N(0, s^2), e_i = rho_i
// e_{i-1} + sqrt(1 - rho_i^2) N(0, s^2), rho_i = phi^(dt_i / d).
fit::PumpingTest made(const fit::Parameters& truth, double phi, bool log_spaced, int kCount, std::mt19937& random) {
  constexpr double kNoise = 0.03, kFirst = 0.01, kLast = 2.0;
  fit::PumpingTest test;
  test.title = "calibration";
  test.fit = fit::default_settings(test.model);
  test.wells.push_back({"PW", 0.0, 0.0, {{0.0, 250000.0}}});
  std::normal_distribution<double> z(0.0, 1.0);
  for (double r : {60.0, 200.0, 500.0}) {
    fit::Observation o;
    o.name = "P";
    o.name += std::to_string(static_cast<int>(r));
    o.x = r;
    std::vector<double> days;
    for (int k = 0; k < kCount; ++k)
      days.push_back(log_spaced ? kFirst * std::pow(kLast / kFirst, k / (kCount - 1.0))
                                : kFirst + (kLast - kFirst) * k / (kCount - 1.0));
    std::vector<double> gaps;
    for (int k = 1; k < kCount; ++k) gaps.push_back(days[k] - days[k - 1]);
    std::nth_element(gaps.begin(), gaps.begin() + static_cast<std::ptrdiff_t>(gaps.size() / 2), gaps.end());
    const double d = gaps[gaps.size() / 2];
    double e = kNoise * z(random);
    for (int k = 0; k < kCount; ++k) {
      if (k > 0) {
        const double rho = std::pow(phi, (days[k] - days[k - 1]) / d);
        e = rho * e + std::sqrt(1.0 - rho * rho) * kNoise * z(random);
      }
      const double s = fit::modelled_drawdown(test, o.x, o.y, days[k], truth, engine::true_well_function, false).drawdown;
      o.readings.push_back({days[k], s + e, static_cast<std::size_t>(k + 2), days[k], s + e});
    }
    test.observations.push_back(o);
  }
  return test;
}

}  // namespace

Coverage coverage(int tests, std::uint32_t first_seed, double phi, bool log_spaced, bool serial_errors,
                  int readings) {
  const fit::Parameters truth = {30000.0, 2e-4, 5e-4};
  const fit::LeakyModel leaky(engine::true_well_function);
  Coverage c;
  double phis = 0.0;
  int serial = 0;
  for (int i = 0; i < tests; ++i) {
    std::mt19937 random(first_seed + static_cast<std::uint32_t>(i));
    fit::PumpingTest test = made(truth, phi, log_spaced, readings, random);
    test.fit.serial_errors = serial_errors;
    const fit::Estimate e = fit::fit_test(test, leaky);
    ++c.tests;
    if (!e.determined) {
      ++c.undetermined;
      continue;
    }
    for (std::size_t j = 0; j < 3; ++j)
      c.inside[j] += e.interval[j][0] <= truth[j] && truth[j] <= e.interval[j][1] ? 1 : 0;
    for (const fit::SerialCorrelation& s : e.serial) phis += s.phi, ++serial;
  }
  c.mean_phi = serial > 0 ? phis / serial : 0.0;
  return c;
}

}  // namespace fit_testing
