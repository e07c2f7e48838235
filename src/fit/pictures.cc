#include "fit/pictures.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <tuple>
#include <vector>

#include "fit/estimate_note.h"
#include "pictures/hydrograph.h"
#include "pictures/plot.h"

namespace fit {
namespace {

// Points of a fitted curve per decade of time.
constexpr int kCurvePointsPerDecade = 40;

// The charts' style for the test: its time unit, the PNG's dpi, the PDF's page.
pictures::ChartStyle style_of(const PumpingTest& test) {
  pictures::ChartStyle style;
  style.time_unit = std::string(test.units.time.name == "min" ? "minutes" : test.units.time.name == "h" ? "hours" : "days");
  style.png_scale = test.output.dpi.value_or(pictures::kDefaultDpi) / 72.0;  // the layout in points
  std::tie(style.page_width, style.page_height) =
      pictures::page_size(test.output.page.value_or(pictures::PlotPage::kOwnSize));
  return style;
}

std::string draw(const files::Target& target, const std::string& name, const std::string& title,
                 const std::vector<pictures::Hydrograph>& series, const pictures::ChartStyle& style) {
  const std::optional<pictures::PlotFormat> format = pictures::plot_format_of(name);
  if (!format) return "the picture must end in " + std::string(pictures::kPictureEndings);
  return pictures::write_hydrographs(target, *format, title, series, style);
}


}  // namespace

std::string write_type_curves(const files::Target& target, const PumpingTest& test, const Estimate& e,
                              const AquiferModel& model) {
  const Units& u = test.units;
  std::vector<pictures::Hydrograph> series;
  for (std::size_t k = 0; k < test.observations.size(); ++k) {
    const Observation& o = test.observations[k];
    // The curve over the observation's own readings.
    const double first = o.readings.front().day, last = o.readings.back().day;
    const int points = std::max(2, static_cast<int>(kCurvePointsPerDecade * std::log10(last / first)) + 1);
    pictures::Hydrograph observed{o.name + " observed", {}, {}};
    observed.marks = pictures::Marks::kMarkers;
    observed.colour = k;
    for (const Reading& r : o.readings) {
      observed.days.push_back(r.time_given);
      observed.drawdown_ft.push_back(static_cast<float>(r.drawdown_given));
    }
    pictures::Hydrograph fitted{o.name + " fitted", {}, {}};
    fitted.marks = pictures::Marks::kLine;
    fitted.colour = k;
    for (int i = 0; i < points; ++i) {
      const double day = first * std::pow(last / first, i / (points - 1.0));
      fitted.days.push_back(day / u.time.factor);
      fitted.drawdown_ft.push_back(
          static_cast<float>(model.drawdown(test, o.x, o.y, day, e.value, false).drawdown / u.length.factor));
    }
    series.push_back(std::move(observed));
    series.push_back(std::move(fitted));
  }
  pictures::ChartStyle style = style_of(test);
  style.log_values = true;
  style.value_axis_title = "drawdown, " + std::string(u.length.name) + " (logarithmic scale)";
  style.note = estimate_note(test, model, e);
  return draw(target, target.name, test.title + ": observed and fitted drawdowns", series, style);
}

std::string write_residual_plot(const files::Target& target, const PumpingTest& test, const Estimate& e) {
  const Units& u = test.units;
  std::vector<pictures::Hydrograph> series;
  std::size_t i = 0;
  for (std::size_t k = 0; k < test.observations.size(); ++k) {
    const Observation& o = test.observations[k];
    pictures::Hydrograph residuals{o.name, {}, {}};
    residuals.marks = pictures::Marks::kMarkers;
    residuals.colour = k;
    for (const Reading& r : o.readings) {
      residuals.days.push_back(r.time_given);
      residuals.drawdown_ft.push_back(static_cast<float>(r.drawdown_given - e.fitted[i++] / u.length.factor));
    }
    series.push_back(std::move(residuals));
  }
  pictures::ChartStyle style = style_of(test);
  style.values_down = false;
  style.zero_line = true;
  style.value_axis_title = "residual (observed - fitted), " + std::string(u.length.name);
  return draw(target, target.name, test.title + ": residuals", series, style);
}

}  // namespace fit
