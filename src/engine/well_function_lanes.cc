// WUB in SIMD lanes, bit-identical to model::WUB (the contract is in
// well_function_lanes.h).
//
// Every lane follows the rule of model::WUB panel by panel, with the rule's
// constants from model/rule.h and its rounding point model::single in lane
// form (ToSingle, engine/to_single-inl.h). A batch of up to
// kBatchVectors vectors of lanes runs in lockstep, all at the same panel, so
// they share the half-width h. Each panel is done in passes over the batch
// (integrand values at the midpoints; at the right ends; Simpson sums, with
// the next panel's abscissae and exponents; reciprocals), so that the
// processor overlaps the long dependency chains of many vectors instead of
// waiting on one.
//
// Each value the rule rounds to single is rounded at the same point here:
// - A single operation on singles whose result is rounded to single (h + y,
//   h * 2 + y, h * 1.5, h * m, d + W, 1 / y) gives the same single whether it
//   is done in double and rounded or done in single, because double has more
//   than twice single's precision plus two bits. Those run in float lanes or
//   as one double operation followed by a rounding.
// - Longer double expressions (the Simpson mean, the exponent) run in double
//   lanes with IEEE operations in the rule's order.
// The exponent is the rule's own double: (r/B)^2 / 4 is exact in double, the
// quotient by y is an IEEE division, and (-y) - t is -(y + t) in round to
// nearest; the lanes keep its magnitude, single(y + t) = -e. The reciprocal
// single(1.0 / y) is the single division 1.0f / y (a division rounded to double
// and then to single equals the one rounded to single directly).
// One step is computed faster than the rule's and then checked: the double
// exponential, for -64 <= e <= 0, is a table value exp(-k/64) times a short
// polynomial (Highway's Exp below -64), within a few ulps of std::exp
// (lanes_exp_max_ulp measures it: at most 5 over every single e from -64 to
// 0). The product exp(e) * (1/y), within a few ulps of the rule's, rounds to
// the same single unless it lies near a tie between two singles. Each lane's
// product is tested against a band of kLaneGuardUlps ulps around every tie
// (and against the edges of single's normal range); a lane inside it is
// recomputed with model::F. The band is hundreds of times wider than the
// approximation's error, so every value that leaves the lanes unchecked is the
// scalar rule's value.
//
// The lanes take the pairs LanesTake accepts; every other pair is handed to
// model::WUB whole.
//
// Highway compiles this file once per instruction set and dispatches to the
// best one the processor has.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/well_function_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"
#include "hwy/contrib/math/math-inl.h"
#include "engine/to_single-inl.h"

#include <algorithm>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "engine/well_function_lanes.h"
#include "engine/well_function_lanes_testing.h"
#include "model/rule.h"
#include "model/well_function.h"

#ifndef ENGINE_WELL_FUNCTION_LANES_ONCE
#define ENGINE_WELL_FUNCTION_LANES_ONCE
namespace engine::lanes_detail {

// The rule's constants (model/rule.h). The lanes stop at the rule's own cap
// on panels, kMaxPanels: for the pairs they take (0 <= u <= 6) the rule ends
// after at most 48 panels, so the cap is a safety net only; a lane still
// integrating there is handed to model::WUB, which gives the rule's result.
using model::kCutoff;
using model::kExponentFloor;
using model::kFirstHalfWidth;
using model::kGrowthFactor;
using model::kMaxPanels;

// The least positive u the lanes take (see LanesTake): below it 1/y may leave
// single's range.
constexpr float kLeastU = 0x1p-64f;

// Widest SIMD vector in double lanes that any target has, with room to spare.
constexpr std::size_t kMaxLanes = 16;
// Vectors of lanes per lockstep batch.
constexpr std::size_t kBatchVectors = 16;
constexpr std::size_t kBatchSlots = kBatchVectors * kMaxLanes;

// The exponentials' common range 0 <= -e <= kCommonMaxG, and their table:
// exp(-k / kExpSteps) for k = 0 .. kCommonMaxG * kExpSteps, each within an ulp.
constexpr double kCommonMaxG = 64.0;
// Above every abscissa of an integrating lane (see InCommonRange).
constexpr double kMaxAbscissa = 14.0;
constexpr int kExpSteps = 64;
inline const double* ExpTable() {
  static const std::vector<double> table = [] {
    std::vector<double> t(static_cast<std::size_t>(kCommonMaxG) * kExpSteps + 1);
    for (std::size_t k = 0; k < t.size(); ++k) t[k] = std::exp(-static_cast<double>(k) / kExpSteps);
    return t;
  }();
  return table.data();
}

}  // namespace engine::lanes_detail
#endif  // ENGINE_WELL_FUNCTION_LANES_ONCE

HWY_BEFORE_NAMESPACE();
namespace engine {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;
using namespace lanes_detail;

using Dd = hn::ScalableTag<double>;
using Df = hn::Rebind<float, Dd>;
using Di = hn::RebindToSigned<Dd>;
using Du = hn::RebindToUnsigned<Dd>;
using Vd = hn::Vec<Dd>;
using Vf = hn::Vec<Df>;
using Md = hn::Mask<Dd>;

// Lanes whose double value lies within kLaneGuardUlps ulps of a tie between
// two singles: the low 29 of the 52 fraction bits are near 2^28, i.e. their
// offset below is 0 (and otherwise below 2^29).
HWY_INLINE hn::Vec<Du> NearTieOffset(Vd v) {
  const Du du;
  constexpr std::uint64_t kBand = static_cast<std::uint64_t>(kLaneGuardUlps);
  constexpr std::uint64_t kLow29 = (std::uint64_t{1} << 29) - 1;
  const auto bits = hn::Add(hn::BitCast(du, v), hn::Set(du, (std::uint64_t{1} << 28) + kBand));
  return hn::And(bits, hn::Set(du, kLow29 & ~(2 * kBand - 1)));
}
HWY_INLINE Md NearTie(Vd v) {
  const Dd dd;
  const Du du;
  return hn::RebindMask(dd, hn::Eq(NearTieOffset(v), hn::Zero(du)));
}

// The vector of table[index[i]], one load per lane, joined half by half. (On
// the processors measured this is much faster than a gather instruction.)
template <class D>
HWY_INLINE hn::Vec<D> TableLanes(D d, const double* table, const std::int64_t* index) {
#if HWY_TARGET == HWY_SCALAR
  return hn::LoadU(d, table + index[0]);
#else
  if constexpr (hn::MaxLanes(D()) == 1) {
    return hn::LoadU(d, table + index[0]);
  } else {
    const hn::Half<D> dh;
    return hn::Combine(d, TableLanes(dh, table, index + hn::Lanes(dh)), TableLanes(dh, table, index));
  }
#endif
}

// exp(-g) for 0 <= g <= kCommonMaxG, within a few ulps, in two steps so that
// a pass over many vectors can run each step on its own: ExpReduce splits g
// into k/64 + r with |r| <= 1/128 and looks up exp(-k/64) in a table,
// ExpFinish multiplies it by exp(-r) to degree 5 (remainder below 2^-51).
// Any g outside that range gives some value, none out of the table.
HWY_INLINE void ExpReduce(Vd g, const double* table, Vd& s, Vd& T) {
  const Dd dd;
  const Di di;
  // Min gives its second operand for a NaN g, keeping the index in the table.
  const Vd gc = hn::Min(g, hn::Set(dd, kCommonMaxG));
  const Vd magic = hn::Set(dd, 0x1.8p52);  // adding it rounds to an integer
  const Vd v = hn::MulAdd(gc, hn::Set(dd, kExpSteps), magic);
  const Vd kd = hn::Sub(v, magic);
  s = hn::MulSub(kd, hn::Set(dd, 1.0 / kExpSteps), gc);  // k/64 - g = -r, exact
  HWY_ALIGN std::int64_t index[kMaxLanes];
  hn::Store(hn::Sub(hn::BitCast(di, v), hn::BitCast(di, magic)), di, index);
  T = TableLanes(dd, table, index);
}

HWY_INLINE Vd ExpFinish(Vd s, Vd T) {
  const Dd dd;
  const Vd s2 = hn::Mul(s, s);
  const Vd a = hn::Add(s, hn::Set(dd, 1.0));
  const Vd b = hn::MulAdd(s, hn::Set(dd, 1.0 / 6), hn::Set(dd, 1.0 / 2));
  const Vd c = hn::MulAdd(s, hn::Set(dd, 1.0 / 120), hn::Set(dd, 1.0 / 24));
  return hn::Mul(T, hn::MulAdd(hn::MulAdd(c, s2, b), s2, a));
}

/**
 * The lanes' exponential: exp(-g), as the integrand needs it.
 *
 *   Valid lane types: float64
 *        Valid range: 0 <= g <= -kExponentFloor (675.84)
 *          Max error: a few ulps from std::exp (at most 5 over every single
 *                     exponent from -64 to 0, on every instruction set: see
 *                     lanes_exp_max_ulp); not the rule's bits, which is why
 *                     every product near a rounding tie is recomputed by
 *                     model::F (the guard band, kLaneGuardUlps = 1024 ulps)
 *             Method: the table and polynomial above for g <= kCommonMaxG,
 *                     Highway's Exp (at most 1 ulp from exp) beyond it
 */
HWY_INLINE Vd ExpLanes(Vd g, const double* table) {
  const Dd dd;
  Vd s, T;
  ExpReduce(g, table, s, T);
  return hn::IfThenElse(hn::Le(g, hn::Set(dd, kCommonMaxG)), ExpFinish(s, T),
                        hn::Exp(dd, hn::Neg(g)));
}

// The batch's working values, one slot per lane, vector i at [i * N, i * N + N).
struct Batch {
  HWY_ALIGN float u[kBatchSlots];
  HWY_ALIGN float rb[kBatchSlots];
  HWY_ALIGN double c[kBatchSlots];       // (r/B * r/B) / 4, exact
  HWY_ALIGN float y[kBatchSlots];        // left end of the panel
  HWY_ALIGN float W[kBatchSlots];        // running sum
  HWY_ALIGN float f0[kBatchSlots];       // integrand at the left end
  HWY_ALIGN float x[2][kBatchSlots];     // midpoint, right end
  HWY_ALIGN double g[2][kBatchSlots];    // -e = single(x + c / x), in double
  HWY_ALIGN float q[2][kBatchSlots];     // single(1.0 / x)
  HWY_ALIGN float f[2][kBatchSlots];     // integrand values
  HWY_ALIGN float act[kBatchSlots];      // lanes still integrating (all-ones bits)
  HWY_ALIGN float taken[kBatchSlots];    // lanes LanesTake accepted (all-ones bits)
  bool any[kBatchVectors];               // vector i has a lane still integrating
};

// For one abscissa vector: the negated exponent as the rule rounds it.
HWY_INLINE void Exponent(Vf x, Vd c, double* g_out) {
  const Dd dd;
  const Vd xd = hn::PromoteTo(dd, x);
  hn::Store(hn::PromoteTo(dd, ToSingle(hn::Add(xd, hn::Div(c, xd)))), dd, g_out);
}

// q[k] = single(1.0 / x[k]) for k < count, in full-width single vectors; up to
// a vector's worth of slots beyond count is computed as well (the batch's
// arrays have kMaxLanes slots per vector, twice the widest double vector, so
// those slots exist; what they hold is never read).
HWY_INLINE void Reciprocals(const float* x, float* q, std::size_t count) {
  const hn::ScalableTag<float> d;
  const auto one = hn::Set(d, 1.0f);
  for (std::size_t k = 0; k < count; k += hn::Lanes(d))
    hn::Store(hn::Div(one, hn::Load(d, x + k)), d, q + k);
}

// Recomputes with model::F the lanes flagged in `redo`.
HWY_NOINLINE void Redo(Md redo, const float* x, const float* rb, float* f, LaneStats& stats) {
  const Dd dd;
  std::uint8_t bits[(kMaxLanes + 7) / 8] = {};
  hn::StoreMaskBits(dd, redo, bits);
  for (std::size_t i = 0; i < hn::Lanes(dd); ++i) {
    if ((bits[i / 8] >> (i % 8)) & 1) {
      f[i] = model::F(x[i], rb[i]);
      ++stats.guarded_points;
    }
  }
}

// Whether vector i of the batch still integrates; with kAllLive every vector
// does, and the passes run without the test.
template <bool kAllLive>
HWY_INLINE bool Live(const Batch& b, std::size_t i) {
  if constexpr (kAllLive) {
    return true;
  } else {
    return b.any[i];
  }
}

// The integrand values of a vector with some -e outside the common range, into
// f; returns the lanes that must be recomputed exactly. e below the floor (g
// above -floor) or NaN gives 0.0 without the exponential. Otherwise: a product
// below half the least subnormal single rounds to 0.0 either way; in single's
// normal range it must not lie near a tie; in between (an exponent near the
// floor) it goes to F. A product above the normal range cannot occur:
// exp(e) <= 1 and 1/x <= 2^64.
HWY_NOINLINE Md OutsideCommonRange(Vd g, Vd q, float* f) {
  const Dd dd;
  const Df df;
  const Vd p = hn::Mul(hn::Exp(dd, hn::Neg(g)), q);
  const Md live = hn::Le(g, hn::Set(dd, -model::D(kExponentFloor)));
  const Vd least = hn::Set(dd, static_cast<double>(FLT_MIN));
  const Vd to_zero = hn::Set(dd, 0x1p-150 * (1.0 - 0x1p-30));
  hn::Store(ToSingle(hn::IfThenElseZero(live, p)), df, f);
  const Md subnormal = hn::And(hn::Lt(p, least), hn::Ge(p, to_zero));
  return hn::And(live, hn::Or(NearTie(p), subnormal));
}

// The integrand value of a vector on the common path (see below): stores
// single(p) into f and returns p = exp(-g) * q.
HWY_INLINE Vd CommonIntegrand(Vd g, Vd q, const double* table, float* f) {
  const Df df;
  Vd s, T;
  ExpReduce(g, table, s, T);
  const Vd p = hn::Mul(ExpFinish(s, T), q);
  hn::Store(ToSingle(p), df, f);
  return p;
}

// F at the abscissae x[0 .. vectors * N) into f, for every lane (lanes that no
// longer integrate get values nobody reads), from the negated exponents g and
// reciprocals q of Exponent and Reciprocals, one vector at a time.
//
// A vector whose g all lie in 0 <= g <= kCommonMaxG takes the common path: its
// exponentials come from ExpReduce/ExpFinish, and as 1/x >= 2^-16 (x < 2^16
// holds for every abscissa the lanes integrate) each product exp(e) * (1/x)
// lies far inside single's normal range, so its only hazard is a rounding tie.
// Any other vector takes Highway's Exp and the checks at the edges of the
// range.
template <bool kAllLive>
HWY_INLINE void IntegrandPassChecked(Batch& b, std::size_t vectors, const float* x, const double* g,
                                     const float* q, float* f, const double* table,
                                     LaneStats& stats) {
  const Dd dd;
  const Df df;
  const std::size_t n = hn::Lanes(dd);
  for (std::size_t i = 0; i < vectors; ++i) {
    if (!Live<kAllLive>(b, i)) continue;
    const std::size_t o = i * n;
    const Vd gv = hn::Load(dd, g + o);
    const Vd qv = hn::PromoteTo(dd, hn::Load(df, q + o));
    Md redo;
    if (HWY_LIKELY(hn::AllTrue(dd, hn::Le(gv, hn::Set(dd, kCommonMaxG))))) {
      redo = NearTie(CommonIntegrand(gv, qv, table, f + o));
    } else {
      redo = OutsideCommonRange(gv, qv, f + o);
    }
    if (HWY_UNLIKELY(!hn::AllFalse(dd, redo))) Redo(redo, x + o, b.rb + o, f + o, stats);
  }
}

// The same values as IntegrandPassChecked, for abscissae x > 0 (every panel's;
// then every g is positive and not a NaN). All vectors take the common path,
// and only the pass as a whole is tested: should any lane have left the common
// range or come near a tie, the whole pass is done again by
// IntegrandPassChecked. That happens for a few passes in ten thousand. With
// kInRange the batch is known to keep every integrating lane's g in the common
// range (see InCommonRange), and only the ties are tested.
template <bool kAllLive, bool kInRange>
HWY_INLINE void IntegrandPassOf(Batch& b, std::size_t vectors, const float* x, const double* g,
                                const float* q, float* f, const double* table, LaneStats& stats) {
  const Dd dd;
  const Df df;
  const Du du;
  const std::size_t n = hn::Lanes(dd);
  // A lane is flagged by a set sign bit: g > kCommonMaxG (g's bits, as g >= 0,
  // order like g), or near a tie (NearTieOffset is 0, so offset - 1 < 0).
  const auto max_bits = hn::Set(du, std::bit_cast<std::uint64_t>(kCommonMaxG));
  const auto one = hn::Set(du, std::uint64_t{1});
  auto flags = hn::Zero(du);
  for (std::size_t i = 0; i < vectors; ++i) {
    if (!Live<kAllLive>(b, i)) continue;
    const std::size_t o = i * n;
    const Vd gv = hn::Load(dd, g + o);
    const Vd p = CommonIntegrand(gv, hn::PromoteTo(dd, hn::Load(df, q + o)), table, f + o);
    if constexpr (kInRange) {
      flags = hn::Or(flags, hn::Sub(NearTieOffset(p), one));
    } else {
      flags = hn::Or(flags, hn::Or(hn::Sub(NearTieOffset(p), one), hn::Sub(max_bits, hn::BitCast(du, gv))));
    }
  }
  const Di di;
  if (HWY_UNLIKELY(!hn::AllFalse(di, hn::Lt(hn::BitCast(di, flags), hn::Zero(di)))))
    IntegrandPassChecked<kAllLive>(b, vectors, x, g, q, f, table, stats);
}

template <bool kAllLive>
HWY_INLINE void IntegrandPass(Batch& b, bool in_range, std::size_t vectors, const float* x,
                              const double* g, const float* q, float* f, const double* table,
                              LaneStats& stats) {
  if (in_range) {
    IntegrandPassOf<kAllLive, true>(b, vectors, x, g, q, f, table, stats);
  } else {
    IntegrandPassOf<kAllLive, false>(b, vectors, x, g, q, f, table, stats);
  }
}

// The abscissae single(h + y) and single(h * 2.0 + y) of the vector at offset
// o, whose left end is y, and their exponents. (The abscissae depend on u
// alone, so the next panel's are formed while this panel's sums are.)
HWY_INLINE void Abscissae(Batch& b, std::size_t o, Vf y, Vf hv, Vf h2v) {
  const Dd dd;
  const Df df;
  const Vd c = hn::Load(dd, b.c + o);
  const Vf xm = hn::Add(hv, y);
  const Vf xr = hn::Add(h2v, y);
  hn::Store(xm, df, b.x[0] + o);
  hn::Store(xr, df, b.x[1] + o);
  Exponent(xm, c, b.g[0] + o);
  Exponent(xr, c, b.g[1] + o);
}

// The running sum after the panel of the vector at offset o, whose sum so far
// is W: m = single(((f1 * 4.0 + f0) + f2) / 3.0), d = single(h * m),
// single(d + W).
HWY_INLINE Vf SimpsonStep(const Batch& b, std::size_t o, Vf hv, Vf W) {
  const Dd dd;
  const Df df;
  const Vf f0 = hn::Load(df, b.f0 + o);
  const Vf f1 = hn::Load(df, b.f[0] + o);
  const Vf f2 = hn::Load(df, b.f[1] + o);
  const Vd sum = hn::Add(hn::Add(hn::Mul(hn::PromoteTo(dd, f1), hn::Set(dd, 4.0)),
                                 hn::PromoteTo(dd, f0)),
                         hn::PromoteTo(dd, f2));
  const Vf m = ToSingle(hn::Div(sum, hn::Set(dd, 3.0)));
  return hn::Add(hn::Mul(hv, m), W);
}

// Moves the vector at offset o on to its next panel: f0 = f2, y = the right
// end single(h * 2.0 + y), and that panel's abscissae (half-width hv_next).
// Returns the new y.
HWY_INLINE Vf NextPanel(Batch& b, std::size_t o, Vf hv_next, Vf h2v_next) {
  const Df df;
  hn::Store(hn::Load(df, b.f[1] + o), df, b.f0 + o);
  const Vf y = hn::Load(df, b.x[1] + o);
  hn::Store(y, df, b.y + o);
  Abscissae(b, o, y, hv_next, h2v_next);
  return y;
}

// How a panel treats the batch: some vectors may have stopped; every vector
// still integrates; or, steady, every vector integrates and no lane stops in
// this panel (every left end y <= 6.0), so the sums need no masks.
enum class PanelKind { kSomeLive, kAllLive, kSteady };

// What a panel leaves: the vectors with a lane still integrating, and (for a
// steady panel) the greatest left end of the next panel.
struct PanelEnd {
  std::size_t live_vectors;
  float next_y_max;
};

// One panel of the rule for every lane of the batch, with half-width h, whose
// abscissae, exponents and reciprocals are formed; forms the next panel's.
template <PanelKind kKind>
HWY_INLINE PanelEnd Panel(Batch& b, bool in_range, std::size_t vectors, float h,
                          const double* table, LaneStats& stats) {
  constexpr bool kAllLive = kKind != PanelKind::kSomeLive;
  const Dd dd;
  const Df df;
  const std::size_t n = hn::Lanes(dd);
  const Vf hv = hn::Set(df, h);
  const float h_next = h * kGrowthFactor;  // single(h * 1.5)
  const Vf hv_next = hn::Set(df, h_next);
  const Vf h2v_next = hn::Set(df, h_next * 2.0f);
  // Pass 1: the integrand at both abscissae.
  IntegrandPass<kAllLive>(b, in_range, vectors, b.x[0], b.g[0], b.q[0], b.f[0], table, stats);
  IntegrandPass<kAllLive>(b, in_range, vectors, b.x[1], b.g[1], b.q[1], b.f[1], table, stats);
  // Pass 2: the panel's sum (see SimpsonStep); a lane stops after the first
  // panel whose left end lies beyond 6.0. Then the next panel's abscissae.
  std::size_t live_vectors = 0;
  Vf y_max = hn::Zero(df);
  for (std::size_t i = 0; i < vectors; ++i) {
    if (!Live<kAllLive>(b, i)) continue;
    const std::size_t o = i * n;
    if constexpr (kKind == PanelKind::kSteady) {
      hn::Store(SimpsonStep(b, o, hv, hn::Load(df, b.W + o)), df, b.W + o);
      y_max = hn::Max(y_max, NextPanel(b, o, hv_next, h2v_next));
    } else {
      const Vf y = hn::Load(df, b.y + o);
      auto act = hn::MaskFromVec(hn::Load(df, b.act + o));
      const Vf W = hn::Load(df, b.W + o);
      hn::Store(hn::IfThenElse(act, SimpsonStep(b, o, hv, W), W), df, b.W + o);
      act = hn::AndNot(hn::Gt(y, hn::Set(df, kCutoff)), act);
      hn::Store(hn::VecFromMask(df, act), df, b.act + o);
      b.any[i] = !hn::AllFalse(df, act);
      live_vectors += b.any[i] ? 1 : 0;
      NextPanel(b, o, hv_next, h2v_next);
    }
  }
  Reciprocals(b.x[0], b.q[0], vectors * n);
  Reciprocals(b.x[1], b.q[1], vectors * n);
  if constexpr (kKind == PanelKind::kSteady) {
    return PanelEnd{vectors, hn::GetLane(hn::MaxOfLanes(df, y_max))};
  } else {
    return PanelEnd{live_vectors, 0.0f};
  }
}

// Whether every integrating lane keeps -e in the common range 0 <= g <=
// kCommonMaxG at every abscissa it integrates. Its abscissae x lie between u
// and kMaxAbscissa. Let y <= 6.0 be the left end and h the half-width of the
// panel before the last. The panels before that one grew by 1.5 each and span
// y - u, about 4 h (less a few rounding units), so h <= 1.5. The last panel
// starts at y + 2 h and ends 3 h further on, at most 6.0 + 5 * 1.5 = 13.5 (the
// largest for 0 <= u <= 6 is 12.3, at u = 0.96). As c / x <= c / u, every
// g = single(x + c / x) is at most single(kMaxAbscissa + c / u).
HWY_INLINE bool InCommonRange(const Batch& b, std::size_t slots) {
  for (std::size_t k = 0; k < slots; ++k) {
    if (std::isnan(b.act[k]) &&
        !(b.y[k] > 0.0f && kMaxAbscissa + b.c[k] / static_cast<double>(b.y[k]) <= kCommonMaxG - 1.0))
      return false;
  }
  return true;
}

// Which pairs the lanes integrate, stated once: u = 0 (or -0.0, integrated
// as +0.0 as the rule does) and kLeastU <= u <= kCutoff, each with a finite
// r/B. Every other pair is handed to model::WUB whole: u above the cut-off
// (which WUB answers at once with 0.0), a smaller positive u (whose 1/y may
// leave single's range), a negative or NaN u, an infinite or NaN r/B.
HWY_INLINE hn::Mask<Df> LanesTake(Vf u, Vf rb) {
  const Df df;
  const auto u_in_range =
      hn::Or(hn::Eq(u, hn::Zero(df)), hn::And(hn::Ge(u, hn::Set(df, kLeastU)), hn::Le(u, hn::Set(df, kCutoff))));
  return hn::And(u_in_range, hn::Lt(hn::Abs(rb), hn::Set(df, std::numeric_limits<float>::infinity())));
}

// The rule for count <= kBatchVectors * N calls.
void RunBatch(const float* u_in, const float* rb_in, float* W_out, std::size_t count,
              LaneStats& stats) {
  const Dd dd;
  const Df df;
  const std::size_t n = hn::Lanes(dd);
  const std::size_t vectors = (count + n - 1) / n;
  HWY_ALIGN static thread_local Batch b;
  const double* table = ExpTable();

  for (std::size_t k = 0; k < vectors * n; ++k) {
    b.u[k] = k < count ? u_in[k] : 2.0f * kCutoff;  // idle lanes: above the cut-off
    b.rb[k] = k < count ? rb_in[k] : 0.0f;
  }
  std::size_t live_vectors = 0;
  for (std::size_t i = 0; i < vectors; ++i) {
    const std::size_t o = i * n;
    const Vf u = hn::Load(df, b.u + o);
    const Vf rb = hn::Load(df, b.rb + o);
    const auto take = LanesTake(u, rb);
    hn::Store(hn::VecFromMask(df, take), df, b.taken + o);
    hn::Store(hn::VecFromMask(df, take), df, b.act + o);
    b.any[i] = !hn::AllFalse(df, take);
    live_vectors += b.any[i] ? 1 : 0;
    hn::Store(hn::IfThenElseZero(take, hn::Abs(u)), df, b.y + o);  // -0.0 as +0.0
    // c = (r/B * r/B) / 4, exact; lanes not taken get c = 0, so that they stay
    // on the common path.
    const Vd rbd = hn::PromoteTo(dd, hn::IfThenElseZero(take, rb));
    hn::Store(hn::Mul(hn::Mul(rbd, rbd), hn::Set(dd, 0.25)), dd, b.c + o);
    hn::Store(hn::Zero(df), df, b.W + o);
  }

  if (live_vectors > 0) {
    // f0 = F(u).
    for (std::size_t i = 0; i < vectors; ++i) {
      if (!b.any[i]) continue;
      const std::size_t o = i * n;
      Exponent(hn::Load(df, b.y + o), hn::Load(dd, b.c + o), b.g[0] + o);
    }
    Reciprocals(b.y, b.q[0], vectors * n);
    IntegrandPassChecked<false>(b, vectors, b.y, b.g[0], b.q[0], b.f0, table, stats);

    float h = kFirstHalfWidth;
    for (std::size_t i = 0; i < vectors; ++i)
      if (b.any[i])
        Abscissae(b, i * n, hn::Load(df, b.y + i * n), hn::Set(df, h), hn::Set(df, h * 2.0f));
    Reciprocals(b.x[0], b.q[0], vectors * n);
    Reciprocals(b.x[1], b.q[1], vectors * n);
    const bool in_range = InCommonRange(b, vectors * n);
    // While every vector integrates and every left end is at most 6.0 (for
    // most batches all panels but the last few), the panels run unmasked.
    bool steady = live_vectors == vectors;
    for (int panel = 1; live_vectors > 0; ++panel) {
      if (steady) {
        steady = Panel<PanelKind::kSteady>(b, in_range, vectors, h, table, stats).next_y_max <= kCutoff;
      } else {
        live_vectors =
            (live_vectors == vectors ? Panel<PanelKind::kAllLive>(b, in_range, vectors, h, table, stats)
                                     : Panel<PanelKind::kSomeLive>(b, in_range, vectors, h, table, stats))
                .live_vectors;
      }
      h = h * kGrowthFactor;  // single(h * 1.5)
      if (HWY_UNLIKELY(panel >= kMaxPanels && live_vectors > 0)) {
        // Not reached for the pairs the lanes take; the rule itself finishes
        // any such lane (and gives NaN, as at its own cap).
        for (std::size_t k = 0; k < vectors * n; ++k)
          if (std::isnan(b.act[k])) b.W[k] = model::WUB(b.u[k], b.rb[k]);
        break;
      }
    }
  }

  for (std::size_t k = 0; k < count; ++k) {
    if (std::isnan(b.taken[k])) {
      W_out[k] = b.W[k];
    } else {
      W_out[k] = model::WUB(b.u[k], b.rb[k]);
      ++stats.scalar_calls;
    }
  }
}

}  // namespace

void WubLanes(const float* u, const float* rb, float* W, std::size_t count, LaneStats* stats) {
  const std::size_t per_batch = kBatchVectors * hn::Lanes(Dd());
  LaneStats local;
  for (std::size_t i = 0; i < count; i += per_batch)
    RunBatch(u + i, rb + i, W + i, count - i < per_batch ? count - i : per_batch, local);
  if (stats != nullptr) {
    stats->calls += static_cast<std::int64_t>(count);
    stats->scalar_calls += local.scalar_calls;
    stats->guarded_points += local.guarded_points;
  }
}

// The lanes' exp(e) of each e[i], i < count (for the testing hooks).
void ExpValues(const float* e, double* out, std::size_t count) {
  const Dd dd;
  const Df df;
  const std::size_t n = hn::Lanes(dd);
  const double* table = ExpTable();
  HWY_ALIGN float es[kMaxLanes] = {};
  HWY_ALIGN double Es[kMaxLanes] = {};
  for (std::size_t i = 0; i < count; i += n) {
    const std::size_t k = count - i < n ? count - i : n;
    for (std::size_t z = 0; z < n; ++z) es[z] = e[i + (z < k ? z : 0)];
    hn::Store(ExpLanes(hn::Neg(hn::PromoteTo(dd, hn::Load(df, es))), table), dd, Es);
    for (std::size_t z = 0; z < k; ++z) out[i + z] = Es[z];
  }
}

const char* TargetName() { return hwy::TargetName(HWY_TARGET); }

}  // namespace HWY_NAMESPACE
}  // namespace engine
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace engine {

HWY_EXPORT(WubLanes);
HWY_EXPORT(ExpValues);
HWY_EXPORT(TargetName);

void WUB_lanes(std::span<const float> u, std::span<const float> rb, std::span<float> W,
               LaneStats* stats) {
  HWY_DYNAMIC_DISPATCH(WubLanes)(u.data(), rb.data(), W.data(), W.size(), stats);
}

const char* lanes_target() { return HWY_DYNAMIC_DISPATCH(TargetName)(); }

std::vector<std::string> lanes_targets() {
  std::vector<std::string> names;
  for (const auto target : hwy::SupportedAndGeneratedTargets()) names.emplace_back(hwy::TargetName(target));
  return names;
}

void use_lanes_target(const std::string& name) {
  std::int64_t chosen = 0;
  hwy::SetSupportedTargetsForTest(0);  // all of them again, to look the name up
  for (const auto target : hwy::SupportedAndGeneratedTargets())
    if (name == hwy::TargetName(target)) chosen = target;
  hwy::SetSupportedTargetsForTest(chosen);
  hwy::GetChosenTarget().DeInit();  // the next call chooses again
}

void lanes_exp(std::span<const float> e, std::span<double> out) {
  HWY_DYNAMIC_DISPATCH(ExpValues)(e.data(), out.data(), std::min(e.size(), out.size()));
}

std::int64_t lanes_exp_max_ulp(float lo, float hi, std::uint32_t stride) {
  // Singles from hi down to lo (both <= 0), by the bits of their magnitudes,
  // a block at a time.
  const std::uint32_t first = std::bit_cast<std::uint32_t>(std::fabs(hi));
  const std::uint32_t last = std::bit_cast<std::uint32_t>(std::fabs(lo));
  if (stride == 0) stride = 1;
  std::vector<float> e;
  std::vector<double> values;
  std::int64_t worst = 0;
  for (std::uint64_t b = first; b <= last;) {
    e.clear();
    for (; e.size() < 4096 && b <= last; b += stride) e.push_back(-std::bit_cast<float>(static_cast<std::uint32_t>(b)));
    values.resize(e.size());
    lanes_exp(e, values);
    for (std::size_t z = 0; z < e.size(); ++z) {
      const auto a = std::bit_cast<std::int64_t>(values[z]);
      const auto r = std::bit_cast<std::int64_t>(std::exp(static_cast<double>(e[z])));
      worst = std::max(worst, a > r ? a - r : r - a);
    }
  }
  return worst;
}

}  // namespace engine
#endif  // HWY_ONCE
