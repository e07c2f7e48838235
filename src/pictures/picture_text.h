// The pictures' text layer, shared by the map and the charts: fonts, measuring
// and drawing with Pango on Cairo (one line placed by its baseline, top or
// middle; a line cut with an ellipsis; a paragraph wrapped at word
// boundaries; an outlined text over a busy background). Metrics are unhinted,
// so a text measures the same while laying out and when drawn at any
// resolution; text that is not valid UTF-8 is repaired before it is shown.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>
#include <string_view>

namespace pictures::picture {

/// A text style: the font's size in points (picture units) and its weight.
struct Font {
  double size = 10.0;
  bool bold = false;
  bool fixed = false;        ///< the fixed-width family (kFixedFamily)
  bool break_words = false;  ///< a wrapped paragraph breaks a word too long for a line
};

/// The family of every text in the pictures.
inline constexpr const char* kFontFamily = "DejaVu Sans";
/// The family of fixed-width text (the memo's preformatted lines).
inline constexpr const char* kFixedFamily = "DejaVu Sans Mono";

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

/// The extent of a text: its advance width, its line box's height (all lines
/// of a paragraph), and its first baseline below the top.
struct TextSize {
  double width = 0, height = 0, baseline = 0;
};

/// Which end of a line its x gives.
enum class Align { kLeft, kCentre, kRight };

/// What a line's y gives: its baseline, the top of its line box, or the middle
/// of its line box.
enum class Anchor { kBaseline, kTop, kMiddle };

/// Where a line goes relative to the point it is drawn at, and the width at
/// which it is cut with an ellipsis (0: never).
struct Placement {
  /// A line placed by `align`, `anchor`, cut at `most_width` (0: not cut).
  constexpr Placement(Align align = Align::kLeft, Anchor anchor = Anchor::kBaseline, double most_width = 0)  // NOLINT
      : align(align), anchor(anchor), most_width(most_width) {}
  Align align;
  Anchor anchor;
  double most_width;
};

/// `s` as valid UTF-8: each invalid byte sequence replaced by U+FFFD.
std::string valid_utf8(std::string_view s);

/// The size of `s` in `font` as one line (a newline is shown, not broken at),
/// or, when wrap > 0, as a paragraph wrapped at `wrap` points.
TextSize measure(cairo_t* cr, const std::string& s, Font font, double wrap = 0);

/// The size of `s` in `font` as one line cut with an ellipsis beyond
/// `most_width` points (0: never cut).
TextSize measure_line(cairo_t* cr, const std::string& s, Font font, double most_width);

/// The height of capitals and digits in `font`, for centring a line of them.
double cap_height(Font font);

/// One line of `s` at (x, y), placed by `where`.
void text(cairo_t* cr, double x, double y, const std::string& s, Font font, Placement where = {});

/// One line over a busy background, placed by `where`: a white outline, then
/// the dark text.
void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Font font, Placement where);

/// `s` wrapped at `width` points with its top-left corner at (x, top); returns
/// its height.
double paragraph(cairo_t* cr, double x, double top, double width, const std::string& s, Font font);

/// A context on a 1 x 1 image, for measuring text while laying out.
Context measuring_context();

}  // namespace pictures::picture
