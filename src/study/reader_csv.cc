// The study reader: the wells and receptors CSV files.

#include "study/reader_internal.h"

#include <algorithm>
#include <cmath>

#include "inputs/toml_text.h"

namespace study::reading {

std::vector<CsvRecord> StudyReader::csv_records(const std::string& path, std::string_view what) const {
  std::string why;
  const std::optional<std::string> text = read_(path, why);
  if (!text) throw StudyError{file() + ": cannot read the " + std::string(what) + " " + in_quotes(path) + ": " + why};
  try {
    return parse_csv(*text, csv_delimiter(*text));
  } catch (const CsvError& e) {
    fail_csv(path, e.line, e.what);
  }
}

StudyReader::CsvInput StudyReader::csv_input(const toml::node& n, std::string_view key,
                                             std::span<const HeaderColumn> wanted) const {
  const toml::table* t = n.as_table();
  if (t == nullptr) return CsvInput{inner_path(n, key), {}};
  check_keys(*t, kCsvInputKeys, "in " + in_quotes(key), kSections);
  CsvInput in{inner_path(required(*t, "file", in_quotes(key), t->source().begin.line), "file"), {}};
  if (const toml::node* c = t->get("columns")) {
    const toml::table* columns = c->as_table();
    if (columns == nullptr) fail(*c, "'columns' must be a table like { x = \"EASTING\", y = \"NORTHING\" }, not " + kind(*c));
    std::vector<std::string_view> keys;
    for (const HeaderColumn& column : wanted) keys.push_back(column.key);
    check_keys(*columns, keys, "in 'columns' of " + in_quotes(key), kSections);
    for (const auto& [k, v] : *columns) {
      const std::string name = trimmed(string(v, "columns"));
      if (name.empty()) fail(v, "a column's name in 'columns' must not be empty");
      in.named[inputs::shifted_back(k.str())] = name;
    }
  }
  return in;
}

// Where each column is in the records of a CSV file: by its header when the
// first record is one (csv_header.h), by position otherwise (`forms`, chosen
// by the number of fields). The header is removed; every row has as many
// fields as the first. A close name taken and the columns not read are noted.
StudyReader::Columns StudyReader::csv_columns(std::vector<CsvRecord>& records, const std::string& path,
                                              std::span<const HeaderColumn> wanted,
                                              const std::map<std::string, std::string>& named,
                                              std::span<const std::vector<std::string_view>> forms) const {
  Columns out;
  if (records.empty()) return out;
  const CsvRecord& first = records.front();
  // The names 'columns' gives replace a column's own (`given` holds them,
  // never reallocated once the columns refer to them).
  std::vector<std::string> given;
  given.reserve(wanted.size());
  std::vector<HeaderColumn> columns(wanted.begin(), wanted.end());
  for (HeaderColumn& column : columns)
    if (const auto it = named.find(std::string(column.key)); it != named.end())
      column.names = {given.emplace_back(lower(it->second))};
  if (!is_header(first.fields, columns)) {
    if (!named.empty()) fail_csv(path, first.line, "the file has no header row, which 'columns' needs to name the columns");
    return positional(records, path, forms);
  }
  HeaderMatch m;
  try {
    m = match_header(first.fields, columns, header_units());
  } catch (const HeaderError& e) {
    fail_csv(path, first.line, e.what);
  }
  out.at = std::move(m.at);
  const std::string at = path + ":" + std::to_string(first.line) + ": ";
  for (const std::string& c : m.close) out.notes.push_back(at + "the column " + c);
  if (!m.extra.empty()) out.notes.push_back(at + extra_columns_note(m.extra, wanted));
  // Every row has the header's fields: a row with more or fewer is a
  // comma too many or too few.
  out.fields = first.fields.size();
  for (const std::string& field : first.fields) out.form.append(out.form.empty() ? "" : ",").append(trimmed(field));
  records.erase(records.begin());
  return out;
}

// The columns by position: the form with as many fields as the first row.
StudyReader::Columns StudyReader::positional(const std::vector<CsvRecord>& records, const std::string& path,
                                             std::span<const std::vector<std::string_view>> forms) const {
  const CsvRecord& first = records.front();
  std::string forms_text;
  for (const std::vector<std::string_view>& form : forms) {
    std::string text;
    for (std::string_view f : form) text.append(text.empty() ? "" : ",").append(f == "limit" ? "limit" + units_.suffix() : std::string(f));
    forms_text.append(forms_text.empty() ? "" : " or ").append(text);
    if (form.size() != first.fields.size()) continue;
    Columns out;
    out.fields = form.size();
    out.form = text;
    for (std::size_t i = 0; i < form.size(); ++i) out.at[form[i]] = i;
    return out;
  }
  fail_csv(path, first.line, "a row of " + std::to_string(first.fields.size()) + " fields; the rows must be " + forms_text);
}

// A field of an optional column, or nothing when it is absent or empty.
std::optional<std::size_t> StudyReader::present(const CsvRecord& r, const Columns& c, std::string_view key) {
  const auto it = c.at.find(key);
  if (it == c.at.end() || it->second >= r.fields.size() || trimmed(r.fields[it->second]).empty()) return std::nullopt;
  return it->second;
}

double StudyReader::csv_number(const CsvRecord& r, std::size_t i, std::string_view field, const std::string& path,
                         bool single) {
  const std::optional<double> v = parse_number(r.fields[i]);
  if (!v && decimal_comma(r.fields[i]))
    fail_csv(path, r.line, "the " + std::string(field) + " field " + in_quotes(trimmed(r.fields[i])) +
                               " has a decimal comma; write numbers with a decimal point");
  if (!v) fail_csv(path, r.line, "the " + std::string(field) + " field is not a number: " + in_quotes(r.fields[i]));
  if (single && !std::isfinite(static_cast<float>(*v)))
    fail_csv(path, r.line, "the " + std::string(field) + " " + base::shortest_text(*v) +
                               " lies beyond single precision's range (3.4e38)");
  return *v;
}

// A rate field in the study's unit, as the engine takes it: within single
// precision's range.
double StudyReader::csv_rate(const CsvRecord& r, std::size_t i, const std::string& path) const {
  const double given = csv_number(r, i, "rate", path, false);
  const double rate = units_.rate_to_engine(given);
  if (!std::isfinite(static_cast<float>(rate)))
    fail_csv(path, r.line, "the rate " + base::shortest_text(given) + " lies beyond single precision's range (3.4e38)");
  return rate;
}

// The warning that names the columns a file's header has and the study does
// not read.
std::string StudyReader::extra_columns_note(const std::vector<std::string>& extra, std::span<const HeaderColumn> wanted) {
  std::string names;
  for (std::size_t k = 0; k < extra.size(); ++k)
    names.append(k == 0 ? "" : k + 1 == extra.size() ? " and " : ", ").append(in_quotes(extra[k]));
  std::string known;
  for (const HeaderColumn& c : wanted) known.append(known.empty() ? "" : ", ").append(c.key);
  return std::string(extra.size() == 1 ? "the column " : "the columns ") + names + (extra.size() == 1 ? " is" : " are") +
         " not read: the file's columns are " + known;
}

void StudyReader::check_count(const CsvRecord& r, std::size_t fields, const std::string& path, const std::string& form) {
  if (r.fields.size() != fields)
    fail_csv(path, r.line, "a row of " + std::to_string(r.fields.size()) + " fields; the rows of this file have " +
                               std::to_string(fields) + " (" + form + ")");
}

std::string StudyReader::csv_name(const CsvRecord& r, const std::string& path, std::size_t i) {
  std::string n = trimmed(r.fields[i]);
  if (n.empty()) fail_csv(path, r.line, "the name field is empty");
  if (const std::string why = name_fault(n); !why.empty()) fail_csv(path, r.line, "the name field " + why);
  return n;
}

void StudyReader::read_wells_file(const std::string& path, const std::map<std::string, std::string>& named, Study& s) {
  s.inputs.push_back(path);
  files_.push_back(path);
  std::vector<CsvRecord> records = csv_records(path, "wells file");
  well_names_.reserve(well_names_.size() + records.size());
  static const std::vector<std::string_view> kForms[] = {{"name", "x", "y", "rate"},
                                                         {"name", "x", "y", "start_day", "rate"}};
  const Columns c = csv_columns(records, path, kWellColumns, named, kForms);
  s.notes.insert(s.notes.end(), c.notes.begin(), c.notes.end());
  const bool steps = c.at.contains("start_day");
  std::map<std::string, std::size_t> scheduled;  // a name's well in s.wells (rows with a start day)
  for (const CsvRecord& r : records) {
    check_row(r, c, path);
    Well w;
    w.name = csv_name(r, path, c.at.at("name"));
    w.x = csv_number(r, c.at.at("x"), "x", path, false);
    w.y = csv_number(r, c.at.at("y"), "y", path, false);
    if (const auto i = present(r, c, "radius")) {
      w.radius = csv_number(r, *i, "radius", path, false);
      if (!(w.radius > 0.0))
        fail_csv(path, r.line, "the radius field must be above 0 " + std::string(units_.length.word) + ", not " +
                                   base::shortest_text(w.radius));
    }
    const Origin from{files_.size() - 1, r.line};
    auto fail_here = [&](const std::string& why) { fail_csv(path, r.line, why); };
    const double rate = csv_rate(r, c.at.at("rate"), path);
    if (!steps) {
      add_step(w, 0.0, rate, fail_here);
      add_well(s, std::move(w), from);
      continue;
    }
    const double day = csv_number(r, c.at.at("start_day"), "start_day", path, true);
    const auto it = scheduled.find(w.name);
    if (it == scheduled.end()) {
      add_step(w, day, rate, fail_here);
      scheduled.emplace(w.name, s.wells.size());
      add_well(s, std::move(w), from);
      continue;
    }
    Well& earlier = s.wells[it->second];
    if (earlier.x != w.x || earlier.y != w.y)
      fail_here("well " + in_quotes(w.name) + " is given at another place than in its first row (" +
                base::shortest_text(earlier.x) + ", " + base::shortest_text(earlier.y) + ")");
    add_step(earlier, day, rate, fail_here);
    if (rows_ != nullptr) rows_->fetch_add(1, std::memory_order_relaxed);
  }
}

void StudyReader::read_receptors_file(const std::string& path, const std::map<std::string, std::string>& named, Study& s) {
  s.inputs.push_back(path);
  files_.push_back(path);
  std::vector<CsvRecord> records = csv_records(path, "receptors file");
  receptor_names_.reserve(receptor_names_.size() + records.size());
  s.receptors.reserve(s.receptors.size() + records.size());
  static const std::vector<std::string_view> kForms[] = {{"name", "x", "y"}, {"name", "x", "y", "limit"}};
  const Columns c = csv_columns(records, path, kReceptorColumns, named, kForms);
  s.notes.insert(s.notes.end(), c.notes.begin(), c.notes.end());
  const std::string limit = "limit" + units_.suffix();
  for (const CsvRecord& r : records) {
    check_row(r, c, path);
    Receptor receptor;
    receptor.name = csv_name(r, path, c.at.at("name"));
    receptor.x = csv_number(r, c.at.at("x"), "x", path, false);
    receptor.y = csv_number(r, c.at.at("y"), "y", path, false);
    // An empty limit field: no limit at that receptor.
    if (const auto i = present(r, c, "limit")) {
      receptor.limit = csv_number(r, *i, limit, path, false);
      if (!(*receptor.limit > 0.0))
        fail_csv(path, r.line, "the " + limit + " field must be above 0 " + std::string(units_.length.word) + ", not " +
                                   base::shortest_text(*receptor.limit));
    }
    add_receptor(s, std::move(receptor), Origin{files_.size() - 1, r.line});
  }
}

}  // namespace study::reading
