#include "pictures/plot_text.h"

#include <pango/pangocairo.h>

#include <cmath>
#include <cstdio>

namespace pictures::picture {

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  std::string s = text;
  if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-') s.erase(0, 1);  // no "-0"
  if (s[0] == '-') s.replace(0, 1, "\u2212");  // a true minus sign
  return s;
}

std::string coordinate(double v, int decimals) {
  std::string s = fixed(v, decimals);
  if (decimals > 0) return s;
  const std::string minus = "\u2212";
  const std::size_t first = s.starts_with(minus) ? minus.size() : 0;
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

std::string length_text(double v) {
  if (v == std::round(v)) return coordinate(v, 0);
  char text[64];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::string title_text(const engine::EvaluatedGrid& e) {
  return "Drawdown after " + general(e.TIME) + (e.TIME == 1.0f ? " day" : " days") + " of pumping";
}

std::string subtitle_text(const engine::EvaluatedGrid& e, const std::string& input_name) {
  // Items are joined by no-break spaces inside and wrap only between them.
  const std::string nb = "\u00a0", dot = "  \u00b7  ";
  const std::size_t n = e.wells.size();
  std::string s;
  if (!input_name.empty()) s += input_name + dot;
  s += "T" + nb + "=" + nb + general(e.T) + nb + "gpd/ft" + dot;
  s += "leakance" + nb + "=" + nb + general(e.LEAK) + nb + "gpd/ft\u00b3" + dot;
  s += "S" + nb + "=" + nb + general(e.S) + dot;
  s += std::to_string(n) + nb + (n == 1 ? "well" : "wells") + dot;
  s += std::to_string(e.NX) + nb + "\u00d7" + nb + std::to_string(e.NY) + nb + "nodes," + nb + std::to_string(e.SPACING) +
       nb + "ft" + nb + "apart";
  return s;
}

namespace {

struct Unref {
  void operator()(void* p) const { g_object_unref(p); }
};
using Layout = std::unique_ptr<PangoLayout, Unref>;

// A Pango layout of `s` for drawing on `cr` (or measuring), unhinted.
Layout make_layout(cairo_t* cr, const std::string& s, Font font, double wrap) {
  Layout layout(pango_cairo_create_layout(cr));
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
  cairo_font_options_destroy(options);
  pango_layout_context_changed(layout.get());

  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, kFontFamily);
  pango_font_description_set_weight(description, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), description);
  pango_font_description_free(description);
  if (wrap > 0) {
    pango_layout_set_width(layout.get(), static_cast<int>(wrap * PANGO_SCALE));
    pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD);
  }
  pango_layout_set_text(layout.get(), s.data(), static_cast<int>(s.size()));
  return layout;
}

TextSize size_of(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return TextSize{static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE,
                  static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE};
}

// Moves to the top-left corner of a one-line layout placed by its baseline.
TextSize place(cairo_t* cr, PangoLayout* layout, double x, double y, Align align) {
  const TextSize size = size_of(layout);
  const double left = align == Align::kLeft ? x : align == Align::kCentre ? x - size.width / 2 : x - size.width;
  cairo_move_to(cr, left, y - size.baseline);
  return size;
}

}  // namespace

TextSize measure(cairo_t* cr, const std::string& s, Font font, double wrap) {
  return size_of(make_layout(cr, s, font, wrap).get());
}

double cap_height(Font font) { return 0.73 * font.size; }  // DejaVu Sans: capitals 0.729 em

void text(cairo_t* cr, double x, double y, const std::string& s, Font font, Align align) {
  Layout layout = make_layout(cr, s, font, 0);
  place(cr, layout.get(), x, y, align);
  pango_cairo_show_layout(cr, layout.get());
}

void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Font font, Align align) {
  Layout layout = make_layout(cr, s, font, 0);
  cairo_new_path(cr);
  place(cr, layout.get(), x, y, align);
  pango_cairo_layout_path(cr, layout.get());
  cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
  cairo_set_line_width(cr, 2.4);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
  place(cr, layout.get(), x, y, align);
  pango_cairo_show_layout(cr, layout.get());
}

double paragraph(cairo_t* cr, double x, double top, double width, const std::string& s, Font font) {
  Layout layout = make_layout(cr, s, font, width);
  cairo_move_to(cr, x, top);
  pango_cairo_show_layout(cr, layout.get());
  return size_of(layout.get()).height;
}

Context measuring_context() {
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), cairo_surface_destroy);
  return Context(cairo_create(s.get()), cairo_destroy);
}

}  // namespace pictures::picture
