#include "scenario/depletion_limits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "base/csv_text.h"
#include "base/text_table.h"

namespace scenario {
namespace {

// A stream's response is a sum over images whose far ones are left out where
// they no longer count: the sum carries that much beyond its rounding.
constexpr double kResponseSlack = 1e-9;

using base::fixed;

std::string general(double v) {
  if (std::isinf(v)) return "inf";
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

// One stream's answer: its total depletion searched over `days` as a
// receptor's drawdown is, so that an exceedance between two days is found.
ReceptorCompliance stream_compliance(const Scenario& s, const Depletion& d, std::size_t k,
                                     const std::vector<double>& days, const std::vector<double>& changes) {
  ReceptorCompliance c;
  c.receptor = d.streams()[k];
  c.limit = stream_limit(s, s.boundaries[c.receptor]);
  const SampleAt at = [&d, k](double t) { return d.sample(k, t); };
  const LimitSearch found = search_limit(at, days, c.limit, kResponseSlack, changes);
  c.largest = found.largest;
  c.largest_day = found.largest_day;
  c.windows = found.windows;
  c.days_above = found.days_above;
  if (!c.windows.empty()) c.first_exceeded = tenth_down(c.windows.front().from);
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

std::pair<double, double> largest_depletion(const Scenario& s, const Depletion& d, std::size_t k) {
  const double last = last_day(s);
  const SampleAt at = [&d, k](double t) { return d.sample(k, t); };
  const LimitSearch found = search_limit(at, compliance_days(s, last), std::numeric_limits<double>::infinity(),
                                         kResponseSlack, change_days(s, last));
  return {found.largest_day, found.largest};
}

void add_stream_limits(const Scenario& s, Compliance& c) {
  if (!has_stream_limits(s)) return;
  const double last = last_day(s);
  const Depletion d(s, last);
  const std::vector<double> days = compliance_days(s, last);
  const std::vector<double> changes = change_days(s, last);
  for (std::size_t k = 0; k < d.streams().size(); ++k) {
    const Boundary& b = s.boundaries[d.streams()[k]];
    if (!b.depletion_limit && !b.depletion_limit_fraction) continue;
    c.streams.push_back(stream_compliance(s, d, k, days, changes));
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
