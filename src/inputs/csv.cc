#include "inputs/csv.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace inputs {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

bool only_blanks(std::string_view s) {
  for (char c : s)
    if (!blank(c)) return false;
  return true;
}

}  // namespace

std::vector<CsvRecord> parse_csv(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  std::vector<CsvRecord> records;
  std::size_t i = 0;
  std::size_t line = 1;
  while (i < text.size()) {
    CsvRecord record;
    record.line = line;
    bool any_quoted = false;
    std::string field;
    // One record: fields until an unquoted line end or the end of the text.
    for (;;) {
      if (i < text.size() && text[i] == '"') {
        any_quoted = true;
        const std::size_t opened = line;
        ++i;
        for (;;) {
          if (i == text.size()) throw CsvError{opened, "a quoted field is not closed"};
          const char c = text[i++];
          if (c == '"') {
            if (i < text.size() && text[i] == '"') {
              field += '"';
              ++i;
              continue;
            }
            break;
          }
          if (c == '\n') ++line;
          field += c;
        }
        if (i < text.size() && text[i] != ',' && text[i] != '\n' &&
            !(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') && !(text[i] == '\r' && i + 1 == text.size()))
          throw CsvError{line, "text after the closing quote of a field"};
      } else {
        const std::size_t start = i;
        while (i < text.size() && text[i] != ',' && text[i] != '\n') {
          if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] == '\n')) break;
          if (text[i] == '"') throw CsvError{line, "a quote inside an unquoted field"};
          ++i;
        }
        field.assign(text.substr(start, i - start));
      }
      record.fields.push_back(std::move(field));
      field.clear();
      if (i < text.size() && text[i] == ',') {
        ++i;
        continue;
      }
      break;
    }
    // The line end.
    if (i < text.size() && text[i] == '\r') ++i;
    if (i < text.size() && text[i] == '\n') {
      ++i;
      ++line;
    }
    if (!any_quoted && record.fields.size() == 1 && only_blanks(record.fields[0])) continue;
    records.push_back(std::move(record));
  }
  return records;
}

std::optional<double> parse_number(std::string_view field) {
  while (!field.empty() && blank(field.front())) field.remove_prefix(1);
  while (!field.empty() && blank(field.back())) field.remove_suffix(1);
  bool negative = false;
  if (!field.empty() && (field.front() == '+' || field.front() == '-')) {
    negative = field.front() == '-';
    field.remove_prefix(1);
  }
  // Only digits, a point and an exponent: no words (inf, nan), no hex, no second sign.
  if (field.empty() || !(std::isdigit(static_cast<unsigned char>(field.front())) || field.front() == '.'))
    return std::nullopt;
  double v = 0.0;
  const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), v, std::chars_format::general);
  if (ec != std::errc() || end != field.data() + field.size() || !std::isfinite(v)) return std::nullopt;
  return negative ? -v : v;
}

}  // namespace inputs
