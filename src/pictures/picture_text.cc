#include "pictures/picture_text.h"

#include <glib.h>
#include <pango/pangocairo.h>

namespace pictures::picture {
namespace {

struct Unref {
  void operator()(void* p) const { g_object_unref(p); }
};
using Layout = std::unique_ptr<PangoLayout, Unref>;

// How a layout's text is fitted: one line, one line cut with an ellipsis, or
// lines wrapped at word boundaries.
enum class Fit { kLine, kEllipsis, kWrap };

// A Pango layout of `s` for drawing on `cr` (or measuring), unhinted.
Layout make_layout(cairo_t* cr, const std::string& s, Font font, Fit fit, double width) {
  Layout layout(pango_cairo_create_layout(cr));
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(pango_layout_get_context(layout.get()), options);
  cairo_font_options_destroy(options);
  pango_layout_context_changed(layout.get());

  PangoFontDescription* description = pango_font_description_new();
  pango_font_description_set_family(description, font.fixed ? kFixedFamily : kFontFamily);
  pango_font_description_set_weight(description, font.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_absolute_size(description, font.size * PANGO_SCALE);
  pango_layout_set_font_description(layout.get(), description);
  pango_font_description_free(description);
  pango_layout_set_single_paragraph_mode(layout.get(), fit == Fit::kWrap ? FALSE : TRUE);
  if (fit != Fit::kLine && width > 0) {
    pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
    if (fit == Fit::kWrap) pango_layout_set_wrap(layout.get(), font.break_words ? PANGO_WRAP_WORD_CHAR : PANGO_WRAP_WORD);
    else pango_layout_set_ellipsize(layout.get(), PANGO_ELLIPSIZE_END);
  }
  const std::string valid = valid_utf8(s);
  pango_layout_set_text(layout.get(), valid.data(), static_cast<int>(valid.size()));
  return layout;
}

Layout line_layout(cairo_t* cr, const std::string& s, Font font, double most_width) {
  return make_layout(cr, s, font, most_width > 0 ? Fit::kEllipsis : Fit::kLine, most_width);
}

TextSize size_of(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return TextSize{static_cast<double>(logical.width) / PANGO_SCALE, static_cast<double>(logical.height) / PANGO_SCALE,
                  static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE};
}

// Moves to the top-left corner of a one-line layout placed at (x, y).
void place(cairo_t* cr, PangoLayout* layout, double x, double y, Placement where) {
  const TextSize size = size_of(layout);
  const double left = where.align == Align::kLeft     ? x
                      : where.align == Align::kCentre ? x - size.width / 2
                                                      : x - size.width;
  const double top = where.anchor == Anchor::kBaseline ? y - size.baseline
                     : where.anchor == Anchor::kMiddle ? y - size.height / 2
                                                       : y;
  cairo_move_to(cr, left, top);
}

}  // namespace

std::string valid_utf8(std::string_view s) {
  gchar* valid = g_utf8_make_valid(s.data(), static_cast<gssize>(s.size()));
  std::string out(valid);
  g_free(valid);
  return out;
}

TextSize measure(cairo_t* cr, const std::string& s, Font font, double wrap) {
  return size_of(make_layout(cr, s, font, wrap > 0 ? Fit::kWrap : Fit::kLine, wrap).get());
}

TextSize measure_line(cairo_t* cr, const std::string& s, Font font, double most_width) {
  return size_of(line_layout(cr, s, font, most_width).get());
}

double cap_height(Font font) { return 0.73 * font.size; }  // DejaVu Sans: capitals 0.729 em

void text(cairo_t* cr, double x, double y, const std::string& s, Font font, Placement where) {
  Layout layout = line_layout(cr, s, font, where.most_width);
  place(cr, layout.get(), x, y, where);
  pango_cairo_show_layout(cr, layout.get());
}

void haloed_text(cairo_t* cr, double x, double y, const std::string& s, Font font, Placement where) {
  Layout layout = line_layout(cr, s, font, where.most_width);
  cairo_new_path(cr);
  place(cr, layout.get(), x, y, where);
  pango_cairo_layout_path(cr, layout.get());
  cairo_set_source_rgba(cr, 1, 1, 1, 0.85);
  cairo_set_line_width(cr, 2.4);
  cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.08, 0.08, 0.08);
  place(cr, layout.get(), x, y, where);
  pango_cairo_show_layout(cr, layout.get());
}

double paragraph(cairo_t* cr, double x, double top, double width, const std::string& s, Font font) {
  Layout layout = make_layout(cr, s, font, Fit::kWrap, width);
  cairo_move_to(cr, x, top);
  pango_cairo_show_layout(cr, layout.get());
  return size_of(layout.get()).height;
}

Context measuring_context() {
  Surface s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1), cairo_surface_destroy);
  return Context(cairo_create(s.get()), cairo_destroy);
}

}  // namespace pictures::picture
