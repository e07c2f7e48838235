// The calibration of the fit's 95% intervals over many synthetic tests with
// AR(1) noise, with and without the allowance for serial correlation:
//   fit_calibration [TESTS [PHI [READINGS]]]
// (the unit test runs a few; this prints the coverage of many).
#include <cstdio>
#include <cstdlib>

#include "calibration.h"

int main(int argc, char** argv) {
  const int tests = argc > 1 ? std::atoi(argv[1]) : 200;
  const double phi = argc > 2 ? std::atof(argv[2]) : 0.8;
  const int readings = argc > 3 ? std::atoi(argv[3]) : 40;  // per piezometer
  for (bool log_spaced : {false, true})
    for (bool serial : {true, false}) {
      const fit_testing::Coverage c = fit_testing::coverage(tests, 1000, phi, log_spaced, serial, readings);
      const int determined = c.tests - c.undetermined;
      std::printf("%s readings, %-28s: T %d, S %d, leakance %d of %d (%.1f %% of all; %d undetermined; mean phi %.3f)\n",
                  log_spaced ? "log-spaced" : "evenly spaced", serial ? "AR(1) allowed for" : "plain least squares",
                  c.inside[0], c.inside[1], c.inside[2], determined, 100.0 * c.held() / (3.0 * determined),
                  c.undetermined, c.mean_phi);
    }
  return 0;
}
