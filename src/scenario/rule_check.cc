#include "scenario/rule_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

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

std::string rule_warning(const std::string& where, std::span<const RuleAgainstTrue> values, std::string_view unit) {
  const RuleAgainstTrue* worst = nullptr;
  for (const RuleAgainstTrue& v : values)
    if (rule_is_off(v) && (worst == nullptr || std::fabs(v.rule - v.exact) > std::fabs(worst->rule - worst->exact)))
      worst = &v;
  if (worst == nullptr) return "";
  const double relative = (static_cast<double>(worst->rule) - worst->exact) / std::fabs(worst->exact);
  return "the rule's drawdown at " + where + " is off the true well function's: at day " +
         base::shortest_text(worst->day) + " the rule gives " + base::single_text(worst->rule) + " " + std::string(unit) +
         ", the true value is " + base::single_text(worst->exact) + " " + std::string(unit) + " (" + percent(relative) +
         "); well_function = \"exact\" gives the true values";
}

std::vector<std::string> rule_warnings(const Scenario& s, std::span<const double> series_times,
                                       const std::vector<std::vector<float>>& series,
                                       const std::vector<std::vector<float>>& well_nodes, ExactWellFunction W) {
  // One time's terms at a time: a schedule's term lists are as long as its
  // steps, and every time's at once would not be counted by the memory check.
  const std::size_t receptors = std::min(s.receptors.size(), series.size());
  std::vector<std::vector<RuleAgainstTrue>> at_receptor(receptors);
  for (std::size_t k = 0; k < series_times.size(); ++k) {
    const std::vector<Term> terms = terms_at(s, series_times[k]);
    for (std::size_t i = 0; i < receptors; ++i)
      at_receptor[i].push_back(
          {series_times[k], series[i][k], point_drawdown_exact(s, s.receptors[i].x, s.receptors[i].y, terms, W)});
  }
  const std::size_t wells = std::min(s.wells.size(), well_nodes.size());
  std::vector<Node> nodes;
  for (std::size_t j = 0; j < wells; ++j) nodes.push_back(nearest_node(s.grid, s.wells[j].x, s.wells[j].y));
  std::vector<std::vector<RuleAgainstTrue>> at_well(wells);
  for (std::size_t k = 0; k < s.times.size(); ++k) {
    const std::vector<Term> terms = terms_at(s, s.times[k]);
    for (std::size_t j = 0; j < wells; ++j) {
      const double x = s.grid.xll + (nodes[j].c - 0.5) * s.grid.spacing, y = s.grid.yll + (nodes[j].r - 0.5) * s.grid.spacing;
      at_well[j].push_back({s.times[k], well_nodes[j][k], point_drawdown_exact(s, x, y, terms, W)});
    }
  }
  std::vector<std::string> warnings;
  for (std::size_t i = 0; i < receptors; ++i)
    if (std::string w = rule_warning("receptor '" + s.receptors[i].name + "'", at_receptor[i], s.units.length.name);
        !w.empty())
      warnings.push_back(std::move(w));
  for (std::size_t j = 0; j < wells; ++j) {
    const std::string where = "the node (" + std::to_string(nodes[j].c) + ", " + std::to_string(nodes[j].r) +
                              ") nearest well '" + s.wells[j].name + "'";
    if (std::string w = rule_warning(where, at_well[j], s.units.length.name); !w.empty()) warnings.push_back(std::move(w));
  }
  return warnings;
}

std::vector<std::string> well_table_warnings(const Scenario& s, const std::vector<std::vector<double>>& rule,
                                             const std::vector<std::vector<double>>& exact) {
  std::vector<std::string> warnings;
  for (std::size_t j = 0; j < s.wells.size() && j < rule.size() && j < exact.size(); ++j) {
    std::vector<RuleAgainstTrue> values;
    for (std::size_t k = 0; k < s.times.size() && k < rule[j].size() && k < exact[j].size(); ++k)
      values.push_back({s.times[k], static_cast<float>(rule[j][k]), static_cast<float>(exact[j][k])});
    const std::string where = "well '" + s.wells[j].name + "' (in the well, at its radius of " +
                              base::shortest_text(s.wells[j].radius) + " ft)";
    if (std::string w = rule_warning(where, values); !w.empty()) warnings.push_back(std::move(w));
  }
  return warnings;
}

}  // namespace scenario
