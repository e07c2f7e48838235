// The free-form reader and writer of the dialogue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "recio/units.h"

namespace recio {

/// Reads one 32-bit integer from unit 11 or the console input, starting at the
/// next record. A null value (comma, slash) leaves `item` unchanged. Ends the run
/// with message 24 (end of file), 39 (read failure), 59 (syntax) or 64 (range).
void read_free(int unit, std::int32_t& item);

/// Reads one single value, with the same rules.
void read_free(int unit, float& item);

/// Reads one text value into a 20-character field (blank-filled, cut after 20).
void read_free(int unit, NameField& item);

/// The most characters a FoundValue keeps of what was written and of the rest
/// of the line (a remark may be a line of any length).
inline constexpr std::size_t kKeptLength = 256;

/// A value as a free-form read finds it, before it is converted: what the
/// reader's caller needs to say where an answer came from and what its line
/// held besides.
struct FoundValue {
  /// What was found: a null value (a comma, or r* before a separator), a
  /// slash, a quoted or an unquoted value, or a repeat count of zero (which no
  /// item accepts: message 59).
  enum class Kind { kNull, kSlash, kQuoted, kUnquoted, kZeroRepeat };
  Kind kind = Kind::kNull;
  std::string text;        ///< the characters converted: no quotes, no repeat count
  std::string written;     ///< the value as written: "," or "3*" for a null value, quotes included
  std::string rest;        ///< what follows the value on the line it ends on (never read)
  long line = 0;           ///< number of the line the value starts on, 1 for the unit's first
  std::size_t column = 0;  ///< position of its first character on that line, from 0
};

/// The first value from the next record of unit 11 or the console input on
/// (blank records passed over). Ends the run with message 24 (end of file) or
/// 39 (read failure).
FoundValue find_value(int unit);

/// Converts a found value into an integer item as read_free does: a null value
/// or slash leaves `item` unchanged. Ends the run with message 59 or 64.
void convert_value(int unit, const FoundValue& value, std::int32_t& item);

/// Converts a found value into a single item, with the same rules.
void convert_value(int unit, const FoundValue& value, float& item);

/// Converts a found value into a 20-character text field.
void convert_value(int unit, const FoundValue& value, NameField& item);

/// Writes one text as a console record: a blank, then the text, then CR LF.
void write_free(int unit, std::string_view text);

}  // namespace recio
