#include "scenario/compliance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/true_grid.h"
#include "base/text_table.h"
#include "base/csv_text.h"

namespace scenario {
namespace {

constexpr double kFirstElapsed = 1e-3;   // days: the first sample after a step
constexpr int kPerDecade = 50;           // samples per decade since the first well starts
constexpr int kPerDecadeAfterStep = 20;  // samples per decade after each step
constexpr std::size_t kMostStepGrids = 200;  // steps with their own samples, at most
constexpr double kBisected = 0.01;       // days: the first exceedance's bracket

std::string fixed(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string general(double v) {
  if (std::isinf(v)) return "inf";
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

// The day in [lo, hi] where the drawdown at the receptor is largest, by
// golden-section search (the drawdown is taken as having one peak there).
std::pair<double, double> refined_peak(const Scenario& s, const Evaluation& how, const Receptor& r, double lo, double hi) {
  const double g = (std::sqrt(5.0) - 1.0) / 2.0;
  double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
  double fa = drawdown_at(s, how, r.x, r.y, a), fb = drawdown_at(s, how, r.x, r.y, b);
  for (int i = 0; i < 60 && hi - lo > 1e-6 * std::max(1.0, hi); ++i) {
    if (fa >= fb) {
      hi = b, b = a, fb = fa;
      a = hi - g * (hi - lo);
      fa = drawdown_at(s, how, r.x, r.y, a);
    } else {
      lo = a, a = b, fa = fb;
      b = lo + g * (hi - lo);
      fb = drawdown_at(s, how, r.x, r.y, b);
    }
  }
  return fa >= fb ? std::pair{a, fa} : std::pair{b, fb};
}

// One receptor's answer from its drawdowns at `days`.
ReceptorCompliance receptor_compliance(const Scenario& s, const Evaluation& how, std::size_t i,
                                       const std::vector<double>& days) {
  const Receptor& r = s.receptors[i];
  ReceptorCompliance c;
  c.receptor = i;
  c.limit = *r.limit;
  std::vector<double> dd(days.size());
  for (std::size_t k = 0; k < days.size(); ++k) dd[k] = drawdown_at(s, how, r.x, r.y, days[k]);
  const std::size_t best = static_cast<std::size_t>(std::max_element(dd.begin(), dd.end()) - dd.begin());
  c.largest = dd[best];
  c.largest_day = days[best];
  if (best > 0 && best + 1 < days.size()) {
    const auto [day, value] = refined_peak(s, how, r, days[best - 1], days[best + 1]);
    if (value > c.largest) c.largest = value, c.largest_day = day;
  }
  // On a plateau (a leaky aquifer's steady state) the day is the first that
  // comes within a millionth of the largest drawdown.
  const double near = c.largest - (1e-6 * std::fabs(c.largest) + 1e-9);
  for (std::size_t k = 0; k < days.size() && days[k] < c.largest_day; ++k)
    if (dd[k] >= near) {
      c.largest_day = days[k];
      break;
    }
  for (std::size_t k = 0; k < days.size(); ++k) {
    if (!(dd[k] > c.limit)) continue;
    double lo = k > 0 ? days[k - 1] : days[k], hi = days[k];
    while (hi - lo > kBisected) {
      const double mid = 0.5 * (lo + hi);
      (drawdown_at(s, how, r.x, r.y, mid) > c.limit ? hi : lo) = mid;
    }
    c.first_exceeded = std::ceil(hi * 10.0 - 1e-9) / 10.0;
    break;
  }
  c.margin = c.limit - c.largest;
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
  for (double t : s.times) days.push_back(t);
  for (double t : s.series_times) days.push_back(t);
  days.push_back(last);
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  const double first = steps.front();
  days.erase(std::remove_if(days.begin(), days.end(), [&](double t) { return t < first || t > last; }), days.end());
  return days;
}

bool Compliance::exceeded() const {
  return std::any_of(receptors.begin(), receptors.end(), [](const ReceptorCompliance& r) { return r.first_exceeded.has_value(); });
}

Compliance compliance_of(const Scenario& s, const Evaluation& how) {
  Compliance c;
  const std::vector<double> days = dense_days(s, last_day(s));
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    if (!s.receptors[i].limit) continue;
    c.receptors.push_back(receptor_compliance(s, how, i, days));
    if (c.receptors.back().factor < c.rate_factor) {
      c.rate_factor = c.receptors.back().factor;
      c.limiting = c.receptors.size() - 1;
    }
  }
  return c;
}

std::string compliance_text(const Scenario& s, const Compliance& c) {
  std::vector<std::vector<std::string>> rows{
      {"receptor", "limit (ft)", "largest drawdown (ft)", "at day", "first exceeded (day)", "margin (ft)"}};
  for (const ReceptorCompliance& r : c.receptors)
    rows.push_back({base::one_line(s.receptors[r.receptor].name), fixed(r.limit, 2), fixed(r.largest, 2), fixed(r.largest_day, 1),
                    r.first_exceeded ? fixed(*r.first_exceeded, 1) : "-", fixed(r.margin, 2)});
  std::string text = base::aligned_table(rows, {true, false, false, false, false, false});
  const double last = last_day(s);
  if (!c.limiting) {
    text += "rate factor: none needed (no drawdown at any receptor with a limit up to day " + fixed(last, 1) + ")\n";
  } else {
    const ReceptorCompliance& l = c.receptors[*c.limiting];
    text += "rate factor: " + fixed(std::floor(c.rate_factor * 1000.0) / 1000.0, 3) +
            " (every rate times this keeps every receptor within its limit up to day " + fixed(last, 1) +
            "; set by '" + base::one_line(s.receptors[l.receptor].name) + "' at day " + fixed(l.largest_day, 1) + ")\n";
  }
  text += c.exceeded() ? "the plan exceeds a limit\n" : "the plan keeps every limit\n";
  return text;
}

std::string compliance_csv(const Scenario& s, const Compliance& c) {
  std::string text = "name,limit_ft,largest_drawdown_ft,at_day,first_exceeded_day,margin_ft,rate_factor\n";
  for (const ReceptorCompliance& r : c.receptors)
    text += base::csv_field(s.receptors[r.receptor].name) + "," + general(r.limit) + "," + general(r.largest) + "," +
            fixed(r.largest_day, 1) + "," + (r.first_exceeded ? fixed(*r.first_exceeded, 1) : "") + "," +
            general(r.margin) + "," + general(r.factor) + "\n";
  return text;
}

}  // namespace scenario
