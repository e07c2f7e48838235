// The checks a reader makes of names and keys: a name or title is short UTF-8
// text without control characters; an unknown key gets the nearest known one
// as a hint.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace inputs {

/// The most characters a name or a title may have.
inline constexpr std::size_t kLongestName = 200;

/// Why `text`, a name or a title, cannot be one: it is not UTF-8 text, holds
/// a control character (base::is_control) or is longer than kLongestName
/// characters ("is longer than 200 characters (214)"); "" when it can.
std::string name_fault(std::string_view text);

/// The edit distance of `a` and `b` with adjacent transpositions (optimal
/// string alignment), bytes compared as they are.
std::size_t edit_distance(std::string_view a, std::string_view b);

/// The known key nearest to `key` by edit distance (case ignored; the first of
/// equally near ones).
std::string_view nearest_key(std::string_view key, std::span<const std::string_view> known);

}  // namespace inputs
