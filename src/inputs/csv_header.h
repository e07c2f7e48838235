// The header row of a CSV input (a study's wells and receptors files, a
// pumping test's observation files): which column each field names, read
// leniently but never silently. A field names a column when, in lower case
// with blanks and punctuation as '_', it is one of the column's names, or that
// name with a unit ("Limit (ft)", "limit_m", "rate [m3/d]"); the unit must be
// the file's. A field close to a name (an edit distance of 2 at most, or the
// name's first words: "Start" for start_day) is taken when it can be only
// that column. The delimiter is found from the first line, and a number with
// a decimal comma is told apart from a text.
#pragma once

#include <cstddef>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace inputs {

/// The kind of unit a column's values carry (a header may name it).
enum class ColumnUnit { none, length, rate, time };

/// A column a CSV file may have: its key, the names it goes by (lower case,
/// words joined by '_'; a name may end in a unit, "limit_ft"), whether the
/// file must have it, and the kind of its unit.
struct HeaderColumn {
  std::string_view key;
  std::vector<std::string_view> names;
  bool required = false;
  ColumnUnit unit = ColumnUnit::none;
};

/// The units the file's values are in, by kind, as the unit lists name them
/// ("ft", "m3/d", "min"); "" : that kind has no unit to check.
struct HeaderUnits {
  std::string length, rate, time;
  std::string whose = "the study's";                 ///< whose values, in messages
  std::string hint = "its units table sets them";  ///< where its units are set, in messages
};

/// The columns a header names.
struct HeaderMatch {
  std::map<std::string_view, std::size_t> at;  ///< column key: field index
  std::vector<std::string> close;              ///< "'limt' is read as limit": fields taken by a close name
  std::vector<std::string> extra;              ///< the fields that name no column, as written (trimmed)
};

/// A header that cannot be read: why, without the file and line.
struct HeaderError {
  std::string what;
};

/// `field` as header names are compared: trimmed, lower case, each run of
/// blanks and punctuation other than '/' one '_', none at either end.
std::string header_key(std::string_view field);

/// The unit `token` (a header name's last word, "ft", "metres", "m3/d",
/// "l_s") of kind `kind` as the unit lists name it ("ft", "m", "m3/d", "L/s"),
/// or "" when it is none of that kind.
std::string header_unit(std::string_view token, ColumnUnit kind);

/// Whether `fields`, a file's first record, is a header: one of its fields is
/// one of a column's names (with or without a unit), or none of them is a
/// number.
bool is_header(std::span<const std::string> fields, std::span<const HeaderColumn> columns);

/// Which field is which column. Throws HeaderError for two fields for one
/// column, a field close to two columns, a unit other than `units`' of its
/// kind, or a required column that is missing (naming a field close to it as
/// "did you mean"). Fields that name no column are listed in `extra`.
HeaderMatch match_header(std::span<const std::string> fields, std::span<const HeaderColumn> columns,
                         const HeaderUnits& units);

/// The delimiter of a CSV text as its first line that holds anything shows
/// it: a comma when the line (outside quotes) has one, else a semicolon, else
/// a tab, else a comma.
char csv_delimiter(std::string_view text);

/// Whether `field` is a number written with a decimal comma ("12,5", "-0,25",
/// "1.234,5"): a spreadsheet's export in a language that writes them.
bool decimal_comma(std::string_view field);


}  // namespace inputs
