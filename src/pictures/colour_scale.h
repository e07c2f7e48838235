// The colour scales of the drawdown picture, from published colour tables:
// - viridis (the 256-entry table of matplotlib, public domain): perceptually
//   uniform (equal steps in value look like equal steps in colour), readable
//   by colour-blind readers and in greyscale print, dark blue-violet for the
//   lowest values to yellow for the highest; for a field of one sign;
// - a diverging scale from ColorBrewer's 11-class RdBu (Cynthia A. Brewer,
//   colorbrewer2.org, Apache-style licence), read from blue to red: blue for a
//   rise of the head, near-white for no change, red for drawdown; for a field
//   that holds both.
// Between two entries of a table the colour is interpolated linearly.
#pragma once

namespace pictures {

/// A colour, each channel from 0 to 1.
struct Rgb {
  double r = 0.0;
  double g = 0.0;
  double b = 0.0;
};

/// The colour at position t of viridis, t from 0 (lowest) to 1 (highest);
/// t outside is taken as the nearer end, not-a-number as 0.
Rgb viridis(double t);

/// The colour at position t of the diverging scale: 0 dark blue, 0.5 the
/// near-white centre (#f7f7f7), 1 dark red; t outside is taken as the nearer
/// end, not-a-number as 0.5.
Rgb diverging(double t);

/// Which table a picture's colour scale uses.
enum class Palette { kViridis, kDiverging };

/// The colours of a picture: drawdowns from `lo` to `hi` (lo < hi) on a
/// palette. Viridis spans lo .. hi; the diverging scale is centred on 0 and
/// spans -m .. m with m the larger of |lo| and |hi|, so that a rise and a
/// drawdown of the same size get mirrored colours.
struct ColourScale {
  Palette palette = Palette::kViridis;
  double lo = 0.0, hi = 1.0;

  /// The position of drawdown `v` on the palette (below 0 or above 1 outside
  /// the scale).
  double position(double v) const;
  /// The colour of drawdown `v`; beyond an end, the end's colour.
  Rgb colour(double v) const;
};

}  // namespace pictures
