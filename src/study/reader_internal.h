// The study file reader's parts: one class, its member functions defined in
// a file per TOML section or concern (reader_values.cc, reader_aquifer.cc,
// reader_points.cc, reader_csv.cc, reader_output.cc, reader_boundaries.cc,
// reader_units.cc; reader.cc reads the top level, reader_file.cc reads
// files). For the reader's files only.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <toml++/toml.h>

#include "base/shortest_text.h"
#include "inputs/csv.h"
#include "inputs/csv_header.h"
#include "inputs/names.h"
#include "inputs/read_file.h"
#include "inputs/toml_reader.h"
#include "scenario/units.h"
#include "study/reader.h"
#include "study/study.h"
#include "uncertainty/realizations.h"

namespace study {

// The readers' common ground, as the study reader's files use it.
using inputs::ColumnUnit;
using inputs::CsvError;
using inputs::CsvRecord;
using inputs::HeaderColumn;
using inputs::HeaderError;
using inputs::HeaderMatch;
using inputs::HeaderUnits;
using inputs::KeySection;
using inputs::ReadFile;
using inputs::TomlReader;
using inputs::csv_delimiter;
using inputs::decimal_comma;
using inputs::in_quotes;
using inputs::is_header;
using inputs::kind;
using inputs::kLargestStudyFile;
using inputs::match_header;
using inputs::name_fault;
using inputs::parse_csv;
using inputs::parse_number;
using inputs::read_file;
// The units of a scenario, as the reader takes them.
using scenario::kLeakanceNames;
using scenario::kLengthNames;
using scenario::kRateNames;
using scenario::kTransmissivityNames;
using scenario::LengthUnit;
using scenario::NamedUnit;
using scenario::leakance_unit;
using scenario::length_unit;
using scenario::rate_unit;
using scenario::transmissivity_unit;

}  // namespace study

namespace study::reading {

inline constexpr std::string_view kTopKeys[] = {"title", "crs",  "times",    "wells_file", "receptors_file",
                                                "aquifer", "grid", "well", "receptor",   "output", "boundary",
                                                "units", "fit", "uncertainty", "allocation", "start_date"};
inline constexpr std::string_view kUnitKeys[] = {"length", "rate", "transmissivity", "leakance"};
inline constexpr std::string_view kAquiferKeys[] = {"transmissivity", "leakance", "storage", "from"};
inline constexpr std::string_view kGridKeys[] = {"xll", "yll", "spacing", "columns", "rows"};
inline constexpr std::string_view kWellKeys[] = {"name", "x", "y", "rate", "schedule", "radius",
                                                 "min_factor", "max_factor", "fixed", "weight"};
inline constexpr std::string_view kReceptorKeys[] = {"name", "x", "y", "limit"};
inline constexpr std::string_view kBoundaryKeys[] = {"kind", "name", "from", "to", "streambed_conductance", "depletion_limit",
                                                     "depletion_limit_fraction"};
inline constexpr std::string_view kOutputKeys[] = {"folder", "grid",   "contours", "levels",      "plot",
                                            "range",  "page",   "dpi",      "series",      "series_times",
                                            "hydrographs", "well_function", "compliance", "exceedance_status", "points",
                                                   "depletion", "depletion_hydrographs", "contributions", "allocation",
                                                   "memo", "time_axis", "probability", "probability_level"};
inline constexpr std::string_view kUncertaintyKeys[] = {"samples",      "transmissivity", "storage", "leakance",
                                                        "correlations", "realizations",   "seed",    "reliability"};

// The columns of a wells or receptors CSV file: each one's key, the header
// names it goes by (csv_header.h), whether the file must have it and the
// kind of unit a header may name for it.
inline const std::vector<HeaderColumn> kWellColumns = {
    {"name", {"name", "id", "label"}, true, ColumnUnit::none},
    {"x", {"x", "easting"}, true, ColumnUnit::length},
    {"y", {"y", "northing"}, true, ColumnUnit::length},
    {"rate", {"rate", "rate_gpd"}, true, ColumnUnit::rate},
    {"start_day", {"start_day"}, false, ColumnUnit::none},
    {"radius", {"radius", "radius_ft"}, false, ColumnUnit::length},
};
inline const std::vector<HeaderColumn> kReceptorColumns = {
    {"name", {"name", "id", "label"}, true, ColumnUnit::none},
    {"x", {"x", "easting"}, true, ColumnUnit::length},
    {"y", {"y", "northing"}, true, ColumnUnit::length},
    {"limit", {"limit", "limit_ft"}, false, ColumnUnit::length},
};
inline constexpr std::string_view kCsvInputKeys[] = {"file", "columns"};
inline constexpr std::string_view kAllocationKeys[] = {"objective"};

// Where each table's keys go, for a key written in the wrong table.
inline constexpr KeySection kSections[] = {
    {"at the top of the file, before the first table", kTopKeys},
    {"in 'units'", kUnitKeys},
    {"in [aquifer]", kAquiferKeys},
    {"in [grid]", kGridKeys},
    {"in a [[well]] table", kWellKeys},
    {"in a [[receptor]] table", kReceptorKeys},
    {"in a [[boundary]] table", kBoundaryKeys},
    {"in [output]", kOutputKeys},
    {"in [uncertainty]", kUncertaintyKeys},
    {"in [allocation]", kAllocationKeys},
};

// Wells and receptors this far from the grid, in nodes, are refused: beyond it
// a single node-unit position holds no fraction of a node.
inline constexpr double kFarthestPosition = 16777216.0;

/// `s` without the blanks (spaces, tabs) around it.
std::string trimmed(std::string_view s);
/// `s` in lower case (ASCII letters).
std::string lower(std::string_view s);

/// The reader of one study file and the CSV files it names.
class StudyReader : public TomlReader {
 public:
  StudyReader(const std::string& file, const ReadFile& read, std::atomic<std::uint64_t>* rows)
      : TomlReader(file), folder_(std::filesystem::path(file).parent_path()), read_(read), rows_(rows), files_{file} {}

  Study read(std::string_view text);

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

  // A CSV input as the study names it: a file name, or a table
  // { file = "...", columns = { x = "EASTING", ... } } naming its columns.
  struct CsvInput {
    std::string name;
    std::map<std::string, std::string> named;  // key: the header's name for it
  };

  std::string csv_path(const std::string& name) const { return (folder_ / name).string(); }

  std::optional<std::string> optional_string(const toml::table& t, std::string_view key) const;

  // A file or folder the study names: relative to the study file's folder and
  // inside it (no '..' that leaves it).
  std::string inner_path(const toml::node& n, std::string_view key) const;

  // An output's name: a plain file name in the output folder.
  std::string output_name(const toml::node& n, std::string_view key) const;

  // A number the evaluation takes in single precision: within its range.
  double single_number(const toml::node& n, std::string_view key) const;

  std::int32_t whole(const toml::node& n, std::string_view key, std::int64_t least, const std::string& what) const;

  // Days: an array of increasing numbers above 0.
  std::vector<double> days(const toml::node& n, std::string_view key) const;

  void read_aquifer(const toml::table& t, Study& s) const;

  void read_grid(const toml::table& t, Grid& g) const;

  std::string name(const toml::table& t, const std::string& where) const;

  // Registers `name` (a `what`, given at `from`) in `names`; a name given
  // before is refused, naming where it was first given.
  void register_name(std::unordered_map<std::string, Origin>& names, const std::string& name,
                     std::string_view what, const Origin& from) const;

  void add_well(Study& s, Well w, const Origin& from);

  void add_receptor(Study& s, Receptor r, const Origin& from);

  // The name and map position of a [[well]] or [[receptor]] table whose keys
  // are checked against `keys`.
  template <typename Point>
  void read_named_point(const toml::table& t, std::span<const std::string_view> keys, const std::string& where,
                        Point& p) const;

  void read_well(const toml::table& t, const std::string& where, Study& s);

  // A number of feet above 0 (a well's radius, a receptor's limit).
  double positive(const toml::node& n, std::string_view key) const;

  void read_receptor(const toml::table& t, const std::string& where, Study& s);

  std::vector<CsvRecord> csv_records(const std::string& path, std::string_view what) const;

  CsvInput csv_input(const toml::node& n, std::string_view key, std::span<const HeaderColumn> wanted) const;

  // Where each column is in the records of a CSV file: by its header when the
  // first record is one (it names a column: extra columns are passed over), by
  // position otherwise (`forms`, chosen by the number of fields). The header
  // is removed; every row has as many fields as the first.
  struct Columns {
    std::map<std::string_view, std::size_t> at;  // key: field index
    bool header = false;
    std::size_t fields = 0;  // the fields of every row
    std::string form;        // the columns, for messages
    std::vector<std::string> notes;  // the header's close names taken, its columns not read
  };
  Columns csv_columns(std::vector<CsvRecord>& records, const std::string& path, std::span<const HeaderColumn> wanted,
                      const std::map<std::string, std::string>& named,
                      std::span<const std::vector<std::string_view>> forms) const;

  // The columns by position: the form with as many fields as the first row.
  Columns positional(const std::vector<CsvRecord>& records, const std::string& path,
                     std::span<const std::vector<std::string_view>> forms) const;

  // The units a CSV header may name, the study's.
  HeaderUnits header_units() const {
    return HeaderUnits{std::string(units_.length.name), std::string(units_.rate.name), "", "the study's",
                       "the study's 'units' sets them"};
  }
  double csv_rate(const CsvRecord& r, std::size_t i, const std::string& path) const;
  static std::string extra_columns_note(const std::vector<std::string>& extra, std::span<const HeaderColumn> wanted);

  // The study's units: the 'units' table.
  Units read_units(const toml::table& t) const;
  // A value in the study's unit as the engine takes it (`engine`), within
  // single precision's range; `n` holds it as given.
  double engine_value(const toml::node& n, std::string_view key, double engine) const;
  // [aquifer] from the file a fit wrote ('from').
  Aquifer aquifer_from(const toml::node& n, Study& s) const;
  // A [fit] table pasted into the study: noted, not read.
  void note_fit_table(const toml::node& n, Study& s) const;

  // A field of an optional column, or nothing when it is absent or empty.
  static std::optional<std::size_t> present(const CsvRecord& r, const Columns& c, std::string_view key);

  static double csv_number(const CsvRecord& r, std::size_t i, std::string_view field, const std::string& path,
                           bool single);

  static void check_count(const CsvRecord& r, std::size_t fields, const std::string& path, const std::string& form);

  static std::string csv_name(const CsvRecord& r, const std::string& path, std::size_t i = 0);

  void read_wells_file(const std::string& path, const std::map<std::string, std::string>& named, Study& s);

  void read_receptors_file(const std::string& path, const std::map<std::string, std::string>& named, Study& s);

  void read_output(const toml::table& t, Study& s) const;

  // The compliance table and the exit status of an exceeded limit: each needs
  // a receptor with a limit.
  void read_compliance(const toml::table& t, Study& s) const;

  // The pictures: a name, or an array of distinct names, each .png, .svg or .pdf.
  std::vector<std::string> plot_names(const toml::node& n) const;

  // Contour levels: an array of numbers of feet, in the order given (each
  // once: outputs::check).
  std::vector<double> levels(const toml::node& n) const;

  // The levels and the picture's settings checked as the outputs check them
  // (outputs::check), each fault at its key's line; the levels then increasing.
  void check_settings(const toml::table& t, Study& s) const;

  // The picture's range, page and dpi as written (outputs::check judges them).
  void read_picture_settings(const toml::table& t, Output& o) const;

  // Every well and receptor must lie within kFarthestPosition nodes of the grid.
  void check_positions(const Study& s) const;

  // The [[boundary]] tables: at most two, each a stream or a barrier through
  // two distinct points, the pair perpendicular or parallel, every well and
  // receptor strictly on the aquifer's side (the side of the first well).
  void read_boundaries(const toml::node& n, Study& s) const;

  Boundary read_boundary(const toml::table& t, const std::string& where) const;

  static void check_row(const CsvRecord& r, const Columns& c, const std::string& path) { check_count(r, c.fields, path, c.form); }

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

  // [uncertainty] (reader_uncertainty.cc): the samples file, a parameter's
  // range (p: uncertainty::Parameter) and the correlations.
  void read_uncertainty(const toml::table& t, Study& s);
  void read_samples(const toml::node& n, Study& s, uncertainty::Draws& settings);
  std::optional<uncertainty::Range> uncertain_range(const toml::table& t, std::size_t p) const;
  void read_correlations(const toml::node& n, uncertainty::Draws& settings) const;

  Units units_;  // the study's, once read
  std::filesystem::path folder_;
  const ReadFile& read_;
  std::atomic<std::uint64_t>* rows_;
  std::vector<std::string> files_;  // the study file, then each CSV file read
  bool stream_limits_ = false;      // a [[boundary]] gives a depletion limit
  std::unordered_map<std::string, Origin> well_names_;      // name: where it was given
  std::unordered_map<std::string, Origin> receptor_names_;  // likewise
};

}  // namespace study::reading
