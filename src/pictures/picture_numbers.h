// The numbers the pictures show, written as a reader expects them on a map or
// a chart (thousands separated, a true minus sign, never "-0"), and the round
// values their axes, scale bars and ticks are built on. Shared by the map and
// the charts.
#pragma once

#include <string>
#include <vector>

namespace pictures::picture {

/// `v` with `decimals` digits after the point (0 to 12; others are taken into
/// that range), thousands separated by commas (2,150,000.5), a true minus sign
/// (U+2212) for a negative value, and never "-0".
std::string fixed(double v, int decimals);

/// A round number with no more decimals than it needs (to a millionth of
/// itself): 0.05, 2, 1,000; as printf's %g beyond 1e15 or below 1e-6.
std::string shortest(double v);

/// `v` as printf's %g writes it (50000, 0.0002), with a true minus sign.
std::string general(float v);

/// The largest of 1, 2 and 5 times a power of ten at or below `v` (> 0).
double round_below(double v);

/// The smallest of 1, 2 and 5 times a power of ten at or above `v` (> 0).
double round_above(double v);

/// The multiples of `step` (> 0) from lo to hi, both included within a
/// billionth of a step; at most 100; none for a step that is not above 0.
std::vector<double> multiples(double lo, double hi, double step);

}  // namespace pictures::picture
