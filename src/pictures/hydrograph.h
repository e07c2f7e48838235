// The hydrograph picture of a study: drawdown against time at every receptor,
// one line each in its own colour, named in a legend with each limit line;
// the time axis as the caller chooses, or by default logarithmic when the
// times span more than a decade, linear from day 0 otherwise, its ticks dated
// when a start date is given; drawdown growing downwards, as the water level
// falls. Drawn with
// Cairo, its text laid out by Pango, as PNG, SVG or PDF.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/calendar.h"
#include "files/output_file.h"
#include "pictures/colour_scale.h"
#include "pictures/plot.h"

namespace pictures {

/// How a series is drawn.
enum class Marks {
  kLineAndMarkers,  ///< a line through its points, each marked while they are few
  kMarkers,         ///< its points marked, without a line (observations)
  kLine,            ///< a line alone (a curve sampled densely)
};

/// Drawdown against time at one receptor (or any values against time).
struct Hydrograph {
  std::string name;                ///< the receptor's name, shown in the legend (UTF-8)
  std::vector<double> days;        ///< times since pumping began, days (or the chart's time unit)
  std::vector<float> drawdown_ft;  ///< the drawdown at each of `days`, feet (negative: a rise)
  /// Points marked on the line (the series' days); when empty, every point of
  /// a series of at most 60 points is marked.
  std::vector<double> marked_days{};
  std::vector<float> marked_ft{};  ///< the drawdown at each of `marked_days`
  std::optional<double> limit_ft{};  ///< drawn as a dashed line across the frame in the series' colour
  Marks marks = Marks::kLineAndMarkers;
  std::size_t colour = static_cast<std::size_t>(-1);  ///< hydrograph_colour's index; -1: the series' own
  /// A band of values at `band_days` (an ensemble's 5th to 95th percentiles),
  /// shaded in the series' colour under its line, with its middle
  /// (`band_middle_ft`, the median) a thin dotted line; none when empty.
  std::vector<double> band_days{};
  std::vector<float> band_low_ft{}, band_middle_ft{}, band_high_ft{};
};

/// What a chart of values against time shows on its axes; the defaults are
/// the hydrographs'.
struct ChartStyle {
  std::string time_unit = "days";                                   ///< in the time axis' title
  std::string value_axis_title = "drawdown, feet (increasing downward)";
  bool log_values = false;   ///< the value axis logarithmic (values > 0 only), increasing upward
  bool values_down = true;   ///< a linear value axis growing downwards (else upwards)
  bool zero_line = false;    ///< a line at value 0
  double png_scale = 1.0;    ///< PNG pixels per unit of the layout
  double page_width = 0.0, page_height = 0.0;  ///< a PDF page in points, the chart fitted within half-inch
                                               ///< margins (0: the chart's own size)
  /// The time axis logarithmic or linear; none: logarithmic over more than a decade.
  std::optional<bool> log_time{};
  /// The date of time 0: each labelled time tick shows its date under it
  /// (base::date_of_day), where there is room; none: no dates.
  std::optional<base::Date> start_date{};
  /// The values' unit in the legend's limit lines ("limit at NAME, 10 ft").
  std::string value_unit = "ft";
  /// Lines drawn in a box inside the frame, in the corner hiding the fewest
  /// points (chart_note.h); none when empty.
  std::vector<std::string> note{};
};

/// A tick on an axis: where it is, and the text beside it ("" for a minor
/// tick, drawn shorter and without a label).
struct AxisTick {
  double value = 0;
  std::string label;
};

/// Where the parts of the picture lie, in the picture's units (pixels for PNG,
/// points for SVG and PDF), y growing downwards; and what the axes show.
struct HydrographLayout {
  double width = 0, height = 0;                      ///< the whole picture
  double frame_left = 0, frame_top = 0;              ///< the plot frame's upper-left corner
  double frame_width = 0, frame_height = 0;          ///< the plot frame's size
  bool log_time = false;                             ///< time axis logarithmic (else linear)
  bool log_values = false;                           ///< value axis logarithmic, d0 at the bottom
  bool values_down = true;                           ///< a linear value axis: d0 at the top (else at the bottom)
  double t0 = 0, t1 = 0;                             ///< days at the frame's left and right edges
  double d0 = 0, d1 = 0;                             ///< drawdowns at the frame's top and bottom edges, d0 < d1
  std::vector<AxisTick> time_ticks;                  ///< increasing
  std::vector<AxisTick> drawdown_ticks;              ///< increasing, all labelled
  double legend_left = 0, legend_top = 0;            ///< the legend's first row's upper-left corner
  double legend_row = 0;                             ///< the height of one legend row
  /// The picture's x of a time in days (on a log axis, of a time > 0).
  double to_x(double days) const;
  /// The picture's y of a drawdown in feet.
  double to_y(double feet) const;
};

/// The layout of the picture of `series` titled `title`. The time axis is
/// logarithmic when style.log_time says so or, without it, when the largest
/// positive time is more than ten times the smallest, with 1-2-5 ticks over up to three decades and decade ticks
/// beyond; otherwise linear from day 0 (or the earliest time, if negative).
/// The drawdown axis runs from 0 (or the smallest drawdown, if negative) at
/// the top to the largest at the bottom, both ends on round ticks. Times and
/// drawdowns that are not finite are left out, and so are times <= 0 on a
/// logarithmic axis.
HydrographLayout hydrograph_layout(std::string_view title, std::span<const Hydrograph> series,
                                   const ChartStyle& style = {});

/// The colour of the k-th series' line (from zero): seven colours that
/// colour-blind readers tell apart, repeated with a new dash pattern.
Rgb hydrograph_colour(std::size_t k);

/// Draws the picture of `series` titled `title` to `target` in `format`,
/// replacing the file. Returns "" on success, or why the picture was not
/// written (the reason alone); the file is written only once the whole
/// picture has been drawn. SVG files carry the title and the receptors' names
/// as text (title and desc elements), PDF files as their title and subject.
/// A PNG picture has `png_scale` pixels per unit of the layout (dpi / 72 for
/// a picture of `dpi` pixels per inch, the layout being in points) and states
/// png_scale x 72 pixels per inch, so that it prints at the SVG's size.
std::string write_hydrographs(const files::Target& target, PlotFormat format, std::string_view title,
                              std::span<const Hydrograph> series, const ChartStyle& style = {});

}  // namespace pictures
