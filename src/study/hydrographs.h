// A study's hydrographs: the drawdown against time at every receptor, drawn
// on the days that show every schedule step.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "files/output_file.h"
#include "pictures/hydrograph.h"
#include "scenario/evaluation.h"
#include "study/study.h"

namespace study {

/// Draws the drawdown against time at every receptor to `path` (.png, .svg or
/// .pdf), titled with the study's title: pictures::write_hydrographs. Each curve is
/// evaluated as `how` says on hydrograph_days; values[i][k], receptor i's
/// drawdown at times[k], are marked on it; a receptor's limit is a dashed
/// line. A .png has the study's dpi. Returns "" on success, or why the picture
/// was not written (the reason alone).
/// `percentiles`, when given, holds an ensemble's 5th, 50th and 95th
/// percentiles at each receptor and time ([receptor * times + time]): each
/// curve gets the band from the 5th to the 95th around the median.
std::string write_hydrographs(const files::Target& target, const Study& s, const std::vector<double>& times,
                              const std::vector<std::vector<float>>& values, const scenario::Evaluation& how,
                              const std::vector<std::array<double, 3>>* percentiles = nullptr);

/// The days a hydrograph's curve is drawn at: compliance's dense days from the
/// first of `times` to the last, the day just before every schedule step, and
/// `times`; `times` alone when that would be more than kMostHydrographValues
/// values over all receptors.
std::vector<double> hydrograph_days(const Study& s, const std::vector<double>& times);

/// The receptors' curves as write_hydrographs draws them (of the first
/// `most` receptors): each evaluated as `how` says on hydrograph_days,
/// values[i][k] marked at times[k], its limit, the band of `percentiles`.
std::vector<pictures::Hydrograph> hydrograph_series(const Study& s, const std::vector<double>& times,
                                                    const std::vector<std::vector<float>>& values,
                                                    const scenario::Evaluation& how,
                                                    std::size_t most = static_cast<std::size_t>(-1),
                                                    const std::vector<std::array<double, 3>>* percentiles = nullptr);

/// The hydrographs' style: the study's dpi, length unit, start date (dated
/// ticks) and time axis (`time_axis`, else log_time_axis of `times`).
pictures::ChartStyle hydrograph_style(const Study& s, const std::vector<double>& times);

/// The default time axis of hydrographs of `times`: logarithmic when the
/// positive times span two decades or more (the last at least 100 times the
/// first), else linear, which shows a season's changes evenly.
bool log_time_axis(const std::vector<double>& times);

/// The most values the hydrographs' curves evaluate.
inline constexpr std::size_t kMostHydrographValues = 2'000'000;

}  // namespace study
