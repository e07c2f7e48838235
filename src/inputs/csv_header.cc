#include "inputs/csv_header.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "inputs/csv.h"
#include "inputs/names.h"
#include "inputs/toml_reader.h"

namespace inputs {
namespace {

// The names a unit goes by in a header, and its name in the unit lists.
struct UnitSpelling {
  ColumnUnit kind;
  std::string_view unit;
  std::vector<std::string_view> spellings;
};

const std::vector<UnitSpelling> kUnitSpellings = {
    {ColumnUnit::length, "ft", {"ft", "feet", "foot"}},
    {ColumnUnit::length, "m", {"m", "metres", "meters", "metre", "meter"}},
    {ColumnUnit::rate, "gpd", {"gpd"}},
    {ColumnUnit::rate, "gpm", {"gpm"}},
    {ColumnUnit::rate, "cfs", {"cfs"}},
    {ColumnUnit::rate, "m3/d", {"m3/d", "m3_d", "m3d", "m\xC2\xB3/d", "m\xC2\xB3_d"}},
    {ColumnUnit::rate, "L/s", {"l/s", "l_s", "lps"}},
    {ColumnUnit::time, "min", {"min", "mins", "minute", "minutes"}},
    {ColumnUnit::time, "h", {"h", "hr", "hrs", "hour", "hours"}},
    {ColumnUnit::time, "d", {"d", "day", "days"}},
};

// A header key split into its name and the unit its last word names.
struct Split {
  std::string base;
  std::string unit;          // as the unit lists name it; "" : none
  std::string unknown_unit;  // a bracketed last word that is no unit of the kind
};

Split split(std::string_view field, ColumnUnit kind) {
  const std::string key = header_key(field);
  const std::size_t last = key.rfind('_');
  if (kind == ColumnUnit::none || last == std::string::npos) return Split{key, "", ""};
  const std::string token = key.substr(last + 1);
  if (std::string unit = header_unit(token, kind); !unit.empty()) return Split{key.substr(0, last), unit, ""};
  // "limit (mm)": a bracketed word is meant as a unit.
  std::string_view raw = field;
  while (!raw.empty() && (raw.back() == ' ' || raw.back() == '\t')) raw.remove_suffix(1);
  if (!raw.empty() && (raw.back() == ')' || raw.back() == ']')) return Split{key.substr(0, last), "", token};
  return Split{key, "", ""};
}

// Whether `a`, a header's name, is close to `b`, a column's: b's first words,
// or within an edit distance that grows with b's length (none for a name of
// one or two letters, which any short word is near).
bool close_to(const std::string& a, const std::string& b) {
  if (a.size() >= 3 && b.size() > a.size() && b.compare(0, a.size(), a) == 0 && b[a.size()] == '_') return true;
  const std::size_t allowed = b.size() >= 5 ? 2 : b.size() >= 3 ? 1 : 0;
  return a.size() >= 2 && edit_distance(a, b) <= allowed;
}

std::string_view kind_words(ColumnUnit kind) {
  switch (kind) {
    case ColumnUnit::length: return "lengths";
    case ColumnUnit::rate: return "rates";
    case ColumnUnit::time: return "times";
    case ColumnUnit::none: break;
  }
  return "values";
}

const std::string& unit_of(const HeaderUnits& u, ColumnUnit kind) {
  static const std::string none;
  switch (kind) {
    case ColumnUnit::length: return u.length;
    case ColumnUnit::rate: return u.rate;
    case ColumnUnit::time: return u.time;
    case ColumnUnit::none: break;
  }
  return none;
}

// How one field relates to the columns.
struct FieldMatch {
  std::optional<std::size_t> exact;  // the column it names
  std::vector<std::size_t> close;    // the columns it is close to (no exact one)
  Split split;                       // as split for its column
};

FieldMatch match_field(std::string_view field, std::span<const HeaderColumn> columns) {
  FieldMatch m;
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const Split f = split(field, columns[c].unit);
    bool exact = false, close = false;
    for (std::string_view name : columns[c].names) {
      const std::string base = split(name, columns[c].unit).base;
      exact = exact || f.base == base;
      close = close || close_to(f.base, base);
    }
    if (exact && !m.exact) {
      m.exact = c;
      m.split = f;
    } else if (close) {
      m.close.push_back(c);
      if (m.close.size() == 1 && !m.exact) m.split = f;
    }
  }
  if (m.exact) m.close.clear();
  return m;
}

std::string names_text(const HeaderColumn& c) {
  std::string s;
  for (std::string_view n : c.names) s.append(s.empty() ? "" : " or ").append(n);
  return s;
}

std::string trimmed_field(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

// Refuses a field whose unit is not the file's.
void check_unit(std::string_view field, const Split& f, const HeaderColumn& c, const HeaderUnits& units) {
  const std::string& want = unit_of(units, c.unit);
  if (!f.unknown_unit.empty())
    throw HeaderError{"the column " + in_quotes(trimmed_field(field)) + " is in " + in_quotes(f.unknown_unit) +
                      ", which is no unit of " + std::string(kind_words(c.unit)) + " here; " + units.whose + " " +
                      std::string(kind_words(c.unit)) + " are " + want};
  if (f.unit.empty() || want.empty() || f.unit == want) return;
  throw HeaderError{"the column " + in_quotes(trimmed_field(field)) + " is in " + f.unit + ", and " + units.whose + " " +
                    std::string(kind_words(c.unit)) + " are in " + want + " (" + units.hint + ")"};
}

}  // namespace

std::string header_key(std::string_view field) {
  std::string key;
  for (char ch : field) {
    const auto u = static_cast<unsigned char>(ch);
    if (std::isalnum(u) || ch == '/' || u >= 0x80) {
      key += static_cast<char>(std::tolower(u));
    } else if (!key.empty() && key.back() != '_') {
      key += '_';
    }
  }
  while (!key.empty() && key.back() == '_') key.pop_back();
  return key;
}

std::string header_unit(std::string_view token, ColumnUnit kind) {
  for (const UnitSpelling& u : kUnitSpellings)
    if (u.kind == kind && std::find(u.spellings.begin(), u.spellings.end(), token) != u.spellings.end())
      return std::string(u.unit);
  return "";
}

bool is_header(std::span<const std::string> fields, std::span<const HeaderColumn> columns) {
  bool number = false;
  for (const std::string& field : fields) {
    if (match_field(field, columns).exact) return true;
    number = number || parse_number(field).has_value() || decimal_comma(field);
  }
  return !number;
}

HeaderMatch match_header(std::span<const std::string> fields, std::span<const HeaderColumn> columns,
                         const HeaderUnits& units) {
  HeaderMatch out;
  std::vector<std::vector<std::size_t>> close(columns.size());  // column: its close fields
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldMatch m = match_field(fields[i], columns);
    if (m.exact) {
      const HeaderColumn& c = columns[*m.exact];
      if (const auto it = out.at.find(c.key); it != out.at.end())
        throw HeaderError{"both " + in_quotes(trimmed_field(fields[it->second])) + " and " + in_quotes(trimmed_field(fields[i])) +
                          " are columns for " + std::string(c.key) + "; name one in 'columns'"};
      check_unit(fields[i], m.split, c, units);
      out.at[c.key] = i;
    } else if (m.close.size() > 1) {
      throw HeaderError{"the column " + in_quotes(trimmed_field(fields[i])) + " could be " + std::string(columns[m.close[0]].key) +
                        " or " + std::string(columns[m.close[1]].key) + ": did you mean " +
                        in_quotes(columns[m.close[0]].names.front()) + " or " + in_quotes(columns[m.close[1]].names.front()) + "?"};
    } else if (m.close.size() == 1) {
      close[m.close[0]].push_back(i);
    } else {
      out.extra.push_back(trimmed_field(fields[i]));
    }
  }
  for (std::size_t c = 0; c < columns.size(); ++c) {
    const HeaderColumn& column = columns[c];
    if (close[c].empty()) continue;
    if (out.at.contains(column.key)) {
      for (std::size_t i : close[c]) out.extra.push_back(trimmed_field(fields[i]));
      continue;
    }
    const std::size_t i = close[c].front();
    if (close[c].size() > 1)
      throw HeaderError{"both " + in_quotes(trimmed_field(fields[i])) + " and " + in_quotes(trimmed_field(fields[close[c][1]])) +
                        " could be the " + std::string(column.key) + " column: did you mean " +
                        in_quotes(column.names.front()) + " for one of them?"};
    check_unit(fields[i], split(fields[i], column.unit), column, units);
    out.at[column.key] = i;
    out.close.push_back(in_quotes(trimmed_field(fields[i])) + " is read as the " + std::string(column.key) + " column");
  }
  for (const HeaderColumn& column : columns) {
    if (!column.required || out.at.contains(column.key)) continue;
    std::string why = "the header has no " + std::string(column.key) + " column (" + names_text(column) + ")";
    std::vector<std::string_view> names(column.names.begin(), column.names.end());
    std::string nearest;
    std::size_t best = 4;  // a field at most this far from a name is suggested
    for (const std::string& e : out.extra)
      for (std::string_view n : names)
        if (const std::size_t d = edit_distance(header_key(e), n); d < best) best = d, nearest = e;
    if (!nearest.empty()) why += ": did you mean " + in_quotes(column.names.front()) + " for " + in_quotes(nearest) + "?";
    throw HeaderError{why};
  }
  return out;
}

char csv_delimiter(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  bool quoted = false, semicolon = false, tab = false, anything = false;
  for (char c : text) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\n') {
      if (anything) break;
      continue;
    }
    if (c == ',') return ',';
    semicolon = semicolon || c == ';';
    tab = tab || c == '\t';
    anything = anything || (c != ' ' && c != '\t' && c != '\r');
  }
  return semicolon ? ';' : tab ? '\t' : ',';
}

bool decimal_comma(std::string_view field) {
  const std::string f = trimmed_field(field);
  const std::size_t comma = f.find(',');
  if (comma == std::string::npos || f.find(',', comma + 1) != std::string::npos) return false;
  // The digits after the comma, with an exponent if any; the part before it
  // may hold points as thousands' separators.
  std::string with_point = f;
  with_point.erase(std::remove(with_point.begin(), with_point.begin() + static_cast<std::ptrdiff_t>(comma), '.'),
                   with_point.begin() + static_cast<std::ptrdiff_t>(comma));
  with_point[with_point.find(',')] = '.';
  const bool digit_before = comma > 0 && std::isdigit(static_cast<unsigned char>(f[comma - 1]));
  const bool digit_after = comma + 1 < f.size() && std::isdigit(static_cast<unsigned char>(f[comma + 1]));
  return digit_before && digit_after && parse_number(with_point).has_value();
}

}  // namespace inputs
