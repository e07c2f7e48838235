#include "scenario/compliance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <span>
#include <utility>

#include "engine/true_grid.h"
#include "model/drawdown.h"
#include "model/true_drawdown.h"
#include "model/point_distance.h"
#include "model/well_function.h"
#include "base/csv_text.h"
#include "base/text_table.h"
#include "scenario/depletion_limits.h"

namespace scenario {
namespace {

constexpr double kFirstElapsed = 1e-3;   // days: the first sample after a step
constexpr int kPerDecade = 50;           // samples per decade since the first well starts
constexpr int kPerDecadeAfterStep = 20;  // samples per decade after each step
constexpr std::size_t kMostStepGrids = 200;  // steps with their own samples on a hydrograph, at most
constexpr double kFarFactor = 100.0;     // a rate factor above it: no limit comes near

// `days` with the scenario's times, its series days and `last`, increasing,
// each once, from `first` to `last`.
std::vector<double> with_study_days(const Scenario& s, std::vector<double> days, double first, double last) {
  for (double t : s.times) days.push_back(t);
  for (double t : s.series_times) days.push_back(t);
  days.push_back(last);
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  days.erase(std::remove_if(days.begin(), days.end(), [&](double t) { return t < first || t > last; }), days.end());
  return days;
}

using base::fixed;

std::string general(double v) {
  if (std::isinf(v)) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

// Days after `from`, at `per_decade` a decade of elapsed time, up to `last`.
void add_log_days(std::vector<double>& days, double from, double last, int per_decade) {
  if (!(last > from)) return;
  const double decades = std::log10((last - from) / kFirstElapsed);
  const int n = static_cast<int>(std::ceil(decades * per_decade));
  for (int k = 0; k <= n; ++k) {
    const double t = from + kFirstElapsed * std::pow(10.0, static_cast<double>(k) / per_decade);
    if (t < last) days.push_back(t);
  }
}

// The rule's drawdown at node-unit position (px, py): its single-precision
// sum in term order (point_drawdown_rule's bits), and its terms summed apart
// by the sign of their rate change.
LimitSample rule_sample(const Scenario& s, float px, float py, std::span<const Term> terms) {
  const float T = static_cast<float>(s.aquifer.transmissivity);
  const float B = model::leakage_factor(T, static_cast<float>(s.aquifer.leakance));
  LimitSample sample;
  float value = 0.0f;
  for (const Term& term : terms) {
    const float R = model::point_distance(s.grid.spacing, px, py, term.x, term.y);
    const float u = model::u_of(model::u_factor(T, static_cast<float>(s.aquifer.storage), term.elapsed), R);
    const float piece = model::drawdown_from_W(term.q, model::WUB(u, model::rb_of(R, B)), T);
    value = model::accumulate(piece, value);
    (piece >= 0.0f ? sample.rising : sample.falling) += std::fabs(static_cast<double>(piece));
  }
  sample.value = value;
  return sample;
}

// Rows of a receptor's windows for the summary: "from day A to B, ..." with at
// most kMostWindowsShown of them.
constexpr std::size_t kMostWindowsShown = 10;

std::string windows_text(const std::vector<LimitWindow>& windows) {
  std::string text;
  for (std::size_t k = 0; k < windows.size() && k < kMostWindowsShown; ++k)
    text.append(k == 0 ? "" : ", ").append(fixed(tenth_down(windows[k].from), 1)).append(" to ").append(fixed(tenth_up(windows[k].to), 1));
  if (windows.size() > kMostWindowsShown) text += " and " + std::to_string(windows.size() - kMostWindowsShown) + " more";
  return text;
}

std::string days_text(double days) {
  if (days > 0.0 && days < 0.005) return "less than 0.01 day";
  return fixed(days, 2) + (fixed(days, 2) == "1.00" ? " day" : " days");
}

// One receptor's answer from one search of its drawdown over `days`.
ReceptorCompliance receptor_compliance(const Scenario& s, const Evaluation& how, std::size_t i,
                                       const std::vector<double>& days, const std::vector<double>& changes) {
  const Receptor& r = s.receptors[i];
  ReceptorCompliance c;
  c.receptor = i;
  c.limit = *r.limit;
  const SampleAt at = [&](double t) { return point_sample(s, how, r.x, r.y, t); };
  const double slack = how.well_function == WellFunction::rule ? 1e-6 : 1e-12;
  BoundsOn bounds;
  if (how.well_function == WellFunction::exact)
    bounds = [&](const LimitSample& a, const LimitSample& b) { return point_bounds(s, r.x, r.y, a, b); };
  const LimitSearch found = search_limit(at, days, c.limit, slack, changes, bounds);
  c.largest = found.largest;
  c.largest_day = found.largest_day;
  if (!(found.largest > 0.0) && found.least < 0.0) {
    c.only_rises = true;
    c.largest = found.least;
    c.largest_day = found.least_day;
  }
  c.windows = found.windows;
  c.days_above = found.days_above;
  if (!c.windows.empty()) c.first_exceeded = tenth_down(c.windows.front().from);
  c.margin = c.limit - std::max(c.largest, 0.0);
  if (c.largest > 0.0) c.factor = c.limit / c.largest;
  return c;
}

}  // namespace

double drawdown_at(const Scenario& s, const Evaluation& how, double x, double y, double t) {
  const std::vector<Term> terms = terms_at(s, t);
  if (how.well_function == WellFunction::rule)
    return point_drawdown_rule(s, node_position(x, s.grid.xll, s.grid.spacing),
                               node_position(y, s.grid.yll, s.grid.spacing), terms);
  std::vector<engine::TrueTerm> true_terms;
  true_terms.reserve(terms.size());
  for (const Term& term : terms) true_terms.push_back({term.map_x, term.map_y, term.dq, term.elapsed_days});
  const engine::TrueAquifer a{s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance};
  return engine::true_point_drawdown(x, y, a, true_terms, how.exact);
}

double last_day(const Scenario& s) {
  double last = s.times.back();
  if (!s.series_times.empty()) last = std::max(last, s.series_times.back());
  return last;
}

std::vector<double> dense_days(const Scenario& s, double last) {
  std::vector<double> steps;
  for (const Well& w : s.wells)
    for (const Step& step : w.steps)
      if (step.day < last) steps.push_back(step.day);
  std::sort(steps.begin(), steps.end());
  steps.erase(std::unique(steps.begin(), steps.end()), steps.end());
  std::vector<double> days(steps.begin(), steps.end());
  if (steps.empty()) return {last};
  add_log_days(days, steps.front(), last, kPerDecade);
  if (steps.size() <= kMostStepGrids)
    for (double d : steps) add_log_days(days, d, last, kPerDecadeAfterStep);
  return with_study_days(s, std::move(days), steps.front(), last);
}

std::vector<double> change_days(const Scenario& s, double last) {
  std::vector<double> days;
  for (const Well& w : s.wells) {
    double before = 0.0;
    for (const Step& step : w.steps) {
      if (step.day < last && step.rate != before) days.push_back(step.day);
      before = step.rate;
    }
  }
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return days;
}

std::vector<double> compliance_days(const Scenario& s, double last) {
  const std::vector<double> steps = change_days(s, last);
  if (steps.empty()) return {last};
  std::vector<double> days{steps.front()};
  add_log_days(days, steps.front(), last, kPerDecade);
  return with_study_days(s, std::move(days), steps.front(), last);
}

LimitSample point_sample(const Scenario& s, const Evaluation& how, double x, double y, double t) {
  const std::vector<Term> terms = terms_at(s, t);
  if (how.well_function == WellFunction::rule)
    return rule_sample(s, node_position(x, s.grid.xll, s.grid.spacing), node_position(y, s.grid.yll, s.grid.spacing),
                       terms);
  std::vector<engine::TrueTerm> up, down;
  for (const Term& term : terms)
    (term.dq >= 0.0 ? up : down).push_back({term.map_x, term.map_y, term.dq, term.elapsed_days});
  const engine::TrueAquifer a{s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance};
  LimitSample sample;
  sample.rising = up.empty() ? 0.0 : engine::true_point_drawdown(x, y, a, up, how.exact);
  sample.falling = down.empty() ? 0.0 : -engine::true_point_drawdown(x, y, a, down, how.exact);
  sample.value = sample.rising - sample.falling;
  return sample;
}

LimitBounds point_bounds(const Scenario& s, double x, double y, const LimitSample& a, const LimitSample& b) {
  const double w = b.day - a.day;
  const double T = s.aquifer.transmissivity, S = s.aquifer.storage;
  const double B = model::leakage_factor(T, s.aquifer.leakance);
  double up_slope = 0.0, low_slope = 0.0, new_up = 0.0, new_low = 0.0;
  for (const Term& term : terms_at(s, b.day)) {
    const double r = model::true_distance(x - term.map_x, y - term.map_y);
    const double alpha = model::kTrueUCoefficient * r * r * S / T;  // u times tau
    const double rho2 = (r / B) * (r / B);
    const double k = model::true_drawdown(term.dq, 1.0, T);  // feet per unit of W
    const double tb = term.elapsed_days, ta = tb - w;
    if (!(ta > 0.0)) {
      const double u = alpha / tb;
      const double most = k * std::exp(-u) * std::log1p(1.0 / u);
      (most > 0.0 ? new_up : new_low) += most;
      continue;
    }
    const auto g = [&](double tau) {
      const double u = alpha / tau;
      return std::exp(-u - rho2 / (4.0 * u)) / tau;
    };
    double least = std::min(g(ta), g(tb)), most = std::max(g(ta), g(tb));
    const double beta = rho2 / (4.0 * alpha);
    const double peak = beta > 0.0 ? (std::sqrt(1.0 + 4.0 * alpha * beta) - 1.0) / (2.0 * beta) : alpha;
    if (peak > ta && peak < tb) most = std::max(most, g(peak));
    up_slope += k > 0.0 ? k * most : k * least;
    low_slope += k > 0.0 ? k * least : k * most;
  }
  const double blur = 1e-10 * (a.rising + a.falling + b.rising + b.falling) + 1e-12;
  return {a.value + new_up + std::max(0.0, w * up_slope) + blur, a.value + new_low + std::min(0.0, w * low_slope) - blur};
}

bool Compliance::exceeded() const {
  return std::any_of(receptors.begin(), receptors.end(), [](const ReceptorCompliance& r) { return !r.windows.empty(); }) ||
         std::any_of(streams.begin(), streams.end(), [](const ReceptorCompliance& r) { return r.first_exceeded.has_value(); });
}

Compliance compliance_of(const Scenario& s, const Evaluation& how) {
  Compliance c;
  const std::vector<double> days = compliance_days(s, last_day(s));
  const std::vector<double> changes = change_days(s, last_day(s));
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    if (!s.receptors[i].limit) continue;
    c.receptors.push_back(receptor_compliance(s, how, i, days, changes));
    if (c.receptors.back().factor < c.rate_factor) {
      c.rate_factor = c.receptors.back().factor;
      c.limiting = c.receptors.size() - 1;
    }
  }
  add_stream_limits(s, c);
  return c;
}

std::string compliance_text(const Scenario& s, const Compliance& c) {
  std::vector<std::vector<std::string>> rows{
      s.units.labels({"receptor", "limit ({L})", "largest drawdown ({L})", "at day", "first exceeded (day)", "margin ({L})"})};
  for (const ReceptorCompliance& r : c.receptors)
    rows.push_back({base::one_line(s.receptors[r.receptor].name), fixed(r.limit, 2),
                    r.only_rises ? fixed(-r.largest, 2) + " rise" : fixed(r.largest, 2), fixed(r.largest_day, 1),
                    r.first_exceeded ? fixed(*r.first_exceeded, 1) : "-", fixed(r.margin, 2)});
  std::string text =
      c.receptors.empty() && !c.streams.empty() ? "" : base::aligned_table(rows, {true, false, false, false, false, false});
  text += stream_limits_text(s, c);
  const double last = last_day(s);
  const std::string every = c.streams.empty() ? "receptor" : "receptor and stream";
  if (!c.limiting) {
    text += "rate factor: none needed (no " + std::string(c.streams.empty() ? "drawdown at any receptor" : "drawdown or depletion at any receptor or stream") +
            " with a limit up to day " + fixed(last, 1) + ")\n";
  } else {
    const ReceptorCompliance& l = c.limited_by_stream ? c.streams[*c.limiting] : c.receptors[*c.limiting];
    const std::string& name = c.limited_by_stream ? s.boundaries[l.receptor].name : s.receptors[l.receptor].name;
    text += "rate factor: " + fixed(std::floor(c.rate_factor * 1000.0) / 1000.0, 3) +
            " (every rate times this keeps every " + every + " within its limit up to day " + fixed(last, 1) +
            "; set by '" + base::one_line(name) + "' at day " + fixed(l.largest_day, 1) + ")\n";
    if (c.rate_factor > kFarFactor)
      text += "no limit comes near: every rate could be " + fixed(kFarFactor, 0) + " times larger\n";
  }
  for (const ReceptorCompliance& r : c.receptors)
    if (!r.windows.empty())
      text.append("'").append(base::one_line(s.receptors[r.receptor].name)).append("' is above its limit from day ")
          .append(windows_text(r.windows)).append(" (").append(days_text(r.days_above)).append(" in all)\n");
  text += c.exceeded() ? "the plan exceeds a limit\n" : "the plan keeps every limit\n";
  return text;
}

std::string compliance_csv(const Scenario& s, const Compliance& c) {
  if (!c.streams.empty()) return compliance_csv_with_streams(s, c);
  std::string text = s.units.label(
      "name,limit_{L},largest_drawdown_{L},at_day,first_exceeded_day,margin_{L},rate_factor,days_above_limit,"
      "windows_above_limit\n");
  for (const ReceptorCompliance& r : c.receptors) {
    std::string windows;
    for (const LimitWindow& w : r.windows)
      windows.append(windows.empty() ? "" : ";").append(fixed(tenth_down(w.from), 1)).append("-").append(fixed(tenth_up(w.to), 1));
    text += base::csv_field(s.receptors[r.receptor].name) + "," + general(r.limit) + "," + general(r.largest) + "," +
            fixed(r.largest_day, 1) + "," + (r.first_exceeded ? fixed(*r.first_exceeded, 1) : "") + "," +
            general(r.margin) + "," + general(r.factor) + "," + general(r.days_above) + "," + windows + "\n";
  }
  return text;
}

}  // namespace scenario
