// The contour vertices moved onto the true drawdown, the lines refined
// between them, and the rings traced around the wells.
#include "gis/exact_contour.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <numbers>
#include <thread>

#include "gis/contour.h"

namespace gis {
namespace {

// A vertex this close (node units) to a row or column of nodes lies on it.
constexpr double kOnLine = 1e-9;
// A segment is halved (at most kDepth times) while its midpoint moves more
// than kStraight of its length onto the level: an arc whose midpoint lies that
// close to its chord encloses within 0.1 % of the area the chord does.
constexpr int kDepth = 5;
constexpr double kStraight = 0.01;
// A segment whose line turns by less than this (radians) at both its ends is
// left straight: an arc of that turn lies within 0.1 % of its chord's area.
constexpr double kTurn = 0.1;
// Rays of a ring traced around a well; a ring wider than kWidestRing node
// units is left to the grid.
constexpr int kRays = 90;
constexpr double kWidestRing = 2.0;

// The drawdown less the level at node-unit positions of one grid.
class Field {
 public:
  Field(const engine::EvaluatedGrid& e, std::size_t time, double level, const DrawdownAt& at)
      : e_(e), time_(time), level_(level), at_(at) {}
  double operator()(NodePoint p) const { return at_(time_, e_.map_x(p.x), e_.map_y(p.y)) - level_; }
  const engine::EvaluatedGrid& grid() const { return e_; }
  double level() const { return level_; }

 private:
  const engine::EvaluatedGrid& e_;
  std::size_t time_;
  double level_;
  const DrawdownAt& at_;
};

NodePoint lerp(NodePoint a, NodePoint b, double s) { return {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y)}; }

// A point the search found, and the field there.
struct Found {
  NodePoint p;
  double f = 0.0;
};

// The point of segment a..b where f is 0, f(a) = fa and f(b) = fb of
// opposite signs: regula falsi with the Illinois rule, kept inside the bracket.
Found root(const Field& f, NodePoint a, NodePoint b, double fa, double fb) {
  double lo = 0.0, hi = 1.0, s = 0.5, fs = fa;
  int kept = 0;  // which end stayed last: -1 lo, 1 hi
  for (int k = 0; k < 100; ++k) {
    s = (lo * fb - hi * fa) / (fb - fa);
    if (!(s > lo && s < hi)) s = (lo + hi) / 2;
    fs = f(lerp(a, b, s));
    if (!std::isfinite(fs)) return {lerp(a, b, s), fs};
    if (std::fabs(fs) <= kContourTolerance / 2 || hi - lo < 1e-14) break;
    if ((fs > 0) == (fb > 0)) {
      hi = s, fb = fs;
      if (kept == -1) fa /= 2;
      kept = -1;
    } else {
      lo = s, fa = fs;
      if (kept == 1) fb /= 2;
      kept = 1;
    }
  }
  return {lerp(a, b, s), fs};
}

bool opposite(double fa, double fb) { return (fa < 0 && fb > 0) || (fa > 0 && fb < 0); }

// A vertex on a cell edge moved along the edge onto the level, bracketed by
// the edge's nodes as the grid holds them (single precision, as GDAL saw
// them); a node, a vertex whose edge does not bracket the level, or one the
// search cannot bring within the tolerance, stays where GDAL put it.
NodePoint on_level(const Field& f, NodePoint p) {
  const bool on_column = std::fabs(p.x - std::round(p.x)) < kOnLine, on_row = std::fabs(p.y - std::round(p.y)) < kOnLine;
  if (on_column == on_row) return p;
  std::int32_t c0, r0, c1, r1;
  if (on_column) {
    c0 = c1 = static_cast<std::int32_t>(std::round(p.x));
    r0 = static_cast<std::int32_t>(std::floor(p.y)), r1 = r0 + 1;
  } else {
    r0 = r1 = static_cast<std::int32_t>(std::round(p.y));
    c0 = static_cast<std::int32_t>(std::floor(p.x)), c1 = c0 + 1;
  }
  const engine::EvaluatedGrid& e = f.grid();
  if (c0 < 1 || r0 < 1 || c1 > e.NX || r1 > e.NY) return p;
  const double fa = (*e.DD)(c0, r0) - f.level(), fb = (*e.DD)(c1, r1) - f.level();
  if (!opposite(fa, fb)) return p;
  const Found x = root(f, NodePoint{double(c0), double(r0)}, NodePoint{double(c1), double(r1)}, fa, fb);
  return std::fabs(x.f) <= kContourTolerance ? x.p : p;
}

bool within_grid(const engine::EvaluatedGrid& e, NodePoint p) {
  return p.x >= 1.0 && p.x <= e.NX && p.y >= 1.0 && p.y <= e.NY;
}

// The points strictly between p and q (both on the level) that put the line
// on the level: the chord's midpoint moved across it onto the level, then
// each half likewise, until the pieces are short.
void refine_between(const Field& f, NodePoint p, NodePoint q, int depth, std::vector<NodePoint>& out) {
  const double dx = q.x - p.x, dy = q.y - p.y, length = std::hypot(dx, dy);
  if (depth == 0 || !(length > 1e-6)) return;
  const NodePoint m{(p.x + q.x) / 2, (p.y + q.y) / 2};
  const NodePoint across{-dy / 2, dx / 2};  // half the chord, turned a right angle
  const double fm = f(m);
  if (!std::isfinite(fm)) return;
  NodePoint x = m;
  if (fm != 0.0) {
    const NodePoint ends[2] = {{m.x + across.x, m.y + across.y}, {m.x - across.x, m.y - across.y}};
    const double fe[2] = {f(ends[0]), f(ends[1])};
    const int k = opposite(fm, fe[0]) && (!opposite(fm, fe[1]) || std::fabs(fe[0]) <= std::fabs(fe[1])) ? 0 : 1;
    if (!opposite(fm, fe[k])) return;
    const Found found = root(f, m, ends[k], fm, fe[k]);
    if (!(std::fabs(found.f) <= kContourTolerance)) return;
    x = found.p;
  }
  if (!within_grid(f.grid(), x)) return;
  if (std::hypot(x.x - m.x, x.y - m.y) < kStraight * length) depth = 1;  // x is kept, no more
  refine_between(f, p, x, depth - 1, out);
  out.push_back(x);
  refine_between(f, x, q, depth - 1, out);
}

// The angle the line a -> b -> c turns by at b, radians.
double turn(NodePoint a, NodePoint b, NodePoint c) {
  const double ux = b.x - a.x, uy = b.y - a.y, vx = c.x - b.x, vy = c.y - b.y;
  return std::fabs(std::atan2(ux * vy - uy * vx, ux * vx + uy * vy));
}

// The turn of the line `points` at vertex k (0 at the ends of an open line;
// a closed line's first and last vertex are one).
double turn_at(const std::vector<NodePoint>& points, std::size_t k, bool closed) {
  const std::size_t n = points.size();
  if (k == 0 || k + 1 == n) {
    if (!closed || n < 4) return 0.0;
    return turn(points[n - 2], points[0], points[1]);
  }
  return turn(points[k - 1], points[k], points[k + 1]);
}

// The line with every vertex on the level and refined between them where it bends.
std::vector<NodePoint> refined(const Field& f, const ContourLine& line, bool closed) {
  std::vector<NodePoint> moved;
  moved.reserve(line.size());
  for (NodePoint p : line) moved.push_back(on_level(f, p));
  std::vector<NodePoint> out;
  for (std::size_t k = 0; k < moved.size(); ++k) {
    if (k > 0 && std::max(turn_at(moved, k - 1, closed), turn_at(moved, k, closed)) >= kTurn)
      refine_between(f, moved[k - 1], moved[k], kDepth, out);
    out.push_back(moved[k]);
  }
  return out;
}

// Whether p lies inside the closed line (crossings of a ray to the east).
bool holds(const std::vector<NodePoint>& ring, NodePoint p) {
  bool in = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
    if ((ring[i].y > p.y) != (ring[j].y > p.y) &&
        p.x < (ring[j].x - ring[i].x) * (p.y - ring[i].y) / (ring[j].y - ring[i].y) + ring[i].x)
      in = !in;
  return in;
}

bool same(NodePoint a, NodePoint b) { return a.x == b.x && a.y == b.y; }

// A foot (or metre) off a well, in node units: where its drawdown is taken.
double off_well(const engine::EvaluatedGrid& e) { return 1.0 / e.SPACING; }

// The radius where the field along the ray `at` is 0, by the secant method
// from `last` (the radius found on the ray before, the ring being smooth);
// none when it does not settle within the tolerance in a few steps.
template <class Ray>
std::optional<Found> secant_from(const Field& f, const Ray& at, double last) {
  double ra = last, fa = f(at(ra));
  if (std::fabs(fa) <= kContourTolerance) return Found{at(ra), fa};
  double rb = last * 1.01, fb = f(at(rb));
  for (int k = 0; k < 6 && std::isfinite(fa) && std::isfinite(fb) && fb != fa; ++k) {
    if (std::fabs(fb) <= kContourTolerance) return Found{at(rb), fb};
    const double rc = rb - fb * (rb - ra) / (fb - fa);
    if (!(rc > 0.5 * last && rc < 2 * last)) break;
    ra = rb, fa = fb, rb = rc, fb = f(at(rc));
  }
  return std::nullopt;
}

// The ring around the well at w inside which the field keeps the sign it has
// a foot off the well, traced along kRays rays; none when a ray starts on the
// other side or does not leave within kWidestRing node units.
std::optional<std::vector<NodePoint>> ring_around(const Field& f, NodePoint w) {
  const double r0 = off_well(f.grid());
  std::vector<NodePoint> ring;
  ring.reserve(kRays + 1);
  const double side = f(NodePoint{w.x + r0, w.y});
  if (!std::isfinite(side) || side == 0.0) return std::nullopt;
  double last = 0.0;  // the radius on the ray before: the next one brackets about it
  for (int k = 0; k < kRays; ++k) {
    const double angle = 2 * std::numbers::pi * k / kRays, ux = std::cos(angle), uy = std::sin(angle);
    const auto at = [&](double r) { return NodePoint{w.x + r * ux, w.y + r * uy}; };
    if (last > 0)
      if (const std::optional<Found> quick = secant_from(f, at, last)) {
        last = std::hypot(quick->p.x - w.x, quick->p.y - w.y);
        ring.push_back(quick->p);
        continue;
      }
    double lo = last > 0 ? std::max(r0, 0.9 * last) : r0, flo = f(at(lo));
    if (lo > r0 && std::isfinite(flo) && flo != 0.0 && (flo > 0) != (side > 0)) lo = r0, flo = f(at(lo));
    if (!std::isfinite(flo) || flo == 0.0 || (flo > 0) != (side > 0)) return std::nullopt;
    double hi = last > 0 ? std::min(1.1 * last, kWidestRing) : lo, fhi = last > 0 ? f(at(hi)) : flo;
    while (!opposite(flo, fhi)) {
      if (hi >= kWidestRing || !std::isfinite(fhi)) return std::nullopt;
      lo = hi, flo = fhi;
      hi = std::min(2 * hi, kWidestRing);
      fhi = f(at(hi));
    }
    const Found found = root(f, at(lo), at(hi), flo, fhi);
    if (!(std::fabs(found.f) <= kContourTolerance)) return std::nullopt;
    const NodePoint p = found.p;
    last = std::hypot(p.x - w.x, p.y - w.y);
    ring.push_back(p);
  }
  ring.push_back(ring.front());
  return ring;
}

// Whether the grid shows no line of the level around the well at w: the
// field a foot off it is on one side, the four nodes of its cell (as the
// grid holds them, as GDAL saw them) all on the other.
bool ring_missing(const Field& f, NodePoint w) {
  const engine::EvaluatedGrid& e = f.grid();
  const double c = std::floor(w.x), r = std::floor(w.y);
  if (!(c >= 1 && c < e.NX && r >= 1 && r < e.NY)) return false;
  const double near = f(NodePoint{w.x + off_well(e), w.y});
  if (!std::isfinite(near) || near == 0.0) return false;
  for (int dc = 0; dc <= 1; ++dc)
    for (int dr = 0; dr <= 1; ++dr) {
      const float v = (*e.DD)(static_cast<std::int32_t>(c) + dc, static_cast<std::int32_t>(r) + dr);
      if (!std::isfinite(v) || (v >= f.level()) == (near > 0)) return false;
    }
  return true;
}

// The one well a small closed line (within kWidestRing node units each way) holds, if one.
std::optional<std::size_t> lone_well(const engine::EvaluatedGrid& e, const ContourLine& line) {
  double x0 = line.front().x, x1 = x0, y0 = line.front().y, y1 = y0;
  for (NodePoint p : line) x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  if (x1 - x0 > kWidestRing || y1 - y0 > kWidestRing) return std::nullopt;
  std::optional<std::size_t> found;
  for (std::size_t i = 0; i < e.wells.size(); ++i)
    if (holds(line, NodePoint{e.wells[i].x, e.wells[i].y})) {
      if (found) return std::nullopt;
      found = i;
    }
  return found;
}

ExactLine on_map(const Field& f, std::size_t time, const std::vector<NodePoint>& points, bool closed) {
  ExactLine line;
  line.level = f.level(), line.time = time, line.closed = closed;
  line.points.reserve(points.size());
  for (NodePoint p : points) line.points.push_back(MapPoint{f.grid().map_x(p.x), f.grid().map_y(p.y)});
  return line;
}

// The lines of one level of one grid: GDAL's refined, a small ring around a
// lone well traced afresh, and the rings the grid misses.
void add_level(const Field& f, std::size_t time, const std::vector<ContourLine>& lines, std::vector<ExactLine>& out) {
  const engine::EvaluatedGrid& e = f.grid();
  std::vector<bool> ringed(e.wells.size());
  for (const ContourLine& line : lines) {
    const bool closed = line.size() > 3 && same(line.front(), line.back());
    std::optional<std::vector<NodePoint>> points;
    if (closed)
      if (const std::optional<std::size_t> w = lone_well(e, line)) {
        points = ring_around(f, NodePoint{e.wells[*w].x, e.wells[*w].y});
        if (points) ringed[*w] = true;
      }
    if (!points) points = refined(f, line, closed);
    out.push_back(on_map(f, time, *points, closed));
  }
  for (std::size_t i = 0; i < e.wells.size(); ++i) {
    const NodePoint w{e.wells[i].x, e.wells[i].y};
    if (ringed[i] || !ring_missing(f, w)) continue;
    if (const std::optional<std::vector<NodePoint>> ring = ring_around(f, w)) out.push_back(on_map(f, time, *ring, true));
  }
}

}  // namespace

std::vector<ExactLine> exact_contours(std::span<const engine::EvaluatedGrid> times, std::span<const double> levels,
                                      const DrawdownAt& at, int threads) {
  // The lines as the grid gives them, level by level (GDAL's, on this thread),
  // then each level refined on the true drawdown by whichever thread is free.
  struct Job {
    std::size_t time;
    double level;
    std::vector<ContourLine> lines;
    std::vector<ExactLine> out;
  };
  std::vector<Job> jobs;
  std::vector<float> values;
  for (std::size_t t = 0; t < times.size(); ++t) {
    const engine::EvaluatedGrid& e = times[t];
    if (e.DD == nullptr || e.NX < 2 || e.NY < 2 || e.SPACING < 1) continue;
    values.clear();
    for (std::int32_t r = 1; r <= e.NY; ++r)
      for (std::int32_t c = 1; c <= e.NX; ++c) values.push_back((*e.DD)(c, r));
    for (double level : levels) jobs.push_back({t, level, trace_contour(values, e.NX, e.NY, level), {}});
  }
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t j; (j = next++) < jobs.size();) {
      const Field f(times[jobs[j].time], jobs[j].time, jobs[j].level, at);
      add_level(f, jobs[j].time, jobs[j].lines, jobs[j].out);
    }
  };
  std::vector<std::thread> workers;
  for (int k = 1; k < threads && static_cast<std::size_t>(k) < jobs.size(); ++k) workers.emplace_back(work);
  work();
  for (std::thread& w : workers) w.join();
  std::vector<ExactLine> out;
  for (Job& job : jobs) std::move(job.out.begin(), job.out.end(), std::back_inserter(out));
  return out;
}

}  // namespace gis
