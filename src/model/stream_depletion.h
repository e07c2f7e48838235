// Stream depletion: the rate at which a well draws water out of a stream, as
// a fraction of the well's rate, for a well that starts pumping a constant
// rate at time 0. Any consistent units (the study: feet and days).
//
// The drawdown s of the leaky aquifer obeys S ds/dt = T lap(s) - (T/B^2) s + Q
// delta, and the depletion is the integral along the stream's line of T times
// the normal gradient of s. A fully penetrating stream is a line of s = 0: the
// well and its opposite image. Key step: integrated along the line, the 2-D
// kernel of an instantaneous source, exp(-r^2/(4 nu tau)) / (4 pi nu tau),
// becomes the 1-D one, exp(-d^2/(4 nu tau)) / sqrt(4 pi nu tau), so the flux
// through the line is that of a 1-D problem: the first-passage density
// (d / tau) (4 pi nu tau)^(-1/2) exp(-d^2 / (4 nu tau)) times the leakage's
// decay exp(-nu tau / B^2), integrated over tau from 0 to t. With
// sigma = d / sqrt(4 nu tau) it is
//     (2 / sqrt(pi)) integral from x to infinity of exp(-sigma^2 - c^2 / sigma^2) d sigma,
//     x = d / sqrt(4 nu t),  c = d / (2 B),
// whose closed form is (1/2) [e^(-2c) erfc(x - c/x) + e^(2c) erfc(x + c/x)]:
// erfc(x) without leakage (the classical result), tending to e^(-d/B) < 1
// with it (the rest comes through the confining layer).
#pragma once

#include <functional>
#include <limits>

namespace model {

/// The aquifer as the depletion sees it.
struct DepletionAquifer {
  double diffusivity = 0.0;  ///< nu = T / S, length^2 per time, above 0
  double leakage_factor = std::numeric_limits<double>::infinity();  ///< B, length; infinity without leakage
};

/// e^(z^2) erfc(z), the scaled complementary error function, for z >= 0
/// (relative error about 1e-15; 0 at +infinity).
double erfcx(double z);

/// The fraction of a well's rate that flows out of a fully penetrating,
/// straight, infinite stream at distance d from the well, t after the well
/// starts (0 for t <= 0): the closed form above, each term evaluated through
/// erfcx so that nothing cancels or overflows (relative error about 1e-14).
double stream_depletion(double d, double t, const DepletionAquifer& a);

/// As stream_depletion, for a stream behind a streambed of conductance
/// `lambda` (the streambed's conductivity times the stream's width over its
/// thickness, length per time) in an aquifer without leakage of
/// transmissivity `transmissivity` (length^2 per time) on both sides of the
/// stream (Hunt's semipervious-stream solution):
///     erfc(x) - exp(z^2 + 2 x z) erfc(x + z),  x = d / sqrt(4 nu t),
///     z = lambda sqrt(nu t) / (2 T),
/// evaluated as erfc(x) - e^(-x^2) erfcx(x + z). lambda = infinity gives
/// stream_depletion, lambda = 0 gives 0.
double streambed_depletion(double d, double t, double diffusivity, double transmissivity, double lambda);

/// The fraction of a well's rate that flows out of the half-line of a stream
/// that ends at a perpendicular stream (a quadrant between two streams): d
/// the well's distance from the first stream, e from the second. The pair of
/// the well and its image across the first stream, less the pair mirrored
/// across the second, through the half-line:
///     (2 / sqrt(pi)) integral from x to infinity of exp(-sigma^2 - c^2 / sigma^2) erf(sigma e / d) d sigma
/// (the erf is the share of the 1-D kernel on the aquifer's half of the
/// line), by double-exponential quadrature to a relative 1e-12 of the
/// integral. Tends to (2/pi) atan(e/d) without leakage.
double corner_depletion(double d, double e, double t, const DepletionAquifer& a);

/// The integral of `fraction` over time from 0 to t (0 for t <= 0): the
/// volume drawn from the stream per unit of the well's rate, by tanh-sinh
/// quadrature to a relative 1e-10. `fraction` must be smooth on (0, t].
double depletion_volume(const std::function<double(double)>& fraction, double t);

}  // namespace model
