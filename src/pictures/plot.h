// The drawdown picture, a figure for a memo: a colour map of the grid with a
// colour bar in feet, contour lines labelled with their levels, every well
// marked (pumping and injecting wells drawn differently) with its number or
// name, named points, axes in feet, a scale bar, a north arrow, a title and a
// subtitle. Drawn with Cairo, the text laid out with Pango, as PNG, SVG or PDF.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/output_file.h"
#include "engine/drawdown_grid.h"
#include "pictures/colour_scale.h"

namespace pictures {

/// Picture formats, chosen by the file's ending.
enum class PlotFormat { kPng, kSvg, kPdf };

/// The format named by the ending of `path` (.png, .svg or .pdf, in any case),
/// or nothing for any other ending or a name that is only an ending.
std::optional<PlotFormat> plot_format_of(std::string_view path);

/// The endings plot_format_of accepts, for a message.
inline constexpr std::string_view kPictureEndings = ".png, .svg or .pdf";

/// The page of a PDF picture: the picture's own size, or a paper size with the
/// map fitted to it inside half-inch margins, turned the way the map fits best.
enum class PlotPage { kOwnSize, kLetter, kA4 };

/// The page named `name` ("letter" or "a4", in any case), or nothing.
std::optional<PlotPage> plot_page_of(std::string_view name);

/// The width and height of `page` upright, in points: US letter 612 x 792,
/// A4 210 x 297 mm; 0 x 0 for kOwnSize.
std::pair<double, double> page_size(PlotPage page);

/// Pixels per inch of a PNG picture: the default and the accepted range.
inline constexpr int kDefaultDpi = 200;
inline constexpr int kMinDpi = 50;
inline constexpr int kMaxDpi = 600;

/// A named point drawn on the map (a study's receptor), in feet.
struct PlotMarker {
  double x = 0, y = 0;
  std::string name;
  int verdict = 0;  ///< 0: a grey square; 1: green (within its limit); 2: red (over it)
};

/// A straight boundary of the aquifer drawn across the map (a study's stream
/// or barrier): the infinite line through (x0, y0) and (x1, y1), in feet.
struct PlotBoundary {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  std::string name;
  bool stream = true;       ///< a stream (blue) or a barrier (grey, hatched)
  double away_x = 0, away_y = 0;  ///< a direction away from the aquifer, toward which a barrier's hatches lean
};

/// What the caller chooses about a picture; every member has a default.
struct PlotOptions {
  /// Contour levels in feet; empty: the round levels of the grids that set the
  /// scale (gis::round_levels, as the contour layer has them), whatever the range.
  std::vector<double> levels;
  /// The colour range (low, high); none, or not finite with low < high: from
  /// the grid (see plot_layout).
  std::optional<std::pair<double, double>> range;
  /// The page of a PDF picture (other formats take their own size).
  PlotPage page = PlotPage::kOwnSize;
  /// Pixels per inch of a PNG picture (taken into kMinDpi .. kMaxDpi).
  int dpi = kDefaultDpi;
  /// The title; "": "Drawdown after N days of pumping".
  std::string title;
  /// The subtitle; "": the input's name, the aquifer, the wells and the grid.
  std::string subtitle;
  /// The aquifer as the default subtitle shows it ("" : the grid's T and
  /// leakance, in gpd/ft and gpd/ft³).
  std::string aquifer;
  /// The input's name, shown first in the default subtitle ("" : left out).
  std::string input_name;
  /// The wells' names, in table order; empty (or too short): their numbers 1, 2, ...
  std::vector<std::string> well_names;
  /// Named points to mark.
  std::vector<PlotMarker> markers;
  /// Boundaries drawn across the map and named in the key.
  std::vector<PlotBoundary> boundaries;
  /// The grids whose drawdowns set the colour range and palette when no range
  /// is given, so that pictures of several times share one scale (they must
  /// outlive the options); empty: the grid drawn.
  std::span<const engine::EvaluatedGrid> scale_from;
};

/// Where the parts of the picture lie, in points (1/72 inch), y growing
/// downwards; and what it shows.
struct PlotLayout {
  double width = 0, height = 0;          ///< the whole picture (the page, for a PDF on a page)
  double pixels_per_point = 1;           ///< PNG pixels per point (dpi / 72); 1 for SVG and PDF
  double map_left = 0, map_top = 0;      ///< the map frame's upper-left corner
  double map_width = 0, map_height = 0;  ///< the map frame's size
  double x0 = 0, x1 = 0;                 ///< feet at the map's left and right edges
  double y0 = 0, y1 = 0;                 ///< feet at the map's bottom and top edges
  double bar_left = 0, bar_width = 0;    ///< the colour bar's left edge and width
  double bar_top = 0, bar_height = 0;    ///< the colour bar's top and height (room left for clipped ends)
  double text_left = 0, text_width = 0;  ///< the title block's left edge and the width it wraps at
  double title_top = 0;                  ///< the title block's top
  double key_top = 0;                    ///< the top of the key under the map
  int key_rows = 1;                      ///< 1: legend and scale bar side by side; 2: one above the other

  ColourScale colours;                   ///< the colour range and palette
  double data_lo = 0, data_hi = 0;       ///< the lowest and highest finite drawdowns of the grid
  bool clipped_low = false;              ///< some drawdowns lie below the colour range
  bool clipped_high = false;             ///< some drawdowns lie above the colour range

  std::vector<double> levels;            ///< the contour levels, increasing
  double interval = 0;                   ///< feet between round levels (0: levels given by the caller)
  int level_decimals = 0;                ///< digits after the point in the levels' labels

  double scale_feet = 0;                 ///< the scale bar's length in feet
  double scale_miles = 0;                ///< the miles bar's length in miles (0: none)
  /// The grid's length unit (EvaluatedGrid::length_unit), the scale bars'
  /// long unit and its size in it: feet and miles, or metres and kilometres.
  std::string_view unit = "ft";
  std::string_view long_unit = "mi";
  double long_size = 5280.0;

  /// Points per foot on the map (the same in x and y).
  double points_per_foot() const { return map_width / (x1 - x0); }
  /// The picture's x of an x in feet.
  double to_x(double feet) const { return map_left + (feet - x0) / (x1 - x0) * map_width; }
  /// The picture's y of a y in feet.
  double to_y(double feet) const { return map_top + (y1 - feet) / (y1 - y0) * map_height; }
};

/// The layout of the picture of `e` in `format` (missing_cells(e, ...) must be
/// empty). Node (c, r) and a well of node-unit position (x, y) lie where
/// e.map_x and e.map_y put them, in feet; the map shows the nodes, every
/// well and every marker, with the same scale in x and y.
///
/// The colour range is options.range, or else the range of the finite
/// drawdowns less the single highest cell when it is a well node (a node within
/// a foot of a well, whose drawdown is taken at the one-foot floor of the
/// distance) and likewise the single lowest, over the grids of
/// options.scale_from (each grid less its own well nodes) or `e` alone;
/// drawdowns outside the range take the colour of its end. The palette is the
/// diverging one when that range from the grids holds both drawdown and rise,
/// viridis otherwise.
PlotLayout plot_layout(const engine::EvaluatedGrid& e, const PlotOptions& options = {},
                       PlotFormat format = PlotFormat::kSvg);

/// Draws the picture of `e` to `target` in `format`, replacing the file once the
/// whole picture has been drawn. SVG files carry the title and subtitle as text
/// (title and desc elements), PDF files as their title and subject. Returns
/// "" on success, or why the picture was not written (the reason alone).
std::string write_plot(const files::Target& target, PlotFormat format, const engine::EvaluatedGrid& e,
                       const PlotOptions& options = {});

}  // namespace pictures
