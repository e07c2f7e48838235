// The true leaky well function W(u, b), written once for any lane width: the
// scalar form (true_well_function.cc, plain doubles) and every SIMD
// instruction set (true_well_function_lanes.cc, Highway vectors) instantiate
// these templates with their own operations O. Only IEEE operations that
// every instruction set rounds alike are used (+, -, *, /, sqrt, comparisons,
// integer operations on the bits); no fused multiply-add, no library exp or
// log. So each lane gives the scalar form's bits.
//
// The includer includes "engine/true_well_function_constants.h" first and
// includes this file inside its own namespace (once per instruction set:
// the guard below follows Highway's per-target toggle).
//
// O provides, for V (doubles), M (masks) and U (64-bit unsigned integers):
//   V Set(double); V Add, Sub, Mul, Div (V, V); V Sqrt(V), Abs(V);
//   M Lt, Le, Eq (V, V), IsNaN(V); M And, Or, AndNot(M a, M b) = b and not a (M, M);
//   V Select(M, V yes, V no); bool Any(M);
//   U Bits(V); V FromBits(U); U SetU(uint64); U AddU, SubU, AndU, OrU (U, U);
//   U Shl52(U), Shr52(U).
//
// The mathematics. With c = b^2/4 and f(y) = y + c/y,
//   W(u, b) = integral from u to inf of exp(-f(y)) / y dy.
// The substitution y = (b/2) e^t, w = sqrt(2b) sinh(t/2) turns it into
//   W(u, b) = 2 e^-b integral from w0 to inf of exp(-w^2) / sqrt(w^2 + 2b) dw,
//   w0 = sqrt(u) - b / (2 sqrt(u)),
// so W(u, b) + W(c/u, b) = 2 K0(b) (w0 changes sign). Every u < b/2 is
// therefore taken as 2 K0(b) - W(c/u, b) (the subtracted value is at most
// K0(b), so at most a factor 2 cancels), and the rest works with u' = max(u, c/u) >= b/2
// and x' = min(u, c/u) = c/u', where d = w0^2 = u' + x' - b >= 0:
//   A  u' <= 1: the series W = sum over n of (-x')^n / n! E_{n+1}(u'), with
//      x' <= u' <= 1 (20 terms), E1 by its power series and the upward
//      recurrence n E_{n+1} = e^-u' - u' E_n (stable for u' <= 1);
//   B  u' > 1, d < 9: Gauss-Legendre, 24 nodes, in w on [w0, sqrt(d + 36)]
//      of exp(-(w^2 - d)) / sqrt(w^2 + 2b), times 2 e^-f; the integrand's
//      poles +-i sqrt(2b) lie at least sqrt(u') > 1 from the interval;
//   C  d >= 9: with q = w^2 - d, W = e^-f integral over q >= 0 of
//      e^-q / sqrt((q + d)(q + d + 2b)) dq, by Gauss-Laguerre, 16 nodes (the
//      branch points -d and -d - 2b lie at least 9 from the interval).
// f = u' + x' is the exponent at the lower limit. K0 is its series for
// b <= 2 and a Chebyshev sum of e^b sqrt(b) K0(b) in 4/b - 1 above.
// Below e^-708 (f or b past 708) the value is taken as 0.

#if defined(ENGINE_TRUE_WELL_FUNCTION_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef ENGINE_TRUE_WELL_FUNCTION_INL_H_
#undef ENGINE_TRUE_WELL_FUNCTION_INL_H_
#else
#define ENGINE_TRUE_WELL_FUNCTION_INL_H_
#endif

namespace true_w_form {

using namespace ::engine::true_w;

// Where the forms change (see above).
inline constexpr double kSeriesLimit = 1.0;    // A for u' <= this
inline constexpr double kLaguerreFrom = 9.0;   // C for d >= this
inline constexpr double kLegendreSpan = 36.0;  // B integrates w^2 - d from 0 to this
inline constexpr double kK0SeriesLimit = 2.0;  // K0 by its series for b <= this
// exp(x) is taken as 0 below this (e^-708 is near the least normal double).
inline constexpr double kExpFloor = -708.0;

// A polynomial sum of a[k] x^k, k < n, by Horner's rule.
template <class O, std::size_t n>
inline typename O::V Horner(const double (&a)[n], typename O::V x) {
  typename O::V p = O::Set(a[n - 1]);
  for (std::size_t k = n - 1; k-- > 0;) p = O::Add(O::Mul(p, x), O::Set(a[k]));
  return p;
}

// e^x within a few ulps for kExpFloor <= x <= 709; 0 below kExpFloor (and for
// NaN). x = k ln 2 + r, |r| <= ln(2)/2, e^r by its Taylor polynomial
// (remainder below 2^-56), 2^k from the bits.
template <class O>
inline typename O::V Exp(typename O::V x) {
  using V = typename O::V;
  const auto in_range = O::Lt(O::Set(kExpFloor), x);
  V xc = O::Select(in_range, x, O::Set(kExpFloor));
  xc = O::Select(O::Lt(xc, O::Set(709.0)), xc, O::Set(709.0));
  const V magic = O::Set(0x1.8p52);  // adding it rounds to an integer
  const V kd_magic = O::Add(O::Mul(xc, O::Set(0x1.71547652b82fep0)), magic);  // x / ln 2
  const V kd = O::Sub(kd_magic, magic);
  // ln 2 in two parts, the first with 11 trailing zero bits: k * first is exact.
  const V r = O::Sub(O::Sub(xc, O::Mul(kd, O::Set(0x1.62e42fee00000p-1))), O::Mul(kd, O::Set(0x1.a39ef35793c76p-33)));
  const V p = Horner<O>(kExpTaylor, r);
  const auto k = O::SubU(O::Bits(kd_magic), O::Bits(magic));  // k modulo 2^64
  const V two_k = O::FromBits(O::Shl52(O::AddU(k, O::SetU(1023))));
  return O::Select(in_range, O::Mul(p, two_k), O::Set(0.0));
}

// ln x for 0 < x < inf (x outside that is taken as 1), within a few ulps:
// x = 2^e m with sqrt(1/2) <= m < sqrt(2), ln m = 2 atanh((m - 1)/(m + 1)).
template <class O>
inline typename O::V Log(typename O::V x) {
  using V = typename O::V;
  x = O::Select(O::And(O::Lt(O::Set(0.0), x), O::Lt(x, O::Set(0x1.fffffffffffffp1023))), x, O::Set(1.0));
  const auto tiny = O::Lt(x, O::Set(0x1p-1022));  // subnormal: scaled up first
  x = O::Select(tiny, O::Mul(x, O::Set(0x1p54)), x);
  const auto bits = O::Bits(x);
  // The biased exponent as a double: 2^52 + e_biased, less 2^52.
  const V biased = O::Sub(O::FromBits(O::OrU(O::Shr52(bits), O::SetU(0x4330000000000000ull))), O::Set(0x1p52));
  V e = O::Sub(biased, O::Select(tiny, O::Set(1023.0 + 54.0), O::Set(1023.0)));
  V m = O::FromBits(O::OrU(O::AndU(bits, O::SetU(0x000fffffffffffffull)), O::SetU(0x3ff0000000000000ull)));
  const auto high = O::Lt(O::Set(kSqrt2), m);
  m = O::Select(high, O::Mul(m, O::Set(0.5)), m);
  e = O::Select(high, O::Add(e, O::Set(1.0)), e);
  const V s = O::Div(O::Sub(m, O::Set(1.0)), O::Add(m, O::Set(1.0)));
  const V ln_m = O::Mul(O::Add(s, s), Horner<O>(kLogSeries, O::Mul(s, s)));
  return O::Add(O::Mul(e, O::Set(0x1.62e42fee00000p-1)), O::Add(ln_m, O::Mul(e, O::Set(0x1.a39ef35793c76p-33))));
}

// K0(b) for b > 0 (0 past b = 708).
template <class O>
inline typename O::V K0(typename O::V b) {
  using V = typename O::V;
  const auto small = O::Le(b, O::Set(kK0SeriesLimit));
  V series = O::Set(0.0), chebyshev = O::Set(0.0);
  if (O::Any(small)) {
    const V half = O::Mul(O::Select(small, b, O::Set(1.0)), O::Set(0.5));
    const V z = O::Mul(half, half);
    const V i0 = Horner<O>(kI0Series, z);
    series = O::Sub(Horner<O>(kK0Series, z), O::Mul(O::Add(Log<O>(half), O::Set(kEulerGamma)), i0));
  }
  if (O::Any(O::AndNot(small, O::Eq(b, b)))) {
    const V bl = O::Select(small, O::Set(4.0), b);
    const V z = O::Sub(O::Div(O::Set(4.0), bl), O::Set(1.0));
    const V z2 = O::Add(z, z);
    // Clenshaw's recurrence for the sum of c[j] T_j(z).
    constexpr std::size_t n = sizeof kK0Chebyshev / sizeof kK0Chebyshev[0];
    V b1 = O::Set(0.0), b2 = O::Set(0.0);
    for (std::size_t j = n - 1; j >= 1; --j) {
      const V b0 = O::Add(O::Sub(O::Mul(z2, b1), b2), O::Set(kK0Chebyshev[j]));
      b2 = b1;
      b1 = b0;
    }
    const V sum = O::Add(O::Sub(O::Mul(z, b1), b2), O::Set(kK0Chebyshev[0]));
    chebyshev = O::Div(O::Mul(Exp<O>(O::Sub(O::Set(0.0), bl)), sum), O::Sqrt(bl));
  }
  return O::Select(small, series, chebyshev);
}

// Form A: the E_n series, for 0 < u <= 1 and 0 <= x = c/u <= u.
template <class O>
inline typename O::V Series(typename O::V u, typename O::V x) {
  using V = typename O::V;
  const V e1 = O::Sub(O::Sub(Horner<O>(kE1Series, u), O::Set(kEulerGamma)), Log<O>(u));
  const V e_u = Exp<O>(O::Sub(O::Set(0.0), u));
  const V minus_x = O::Sub(O::Set(0.0), x);
  V e_n = e1, term = O::Set(1.0), sum = e1;
  constexpr std::size_t n_max = sizeof kReciprocals / sizeof kReciprocals[0] - 1;
  for (std::size_t n = 1; n <= n_max; ++n) {
    const V inv_n = O::Set(kReciprocals[n]);
    e_n = O::Mul(O::Sub(e_u, O::Mul(u, e_n)), inv_n);  // E_{n+1}
    term = O::Mul(O::Mul(term, minus_x), inv_n);      // (-x)^n / n!
    sum = O::Add(sum, O::Mul(term, e_n));
  }
  return sum;
}

// Form B: 2 e^-f times the Gauss-Legendre sum in w, for w0 >= 0.
template <class O>
inline typename O::V Legendre(typename O::V w0, typename O::V d, typename O::V b, typename O::V f) {
  using V = typename O::V;
  const V length = O::Sub(O::Sqrt(O::Add(d, O::Set(kLegendreSpan))), w0);
  const V two_w0 = O::Add(w0, w0), two_b = O::Add(b, b);
  V sum = O::Set(0.0);
  constexpr std::size_t n = sizeof kLegendreX / sizeof kLegendreX[0];
  for (std::size_t k = 0; k < n; ++k) {
    const V delta = O::Mul(length, O::Set(kLegendreX[k]));  // w - w0
    const V w = O::Add(w0, delta);
    const V rise = O::Mul(delta, O::Add(delta, two_w0));     // w^2 - w0^2
    const V g = O::Div(Exp<O>(O::Sub(O::Set(0.0), rise)), O::Sqrt(O::Add(O::Mul(w, w), two_b)));
    sum = O::Add(sum, O::Mul(O::Set(kLegendreW[k]), g));
  }
  return O::Mul(O::Mul(O::Set(2.0), Exp<O>(O::Sub(O::Set(0.0), f))), O::Mul(length, sum));
}

// Form C: e^-f times the Gauss-Laguerre sum in q.
template <class O>
inline typename O::V Laguerre(typename O::V d, typename O::V b, typename O::V f) {
  using V = typename O::V;
  const V two_b = O::Add(b, b);
  V sum = O::Set(0.0);
  constexpr std::size_t n = sizeof kLaguerreX / sizeof kLaguerreX[0];
  for (std::size_t k = 0; k < n; ++k) {
    const V p = O::Add(O::Set(kLaguerreX[k]), d);
    sum = O::Add(sum, O::Div(O::Set(kLaguerreW[k]), O::Sqrt(O::Mul(p, O::Add(p, two_b)))));
  }
  return O::Mul(Exp<O>(O::Sub(O::Set(0.0), f)), sum);
}

// W(u', b) for u' >= b/2, x' = c/u' (0 where f = u' + x' passes 708).
template <class O>
inline typename O::V Upper(typename O::V u, typename O::V x, typename O::V b) {
  using V = typename O::V;
  const V f = O::Add(u, x);
  const auto live = O::Lt(f, O::Set(-kExpFloor));
  const auto in_a = O::And(live, O::Le(u, O::Set(kSeriesLimit)));
  const auto rest = O::AndNot(in_a, live);
  // w0 = sqrt(u') - sqrt(x') >= 0; lanes not integrated get harmless values.
  const V us = O::Select(rest, u, O::Set(4.0)), bs = O::Select(rest, b, O::Set(0.0));
  const V su = O::Sqrt(us);
  const V w0 = O::Sub(su, O::Div(O::Mul(bs, O::Set(0.5)), su));
  const V d = O::Mul(w0, w0);
  const auto in_c = O::And(rest, O::Le(O::Set(kLaguerreFrom), d));
  const auto in_b = O::AndNot(in_c, rest);
  V W = O::Set(0.0);
  if (O::Any(in_a)) W = O::Select(in_a, Series<O>(O::Select(in_a, u, O::Set(0.5)), O::Select(in_a, x, O::Set(0.0))), W);
  if (O::Any(in_b)) W = O::Select(in_b, Legendre<O>(w0, d, bs, f), W);
  if (O::Any(in_c)) W = O::Select(in_c, Laguerre<O>(d, bs, f), W);
  return W;
}

// W(u, rb) for any u and rb: the contract of engine::true_well_function.
template <class O>
inline typename O::V TrueW(typename O::V u, typename O::V rb) {
  using V = typename O::V;
  const V zero = O::Set(0.0), inf = O::Set(__builtin_inf());
  const V b = O::Abs(rb);
  const auto nan = O::Or(O::Or(O::IsNaN(u), O::IsNaN(b)), O::Lt(u, zero));
  const auto gone = O::Or(O::Eq(u, inf), O::Eq(b, inf));          // 0
  const auto pole = O::And(O::Eq(u, zero), O::Eq(b, zero));       // E1(0) = +inf
  const auto special = O::Or(O::Or(nan, gone), pole);
  // Every other lane has finite u >= 0 (-0 taken as +0) and b >= 0, not both 0.
  const V us = O::Select(special, O::Set(1.0), O::Abs(u)), bs = O::Select(special, O::Set(1.0), b);
  const V half_b = O::Mul(bs, O::Set(0.5));
  const V x = O::Mul(O::Div(half_b, us), half_b);  // c/u, +inf for u = 0 (no underflow of c first)
  const auto reflect = O::Lt(us, x);                // u < b/2
  const V upper = Upper<O>(O::Select(reflect, x, us), O::Select(reflect, us, x), bs);
  V W = upper;
  if (O::Any(reflect)) W = O::Select(reflect, O::Sub(O::Mul(O::Set(2.0), K0<O>(bs)), upper), upper);
  W = O::Select(pole, inf, W);
  W = O::Select(gone, zero, W);
  return O::Select(nan, O::Set(__builtin_nan("")), W);
}

}  // namespace true_w_form

#endif  // ENGINE_TRUE_WELL_FUNCTION_INL_H_
