// The true leaky well function W(u, r/B) of Hantush and Jacob, fast, in
// double: a fixed evaluation with the same bits in scalar form and in SIMD
// lanes, for the exact mode's grids and receptors. (The adaptive quadrature
// model::reference_well_function is the slow reference it is tested against.)
#pragma once

#include <span>

namespace engine {

/**
 * W(u, rb) = integral from u to infinity of exp(-y - rb*rb/(4y)) / y dy.
 *
 *      Inputs: any u and rb
 *   Max error: relative 5.8e-15 seen against a table of 1185 values to 40
 *              digits (u from 1e-30 to 700, rb from 0 to 100, the places
 *              where the method changes), and 1.2e-14 from
 *              model::reference_well_function over a sweep of 99783 pairs of
 *              that range (tests/engine/true_well_function_test.cc), where
 *              the value is a normal single; rounded to single, the
 *              correctly rounded single at every one of those points
 *      Method: series in E_n for max(u, rb^2/(4u)) <= 1, else a fixed 24-node
 *              Gauss-Legendre or 16-node Gauss-Laguerre rule after the
 *              substitution w = sqrt(y) - rb/(2 sqrt(y)); u < rb/2 through
 *              W(u, rb) = 2 K0(rb) - W(rb^2/(4u), rb)
 *   Limits:    rb < 0: as |rb|; u = 0: 2 K0(rb) (+inf for rb = 0);
 *              u or rb = +inf: 0; u < 0 or NaN, rb NaN: NaN
 *   Fallback:  none: every input takes the same arithmetic; values below
 *              about 1e-300 (u + rb^2/(4u) or rb past 708) are returned as 0
 */
double true_well_function(double u, double rb);

/// W[i] = true_well_function(u[i], rb[i]) for i < W.size() (u and rb at least
/// as long), bit for bit, several at once in SIMD lanes on the processor's
/// best instruction set.
void true_well_function_lanes(std::span<const double> u, std::span<const double> rb, std::span<double> W);

}  // namespace engine
