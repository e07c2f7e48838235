// The drawdown report: each function writes one fixed block of records to the
// report file (unit 12).
#pragma once

#include <cstdint>
#include <span>

namespace grid {

/// The input summary, 25 records, ending with the heading of the well table.
void write_input_summary(std::int32_t NX, std::int32_t NY, float T, float LEAK, float S, float TIME,
                         std::int32_t SPACING);

/// One line of the well table and an empty record.
void write_well_line(float x, float y, float q);

/// The well table's continuation header, 8 records.
void write_continuation_header();

/// The two notices on how the map's values are shown, 6 records.
void write_notices();

/// The 20 empty records before the map.
void write_map_spacing();

/// One map row with two decimals: the row number, then the row's cells. A row
/// of 300 cells is followed by two empty records.
void write_map_row_two_decimals(std::int32_t row, std::span<const float> cells);

/// One map row with one decimal: two empty records, then the row number and
/// the row's cells.
void write_map_row_one_decimal(std::int32_t row, std::span<const float> cells);

/// The column numbers 1 .. NX under the map (two empty records after 300 columns).
void write_column_numbers(std::int32_t NX);

/// The axis label, the report's last line.
void write_axis_label();

}  // namespace grid
