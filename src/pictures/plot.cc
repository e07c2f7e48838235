// The picture's entry points: the format of a file name, and writing the
// picture to a file in that format.
#include "pictures/plot.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>

#include "gis/gdal_module.h"
#include "files/output_file.h"
#include "pictures/plot_draw.h"
#include "pictures/plot_text.h"
#include "gis/grid_cells.h"

namespace pictures {
namespace {

// Bytes from Cairo to the output file.
cairo_status_t write_bytes(void* closure, const unsigned char* data, unsigned int length) {
  return static_cast<files::OutputFile*>(closure)->write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

// The CRC-32 of a PNG chunk (ISO 3309, as zlib's crc32).
std::uint32_t png_crc(const unsigned char* data, std::size_t size) {
  std::uint32_t crc = 0xffffffffu;
  for (std::size_t k = 0; k < size; ++k) {
    crc ^= data[k];
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xffffffffu;
}

// A PNG stream passed on to the file with a pHYs chunk (the picture's pixels
// per metre) put after the header chunk, so that a word processor shows the
// picture at its size in inches. The signature and IHDR take the first 33
// bytes of every PNG.
class PngWithDpi {
 public:
  PngWithDpi(files::OutputFile& file, int dpi) : file_(file), dpi_(dpi) {}

  static cairo_status_t write(void* closure, const unsigned char* data, unsigned int length) {
    auto* self = static_cast<PngWithDpi*>(closure);
    for (; length > 0 && self->head_.size() < kHead; ++data, --length) {
      self->head_.push_back(*data);
      if (self->head_.size() == kHead && !self->write_head()) return CAIRO_STATUS_WRITE_ERROR;
    }
    if (length == 0) return CAIRO_STATUS_SUCCESS;
    return self->file_.write(data, length) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
  }

 private:
  static constexpr std::size_t kHead = 33;

  bool write_head() {
    const auto per_metre = static_cast<std::uint32_t>(std::lround(dpi_ / 0.0254));
    std::array<unsigned char, 21> chunk = {0, 0, 0, 9, 'p', 'H', 'Y', 's'};
    for (int k = 0; k < 2; ++k)
      for (int b = 0; b < 4; ++b) chunk[8 + 4 * k + b] = static_cast<unsigned char>(per_metre >> (24 - 8 * b));
    chunk[16] = 1;  // the unit is the metre
    const std::uint32_t crc = png_crc(chunk.data() + 4, 13);
    for (int b = 0; b < 4; ++b) chunk[17 + b] = static_cast<unsigned char>(crc >> (24 - 8 * b));
    return file_.write(head_.data(), head_.size()) && file_.write(chunk.data(), chunk.size());
  }

  files::OutputFile& file_;
  int dpi_;
  std::vector<unsigned char> head_;
};

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

std::string write_plot(const files::Target& target, PlotFormat format, const engine::EvaluatedGrid& e,
                       const PlotOptions& options) {
  using picture::Context;
  using picture::Surface;
  if (std::string problem = gis::missing_cells(e, "map"); !problem.empty()) return problem;
  const PlotLayout l = plot_layout(e, options, format);
  // The contour lines are traced by GDAL, in the GIS module: a picture
  // without them is not the picture asked for.
  if (!l.levels.empty() && e.NX >= 2 && e.NY >= 2)
    if (std::string problem = gis::gdal_module_problem(); !problem.empty()) return problem;

  files::OutputFile sink(target);

  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  if (format == PlotFormat::kPng) {
    const double ppp = l.pixels_per_point;
    Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(l.width * ppp)),
                                               static_cast<int>(std::ceil(l.height * ppp))),
                    cairo_surface_destroy);
    Context cr(cairo_create(surface.get()), cairo_destroy);
    cairo_scale(cr.get(), ppp, ppp);
    picture::draw(cr.get(), e, options, l, ppp);
    status = cairo_status(cr.get());
    PngWithDpi png(sink, static_cast<int>(std::lround(ppp * 72)));
    if (status == CAIRO_STATUS_SUCCESS)
      status = cairo_surface_write_to_png_stream(surface.get(), PngWithDpi::write, &png);
  } else {
    Surface surface(format == PlotFormat::kSvg
                        ? cairo_svg_surface_create_for_stream(write_bytes, &sink, l.width, l.height)
                        : cairo_pdf_surface_create_for_stream(write_bytes, &sink, l.width, l.height),
                    cairo_surface_destroy);
    {
      Context cr(cairo_create(surface.get()), cairo_destroy);
      // The colour map is embedded as an image at three pixels per point.
      picture::draw(cr.get(), e, options, l, 3.0);
      status = cairo_status(cr.get());
    }
    cairo_surface_finish(surface.get());
    if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  }

  // A drawing that failed is not put in place (the unfinished file is removed);
  // a failed write is told by the file's own reason.
  if (status != CAIRO_STATUS_SUCCESS && status != CAIRO_STATUS_WRITE_ERROR) return cairo_status_to_string(status);
  if (std::string why = sink.finish(); !why.empty()) return why;
  if (status != CAIRO_STATUS_SUCCESS) return cairo_status_to_string(status);
  return "";
}

}  // namespace pictures
