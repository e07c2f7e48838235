// The colour scale of the drawdown picture: viridis, perceptually uniform (equal
// steps in value look like equal steps in colour) and readable by colour-blind
// readers and in greyscale print, dark blue-violet for the lowest values to
// yellow for the highest.
#pragma once

namespace maps {

/// A colour, each channel from 0 to 1.
struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};

/// The colour at position t of the scale, t from 0 (lowest) to 1 (highest);
/// t outside is taken as the nearer end, not-a-number as 0.
Rgb viridis(double t);

}  // namespace maps
