#include "study/memo_results.h"

#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/printable.h"
#include "base/text_table.h"
#include "base/shortest_text.h"
#include "study/memo.h"

namespace study {
namespace {

using pictures::MemoSection;
using pictures::MemoTable;

std::string four_digits(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", v);
  return text;
}


// The lines of the summary's ensemble text `text` that are no table's: its
// first line (realizations, seed) above the table, the rate factor's below.
void summary_lines(const std::string& text, MemoSection& m) {
  for (std::size_t from = 0; from < text.size();) {
    const std::size_t end = text.find('\n', from);
    const std::string line = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
    if (line.rfind("uncertainty: ", 0) == 0) m.paragraphs.push_back(line);
    if (line.rfind("rate factor at ", 0) == 0) m.notes.push_back(line);
    from = end == std::string::npos ? text.size() : end + 1;
  }
}

}  // namespace

MemoSection uncertainty_section(const Study& s, const Uncertain& u, const scenario::Compliance* c) {
  MemoSection m{"Uncertainty"};
  summary_lines(uncertainty_text(s, u, c ? std::optional<scenario::Compliance>(*c) : std::nullopt), m);
  const std::size_t days = s.series_times.size();
  std::vector<std::optional<std::size_t>> entry(s.receptors.size());  // each receptor's compliance entry
  if (c != nullptr && u.summary.probability.size() >= c->receptors.size())
    for (std::size_t k = 0; k < c->receptors.size(); ++k) entry[c->receptors[k].receptor] = k;
  MemoTable t{s.units.labels({"receptor", "probability exceeded", "standard error",
                              "p95 at day " + base::shortest_text(days ? s.series_times.back() : 0.0) + " ({L})"}),
              {},
              {false, true, true, true}};
  for (std::size_t i = 0; i < s.receptors.size() && t.rows.size() < kMostMemoRows; ++i)
    t.rows.push_back({base::one_line(s.receptors[i].name),
                      entry[i] ? base::shortest_text(u.summary.probability[*entry[i]]) : "-",
                      entry[i] ? four_digits(u.summary.standard_error[*entry[i]]) : "-",
                      days ? base::single_text(static_cast<float>(u.summary.percentiles[i * days + days - 1][2])) : "-"});
  if (c != nullptr)
    for (std::size_t k = c->receptors.size(); k < u.summary.probability.size() && t.rows.size() < kMostMemoRows; ++k)
      t.rows.push_back({base::one_line(s.boundaries[c->streams[k - c->receptors.size()].receptor].name),
                        base::shortest_text(u.summary.probability[k]), four_digits(u.summary.standard_error[k]), "-"});
  const std::size_t rows = s.receptors.size() + (c != nullptr ? c->streams.size() : 0);
  if (rows > t.rows.size())
    m.notes.push_back(std::to_string(rows - t.rows.size()) +
                      " more rows are left out here: see the compliance and series tables (CSV).");
  if (!t.rows.empty()) m.table = std::move(t);
  m.notes.push_back("Each probability is the share of the " + std::to_string(u.summary.realizations) +
                    " realizations that exceed the limit, with its Monte Carlo standard error.");
  return m;
}

MemoSection allocation_section(const Study& s, const AllocationReport& a) {
  MemoSection m{"Allocation"};
  const std::string Q(s.units.rate.name);
  m.table = MemoTable{{"well", "planned rate (" + Q + ")", "factor", "allowed rate (" + Q + ")", "factor alone"},
                      allocation_rows(s, a),
                      {false, true, true, true, true}};
  if (!a.plan || a.plan->status != allocation::PlanStatus::solved) {
    m.paragraphs.push_back("No plan keeps every limit: " + base::one_line(a.failure));
    return m;
  }
  for (const std::string& line : allocation_lines(s, *a.plan)) m.notes.push_back(line);
  m.notes.push_back("Each schedule is scaled by its factor; the factor alone is the largest the well bears with the "
                    "others as planned (\"-\": it reaches no limit; \"none\": the others alone exceed one).");
  return m;
}

}  // namespace study
