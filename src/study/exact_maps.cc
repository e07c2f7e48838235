#include "study/exact_maps.h"

#include <cstdio>

#include "base/shortest_text.h"
#include "base/text_table.h"
#include "engine/true_grid.h"
#include "scenario/evaluation.h"

namespace study {
namespace {

std::string area_text(double area, bool metres) {
  char text[64];
  std::snprintf(text, sizeof text, metres ? "%.0f" : "%.2f", area);
  return text;
}

std::string areas_table(const Study& s, std::span<const engine::EvaluatedGrid> kept, std::span<const double> levels,
                        const std::vector<gis::ExactLine>& lines) {
  if (levels.empty() || kept.empty()) return "";
  const std::string_view length = s.units.length.name;
  const bool metres = length == "m";
  std::vector<std::vector<std::string>> rows(1, std::vector<std::string>{"day"});
  for (double level : levels) rows[0].push_back(base::shortest_text(level) + " " + std::string(length));
  for (std::size_t t = 0; t < kept.size() && t < s.times.size(); ++t) {
    std::vector<std::string> row{base::shortest_text(s.times[t])};
    for (double level : levels) {
      const std::optional<double> area = gis::area_inside(lines, t, level, kept[t]);
      row.push_back(area ? area_text(gis::area_in_unit(*area, length), metres) : "edge");
    }
    rows.push_back(std::move(row));
  }
  return "area inside each contour level (" + std::string(gis::area_unit(length)) +
         "; edge: it reaches the grid's edge or a boundary):\n" +
         base::aligned_table(rows, std::vector<bool>(levels.size() + 1, false));
}

// The drawdown at map points of one time, as scenario::drawdown_at gives it,
// with the time's terms made once.
class PointDrawdown {
 public:
  PointDrawdown(const Study& s, const scenario::Evaluation& how, double t)
      : s_(s), how_(how), terms_(scenario::terms_at(s, t)) {
    for (const scenario::Term& term : terms_) true_terms_.push_back({term.map_x, term.map_y, term.dq, term.elapsed_days});
  }
  double operator()(double x, double y) const {
    if (how_.well_function == WellFunction::rule)
      return scenario::point_drawdown_rule(s_, node_position(x, s_.grid.xll, s_.grid.spacing),
                                           node_position(y, s_.grid.yll, s_.grid.spacing), terms_);
    const engine::TrueAquifer a{s_.aquifer.transmissivity, s_.aquifer.storage, s_.aquifer.leakance};
    return engine::true_point_drawdown(x, y, a, true_terms_, how_.exact);
  }

 private:
  const Study& s_;
  const scenario::Evaluation& how_;
  std::vector<scenario::Term> terms_;
  std::vector<engine::TrueTerm> true_terms_;
};

}  // namespace

ExactMaps exact_maps(const Study& s, const scenario::Evaluation& how, std::span<const engine::EvaluatedGrid> kept,
                     std::span<const double> levels) {
  ExactMaps m;
  std::vector<PointDrawdown> times;
  for (std::size_t t = 0; t < kept.size() && t < s.times.size(); ++t) times.emplace_back(s, how, s.times[t]);
  const gis::DrawdownAt at = [&](std::size_t time, double x, double y) { return times[time](x, y); };
  m.lines = gis::exact_contours(kept, levels, at, how.engine.fast.threads);
  m.areas = areas_table(s, kept, levels, m.lines);
  return m;
}

}  // namespace study
