#include "pictures/picture_file.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

#include "pictures/picture_text.h"

namespace pictures::picture {
namespace {

constexpr double kPageMargin = 36.0;  // half an inch, in points

cairo_status_t append_bytes(void* closure, const unsigned char* data, unsigned int length) {
  static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
  return CAIRO_STATUS_SUCCESS;
}

// The PNG with a pHYs chunk (its pixels per metre) put after the header
// chunk, so that a word processor shows the picture at its size in inches.
// The signature and IHDR take the first 33 bytes of every PNG.
void state_resolution(std::string& png, int dpi) {
  constexpr std::size_t kHead = 33;
  if (png.size() < kHead) return;
  const auto per_metre = static_cast<std::uint32_t>(std::lround(dpi / 0.0254));
  std::array<unsigned char, 21> chunk = {0, 0, 0, 9, 'p', 'H', 'Y', 's'};
  for (int k = 0; k < 2; ++k)
    for (int b = 0; b < 4; ++b) chunk[8 + 4 * k + b] = static_cast<unsigned char>(per_metre >> (24 - 8 * b));
  chunk[16] = 1;  // the unit is the metre
  // The chunk's CRC-32 (ISO 3309) covers its type and data.
  const auto crc = static_cast<std::uint32_t>(::crc32(0L, chunk.data() + 4, 13));
  for (int b = 0; b < 4; ++b) chunk[17 + b] = static_cast<unsigned char>(crc >> (24 - 8 * b));
  png.insert(kHead, reinterpret_cast<const char*>(chunk.data()), chunk.size());
}

// Cairo draws SVG text as glyph outlines; the title and description go in as
// text too, first in the svg element.
void add_svg_texts(std::string& svg, const PictureFile& f) {
  const std::size_t open = svg.find("<svg");
  const std::size_t end = open == std::string::npos ? open : svg.find('>', open);
  if (end == std::string::npos) return;
  std::string texts;
  if (!f.title.empty()) texts += "\n<title>" + xml_text(f.title) + "</title>";
  if (!f.description.empty()) texts += "\n<desc>" + xml_text(f.description) + "</desc>";
  svg.insert(end + 1, texts);
}

cairo_status_t png_bytes(const PictureFile& f, const Drawing& draw, std::string& bytes) {
  const double k = f.pixels_per_point;
  Surface surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(std::ceil(f.width * k)),
                                             static_cast<int>(std::ceil(f.height * k))),
                  cairo_surface_destroy);
  Context cr(cairo_create(surface.get()), cairo_destroy);
  cairo_scale(cr.get(), k, k);
  draw(cr.get());
  cairo_status_t status = cairo_status(cr.get());
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_write_to_png_stream(surface.get(), append_bytes, &bytes);
  if (status == CAIRO_STATUS_SUCCESS) state_resolution(bytes, static_cast<int>(std::lround(k * 72)));
  return status;
}

cairo_status_t vector_bytes(const PictureFile& f, const Drawing& draw, std::string& bytes) {
  const bool page = f.format == PlotFormat::kPdf && f.page_width > 0.0 && f.page_height > 0.0;
  const double width = page ? f.page_width : f.width, height = page ? f.page_height : f.height;
  Surface surface(f.format == PlotFormat::kSvg
                      ? cairo_svg_surface_create_for_stream(append_bytes, &bytes, width, height)
                      : cairo_pdf_surface_create_for_stream(append_bytes, &bytes, width, height),
                  cairo_surface_destroy);
  if (f.format == PlotFormat::kPdf) {
    if (!f.title.empty())
      cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, valid_utf8(f.title).c_str());
    if (!f.description.empty())
      cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_SUBJECT, valid_utf8(f.description).c_str());
  }
  cairo_status_t status = CAIRO_STATUS_SUCCESS;
  {
    Context cr(cairo_create(surface.get()), cairo_destroy);
    if (page) {
      const double k = std::min((width - 2 * kPageMargin) / f.width, (height - 2 * kPageMargin) / f.height);
      cairo_translate(cr.get(), (width - k * f.width) / 2, (height - k * f.height) / 2);
      cairo_scale(cr.get(), k, k);
    }
    draw(cr.get());
    status = cairo_status(cr.get());
  }
  cairo_surface_finish(surface.get());
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface.get());
  if (status == CAIRO_STATUS_SUCCESS && f.format == PlotFormat::kSvg) add_svg_texts(bytes, f);
  return status;
}

}  // namespace

std::string xml_text(std::string_view s) {
  std::string out;
  for (char c : valid_utf8(s)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t' || c == '\n' || c == '\r') out += c;
    }
  }
  return out;
}

std::string picture_bytes(const PictureFile& f, const Drawing& draw, std::string& bytes) {
  bytes.clear();
  if (!(f.width > 0 && f.height > 0 && std::isfinite(f.width) && std::isfinite(f.height)))
    return "the picture has no size";
  if (f.format == PlotFormat::kPng && !(f.pixels_per_point > 0 && std::isfinite(f.pixels_per_point)))
    return "the picture's resolution must be above 0";
  const cairo_status_t status = f.format == PlotFormat::kPng ? png_bytes(f, draw, bytes) : vector_bytes(f, draw, bytes);
  if (status != CAIRO_STATUS_SUCCESS) {
    bytes.clear();
    return cairo_status_to_string(status);
  }
  return "";
}

std::string write_picture(const files::Target& target, const PictureFile& f, const Drawing& draw) {
  std::string bytes;
  if (std::string why = picture_bytes(f, draw, bytes); !why.empty()) return why;
  return files::write_whole_file(target, bytes);
}

}  // namespace pictures::picture
