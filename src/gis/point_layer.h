// Points for the GIS: named points with numeric attributes (a study's wells
// with their rate at each time, its receptors with their limit and drawdown
// at each time), as point layers of one GeoPackage with the CRS. Written by
// GDAL in the GIS module.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "gis/crs.h"

namespace files {
struct Target;
}  // namespace files

namespace gis {

/// One layer of named points.
struct PointLayer {
  /// One point: its name, its map place (feet) and a value per field (none: null).
  struct Point {
    std::string name;
    double x = 0.0, y = 0.0;
    std::vector<std::optional<double>> values;
    std::vector<std::optional<std::string>> texts;  ///< a value per text field (none: null)
  };
  std::string name;                 ///< the layer's name ("wells", "receptors")
  std::vector<std::string> fields;  ///< the numeric attributes after the text attribute "name"
  std::vector<Point> points;
  std::vector<std::string> text_fields;  ///< text attributes after the numeric ones

};

/// Writes `layers` to `target` as one GeoPackage, each a point layer with the
/// text attribute "name", the real attributes `fields` and the text
/// attributes `text_fields`, in `crs` when not
/// null. The file appears whole or not at all. Returns "" on success, or why
/// it was not written (the reason alone).
std::string write_point_layers(const files::Target& target, std::span<const PointLayer> layers, const Crs* crs);

}  // namespace gis
