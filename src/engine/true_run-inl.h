// The pieces of a long run of terms at one well position (true_runs.h),
// summed at a group of nodes from Chebyshev polynomials, written once for any
// lane width with the operations O of true_well_function-inl.h (which the
// includer includes first, in the same namespace; the guard below follows
// Highway's per-target toggle). Each lane is one node and takes only IEEE
// operations on its own values, so a node's sum has the same bits in every
// lane of every instruction set.
//
// The mathematics. At one node of one piece, r and b = r/B are fixed and the
// terms' u = a / E (a = kTrueUCoefficient r^2 S, E = T * elapsed) lie in
// [a / E_first, a / E_last], E_first / E_last <= 2^(1/16). With
// E = middle + half * t, t in [-1, 1], the polynomial p of degree kDegree
// through the Chebyshev points (its coefficients by the discrete cosine
// transform, then turned into powers of t for Horner's rule) is fitted to
//   direct  W(a / E, b) itself, where W at the first and last points lies
//           within a factor kDirectRatio of W_middle (W at t = 0): W = p(t);
//   log     g(t) = ln(W(a / E, b) / W_middle), smooth and small (|g| is
//           about u/45 at most): W = W_middle exp(p(t)), with the relative
//           error of W the absolute error of p.
// Either way the error is near the kernel's own rounding: relative to the
// kernel, 8.4e-14 at most where W is a normal single, 2.4e-13 down to 1e-300
// (tests/engine/true_run_test.cc sweeps u and r/B).
//
// Each lane of a piece is one of three:
//   fitted  the polynomial, where the node's a is finite and above 0,
//           b <= kMostB and W at the piece's largest u is at least kLeastW;
//   zero    0, where (a and b as for fitted) W at the piece's smallest u
//           is already 0: u + b^2/(4u) is then past the kernel's cutoff, and
//           it only grows along the piece (for b <= kMostB the cutoff lies
//           where b^2/(4u) < u/4, so that each step up of u outweighs the
//           rounding of b^2/(4u));
//   kernel  the well function term by term, as the plain sum takes it (a
//           node with S = 0 or NaN inputs, r/B past kMostB, or the piece
//           where W falls below kLeastW).

#if defined(ENGINE_TRUE_RUN_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef ENGINE_TRUE_RUN_INL_H_
#undef ENGINE_TRUE_RUN_INL_H_
#else
#define ENGINE_TRUE_RUN_INL_H_
#endif

// The inner loops' functions are inlined whatever their size: a group of
// vectors passed to a call goes through memory.
#ifndef ENGINE_TRUE_RUN_INLINE
#define ENGINE_TRUE_RUN_INLINE inline __attribute__((always_inline))
#endif

namespace true_run_form {

using namespace ::engine::true_run;

// One piece at a group of nodes: which lanes take what, and the polynomial.
template <class O>
struct PieceFit {
  typename O::V a, b;                 // the nodes' u * E and r/B
  typename O::V power[kDegree + 1];   // p(t) = sum of power[k] t^k
  typename O::V W_middle;
  typename O::M fitted, kernel;       // the lanes of neither are zero
  typename O::M direct;               // the fitted lanes where p is W itself
  bool any_log = false;               // whether any fitted lane's p is ln(W / W_middle)
  bool all_fitted = false, any_fitted = false, any_kernel = false;
};

// The polynomial at the piece's points E (fitted lanes; the others get
// harmless values).
template <class O>
inline void FitPolynomial(PieceFit<O>& fit, const double (&E)[kPoints]) {
  using V = typename O::V;
  V f[kPoints];
  for (std::size_t i = 0; i < kPoints; ++i) f[i] = true_w_form::TrueW<O>(O::Div(fit.a, O::Set(E[i])), fit.b);
  fit.W_middle = f[kMiddle];
  const V ratio = O::Set(kDirectRatio);
  fit.direct = O::And(fit.fitted, O::And(O::Le(f[0], O::Mul(ratio, fit.W_middle)),
                                         O::Le(fit.W_middle, O::Mul(ratio, f[kDegree]))));
  fit.any_log = O::Any(O::AndNot(fit.direct, fit.fitted));
  if (fit.any_log)
    for (std::size_t i = 0; i < kPoints; ++i)
      f[i] = O::Select(fit.direct, f[i], true_w_form::Log<O>(O::Div(f[i], fit.W_middle)));
  V c[kDegree + 1];
  for (std::size_t j = 0; j <= kDegree; ++j) {
    c[j] = O::Set(0.0);
    for (std::size_t i = 0; i < kPoints; ++i) c[j] = O::Add(c[j], O::Mul(O::Set(kChebyshev.weight[j][i]), f[i]));
  }
  for (std::size_t k = 0; k <= kDegree; ++k) {
    fit.power[k] = O::Set(0.0);
    for (std::size_t j = k; j <= kDegree; ++j)
      if (kChebyshev.power[j][k] != 0.0)
        fit.power[k] = O::Add(fit.power[k], O::Mul(O::Set(kChebyshev.power[j][k]), c[j]));
  }
}

// The piece `s` of the terms `t` at nodes with u * E = a and r/B = b: the
// lanes' kinds and, where any lane is fitted, the polynomial.
template <class O>
inline PieceFit<O> Fit(typename O::V a, typename O::V b, const ::engine::TrueTermArrays& t,
                       const ::engine::TrueSegment& s) {
  using V = typename O::V;
  PieceFit<O> fit;
  fit.a = a;
  fit.b = b;
  const auto every = O::Eq(O::Set(0.0), O::Set(0.0));
  const auto eligible =
      O::And(O::And(O::Lt(O::Set(0.0), a), O::Lt(a, O::Set(__builtin_inf()))), O::Le(b, O::Set(kMostB)));
  const V W_first = true_w_form::TrueW<O>(O::Div(a, O::Set(t.T_elapsed[s.begin])), b);
  const V W_last = true_w_form::TrueW<O>(O::Div(a, O::Set(t.T_elapsed[s.end - 1])), b);
  fit.fitted = O::And(eligible, O::Le(O::Set(kLeastW), W_last));
  const auto zero = O::And(eligible, O::Eq(W_first, O::Set(0.0)));
  fit.kernel = O::AndNot(O::Or(fit.fitted, zero), every);
  fit.all_fitted = !O::Any(O::AndNot(fit.fitted, every));
  fit.any_fitted = O::Any(fit.fitted);
  fit.any_kernel = O::Any(fit.kernel);
  if (fit.any_fitted) FitPolynomial<O>(fit, s.E);
  return fit;
}

// The operations of O on kTermsAtOnce values of O::V side by side: a piece's
// terms several at a time through Horner's rule and the kernel's Exp. Each
// is a long chain of dependent operations, and independent ones interleaved
// keep the processor's pipelines full.
inline constexpr std::size_t kTermsAtOnce = 4;

template <class O>
struct Wide {
  template <class T>
  struct Of {
    T part[kTermsAtOnce];
  };
  using V = Of<typename O::V>;
  using M = Of<typename O::M>;
  using U = Of<typename O::U>;
  // Each operation part by part (plain loops: no lambdas, which would need
  // the includer's target attributes).
  static V Set(double x) {
    V r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Set(x);
    return r;
  }
  static U SetU(std::uint64_t x) {
    U r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::SetU(x);
    return r;
  }
  static V Add(const V& a, const V& b) {
    V r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Add(a.part[m], b.part[m]);
    return r;
  }
  static V Sub(const V& a, const V& b) {
    V r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Sub(a.part[m], b.part[m]);
    return r;
  }
  static V Mul(const V& a, const V& b) {
    V r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Mul(a.part[m], b.part[m]);
    return r;
  }
  static M Lt(const V& a, const V& b) {
    M r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Lt(a.part[m], b.part[m]);
    return r;
  }
  static V Select(const M& c, const V& a, const V& b) {
    V r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Select(c.part[m], a.part[m], b.part[m]);
    return r;
  }
  static U Bits(const V& a) {
    U r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Bits(a.part[m]);
    return r;
  }
  static V FromBits(const U& a) {
    V r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::FromBits(a.part[m]);
    return r;
  }
  static U AddU(const U& a, const U& b) {
    U r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::AddU(a.part[m], b.part[m]);
    return r;
  }
  static U SubU(const U& a, const U& b) {
    U r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::SubU(a.part[m], b.part[m]);
    return r;
  }
  static U Shl52(const U& a) {
    U r;
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) r.part[m] = O::Shl52(a.part[m]);
    return r;
  }
};

// W at the piece's points t[0 .. kTermsAtOnce) for the fitted lanes: p(t)
// by Horner's rule, then W_middle exp(p(t)) in the log lanes.
template <class O>
ENGINE_TRUE_RUN_INLINE typename Wide<O>::V Polynomial(const PieceFit<O>& fit, const double* t) {
  using W = Wide<O>;
  typename O::V ts[kTermsAtOnce];
  typename W::V p;
  for (std::size_t m = 0; m < kTermsAtOnce; ++m) {
    ts[m] = O::Set(t[m]);
    p.part[m] = fit.power[kDegree];
  }
  for (std::size_t k = kDegree; k-- > 0;)
    for (std::size_t m = 0; m < kTermsAtOnce; ++m) p.part[m] = O::Add(O::Mul(p.part[m], ts[m]), fit.power[k]);
  if (!fit.any_log) return p;
  typename W::V e = true_w_form::Exp<W>(p);
  for (std::size_t m = 0; m < kTermsAtOnce; ++m)
    p.part[m] = O::Select(fit.direct, p.part[m], O::Mul(fit.W_middle, e.part[m]));
  return p;
}

// W of the piece's terms k .. k + kTermsAtOnce - 1 (the piece's last term
// stands in for those past its end) as the lanes of `fit` take them.
template <class O>
ENGINE_TRUE_RUN_INLINE typename Wide<O>::V PieceW(const PieceFit<O>& fit, const ::engine::TrueTermArrays& t,
                                                  const ::engine::TrueSegment& s, std::size_t k) {
  double ts[kTermsAtOnce];
  for (std::size_t m = 0; m < kTermsAtOnce; ++m) ts[m] = t.t[std::min(k + m, s.end - 1)];
  typename Wide<O>::V W = Wide<O>::Set(0.0);
  if (fit.any_fitted) W = Polynomial<O>(fit, ts);
  if (fit.all_fitted) return W;
  for (std::size_t m = 0; m < kTermsAtOnce; ++m) {
    W.part[m] = O::Select(fit.fitted, W.part[m], O::Set(0.0));
    if (fit.any_kernel) {
      const double E = t.T_elapsed[std::min(k + m, s.end - 1)];
      W.part[m] = O::Select(fit.kernel, true_w_form::TrueW<O>(O::Div(fit.a, O::Set(E)), fit.b), W.part[m]);
    }
  }
  return W;
}

// `sum` plus the drawdowns of the piece `s` at the nodes (xs, y), term by term
// in order, in the arithmetic of model/true_drawdown.h.
template <class O>
inline typename O::V PieceSums(typename O::V sum, typename O::V xs, double y, const ::engine::TrueTermArrays& t,
                               const ::engine::TrueSegment& s) {
  using V = typename O::V;
  // r, u * E and r/B in the arithmetic of the term-by-term sum.
  const V dx = O::Sub(xs, O::Set(t.x[s.begin])), dy = O::Set(y - t.y[s.begin]);
  V r = O::Sqrt(O::Add(O::Mul(dx, dx), O::Mul(dy, dy)));
  const V one = O::Set(::model::D(::model::kLeastDistance));
  r = O::Select(O::Lt(one, r), r, one);
  const V a = O::Mul(O::Mul(O::Mul(O::Set(::model::kTrueUCoefficient), r), r), O::Set(t.S));
  const PieceFit<O> fit = Fit<O>(a, O::Div(r, O::Set(t.B)), t, s);
  const V T = O::Set(t.T);
  for (std::size_t k = s.begin; k < s.end; k += kTermsAtOnce) {
    const typename Wide<O>::V W = PieceW<O>(fit, t, s, k);
    const std::size_t n = std::min(kTermsAtOnce, s.end - k);
    for (std::size_t m = 0; m < n; ++m)
      sum = O::Add(sum, O::Div(O::Mul(O::Set(t.drawdown_per_W[k + m]), W.part[m]), T));
  }
  return sum;
}

}  // namespace true_run_form

#endif  // ENGINE_TRUE_RUN_INL_H_
