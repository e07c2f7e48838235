// The areas inside the exact contour lines, and their layer, written by the
// GIS module.
#include <cmath>

#include "files/output_file.h"
#include "files/staged_files.h"
#include "gis/exact_contour.h"
#include "gis/gdal_module.h"
#include "gis/geotiff.h"

namespace gis {
namespace {

constexpr double kSquareFeetPerAcre = 43560.0;

// Whether the map point lies inside the closed line.
bool holds(const ExactLine& line, MapPoint p) {
  const std::vector<MapPoint>& ring = line.points;
  bool in = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++)
    if ((ring[i].y > p.y) != (ring[j].y > p.y) &&
        p.x < (ring[j].x - ring[i].x) * (p.y - ring[i].y) / (ring[j].y - ring[i].y) + ring[i].x)
      in = !in;
  return in;
}

// Whether drawdown v lies on the wells' side of `level`.
bool inside(double v, double level) { return level >= 0 ? v >= level : v <= level; }

}  // namespace

double enclosed_area(const ExactLine& line) {
  if (!line.closed || line.points.size() < 4) return 0.0;
  double twice = 0.0;
  const MapPoint o = line.points.front();  // about the first point: fewer digits lost far from the origin
  for (std::size_t k = 0; k + 1 < line.points.size(); ++k) {
    const MapPoint a = line.points[k], b = line.points[k + 1];
    twice += (a.x - o.x) * (b.y - o.y) - (b.x - o.x) * (a.y - o.y);
  }
  return std::fabs(twice) / 2;
}

std::optional<double> area_inside(std::span<const ExactLine> lines, std::size_t time, double level,
                                  const engine::EvaluatedGrid& e) {
  std::vector<const ExactLine*> rings;
  for (const ExactLine& l : lines)
    if (l.time == time && l.level == level) {
      if (!l.closed) return std::nullopt;
      rings.push_back(&l);
    }
  // A corner of the grid inside the region and outside every ring: the region reaches the edge.
  const std::int32_t cs[2] = {1, e.NX}, rs[2] = {1, e.NY};
  for (std::int32_t c : cs)
    for (std::int32_t r : rs) {
      const float v = (*e.DD)(c, r);
      if (!std::isfinite(v) || !inside(v, level)) continue;
      const MapPoint p{e.map_x(c), e.map_y(r)};
      bool held = false;
      for (const ExactLine* ring : rings) held = held || holds(*ring, p);
      if (!held) return std::nullopt;
    }
  double area = 0.0;
  for (const ExactLine* ring : rings) {
    int depth = 0;
    for (const ExactLine* other : rings)
      if (other != ring && holds(*other, ring->points.front())) ++depth;
    area += (depth % 2 == 0 ? 1.0 : -1.0) * enclosed_area(*ring);
  }
  return area;
}

double area_in_unit(double area, std::string_view length_unit) {
  return length_unit == "m" ? area : area / kSquareFeetPerAcre;
}

std::string_view area_unit(std::string_view length_unit) { return length_unit == "m" ? "m2" : "acres"; }

std::string write_exact_contour_layer(const files::Target& target, VectorFormat format,
                                      std::span<const engine::EvaluatedGrid> times, std::span<const ExactLine> lines,
                                      const Crs* crs) {
  if (std::string problem = check_times(times, "contour lines"); !problem.empty()) return problem;
  const std::string_view unit = times.front().length_unit;
  std::vector<LineFeature> features;
  features.reserve(lines.size());
  for (const ExactLine& l : lines) {
    LineFeature f{l.level, l.time < times.size() ? days_of(times[l.time].TIME) : 0.0, l.points, std::nullopt};
    if (l.closed) f.area = area_in_unit(enclosed_area(l), unit);
    features.push_back(std::move(f));
  }
  std::string why;
  const GdalFunctions* g = gdal_functions(why);
  if (g == nullptr) return why;
  const LineFields fields{level_field(format, unit), "area"};
  std::vector<files::StagedFile> files;
  if (why = g->line_layer_files(layer_name(target.name), format, features, fields, crs, files); !why.empty())
    return why;
  return files::write_staged(target, files);
}

}  // namespace gis
