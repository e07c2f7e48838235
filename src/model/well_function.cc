// The leaky well function WUB and its integrand F.
//
// Every rounding to single is written as an explicit static_cast<float> of a
// double expression, with the double operations in the rule's order. The library is built with -ffp-contract=off (see
// CMakeLists.txt), so no multiply-add is fused.

#include "model/well_function.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "model/well_function_trace.h"

static_assert(std::numeric_limits<float>::is_iec559 && std::numeric_limits<double>::is_iec559,
              "the rule is defined on IEEE 754 binary32 and binary64");
static_assert(FLT_EVAL_METHOD == 0, "double expressions must be evaluated in double, no wider");

namespace model {
namespace {

// The rule's constants as singles, with their bit patterns.
constexpr float kCutoff = 6.0f;           // 40C00000
constexpr float kFirstHalfWidth = 1e-8f;  // 322BCC77
constexpr float kFloor = -675.84f;        // C428F5C3

static_assert(std::bit_cast<std::uint32_t>(kFirstHalfWidth) == 0x322BCC77u);
static_assert(std::bit_cast<std::uint32_t>(kFloor) == 0xC428F5C3u);

inline double D(float x) { return static_cast<double>(x); }

// The rule, once. kTrace only decides whether the trace is filled in; the
// arithmetic is the same for both instantiations.
template <bool kTrace>
float Integrate(float u, float rb, WubTrace* trace) {
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
    float x = static_cast<float>(D(h) + D(y));          // 3.1 midpoint
    const float f1 = F(x, rb);
    x = static_cast<float>(D(h) * 2.0 + D(y));          // 3.2 right end
    const float f2 = F(x, rb);
    const float m = static_cast<float>(((D(f1) * 4.0 + D(f0)) + D(f2)) / 3.0);  // 3.3
    const float d = static_cast<float>(D(h) * D(m));    // 3.4
    W = static_cast<float>(D(d) + D(W));                 // 3.5
    if constexpr (kTrace) {
      trace->panels = panels;
      trace->last_left = y;
      trace->last_right = x;
    }
    if (y > kCutoff) return W;                           // 3.6
    if (panels >= kMaxPanels) return std::numeric_limits<float>::quiet_NaN();
    f0 = f2;                                             // 3.7
    y = static_cast<float>(D(h) * 2.0 + D(y));
    h = static_cast<float>(D(h) * 1.5);
  }
}

}  // namespace

float F(float y, float rb) {
  const float q = static_cast<float>(1.0 / D(y));
  const float e = static_cast<float>((-D(y)) - ((D(rb) * D(rb)) / 4.0) / D(y));
  // e < kFloor is false for NaN; so the NaN test is spelled out.
  if (e < kFloor || std::isnan(e)) return 0.0f;
  return static_cast<float>(std::exp(D(e)) * D(q));
}

float WUB(float u, float rb) { return Integrate<false>(u, rb, nullptr); }

WubTrace WUB_trace(float u, float rb) {
  WubTrace trace;
  trace.W = Integrate<true>(u, rb, &trace);
  return trace;
}

}  // namespace model
