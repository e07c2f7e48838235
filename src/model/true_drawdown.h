// The drawdown of one well term by the true well function W(u, r/B), in
// double: the formula of the exact mode, beside the rule's DRAWDN
// (model/drawdown.h), with the rule's constants where they are exact.
#pragma once

#include <cmath>

#include "model/rule.h"

namespace model {

/// u = kTrueUCoefficient r^2 S / (T t) (feet, days and gallons): the rule's
/// kUCoefficient as the decimal it stands for, in double.
inline constexpr double kTrueUCoefficient = 1.87025;
/// s = kTrueDrawdownCoefficient (dq / kMinutesPerDay) W / T: the rule's
/// kDrawdownCoefficient as the decimal it stands for, in double.
inline constexpr double kTrueDrawdownCoefficient = 114.59156;
static_assert(single(kTrueUCoefficient) == kUCoefficient && single(kTrueDrawdownCoefficient) == kDrawdownCoefficient,
              "the double constants are the rule's decimals");

/// The distance in feet from a well at offset (dx, dy) feet:
/// max(kLeastDistance, sqrt(dx*dx + dy*dy)).
inline double true_distance(double dx, double dy) {
  const double r = std::sqrt(dx * dx + dy * dy);
  return D(kLeastDistance) < r ? r : D(kLeastDistance);
}

/// u at distance r feet after `elapsed` days: ((kTrueUCoefficient r) r S) / (T elapsed).
inline double true_u(double r, double S, double T, double elapsed) {
  return kTrueUCoefficient * r * r * S / (T * elapsed);
}

/// The leakage factor B = sqrt(T / leakance) in feet; +infinity without
/// leakage, so that r/B is 0.
inline double leakage_factor(double T, double leakance) { return std::sqrt(T / leakance); }

/// The drawdown in feet of a rate change dq (gallons per day) with well
/// function value W: ((kTrueDrawdownCoefficient (dq / kMinutesPerDay)) W) / T.
inline double true_drawdown(double dq, double W, double T) {
  return kTrueDrawdownCoefficient * (dq / D(kMinutesPerDay)) * W / T;
}

}  // namespace model
