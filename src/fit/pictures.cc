#include "fit/pictures.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "maps/hydrograph.h"
#include "maps/plot.h"

namespace fit {
namespace {

// Points of a fitted curve per decade of time.
constexpr int kCurvePointsPerDecade = 40;

// The charts' style for the test: its time unit, the PNG's dpi, the PDF's page.
maps::ChartStyle style_of(const PumpingTest& test) {
  maps::ChartStyle style;
  style.time_unit = std::string(test.units.time.name == "min" ? "minutes" : test.units.time.name == "h" ? "hours" : "days");
  style.png_scale = test.output.dpi / 96.0;  // the layout in CSS pixels
  if (test.output.page == "letter") style.page_width = 612.0, style.page_height = 792.0;
  if (test.output.page == "a4") style.page_width = 595.28, style.page_height = 841.89;
  return style;
}

std::string draw(const maps::Target& target, const std::string& name, const std::string& title,
                 const std::vector<maps::Hydrograph>& series, const maps::ChartStyle& style) {
  const std::optional<maps::PlotFormat> format = maps::plot_format_of(name);
  if (!format) return "the picture must end in .png, .svg or .pdf";
  return maps::write_hydrographs(target, *format, title, series, style);
}


}  // namespace

std::string write_type_curves(const maps::Target& target, const PumpingTest& test, const Estimate& e, WellFunction W) {
  const Units& u = test.units;
  std::vector<maps::Hydrograph> series;
  for (std::size_t k = 0; k < test.observations.size(); ++k) {
    const Observation& o = test.observations[k];
    // The curve over the observation's own readings.
    const double first = o.readings.front().day, last = o.readings.back().day;
    const int points = std::max(2, static_cast<int>(kCurvePointsPerDecade * std::log10(last / first)) + 1);
    maps::Hydrograph observed{o.name + " observed", {}, {}};
    observed.marks = maps::Marks::kMarkers;
    observed.colour = k;
    for (const Reading& r : o.readings) {
      observed.days.push_back(r.time_given);
      observed.drawdown_ft.push_back(static_cast<float>(r.drawdown_given));
    }
    maps::Hydrograph fitted{o.name + " fitted", {}, {}};
    fitted.marks = maps::Marks::kLine;
    fitted.colour = k;
    for (int i = 0; i < points; ++i) {
      const double day = first * std::pow(last / first, i / (points - 1.0));
      fitted.days.push_back(day / u.time.factor);
      fitted.drawdown_ft.push_back(
          static_cast<float>(modelled_drawdown(test, o.x, o.y, day, e.value, W, false).drawdown / u.length.factor));
    }
    series.push_back(std::move(observed));
    series.push_back(std::move(fitted));
  }
  maps::ChartStyle style = style_of(test);
  style.log_values = true;
  style.value_axis_title = "drawdown, " + std::string(u.length.name) + " (logarithmic scale)";
  return draw(target, target.name, test.title + ": observed and fitted drawdowns", series, style);
}

std::string write_residual_plot(const maps::Target& target, const PumpingTest& test, const Estimate& e) {
  const Units& u = test.units;
  std::vector<maps::Hydrograph> series;
  std::size_t i = 0;
  for (std::size_t k = 0; k < test.observations.size(); ++k) {
    const Observation& o = test.observations[k];
    maps::Hydrograph residuals{o.name, {}, {}};
    residuals.marks = maps::Marks::kMarkers;
    residuals.colour = k;
    for (const Reading& r : o.readings) {
      residuals.days.push_back(r.time_given);
      residuals.drawdown_ft.push_back(static_cast<float>(r.drawdown_given - e.fitted[i++] / u.length.factor));
    }
    series.push_back(std::move(residuals));
  }
  maps::ChartStyle style = style_of(test);
  style.values_down = false;
  style.zero_line = true;
  style.value_axis_title = "residual (observed - fitted), " + std::string(u.length.name);
  return draw(target, target.name, test.title + ": residuals", series, style);
}

}  // namespace fit
