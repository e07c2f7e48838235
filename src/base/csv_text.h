// Fields of the CSV files the program writes, as RFC 4180 lays them out and
// a spreadsheet shows them.
#pragma once

#include <string>
#include <string_view>

namespace base {

/// `field` as a CSV field: with an apostrophe before it when it begins with
/// '=', '+', '-', '@', a tab or a CR (so that a spreadsheet shows it as text
/// rather than evaluate it as a formula); then quoted (quotes doubled) when it
/// holds a comma, a quote, a CR or an LF, as it is otherwise.
inline std::string csv_field(std::string_view field) {
  // A spreadsheet takes a cell that begins with one of these as a formula
  // (=HYPERLINK(...)): a leading apostrophe makes it show the text.
  const bool formula = !field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos;
  std::string text = formula ? "'" + std::string(field) : std::string(field);
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string s = "\"";
  for (char c : text) {
    if (c == '"') s += '"';
    s += c;
  }
  return s + '"';
}

}  // namespace base
