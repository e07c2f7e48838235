// The reference of the leaky well function W(u, r/B) of Hantush and Jacob:
// the true integral by a slow adaptive quadrature, in double, beside the
// program's fixed rule WUB (model/well_function.h). The program evaluates the
// true well function with the engine's fast kernel
// (engine::true_well_function); this is what the tests hold that kernel to.
#pragma once

namespace model {

/// W(u, rb) = integral from u to infinity of exp(-y - rb*rb/(4y)) / y dy, in
/// double, to a relative error below 1e-10 wherever the value is a normal
/// double (tests check u from 1e-8 to 50 and rb from 0 to 10; about 1e-14 is
/// seen there, and up to u = 700 and rb = 300); by double-exponential
/// quadrature (Boost.Math) in t = ln(y/u).
///
/// Arguments outside the integral's domain:
///   - u or rb not a number: NaN.
///   - rb < 0: as |rb| (only rb*rb enters).
///   - u = +infinity or rb = +infinity: 0 (nothing left to integrate, or an
///     integrand that is 0 everywhere).
///   - u = 0 (either sign): the integral from 0, 2 K0(rb); +infinity for rb = 0
///     (E1 diverges at 0).
///   - u < 0: NaN (the integrand has no meaning for y <= 0).
/// The result underflows to 0 where the true value lies below the double
/// range: where the exponent's least value on [u, infinity), rb for u <= rb/2
/// and u + rb*rb/(4u) above, passes about 745.
double reference_well_function(double u, double rb);

}  // namespace model
