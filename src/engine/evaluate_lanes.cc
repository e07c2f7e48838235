// Row steps of the grid evaluation in SIMD lanes. Highway compiles this file
// once per instruction set and dispatches to the best one at run time. Every
// operation is an IEEE operation of the scalar code, in its order; no
// multiply-add is formed (the project builds with -ffp-contract=off and these
// use separate Mul and Add).

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/evaluate_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"

#include <cmath>
#include <cstddef>
#include <limits>

#include "engine/evaluate_lanes.h"

HWY_BEFORE_NAMESPACE();
namespace engine {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;

using Dd = hn::ScalableTag<double>;
using Df = hn::Rebind<float, Dd>;

// The coefficient of u (binary32 3FEF645A), as model::u_of has it.
constexpr float kUCoefficient = 1.87025f;

// Rounds double lanes to single; the emulated targets saturate at the largest
// single, so there the lanes that round to an infinity are set so.
HWY_INLINE hn::Vec<Df> ToSingle(hn::Vec<Dd> v) {
  const Df df;
  auto f = hn::DemoteTo(df, v);
#if HWY_TARGET == HWY_SCALAR || HWY_TARGET == HWY_EMU128
  const auto half = hn::DemoteTo(df, hn::Mul(v, hn::Set(Dd(), 0.5)));
  const auto over = hn::Ge(hn::Abs(half), hn::Set(df, 0x1p127f));
  f = hn::IfThenElse(over, hn::CopySign(hn::Set(df, std::numeric_limits<float>::infinity()), f), f);
#endif
  return f;
}

}  // namespace

void RowDistances(const float* dx2, float dy2, float* R, std::size_t n) {
  const Dd dd;
  const Df df;
  const std::size_t N = hn::Lanes(dd);
  const auto dy2d = hn::Set(dd, static_cast<double>(dy2));
  const auto one = hn::Set(df, 1.0f);
  std::size_t i = 0;
  for (; i + N <= n; i += N) {
    const auto r = ToSingle(hn::Sqrt(hn::Add(dy2d, hn::PromoteTo(dd, hn::LoadU(df, dx2 + i)))));
    hn::StoreU(hn::IfThenElse(hn::Lt(r, one), one, r), df, R + i);
  }
  for (; i < n; ++i) {
    float r = static_cast<float>(std::sqrt(static_cast<double>(dy2) + static_cast<double>(dx2[i])));
    if (r < 1.0f) r = 1.0f;
    R[i] = r;
  }
}

void WellFunctionArguments(const float* R, double u_factor, float B, float* u, float* rb,
                           std::size_t n) {
  const Dd dd;
  const Df df;
  const std::size_t N = hn::Lanes(dd);
  const auto uf = hn::Set(dd, u_factor);
  const auto coefficient = hn::Set(dd, static_cast<double>(kUCoefficient));
  const auto Bd = hn::Set(dd, static_cast<double>(B));
  std::size_t i = 0;
  for (; i + N <= n; i += N) {
    const auto Rd = hn::PromoteTo(dd, hn::LoadU(df, R + i));
    hn::StoreU(ToSingle(hn::Mul(uf, hn::Mul(hn::Mul(Rd, Rd), coefficient))), df, u + i);
    hn::StoreU(ToSingle(hn::Div(Rd, Bd)), df, rb + i);
  }
  for (; i < n; ++i) {
    const double Rd = static_cast<double>(R[i]);
    u[i] = static_cast<float>(u_factor * ((Rd * Rd) * static_cast<double>(kUCoefficient)));
    rb[i] = static_cast<float>(Rd / static_cast<double>(B));
  }
}

void AccumulateDrawdowns(const float* W, double K, float T, float* DD, std::size_t n) {
  const Dd dd;
  const Df df;
  const std::size_t N = hn::Lanes(dd);
  const auto Kd = hn::Set(dd, K);
  const auto Td = hn::Set(dd, static_cast<double>(T));
  std::size_t i = 0;
  for (; i + N <= n; i += N) {
    const auto s = ToSingle(hn::Div(hn::Mul(Kd, hn::PromoteTo(dd, hn::LoadU(df, W + i))), Td));
    const auto sum = hn::Add(hn::PromoteTo(dd, s), hn::PromoteTo(dd, hn::LoadU(df, DD + i)));
    hn::StoreU(ToSingle(sum), df, DD + i);
  }
  for (; i < n; ++i) {
    const float s = static_cast<float>((K * static_cast<double>(W[i])) / static_cast<double>(T));
    DD[i] = static_cast<float>(static_cast<double>(s) + static_cast<double>(DD[i]));
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace engine
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace engine {

HWY_EXPORT(RowDistances);
HWY_EXPORT(WellFunctionArguments);
HWY_EXPORT(AccumulateDrawdowns);

void row_distances(const float* dx2, float dy2, float* R, std::size_t n) {
  HWY_DYNAMIC_DISPATCH(RowDistances)(dx2, dy2, R, n);
}

void well_function_arguments(const float* R, double u_factor, float B, float* u, float* rb,
                             std::size_t n) {
  HWY_DYNAMIC_DISPATCH(WellFunctionArguments)(R, u_factor, B, u, rb, n);
}

void accumulate_drawdowns(const float* W, double K, float T, float* DD, std::size_t n) {
  HWY_DYNAMIC_DISPATCH(AccumulateDrawdowns)(W, K, T, DD, n);
}

}  // namespace engine
#endif  // HWY_ONCE
