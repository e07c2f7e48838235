// The distance from a well to a point anywhere on the grid, not only at a node.
#pragma once

#include <cstdint>

namespace model {

/// Distance in feet between the point at (PX, PY) and a well at (XW, YW), all
/// in node units, on a grid of SPACING feet; never less than 1.0 foot. The
/// point's position takes the place of DIST's node indices with the same
/// rounding points: its coordinate in feet is single(SPACING * PX). For a
/// point on a node (whole PX and PY) the result is DIST's, bit for bit.
float point_distance(std::int32_t SPACING, float PX, float PY, float XW, float YW);

/// dx2 = single(dx * dx) with dx = single(xp - xw), xp = single(SPACING * PX)
/// and xw = single(SPACING * XW): the squared offset along one axis of
/// point_distance; model::squared_offset's for a whole PX.
float point_squared_offset(std::int32_t SPACING, float PX, float XW);

}  // namespace model
