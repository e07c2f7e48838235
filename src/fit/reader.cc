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
#include "inputs/names.h"
#include "inputs/toml_reader.h"

namespace fit {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTopKeys[] = {"title", "units", "well", "observation", "fit", "aquifer", "output"};
constexpr std::string_view kUnitKeys[] = {"length", "time", "rate"};
constexpr std::string_view kWellKeys[] = {"name", "x", "y", "rate", "schedule"};
constexpr std::string_view kObservationKeys[] = {"name", "x", "y", "file", "weight"};
constexpr std::string_view kFitKeys[] = {"parameters"};
constexpr std::string_view kAquiferKeys[] = {"transmissivity", "storage", "leakance"};
constexpr std::string_view kOutputKeys[] = {"folder", "type_curves", "residual_plot", "dpi", "page"};

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
    t.output.folder = t.output.base = folder_.empty() ? "." : folder_.string();
    if (const toml::node* n = root.get("output")) read_output(table(*n, "output"), t.output);
    return t;
  }

 private:
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
    w.x = number(required(t, "x", "[[well]]"), "x") * u.length.factor;
    w.y = number(required(t, "y", "[[well]]"), "y") * u.length.factor;
    const toml::node* rate = t.get("rate");
    const toml::node* schedule = t.get("schedule");
    if ((rate == nullptr) == (schedule == nullptr))
      fail(t.source().begin.line, "[[well]] " + in_quotes(w.name) + " must have either 'rate' or 'schedule'");
    if (rate != nullptr) w.steps.push_back({0.0, number(*rate, "rate") * u.rate.factor});
    const toml::array* a = schedule != nullptr ? schedule->as_array() : nullptr;
    if (schedule != nullptr && (a == nullptr || a->empty()))
      fail(*schedule, "'schedule' must be an array of [start time, rate] steps, like [[0.0, 788.0], [840.0, 0.0]]");
    for (std::size_t i = 0; a != nullptr && i < a->size(); ++i) {
      const toml::array* step = (*a)[i].as_array();
      if (step == nullptr || step->size() != 2) fail((*a)[i], "each step of 'schedule' must be [start time, rate]");
      const double day = number((*step)[0], "start time") * u.time.factor;
      if (day < 0.0 || (!w.steps.empty() && day <= w.steps.back().day))
        fail((*a)[i], "the start times of 'schedule' must be 0 or more and increase");
      w.steps.push_back({day, number((*step)[1], "rate") * u.rate.factor});
    }
    return w;
  }

  Observation observation(const toml::table& t, PumpingTest& test) {
    check_keys(t, kObservationKeys, "in an [[observation]] table");
    Observation o;
    o.name = name(t, "[[observation]]", observation_names_);
    o.x = number(required(t, "x", "[[observation]]"), "x") * test.units.length.factor;
    o.y = number(required(t, "y", "[[observation]]"), "y") * test.units.length.factor;
    if (const toml::node* n = t.get("weight")) o.weight = positive(*n, "weight");
    const toml::node& file = required(t, "file", "[[observation]]");
    o.file = (folder_ / file_name(file, "file")).string();
    test.inputs.push_back(o.file);
    o.readings = readings(o.file, test.units);
    return o;
  }

  std::vector<Reading> readings(const std::string& path, const Units& u) const;
  void read_fit(const toml::table& root, PumpingTest& t) const;
  void read_output(const toml::table& t, FitOutput& o) const;

  fs::path folder_;
  const inputs::ReadFile& read_;
  std::set<std::string> well_names_, observation_names_;
};

}  // namespace
}  // namespace fit

namespace fit {
namespace {

std::vector<Reading> TestReader::readings(const std::string& path, const Units& u) const {
  std::string why;
  const std::optional<std::string> bytes = read_(path, why);
  if (!bytes) throw TestFileError{file() + ": cannot read the observation file " + in_quotes(path) + ": " + why};
  std::vector<inputs::CsvRecord> records;
  try {
    records = inputs::parse_csv(*bytes);
  } catch (const inputs::CsvError& e) {
    throw TestFileError{path + ":" + std::to_string(e.line) + ": " + e.what};
  }
  auto fail_at = [&](std::size_t line, const std::string& what) {
    throw TestFileError{path + ":" + std::to_string(line) + ": " + what};
  };
  // A first row whose time is no number is a header.
  if (!records.empty() && !inputs::parse_number(records.front().fields[0])) records.erase(records.begin());
  std::vector<Reading> out;
  for (const inputs::CsvRecord& r : records) {
    if (r.fields.size() != 2) fail_at(r.line, "a row of " + std::to_string(r.fields.size()) + " fields; the rows are time,drawdown");
    const std::optional<double> time = inputs::parse_number(r.fields[0]);
    const std::optional<double> drawdown = inputs::parse_number(r.fields[1]);
    if (!time || !drawdown) fail_at(r.line, "the time and the drawdown must be numbers");
    if (*time == 0.0 && *drawdown == 0.0) continue;  // the start of pumping: nothing to fit
    if (!(*time > 0.0)) fail_at(r.line, "the time must be after pumping began (above 0), not " + text(*time));
    const double day = *time * u.time.factor;
    if (!out.empty() && !(day > out.back().day))
      fail_at(r.line, "the times must increase: " + text(*time) + " follows " + text(out.back().day / u.time.factor));
    out.push_back({day, *drawdown * u.length.factor, r.line, *time, *drawdown});
  }
  if (out.empty()) throw TestFileError{path + ": the observation file holds no readings"};
  return out;
}

void TestReader::read_fit(const toml::table& root, PumpingTest& t) const {
  FitSettings& f = t.fit;
  if (const toml::node* n = root.get("fit")) {
    const toml::table& fit = table(*n, "fit");
    check_keys(fit, kFitKeys, "in [fit]");
    if (const toml::node* p = fit.get("parameters")) {
      const toml::array* a = p->as_array();
      if (a == nullptr || a->empty()) fail(*p, "'parameters' must be an array of parameter names, like [\"transmissivity\", \"storage\"]");
      f.fitted = {false, false, false};
      for (const toml::node& e : *a) {
        const std::string v = string(e, "parameters");
        const auto it = std::find(kParameterNames.begin(), kParameterNames.end(), v);
        if (it == kParameterNames.end())
          fail(e, "'parameters' holds " + in_quotes(v) + "; they are \"transmissivity\", \"storage\" and \"leakance\"");
        if (f.fitted[it - kParameterNames.begin()]) fail(e, in_quotes(v) + " is given twice in 'parameters'");
        f.fitted[it - kParameterNames.begin()] = true;
      }
    }
  }
  const toml::table* aquifer = root.get("aquifer") ? &table(*root.get("aquifer"), "aquifer") : nullptr;
  if (aquifer != nullptr) check_keys(*aquifer, kAquiferKeys, "in [aquifer]");
  for (std::size_t j = 0; j < kParameterCount; ++j) {
    const toml::node* n = aquifer != nullptr ? aquifer->get(kParameterNames[j]) : nullptr;
    const double v = n == nullptr ? 0.0 : number(*n, kParameterNames[j]);
    if (n != nullptr && !(v > 0.0 || (j == kLeakance && v == 0.0 && !f.fitted[j])))
      fail(*n, in_quotes(kParameterNames[j]) + " must be above 0" + (j == kLeakance ? " (or 0 when not fitted)" : "") +
                   ", not " + text(v));
    if (f.fitted[j] && n != nullptr) f.start[j] = v;
    if (!f.fitted[j] && n == nullptr && j != kLeakance)
      fail(aquifer != nullptr ? aquifer->source().begin.line : 0,
           std::string("the ") + kParameterNames[j] + " is not fitted, so [aquifer] must give its value");
    if (!f.fitted[j]) f.fixed[j] = v;
  }
  std::size_t readings = 0;
  for (const Observation& o : t.observations) readings += o.readings.size();
  const std::size_t fitted = static_cast<std::size_t>(std::count(f.fitted.begin(), f.fitted.end(), true));
  if (readings <= fitted)
    fail(0, "the observations hold " + std::to_string(readings) + " readings, too few to fit " + std::to_string(fitted) +
                " parameters");
}

void TestReader::read_output(const toml::table& t, FitOutput& o) const {
  check_keys(t, kOutputKeys, "in [output]");
  if (const toml::node* n = t.get("folder")) {
    const fs::path folder = string(*n, "folder");
    for (const fs::path& part : folder)
      if (folder.empty() || folder.is_absolute() || part == "..")
        fail(*n, "'folder' must be a folder below the test file's, without '..', not " + in_quotes(folder.string()));
    o.folder = (folder_ / folder).string();
    o.relative = folder.string();
  }
  auto picture = [&](std::string_view key, std::string& name) {
    const toml::node* n = t.get(key);
    if (n == nullptr) return;
    name = string(*n, key);
    const std::string ending = fs::path(name).extension().string();
    const bool named = !name.empty() && name.find('/') == std::string::npos && name.find('\\') == std::string::npos;
    if (!name.empty() && (!named || (ending != ".png" && ending != ".svg" && ending != ".pdf")))
      fail(*n, in_quotes(key) + " must name a .png, .svg or .pdf file in the output folder (or be \"\"), not " +
                   in_quotes(name));
  };
  picture("type_curves", o.type_curves);
  picture("residual_plot", o.residual_plot);
  if (const toml::node* n = t.get("dpi")) {
    const double v = number(*n, "dpi");
    if (!(v >= pictures::kMinDpi && v <= pictures::kMaxDpi) || std::trunc(v) != v)
      fail(*n, "'dpi' must be a whole number from " + std::to_string(pictures::kMinDpi) + " to " +
                   std::to_string(pictures::kMaxDpi));
    o.dpi = static_cast<int>(v);
  }
  if (const toml::node* n = t.get("page")) {
    o.page = string(*n, "page");
    if (!pictures::plot_page_of(o.page)) fail(*n, "'page' must be \"letter\" or \"a4\", not " + in_quotes(o.page));
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
  return read_test(*text, file, [](const std::string& path, std::string& why_not) {
    return inputs::read_file(path, why_not);
  });
}

}  // namespace fit
