// The contour lines of a grid, traced by GDAL's contour generator.
#include "gis/gdal/gis_module.h"

#include <gdal_alg.h>
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

#include "gis/gdal/gdal_errors.h"

namespace gis::gdal {
namespace {

using ValueGrid = std::vector<double>;

// GDAL nudges a value within this of the level by this much (absolute, in
// the grid's units) before deciding sides and interpolating.
constexpr double kGdalNudge = 1e-6;

// GDAL's lines where `shifted` (nx * ny values, row 1 first, NaN for no value)
// equals 0, in node units: GDAL puts the value of pixel (i, j) at pixel
// coordinates (i + 0.5, j + 0.5), which the transform turns into node
// (i + 1, j + 1).
std::vector<ContourLine> gdal_lines(const ValueGrid& shifted, std::int32_t nx, std::int32_t ny) {
  use_gdal();
  GdalErrors errors;  // kept, not printed: a failure gives no lines
  std::vector<ContourLine> lines;
  GDALDriver* raster_driver = GetGDALDriverManager()->GetDriverByName("MEM");
  GDALDriver* vector_driver = GetGDALDriverManager()->GetDriverByName("Memory");
  if (raster_driver == nullptr || vector_driver == nullptr) return lines;
  GDALDatasetUniquePtr raster(raster_driver->Create("", nx, ny, 1, GDT_Float64, nullptr));
  GDALDatasetUniquePtr vector(vector_driver->Create("", 0, 0, 0, GDT_Unknown, nullptr));
  if (!raster || !vector) return lines;
  double transform[6] = {0.5, 1.0, 0.0, 0.5, 0.0, 1.0};
  raster->SetGeoTransform(transform);
  GDALRasterBand* band = raster->GetRasterBand(1);
  if (band->RasterIO(GF_Write, 0, 0, nx, ny, const_cast<double*>(shifted.data()), nx, ny, GDT_Float64, 0, 0,
                     nullptr) != CE_None)
    return lines;
  OGRLayer* layer = vector->CreateLayer("contour", nullptr, wkbLineString, nullptr);
  if (layer == nullptr) return lines;
  const char* const options[] = {"FIXED_LEVELS=0", nullptr};
  if (GDALContourGenerateEx(GDALRasterBand::ToHandle(band), OGRLayer::ToHandle(layer), options, nullptr, nullptr) !=
      CE_None)
    return lines;
  layer->ResetReading();
  for (auto& feature : *layer) {
    const OGRGeometry* g = feature->GetGeometryRef();
    if (g == nullptr || wkbFlatten(g->getGeometryType()) != wkbLineString) continue;
    const OGRLineString* line = g->toLineString();
    ContourLine out;
    out.reserve(static_cast<std::size_t>(line->getNumPoints()));
    for (int k = 0; k < line->getNumPoints(); ++k) out.push_back(NodePoint{line->getX(k), line->getY(k)});
    lines.push_back(std::move(out));
  }
  return lines;
}

// Whether the segment from a to b lies on the grid's interpolation: within
// the nodes, in a cell (or on the edge of one) whose four corners hold values.
bool on_grid(NodePoint a, NodePoint b, const std::vector<bool>& cell_kept, std::int32_t nx, std::int32_t ny) {
  const double x = (a.x + b.x) / 2, y = (a.y + b.y) / 2;
  if (!(x >= 1.0 && x <= nx && y >= 1.0 && y <= ny)) return false;
  // A point on a line of nodes touches the cells on both sides of it.
  const auto cells = [](double v, std::int32_t n) {
    const std::int32_t lo = std::max<std::int32_t>(1, static_cast<std::int32_t>(std::ceil(v)) - 1);
    const std::int32_t hi = std::min<std::int32_t>(n - 1, static_cast<std::int32_t>(std::floor(v)));
    return std::pair{lo, std::max(lo, hi)};
  };
  const auto [i0, i1] = cells(x, nx);
  const auto [j0, j1] = cells(y, ny);
  for (std::int32_t j = j0; j <= j1; ++j)
    for (std::int32_t i = i0; i <= i1; ++i)
      if (cell_kept[static_cast<std::size_t>(j - 1) * static_cast<std::size_t>(nx - 1) + static_cast<std::size_t>(i - 1)])
        return true;
  return false;
}

bool same(NodePoint a, NodePoint b) { return a.x == b.x && a.y == b.y; }

// The pieces of `line` whose segments lie on the grid, each point once.
void keep_on_grid(const ContourLine& line, const std::vector<bool>& cell_kept, std::int32_t nx, std::int32_t ny,
                  std::vector<ContourLine>& out) {
  const std::size_t segments = line.size() < 2 ? 0 : line.size() - 1;
  std::vector<bool> kept(segments);
  std::size_t dropped = 0;
  for (std::size_t k = 0; k < segments; ++k) {
    kept[k] = on_grid(line[k], line[k + 1], cell_kept, nx, ny);
    dropped += kept[k] ? 0 : 1;
  }
  // A closed line cut somewhere is walked from just after a cut, so that its
  // start and end are joined into one piece.
  std::size_t first = 0;
  const bool closed = segments > 1 && same(line.front(), line.back());
  if (closed && dropped > 0)
    while (kept[first]) ++first;
  ContourLine piece;
  const auto flush = [&] {
    if (piece.size() > 1) out.push_back(std::move(piece));
    piece.clear();
  };
  for (std::size_t n = 0; n < segments; ++n) {
    const std::size_t k = (first + n) % segments;
    if (!kept[k]) {
      flush();
      continue;
    }
    if (piece.empty()) piece.push_back(line[k]);
    if (!same(line[k + 1], piece.back())) piece.push_back(line[k + 1]);
  }
  flush();
}

}  // namespace

std::vector<ContourLine> trace_contour(std::span<const float> values, std::int32_t nx, std::int32_t ny,
                                       double level) {
  std::vector<ContourLine> lines;
  if (nx < 2 || ny < 2 || !std::isfinite(level)) return lines;
  const std::size_t count = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
  if (values.size() < count) return lines;

  // GDAL is handed the field less the level, scaled by a power of two (exact)
  // so large that no difference but 0 comes within GDAL's nudge of the level
  // 0: the nudge then moves only the nodes on the level, to above it.
  double largest = 0.0;
  for (std::size_t k = 0; k < count; ++k)
    if (std::isfinite(values[k])) largest = std::max(largest, std::fabs(values[k] - level));
  if (largest == 0.0) return lines;  // every node on the level (or none with a value): all above
  const int exponent = std::min(200, static_cast<int>(std::floor(std::log2(1e300 / largest))));
  ValueGrid shifted(count);
  for (std::size_t k = 0; k < count; ++k)
    shifted[k] = std::isfinite(values[k]) ? std::ldexp(values[k] - level, exponent)
                                          : std::numeric_limits<double>::quiet_NaN();
  static_assert(std::numeric_limits<float>::denorm_min() * 0x1p200 > 1e3 * kGdalNudge);

  std::vector<bool> cell_kept(static_cast<std::size_t>(nx - 1) * static_cast<std::size_t>(ny - 1));
  for (std::int32_t j = 0; j + 1 < ny; ++j)
    for (std::int32_t i = 0; i + 1 < nx; ++i) {
      const std::size_t k = static_cast<std::size_t>(j) * static_cast<std::size_t>(nx) + static_cast<std::size_t>(i);
      const std::size_t up = k + static_cast<std::size_t>(nx);
      cell_kept[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx - 1) + static_cast<std::size_t>(i)] =
          !std::isnan(shifted[k]) && !std::isnan(shifted[k + 1]) && !std::isnan(shifted[up]) &&
          !std::isnan(shifted[up + 1]);
    }
  for (const ContourLine& line : gdal_lines(shifted, nx, ny)) keep_on_grid(line, cell_kept, nx, ny, lines);
  return lines;
}

}  // namespace gis::gdal
