// The shortest decimal text of a number: what the outputs write for a
// coordinate, a time or a value given in a file, so that it reads back as
// exactly that number.
#pragma once

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
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

/// The text of the single `v` that brings it back both read as a single and
/// read as a double rounded to single: its shortest text, or, for the rare
/// value whose shortest text as a double falls on a halfway point between two
/// singles, every digit of its exact value. `v` must be finite.
inline std::string single_round_trip_text(float v) {
  std::string s = shortest_text(v);
  if (static_cast<float>(std::strtod(s.c_str(), nullptr)) != v) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", static_cast<double>(v));
    s = text;
  }
  return s;
}

/// single_round_trip_text of `v`, or "nan", "inf" or "-inf" for a value that
/// is not finite ("7.25", "3.4769957").
inline std::string single_text(float v) {
  if (std::isnan(v)) return "nan";
  if (std::isinf(v)) return v > 0 ? "inf" : "-inf";
  return single_round_trip_text(v);
}

}  // namespace base
