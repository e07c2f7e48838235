// The study reader: the 'units' table, [aquifer] from the file a fit wrote
// ('from'), and a [fit] table pasted into the study.

#include "study/reader_internal.h"

#include <algorithm>
#include <cctype>

#include "base/units.h"

namespace study::reading {
namespace {

constexpr std::string_view kFitFileKeys[] = {"aquifer", "fit", "units", "title"};
constexpr std::string_view kFitAquiferKeys[] = {"transmissivity", "leakance", "storage"};
constexpr std::string_view kFitUnitKeys[] = {"length", "time", "rate", "transmissivity", "leakance"};

// Days in a time unit of a pumping test.
std::optional<double> days_in(std::string_view name) {
  if (name == "min") return 1.0 / base::kMinutesPerDay;
  if (name == "h") return 1.0 / 24.0;
  if (name == "d") return 1.0;
  return std::nullopt;
}

// The aquifer of a fit's aquifer.toml, its transmissivity in gpd/ft and its
// leakance in gpd/ft³. The values are in gpd/ft and gpd/ft³ unless a 'units'
// table says otherwise: by the study's names for them (transmissivity =
// "m2/d", leakance = "1/d"), or as the test's length and time make them
// (length²/time and 1/time).
class FitFileReader : public TomlReader {
 public:
  using TomlReader::TomlReader;

  Aquifer read(std::string_view text) const {
    const toml::table root = parse(text);
    check_keys(root, kFitFileKeys, "at the top of the file");
    NamedUnit T{"gpd/ft", 1.0}, L{"gpd/ft3", 1.0};
    if (const toml::node* n = root.get("units")) units(table(*n, "units"), T, L);
    const toml::table& t = table(required(root, "aquifer", "the file", 0), "aquifer");
    check_keys(t, kFitAquiferKeys, "in [aquifer]");
    Aquifer a;
    a.transmissivity = number(required(t, "transmissivity", "[aquifer]"), "transmissivity") * T.size;
    a.leakance = number(required(t, "leakance", "[aquifer]"), "leakance") * L.size;
    a.storage = number(required(t, "storage", "[aquifer]"), "storage");
    return a;
  }

 private:
  void units(const toml::table& u, NamedUnit& T, NamedUnit& L) const {
    check_keys(u, kFitUnitKeys, "in 'units'");
    double feet = 1.0, days = 1.0;
    bool derived = false;
    if (const toml::node* n = u.get("length")) {
      const auto length = length_unit(string(*n, "length"));
      if (!length) fail(*n, "the length unit must be " + std::string(kLengthNames));
      feet = length->feet;
      derived = true;
    }
    if (const toml::node* n = u.get("time")) {
      const auto d = days_in(string(*n, "time"));
      if (!d) fail(*n, "the time unit must be \"min\", \"h\" or \"d\"");
      days = *d;
      derived = true;
    }
    if (derived) {
      T = NamedUnit{"", feet * feet / days * base::kGallonsPerCubicFoot};
      L = NamedUnit{"", base::kGallonsPerCubicFoot / days};
    }
    if (const toml::node* n = u.get("transmissivity")) {
      const auto unit = transmissivity_unit(string(*n, "transmissivity"));
      if (!unit) fail(*n, "the transmissivity unit must be " + std::string(kTransmissivityNames));
      T = *unit;
    }
    if (const toml::node* n = u.get("leakance")) {
      const auto unit = leakance_unit(string(*n, "leakance"));
      if (!unit) fail(*n, "the leakance unit must be " + std::string(kLeakanceNames));
      L = *unit;
    }
  }
};

// The first line of `text` when it is a comment saying the fit is not
// determined; "" otherwise.
std::string undetermined_line(std::string_view text) {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
  const std::string_view line = text.substr(0, text.find('\n'));
  if (!line.starts_with("#")) return "";
  const std::string l = lower(line);
  const bool undetermined = l.find("not determined") != std::string::npos || l.find("undetermined") != std::string::npos;
  return undetermined ? trimmed(line.substr(1)) : "";
}

}  // namespace

Units StudyReader::read_units(const toml::table& t) const {
  check_keys(t, kUnitKeys, "in 'units'", kSections);
  Units u;
  const auto take = [&](std::string_view key, auto find, std::string_view names, auto& unit) {
    const toml::node* n = t.get(key);
    if (n == nullptr) return;
    const std::string v = string(*n, key);
    const auto found = find(v);
    if (!found) fail(*n, "the " + std::string(key) + " unit must be " + std::string(names) + ", not " + in_quotes(v));
    unit = *found;
  };
  take("length", length_unit, kLengthNames, u.length);
  take("rate", rate_unit, kRateNames, u.rate);
  take("transmissivity", transmissivity_unit, kTransmissivityNames, u.transmissivity);
  take("leakance", leakance_unit, kLeakanceNames, u.leakance);
  return u;
}

Aquifer StudyReader::aquifer_from(const toml::node& n, Study& s) const {
  const std::string path = csv_path(inner_path(n, "from"));
  std::string why;
  const std::optional<std::string> text = read_(path, why);
  if (!text) fail(n, "cannot read the aquifer file " + in_quotes(path) + " ('from'): " + why);
  if (const std::string line = undetermined_line(*text); !line.empty())
    fail(n, "the fit in " + in_quotes(path) + " is not determined (" + in_quotes(line) +
                "): it gives no aquifer to use; give [aquifer] values or a determined fit");
  s.inputs.push_back(path);
  Aquifer a = FitFileReader(path).read(*text);
  const auto check = [&](std::string_view key, double v, bool zero) {
    if (!std::isfinite(static_cast<float>(v)) || v < 0.0 || (v == 0.0 && !zero))
      throw StudyError{path + ": '" + std::string(key) + "' " + base::shortest_text(v) + " cannot be a study's " +
                       std::string(key) + " (" + (zero ? "0 or more" : "above 0") + ", within single precision)"};
  };
  check("transmissivity", a.transmissivity, false);
  check("leakance", a.leakance, true);
  check("storage", a.storage, false);
  // gpd/ft and gpd/ft³ to the engine's units in the study's length unit.
  const double f = units_.length.feet;
  a.transmissivity /= f * f;
  return a;
}

void StudyReader::note_fit_table(const toml::node& n, Study& s) const {
  table(n, "fit");
  s.notes.push_back(file() + ":" + std::to_string(n.source().begin.line) +
                    ": the [fit] table records how a fit was made; a study does not read it");
}

}  // namespace study::reading
