// The drawdown grid as an ESRI ASCII grid, the layout GIS tools (GDAL, QGIS,
// rasterio) open: a six-line keyword header, then one line per grid row, top
// row first, values separated by blanks.
#pragma once

#include <cstdint>
#include <string>

#include "engine/drawdown_grid.h"
#include "files/output_file.h"

namespace gis {

/// The no-data value the header declares; written only for a cell that holds no
/// finite drawdown (an infinity or not-a-number from degenerate input).
inline constexpr int kEsriNoData = -9999;

/// A decimal text of `v` that reads back as exactly `v`, whether the reader
/// parses it as a single or as a double rounded to single: the shortest such
/// text, or for the rare values whose shortest text the second reader misses,
/// every digit of the exact value; "-9999" for a value that is not finite.
std::string esri_value_text(float v);

/// Where a grid's cells lie on the map, and how many there are.
struct EsriFrame {
  std::int32_t columns = 0, rows = 0;   ///< ncols, nrows
  double xllcorner = 0, yllcorner = 0;  ///< lower-left corner of the lower-left cell, feet
  std::int32_t cellsize = 0;            ///< the side of a cell, feet
};

/// The frame of an evaluated grid: its corner (the input-file run's node (1, 1)
/// lies at (XLL + SPACING, YLL + SPACING) feet and is the centre of its cell, so
/// the corner is half a spacing below and left of it).
EsriFrame esri_frame(const engine::EvaluatedGrid& e);

/// The six header lines, each ended by LF.
std::string esri_grid_header(const EsriFrame& frame);

/// The data line of row r: cells (1, r) .. (columns, r) separated by one blank,
/// ended by LF.
std::string esri_grid_row(const engine::DrawdownGrid& DD, std::int32_t r, std::int32_t columns);

/// The whole grid file of `e`: the header of esri_frame(e), then one line per
/// grid row, top row first. Lines end with LF. Requires missing_cells(e, ...)
/// to be empty.
std::string esri_grid_text(const engine::EvaluatedGrid& e);

/// Writes the grid to `target`, replacing the file. Returns "" on success, or why
/// the grid was not written (the reason alone, without the file's name).
std::string write_esri_grid(const files::Target& target, const engine::EvaluatedGrid& e);

/// Writes cells (1..columns, 1..rows) of `DD` placed by `frame` to `target`, a
/// row at a time, replacing the file: the same layout as esri_grid_text.
/// Returns "" on success, or why the grid was not written (the reason alone).
std::string write_esri_grid(const files::Target& target, const EsriFrame& frame, const engine::DrawdownGrid& DD);

}  // namespace gis
