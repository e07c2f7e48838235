// The picture's entry points: the format of a file name, and writing the
// picture to a file in that format.
#include "pictures/plot.h"

#include <algorithm>
#include <cctype>

#include "gis/gdal_module.h"
#include "files/output_file.h"
#include "pictures/picture_file.h"
#include "pictures/plot_draw.h"
#include "pictures/plot_layout.h"
#include "gis/grid_cells.h"
#include "pictures/picture_box.h"

namespace pictures {

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
  if (std::string problem = gis::missing_cells(e, "map"); !problem.empty()) return problem;
  const PlotLayout l = plot_layout(e, options, format);
  // The contour lines are traced by GDAL, in the GIS module: a picture
  // without them is not the picture asked for.
  if (!l.levels.empty() && e.NX >= 2 && e.NY >= 2)
    if (std::string problem = gis::gdal_module_problem(); !problem.empty()) return problem;

  picture::PictureFile file;
  file.format = format;
  file.width = l.width, file.height = l.height;
  file.pixels_per_point = l.pixels_per_point;
  file.title = options.title.empty() ? picture::title_text(e) : options.title;
  file.description = options.subtitle.empty() ? picture::subtitle_text(e, options.input_name, options.aquifer) : options.subtitle;
  // In SVG and PDF the colour map is embedded as an image at three pixels per point.
  const double resolution = format == PlotFormat::kPng ? l.pixels_per_point : 3.0;
  return picture::write_picture(target, file, [&](cairo_t* cr) { picture::draw(cr, e, options, l, resolution); });
}

namespace picture {

Figure plot_figure(const engine::EvaluatedGrid& e, const PlotOptions& o) {
  Figure f;
  if (std::string problem = gis::missing_cells(e, "map"); !problem.empty()) return f.problem = problem, f;
  const PlotLayout l = plot_layout(e, o, PlotFormat::kPdf);
  if (!l.levels.empty() && e.NX >= 2 && e.NY >= 2)
    if (std::string problem = gis::gdal_module_problem(); !problem.empty()) return f.problem = problem, f;
  f.width = l.width, f.height = l.height;
  f.draw = [&e, &o, l](cairo_t* cr) { draw(cr, e, o, l, 3.0); };
  return f;
}

double fit_scale(const Figure& f, double width, double height) {
  if (!(f.width > 0 && f.height > 0)) return 0.0;
  return std::max(0.0, std::min(width / f.width, height / f.height));
}

void draw_figure(cairo_t* cr, const Figure& f, double left, double top, double scale) {
  if (!f.draw || !(scale > 0)) return;
  cairo_save(cr);
  cairo_translate(cr, left, top);
  cairo_scale(cr, scale, scale);
  cairo_rectangle(cr, 0, 0, f.width, f.height);
  cairo_clip(cr);
  f.draw(cr);
  cairo_restore(cr);
}

}  // namespace picture
}  // namespace pictures
