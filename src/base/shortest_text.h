// The shortest decimal text of a number: what the outputs write for a
// coordinate, a time or a value given in a file, so that it reads back as
// exactly that number.
#pragma once

#include <charconv>
#include <string>

namespace base {

/// The shortest text that reads back as exactly `v` ("30", "0.5", "2151050.25").
inline std::string shortest_text(double v) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return std::string(text, end);
}

/// The shortest text that reads back as exactly the single `v` ("0.1" for 0.1f).
inline std::string shortest_text(float v) {
  char text[32];
  const auto [end, ec] = std::to_chars(text, text + sizeof text, v);
  return std::string(text, end);
}

}  // namespace base
