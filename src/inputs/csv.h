// Comma-separated files as RFC 4180 lays them out: the wells and receptors
// files of a study.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace inputs {

/// One record of a CSV file: its fields and the line it starts on (from 1).
struct CsvRecord {
  std::size_t line = 0;
  std::vector<std::string> fields;
};

/// Why a CSV text cannot be split into records, and where.
struct CsvError {
  std::size_t line = 0;
  std::string what;
};

/// The records of `text`: fields separated by commas, records by LF or CR LF;
/// a field in double quotes may hold commas, line ends and doubled quotes ("").
/// Lines holding only blanks are passed over; a byte-order mark at the start is
/// ignored. Throws CsvError for a quote inside an unquoted field, text after a
/// closing quote, or a quote that is never closed.
std::vector<CsvRecord> parse_csv(std::string_view text);

/// The number a field holds: blanks around it ignored, an optional sign, digits
/// with an optional point and exponent; nothing for any other text or for a
/// value beyond double's range.
std::optional<double> parse_number(std::string_view field);

}  // namespace inputs
