#include "maps/contour.h"

#include <array>
#include <cmath>
#include <unordered_map>

namespace maps {
namespace {

// A crossing point is named by the cell edge it lies on, so the two cells that
// share an edge name the same point: horizontal edge (i, j)-(i+1, j) and
// vertical edge (i, j)-(i, j+1), node indices from 0.
using EdgeKey = std::int64_t;

EdgeKey horizontal(std::int32_t i, std::int32_t j, std::int32_t nx) {
  return 2 * (static_cast<EdgeKey>(j) * nx + i);
}
EdgeKey vertical(std::int32_t i, std::int32_t j, std::int32_t nx) {
  return 2 * (static_cast<EdgeKey>(j) * nx + i) + 1;
}

struct End {
  EdgeKey key;
  NodePoint at;
};

struct Segment {
  std::array<End, 2> ends;
};

// Where the field crosses `level` between node values a (at t = 0) and b (t = 1).
double crossing(double a, double b, double level) { return (level - a) / (b - a); }

}  // namespace

std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level) {
  std::vector<Segment> segments;
  auto value = [&](std::int32_t i, std::int32_t j) -> double {
    return values[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i)];
  };

  for (std::int32_t j = 0; j + 1 < ny; ++j) {
    for (std::int32_t i = 0; i + 1 < nx; ++i) {
      // Corners counter-clockwise from the lower left; edges: bottom, right,
      // top, left, edge k running from corner k to corner k + 1.
      const std::array<double, 4> v = {value(i, j), value(i + 1, j), value(i + 1, j + 1), value(i, j + 1)};
      bool finite = true;
      for (double x : v) finite = finite && std::isfinite(x);
      if (!finite) continue;
      std::array<bool, 4> above{};
      for (int k = 0; k < 4; ++k) above[k] = v[k] >= level;

      std::array<End, 4> at{};
      std::array<bool, 4> crossed{};
      const std::array<EdgeKey, 4> keys = {horizontal(i, j, nx), vertical(i + 1, j, nx), horizontal(i, j + 1, nx),
                                           vertical(i, j, nx)};
      // Corner positions in node units (from 1).
      const std::array<NodePoint, 4> corner = {NodePoint{i + 1.0, j + 1.0}, NodePoint{i + 2.0, j + 1.0},
                                               NodePoint{i + 2.0, j + 2.0}, NodePoint{i + 1.0, j + 2.0}};
      int count = 0;
      for (int k = 0; k < 4; ++k) {
        const int n = (k + 1) % 4;
        if (above[k] == above[n]) continue;
        // Interpolate from the lower-left end of the edge so that both cells
        // sharing it compute the same point.
        const bool forward = k < 2;
        const int from = forward ? k : n;
        const int to = forward ? n : k;
        const double t = crossing(v[from], v[to], level);
        at[k] = End{keys[k], NodePoint{corner[from].x + t * (corner[to].x - corner[from].x),
                                       corner[from].y + t * (corner[to].y - corner[from].y)}};
        crossed[k] = true;
        ++count;
      }
      if (count == 2) {
        std::array<End, 2> pair{};
        int m = 0;
        for (int k = 0; k < 4; ++k)
          if (crossed[k]) pair[m++] = at[k];
        segments.push_back(Segment{pair});
      } else if (count == 4) {
        // A saddle: the corners on the other side of the level than the cell's
        // mean are cut off, each by the segment joining its two edges (corner k
        // lies between edge k - 1 and edge k).
        const bool centre_above = (v[0] + v[1] + v[2] + v[3]) / 4.0 >= level;
        for (int k = 0; k < 4; ++k)
          if (above[k] != centre_above) segments.push_back(Segment{{at[(k + 3) % 4], at[k]}});
      }
    }
  }

  // Join segments that share a crossing point. Every point lies on one edge,
  // shared by at most two cells, so it ends at most two segments.
  std::unordered_map<EdgeKey, std::array<std::int64_t, 2>> ends_at;
  for (std::size_t s = 0; s < segments.size(); ++s) {
    for (const End& e : segments[s].ends) {
      auto [it, fresh] = ends_at.try_emplace(e.key, std::array<std::int64_t, 2>{-1, -1});
      it->second[it->second[0] < 0 ? 0 : 1] = static_cast<std::int64_t>(s);
    }
  }
  auto degree = [&](EdgeKey key) {
    const auto& a = ends_at.at(key);
    return (a[0] >= 0 ? 1 : 0) + (a[1] >= 0 ? 1 : 0);
  };

  std::vector<bool> used(segments.size(), false);
  std::vector<ContourLine> lines;
  // Walks from segment s, entered at its end `entry`, until the line ends or
  // comes back to a used segment.
  auto walk = [&](std::size_t s, int entry) {
    ContourLine line{segments[s].ends[static_cast<std::size_t>(entry)].at};
    while (true) {
      used[s] = true;
      const End& out = segments[s].ends[static_cast<std::size_t>(1 - entry)];
      // A line through a node that equals the level meets it on several edges
      // at one point: the point is kept once.
      if (out.at.x != line.back().x || out.at.y != line.back().y) line.push_back(out.at);
      const auto& pair = ends_at.at(out.key);
      const std::int64_t next = pair[0] == static_cast<std::int64_t>(s) ? pair[1] : pair[0];
      if (next < 0 || used[static_cast<std::size_t>(next)]) break;
      s = static_cast<std::size_t>(next);
      entry = segments[s].ends[0].key == out.key ? 0 : 1;
    }
    if (line.size() > 1) lines.push_back(std::move(line));
  };
  // Open lines first, from their free ends, then the closed ones.
  for (std::size_t s = 0; s < segments.size(); ++s)
    for (int e = 0; e < 2 && !used[s]; ++e)
      if (degree(segments[s].ends[static_cast<std::size_t>(e)].key) == 1) walk(s, e);
  for (std::size_t s = 0; s < segments.size(); ++s)
    if (!used[s]) walk(s, 0);
  return lines;
}

double round_interval(double lo, double hi, int intervals) {
  if (!std::isfinite(lo) || !std::isfinite(hi) || hi <= lo || intervals < 1) return 0.0;
  const double raw = (hi - lo) / intervals;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double m : {1.0, 2.0, 2.5, 5.0})
    if (m * power >= raw * (1 - 1e-9)) return m * power;
  return 10.0 * power;
}

std::vector<double> contour_levels(double lo, double hi, double step) {
  std::vector<double> levels;
  if (!(step > 0.0) || !std::isfinite(lo) || !std::isfinite(hi)) return levels;
  // A step too fine for the magnitude of the values (or for a readable map)
  // gives no levels rather than a loop that cannot advance.
  if ((hi - lo) / step > 1000.0 || std::fabs(lo / step) > 1e12 || std::fabs(hi / step) > 1e12) return levels;
  // Levels are k * step, computed by multiplication so that they are as round
  // as a double allows (no drift from repeated addition).
  for (double k = std::floor(lo / step); k * step < hi; k += 1.0) {
    const double level = k * step;
    if (level > lo) levels.push_back(level);
  }
  return levels;
}

int decimals_for(double step) {
  if (!(step > 0.0)) return 0;
  for (int d = 0; d < 12; ++d) {
    const double scaled = step * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) < 1e-9 * scaled) return d;
  }
  return 12;
}

}  // namespace maps
