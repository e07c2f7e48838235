// The free-form reader and writer of the dialogue.
#pragma once

#include <cstdint>
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

/// Writes one text as a console record: a blank, then the text, then CR LF.
void write_free(int unit, std::string_view text);

}  // namespace recio
