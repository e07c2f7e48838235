#include "scenario/pumping_wells.h"

#include <cmath>
#include <cstdio>

#include "engine/true_grid.h"
#include "base/shortest_text.h"
#include "model/drawdown.h"
#include "model/point_distance.h"
#include "model/true_drawdown.h"
#include "base/text_table.h"
#include "base/shortest_text.h"

namespace scenario {
namespace {

// The number of terms well k has at day t (its steps before t).
std::size_t terms_of(const Well& w, double t) {
  std::size_t n = 0;
  while (n < w.steps.size() && w.steps[n].day < t) ++n;
  return n;
}

double term_exact(const Scenario& s, const Term& term, double r, ExactWellFunction W) {
  const double T = s.aquifer.transmissivity;
  const double B = model::leakage_factor(T, s.aquifer.leakance);
  return model::true_drawdown(term.dq, W(model::true_u(r, s.aquifer.storage, T, term.elapsed_days), r / B), T);
}

using base::fixed;

std::string node_text(std::int32_t c, std::int32_t r) {
  std::string text = "(";
  text += std::to_string(c);
  text += ", ";
  text += std::to_string(r);
  text += ")";
  return text;
}

// A node's map place and indices as table cells.
std::vector<std::string> place(const Grid& g, const NodeValue& n) {
  if (!n.found) return {"none", "-", "-", "-"};
  const double x = g.xll + (n.c - 0.5) * g.spacing;
  const double y = g.yll + (n.r - 0.5) * g.spacing;
  return {base::single_text(n.value), base::shortest_text(x), base::shortest_text(y),
          node_text(n.c, n.r)};
}

}  // namespace

double well_drawdown(const Scenario& s, const Evaluation& how, std::size_t well, double t) {
  return well_drawdown_of(s, how, well, t, terms_at(s, t));
}

double well_drawdown_of(const Scenario& s, const Evaluation& how, std::size_t well, double t, std::span<const Term> terms) {
  const Well& me = s.wells[well];
  std::size_t first = 0;
  for (std::size_t k = 0; k < well; ++k) first += terms_of(s.wells[k], t);
  const std::size_t own = terms_of(me, t);
  if (how.well_function == WellFunction::rule) {
    const float T = static_cast<float>(s.aquifer.transmissivity), S = static_cast<float>(s.aquifer.storage);
    const float LEAK = static_cast<float>(s.aquifer.leakance);
    const float px = node_position(me.x, s.grid.xll, s.grid.spacing), py = node_position(me.y, s.grid.yll, s.grid.spacing);
    float value = 0.0f;
    for (std::size_t i = 0; i < terms.size(); ++i) {
      const Term& term = terms[i];
      const bool mine = i >= first && i < first + own;
      const float R = mine ? static_cast<float>(me.radius) : model::point_distance(s.grid.spacing, px, py, term.x, term.y);
      model::DRAWDN(T, S, term.elapsed, LEAK, term.q, R, value);
    }
    return value;
  }
  const engine::TrueAquifer a{s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance};
  double sum = 0.0;
  for (std::size_t i = 0; i < terms.size(); ++i) {
    const Term& term = terms[i];
    if (i >= first && i < first + own) {
      sum += term_exact(s, term, me.radius, how.exact);
    } else {
      const engine::TrueTerm other{term.map_x, term.map_y, term.dq, term.elapsed_days};
      sum += engine::true_point_drawdown(me.x, me.y, a, {&other, 1}, how.exact);
    }
  }
  return sum;
}

bool lists_well_drawdowns(const Scenario& s) {
  double evaluations = 0.0;
  for (double t : s.times) evaluations += static_cast<double>(s.wells.size()) * static_cast<double>(terms_at(s, t).size());
  return evaluations <= kMostWellEvaluations;
}

std::vector<std::vector<double>> well_drawdowns(const Scenario& s, const Evaluation& how) {
  std::vector<std::vector<double>> values(s.wells.size());
  for (double t : s.times) {
    const std::vector<Term> terms = terms_at(s, t);
    for (std::size_t j = 0; j < s.wells.size(); ++j) values[j].push_back(well_drawdown_of(s, how, j, t, terms));
  }
  return values;
}

std::string well_table_text(const Scenario& s, const std::vector<std::vector<double>>& values) {
  std::vector<std::vector<std::string>> rows{s.units.labels({"well", "radius ({L})", "day", "in the well ({L})"})};
  for (std::size_t j = 0; j < s.wells.size(); ++j)
    for (std::size_t k = 0; k < s.times.size() && k < values[j].size(); ++k) {
      const double v = values[j][k];
      rows.push_back({base::one_line(s.wells[j].name), base::shortest_text(s.wells[j].radius), base::shortest_text(s.times[k]),
                      v < 0.0 ? fixed(-v, 2) + " rise" : fixed(v, 2) + " drawdown"});
    }
  return base::aligned_table(rows, {true, false, false, false});
}

GridExtremes grid_extremes(const engine::DrawdownGrid& DD, const Scenario& s) {
  const Grid& g = s.grid;
  const std::size_t columns = static_cast<std::size_t>(g.columns);
  // The nodes within one spacing of a well: at most 3 x 3 around it.
  std::vector<bool> near(columns * static_cast<std::size_t>(g.rows), false);
  const double spacing = g.spacing;
  for (const Well& w : s.wells) {
    const double cw = (w.x - g.xll) / spacing + 0.5, rw = (w.y - g.yll) / spacing + 0.5;
    if (!(std::fabs(cw) < 1e9 && std::fabs(rw) < 1e9)) continue;
    for (std::int64_t c = static_cast<std::int64_t>(std::floor(cw)) - 1; c <= static_cast<std::int64_t>(std::ceil(cw)) + 1; ++c)
      for (std::int64_t r = static_cast<std::int64_t>(std::floor(rw)) - 1; r <= static_cast<std::int64_t>(std::ceil(rw)) + 1; ++r) {
        if (c < 1 || r < 1 || c > g.columns || r > g.rows) continue;
        const double dx = g.xll + (static_cast<double>(c) - 0.5) * spacing - w.x;
        const double dy = g.yll + (static_cast<double>(r) - 0.5) * spacing - w.y;
        if (std::sqrt(dx * dx + dy * dy) <= spacing)
          near[static_cast<std::size_t>(r - 1) * columns + static_cast<std::size_t>(c - 1)] = true;
      }
  }
  GridExtremes e;
  for (std::int32_t r = 1; r <= g.rows; ++r)
    for (std::int32_t c = 1; c <= g.columns; ++c) {
      const float v = DD(c, r);
      if (!std::isfinite(v) || near[static_cast<std::size_t>(r - 1) * columns + static_cast<std::size_t>(c - 1)]) continue;
      if (v > 0.0f && (!e.drawdown.found || v > e.drawdown.value)) e.drawdown = NodeValue{true, v, c, r};
      if (v < 0.0f && (!e.rise.found || v < e.rise.value)) e.rise = NodeValue{true, v, c, r};
    }
  return e;
}

std::string grid_table_text(const Scenario& s, std::span<const GridExtremes> extremes) {
  bool rises = false;
  for (const GridExtremes& e : extremes) rises = rises || e.rise.found;
  std::vector<std::string> header = s.units.labels({"day", "largest drawdown ({L})", "at x ({L})", "y ({L})", "node"});
  if (rises) {
    const std::vector<std::string> rise = s.units.labels({"largest rise ({L})", "at x ({L})", "y ({L})", "node"});
    header.insert(header.end(), rise.begin(), rise.end());
  }
  std::vector<std::vector<std::string>> rows{header};
  for (std::size_t k = 0; k < s.times.size() && k < extremes.size(); ++k) {
    std::vector<std::string> row{base::shortest_text(s.times[k])};
    const std::vector<std::string> d = place(s.grid, extremes[k].drawdown);
    row.insert(row.end(), d.begin(), d.end());
    if (rises) {
      NodeValue rise = extremes[k].rise;
      rise.value = -rise.value;
      const std::vector<std::string> u = place(s.grid, rise);
      row.insert(row.end(), u.begin(), u.end());
    }
    rows.push_back(row);
  }
  std::vector<bool> left(header.size(), false);
  left[4] = true;
  if (rises) left[8] = true;
  return "the grid beyond one spacing (" + std::to_string(s.grid.spacing) + s.units.label(" {L}) of every well:\n") +
         base::aligned_table(rows, left);
}

}  // namespace scenario
