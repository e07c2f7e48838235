#include "scenario/boundaries.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "model/true_drawdown.h"

namespace scenario {
namespace {

// (x, y) mirrored across `line`.
Image mirrored(const Image& p, const Line& line, double sign) {
  const double d = line.distance(p.x, p.y);
  return Image{p.x - 2.0 * d * line.nx, p.y - 2.0 * d * line.ny, p.sign * sign};
}

}  // namespace

std::optional<Line> line_toward(const Boundary& b, double x, double y) {
  const double dx = b.x1 - b.x0, dy = b.y1 - b.y0;
  const double length = std::hypot(dx, dy);
  if (!(length > 0.0) || !std::isfinite(length)) return std::nullopt;
  Line l{-dy / length, dx / length, 0.0};
  l.c = l.nx * b.x0 + l.ny * b.y0;
  if (l.distance(x, y) < 0.0) l = Line{-l.nx, -l.ny, -l.c};
  return l;
}

std::vector<Image> images_of(double x, double y, const ImagePlan& plan) {
  const Image well{x, y, 1.0};
  std::vector<Image> images;
  if (plan.lines.empty()) return images;
  const Line& a = plan.lines[0];
  if (plan.lines.size() == 1) return {mirrored(well, a, plan.sign[0])};
  const Line& b = plan.lines[1];
  if (!plan.strip) {
    const Image across_a = mirrored(well, a, plan.sign[0]);
    return {across_a, mirrored(well, b, plan.sign[1]), mirrored(across_a, b, plan.sign[1])};
  }
  // A strip of width w between a and b, a's normal pointing into it: the
  // translations by 2kw along the normal take the sign (sa sb)^|k|, the
  // reflections across a moved likewise sa (sa sb)^|k|.
  const double w = -b.c - a.c;  // b's normal is -a's, so b.c = -(a.c + w)
  const Image reflected = mirrored(well, a, plan.sign[0]);
  const double step_sign = plan.sign[0] * plan.sign[1];
  const auto n = static_cast<long>(plan.pairs);
  for (long k = -n; k <= n + 1; ++k) {
    const double shift = 2.0 * static_cast<double>(k) * w;
    const double power = (std::labs(k) % 2 == 1) ? step_sign : 1.0;
    if (k != 0 && k <= n) images.push_back({x + shift * a.nx, y + shift * a.ny, power});
    images.push_back({reflected.x + shift * a.nx, reflected.y + shift * a.ny, reflected.sign * power});
  }
  return images;
}

const char* kind_name(BoundaryKind kind) { return kind == BoundaryKind::stream ? "stream" : "barrier"; }

std::vector<Line> aquifer_lines(std::span<const Boundary> boundaries, double x, double y) {
  std::vector<Line> lines;
  for (const Boundary& b : boundaries)
    if (const std::optional<Line> l = line_toward(b, x, y)) lines.push_back(*l);
  return lines;
}

double inside(std::span<const Line> lines, double x, double y) {
  double nearest = std::numeric_limits<double>::infinity();
  for (const Line& l : lines) nearest = std::min(nearest, l.distance(x, y));
  return nearest;
}

std::optional<std::string> pair_fault(std::span<const Boundary> boundaries, double x, double y) {
  const std::vector<Line> lines = aquifer_lines(boundaries, x, y);
  if (lines.size() < 2) return std::nullopt;
  constexpr double kAngle = 1e-6;  // radians
  const double dot = lines[0].nx * lines[1].nx + lines[0].ny * lines[1].ny;
  const double cross = lines[0].nx * lines[1].ny - lines[0].ny * lines[1].nx;
  const std::string names = "'" + boundaries[0].name + "' and '" + boundaries[1].name + "'";
  if (std::fabs(dot) <= kAngle) return std::nullopt;  // a quadrant
  if (std::fabs(cross) > kAngle) {
    const double degrees = std::acos(std::clamp(std::fabs(dot), 0.0, 1.0)) * 180.0 / std::acos(-1.0);
    char angle[32];
    std::snprintf(angle, sizeof angle, "%.4g", degrees);
    return "the boundaries " + names + " meet at " + angle +
           " degrees; two boundaries must be perpendicular (a quadrant) or parallel (a strip)";
  }
  if (dot > 0.0)
    return "the boundaries " + names +
           " are parallel with the wells on the same side of both; a strip's wells lie between its two lines";
  return std::nullopt;
}

ImagePlan image_plan(std::span<const Boundary> boundaries, double x, double y, double reach) {
  ImagePlan plan;
  for (const Boundary& b : boundaries) {
    const std::optional<Line> l = line_toward(b, x, y);
    if (!l) continue;
    plan.lines.push_back(*l);
    plan.sign.push_back(b.kind == BoundaryKind::stream ? -1.0 : 1.0);
  }
  if (plan.lines.size() == 2) {
    const Line& a = plan.lines[0];
    const Line& b = plan.lines[1];
    plan.strip = a.nx * b.nx + a.ny * b.ny < -0.5;
    // The strip's width: b's distance from a point on a.
    if (plan.strip) plan.width = b.distance(a.c * a.nx, a.c * a.ny);
    if (plan.strip) plan.pairs = strip_pairs(plan.width, reach);
  }
  return plan;
}

std::uint64_t strip_pairs(double width, double reach) {
  // The first images left out lie (2N + 1) w or more from every point of the strip.
  const double n = std::ceil((reach / width - 1.0) / 2.0);
  return static_cast<std::uint64_t>(std::clamp(std::isnan(n) ? kMostStripPairs : n, 1.0, kMostStripPairs));
}

std::uint64_t image_count(const ImagePlan& plan) {
  if (plan.lines.empty()) return 0;
  if (plan.lines.size() == 1) return 1;
  return plan.strip ? 4 * plan.pairs + 2 : 3;
}

double negligible_distance(double transmissivity, double storage, double leakance, double longest_days) {
  // u >= kImageCut: E1(u) < e^-u. r/B >= kImageCut: 2 K0(r/B) < e^-(r/B).
  const double by_time =
      std::sqrt(kImageCut * transmissivity * longest_days / (model::kTrueUCoefficient * storage));
  const double by_leakage = kImageCut * model::leakage_factor(transmissivity, leakance);
  return std::min(by_time, by_leakage);
}

}  // namespace scenario
