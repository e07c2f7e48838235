// The picture's entry points: the format of a file name, and writing the
// picture to a file in that format.
#include "maps/plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cctype>

#include "maps/output_file.h"
#include "maps/plot_draw.h"
#include "maps/plot_text.h"

namespace maps {
namespace {

// Bytes from Cairo to the output file.
cairo_status_t write_bytes(void* closure, const unsigned char* data, unsigned int length) {
  return static_cast<OutputFile*>(closure)->write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

std::optional<PlotFormat> plot_format_of(std::string_view path) {
  if (path.size() <= 4) return std::nullopt;
  std::string end(path.substr(path.size() - 4));
  std::transform(end.begin(), end.end(), end.begin(), [](unsigned char c) { return std::tolower(c); });
  if (end == ".png") return PlotFormat::kPng;
  if (end == ".svg") return PlotFormat::kSvg;
  if (end == ".pdf") return PlotFormat::kPdf;
  return std::nullopt;
}

std::string write_plot(const std::string& path, PlotFormat format, const engine::EvaluatedGrid& e) {
  using picture::Context;
  using picture::Surface;
  if (std::string problem = missing_cells(e, "map"); !problem.empty()) return problem;
  const PlotLayout l = plot_layout(e);

  OutputFile sink(path);

  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  if (format == PlotFormat::kPng) {
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(l.width),
                                               static_cast<int>(l.height)),
                    cairo_surface_destroy);
    Context cr(cairo_create(surface.get()), cairo_destroy);
    picture::draw(cr.get(), e, l, 1.0);
    status = cairo_status(cr.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), write_bytes, &sink);
  } else {
    Surface surface(format == PlotFormat::kSvg
                        ? cairo_svg_surface_create_for_stream(write_bytes, &sink, l.width, l.height)
                        : cairo_pdf_surface_create_for_stream(write_bytes, &sink, l.width, l.height),
                    cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      // The colour map is embedded as an image at three pixels per point.
      picture::draw(cr.get(), e, l, 3.0);
      status = cairo_status(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }

  if (std::string why = sink.finish(); !why.empty()) return why;
  if (status != CAIRO_STATUS_SUCCESS) return cairo_status_to_string(status);
  return "";
}

}  // namespace maps
