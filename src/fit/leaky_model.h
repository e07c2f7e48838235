// The drawdown the leaky-aquifer solution gives at an observation point, with
// its derivatives with respect to the logarithms of the aquifer parameters:
// what the fit's least squares minimise over.
#pragma once

#include "fit/pumping_test.h"

namespace fit {

/// The true well function W(u, r/B), in double.
using WellFunction = double (*)(double u, double rb);

/// c * I2(u, c), where I2(u, c) = integral from u to infinity of
/// exp(-y - c/y) / y^2 dy (c = (r/B)^2 / 4 >= 0, u > 0): the integral the
/// derivative of W with respect to r/B needs, dW/d(r/B) = -(r/B)/2 * I2. In
/// double to a relative error of about 1e-10 (Boost.Math quadrature); 0 for
/// c = 0.
double scaled_i2(double u, double c);

/// A modelled drawdown in feet and its derivatives.
struct Modelled {
  double drawdown = 0.0;
  Parameters gradient = {0.0, 0.0, 0.0};  ///< d drawdown / d ln T, d ln S, d ln leakance
};

/// The drawdown in feet at (x, y) feet `day` days after pumping began, by the
/// drawdown formula of a study's exact mode: for each well and each step of
/// its schedule that began before `day`, the rate change after its elapsed
/// time at the well's distance (at least 1 foot), with the aquifer `p`.
/// Without `with_gradient` the gradient is left 0.
Modelled modelled_drawdown(const PumpingTest& test, double x, double y, double day, const Parameters& p,
                           WellFunction W, bool with_gradient);

}  // namespace fit
