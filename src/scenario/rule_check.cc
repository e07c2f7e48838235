#include "scenario/rule_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/shortest_text.h"
#include "base/shortest_text.h"

namespace scenario {
namespace {

std::int32_t nearest_index(double coordinate, double corner, std::int32_t spacing, std::int32_t count) {
  const double index = std::floor((coordinate - corner) / spacing) + 1.0;  // the cell holding the point
  return static_cast<std::int32_t>(std::clamp(index, 1.0, static_cast<double>(count)));
}

std::string percent(double fraction) {
  char text[32];
  std::snprintf(text, sizeof text, "%+.1f%%", 100.0 * fraction);
  return text;
}

}  // namespace

Node nearest_node(const Grid& g, double x, double y) {
  return Node{nearest_index(x, g.xll, g.spacing, g.columns), nearest_index(y, g.yll, g.spacing, g.rows)};
}

bool rule_is_off(const RuleAgainstTrue& v) {
  const double difference = std::fabs(static_cast<double>(v.rule) - v.exact);
  return difference > kRuleOffFeet && difference > kRuleOffFraction * std::fabs(v.exact);
}

std::string rule_warning(const std::string& where, std::span<const RuleAgainstTrue> values) {
  const RuleAgainstTrue* worst = nullptr;
  for (const RuleAgainstTrue& v : values)
    if (rule_is_off(v) && (worst == nullptr || std::fabs(v.rule - v.exact) > std::fabs(worst->rule - worst->exact)))
      worst = &v;
  if (worst == nullptr) return "";
  const double relative = (static_cast<double>(worst->rule) - worst->exact) / std::fabs(worst->exact);
  return "the rule's drawdown at " + where + " is off the true well function's: at day " +
         base::shortest_text(worst->day) + " the rule gives " + base::single_text(worst->rule) + " ft, the true value is " +
         base::single_text(worst->exact) + " ft (" + percent(relative) + "); well_function = \"exact\" gives the true values";
}

std::vector<std::string> rule_warnings(const Scenario& s, std::span<const double> series_times,
                                       const std::vector<std::vector<float>>& series,
                                       const std::vector<std::vector<float>>& well_nodes, ExactWellFunction W) {
  std::vector<std::string> warnings;
  std::vector<std::vector<Term>> terms;
  for (double t : series_times) terms.push_back(terms_at(s, t));
  for (std::size_t i = 0; i < s.receptors.size() && i < series.size(); ++i) {
    std::vector<RuleAgainstTrue> values;
    for (std::size_t k = 0; k < series_times.size(); ++k)
      values.push_back({series_times[k], series[i][k],
                        point_drawdown_exact(s, s.receptors[i].x, s.receptors[i].y, terms[k], W)});
    if (std::string w = rule_warning("receptor '" + s.receptors[i].name + "'", values); !w.empty())
      warnings.push_back(std::move(w));
  }
  terms.clear();
  for (double t : s.times) terms.push_back(terms_at(s, t));
  for (std::size_t j = 0; j < s.wells.size() && j < well_nodes.size(); ++j) {
    const Node n = nearest_node(s.grid, s.wells[j].x, s.wells[j].y);
    const double x = s.grid.xll + (n.c - 0.5) * s.grid.spacing, y = s.grid.yll + (n.r - 0.5) * s.grid.spacing;
    std::vector<RuleAgainstTrue> values;
    for (std::size_t k = 0; k < s.times.size(); ++k)
      values.push_back({s.times[k], well_nodes[j][k], point_drawdown_exact(s, x, y, terms[k], W)});
    const std::string where = "the node (" + std::to_string(n.c) + ", " + std::to_string(n.r) + ") nearest well '" +
                              s.wells[j].name + "'";
    if (std::string w = rule_warning(where, values); !w.empty()) warnings.push_back(std::move(w));
  }
  return warnings;
}

}  // namespace scenario
