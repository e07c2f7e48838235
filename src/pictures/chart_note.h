// A box of text lines drawn inside a chart's frame (a fit's estimates on its
// type-curve picture), in the corner where it hides the fewest of the
// series' points. Internal to the pictures.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "pictures/hydrograph.h"

typedef struct _cairo cairo_t;  // cairo.h's, so that callers need not see Cairo

namespace pictures::picture {

/// The frame's corners a note may take, in the order preferred on a tie.
enum class Corner { kTopLeft, kTopRight, kBottomLeft, kBottomRight };

/// The corner where a box `width` x `height` (picture units, inset from the
/// frame) covers the fewest of the points drawn of `series` (their markers and
/// the samples of their lines, as placed by `l`); top left on a tie.
Corner note_corner(const HydrographLayout& l, std::span<const Hydrograph> series, double width, double height);

/// Draws `lines` in a white, framed box inside l's frame at note_corner.
void draw_note(cairo_t* cr, const HydrographLayout& l, std::span<const Hydrograph> series,
               const std::vector<std::string>& lines);

}  // namespace pictures::picture
