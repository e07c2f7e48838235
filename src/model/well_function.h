// The leaky-aquifer well function W(u, r/B) of Hantush and Jacob, evaluated by
// the program's fixed integration rule.
#pragma once

namespace model {

/// The integrand exp(-y - rb*rb/(4y)) / y, or 0.0 when its exponent lies below
/// the floor kExponentFloor (-675.84) or is not a number.
float F(float y, float rb);

/// The well function by the fixed rule: composite Simpson panels from y = u,
/// half-width kFirstHalfWidth (1e-8) growing by kGrowthFactor (1.5), abscissae
/// and sums in single precision, stopped after the first panel whose left end
/// exceeds kCutoff (6.0). 0.0 for u > 6.0. The constants are those of rule.h.
float WUB(float u, float rb);

}  // namespace model
