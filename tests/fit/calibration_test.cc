// The fit's 95% intervals on synthetic leaky tests with AR(1) noise (phi 0.8):
// allowing for the serial correlation they hold the truth about as often as
// they should, with readings evenly spaced and log-spaced; as plain least
// squares (independent errors) they would not. A few tests here, for the
// time under the sanitizers; fit_calibration counts many (the README quotes
// 300 intervals of each kind).
#include <gtest/gtest.h>

#include "calibration.h"

namespace {

TEST(Calibration, WithAr1NoiseTheIntervalsHoldTheTruthAndPlainLeastSquaresWouldNot) {
  constexpr int kTests = 5;
  for (bool log_spaced : {false, true}) {
    const fit_testing::Coverage allowed = fit_testing::coverage(kTests, 1000, 0.8, log_spaced, true);
    ASSERT_EQ(allowed.undetermined, 0);
    // 3 x 5 = 15 intervals: at 95% about 14 hold the truth; at least 13 (87%).
    EXPECT_GE(allowed.held(), 13) << (log_spaced ? "log-spaced" : "evenly spaced");
    EXPECT_GT(allowed.mean_phi, 0.5) << "the AR(1) correlation is found";
  }
  // Least squares' intervals on the same tests, too narrow by about 3 here,
  // hold the truth in about half (of 300: 49%); at most 10 of 15.
  const fit_testing::Coverage plain = fit_testing::coverage(kTests, 1000, 0.8, false, false);
  EXPECT_LE(plain.held(), 10);
}

}  // namespace
