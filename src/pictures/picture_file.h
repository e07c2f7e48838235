// The pictures' file layer, shared by the map and the charts: a drawing in
// points made into the bytes of a PNG (at a resolution, which the file states),
// an SVG or a PDF (at its own size or fitted on a page), with its title and
// description where readers and search find them, and written whole through
// files::OutputFile, or not at all when it cannot be drawn.
#pragma once

#include <cairo.h>

#include <functional>
#include <string>
#include <string_view>

#include "files/output_file.h"
#include "pictures/plot.h"

namespace pictures::picture {

/// What a picture's file is: its format, its size, and the texts it carries.
struct PictureFile {
  PlotFormat format = PlotFormat::kSvg;
  double width = 0, height = 0;  ///< the drawing's size, in points
  /// PNG pixels per point: the image is ceil(width x this) by ceil(height x
  /// this) pixels and states this x 72 pixels per inch.
  double pixels_per_point = 1;
  /// A PDF's page in points, the drawing fitted and centred within half-inch
  /// margins (0: the page is the drawing's own size; SVG and PNG ignore it).
  double page_width = 0, page_height = 0;
  /// An SVG's title and desc elements, a PDF's Title and Subject ("": none).
  std::string title{}, description{};
};

/// Draws the picture on a context whose units are points.
using Drawing = std::function<void(cairo_t*)>;

/// The bytes of the file `f` with `draw`'s picture in `bytes`: "" on success,
/// or Cairo's reason why the picture could not be made.
std::string picture_bytes(const PictureFile& f, const Drawing& draw, std::string& bytes);

/// Makes the file `f` with `draw`'s picture and writes it whole to `target`,
/// replacing the file: "" on success, or why not (the reason alone). Nothing
/// is written when the picture cannot be made.
std::string write_picture(const files::Target& target, const PictureFile& f, const Drawing& draw);

/// `s` as the text of an XML element: valid UTF-8, markup escaped, and the
/// control characters that XML 1.0 does not allow left out.
std::string xml_text(std::string_view s);

}  // namespace pictures::picture
