#include "study/depletion_report.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "pictures/hydrograph.h"
#include "base/text_table.h"
#include "scenario/compliance.h"
#include "scenario/depletion_limits.h"
#include "study/hydrographs.h"

namespace study {
namespace {

using base::fixed;

std::string fraction_text(double q, double rate) { return rate != 0.0 ? fixed(q / rate, 3) : "-"; }

}  // namespace

bool reports_depletion(const Study& s) {
  return !s.output.depletion.empty() || !s.output.depletion_hydrographs.empty() || scenario::has_stream_limits(s);
}

std::string depletion_summary(const Study& s, const scenario::Depletion& d) {
  std::vector<std::vector<std::string>> rows{{"stream", "well", "day", "depletion (gpd)", "of the rate"}};
  const bool each = s.wells.size() <= kMostListedWells;
  for (std::size_t k = 0; k < d.streams().size(); ++k) {
    const std::string stream = base::one_line(s.boundaries[d.streams()[k]].name);
    for (double t : s.times) {
      for (std::size_t w = 0; each && w < s.wells.size(); ++w) {
        const double q = d.of_well(k, w, t);
        rows.push_back({stream, base::one_line(s.wells[w].name), fixed(t, 1), fixed(q, 0), fraction_text(q, scenario::rate_at(s.wells[w], t))});
      }
      const double q = d.total(k, t);
      rows.push_back({stream, "all", fixed(t, 1), fixed(q, 0), fraction_text(q, scenario::total_rate_at(s, t))});
    }
  }
  std::string text = base::aligned_table(rows, {true, true, false, false, false});
  const double last = scenario::last_day(s);
  for (std::size_t k = 0; k < d.streams().size(); ++k) {
    const auto [day, q] = scenario::largest_depletion(s, d, k);
    text += base::one_line(s.boundaries[d.streams()[k]].name) + ": largest depletion " + fixed(q, 0) + " gpd (" +
            fixed(q / scenario::kGpdPerCfs, 3) + " cfs) at day " + fixed(day, 1) + " (up to day " + fixed(last, 1) + ")\n";
  }
  return text;
}

std::string write_depletion_hydrographs(const files::Target& target, const Study& s, const scenario::Depletion& d) {
  const std::optional<pictures::PlotFormat> format = pictures::plot_format_of(target.name);
  if (!format) return "the picture must end in .png, .svg or .pdf";
  const std::vector<double> days = hydrograph_days(s, s.series_times);
  const bool each = s.wells.size() <= kMostListedWells;
  std::vector<pictures::Hydrograph> series;
  for (std::size_t k = 0; k < d.streams().size(); ++k) {
    const Boundary& b = s.boundaries[d.streams()[k]];
    pictures::Hydrograph all{base::one_line(b.name) + ": all wells", days, {}};
    all.drawdown_ft.assign(days.size(), 0.0f);
    std::vector<double> sum(days.size(), 0.0);
    for (std::size_t w = 0; w < s.wells.size(); ++w) {
      pictures::Hydrograph h{base::one_line(b.name) + ": " + base::one_line(s.wells[w].name), days, {}};
      for (std::size_t i = 0; i < days.size(); ++i) {
        const double q = d.of_well(k, w, days[i]);
        sum[i] += q;
        h.drawdown_ft.push_back(static_cast<float>(q));
      }
      h.marks = pictures::Marks::kLine;
      if (each) series.push_back(std::move(h));
    }
    for (std::size_t i = 0; i < days.size(); ++i) all.drawdown_ft[i] = static_cast<float>(sum[i]);
    all.marks = pictures::Marks::kLine;
    if (b.depletion_limit || b.depletion_limit_fraction) all.limit_ft = scenario::stream_limit(s, b);
    series.push_back(std::move(all));
  }
  pictures::ChartStyle style;
  style.value_axis_title = "stream depletion, gallons per day";
  style.values_down = false;
  style.zero_line = true;
  style.png_scale = s.output.dpi.value_or(pictures::kDefaultDpi) / 72.0;
  style.value_unit = "gpd";
  style.start_date = s.start_date;
  return pictures::write_hydrographs(target, *format, s.title + " - stream depletion", series, style);
}

}  // namespace study
