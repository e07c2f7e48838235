// The leaky well function WUB and its integrand F.
//
// Every rounding to single is written as a model::single of a double
// expression, with the double operations in the rule's order; the rule's
// constants are those of rule.h. The library is built with -ffp-contract=off
// (see CMakeLists.txt), so no multiply-add is fused.

#include "model/well_function.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "model/rule.h"
#include "model/well_function_trace.h"

namespace model {
namespace {

// The rule, once. kTrace only decides whether the trace is filled in; the
// arithmetic is the same for both instantiations.
template <bool kTrace>
float integrate(float u, float rb, WubTrace* trace) {
  // Step 1: nothing to integrate above the cut-off (also u = +infinity).
  if (u > kCutoff) return 0.0f;
  // Arguments outside the rule's domain. A NaN u would never reach the stopping test
  // (y > 6.0 is false for NaN), and u = -infinity keeps y at -infinity (or
  // NaN once h is infinite): both give NaN without integrating.
  if (std::isnan(u) || u == -std::numeric_limits<float>::infinity()) {
    return std::numeric_limits<float>::quiet_NaN();
  }
  // -0.0 is integrated as +0.0, so that F(0, rb) = 0 holds at the start for
  // every rb (the literal rule gives F(-0.0, rb > 0) = -infinity).
  if (u == 0.0f) u = 0.0f;

  // Step 2.
  float h = kFirstHalfWidth;
  float W = 0.0f;
  float y = u;
  float f0 = F(y, rb);

  // Step 3, one panel per round. For 0 <= u <= 6 at most 48 rounds. For a
  // finite negative u the rule is followed as written: h grows by 1.5 per
  // panel, so y passes 6.0 after a bounded number of panels (262 for
  // u = -FLT_MAX; in any case before h, and with it y, would become +infinity
  // after about 265); the result then is whatever the arithmetic gives
  // (negative, infinite or NaN) and has no meaning. kMaxPanels is a safety net
  // only: reaching it returns NaN.
  for (std::int32_t panels = 1;; ++panels) {
    float x = single(D(h) + D(y));                        // 3.1 midpoint
    const float f1 = F(x, rb);
    x = single(D(h) * 2.0 + D(y));                        // 3.2 right end
    const float f2 = F(x, rb);
    const float m = single(((D(f1) * 4.0 + D(f0)) + D(f2)) / 3.0);  // 3.3
    const float d = single(D(h) * D(m));                  // 3.4
    W = single(D(d) + D(W));                              // 3.5
    if constexpr (kTrace) {
      trace->panels = panels;
      trace->last_left = y;
      trace->last_right = x;
    }
    if (y > kCutoff) return W;                            // 3.6
    if (panels >= kMaxPanels) return std::numeric_limits<float>::quiet_NaN();
    f0 = f2;                                              // 3.7
    y = single(D(h) * 2.0 + D(y));
    h = single(D(h) * D(kGrowthFactor));
  }
}

}  // namespace

float F(float y, float rb) {
  const float q = single(1.0 / D(y));
  const float e = single((-D(y)) - ((D(rb) * D(rb)) / 4.0) / D(y));
  // e < kExponentFloor is false for NaN; so the NaN test is spelled out.
  if (e < kExponentFloor || std::isnan(e)) return 0.0f;
  return single(std::exp(D(e)) * D(q));
}

float WUB(float u, float rb) { return integrate<false>(u, rb, nullptr); }

WubTrace WUB_trace(float u, float rb) {
  WubTrace trace;
  trace.W = integrate<true>(u, rb, &trace);
  return trace;
}

}  // namespace model
