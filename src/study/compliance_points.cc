#include "study/compliance_points.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/calendar.h"

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

// The receptors' fields: limit, largest_drawdown, day, first_exceeded,
// margin (and probability_exceeded with an ensemble); the texts exceeded
// (and date with a start date).
void add_to_receptors(gis::PointLayer& receptors, const Study& s, const scenario::Compliance& c,
                      const uncertainty::Summary* u) {
  const std::size_t numbers = u != nullptr ? 6 : 5, texts = s.start_date ? 2 : 1;
  for (const char* f : {"limit", "largest_drawdown", "day", "first_exceeded", "margin"}) receptors.fields.push_back(f);
  if (u != nullptr) receptors.fields.push_back("probability_exceeded");
  receptors.text_fields.push_back("exceeded");
  if (s.start_date) receptors.text_fields.push_back("date");
  for (gis::PointLayer::Point& p : receptors.points) {
    p.values.insert(p.values.end(), numbers, std::nullopt);
    p.texts.insert(p.texts.end(), texts, std::nullopt);
  }
  for (std::size_t k = 0; k < c.receptors.size(); ++k) {
    const scenario::ReceptorCompliance& r = c.receptors[k];
    if (r.receptor >= receptors.points.size()) continue;
    gis::PointLayer::Point& p = receptors.points[r.receptor];
    const std::size_t at = p.values.size() - numbers, text = p.texts.size() - texts;
    p.values[at] = as_in_table("%.6g", r.limit);
    p.values[at + 1] = as_in_table("%.6g", r.largest);
    p.values[at + 2] = as_in_table("%.1f", r.largest_day);
    if (r.first_exceeded) p.values[at + 3] = as_in_table("%.1f", *r.first_exceeded);
    p.values[at + 4] = as_in_table("%.6g", r.margin);
    if (u != nullptr && k < u->probability.size()) p.values[at + 5] = u->probability[k];
    p.texts[text] = r.windows.empty() ? "no" : "yes";
    if (s.start_date) p.texts[text + 1] = base::date_of_day(*s.start_date, *p.values[at + 2]);  // the table's day
  }
}

}  // namespace

void add_compliance(std::vector<gis::PointLayer>& layers, const Study& s, const scenario::Compliance& c,
                    const uncertainty::Summary* u) {
  bool limits = false;
  for (const Receptor& r : s.receptors) limits = limits || r.limit.has_value();
  if (!limits || layers.size() < 2) return;
  add_to_wells(layers[0], s);
  add_to_receptors(layers[1], s, c, u);
}

}  // namespace study
