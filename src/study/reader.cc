#include "study/reader.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <map>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <toml++/toml.h>

#include "base/printable.h"
#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/grid_file.h"
#include "files/output_folder.h"
#include "outputs/request.h"
#include "pictures/plot.h"
#include "files/sha256.h"
#include "base/shortest_text.h"
#include "study/console.h"
#include "inputs/csv.h"
#include "inputs/names.h"
#include "study/outputs.h"
#include "inputs/toml_reader.h"
#include "inputs/toml_text.h"

namespace study {

using inputs::CsvError;
using inputs::CsvRecord;
using inputs::KeySection;
using inputs::ReadFile;
using inputs::TomlReader;
using inputs::in_quotes;
using inputs::kind;
using inputs::kLargestStudyFile;
using inputs::name_fault;
using inputs::parse_csv;
using inputs::parse_number;
using inputs::read_file;
using inputs::shifted_back;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTopKeys[] = {"title", "crs",  "times",    "wells_file", "receptors_file",
                                         "aquifer", "grid", "well", "receptor",   "output", "boundary"};
constexpr std::string_view kAquiferKeys[] = {"transmissivity", "leakance", "storage"};
constexpr std::string_view kGridKeys[] = {"xll", "yll", "spacing", "columns", "rows"};
constexpr std::string_view kWellKeys[] = {"name", "x", "y", "rate", "schedule", "radius"};
constexpr std::string_view kReceptorKeys[] = {"name", "x", "y", "limit"};
constexpr std::string_view kBoundaryKeys[] = {"kind", "name", "from", "to"};
constexpr std::string_view kOutputKeys[] = {"folder", "grid",   "contours", "levels",      "plot",
                                            "range",  "page",   "dpi",      "series",      "series_times",
                                            "hydrographs", "well_function", "compliance", "exceedance_status", "points"};

// A column of a wells or receptors CSV file: its key, the header names it
// goes by (matched in any case), and whether the file must have it.
struct CsvColumn {
  std::string_view key;
  std::vector<std::string_view> aliases;
  bool required;
};
const std::vector<CsvColumn> kWellColumns = {
    {"name", {"name", "id", "label"}, true},      {"x", {"x", "easting"}, true},
    {"y", {"y", "northing"}, true},               {"rate", {"rate", "rate_gpd"}, true},
    {"start_day", {"start_day"}, false},          {"radius", {"radius", "radius_ft"}, false},
};
const std::vector<CsvColumn> kReceptorColumns = {
    {"name", {"name", "id", "label"}, true},
    {"x", {"x", "easting"}, true},
    {"y", {"y", "northing"}, true},
    {"limit", {"limit", "limit_ft"}, false},
};
constexpr std::string_view kCsvInputKeys[] = {"file", "columns"};

// Where each table's keys go, for a key written in the wrong table.
constexpr KeySection kSections[] = {
    {"at the top of the file, before the first table", kTopKeys},
    {"in [aquifer]", kAquiferKeys},
    {"in [grid]", kGridKeys},
    {"in a [[well]] table", kWellKeys},
    {"in a [[receptor]] table", kReceptorKeys},
    {"in a [[boundary]] table", kBoundaryKeys},
    {"in [output]", kOutputKeys},
};

// Wells and receptors this far from the grid, in nodes, are refused: beyond it
// a single node-unit position holds no fraction of a node.
constexpr double kFarthestPosition = 16777216.0;

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::string lower(std::string_view s) {
  std::string l(s);
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l;
}


class Reader : public TomlReader {
 public:
  Reader(const std::string& file, const ReadFile& read, std::atomic<std::uint64_t>* rows)
      : TomlReader(file), folder_(fs::path(file).parent_path()), read_(read), rows_(rows), files_{file} {}

  Study read(std::string_view text) {
    const toml::table root = parse(text);
    check_keys(root, kTopKeys, "at the top of the file", kSections);

    Study s;
    s.file = file();
    s.inputs.push_back(file());
    if (const toml::node* n = root.get("title")) {
      s.title = string(*n, "title");
      if (const std::string why = name_fault(s.title); !why.empty()) fail(*n, "'title' " + why);
    } else {
      s.title = fs::path(file()).filename().string();
    }
    s.crs = optional_string(root, "crs").value_or("");
    s.times = days(required(root, "times", "the file", 0), "times");
    read_aquifer(table(required(root, "aquifer", "the file", 0), "aquifer"), s.aquifer);
    read_grid(table(required(root, "grid", "the file", 0), "grid"), s.grid);

    if (const toml::node* n = root.get("well"))
      for (const auto& [t, where] : tables(*n, "well")) read_well(*t, where, s);
    if (const toml::node* n = root.get("wells_file")) {
      const CsvInput in = csv_input(*n, "wells_file", kWellColumns);
      read_wells_file(csv_path(in.name), in.named, s);
    }
    if (const toml::node* n = root.get("receptor"))
      for (const auto& [t, where] : tables(*n, "receptor")) read_receptor(*t, where, s);
    if (const toml::node* n = root.get("receptors_file")) {
      const CsvInput in = csv_input(*n, "receptors_file", kReceptorColumns);
      read_receptors_file(csv_path(in.name), in.named, s);
    }
    if (s.wells.empty())
      throw StudyError{file() + ": the study has no wells: give [[well]] tables or a wells_file"};

    s.output.base = folder_.empty() ? "." : folder_.string();
    s.output.folder = s.output.base;
    s.series_times = s.times;
    if (const toml::node* n = root.get("output")) read_output(table(*n, "output"), s);
    check_positions(s);
    if (const toml::node* n = root.get("boundary")) read_boundaries(*n, s);
    return s;
  }

 private:
  [[noreturn]] static void fail_csv(const std::string& path, std::size_t line, const std::string& what) {
    throw StudyError{path + ":" + std::to_string(line) + ": " + what};
  }

  // Where a name was given: a file of files_ and a line.
  struct Origin {
    std::size_t file = 0;
    std::size_t line = 0;
  };
  Origin origin(std::size_t line) const { return {0, line}; }
  std::string where(const Origin& o) const { return files_[o.file] + ":" + std::to_string(o.line); }

  std::optional<std::string> optional_string(const toml::table& t, std::string_view key) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) return std::nullopt;
    return string(*n, key);
  }

  // A file or folder the study names: relative to the study file's folder and
  // inside it (no '..' that leaves it).
  std::string inner_path(const toml::node& n, std::string_view key) const {
    const std::string name = file_name(n, key);
    if (!files::stays_within(name))
      fail(n, in_quotes(key) + " must lie inside the study file's folder (a relative name without '..' that leaves it), not " +
                  in_quotes(name));
    return name;
  }

  // An output's name: a plain file name in the output folder.
  std::string output_name(const toml::node& n, std::string_view key) const {
    const std::string name = file_name(n, key);
    if (!files::is_plain_name(name))
      fail(n, in_quotes(key) + " must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not " +
                  in_quotes(name));
    return name;
  }

  // A number the evaluation takes in single precision: within its range.
  double single_number(const toml::node& n, std::string_view key) const {
    const double v = number(n, key);
    if (!std::isfinite(static_cast<float>(v)))
      fail(n, in_quotes(key) + " = " + base::shortest_text(v) + " lies beyond single precision's range (3.4e38)");
    return v;
  }

  std::int32_t whole(const toml::node& n, std::string_view key, std::int64_t least, const std::string& what) const {
    std::int64_t v = 0;
    if (const auto* i = n.as_integer()) {
      v = i->get();
    } else if (const auto* f = n.as_floating_point(); f != nullptr && std::trunc(f->get()) == f->get()) {
      if (!(std::fabs(f->get()) < 1e18)) fail(n, in_quotes(key) + " must be " + what + ", not " + base::shortest_text(f->get()));
      v = static_cast<std::int64_t>(f->get());
    } else {
      const std::string value = n.as_floating_point() != nullptr ? " " + base::shortest_text(n.as_floating_point()->get()) : "";
      fail(n, in_quotes(key) + " must be a whole number, not " + kind(n) + value);
    }
    if (v < least || v > std::numeric_limits<std::int32_t>::max())
      fail(n, in_quotes(key) + " must be " + what + ", not " + std::to_string(v));
    return static_cast<std::int32_t>(v);
  }

  // Days: an array of increasing numbers above 0.
  std::vector<double> days(const toml::node& n, std::string_view key) const {
    const toml::array* a = n.as_array();
    if (a == nullptr) fail(n, in_quotes(key) + " must be an array of days, like [30.0, 90.0], not " + kind(n));
    if (a->empty()) fail(n, in_quotes(key) + " must hold at least one day");
    std::vector<double> out;
    for (const toml::node& e : *a) {
      const double v = single_number(e, key);
      if (v <= 0.0) fail(e, "the days of " + in_quotes(key) + " must be above 0, not " + base::shortest_text(v));
      if (!out.empty() && v <= out.back())
        fail(e, "the days of " + in_quotes(key) + " must increase: " + base::shortest_text(v) + " follows " + base::shortest_text(out.back()));
      out.push_back(v);
    }
    return out;
  }

  void read_aquifer(const toml::table& t, Aquifer& a) const {
    check_keys(t, kAquiferKeys, "in [aquifer]", kSections);
    const std::size_t line = t.source().begin.line;
    const toml::node& T = required(t, "transmissivity", "[aquifer]", line);
    const toml::node& L = required(t, "leakance", "[aquifer]", line);
    const toml::node& S = required(t, "storage", "[aquifer]", line);
    a.transmissivity = single_number(T, "transmissivity");
    if (!(a.transmissivity > 0.0)) fail(T, "'transmissivity' must be above 0, not " + base::shortest_text(a.transmissivity));
    a.leakance = single_number(L, "leakance");
    if (a.leakance < 0.0) fail(L, "'leakance' must be 0 (no leakage) or more, not " + base::shortest_text(a.leakance));
    a.storage = single_number(S, "storage");
    if (!(a.storage > 0.0)) fail(S, "'storage' must be above 0, not " + base::shortest_text(a.storage));
  }

  void read_grid(const toml::table& t, Grid& g) const {
    check_keys(t, kGridKeys, "in [grid]", kSections);
    const std::size_t line = t.source().begin.line;
    g.xll = number(required(t, "xll", "[grid]", line), "xll");
    g.yll = number(required(t, "yll", "[grid]", line), "yll");
    g.spacing = whole(required(t, "spacing", "[grid]", line), "spacing", 1, "whole feet, 1 or more");
    g.columns = whole(required(t, "columns", "[grid]", line), "columns", 1, "1 or more");
    g.rows = whole(required(t, "rows", "[grid]", line), "rows", 1, "1 or more");
  }

  std::string name(const toml::table& t, const std::string& where) const {
    const toml::node& n = required(t, "name", where, t.source().begin.line);
    std::string v = trimmed(string(n, "name"));
    if (v.empty()) fail(n, where + " has an empty 'name'");
    if (const std::string why = name_fault(v); !why.empty()) fail(n, "'name' of " + where + " " + why);
    return v;
  }

  // Registers `name` (a `what`, given at `from`) in `names`; a name given
  // before is refused, naming where it was first given.
  void register_name(std::unordered_map<std::string, Origin>& names, const std::string& name,
                     std::string_view what, const Origin& from) const {
    const auto [it, fresh] = names.try_emplace(name, from);
    if (!fresh)
      throw StudyError{where(from) + ": a second " + std::string(what) + " named " + in_quotes(name) + " (the first: " +
                       where(it->second) + ")"};
    if (rows_ != nullptr) rows_->fetch_add(1, std::memory_order_relaxed);
  }

  void add_well(Study& s, Well w, const Origin& from) {
    register_name(well_names_, w.name, "well", from);
    s.wells.push_back(std::move(w));
  }

  void add_receptor(Study& s, Receptor r, const Origin& from) {
    register_name(receptor_names_, r.name, "receptor", from);
    s.receptors.push_back(std::move(r));
  }

  // The name and map position of a [[well]] or [[receptor]] table whose keys
  // are checked against `keys`.
  template <typename Point>
  void read_named_point(const toml::table& t, std::span<const std::string_view> keys, const std::string& where,
                        Point& p) const {
    check_keys(t, keys, "in " + where, kSections);
    const std::size_t line = t.source().begin.line;
    p.name = name(t, where);
    p.x = number(required(t, "x", where, line), "x");
    p.y = number(required(t, "y", where, line), "y");
  }

  void read_well(const toml::table& t, const std::string& where, Study& s) {
    const std::size_t line = t.source().begin.line;
    Well w;
    read_named_point(t, kWellKeys, where, w);
    const toml::node* rate = t.get("rate");
    const toml::node* schedule = t.get("schedule");
    if (rate != nullptr && schedule != nullptr)
      fail(*schedule, where + " (" + in_quotes(w.name) + ") has both 'rate' and 'schedule'; give one of them");
    if (rate == nullptr && schedule == nullptr)
      fail(line, where + " (" + in_quotes(w.name) + ") has neither 'rate' nor 'schedule'");
    if (rate != nullptr) {
      w.steps.push_back(Step{0.0, single_number(*rate, "rate")});
    } else {
      const toml::array* a = schedule->as_array();
      if (a == nullptr || a->empty())
        fail(*schedule, "'schedule' must be an array of [start day, rate] steps, like [[0.0, 250000.0], [60.0, 0.0]]");
      for (const toml::node& e : *a) {
        const toml::array* step = e.as_array();
        if (step == nullptr || step->size() != 2)
          fail(e, "each step of 'schedule' must be [start day, rate], not " +
                      (step != nullptr ? "an array of " + std::to_string(step->size()) + " values" : kind(e)));
        add_step(w, single_number((*step)[0], "start day"), single_number((*step)[1], "rate"),
                 [&](const std::string& why) { fail(e, why); });
      }
    }
    if (const toml::node* n = t.get("radius")) w.radius = positive(*n, "radius");
    add_well(s, std::move(w), origin(line));
  }

  // A number of feet above 0 (a well's radius, a receptor's limit).
  double positive(const toml::node& n, std::string_view key) const {
    const double v = number(n, key);
    if (!(v > 0.0)) fail(n, in_quotes(key) + " must be above 0 feet, not " + base::shortest_text(v));
    return v;
  }

  // Appends a step to w's schedule: days 0 or more and increasing, each rate
  // change within single precision's range.
  template <typename Fail>
  static void add_step(Well& w, double day, double rate, Fail&& fail_here) {
    if (day < 0.0) fail_here("the start day of a step must be 0 or more, not " + base::shortest_text(day));
    if (!w.steps.empty() && day <= w.steps.back().day)
      fail_here("the start days of the schedule of " + in_quotes(w.name) + " must increase: " + base::shortest_text(day) +
                " follows " + base::shortest_text(w.steps.back().day));
    const double before = w.steps.empty() ? 0.0 : w.steps.back().rate;
    if (!std::isfinite(static_cast<float>(rate - before)))
      fail_here("the rate change at day " + base::shortest_text(day) + " lies beyond single precision's range (3.4e38)");
    w.steps.push_back(Step{day, rate});
  }

  void read_receptor(const toml::table& t, const std::string& where, Study& s) {
    Receptor r;
    read_named_point(t, kReceptorKeys, where, r);
    if (const toml::node* n = t.get("limit")) r.limit = positive(*n, "limit");
    add_receptor(s, std::move(r), origin(t.source().begin.line));
  }

  std::string csv_path(const std::string& name) const { return (folder_ / name).string(); }

  std::vector<CsvRecord> csv_records(const std::string& path, std::string_view what) const {
    std::string why;
    const std::optional<std::string> text = read_(path, why);
    if (!text) throw StudyError{file() + ": cannot read the " + std::string(what) + " " + in_quotes(path) + ": " + why};
    try {
      return parse_csv(*text);
    } catch (const CsvError& e) {
      fail_csv(path, e.line, e.what);
    }
  }

  // A CSV input as the study names it: a file name, or a table
  // { file = "...", columns = { x = "EASTING", ... } } naming its columns.
  struct CsvInput {
    std::string name;
    std::map<std::string, std::string> named;  // key: the header's name for it
  };
  CsvInput csv_input(const toml::node& n, std::string_view key, const std::vector<CsvColumn>& wanted) const {
    const toml::table* t = n.as_table();
    if (t == nullptr) return CsvInput{inner_path(n, key), {}};
    check_keys(*t, kCsvInputKeys, "in " + in_quotes(key), kSections);
    CsvInput in{inner_path(required(*t, "file", in_quotes(key), t->source().begin.line), "file"), {}};
    if (const toml::node* c = t->get("columns")) {
      const toml::table* columns = c->as_table();
      if (columns == nullptr) fail(*c, "'columns' must be a table like { x = \"EASTING\", y = \"NORTHING\" }, not " + kind(*c));
      std::vector<std::string_view> keys;
      for (const CsvColumn& column : wanted) keys.push_back(column.key);
      check_keys(*columns, keys, "in 'columns' of " + in_quotes(key), kSections);
      for (const auto& [k, v] : *columns) {
        const std::string name = trimmed(string(v, "columns"));
        if (name.empty()) fail(v, "a column's name in 'columns' must not be empty");
        in.named[shifted_back(k.str())] = name;
      }
    }
    return in;
  }

  // Where each column is in the records of a CSV file: by its header when the
  // first record is one (it names a column: extra columns are passed over), by
  // position otherwise (`forms`, chosen by the number of fields). The header
  // is removed; every row has as many fields as the first.
  struct Columns {
    std::map<std::string_view, std::size_t> at;  // key: field index
    bool header = false;
    std::size_t fields = 0;  // the fields of every row
    std::string form;        // the columns, for messages
  };
  static Columns csv_columns(std::vector<CsvRecord>& records, const std::string& path, const std::vector<CsvColumn>& wanted,
                             const std::map<std::string, std::string>& named,
                             std::span<const std::vector<std::string_view>> forms) {
    Columns out;
    if (records.empty()) return out;
    const CsvRecord& first = records.front();
    auto names_for = [&](const CsvColumn& column) {
      const auto it = named.find(std::string(column.key));
      return it != named.end() ? std::vector<std::string>{lower(it->second)}
                               : std::vector<std::string>(column.aliases.begin(), column.aliases.end());
    };
    for (const std::string& field : first.fields)
      for (const CsvColumn& column : wanted)
        for (const std::string& n : names_for(column)) out.header = out.header || lower(trimmed(field)) == n;
    if (!out.header) {
      if (!named.empty()) fail_csv(path, first.line, "the file has no header row, which 'columns' needs to name the columns");
      return positional(records, path, forms);
    }
    for (const CsvColumn& column : wanted) {
      const std::vector<std::string> names = names_for(column);
      std::optional<std::size_t> found;
      for (std::size_t i = 0; i < first.fields.size(); ++i) {
        if (std::find(names.begin(), names.end(), lower(trimmed(first.fields[i]))) == names.end()) continue;
        if (found)
          fail_csv(path, first.line, "both " + in_quotes(first.fields[*found]) + " and " + in_quotes(first.fields[i]) +
                                         " are columns for " + std::string(column.key) + "; name one in 'columns'");
        found = i;
      }
      std::string listed;
      for (const std::string& n : names) listed.append(listed.empty() ? "" : " or ").append(n);
      if (!found && column.required)
        fail_csv(path, first.line, "the header has no " + std::string(column.key) + " column (" + listed + ")");
      if (found) out.at[column.key] = *found;
    }
    // Every row has the header's fields: a row with more or fewer is a
    // comma too many or too few.
    out.fields = first.fields.size();
    for (const std::string& field : first.fields) out.form.append(out.form.empty() ? "" : ",").append(trimmed(field));
    records.erase(records.begin());
    return out;
  }

  // The columns by position: the form with as many fields as the first row.
  static Columns positional(const std::vector<CsvRecord>& records, const std::string& path,
                            std::span<const std::vector<std::string_view>> forms) {
    const CsvRecord& first = records.front();
    std::string forms_text;
    for (const std::vector<std::string_view>& form : forms) {
      std::string text;
      for (std::string_view f : form) text.append(text.empty() ? "" : ",").append(f);
      forms_text.append(forms_text.empty() ? "" : " or ").append(text);
      if (form.size() != first.fields.size()) continue;
      Columns out;
      out.fields = form.size();
      out.form = text;
      for (std::size_t i = 0; i < form.size(); ++i) out.at[form[i] == "limit_ft" ? "limit" : form[i]] = i;
      return out;
    }
    fail_csv(path, first.line, "a row of " + std::to_string(first.fields.size()) + " fields; the rows must be " + forms_text);
  }

  static void check_row(const CsvRecord& r, const Columns& c, const std::string& path) { check_count(r, c.fields, path, c.form); }

  // A field of an optional column, or nothing when it is absent or empty.
  static std::optional<std::size_t> present(const CsvRecord& r, const Columns& c, std::string_view key) {
    const auto it = c.at.find(key);
    if (it == c.at.end() || it->second >= r.fields.size() || trimmed(r.fields[it->second]).empty()) return std::nullopt;
    return it->second;
  }

  static double csv_number(const CsvRecord& r, std::size_t i, std::string_view field, const std::string& path,
                           bool single) {
    const std::optional<double> v = parse_number(r.fields[i]);
    if (!v) fail_csv(path, r.line, "the " + std::string(field) + " field is not a number: " + in_quotes(r.fields[i]));
    if (single && !std::isfinite(static_cast<float>(*v)))
      fail_csv(path, r.line, "the " + std::string(field) + " " + base::shortest_text(*v) +
                                 " lies beyond single precision's range (3.4e38)");
    return *v;
  }

  static void check_count(const CsvRecord& r, std::size_t fields, const std::string& path, const std::string& form) {
    if (r.fields.size() != fields)
      fail_csv(path, r.line, "a row of " + std::to_string(r.fields.size()) + " fields; the rows of this file have " +
                                 std::to_string(fields) + " (" + form + ")");
  }

  static std::string csv_name(const CsvRecord& r, const std::string& path, std::size_t i = 0) {
    std::string n = trimmed(r.fields[i]);
    if (n.empty()) fail_csv(path, r.line, "the name field is empty");
    if (const std::string why = name_fault(n); !why.empty()) fail_csv(path, r.line, "the name field " + why);
    return n;
  }

  void read_wells_file(const std::string& path, const std::map<std::string, std::string>& named, Study& s) {
    s.inputs.push_back(path);
    files_.push_back(path);
    std::vector<CsvRecord> records = csv_records(path, "wells file");
    well_names_.reserve(well_names_.size() + records.size());
    static const std::vector<std::string_view> kForms[] = {{"name", "x", "y", "rate"},
                                                           {"name", "x", "y", "start_day", "rate"}};
    const Columns c = csv_columns(records, path, kWellColumns, named, kForms);
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
        if (!(w.radius > 0.0)) fail_csv(path, r.line, "the radius field must be above 0 feet, not " + base::shortest_text(w.radius));
      }
      const Origin from{files_.size() - 1, r.line};
      auto fail_here = [&](const std::string& why) { fail_csv(path, r.line, why); };
      const double rate = csv_number(r, c.at.at("rate"), "rate", path, true);
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

  void read_receptors_file(const std::string& path, const std::map<std::string, std::string>& named, Study& s) {
    s.inputs.push_back(path);
    files_.push_back(path);
    std::vector<CsvRecord> records = csv_records(path, "receptors file");
    receptor_names_.reserve(receptor_names_.size() + records.size());
    s.receptors.reserve(s.receptors.size() + records.size());
    static const std::vector<std::string_view> kForms[] = {{"name", "x", "y"}, {"name", "x", "y", "limit_ft"}};
    const Columns c = csv_columns(records, path, kReceptorColumns, named, kForms);
    for (const CsvRecord& r : records) {
      check_row(r, c, path);
      Receptor receptor;
      receptor.name = csv_name(r, path, c.at.at("name"));
      receptor.x = csv_number(r, c.at.at("x"), "x", path, false);
      receptor.y = csv_number(r, c.at.at("y"), "y", path, false);
      // An empty limit field: no limit at that receptor.
      if (const auto i = present(r, c, "limit")) {
        receptor.limit = csv_number(r, *i, "limit_ft", path, false);
        if (!(*receptor.limit > 0.0))
          fail_csv(path, r.line, "the limit_ft field must be above 0 feet, not " + base::shortest_text(*receptor.limit));
      }
      add_receptor(s, std::move(receptor), Origin{files_.size() - 1, r.line});
    }
  }

  void read_output(const toml::table& t, Study& s) const {
    check_keys(t, kOutputKeys, "in [output]", kSections);
    Output& o = s.output;
    if (const toml::node* n = t.get("folder")) {
      o.relative = fs::path(inner_path(*n, "folder")).lexically_normal().string();
      if (o.relative.empty()) o.relative = ".";
      o.folder = (folder_ / o.relative).lexically_normal().string();
    }
    if (const toml::node* n = t.get("grid")) {
      o.grid = output_name(*n, "grid");
      if (!gis::grid_format_of(o.grid))
        fail(*n, "'grid' must name a " + std::string(gis::kGridEndings) + " file, not " + in_quotes(o.grid));
    }
    if (const toml::node* n = t.get("contours")) {
      o.contours = output_name(*n, "contours");
      if (!gis::vector_format_of(o.contours))
        fail(*n, "'contours' must name a " + std::string(gis::kVectorEndings) + " file, not " + in_quotes(o.contours));
    }
    if (const toml::node* n = t.get("plot")) o.plots = plot_names(*n);
    if (const toml::node* n = t.get("levels")) {
      if (o.contours.empty() && o.plots.empty()) fail(*n, "'levels' are for 'contours' and 'plot', and neither is given");
      o.levels = levels(*n);
    }
    if (const toml::node* n = t.get("hydrographs")) {
      o.hydrographs = output_name(*n, "hydrographs");
      if (!pictures::plot_format_of(o.hydrographs))
        fail(*n, "'hydrographs' must name a .png, .svg or .pdf file, not " + in_quotes(o.hydrographs));
    }
    read_picture_settings(t, o);
    check_settings(t, s);
    if (const toml::node* n = t.get("series")) o.series = output_name(*n, "series");
    if (const toml::node* n = t.get("series_times")) s.series_times = days(*n, "series_times");
    if (const toml::node* n = t.get("well_function")) {
      const std::string v = string(*n, "well_function");
      if (v == "rule")
        o.well_function = WellFunction::rule;
      else if (v == "exact")
        o.well_function = WellFunction::exact;
      else
        fail(*n, "'well_function' must be \"rule\" or \"exact\", not " + in_quotes(v));
    }
    read_compliance(t, s);
    if (const toml::node* n = t.get("points")) {
      o.points = output_name(*n, "points");
      if (gis::vector_format_of(o.points) != gis::VectorFormat::kGeoPackage)
        fail(*n, "'points' must name a .gpkg file (a GeoPackage holds both layers), not " + in_quotes(o.points));
    }
    const bool receptors = !s.receptors.empty();
    if (!o.series.empty() && !receptors) fail(*t.get("series"), "'series' needs receptors, and the study has none");
    if (!o.hydrographs.empty() && !receptors)
      fail(*t.get("hydrographs"), "'hydrographs' needs receptors, and the study has none");
  }

  // The compliance table and the exit status of an exceeded limit: each needs
  // a receptor with a limit.
  void read_compliance(const toml::table& t, Study& s) const {
    const bool limits = std::any_of(s.receptors.begin(), s.receptors.end(), [](const Receptor& r) { return r.limit.has_value(); });
    if (const toml::node* n = t.get("compliance")) {
      s.output.compliance = output_name(*n, "compliance");
      if (!limits) fail(*n, "'compliance' needs a receptor with a 'limit', and the study has none");
    }
    if (const toml::node* n = t.get("exceedance_status")) {
      const auto* b = n->as_boolean();
      if (b == nullptr) fail(*n, "'exceedance_status' must be true or false, not " + kind(*n));
      s.output.exceedance_status = b->get();
      if (s.output.exceedance_status && !limits)
        fail(*n, "'exceedance_status' needs a receptor with a 'limit', and the study has none");
    }
  }

  // The pictures: a name, or an array of distinct names, each .png, .svg or .pdf.
  std::vector<std::string> plot_names(const toml::node& n) const {
    std::vector<std::string> names;
    if (const toml::array* a = n.as_array()) {
      if (a->empty()) fail(n, "'plot' must name a picture or a list of pictures, not an empty array");
      for (const toml::node& e : *a) names.push_back(output_name(e, "plot"));
    } else {
      names.push_back(output_name(n, "plot"));
    }
    for (const std::string& name : names)
      if (!pictures::plot_format_of(name)) fail(n, "'plot' must name a .png, .svg or .pdf file, not " + in_quotes(name));
    return names;
  }

  // Contour levels: an array of numbers of feet, in the order given (each
  // once: outputs::check).
  std::vector<double> levels(const toml::node& n) const {
    const toml::array* a = n.as_array();
    if (a == nullptr || a->empty())
      fail(n, "'levels' must be an array of levels in feet, like [1.0, 5.0, 10.0], not " +
                  (a == nullptr ? kind(n) : std::string("an empty one")));
    std::vector<double> out;
    for (const toml::node& e : *a) {
      const double v = number(e, "levels");
      out.push_back(v == 0.0 ? 0.0 : v);  // -0 is 0
    }
    return out;
  }

  // The levels and the picture's settings checked as the outputs check them
  // (outputs::check), each fault at its key's line; the levels then increasing.
  void check_settings(const toml::table& t, Study& s) const {
    Output& o = s.output;
    outputs::Request r = request_of(s);
    if (!t.get("page")) r.page.reset();
    if (!t.get("dpi")) r.dpi.reset();
    if (const std::optional<outputs::Fault> f = outputs::check(r)) {
      static const char* const kKey[] = {"levels", "range", "page", "dpi"};
      const std::string key = kKey[static_cast<int>(f->setting)];
      const toml::node& n = *t.get(key);
      const std::string limits = "from " + std::to_string(pictures::kMinDpi) + " to " + std::to_string(pictures::kMaxDpi);
      switch (f->problem) {
        case outputs::Problem::kTooMany:
          fail(n, "'levels' holds more than " + std::to_string(gis::kMostLevels) + " levels");
        case outputs::Problem::kTwice:
          fail((*n.as_array())[f->index],
               "the level " + base::shortest_text(o.levels[f->index]) + " is given twice in 'levels'");
        case outputs::Problem::kOrder:
          fail(n, "'range' must have MIN below MAX, not [" + base::shortest_text(o.range->first) + ", " +
                      base::shortest_text(o.range->second) + "]");
        case outputs::Problem::kOutOfRange:
          fail(n, "'dpi' must be " + limits + ", not " + std::to_string(o.dpi));
        case outputs::Problem::kNoPicture:
          fail(n, in_quotes(key) + " is for 'plot', which is not given");
        case outputs::Problem::kNoKind:
          fail(n, in_quotes(key) + " is for a " + (f->setting == outputs::Setting::kPage ? ".pdf" : ".png") +
                      " plot, not " + (o.plots.size() == 1 ? in_quotes(o.plots.front()) : "any of the pictures of 'plot'"));
      }
    }
    std::sort(o.levels.begin(), o.levels.end());
  }

  // The picture's range, page and dpi as written (outputs::check judges them).
  void read_picture_settings(const toml::table& t, Output& o) const {
    if (const toml::node* n = t.get("range")) {
      const toml::array* a = n->as_array();
      if (a == nullptr || a->size() != 2)
        fail(*n, "'range' must be [MIN, MAX] in feet, like [0.0, 20.0], not " +
                     (a == nullptr ? kind(*n) : "an array of " + std::to_string(a->size())));
      o.range = std::pair{number((*a)[0], "range"), number((*a)[1], "range")};
    }
    if (const toml::node* n = t.get("page")) {
      const std::string v = string(*n, "page");
      const std::optional<pictures::PlotPage> page = pictures::plot_page_of(v);
      if (!page) fail(*n, "'page' must be \"letter\" or \"a4\", not " + in_quotes(v));
      o.page = *page;
    }
    if (const toml::node* n = t.get("dpi"))
      o.dpi = whole(*n, "dpi", std::numeric_limits<std::int32_t>::min(),
                    "from " + std::to_string(pictures::kMinDpi) + " to " + std::to_string(pictures::kMaxDpi));
  }

  // Every well and receptor must lie within kFarthestPosition nodes of the grid.
  void check_positions(const Study& s) const {
    const Grid& g = s.grid;
    auto check = [&](const std::string& what, const std::string& name, double x, double y) {
      const double px = node_position(x, g.xll, g.spacing);
      const double py = node_position(y, g.yll, g.spacing);
      if (!(std::fabs(px) < kFarthestPosition && std::fabs(py) < kFarthestPosition))
        throw StudyError{file() + ": " + what + " " + in_quotes(name) + " at (" + base::shortest_text(x) + ", " + base::shortest_text(y) +
                         ") lies more than 16777216 nodes from the grid"};
    };
    for (const Well& w : s.wells) check("well", w.name, w.x, w.y);
    for (const Receptor& r : s.receptors) check("receptor", r.name, r.x, r.y);
  }

  // The [[boundary]] tables: at most two, each a stream or a barrier through
  // two distinct points, the pair perpendicular or parallel, every well and
  // receptor strictly on the aquifer's side (the side of the first well).
  void read_boundaries(const toml::node& n, Study& s) const {
    const auto all = tables(n, "boundary");
    if (all.size() > 2) fail(*all[2].first, "a study takes at most two [[boundary]] tables, not " + std::to_string(all.size()));
    std::vector<std::size_t> lines;
    for (const auto& [t, where] : all) {
      s.boundaries.push_back(read_boundary(*t, where));
      lines.push_back(t->source().begin.line);
    }
    const Well& first = s.wells.front();
    for (std::size_t i = 0; i < s.boundaries.size(); ++i) {
      const scenario::Line line = *line_toward(s.boundaries[i], first.x, first.y);
      auto check = [&](const char* what, const std::string& name, double x, double y) {
        const double d = line.distance(x, y);
        if (d > 0.0) return;
        fail(lines[i], std::string(what) + " " + in_quotes(name) + " lies " + (d == 0.0 ? "on" : "beyond") + " the " +
                           kind_name(s.boundaries[i].kind) + " " + in_quotes(s.boundaries[i].name) +
                           "; the aquifer is on the side of well " + in_quotes(first.name));
      };
      for (const Well& w : s.wells) check("well", w.name, w.x, w.y);
      for (const Receptor& r : s.receptors) check("receptor", r.name, r.x, r.y);
    }
    if (const auto why = pair_fault(s.boundaries, first.x, first.y)) fail(lines[1], *why);
  }

  Boundary read_boundary(const toml::table& t, const std::string& where) const {
    check_keys(t, kBoundaryKeys, "in " + where, kSections);
    const std::size_t line = t.source().begin.line;
    Boundary b;
    const toml::node& kind = required(t, "kind", where, line);
    const std::string k = string(kind, "kind");
    if (k != "stream" && k != "barrier")
      fail(kind, "'kind' of " + where + " must be \"stream\" (constant head) or \"barrier\" (no flow), not " + in_quotes(k));
    b.kind = k == "stream" ? BoundaryKind::stream : BoundaryKind::barrier;
    b.name = name(t, where);
    auto point = [&](std::string_view key, double& x, double& y) {
      const toml::node& p = required(t, key, where, line);
      const toml::array* a = p.as_array();
      if (a == nullptr || a->size() != 2) fail(p, in_quotes(key) + " of " + where + " must be a map point [x, y]");
      x = number((*a)[0], key);
      y = number((*a)[1], key);
    };
    point("from", b.x0, b.y0);
    point("to", b.x1, b.y1);
    if (!line_toward(b, 0.0, 0.0)) fail(line, "'from' and 'to' of " + where + " (" + in_quotes(b.name) + ") are the same point");
    return b;
  }

  fs::path folder_;
  const ReadFile& read_;
  std::atomic<std::uint64_t>* rows_;
  std::vector<std::string> files_;  // the study file, then each CSV file read
  std::unordered_map<std::string, Origin> well_names_;      // name: where it was given
  std::unordered_map<std::string, Origin> receptor_names_;  // likewise
};

}  // namespace

Study read_study(std::string_view text, const std::string& file, const ReadFile& read,
                 std::atomic<std::uint64_t>* rows) {
  return Reader(file, read, rows).read(text);
}

Study read_study_file(const std::string& file, std::atomic<std::uint64_t>* rows) {
  std::string why;
  const std::optional<std::string> text = read_file(file, why, kLargestStudyFile);
  if (!text) throw StudyError{"cannot read the study file " + in_quotes(file) + ": " + why};
  // The CSV files must lie inside the study file's folder also after their
  // links are followed: a study received from someone else reads nothing
  // beside it.
  const fs::path folder = inputs::real_folder_of(file);
  std::map<std::string, std::string> digests{{file, files::sha256_hex(*text)}};
  const ReadFile inside = [&](const std::string& path, std::string& reason) -> std::optional<std::string> {
    if (!inputs::lies_inside(folder, path)) {
      reason = "it lies outside the study file's folder";
      return std::nullopt;
    }
    std::optional<std::string> bytes = read_file(path, reason);
    if (bytes) digests[path] = files::sha256_hex(*bytes);
    return bytes;
  };
  Study s = read_study(*text, file, inside, rows);
  for (const std::string& input : s.inputs) s.input_digests.push_back(digests[input]);
  return s;
}

}  // namespace study
