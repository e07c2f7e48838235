// The point distance: DIST with a fractional position in place of the node
// indices.
//
// DIST forms a node's coordinate as an integer product converted to single,
// the point's as a double product rounded to single. Both are one rounding of
// the same exact product whenever the double product is exact, which holds for
// every |product| below 2^53; beyond that a whole position still takes the
// integer path, so that a point on a node gives DIST's bits for any SPACING.

#include "model/point_distance.h"

#include <cmath>

#include "model/drawdown.h"

namespace model {
namespace {

// Whole positions that DIST's integer product handles: |PX| < 2^31.
bool whole_index(float PX) { return std::trunc(PX) == PX && std::fabs(PX) < 2147483648.0f; }

}  // namespace

float point_squared_offset(std::int32_t SPACING, float PX, float XW) {
  if (whole_index(PX)) return squared_offset(SPACING, static_cast<std::int32_t>(PX), XW);
  const float xp = single(static_cast<double>(SPACING) * D(PX));
  const float xw = single(static_cast<double>(SPACING) * D(XW));
  const float dx = single(D(xp) - D(xw));
  return single(D(dx) * D(dx));
}

float point_distance(std::int32_t SPACING, float PX, float PY, float XW, float YW) {
  return distance_from_squares(point_squared_offset(SPACING, PX, XW), point_squared_offset(SPACING, PY, YW));
}

}  // namespace model
