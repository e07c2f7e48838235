// Contour lines already placed on the map, as the GIS module writes them
// into a vector layer: each with its level, its time, and the area it
// encloses when it is closed.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace gis {

/// A point in map coordinates (the grid's length unit).
struct MapPoint {
  double x = 0.0;
  double y = 0.0;
};

/// One line feature of the layer.
struct LineFeature {
  double level = 0.0;             ///< the drawdown on the line
  double days = 0.0;              ///< the time of pumping
  std::vector<MapPoint> points;   ///< a closed line ends with its first point again
  std::optional<double> area;     ///< the area it encloses, in the layer's area unit (none: an open line)
};

/// How the layer names its attributes: the level's field ("drawdown_ft"),
/// and the area's ("area"; "" : no area attribute).
struct LineFields {
  std::string level;
  std::string area;
};

}  // namespace gis
