#include "fit/derivative.h"

#include <cmath>
#include <optional>
#include <tuple>

#include "pictures/hydrograph.h"
#include "pictures/plot.h"

namespace fit {

std::vector<DerivativePoint> bourdet_derivative(const std::vector<double>& times, const std::vector<double>& values,
                                                double window) {
  std::vector<DerivativePoint> out;
  const std::size_t n = std::min(times.size(), values.size());
  for (std::size_t i = 0; i < n; ++i)
    if (!(times[i] > 0.0) || (i > 0 && !(times[i] > times[i - 1]))) return out;
  const double span = window * std::log(10.0);  // the window in ln t
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double x = std::log(times[i]);
    std::size_t a = i - 1, b = i + 1;
    while (a > 0 && x - std::log(times[a]) < span) --a;
    while (b + 1 < n && std::log(times[b]) - x < span) ++b;
    const double dx1 = x - std::log(times[a]), dx2 = std::log(times[b]) - x;
    const double slope1 = (values[i] - values[a]) / dx1, slope2 = (values[b] - values[i]) / dx2;
    out.push_back({times[i], (slope1 * dx2 + slope2 * dx1) / (dx1 + dx2)});
  }
  return out;
}

bool has_derivative(const PumpingTest& test) {
  for (const Observation& o : test.observations)
    if (o.readings.size() >= 3) return true;
  return false;
}

std::vector<DerivativeSeries> derivative_series(const PumpingTest& test, const AquiferModel& model,
                                                const Estimate& e) {
  const Units& u = test.units;
  std::vector<DerivativeSeries> out;
  for (const Observation& o : test.observations) {
    std::vector<double> times, observed, fitted;
    for (const Reading& r : o.readings) {
      times.push_back(r.time_given);
      observed.push_back(r.drawdown_given);
      fitted.push_back(model.drawdown(test, o.x, o.y, r.day, e.value, false).drawdown / u.length.factor);
    }
    out.push_back({o.name, bourdet_derivative(times, observed), bourdet_derivative(times, fitted)});
  }
  return out;
}

namespace {

pictures::Hydrograph chart_series(const std::string& name, const std::vector<DerivativePoint>& points,
                                  pictures::Marks marks, std::size_t colour) {
  pictures::Hydrograph h{name, {}, {}};
  h.marks = marks;
  h.colour = colour;
  for (const DerivativePoint& p : points) {
    if (!(p.value > 0.0)) continue;  // no place on a logarithmic axis
    h.days.push_back(p.time);
    h.drawdown_ft.push_back(static_cast<float>(p.value));
  }
  return h;
}

}  // namespace

std::string write_derivative(const files::Target& target, const PumpingTest& test, const AquiferModel& model,
                             const Estimate& e) {
  const std::optional<pictures::PlotFormat> format = pictures::plot_format_of(target.name);
  if (!format) return "the picture must end in " + std::string(pictures::kPictureEndings);
  const Units& u = test.units;
  std::vector<pictures::Hydrograph> series;
  const std::vector<DerivativeSeries> all = derivative_series(test, model, e);
  for (std::size_t k = 0; k < all.size(); ++k) {
    series.push_back(chart_series(all[k].name + " observed", all[k].observed, pictures::Marks::kMarkers, k));
    series.push_back(chart_series(all[k].name + " fitted", all[k].fitted, pictures::Marks::kLine, k));
  }
  pictures::ChartStyle style;
  style.time_unit = std::string(u.time.name == "min" ? "minutes" : u.time.name == "h" ? "hours" : "days");
  style.png_scale = test.output.dpi.value_or(pictures::kDefaultDpi) / 72.0;
  std::tie(style.page_width, style.page_height) =
      pictures::page_size(test.output.page.value_or(pictures::PlotPage::kOwnSize));
  style.log_time = true;
  style.log_values = true;
  style.value_axis_title = "ds/d ln t, " + std::string(u.length.name) + " (logarithmic scale)";
  return pictures::write_hydrographs(target, *format, test.title + ": drawdown derivative (Bourdet, L = 0.2 log cycle)",
                                     series, style);
}

}  // namespace fit
