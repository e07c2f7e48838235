// Fuzz target: the study reader on arbitrary bytes as the study file.
//
// Input: the study file "fuzz/study.toml", then optionally a line "%%" and
// the text of every CSV file the study names (wells_file, receptors_file),
// served from memory.
//
// Beyond "no crash, no hang, no sanitizer report", every outcome is checked:
// - a refusal is one line, without line ends, naming the study file or the
//   CSV file it concerns;
// - a study that is read holds what the reader promises: at least one well,
//   times above 0 and increasing, schedules whose days are 0 or more and
//   increasing, a grid of at least one node and a spacing of at least one
//   foot, every number finite, unique names, every position within the
//   reader's bound of the grid, a start date that is a date of the calendar;
// - its terms at each time come in well order, cut into passes that cover
//   them in order, and a receptor's drawdown by the rule can be formed.
#include <cmath>
#include <cstdint>
#include <set>
#include <string>

#include "base/calendar.h"
#include "base/printable.h"
#include "fuzz_support.h"
#include "pictures/plot.h"
#include "scenario/evaluation.h"
#include "study/outputs.h"
#include "study/reader.h"

namespace {

using leaky_fuzz::check;

constexpr const char* kStudyFile = "fuzz/study.toml";
// Terms beyond this many are not evaluated at a receptor, to keep runs quick.
constexpr std::size_t kMostTermsEvaluated = 64;
// The most terms made at one time: a narrow strip may count more than any
// memory holds (the study's memory check refuses it); its count is checked,
// its terms are not made.
constexpr double kMostTermsMade = 1 << 20;

// A name or title as read: UTF-8 text without controls (so that showing it
// changes nothing), of 200 characters at most.
bool plain_text(const std::string& name) {
  std::size_t characters = 0;
  for (unsigned char c : name) characters += (c & 0xC0) != 0x80;
  return base::printable_name(name) == name && characters <= 200;
}

void check_study(const study::Study& s) {
  check(plain_text(s.title), "a title with controls or too long was read", s.title);
  check(!s.wells.empty(), "a study without wells was read");
  check(!s.times.empty(), "a study without times was read");
  check(!s.start_date || base::valid_date(*s.start_date), "a start date that is no date was read");
  check(s.output.memo.empty() || pictures::plot_format_of(s.output.memo) == pictures::PlotFormat::kPdf,
        "a memo that is not a .pdf was read", s.output.memo);
  for (std::size_t k = 0; k < s.times.size(); ++k) {
    check(std::isfinite(s.times[k]) && s.times[k] > 0.0, "a time is not above 0", std::to_string(s.times[k]));
    check(k == 0 || s.times[k] > s.times[k - 1], "the times do not increase");
  }
  check(s.grid.spacing >= 1 && s.grid.columns >= 1 && s.grid.rows >= 1, "a grid without nodes or spacing was read");
  check(std::isfinite(s.grid.xll) && std::isfinite(s.grid.yll), "a corner is not finite");
  check(s.aquifer.transmissivity > 0.0 && s.aquifer.storage > 0.0 && s.aquifer.leakance >= 0.0 &&
            std::isfinite(static_cast<float>(s.aquifer.transmissivity)) &&
            std::isfinite(static_cast<float>(s.aquifer.leakance)),
        "an aquifer value out of range was read");
  std::set<std::string> names;
  for (const scenario::Well& w : s.wells) {
    check(!w.name.empty() && names.insert(w.name).second, "a well name is empty or used twice", w.name);
    check(plain_text(w.name), "a well name with controls or too long was read", w.name);
    check(!w.steps.empty(), "a well without steps", w.name);
    for (std::size_t k = 0; k < w.steps.size(); ++k) {
      check(w.steps[k].day >= 0.0 && (k == 0 || w.steps[k].day > w.steps[k - 1].day),
            "schedule days below 0 or not increasing", w.name);
      check(std::isfinite(static_cast<float>(w.steps[k].rate)), "a rate beyond single range", w.name);
    }
    check(std::fabs(scenario::node_position(w.x, s.grid.xll, s.grid.spacing)) < 16777216.0f &&
              std::fabs(scenario::node_position(w.y, s.grid.yll, s.grid.spacing)) < 16777216.0f,
          "a well far beyond the grid was read", w.name);
  }
  if (s.allocation) {
    check(s.allocation->wells.size() == s.wells.size(), "an allocation without a choice per well");
    for (const allocation::WellChoice& c : s.allocation->wells)
      check(c.min_factor >= 0.0 && c.weight > 0.0 && (!c.max_factor || *c.max_factor >= c.min_factor) &&
                !(c.fixed && (c.min_factor > 0.0 || c.max_factor)),
            "a well's allocation out of range was read");
  }
  names.clear();
  for (const scenario::Receptor& r : s.receptors) {
    check(!r.name.empty() && names.insert(r.name).second, "a receptor name is empty or used twice", r.name);
    check(plain_text(r.name), "a receptor name with controls or too long was read", r.name);
  }
  check(s.output.series.empty() || !s.receptors.empty(), "a series without receptors was read");

  for (double t : s.times) {
    const double counted = scenario::term_count(s, t);
    check(counted >= 0.0 && std::isfinite(counted), "a term count below 0 or not finite");
    if (counted > kMostTermsMade) continue;
    const std::vector<scenario::Term> terms = scenario::terms_at(s, t);
    check(static_cast<double>(terms.size()) == counted, "the terms counted are not the terms made");
    std::size_t covered = 0;
    for (const scenario::Pass& p : scenario::passes_of(terms)) {
      check(p.begin == covered && p.end > p.begin, "the passes do not cover the terms in order");
      for (std::size_t k = p.begin; k < p.end; ++k)
        check(std::isfinite(terms[k].elapsed) && terms[k].elapsed > 0.0f &&
                  terms[k].elapsed == terms[p.begin].elapsed,
              "a pass mixes elapsed times or holds one that is not above 0");
      covered = p.end;
    }
    check(covered == terms.size(), "the passes leave terms out");
    if (!s.receptors.empty() && terms.size() <= kMostTermsEvaluated) {
      const scenario::Receptor& r = s.receptors.front();
      (void)scenario::point_drawdown_rule(s, scenario::node_position(r.x, s.grid.xll, s.grid.spacing),
                                       scenario::node_position(r.y, s.grid.yll, s.grid.spacing), terms);
    }
  }
  (void)outputs::plan(study::request_of(s));
  (void)scenario::memory_needed(s, 2, study::grids_kept(s));
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
    check_study(study::read_study(toml, kStudyFile, read));
  } catch (const study::StudyError& e) {
    const std::string& m = e.message;
    check(!m.empty() && m.find('\n') == std::string::npos && m.find('\r') == std::string::npos,
          "a refusal is not one line", m);
    bool names_a_file = m.rfind(std::string(kStudyFile) + ":", 0) == 0;
    for (const std::string& path : asked) names_a_file = names_a_file || m.rfind(path + ":", 0) == 0;
    check(names_a_file, "a refusal does not start with the file it concerns", m);
  }
  return 0;
}
