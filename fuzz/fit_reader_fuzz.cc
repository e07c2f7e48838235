// Fuzz target: the aquifer-test reader on arbitrary bytes as the test file and
// as its observation files.
//
// Input: the test file "fuzz/test.toml", then optionally a line "%%" and the
// text served from memory for every observation file it names.
//
// Beyond "no crash, no hang, no sanitizer report", every outcome is checked:
// - a refusal is one line, without line ends, naming the test file or the
//   observation file it concerns;
// - a test that is read holds what the reader promises: at least one pumped
//   well with a schedule whose days are 0 or more and increase, at least one
//   observation, each with readings whose days are above 0 and increase,
//   unique names, every number finite, more readings than fitted
//   parameters, the fixed and starting values within range;
// - the refusals before a fit are one line naming the test file, and the
//   starting points of a fit can be formed, finite and above 0.
#include <cmath>
#include <cstdint>
#include <set>
#include <string>

#include "fit/models.h"
#include "fit/reader.h"
#include "fit/refusals.h"
#include "fit/solve.h"
#include "fuzz_support.h"

namespace {

using leaky_fuzz::check;

constexpr const char* kTestFile = "fuzz/test.toml";

bool finite(double v) { return std::isfinite(v); }

void check_wells(const fit::PumpingTest& t) {
  check(!t.wells.empty(), "a test without pumped wells was read");
  std::set<std::string> names;
  for (const fit::Well& w : t.wells) {
    check(!w.name.empty() && names.insert(w.name).second, "a well name is empty or used twice", w.name);
    check(finite(w.x) && finite(w.y), "a well position is not finite", w.name);
    check(!w.steps.empty(), "a well without steps", w.name);
    for (std::size_t k = 0; k < w.steps.size(); ++k) {
      check(finite(w.steps[k].day) && finite(w.steps[k].rate), "a step is not finite", w.name);
      check(w.steps[k].day >= 0.0 && (k == 0 || w.steps[k].day > w.steps[k - 1].day),
            "schedule days below 0 or not increasing", w.name);
    }
  }
}

void check_test(const fit::PumpingTest& t) {
  check_wells(t);
  check(!t.observations.empty(), "a test without observations was read");
  std::set<std::string> names;
  std::size_t readings = 0;
  for (const fit::Observation& o : t.observations) {
    check(!o.name.empty() && names.insert(o.name).second, "an observation name is empty or used twice", o.name);
    check(finite(o.x) && finite(o.y) && finite(o.weight) && o.weight > 0.0, "an observation's numbers", o.name);
    check(!o.readings.empty(), "an observation without readings", o.name);
    for (std::size_t k = 0; k < o.readings.size(); ++k) {
      const fit::Reading& r = o.readings[k];
      check(finite(r.day) && finite(r.drawdown), "a reading is not finite", o.name);
      check(r.day > 0.0 && (k == 0 || r.day > o.readings[k - 1].day), "reading days not above 0 or increasing",
            o.name);
    }
    readings += o.readings.size();
  }
  std::size_t fitted = 0;
  const std::size_t count = fit::model_parameters(t.model)->size();
  check(t.fit.fitted.size() == count && t.fit.fixed.size() == count && t.fit.start.size() == count,
        "the fit's settings are not one per parameter of the model");
  for (std::size_t j = 0; j < count; ++j) {
    if (t.fit.fitted[j]) ++fitted;
    check(finite(t.fit.fixed[j]) && t.fit.fixed[j] >= 0.0, "a fixed value below 0 or not finite");
    check(!t.fit.start[j] || (finite(*t.fit.start[j]) && *t.fit.start[j] > 0.0), "a starting value not above 0");
  }
  check(fitted > 0 && readings > fitted, "too few readings for the fitted parameters were read");
  const std::string why = fit::refusal(t);
  check(why.empty() || (why.rfind(std::string(kTestFile) + ": ", 0) == 0 && why.find('\n') == std::string::npos),
        "a refusal before the fit is not one line naming the test file", why);
  // The starting points need no well function.
  for (const fit::Parameters& p : fit::make_model(t.model, nullptr)->starting_points(t))
    for (std::size_t j = 0; j < count; ++j)
      check(finite(p[j]) && (p[j] > 0.0 || !t.fit.fitted[j]), "a starting point not finite or not above 0");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string toml = input;
  std::string csv;
  bool has_csv = false;
  if (const std::size_t cut = input.find("\n%%\n"); cut != std::string::npos) {
    toml = input.substr(0, cut + 1);
    csv = input.substr(cut + 4);
    has_csv = true;
  }
  std::set<std::string> asked;
  const inputs::ReadFile read = [&](const std::string& path, std::string& why) -> std::optional<std::string> {
    asked.insert(path);
    if (!has_csv) {
      why = "No such file or directory";
      return std::nullopt;
    }
    return csv;
  };
  try {
    check_test(fit::read_test(toml, kTestFile, read));
  } catch (const fit::TestFileError& e) {
    const std::string& m = e.message;
    check(!m.empty() && m.find('\n') == std::string::npos && m.find('\r') == std::string::npos,
          "a refusal is not one line", m);
    bool names_a_file = m.rfind(std::string(kTestFile) + ":", 0) == 0;
    for (const std::string& path : asked) names_a_file = names_a_file || m.rfind(path + ":", 0) == 0;
    check(names_a_file, "a refusal does not start with the file it concerns", m);
  }
  return 0;
}
