// Row steps of the grid evaluation in SIMD lanes. Highway compiles this file
// once per instruction set and dispatches to the best one at run time. Every
// operation is an IEEE operation of the model's code (model/drawdown.h), in
// its order, with the model's constants; no multiply-add is formed (the
// project builds with -ffp-contract=off and these use separate Mul and Add).
// The nodes after the last whole vector of a row call the model's inline
// pieces themselves.

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/evaluate_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"

#include <cstddef>

#include "engine/evaluate_lanes.h"
#include "engine/to_single-inl.h"
#include "model/drawdown.h"
#include "model/rule.h"

HWY_BEFORE_NAMESPACE();
namespace engine {
namespace HWY_NAMESPACE {
namespace {

namespace hn = hwy::HWY_NAMESPACE;

using Dd = hn::ScalableTag<double>;
using Df = hn::Rebind<float, Dd>;

}  // namespace

void RowDistances(const float* dx2, float dy2, float* R, std::size_t n) {
  const Dd dd;
  const Df df;
  const std::size_t N = hn::Lanes(dd);
  const auto dy2d = hn::Set(dd, model::D(dy2));
  const auto least = hn::Set(df, model::kLeastDistance);
  std::size_t i = 0;
  for (; i + N <= n; i += N) {
    const auto r = ToSingle(hn::Sqrt(hn::Add(dy2d, hn::PromoteTo(dd, hn::LoadU(df, dx2 + i)))));
    hn::StoreU(hn::IfThenElse(hn::Lt(r, least), least, r), df, R + i);
  }
  for (; i < n; ++i) R[i] = model::distance_from_squares(dx2[i], dy2);
}

void WellFunctionArguments(const float* R, double u_factor, float B, float* u, float* rb,
                           std::size_t n) {
  const Dd dd;
  const Df df;
  const std::size_t N = hn::Lanes(dd);
  const auto uf = hn::Set(dd, u_factor);
  const auto coefficient = hn::Set(dd, model::D(model::kUCoefficient));
  const auto Bd = hn::Set(dd, model::D(B));
  std::size_t i = 0;
  for (; i + N <= n; i += N) {
    const auto Rd = hn::PromoteTo(dd, hn::LoadU(df, R + i));
    hn::StoreU(ToSingle(hn::Mul(uf, hn::Mul(hn::Mul(Rd, Rd), coefficient))), df, u + i);
    hn::StoreU(ToSingle(hn::Div(Rd, Bd)), df, rb + i);
  }
  for (; i < n; ++i) {
    u[i] = model::u_of(u_factor, R[i]);
    rb[i] = model::rb_of(R[i], B);
  }
}

void AccumulateDrawdowns(const float* W, double K, float T, float* DD, std::size_t n) {
  const Dd dd;
  const Df df;
  const std::size_t N = hn::Lanes(dd);
  const auto Kd = hn::Set(dd, K);
  const auto Td = hn::Set(dd, model::D(T));
  std::size_t i = 0;
  for (; i + N <= n; i += N) {
    const auto s = ToSingle(hn::Div(hn::Mul(Kd, hn::PromoteTo(dd, hn::LoadU(df, W + i))), Td));
    const auto sum = hn::Add(hn::PromoteTo(dd, s), hn::PromoteTo(dd, hn::LoadU(df, DD + i)));
    hn::StoreU(ToSingle(sum), df, DD + i);
  }
  for (; i < n; ++i) DD[i] = model::accumulate(model::drawdown_of(K, W[i], T), DD[i]);
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
