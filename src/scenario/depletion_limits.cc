#include "scenario/depletion_limits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/csv_text.h"
#include "base/text_table.h"

namespace scenario {
namespace {

constexpr double kBisected = 0.01;  // days: the first exceedance's bracket, as for the receptors

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

// One stream's answer, from its total depletion at `days`.
ReceptorCompliance stream_compliance(const Scenario& s, const Depletion& d, std::size_t k,
                                     const std::vector<double>& days) {
  const auto depletion = [&d, k](double t) { return d.total(k, t); };
  ReceptorCompliance c;
  c.receptor = d.streams()[k];
  c.limit = stream_limit(s, s.boundaries[c.receptor]);
  std::tie(c.largest_day, c.largest) = largest_over(depletion, days);
  double before = days.front();
  for (double t : days) {
    if (depletion(t) > c.limit) {
      double lo = before, hi = t;
      while (hi - lo > kBisected) {
        const double mid = 0.5 * (lo + hi);
        (depletion(mid) > c.limit ? hi : lo) = mid;
      }
      c.first_exceeded = std::ceil(hi * 10.0 - 1e-9) / 10.0;
      break;
    }
    before = t;
  }
  c.margin = c.limit - c.largest;
  if (c.largest > 0.0) c.factor = c.limit / c.largest;
  return c;
}

std::string limit_csv_row(const std::string& kind, const std::string& name, const ReceptorCompliance& r,
                          const std::string& unit) {
  return kind + "," + base::csv_field(name) + "," + general(r.limit) + "," + general(r.largest) + "," +
         fixed(r.largest_day, 1) + "," + (r.first_exceeded ? fixed(*r.first_exceeded, 1) : "") + "," +
         general(r.margin) + "," + general(r.factor) + "," + unit + "\n";
}

}  // namespace

bool has_stream_limits(const Scenario& s) {
  return std::any_of(s.boundaries.begin(), s.boundaries.end(), [](const Boundary& b) {
    return b.depletion_limit.has_value() || b.depletion_limit_fraction.has_value();
  });
}

double stream_limit(const Scenario& s, const Boundary& b) {
  if (b.depletion_limit) return *b.depletion_limit;
  if (!b.depletion_limit_fraction) return 0.0;
  double most = 0.0;
  for (const Well& w : s.wells)
    for (const Step& step : w.steps) most = std::max(most, total_rate_at(s, std::nextafter(step.day, step.day + 1.0)));
  return *b.depletion_limit_fraction * most;
}

std::pair<double, double> largest_over(const std::function<double(double)>& f, const std::vector<double>& days) {
  std::vector<double> v(days.size());
  for (std::size_t k = 0; k < days.size(); ++k) v[k] = f(days[k]);
  const std::size_t best = static_cast<std::size_t>(std::max_element(v.begin(), v.end()) - v.begin());
  double day = days[best], value = v[best];
  if (best > 0 && best + 1 < days.size()) {
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    double lo = days[best - 1], hi = days[best + 1];
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo), fa = f(a), fb = f(b);
    for (int i = 0; i < 60 && hi - lo > 1e-6 * std::max(1.0, hi); ++i) {
      if (fa >= fb) {
        hi = b, b = a, fb = fa, a = hi - g * (hi - lo), fa = f(a);
      } else {
        lo = a, a = b, fa = fb, b = lo + g * (hi - lo), fb = f(b);
      }
    }
    if (std::max(fa, fb) > value) std::tie(day, value) = fa >= fb ? std::pair{a, fa} : std::pair{b, fb};
  }
  const double near = value - (1e-6 * std::fabs(value) + 1e-9);
  for (std::size_t k = 0; k < days.size() && days[k] < day; ++k)
    if (v[k] >= near) return {days[k], value};
  return {day, value};
}

void add_stream_limits(const Scenario& s, Compliance& c) {
  if (!has_stream_limits(s)) return;
  const double last = last_day(s);
  const Depletion d(s, last);
  const std::vector<double> days = dense_days(s, last);
  for (std::size_t k = 0; k < d.streams().size(); ++k) {
    const Boundary& b = s.boundaries[d.streams()[k]];
    if (!b.depletion_limit && !b.depletion_limit_fraction) continue;
    c.streams.push_back(stream_compliance(s, d, k, days));
    if (c.streams.back().factor < c.rate_factor) {
      c.rate_factor = c.streams.back().factor;
      c.limiting = c.streams.size() - 1;
      c.limited_by_stream = true;
    }
  }
}

std::string stream_limits_text(const Scenario& s, const Compliance& c) {
  if (c.streams.empty()) return "";
  std::vector<std::vector<std::string>> rows{
      {"stream", "limit (gpd)", "largest depletion (gpd)", "at day", "first exceeded (day)", "margin (gpd)"}};
  for (const ReceptorCompliance& r : c.streams)
    rows.push_back({base::one_line(s.boundaries[r.receptor].name), fixed(r.limit, 0), fixed(r.largest, 0),
                    fixed(r.largest_day, 1), r.first_exceeded ? fixed(*r.first_exceeded, 1) : "-", fixed(r.margin, 0)});
  return base::aligned_table(rows, {true, false, false, false, false, false});
}

std::string compliance_csv_with_streams(const Scenario& s, const Compliance& c) {
  std::string text = "kind,name,limit,largest,at_day,first_exceeded_day,margin,rate_factor,unit\n";
  for (const ReceptorCompliance& r : c.receptors)
    text += limit_csv_row("receptor", s.receptors[r.receptor].name, r, "ft");
  for (const ReceptorCompliance& r : c.streams) text += limit_csv_row("stream", s.boundaries[r.receptor].name, r, "gpd");
  return text;
}

}  // namespace scenario
