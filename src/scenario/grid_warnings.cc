#include "scenario/grid_warnings.h"

#include <algorithm>
#include <cmath>

#include "base/shortest_text.h"
#include "base/text_table.h"

namespace scenario {
namespace {

std::string at(double x, double y) {
  std::string text = "(";
  text += base::shortest_text(x);
  text += ", ";
  text += base::shortest_text(y);
  text += ")";
  return text;
}

// Up to kMostPlaceWarnings lines of `lines`, the rest counted in one line.
void add_capped(std::vector<std::string>& out, const std::vector<std::string>& lines, const std::string& kind) {
  for (std::size_t i = 0; i < lines.size() && i < kMostPlaceWarnings; ++i) out.push_back(lines[i]);
  if (lines.size() > kMostPlaceWarnings)
    out.push_back(std::to_string(lines.size() - kMostPlaceWarnings) + " more " + kind + " as above");
}

std::string place_warning(const Grid& g, const std::string& what, const std::string& name, double x, double y) {
  const Placement where = placement(g, x, y);
  if (where == Placement::inside) return "";
  const double width = static_cast<double>(g.columns) * g.spacing, height = static_cast<double>(g.rows) * g.spacing;
  const std::string extent = "the grid spans x " + base::shortest_text(g.xll) + " to " + base::shortest_text(g.xll + width) +
                             ", y " + base::shortest_text(g.yll) + " to " + base::shortest_text(g.yll + height);
  if (where == Placement::outside)
    return what + " '" + base::one_line(name) + "' at " + at(x, y) + " lies outside the grid (" + extent + ")";
  return what + " '" + base::one_line(name) + "' at " + at(x, y) + " lies farther from the grid than the grid is wide (" +
         extent + "): are x and y swapped, or in another CRS or unit?";
}

}  // namespace

Placement placement(const Grid& g, double x, double y) {
  const double width = static_cast<double>(g.columns) * g.spacing, height = static_cast<double>(g.rows) * g.spacing;
  const double dx = std::max({g.xll - x, x - (g.xll + width), 0.0});
  const double dy = std::max({g.yll - y, y - (g.yll + height), 0.0});
  if (dx == 0.0 && dy == 0.0) return Placement::inside;
  return std::hypot(dx, dy) > std::max(width, height) ? Placement::far : Placement::outside;
}

std::vector<std::string> placement_warnings(const Scenario& s) {
  std::vector<std::string> out;
  std::vector<std::string> wells, receptors, inside;
  for (const Well& w : s.wells)
    if (std::string line = place_warning(s.grid, "well", w.name, w.x, w.y); !line.empty()) wells.push_back(line);
  // The wells by x, so that each receptor looks only at those within the
  // largest radius of it in x.
  std::vector<const Well*> by_x;
  double widest = 0.0;
  for (const Well& w : s.wells) by_x.push_back(&w), widest = std::max(widest, w.radius);
  std::sort(by_x.begin(), by_x.end(), [](const Well* a, const Well* b) { return a->x < b->x; });
  for (const Receptor& r : s.receptors) {
    if (std::string line = place_warning(s.grid, "receptor", r.name, r.x, r.y); !line.empty()) receptors.push_back(line);
    auto from = std::lower_bound(by_x.begin(), by_x.end(), r.x - widest, [](const Well* w, double x) { return w->x < x; });
    for (auto it = from; it != by_x.end() && (*it)->x <= r.x + widest; ++it) {
      const Well& w = **it;
      if (std::hypot(r.x - w.x, r.y - w.y) < w.radius)
        inside.push_back("receptor '" + base::one_line(r.name) + "' lies " + base::shortest_text(std::hypot(r.x - w.x, r.y - w.y)) +
                         " ft from well '" + base::one_line(w.name) + "', inside its radius of " + base::shortest_text(w.radius) +
                         " ft: its drawdown is that of the aquifer, not of the water in the well");
    }
  }
  add_capped(out, wells, "wells off the grid");
  add_capped(out, receptors, "receptors off the grid");
  add_capped(out, inside, "receptors inside a well's radius");
  for (double t : s.times) {
    std::size_t waiting = 0;
    const Well* first = nullptr;
    for (const Well& w : s.wells)
      if (!w.steps.empty() && !(w.steps.front().day < t)) {
        ++waiting;
        if (first == nullptr) first = &w;
      }
    if (waiting == 0) continue;
    std::string line = "day " + base::shortest_text(t) + " comes before well '" + base::one_line(first->name) + "' starts (day " +
                       base::shortest_text(first->steps.front().day) + ")";
    if (waiting > 1) line += " and " + std::to_string(waiting - 1) + (waiting == 2 ? " other well starts" : " other wells start");
    out.push_back(line + (waiting == s.wells.size() ? ": the grid of that day is all 0" : ""));
  }
  return out;
}

std::vector<double> reached_levels(std::span<const engine::EvaluatedGrid> times, std::span<const double> levels) {
  std::vector<std::pair<float, float>> ranges;
  for (const engine::EvaluatedGrid& e : times) {
    float lo = INFINITY, hi = -INFINITY;
    for (std::int32_t r = 1; r <= e.NY; ++r)
      for (std::int32_t c = 1; c <= e.NX; ++c) {
        const float v = (*e.DD)(c, r);
        if (!std::isfinite(v)) continue;
        lo = std::min(lo, v), hi = std::max(hi, v);
      }
    if (lo < hi) ranges.emplace_back(lo, hi);
  }
  std::vector<double> reached;
  for (double level : levels)
    if (std::any_of(ranges.begin(), ranges.end(), [&](const auto& r) { return r.first <= level && level <= r.second; }))
      reached.push_back(level);
  return reached;
}

std::vector<std::string> level_warnings(std::span<const double> levels, std::span<const double> reached) {
  std::vector<std::string> out;
  for (double level : levels)
    if (std::find(reached.begin(), reached.end(), level) == reached.end())
      out.push_back("the contour level " + base::shortest_text(level) + " ft is reached by no time's grid; it is not drawn");
  return out;
}

}  // namespace scenario
