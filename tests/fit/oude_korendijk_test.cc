// The fit against a published pumping test: the Oude Korendijk test
// (Kruseman, G.P. and De Ridder, N.A., Analysis and Evaluation of Pumping Test
// Data, ILRI, 1970; 2nd ed. 1990), as examples/fit holds it, a confined
// aquifer fitted for T and S with leakance 0.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/reader.h"
#include "fit/solve.h"
#include "fit/leaky_model.h"
#include "fit/units.h"
#include "model/reference_well_function.h"

namespace {

TEST(OudeKorendijk, AgreesWithThePublishedLeastSquaresEstimates) {
  const fit::PumpingTest test = fit::read_test_file(LEAKY_SOURCE_DIR "/examples/fit/oude-korendijk.toml");
  const fit::Estimate e = fit::fit_test(test, fit::LeakyModel(model::reference_well_function));
  const double T_m2_per_day = fit::transmissivity_in(e.value[fit::kTransmissivity], test.units) * 1440.0;
  const double S = e.value[fit::kStorage];
  const double rmse_m = e.rmse * 0.3048;
  // Both piezometers fitted together with the Theis model, as published
  // (shared/pumping-tests/oude-korendijk/README.md): a commercial aquifer-test
  // program T = 462.6 m2/d, S = 1.779e-4, RMSE 0.05006 m; a layered-aquifer
  // program T = 467.95 m2/d (its S, 1.680e-4, lies 5.6% from the other's).
  EXPECT_NEAR(T_m2_per_day, 462.6, 0.02 * 462.6);
  EXPECT_NEAR(T_m2_per_day, 467.95, 0.02 * 467.95);
  EXPECT_NEAR(S, 1.779e-4, 0.02 * 1.779e-4);
  EXPECT_NEAR(rmse_m, 0.05006, 0.02 * 0.05006);
  EXPECT_EQ(e.readings, 69u);
  EXPECT_EQ(e.value[fit::kLeakance], 0.0);
  // The early readings show well-bore storage, which the model leaves out.
  ASSERT_EQ(e.warnings.size(), 1u);
  EXPECT_EQ(e.warnings[0].rfind("the residuals show a trend", 0), 0u) << e.warnings[0];
}

}  // namespace
