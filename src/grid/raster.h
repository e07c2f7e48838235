// The raster grid file ARCFILE (unit 14): a six-line header and one record per
// grid row, top row first.
#pragma once

#include <cstdint>
#include <span>

namespace grid {

/// The six header records: column and row counts, lower-left corner, cell size
/// and the no-data value.
void write_raster_header(std::int32_t NX, std::int32_t NY, std::int32_t XLL, std::int32_t YLL,
                         std::int32_t SPACING);

/// One grid row: every cell as F6.2, no separators beyond the fields' own blanks.
void write_raster_row(std::span<const float> cells);

}  // namespace grid
