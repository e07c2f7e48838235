#include "study/dated_csv.h"

#include <cstdlib>
#include <vector>

#include "base/calendar.h"

namespace study {
namespace {

// One record of `csv` from `at`: its fields as written (quotes kept), and
// where the next record begins. A quoted field may hold commas and line ends.
std::vector<std::string_view> record(std::string_view csv, std::size_t& at) {
  std::vector<std::string_view> fields;
  std::size_t start = at;
  bool quoted = false;
  for (; at < csv.size(); ++at) {
    const char c = csv[at];
    if (c == '"') quoted = !quoted;
    else if (!quoted && c == ',') fields.push_back(csv.substr(start, at - start)), start = at + 1;
    else if (!quoted && c == '\n') break;
  }
  fields.push_back(csv.substr(start, at - start));
  if (at < csv.size()) ++at;  // past the line end
  return fields;
}

// The date of a day field ("57.6"), or "" when it is empty or not a number.
std::string date_field(std::string_view field, base::Date start) {
  const std::string text(field);
  if (text.empty()) return "";
  char* end = nullptr;
  const double day = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size()) return "";
  return base::date_of_day(start, day).value_or("");
}

}  // namespace

std::string_view date_column_of(std::string_view day_column) {
  if (day_column == "days" || day_column == "day") return "date";
  if (day_column == "at_day") return "at_date";
  if (day_column == "first_exceeded_day") return "first_exceeded_date";
  return "";
}

std::string with_dates(std::string_view csv, base::Date start) {
  std::size_t at = 0;
  const std::vector<std::string_view> header = record(csv, at);
  std::vector<bool> dated(header.size());
  std::string out;
  for (std::size_t j = 0; j < header.size(); ++j) {
    out.append(j ? "," : "").append(header[j]);
    if (const std::string_view name = date_column_of(header[j]); !name.empty()) out.append(",").append(name), dated[j] = true;
  }
  out += '\n';
  while (at < csv.size()) {
    const std::vector<std::string_view> row = record(csv, at);
    for (std::size_t j = 0; j < row.size(); ++j) {
      out.append(j ? "," : "").append(row[j]);
      if (j < dated.size() && dated[j]) out.append(",").append(date_field(row[j], start));
    }
    out += '\n';
  }
  return out;
}

std::string dated(const Study& s, std::string csv) {
  if (!s.start_date) return csv;
  return with_dates(csv, *s.start_date);
}

}  // namespace study
