// The rule's rounding point (model::single) for SIMD lanes: double lanes
// rounded to single, for the files of src/engine that Highway compiles once
// per instruction set. Include it after "hwy/highway.h", inside no namespace;
// like Highway's own -inl.h headers it is included once per target.

// Per-target include guard, in Highway's manner.
#if defined(ENGINE_TO_SINGLE_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef ENGINE_TO_SINGLE_INL_H_
#undef ENGINE_TO_SINGLE_INL_H_
#else
#define ENGINE_TO_SINGLE_INL_H_
#endif

#include <limits>

#include "hwy/highway.h"

HWY_BEFORE_NAMESPACE();
namespace engine {
namespace HWY_NAMESPACE {

/**
 * Lane form of model::single: each double lane rounded to the nearest single.
 *
 *   Valid lane types: float64 in, float32 out (the Rebind of the double tag)
 *          Max error: none: each lane is model::single of it, bit for bit
 *        Valid range: every double, NaN and the infinities included
 * @return the singles nearest the lanes of `v` (ties to even; beyond single's
 *         range, an infinity of the lane's sign)
 *
 * DemoteTo rounds so on every instruction set but the emulated ones (EMU128,
 * SCALAR), which saturate at the largest finite single; there the lanes that
 * must round to an infinity are set so.
 */
template <class V>
HWY_INLINE auto ToSingle(V v) {
  namespace hn = hwy::HWY_NAMESPACE;
  using Dd = hn::DFromV<V>;
  const hn::Rebind<float, Dd> df;
  auto f = hn::DemoteTo(df, v);
#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
  // |v| rounds to infinity when it reaches halfway between the largest single
  // and 2^128, i.e. when v / 2 (exact) rounds to 2^127 or beyond.
  const auto half = hn::DemoteTo(df, hn::Mul(v, hn::Set(Dd(), 0.5)));
  const auto over = hn::Ge(hn::Abs(half), hn::Set(df, 0x1p127f));
  f = hn::IfThenElse(over, hn::CopySign(hn::Set(df, std::numeric_limits<float>::infinity()), f), f);
#endif
  return f;
}

}  // namespace HWY_NAMESPACE
}  // namespace engine
HWY_AFTER_NAMESPACE();

#endif  // ENGINE_TO_SINGLE_INL_H_
