#include "study/compliance_points.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace study {
namespace {

// `v` as the compliance table writes it (printf's `format`), so that a label
// in the GIS reads as the table's cell.
double as_in_table(const char* format, double v) {
  char text[64];
  std::snprintf(text, sizeof text, format, v);
  return std::strtod(text, nullptr);
}

// The rate of largest size in the schedule, in the study's unit.
double planned_rate(const Study& s, const Well& w) {
  double rate = 0.0;
  for (const Step& step : w.steps)
    if (std::fabs(step.rate) > std::fabs(rate)) rate = step.rate;
  return s.units.rate_from_engine(rate);
}

void add_to_wells(gis::PointLayer& wells, const Study& s) {
  wells.fields.push_back("planned_rate");
  // Where the allocation gives each well an allowed rate, it joins here as allowed_rate.
  for (std::size_t i = 0; i < wells.points.size() && i < s.wells.size(); ++i)
    wells.points[i].values.push_back(planned_rate(s, s.wells[i]));
}

void add_to_receptors(gis::PointLayer& receptors, const Study& s, const scenario::Compliance& c) {
  const std::string unit = s.units.suffix();
  for (const char* f : {"largest_drawdown", "at_day", "first_exceeded_day", "margin"})
    receptors.fields.push_back(std::string(f) + (f[0] == 'l' || f[0] == 'm' ? unit : ""));
  receptors.text_fields.push_back("exceeded");
  // Where the uncertainty gives a probability of exceeding, it joins here as probability_exceeded.
  for (gis::PointLayer::Point& p : receptors.points) {
    p.values.insert(p.values.end(), 4, std::nullopt);
    p.texts.push_back(std::nullopt);
  }
  for (const scenario::ReceptorCompliance& r : c.receptors) {
    if (r.receptor >= receptors.points.size()) continue;
    gis::PointLayer::Point& p = receptors.points[r.receptor];
    const std::size_t at = p.values.size() - 4;
    p.values[at] = as_in_table("%.6g", r.largest);
    p.values[at + 1] = as_in_table("%.1f", r.largest_day);
    if (r.first_exceeded) p.values[at + 2] = as_in_table("%.1f", *r.first_exceeded);
    p.values[at + 3] = as_in_table("%.6g", r.margin);
    p.texts.back() = r.windows.empty() ? "no" : "yes";
  }
}

}  // namespace

void add_compliance(std::vector<gis::PointLayer>& layers, const Study& s, const scenario::Compliance& c) {
  bool limits = false;
  for (const Receptor& r : s.receptors) limits = limits || r.limit.has_value();
  if (!limits || layers.size() < 2) return;
  add_to_wells(layers[0], s);
  add_to_receptors(layers[1], s, c);
}

}  // namespace study
