// Text for the console and the summaries: names on one line, and rows of
// cells as aligned columns.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/printable.h"

namespace base {

/// `s` as one line of the console: base::printable_name, every control
/// character shown as an escape.
inline std::string one_line(std::string_view s) { return printable_name(s); }

/// `v` with `decimals` digits after the point (printf's "%.*f").
inline std::string fixed(double v, int decimals) {
  char text[352];  // the largest double in full, with its sign and point
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

/// Characters of UTF-8 text (bytes that do not continue a character).
inline std::size_t text_width(std::string_view s) {
  return static_cast<std::size_t>(
      std::count_if(s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

/// Rows of cells as aligned columns two blanks apart; `left[j]` aligns column
/// j to the left, else to the right. Trailing blanks are dropped; LF line ends.
inline std::string aligned_table(const std::vector<std::vector<std::string>>& rows, const std::vector<bool>& left) {
  std::vector<std::size_t> widths(left.size(), 0);
  for (const auto& row : rows)
    for (std::size_t j = 0; j < row.size(); ++j) widths[j] = std::max(widths[j], text_width(row[j]));
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t j = 0; j < row.size(); ++j) {
      if (j > 0) line += "  ";
      const std::string pad(widths[j] - text_width(row[j]), ' ');
      line += left[j] ? row[j] + pad : pad + row[j];
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    text += line + "\n";
  }
  return text;
}

}  // namespace base
