#include "pictures/chart_note.h"

#include <cairo.h>

#include <algorithm>
#include <array>
#include <cmath>

#include "pictures/picture_text.h"

namespace pictures::picture {
namespace {

constexpr Font kNoteFont{8.5};
constexpr double kInset = 6.0;    // from the frame to the box
constexpr double kPadding = 5.0;  // from the box to its text

struct Box {
  double left = 0, top = 0, width = 0, height = 0;
  bool holds(double x, double y) const { return x >= left && x <= left + width && y >= top && y <= top + height; }
};

Box box_at(const HydrographLayout& l, Corner c, double width, double height) {
  const bool right = c == Corner::kTopRight || c == Corner::kBottomRight;
  const bool bottom = c == Corner::kBottomLeft || c == Corner::kBottomRight;
  return {right ? l.frame_left + l.frame_width - kInset - width : l.frame_left + kInset,
          bottom ? l.frame_top + l.frame_height - kInset - height : l.frame_top + kInset, width, height};
}

std::size_t covered(const HydrographLayout& l, std::span<const Hydrograph> series, const Box& b) {
  std::size_t n = 0;
  for (const Hydrograph& s : series) {
    const std::size_t points = std::min(s.days.size(), s.drawdown_ft.size());
    for (std::size_t i = 0; i < points; ++i) {
      const double t = s.days[i], d = s.drawdown_ft[i];
      if (!std::isfinite(t) || !std::isfinite(d) || (l.log_time && t <= 0) || (l.log_values && d <= 0)) continue;
      n += b.holds(l.to_x(t), l.to_y(d)) ? 1 : 0;
    }
  }
  return n;
}

}  // namespace

Corner note_corner(const HydrographLayout& l, std::span<const Hydrograph> series, double width, double height) {
  constexpr std::array<Corner, 4> kCorners = {Corner::kTopLeft, Corner::kTopRight, Corner::kBottomLeft,
                                              Corner::kBottomRight};
  Corner best = Corner::kTopLeft;
  std::size_t fewest = static_cast<std::size_t>(-1);
  for (Corner c : kCorners) {
    const std::size_t n = covered(l, series, box_at(l, c, width, height));
    if (n < fewest) fewest = n, best = c;
  }
  return best;
}

void draw_note(cairo_t* cr, const HydrographLayout& l, std::span<const Hydrograph> series,
               const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  double text_width = 0, row = 0;
  for (const std::string& s : lines) {
    const TextSize size = measure(cr, s, kNoteFont);
    text_width = std::max(text_width, size.width);
    row = std::max(row, size.height);
  }
  const double most = std::max(0.0, l.frame_width - 2 * (kInset + kPadding));
  text_width = std::min(text_width, most);
  const double width = text_width + 2 * kPadding, height = row * static_cast<double>(lines.size()) + 2 * kPadding;
  const Box b = box_at(l, note_corner(l, series, width, height), width, height);
  cairo_save(cr);
  cairo_rectangle(cr, b.left, b.top, b.width, b.height);
  cairo_set_source_rgba(cr, 1, 1, 1, 0.92);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.35, 0.35, 0.35);
  cairo_set_line_width(cr, 0.8);
  cairo_set_dash(cr, nullptr, 0, 0);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.05, 0.05, 0.05);
  for (std::size_t k = 0; k < lines.size(); ++k)
    text(cr, b.left + kPadding, b.top + kPadding + static_cast<double>(k) * row, lines[k], kNoteFont,
         Placement(Align::kLeft, Anchor::kTop, most));
  cairo_restore(cr);
}

}  // namespace pictures::picture
