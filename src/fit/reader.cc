#include "fit/reader.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <span>
#include <vector>

#include <toml++/toml.h>

#include "base/shortest_text.h"
#include "pictures/plot.h"
#include "base/text_table.h"
#include "inputs/csv.h"
#include "inputs/csv_header.h"
#include "inputs/names.h"
#include "inputs/toml_reader.h"
#include "fit/models.h"
#include "fit/samples.h"
#include "fit/derivative.h"

namespace fit {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTopKeys[] = {"title", "units", "well", "observation", "fit", "aquifer", "output"};
constexpr std::string_view kUnitKeys[] = {"length", "time", "rate"};
constexpr std::string_view kWellKeys[] = {"name", "x", "y", "rate", "schedule"};
constexpr std::string_view kObservationKeys[] = {"name", "x", "y", "file", "weight"};
constexpr std::string_view kFitKeys[] = {"parameters"};
constexpr std::string_view kOutputKeys[] = {"folder", "type_curves", "residual_plot", "dpi", "page", "samples",
                                            "samples_count", "derivative"};

std::string text(double v) { return base::shortest_text(v); }

using inputs::in_quotes;

class TestReader : public inputs::TomlReader {
 public:
  TestReader(const std::string& file, const inputs::ReadFile& read)
      : TomlReader(file), folder_(fs::path(file).parent_path()), read_(read) {}

  PumpingTest read(std::string_view text) {
    const toml::table root = parse(text);
    check_keys(root, kTopKeys, "at the top of the file");
    PumpingTest t;
    t.file = file();
    t.inputs.push_back(file());
    t.title = fs::path(file()).filename().string();
    if (const toml::node* n = root.get("title")) {
      t.title = string(*n, "title");
      if (const std::string why = inputs::name_fault(t.title); !why.empty()) fail(*n, "'title' " + why);
    }
    if (const toml::node* n = root.get("units")) t.units = units(table(*n, "units"));
    if (const toml::node* n = root.get("well"))
      for (const auto& [w, where] : tables(*n, "well")) t.wells.push_back(well(*w, t.units));
    if (t.wells.empty()) fail(0, "the test has no pumped well: give a [[well]] table");
    if (const toml::node* n = root.get("observation"))
      for (const auto& [o, where] : tables(*n, "observation")) t.observations.push_back(observation(*o, t));
    if (t.observations.empty()) fail(0, "the test has no observations: give [[observation]] tables");
    read_fit(root, t);
    t.output.folder = t.output_base = folder_.empty() ? "." : folder_.string();
    if (const toml::node* n = root.get("output")) read_output(table(*n, "output"), t);
    return t;
  }

 private:
  // A number in the unit `factor` converts to the program's: finite there too.
  double converted(const toml::node& n, std::string_view key, double factor) const {
    const double given = number(n, key), v = given * factor;
    if (!std::isfinite(v)) fail(n, in_quotes(key) + " is too large: " + text(given) + " is beyond the program's range");
    return v;
  }

  double positive(const toml::node& n, std::string_view key) const {
    const double v = number(n, key);
    if (!(v > 0.0)) fail(n, in_quotes(key) + " must be above 0, not " + text(v));
    return v;
  }

  template <typename Find>
  Unit unit(const toml::table& t, std::string_view key, Find find, std::string_view names, Unit unit) const {
    if (const toml::node* n = t.get(key)) {
      const std::string v = string(*n, key);
      const std::optional<Unit> u = find(v);
      if (!u) fail(*n, "the " + std::string(key) + " unit must be " + std::string(names) + ", not " + in_quotes(v));
      unit = *u;
    }
    return unit;
  }

  Units units(const toml::table& t) const {
    check_keys(t, kUnitKeys, "in 'units'");
    Units u;
    u.length = unit(t, "length", length_unit, kLengthNames, u.length);
    u.time = unit(t, "time", time_unit, kTimeNames, u.time);
    u.rate = unit(t, "rate", rate_unit, kRateNames, u.rate);
    return u;
  }

  std::string name(const toml::table& t, const std::string& where, std::set<std::string>& names) const {
    const toml::node& n = required(t, "name", where);
    const std::string v = string(n, "name");
    if (v.empty()) fail(n, where + " has an empty 'name'");
    if (const std::string why = inputs::name_fault(v); !why.empty()) fail(n, "'name' of " + where + " " + why);
    if (!names.insert(v).second) fail(n, "a second " + where + " named " + in_quotes(v));
    return v;
  }

  Well well(const toml::table& t, const Units& u) {
    check_keys(t, kWellKeys, "in a [[well]] table");
    Well w;
    w.name = name(t, "[[well]]", well_names_);
    w.x = converted(required(t, "x", "[[well]]"), "x", u.length.factor);
    w.y = converted(required(t, "y", "[[well]]"), "y", u.length.factor);
    const toml::node* rate = t.get("rate");
    const toml::node* schedule = t.get("schedule");
    if ((rate == nullptr) == (schedule == nullptr))
      fail(t.source().begin.line, "[[well]] " + in_quotes(w.name) + " must have either 'rate' or 'schedule'");
    if (rate != nullptr) w.steps.push_back({0.0, converted(*rate, "rate", u.rate.factor)});
    const toml::array* a = schedule != nullptr ? schedule->as_array() : nullptr;
    if (schedule != nullptr && (a == nullptr || a->empty()))
      fail(*schedule, "'schedule' must be an array of [start time, rate] steps, like [[0.0, 788.0], [840.0, 0.0]]");
    for (std::size_t i = 0; a != nullptr && i < a->size(); ++i) {
      const toml::array* step = (*a)[i].as_array();
      if (step == nullptr || step->size() != 2) fail((*a)[i], "each step of 'schedule' must be [start time, rate]");
      const double day = converted((*step)[0], "start time", u.time.factor);
      if (day < 0.0 || (!w.steps.empty() && day <= w.steps.back().day))
        fail((*a)[i], "the start times of 'schedule' must be 0 or more and increase");
      w.steps.push_back({day, converted((*step)[1], "rate", u.rate.factor)});
    }
    return w;
  }

  Observation observation(const toml::table& t, PumpingTest& test) {
    check_keys(t, kObservationKeys, "in an [[observation]] table");
    Observation o;
    o.name = name(t, "[[observation]]", observation_names_);
    o.x = converted(required(t, "x", "[[observation]]"), "x", test.units.length.factor);
    o.y = converted(required(t, "y", "[[observation]]"), "y", test.units.length.factor);
    if (const toml::node* n = t.get("weight")) o.weight = positive(*n, "weight");
    const toml::node& file = required(t, "file", "[[observation]]");
    o.file = (folder_ / file_name(file, "file")).string();
    test.inputs.push_back(o.file);
    o.readings = readings(o.file, test.units);
    return o;
  }

  std::vector<Reading> readings(const std::string& path, const Units& u) const;
  void read_fit(const toml::table& root, PumpingTest& t) const;
  void read_output(const toml::table& t, PumpingTest& test) const;
  void read_samples(const toml::table& t, PumpingTest& test) const;

  fs::path folder_;
  const inputs::ReadFile& read_;
  std::set<std::string> well_names_, observation_names_;
};

}  // namespace
}  // namespace fit

namespace fit {
namespace {

// The columns of an observation file: the time since pumping began and the
// drawdown, a header naming them (in either order, with units that must be
// the test's) or the first being the time.
const std::vector<inputs::HeaderColumn> kReadingColumns = {
    {"time", {"time", "t"}, true, inputs::ColumnUnit::time},
    {"drawdown", {"drawdown", "s", "dd"}, true, inputs::ColumnUnit::length},
};

std::vector<Reading> TestReader::readings(const std::string& path, const Units& u) const {
  std::string why;
  const std::optional<std::string> bytes = read_(path, why);
  if (!bytes) throw TestFileError{file() + ": cannot read the observation file " + in_quotes(path) + ": " + why};
  std::vector<inputs::CsvRecord> records;
  try {
    records = inputs::parse_csv(*bytes, inputs::csv_delimiter(*bytes));
  } catch (const inputs::CsvError& e) {
    throw TestFileError{path + ":" + std::to_string(e.line) + ": " + e.what};
  }
  auto fail_at = [&](std::size_t line, const std::string& what) {
    throw TestFileError{path + ":" + std::to_string(line) + ": " + what};
  };
  std::size_t at_time = 0, at_drawdown = 1;
  if (!records.empty() && inputs::is_header(records.front().fields, kReadingColumns)) {
    const inputs::HeaderUnits units{std::string(u.length.name), "", std::string(u.time.name), "the test's",
                                    "the test's 'units' sets them"};
    try {
      const inputs::HeaderMatch m = inputs::match_header(records.front().fields, kReadingColumns, units);
      at_time = m.at.at("time"), at_drawdown = m.at.at("drawdown");
    } catch (const inputs::HeaderError& e) {
      fail_at(records.front().line, e.what);
    }
    records.erase(records.begin());
  }
  std::vector<Reading> out;
  for (const inputs::CsvRecord& r : records) {
    if (r.fields.size() != 2) fail_at(r.line, "a row of " + std::to_string(r.fields.size()) + " fields; the rows are time,drawdown");
    const std::optional<double> time = inputs::parse_number(r.fields[at_time]);
    const std::optional<double> drawdown = inputs::parse_number(r.fields[at_drawdown]);
    for (const std::size_t i : {at_time, at_drawdown})
      if (!inputs::parse_number(r.fields[i]) && inputs::decimal_comma(r.fields[i]))
        fail_at(r.line, "the " + std::string(i == at_time ? "time" : "drawdown") + " " + in_quotes(r.fields[i]) +
                            " has a decimal comma; write numbers with a decimal point");
    if (!time || !drawdown) fail_at(r.line, "the time and the drawdown must be numbers");
    if (*time == 0.0 && *drawdown == 0.0) continue;  // the start of pumping: nothing to fit
    if (!(*time > 0.0)) fail_at(r.line, "the time must be after pumping began (above 0), not " + text(*time));
    const double day = *time * u.time.factor, drawdown_ft = *drawdown * u.length.factor;
    if (!(day > 0.0) || !std::isfinite(day) || !std::isfinite(drawdown_ft))
      fail_at(r.line, "the time and the drawdown must lie within the program's range, not " + text(*time) + " and " +
                          text(*drawdown));
    if (!out.empty() && !(day > out.back().day))
      fail_at(r.line, "the times must increase: " + text(*time) + " follows " + text(out.back().day / u.time.factor));
    out.push_back({day, drawdown_ft, r.line, *time, *drawdown});
  }
  if (out.empty()) throw TestFileError{path + ": the observation file holds no readings"};
  return out;
}

// The names of the model's parameters, as a message lists them:
// "\"a\", \"b\" and \"c\"".
std::string listed(const std::vector<ParameterInfo>& info) {
  std::string out;
  for (std::size_t j = 0; j < info.size(); ++j)
    out += std::string(j == 0 ? "" : j + 1 == info.size() ? " and " : ", ") + "\"" + std::string(info[j].name) + "\"";
  return out;
}

void TestReader::read_fit(const toml::table& root, PumpingTest& t) const {
  const std::vector<ParameterInfo>& info = *model_parameters(t.model);
  std::vector<std::string_view> names;
  for (const ParameterInfo& p : info) names.push_back(p.name);
  FitSettings& f = t.fit;
  f = default_settings(t.model);
  if (const toml::node* n = root.get("fit")) {
    const toml::table& fit = table(*n, "fit");
    check_keys(fit, kFitKeys, "in [fit]");
    if (const toml::node* p = fit.get("parameters")) {
      const toml::array* a = p->as_array();
      if (a == nullptr || a->empty()) fail(*p, "'parameters' must be an array of parameter names, like [\"" +
                                                   std::string(names[0]) + "\", \"" + std::string(names[1]) + "\"]");
      f.fitted.assign(info.size(), false);
      for (const toml::node& e : *a) {
        const std::string v = string(e, "parameters");
        const auto it = std::find(names.begin(), names.end(), v);
        if (it == names.end()) fail(e, "'parameters' holds " + in_quotes(v) + "; they are " + listed(info));
        if (f.fitted[it - names.begin()]) fail(e, in_quotes(v) + " is given twice in 'parameters'");
        f.fitted[it - names.begin()] = true;
      }
    }
  }
  const toml::table* aquifer = root.get("aquifer") ? &table(*root.get("aquifer"), "aquifer") : nullptr;
  if (aquifer != nullptr) check_keys(*aquifer, names, "in [aquifer]");
  for (std::size_t j = 0; j < info.size(); ++j) {
    const std::string name(names[j]);
    const toml::node* n = aquifer != nullptr ? aquifer->get(name) : nullptr;
    const double v = n == nullptr ? 0.0 : number(*n, name);
    const bool zero_held = info[j].zero_when_held;
    if (n != nullptr && !(v > 0.0 || (zero_held && v == 0.0 && !f.fitted[j])))
      fail(*n, in_quotes(name) + " must be above 0" + (zero_held ? " (or 0 when not fitted)" : "") + ", not " + text(v));
    if (f.fitted[j] && n != nullptr) f.start[j] = v;
    if (!f.fitted[j] && n == nullptr && !zero_held)
      fail(aquifer != nullptr ? aquifer->source().begin.line : 0,
           "the " + name + " is not fitted, so [aquifer] must give its value");
    if (!f.fitted[j]) f.fixed[j] = v;
  }
  std::size_t readings = 0;
  for (const Observation& o : t.observations) readings += o.readings.size();
  const std::size_t fitted = static_cast<std::size_t>(std::count(f.fitted.begin(), f.fitted.end(), true));
  if (readings <= fitted)
    fail(0, "the observations hold " + std::to_string(readings) + " readings, too few to fit " + std::to_string(fitted) +
                " parameters");
}

void TestReader::read_output(const toml::table& t, PumpingTest& test) const {
  check_keys(t, kOutputKeys, "in [output]");
  outputs::Request& o = test.output;
  if (const toml::node* n = t.get("folder")) {
    const fs::path folder = string(*n, "folder");
    for (const fs::path& part : folder)
      if (folder.empty() || folder.is_absolute() || part == "..")
        fail(*n, "'folder' must be a folder below the test file's, without '..', not " + in_quotes(folder.string()));
    o.folder = (folder_ / folder).string();
    test.output_relative = folder.string();
  }
  auto picture = [&](std::string_view key, std::string& name) {
    const toml::node* n = t.get(key);
    if (n == nullptr) return;
    name = string(*n, key);
    const std::string ending = fs::path(name).extension().string();
    const bool named = !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
    if (!name.empty() && (!named || (ending != ".png" && ending != ".svg" && ending != ".pdf")))
      fail(*n, in_quotes(key) + " must name a " + std::string(pictures::kPictureEndings) + " file in the output folder (or be \"\"), not " +
                   in_quotes(name));
  };
  picture("type_curves", o.type_curves);
  picture("residual_plot", o.residual_plot);
  picture("derivative", o.derivative);
  if (const toml::node* n = t.get("derivative"); n != nullptr && !o.derivative.empty() && !has_derivative(test))
    fail(*n, "'derivative' needs an observation with 3 readings or more (ds/d ln t between its first and last)");
  if (const toml::node* n = t.get("dpi")) {
    const double v = number(*n, "dpi");
    if (!(v >= pictures::kMinDpi && v <= pictures::kMaxDpi) || std::trunc(v) != v)
      fail(*n, "'dpi' must be a whole number from " + std::to_string(pictures::kMinDpi) + " to " +
                   std::to_string(pictures::kMaxDpi));
    o.dpi = static_cast<int>(v);
  }
  if (const toml::node* n = t.get("page")) {
    const std::string page = string(*n, "page");
    const std::optional<pictures::PlotPage> p = pictures::plot_page_of(page);
    if (!p) fail(*n, "'page' must be \"letter\" or \"a4\", not " + in_quotes(page));
    o.page = p;
  }
  read_samples(t, test);
}

void TestReader::read_samples(const toml::table& t, PumpingTest& test) const {
  if (const toml::node* n = t.get("samples")) {
    const std::string name = string(*n, "samples");
    const bool named = !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
    if (!named || fs::path(name).extension() != ".csv")
      fail(*n, "'samples' must name a .csv file in the output folder, not " + in_quotes(name));
    test.output.samples = name;
  }
  if (const toml::node* n = t.get("samples_count")) {
    const double v = number(*n, "samples_count");
    if (!(v >= 1.0 && v <= static_cast<double>(kMostSamples)) || std::trunc(v) != v)
      fail(*n, "'samples_count' must be a whole number from 1 to " + std::to_string(kMostSamples));
    if (test.output.samples.empty()) fail(*n, "'samples_count' needs 'samples', the file to draw them into");
    test.samples_count = static_cast<std::size_t>(v);
  }
}

}  // namespace

PumpingTest read_test(std::string_view text, const std::string& file, const inputs::ReadFile& read) {
  return TestReader(file, read).read(text);
}

PumpingTest read_test_file(const std::string& file) {
  std::string why;
  const std::optional<std::string> text = inputs::read_file(file, why, inputs::kLargestStudyFile);
  if (!text) throw TestFileError{"cannot read the test file " + in_quotes(file) + ": " + why};
  // The observation files lie inside the test file's folder, also after
  // their links are followed, as a study's CSV files do.
  const std::filesystem::path folder = inputs::real_folder_of(file);
  return read_test(*text, file, [folder](const std::string& path, std::string& why_not) -> std::optional<std::string> {
    if (!inputs::lies_inside(folder, path)) {
      why_not = "it lies outside the test file's folder";
      return std::nullopt;
    }
    return inputs::read_file(path, why_not);
  });
}

}  // namespace fit
