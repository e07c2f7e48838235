// The drawdown grid as an ESRI ASCII grid, the layout GIS tools (GDAL, QGIS,
// rasterio) open: a six-line keyword header, then one line per grid row, top
// row first, values separated by blanks.
#pragma once

#include <string>

#include "engine/drawdown_grid.h"

namespace maps {

/// The no-data value the header declares; written only for a cell that holds no
/// finite drawdown (an infinity or not-a-number from degenerate input).
inline constexpr int kEsriNoData = -9999;

/// A decimal text of `v` that reads back as exactly `v`, whether the reader
/// parses it as a single or as a double rounded to single: the shortest such
/// text, or for the rare values whose shortest text the second reader misses,
/// every digit of the exact value; "-9999" for a value that is not finite.
std::string esri_value_text(float v);

/// The whole grid file. Node (c, r) lies at (XLL + c * SPACING, YLL + r * SPACING)
/// feet and is the centre of its cell, so the grid's lower-left corner is half a
/// spacing below and left of node (1, 1). Lines end with LF.
/// Requires missing_cells(e, ...) to be empty.
std::string esri_grid_text(const engine::EvaluatedGrid& e);

/// Writes the grid to `path`, replacing the file. Returns "" on success, or why
/// the grid was not written (the reason alone, without the file's name).
std::string write_esri_grid(const std::string& path, const engine::EvaluatedGrid& e);

}  // namespace maps
