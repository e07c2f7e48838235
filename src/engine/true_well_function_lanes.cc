// The true well function and a row of the exact grid in SIMD lanes: the
// templates of true_well_function-inl.h on Highway vectors of doubles, built
// once per instruction set, the best one chosen at run time. Only operations
// that round alike on every instruction set are used, so every lane gives the
// scalar form's bits (true_well_function.cc).

#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "engine/true_well_function_lanes.cc"
#include "hwy/foreach_target.h"  // IWYU pragma: keep

#include "hwy/highway.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/true_grid_row.h"
#include "engine/true_run_testing.h"
#include "engine/true_well_function.h"
#include "engine/true_well_function_constants.h"
#include "model/true_drawdown.h"

HWY_BEFORE_NAMESPACE();
namespace engine {
namespace HWY_NAMESPACE {

#include "engine/true_well_function-inl.h"
#include "engine/true_run-inl.h"

namespace {

namespace hn = hwy::HWY_NAMESPACE;

using Dd = hn::ScalableTag<double>;
using Du = hn::RebindToUnsigned<Dd>;

// Vectors of doubles each operation of true_well_function-inl.h works on at
// once: the functions are long chains of dependent operations (Horner's rule,
// Clenshaw's recurrence), and independent vectors side by side keep the
// processor's pipelines full.
constexpr std::size_t kVectors = 2;

// A group of kVectors vectors, as one wide operand.
template <class T>
struct Group {
  T part[kVectors];
};

// Applies `op` to each vector of the groups.
template <class R, class F, class... A>
HWY_INLINE Group<R> Each(F op, const Group<A>&... a) {
  Group<R> out;
  for (std::size_t k = 0; k < kVectors; ++k) out.part[k] = op(a.part[k]...);
  return out;
}

// The operations of true_well_function-inl.h on a group of vectors of doubles.
struct LaneOps {
  using Vd = hn::Vec<Dd>;
  using Md = hn::Mask<Dd>;
  using Vu = hn::Vec<Du>;
  using V = Group<Vd>;
  using M = Group<Md>;
  using U = Group<Vu>;
  static HWY_INLINE V Set(double x) { return Each<Vd>([x]() HWY_ATTR { return hn::Set(Dd(), x); }); }
  static HWY_INLINE V Add(V a, V b) { return Each<Vd>([](Vd x, Vd y) HWY_ATTR { return hn::Add(x, y); }, a, b); }
  static HWY_INLINE V Sub(V a, V b) { return Each<Vd>([](Vd x, Vd y) HWY_ATTR { return hn::Sub(x, y); }, a, b); }
  static HWY_INLINE V Mul(V a, V b) { return Each<Vd>([](Vd x, Vd y) HWY_ATTR { return hn::Mul(x, y); }, a, b); }
  static HWY_INLINE V Div(V a, V b) { return Each<Vd>([](Vd x, Vd y) HWY_ATTR { return hn::Div(x, y); }, a, b); }
  static HWY_INLINE V Sqrt(V a) { return Each<Vd>([](Vd x) HWY_ATTR { return hn::Sqrt(x); }, a); }
  static HWY_INLINE V Abs(V a) { return Each<Vd>([](Vd x) HWY_ATTR { return hn::Abs(x); }, a); }
  static HWY_INLINE M Lt(V a, V b) { return Each<Md>([](Vd x, Vd y) HWY_ATTR { return hn::Lt(x, y); }, a, b); }
  static HWY_INLINE M Le(V a, V b) { return Each<Md>([](Vd x, Vd y) HWY_ATTR { return hn::Le(x, y); }, a, b); }
  static HWY_INLINE M Eq(V a, V b) { return Each<Md>([](Vd x, Vd y) HWY_ATTR { return hn::Eq(x, y); }, a, b); }
  static HWY_INLINE M IsNaN(V a) { return Each<Md>([](Vd x) HWY_ATTR { return hn::Not(hn::Eq(x, x)); }, a); }
  static HWY_INLINE M And(M a, M b) { return Each<Md>([](Md x, Md y) HWY_ATTR { return hn::And(x, y); }, a, b); }
  static HWY_INLINE M Or(M a, M b) { return Each<Md>([](Md x, Md y) HWY_ATTR { return hn::Or(x, y); }, a, b); }
  static HWY_INLINE M AndNot(M a, M b) { return Each<Md>([](Md x, Md y) HWY_ATTR { return hn::AndNot(x, y); }, a, b); }
  static HWY_INLINE V Select(M m, V yes, V no) {
    return Each<Vd>([](Md c, Vd x, Vd y) HWY_ATTR { return hn::IfThenElse(c, x, y); }, m, yes, no);
  }
  static HWY_INLINE bool Any(M m) {
    for (std::size_t k = 0; k < kVectors; ++k)
      if (!hn::AllFalse(Dd(), m.part[k])) return true;
    return false;
  }
  static HWY_INLINE U Bits(V a) { return Each<Vu>([](Vd x) HWY_ATTR { return hn::BitCast(Du(), x); }, a); }
  static HWY_INLINE V FromBits(U a) { return Each<Vd>([](Vu x) HWY_ATTR { return hn::BitCast(Dd(), x); }, a); }
  static HWY_INLINE U SetU(std::uint64_t x) { return Each<Vu>([x]() HWY_ATTR { return hn::Set(Du(), x); }); }
  static HWY_INLINE U AddU(U a, U b) { return Each<Vu>([](Vu x, Vu y) HWY_ATTR { return hn::Add(x, y); }, a, b); }
  static HWY_INLINE U SubU(U a, U b) { return Each<Vu>([](Vu x, Vu y) HWY_ATTR { return hn::Sub(x, y); }, a, b); }
  static HWY_INLINE U AndU(U a, U b) { return Each<Vu>([](Vu x, Vu y) HWY_ATTR { return hn::And(x, y); }, a, b); }
  static HWY_INLINE U OrU(U a, U b) { return Each<Vu>([](Vu x, Vu y) HWY_ATTR { return hn::Or(x, y); }, a, b); }
  static HWY_INLINE U Shl52(U a) { return Each<Vu>([](Vu x) HWY_ATTR { return hn::ShiftLeft<52>(x); }, a); }
  static HWY_INLINE U Shr52(U a) { return Each<Vu>([](Vu x) HWY_ATTR { return hn::ShiftRight<52>(x); }, a); }
};

// Loads and stores of a group from consecutive doubles.
HWY_INLINE LaneOps::V LoadGroup(const double* p) {
  const Dd d;
  LaneOps::V v;
  for (std::size_t k = 0; k < kVectors; ++k) v.part[k] = hn::LoadU(d, p + k * hn::Lanes(d));
  return v;
}
HWY_INLINE void StoreGroup(const LaneOps::V& v, double* p) {
  const Dd d;
  for (std::size_t k = 0; k < kVectors; ++k) hn::StoreU(v.part[k], d, p + k * hn::Lanes(d));
}

using V = LaneOps::V;

// Most doubles in a group on any target, with room to spare.
constexpr std::size_t kMaxLanes = 16 * kVectors;

}  // namespace

void WLanes(const double* u, const double* rb, double* W, std::size_t count) {
  const std::size_t n = hn::Lanes(Dd()) * kVectors;
  std::size_t i = 0;
  for (; i + n <= count; i += n) StoreGroup(true_w_form::TrueW<LaneOps>(LoadGroup(u + i), LoadGroup(rb + i)), W + i);
  if (i < count) {
    // The last few in a full group, its spare lanes given u = rb = 1.
    double us[kMaxLanes], rbs[kMaxLanes], Ws[kMaxLanes];
    for (std::size_t k = 0; k < n; ++k) {
      us[k] = i + k < count ? u[i + k] : 1.0;
      rbs[k] = i + k < count ? rb[i + k] : 1.0;
    }
    StoreGroup(true_w_form::TrueW<LaneOps>(LoadGroup(us), LoadGroup(rbs)), Ws);
    std::copy(Ws, Ws + (count - i), W + i);
  }
}

// `sum` plus the drawdowns of terms [begin, end) at a group of nodes (xs, y),
// term by term in order, in the arithmetic of model/true_drawdown.h.
HWY_INLINE LaneOps::V TermSums(LaneOps::V sum, LaneOps::V xs, double y, const TrueTermArrays& t, std::size_t begin,
                               std::size_t end) {
  using O = LaneOps;
  const O::V one = O::Set(model::D(model::kLeastDistance));
  const O::V T = O::Set(t.T), S = O::Set(t.S), B = O::Set(t.B), ku = O::Set(model::kTrueUCoefficient);
  for (std::size_t k = begin; k < end; ++k) {
    const O::V dx = O::Sub(xs, O::Set(t.x[k]));
    const O::V dy = O::Set(y - t.y[k]);
    O::V r = O::Sqrt(O::Add(O::Mul(dx, dx), O::Mul(dy, dy)));
    r = O::Select(O::Lt(one, r), r, one);                                          // true_distance
    const O::V u = O::Div(O::Mul(O::Mul(O::Mul(ku, r), r), S), O::Set(t.T_elapsed[k]));  // true_u
    const O::V W = true_w_form::TrueW<O>(u, O::Div(r, B));
    sum = O::Add(sum, O::Div(O::Mul(O::Set(t.drawdown_per_W[k]), W), T));              // true_drawdown
  }
  return sum;
}

// The terms' drawdowns at a group of nodes (xs, y), summed in term order: the
// segments one after the other, term by term or a run's piece at a time.
HWY_INLINE LaneOps::V NodeSums(LaneOps::V sum, LaneOps::V xs, double y, const TrueTermArrays& t) {
  if (t.segment_count == 0) return TermSums(sum, xs, y, t, 0, t.count);
  for (std::size_t i = 0; i < t.segment_count; ++i) {
    const TrueSegment& s = t.segments[i];
    sum = s.piece ? true_run_form::PieceSums<LaneOps>(sum, xs, y, t, s) : TermSums(sum, xs, y, t, s.begin, s.end);
  }
  return sum;
}

void PieceWellFunction(double a, double b, const TrueTermArrays& terms, const TrueSegment& s, double* W) {
  using O = LaneOps;
  const auto fit = true_run_form::Fit<O>(O::Set(a), O::Set(b), terms, s);
  for (std::size_t k = s.begin; k < s.end; k += true_run_form::kTermsAtOnce) {
    const auto values = true_run_form::PieceW<O>(fit, terms, s, k);
    for (std::size_t m = 0; m < true_run_form::kTermsAtOnce && k + m < s.end; ++m)
      W[k + m - s.begin] = hn::GetLane(values.part[m].part[0]);
  }
}

// sums[i] += the node's terms, for i < count (from 0.0: true_grid_row).
void GridRowAdd(const double* xs, std::size_t count, double y, const TrueTermArrays& terms, double* sums) {
  const std::size_t n = hn::Lanes(Dd()) * kVectors;
  std::size_t i = 0;
  for (; i + n <= count; i += n) StoreGroup(NodeSums(LoadGroup(sums + i), LoadGroup(xs + i), y, terms), sums + i);
  if (i < count) {
    // The last few nodes in a full group, its spare lanes at the last node.
    double x_last[kMaxLanes], s_last[kMaxLanes];
    for (std::size_t k = 0; k < n; ++k) {
      x_last[k] = xs[std::min(i + k, count - 1)];
      s_last[k] = sums[std::min(i + k, count - 1)];
    }
    StoreGroup(NodeSums(LoadGroup(s_last), LoadGroup(x_last), y, terms), s_last);
    std::copy(s_last, s_last + (count - i), sums + i);
  }
}

}  // namespace HWY_NAMESPACE
}  // namespace engine
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace engine {

HWY_EXPORT(WLanes);
HWY_EXPORT(GridRowAdd);
HWY_EXPORT(PieceWellFunction);

void true_well_function_lanes(std::span<const double> u, std::span<const double> rb, std::span<double> W) {
  HWY_DYNAMIC_DISPATCH(WLanes)(u.data(), rb.data(), W.data(), W.size());
}

void true_grid_row(const double* xs, std::size_t n, double y, const TrueTermArrays& terms, double* sums) {
  std::fill(sums, sums + n, 0.0);
  HWY_DYNAMIC_DISPATCH(GridRowAdd)(xs, n, y, terms, sums);
}

void true_grid_row_add(const double* xs, std::size_t n, double y, const TrueTermArrays& terms, double* sums) {
  HWY_DYNAMIC_DISPATCH(GridRowAdd)(xs, n, y, terms, sums);
}

void true_piece_well_function(double a, double b, const TrueTermArrays& terms, const TrueSegment& s, double* W) {
  HWY_DYNAMIC_DISPATCH(PieceWellFunction)(a, b, terms, s, W);
}

}  // namespace engine
#endif  // HWY_ONCE
