// The node distance DIST and the well drawdown DRAWDN, composed of the pieces
// in drawdown.h (which also says what they do outside the physical domain).

#include "model/drawdown.h"

#include "model/well_function.h"

namespace model {

float DIST(std::int32_t SPACING, std::int32_t i, std::int32_t j, float XW, float YW) {
  return distance_from_squares(squared_offset(SPACING, i, XW), squared_offset(SPACING, j, YW));
}

void DRAWDN(float T, float S, float TIME, float LEAK, float Q, float R, float& DD) {
  const float u = u_of(u_factor(T, S, TIME), R);
  const float B = leakage_factor(T, LEAK);
  const float rB = rb_of(R, B);
  const float W = WUB(u, rB);
  const float s = drawdown_from_W(Q, W, T);
  DD = accumulate(s, DD);
}

}  // namespace model
