// The picture's texts: the numbers and sentences it shows, and their layout
// with Pango (fonts chosen by fontconfig, lines wrapped at word boundaries).
// Metrics are unhinted, so a text measures the same while laying out and
// when drawn at any resolution. Internal to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "engine/drawdown_grid.h"

namespace pictures::picture {

/// A text style: the font's size in points and its weight.
struct Font {
  double size = 10.0;
  bool bold = false;
};

inline constexpr const char* kFontFamily = "DejaVu Sans";
inline constexpr Font kTitleFont{14.0, true};
inline constexpr Font kSubtitleFont{9.5};
inline constexpr Font kTickFont{8.5};
inline constexpr Font kAxisTitleFont{9.5};
inline constexpr Font kContourFont{8.0};
inline constexpr Font kMarkerFont{8.5, true};
inline constexpr Font kKeyFont{8.5};

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// ---------------------------------------------------------------- numbers

/// `v` with `decimals` digits after the point, never "-0"; a minus sign for a
/// negative value.
std::string fixed(double v, int decimals);

/// Whole numbers with thousands separators (2,150,000), others with `decimals`.
std::string coordinate(double v, int decimals);

/// `v` as printf's %g writes it.
std::string general(float v);

/// A length of a scale bar: whole numbers with separators, others as %g.
std::string length_text(double v);

// ---------------------------------------------------------------- sentences

/// "Drawdown after 30 days of pumping".
std::string title_text(const engine::EvaluatedGrid& e);

/// The input's name (when given), the aquifer parameters, the number of wells
/// and the grid, separated by middle dots; each item kept on one line.
std::string subtitle_text(const engine::EvaluatedGrid& e, const std::string& input_name);

// ---------------------------------------------------------------- laying out

/// The extent of a text: its advance width, its line box's height, and its
/// first baseline below the top.
struct TextSize {
  double width = 0, height = 0, baseline = 0;
};

enum class Align { kLeft, kCentre, kRight };

/// The size of `s` in `font`, wrapped at `wrap` points when wrap > 0.
TextSize measure(cairo_t* cr, const std::string& s, Font font, double wrap = 0);

/// The height of capitals and digits in `font`, for centring a line of them.
double cap_height(Font font);

/// One line of text with its baseline at y; `x` is its left end, centre or
/// right end.
void text(cairo_t* cr, double x, double y, const std::string& s, Font font, Align align = Align::kLeft);

/// Text drawn over a busy background: a white outline, then the dark text.
void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Font font, Align align);

/// `s` wrapped at `width` points with its top-left corner at (x, top); returns
/// its height.
double paragraph(cairo_t* cr, double x, double top, double width, const std::string& s, Font font);

/// A context on a 1 x 1 image, for measuring text while laying out.
Context measuring_context();

}  // namespace pictures::picture
