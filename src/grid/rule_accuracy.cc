#include "grid/rule_accuracy.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "model/drawdown.h"
#include "engine/true_well_function.h"
#include "model/well_function.h"

namespace grid {
namespace {

// Whether the rule's W at distance R is off the true integral.
bool rule_off_at(double factor, float B, float R) {
  const float u = model::u_of(factor, R);
  const float rb = model::rb_of(R, B);
  const double exact = engine::true_well_function(u, rb);
  return std::fabs(model::WUB(u, rb) - exact) > kRuleOffFraction * exact;
}

// The node indices 1 .. n whose coordinate (index times spacing) lies within
// `reach` feet of `centre` feet; empty when none does.
std::pair<std::int32_t, std::int32_t> indices_within(double centre, double reach, std::int32_t spacing,
                                                     std::int32_t n) {
  const double first = std::max(1.0, std::ceil((centre - reach) / spacing));
  const double last = std::min(static_cast<double>(n), std::floor((centre + reach) / spacing));
  if (!(first <= last)) return {1, 0};
  return {static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)};
}

// Three significant digits: "3.73", "3.47e-09".
std::string short_number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", v);
  return text;
}

std::string plural(std::size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

float rule_off_below(const Input& in) {
  const double factor = model::u_factor(in.T, in.S, in.TIME);
  const float B = model::leakage_factor(in.T, in.LEAK);
  if (!(factor > 0.0) || !std::isfinite(factor) || std::isnan(B)) return model::kLeastDistance;
  if (!(model::u_of(factor, model::kLeastDistance) < kSmallU) || !rule_off_at(factor, B, model::kLeastDistance))
    return model::kLeastDistance;
  // The distance where u reaches kSmallU; the rule is off below it, or the
  // bisection finds where it stops being off.
  const float reach = static_cast<float>(std::sqrt(kSmallU / (factor * model::kUCoefficient)));
  if (rule_off_at(factor, B, reach)) return reach;
  float off = model::kLeastDistance, within = reach;
  while (within > std::nextafter(off, within) && within - off > 1e-4f * off) {
    const float mid = static_cast<float>(std::sqrt(static_cast<double>(off) * within));
    (rule_off_at(factor, B, mid) ? off : within) = mid;
  }
  return within;
}

std::string rule_accuracy_warning(const Input& in, std::span<const engine::Well> wells) {
  const float below = rule_off_below(in);
  if (!(below > model::kLeastDistance) || in.NX < 1 || in.NY < 1 || in.SPACING < 1) return "";
  std::vector<bool> marked(static_cast<std::size_t>(in.NX) * static_cast<std::size_t>(in.NY), false);
  std::size_t nodes = 0, near_wells = 0, first_well = 0;
  for (std::size_t k = 0; k < wells.size(); ++k) {
    const engine::Well& w = wells[k];
    const auto [c0, c1] = indices_within(static_cast<double>(w.x) * in.SPACING, below, in.SPACING, in.NX);
    const auto [r0, r1] = indices_within(static_cast<double>(w.y) * in.SPACING, below, in.SPACING, in.NY);
    bool near = false;
    for (std::int32_t c = c0; c <= c1; ++c)
      for (std::int32_t r = r0; r <= r1; ++r) {
        if (!(model::DIST(in.SPACING, c, r, w.x, w.y) < below)) continue;
        near = true;
        const std::size_t cell = static_cast<std::size_t>(r - 1) * in.NX + static_cast<std::size_t>(c - 1);
        if (!marked[cell]) ++nodes;
        marked[cell] = true;
      }
    if (near && near_wells++ == 0) first_well = k;
  }
  if (nodes == 0) return "";
  const engine::Well& w = wells[first_well];
  const float u = model::u_of(model::u_factor(in.T, in.S, in.TIME), below);
  return plural(nodes, "node lies", "nodes lie") + " closer than " + short_number(below) + " ft to " +
         (near_wells == 1 ? "well " : plural(near_wells, "well", "wells") + " (the first: well ") +
         std::to_string(first_well + 1) + " at (" + shown(w.x) + ", " + shown(w.y) + ")" +
         (near_wells == 1 ? "" : ")") + ", where u is below " + short_number(u) +
         " and the rule's well function is more than 1% off the true integral; the run's drawdowns there are the "
         "rule's";
}

}  // namespace grid
