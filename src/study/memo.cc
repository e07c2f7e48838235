#include "study/memo.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "base/exit_status.h"
#include "base/printable.h"
#include "base/text_table.h"
#include "base/shortest_text.h"
#include "study/hydrographs.h"
#include "study/memo_results.h"
#include "study/outputs.h"

namespace study {
namespace {

using pictures::MemoSection;
using pictures::MemoTable;
using pictures::MemoVerdict;

// A rate or a coordinate as written, without an exponent up to ten digits.
std::string plain(double v) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10g", v);
  return text;
}

using base::fixed;

// A day as the tables show it (to 0.1 day), with the date of that shown day
// when the study has a start date, as the CSV files date it.
std::string day_text(const Study& s, double day) {
  std::string text = fixed(day, 1);
  if (s.start_date)
    if (const std::optional<std::string> date = base::date_of_day(*s.start_date, std::strtod(text.c_str(), nullptr)))
      text += " (" + *date + ")";
  return text;
}

std::string utc_date(std::time_t t) {
  std::tm tm{};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d", &tm);
  return text;
}

MemoSection inputs_section(const Study& s) {
  MemoSection m{"Inputs"};
  m.paragraphs.push_back("Each file the study read, with the SHA-256 of its bytes as read:");
  MemoTable t{{"file", "SHA-256"}};
  for (std::size_t k = 0; k < s.inputs.size(); ++k)
    t.rows.push_back({s.inputs[k], k < s.input_digests.size() ? s.input_digests[k] : ""});
  m.table = std::move(t);
  return m;
}

MemoSection aquifer_section(const Study& s) {
  const Units& u = s.units;
  MemoSection m{"Aquifer"};
  m.table = MemoTable{{"value", "", "unit"},
                      {{"transmissivity", base::shortest_text(static_cast<float>(u.transmissivity_from_engine(s.aquifer.transmissivity))),
                        std::string(u.transmissivity.name)},
                       {"leakance", base::shortest_text(static_cast<float>(u.leakance_from_engine(s.aquifer.leakance))),
                        std::string(u.leakance.name)},
                       {"storage coefficient", base::shortest_text(static_cast<float>(s.aquifer.storage)), ""}},
                      {false, true, false}};
  m.notes.push_back(s.aquifer_from.empty()
                        ? "These values are given in the study file " + s.file + "."
                        : "These values are the aquifer-test fit's in " + s.aquifer_from +
                              " (its SHA-256 is listed under Inputs); see that file for the fit's uncertainty.");
  m.notes.push_back(std::string("Evaluated with ") +
                    (s.output.well_function == WellFunction::exact ? "the exact leaky well function."
                                                                   : "the program's fixed integration rule."));
  return m;
}

MemoSection wells_section(const Study& s) {
  const Units& u = s.units;
  MemoSection m{"Wells"};
  MemoTable t{{"well", u.label("x ({L})"), u.label("y ({L})"), "schedule: from day, rate (" + std::string(u.rate.name) + ")"},
              {},
              {false, true, true, false}};
  for (const Well& w : s.wells) {
    std::string schedule;
    for (const Step& step : w.steps)
      schedule += (schedule.empty() ? "" : "; ") + base::shortest_text(step.day) + ": " +
                  plain(u.rate_from_engine(step.rate));
    t.rows.push_back({base::one_line(w.name), plain(w.x), plain(w.y), schedule});
  }
  m.paragraphs.push_back("Positive rates pump, negative ones inject.");
  m.table = std::move(t);
  return m;
}

MemoSection compliance_section(const Study& s, const scenario::Compliance& c) {
  const Units& u = s.units;
  MemoSection m{"Compliance"};
  MemoTable t{u.labels({"receptor", "limit ({L})", "largest drawdown ({L})", "at day", "first exceeded (day)",
                        "margin ({L})", "verdict"}),
              {},
              {false, true, true, false, false, true, false}};
  for (const scenario::ReceptorCompliance& r : c.receptors) {
    if (t.rows.size() == kMostMemoRows) {
      m.notes.push_back(std::to_string(c.receptors.size() - kMostMemoRows) +
                        " more receptors with a limit are left out here: see the compliance table (CSV).");
      break;
    }
    const bool fails = r.first_exceeded.has_value();
    t.rows.push_back({base::one_line(s.receptors[r.receptor].name), fixed(r.limit, 2),
                      r.only_rises ? fixed(-r.largest, 2) + " rise" : fixed(r.largest, 2), day_text(s, r.largest_day),
                      fails ? day_text(s, *r.first_exceeded) : "-", fixed(r.margin, 2), fails ? "FAIL" : "pass"});
    t.verdicts.push_back(fails ? MemoVerdict::kFails : MemoVerdict::kPasses);
  }
  if (!c.receptors.empty()) m.table = std::move(t);
  // The console's text holds the streams' limits, the rate factor and every
  // stretch above a limit.
  const std::string text = scenario::compliance_text(s, c);
  std::size_t skipped = c.receptors.empty() ? 0 : c.receptors.size() + 1;  // its table of receptors, shown above
  for (std::size_t from = 0; from < text.size(); skipped -= skipped > 0 ? 1 : 0) {
    const std::size_t end = text.find('\n', from);
    if (skipped == 0) m.fixed_lines.push_back(text.substr(from, end == std::string::npos ? std::string::npos : end - from));
    from = end == std::string::npos ? text.size() : end + 1;
  }
  m.notes.push_back(c.exceeded() ? "Verdict: the plan exceeds a limit." : "Verdict: the plan keeps every limit.");
  return m;
}

MemoSection map_section(const Study& s, const engine::DrawdownGrid& DD, const scenario::Compliance* c) {
  MemoSection m{"Drawdown after " + base::shortest_text(s.times.back()) + " days" +
                (s.start_date ? " (" + base::date_of_day(*s.start_date, s.times.back()).value_or("") + ")" : "")};
  pictures::MemoMap map{evaluated_grid(s, s.times.back(), DD, {}), plot_options(s, {}), wells_at(s, s.times.back())};
  map.options.page = pictures::PlotPage::kOwnSize;
  map.options.levels = s.output.levels;
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    const Receptor& r = s.receptors[i];
    if (!r.limit) continue;
    map.options.markers[i].name += " (limit " + base::shortest_text(*r.limit) + " " + std::string(s.units.length.name) + ")";
    if (c != nullptr)
      for (const scenario::ReceptorCompliance& rc : c->receptors)
        if (rc.receptor == i) map.options.markers[i].verdict = rc.first_exceeded ? 2 : 1;
  }
  m.map = std::move(map);
  if (c != nullptr) m.notes.push_back("Receptors with a limit: green within it up to the last day, red over it.");
  return m;
}

MemoSection hydrograph_section(const Study& s, const MemoFindings& f) {
  MemoSection m{"Hydrographs"};
  // The first receptors only, in a chart that stays legible.
  if (s.receptors.size() > kMostMemoCurves)
    m.paragraphs.push_back("The first " + std::to_string(kMostMemoCurves) + " of the " +
                           std::to_string(s.receptors.size()) + " receptors:");
  m.chart = pictures::MemoChart{s.title, hydrograph_series(s, s.series_times, *f.series, f.how, kMostMemoCurves),
                                hydrograph_style(s, s.series_times)};
  return m;
}

MemoSection lines_section(std::string heading, const std::string& text, bool fixed_width) {
  MemoSection m{std::move(heading)};
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = text.find('\n', from);
    std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    (fixed_width ? m.fixed_lines : m.paragraphs).push_back(std::move(line));
    from = end == std::string::npos ? text.size() : end + 1;
  }
  return m;
}

}  // namespace

pictures::PlotPage memo_page(const Study& s) {
  if (s.output.page && *s.output.page != pictures::PlotPage::kOwnSize) return *s.output.page;
  return s.units.feet() ? pictures::PlotPage::kLetter : pictures::PlotPage::kA4;
}

pictures::Memo memo_of(const Study& s, const MemoFindings& f) {
  pictures::Memo memo;
  memo.title = s.title;
  // The day alone (UTC): one study run twice that day makes one file.
  memo.created = utc_date(f.made) + "T00:00:00Z";
  memo.subtitle = {"Drawdown memo made " + utc_date(f.made) + " (UTC)", "by " + std::string(base::kVersionLine) + " from " + s.file};
  if (s.start_date) memo.subtitle.push_back("Pumping begins on " + base::iso_date(*s.start_date) + " (day 0).");
  memo.footer = s.title;
  memo.page = memo_page(s);
  std::vector<MemoSection>& v = memo.sections;
  v.push_back(inputs_section(s));
  v.push_back(aquifer_section(s));
  v.push_back(wells_section(s));
  if (f.compliance) v.push_back(compliance_section(s, *f.compliance));
  // Later results go here, after the compliance.
  if (f.uncertain) v.push_back(uncertainty_section(s, *f.uncertain, f.compliance));
  if (f.allocation && f.allocation->plan) v.push_back(allocation_section(s, *f.allocation));
  if (f.last_grid) v.push_back(map_section(s, *f.last_grid, f.compliance));
  if (f.series && !s.receptors.empty()) v.push_back(hydrograph_section(s, f));
  if (!f.depletion.empty()) v.push_back(lines_section("Stream depletion", f.depletion, true));
  v.push_back(lines_section("Warnings", f.warnings.empty() ? std::string("none") : std::string(), false));
  for (const std::string& w : f.warnings) v.back().paragraphs.push_back(base::one_line(w));
  return memo;
}

std::string write_memo(const files::Target& target, const Study& s, const MemoFindings& found) {
  return pictures::write_memo(target, memo_of(s, found));
}

}  // namespace study
