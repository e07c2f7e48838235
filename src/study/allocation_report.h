// What a study's allocation adds to its run: the wells' shares of each
// receptor's drawdown, each well's factor alone, the best plan and its
// check, in the summary and in the CSVs `contributions` and `allocation`.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "allocation/allocation.h"
#include "allocation/shares.h"
#include "outputs/writer.h"
#include "scenario/compliance.h"
#include "study/study.h"

namespace study {

/// Whether the study asks for any of it: an [allocation] table or the
/// `contributions` CSV.
bool reports_allocation(const Study& s);

/// The summary's text and, when the allocation has no answer, its one line.
struct AllocationReport {
  std::string text;     ///< for the summary, after the compliance; "" when not asked
  std::string failure;  ///< why no plan was found (infeasible, unbounded), or ""
  std::vector<allocation::AloneFactor> alone;  ///< with [allocation]: each well's factor alone
  std::optional<allocation::Plan> plan;        ///< with [allocation]: the best plan (solved or not)
};

/// The shares (with `contributions` or [allocation]), the single-well factors
/// and the best plan (with [allocation]) of a study whose compliance is `c`,
/// by the true well function of `how` (threads from its engine options); the
/// CSVs written through `writer` when given.
AllocationReport report_allocation(const Study& s, const scenario::Evaluation& how, const scenario::Compliance& c,
                                   outputs::Writer* writer);

/// The contributions CSV: the header receptor,well,day,drawdown,share, then
/// a row per receptor with a limit and well (study order): the receptor's
/// critical day, the well's drawdown there (with its images) in the study's
/// length unit, its share of the receptor's drawdown (empty when that is 0).
std::string contributions_csv(const Study& s, const std::vector<allocation::ReceptorShares>& shares);

/// The allocation CSV: the header well,planned_rate,factor,allowed_rate,alone_factor,
/// then a row per well: the schedule's largest rate (in magnitude) and that
/// times the plan's factor, in the study's rate unit; the factor alone with
/// the others as planned (empty where no limit is reached, or where the
/// others alone break one). Without a plan (`plan` not solved), factor and
/// allowed_rate are empty.
std::string allocation_csv(const Study& s, const std::vector<allocation::AloneFactor>& alone,
                           const allocation::Plan& plan);

/// The allocation of `a` (with a plan) as the memo shows it, in the summary's
/// numbers: a row per well (well, planned rate, factor, allowed rate, factor
/// alone: "-" where no limit is reached, "none" where the others alone break one).
std::vector<std::vector<std::string>> allocation_rows(const Study& s, const AllocationReport& a);

/// The summary's lines under the plan's table: the allowed total against the
/// planned total, then each binding limit with its dual (LF-free lines).
std::vector<std::string> allocation_lines(const Study& s, const allocation::Plan& plan);

}  // namespace study
