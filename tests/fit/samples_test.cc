// The samples drawn from a fit's uncertainty: their logarithms' means,
// standard deviations and correlation against the covariance they are drawn
// from (sample statistics, computed here), the held parameter at its value,
// the units of aquifer.toml, the same bytes for the same seed, and a header
// alone for a fit that is not determined.
#include "fit/samples.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "fit/leaky_model.h"
#include "fit/models.h"
#include "model/reference_well_function.h"

namespace {

struct Rows {
  std::string header;
  std::vector<std::vector<double>> values;
};

Rows rows_of(const std::string& csv) {
  std::istringstream in(csv);
  Rows rows;
  std::getline(in, rows.header);
  for (std::string line; std::getline(in, line);) {
    std::vector<double> row;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, ',');) row.push_back(std::stod(field));
    rows.values.push_back(row);
  }
  return rows;
}

// An estimate of T and S with standard errors 10% and 30% on the log scale
// and correlation -0.8; the leakance held.
fit::Estimate estimate() {
  fit::Estimate e;
  e.value = {30000.0, 2e-4, 1e-3};
  e.covariance = {{0.01, -0.8 * 0.1 * 0.3, 0.0}, {-0.8 * 0.1 * 0.3, 0.09, 0.0}, {0.0, 0.0, 0.0}};
  return e;
}

TEST(Samples, TheirLogarithmsFollowTheFitsCovariance) {
  const fit::LeakyModel leaky(model::reference_well_function);
  for (bool metric : {false, true}) {
    fit::PumpingTest test;
    test.fit = fit::default_settings("leaky");
    test.fit.fitted = {true, true, false};
    if (metric) test.units.length = {"m", 1.0 / 0.3048};
    // T in m2/d: gpd/ft over gallons per cubic foot is ft2/d, times 0.3048^2.
    const double T_factor = metric ? 0.3048 * 0.3048 / (1728.0 / 231.0) : 1.0;
    const double L_factor = metric ? 231.0 / 1728.0 : 1.0;  // gpd/ft3 to 1/d
    const Rows rows = rows_of(fit::samples_csv(test, leaky, estimate(), 20000, fit::kSampleSeed));
    EXPECT_EQ(rows.header, "transmissivity,storage,leakance");
    ASSERT_EQ(rows.values.size(), 20000u);
    double m[2] = {0.0, 0.0}, c[3] = {0.0, 0.0, 0.0};
    const double truth[2] = {std::log(30000.0 * T_factor), std::log(2e-4)};
    for (const auto& row : rows.values) {
      ASSERT_EQ(row.size(), 3u);
      EXPECT_NEAR(row[2], 1e-3 * L_factor, 1e-15) << "the leakance is held";
      const double x = std::log(row[0]) - truth[0], y = std::log(row[1]) - truth[1];
      m[0] += x, m[1] += y, c[0] += x * x, c[1] += y * y, c[2] += x * y;
    }
    const double n = 20000.0;
    for (double& v : m) v /= n;
    for (double& v : c) v /= n;
    // Standard errors of the sample statistics at n = 20000: the means
    // 0.1 / 141 and 0.3 / 141, the standard deviations 0.5%, the correlation 0.003.
    EXPECT_NEAR(m[0], 0.0, 0.003) << metric;
    EXPECT_NEAR(m[1], 0.0, 0.009) << metric;
    EXPECT_NEAR(std::sqrt(c[0]), 0.1, 0.002) << metric;
    EXPECT_NEAR(std::sqrt(c[1]), 0.3, 0.006) << metric;
    EXPECT_NEAR(c[2] / std::sqrt(c[0] * c[1]), -0.8, 0.012) << metric;
  }
}

TEST(Samples, TheSeedFixesTheBytesAndAFitNotDeterminedGetsTheHeaderAlone) {
  const fit::LeakyModel leaky(model::reference_well_function);
  fit::PumpingTest test;
  test.fit = fit::default_settings("leaky");
  test.fit.fitted = {true, true, false};
  fit::Estimate e = estimate();
  const std::string first = fit::samples_csv(test, leaky, e, 50, fit::kSampleSeed);
  EXPECT_EQ(fit::samples_csv(test, leaky, e, 50, fit::kSampleSeed), first);
  EXPECT_NE(fit::samples_csv(test, leaky, e, 50, fit::kSampleSeed + 1), first);
  std::size_t end = 0;
  for (int line = 0; line < 11; ++line) end = first.find('\n', end) + 1;  // the header and 10 rows
  EXPECT_EQ(fit::samples_csv(test, leaky, e, 10, fit::kSampleSeed), first.substr(0, end))
      << "the first rows do not depend on the count";
  e.determined = false;
  EXPECT_EQ(fit::samples_csv(test, leaky, e, 50, fit::kSampleSeed), "transmissivity,storage,leakance\n");
}

}  // namespace
