#include "maps/plot_text.h"

#include <cstdio>

#include "maps/contour.h"

namespace maps::picture {

std::string fixed(double v, int decimals) {
  if (v == 0.0) v = 0.0;  // no "-0"
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string coordinate(double v, int decimals) {
  std::string s = fixed(v, decimals);
  if (decimals > 0) return s;
  const std::size_t first = s[0] == '-' ? 1 : 0;
  std::string out(s, 0, first);
  for (std::size_t k = first; k < s.size(); ++k) {
    if (k > first && (s.size() - k) % 3 == 0) out += ',';
    out += s[k];
  }
  return out;
}

std::string general(float v) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", static_cast<double>(v));
  return text;
}

std::string level_text(double level, double interval) { return fixed(level, decimals_for(interval)); }

std::string title_text(const engine::EvaluatedGrid& e) {
  return "Drawdown after " + general(e.TIME) + (e.TIME == 1.0f ? " day" : " days") + " of pumping";
}

std::string subtitle_text(const engine::EvaluatedGrid& e) {
  const std::size_t n = e.wells.size();
  return "T = " + general(e.T) + " gpd/ft    leakance = " + general(e.LEAK) + " gpd/ft\u00b3    S = " + general(e.S) +
         "    " + std::to_string(n) + (n == 1 ? " well" : " wells") + "    " + std::to_string(e.NX) + " \u00d7 " +
         std::to_string(e.NY) + " nodes, " + std::to_string(e.SPACING) + " ft apart";
}

void font(cairo_t* cr, double size, bool bold) {
  cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size);
}

TextSize measure(cairo_t* cr, const std::string& s) {
  cairo_text_extents_t te;
  cairo_text_extents(cr, s.c_str(), &te);
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  return TextSize{te.x_advance, fe.ascent * 0.75};
}

namespace {

double left_end(cairo_t* cr, double x, const std::string& s, Align align) {
  const double w = measure(cr, s).width;
  return align == Align::kLeft ? x : align == Align::kCentre ? x - w / 2 : x - w;
}

}  // namespace

void text(cairo_t* cr, double x, double y, const std::string& s, Align align) {
  cairo_move_to(cr, left_end(cr, x, s, align), y);
  cairo_show_text(cr, s.c_str());
}

void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Align align) {
  const double left = left_end(cr, x, s, align);
  cairo_move_to(cr, left, y);
  cairo_text_path(cr, s.c_str());
  cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
  cairo_set_line_width(cr, 3.0);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
  cairo_move_to(cr, left, y);
  cairo_show_text(cr, s.c_str());
}

Context measuring_context() {
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), cairo_surface_destroy);
  return Context(cairo_create(s.get()), cairo_destroy);
}

}  // namespace maps::picture
