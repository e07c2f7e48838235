// The picture's texts: the numbers and sentences it shows, and the Cairo
// helpers that measure and draw them. Internal to the picture (plot_*.cc).
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "engine/drawdown_grid.h"

namespace maps::picture {

inline constexpr const char* kFont = "DejaVu Sans";
inline constexpr double kTitleSize = 17.0;
inline constexpr double kSubtitleSize = 12.5;
inline constexpr double kTickSize = 11.5;
inline constexpr double kAxisTitleSize = 12.5;
inline constexpr double kLabelSize = 11.0;

using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;
using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// ---------------------------------------------------------------- numbers

/// `v` with `decimals` digits after the point, never "-0".
std::string fixed(double v, int decimals);

/// Whole numbers with thousands separators (2,150,000), others with `decimals`.
std::string coordinate(double v, int decimals);

/// `v` as printf's %g writes it.
std::string general(float v);

/// A contour level as the picture labels it: the decimals of `interval`.
std::string level_text(double level, double interval);

// ---------------------------------------------------------------- sentences

/// "Drawdown after 30 days of pumping".
std::string title_text(const engine::EvaluatedGrid& e);

/// The aquifer parameters, the number of wells and the grid.
std::string subtitle_text(const engine::EvaluatedGrid& e);

// ---------------------------------------------------------------- drawing text

struct TextSize {
  double width = 0, ascent = 0;
};

enum class Align { kLeft, kCentre, kRight };

/// Selects the picture's font at `size`, bold or not.
void font(cairo_t* cr, double size, bool bold = false);

/// The advance width of `s` and the height of its capitals in the current font.
TextSize measure(cairo_t* cr, const std::string& s);

/// Text with its baseline at y; `x` is its left end, centre or right end.
void text(cairo_t* cr, double x, double y, const std::string& s, Align align = Align::kLeft);

/// Text drawn over a busy background: a white outline, then the dark text.
void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Align align);

/// A context on a 1 x 1 image, for measuring text while laying out.
Context measuring_context();

}  // namespace maps::picture
