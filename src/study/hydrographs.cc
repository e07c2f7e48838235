#include "study/hydrographs.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "pictures/hydrograph.h"
#include "pictures/plot.h"
#include "scenario/compliance.h"

namespace study {

std::vector<double> hydrograph_days(const Study& s, const std::vector<double>& times) {
  if (times.empty()) return {};
  const double first = times.front(), last = times.back();
  std::vector<double> days;
  for (double t : dense_days(s, last))
    if (t >= first) days.push_back(t);
  for (const Well& w : s.wells)
    for (const Step& step : w.steps)
      if (step.day - 1e-3 >= first && step.day <= last) days.push_back(step.day - 1e-3);
  days.insert(days.end(), times.begin(), times.end());
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  if (days.size() * std::max<std::size_t>(s.receptors.size(), 1) > kMostHydrographValues) return times;
  return days;
}

std::vector<pictures::Hydrograph> hydrograph_series(const Study& s, const std::vector<double>& times,
                                                    const std::vector<std::vector<float>>& values,
                                                    const scenario::Evaluation& how, std::size_t most,
                                                    const std::vector<std::array<double, 3>>* percentiles) {
  const std::vector<double> days = hydrograph_days(s, times);
  std::vector<pictures::Hydrograph> series;
  for (std::size_t i = 0; i < s.receptors.size() && i < most; ++i) {
    const Receptor& r = s.receptors[i];
    pictures::Hydrograph h{r.name, days, {}, times, values[i], r.limit};
    for (double t : days) h.drawdown_ft.push_back(static_cast<float>(drawdown_at(s, how, r.x, r.y, t)));
    if (percentiles != nullptr) h.band_days = times;
    for (std::size_t k = 0; percentiles != nullptr && k < times.size(); ++k) {
      const std::array<double, 3>& p = (*percentiles)[i * times.size() + k];
      h.band_low_ft.push_back(static_cast<float>(p[0]));
      h.band_middle_ft.push_back(static_cast<float>(p[1]));
      h.band_high_ft.push_back(static_cast<float>(p[2]));
    }
    series.push_back(std::move(h));
  }
  return series;
}

bool log_time_axis(const std::vector<double>& times) {
  double lo = 0, hi = 0;
  for (double t : times)
    if (t > 0 && std::isfinite(t)) lo = lo > 0 ? std::min(lo, t) : t, hi = std::max(hi, t);
  return lo > 0 && hi >= 100.0 * lo;
}

pictures::ChartStyle hydrograph_style(const Study& s, const std::vector<double>& times) {
  pictures::ChartStyle style;
  style.png_scale = s.output.dpi.value_or(pictures::kDefaultDpi) / 72.0;
  if (!s.units.feet()) style.value_axis_title = "drawdown, " + std::string(s.units.length.word) + " (increasing downward)";
  style.log_time = s.output.log_time.value_or(log_time_axis(times));
  style.start_date = s.start_date;
  style.value_unit = std::string(s.units.length.name);
  return style;
}

std::string write_hydrographs(const files::Target& target, const Study& s, const std::vector<double>& times,
                              const std::vector<std::vector<float>>& values, const scenario::Evaluation& how,
                              const std::vector<std::array<double, 3>>* percentiles) {
  const std::optional<pictures::PlotFormat> format = pictures::plot_format_of(target.name);
  if (!format) return "the picture must end in " + std::string(pictures::kPictureEndings);
  const std::vector<pictures::Hydrograph> series =
      hydrograph_series(s, times, values, how, static_cast<std::size_t>(-1), percentiles);
  return pictures::write_hydrographs(target, *format, s.title, series, hydrograph_style(s, times));
}

}  // namespace study
