// A study's permit memo ([output] memo = "memo.pdf"): the study fills the
// memo's sections (pictures/memo.h) from what it assumed and found, and the
// pictures lay them out. The sections, in order: the inputs with their
// SHA-256, the aquifer and where its values came from, the wells, the
// compliance table, the ensemble's uncertainty and the allocation
// (study/memo_results.h) when the study has them, the map of the last time,
// the hydrographs, the streams' depletion, the warnings.
//
// A new result (as the ensemble's uncertainty and the allocation are) is a
// member of MemoFindings, filled by run_study where the result is made, and
// one section function in memo.cc, pushed in memo_of's list where it belongs
// (after the compliance: see the comment there).
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "files/output_file.h"
#include "pictures/memo.h"
#include "scenario/compliance.h"
#include "scenario/evaluation.h"
#include "study/study.h"

namespace study {

struct Uncertain;         // study/uncertainty_run.h
struct AllocationReport;  // study/allocation_report.h

/// What the run found, as the memo shows it; each pointer null when absent.
struct MemoFindings {
  const std::vector<std::vector<float>>* series = nullptr;  ///< [receptor][series time]
  const scenario::Compliance* compliance = nullptr;
  const engine::DrawdownGrid* last_grid = nullptr;  ///< the grid of the study's last time
  std::string depletion;               ///< the summary's depletion table ("" : none)
  std::vector<std::string> warnings;   ///< every warning the run told
  scenario::Evaluation how;            ///< how the hydrographs' curves are evaluated
  std::time_t made = 0;                ///< when the memo is made (its date, UTC)
  const Uncertain* uncertain = nullptr;          ///< the ensemble's answers, with [uncertainty]
  const AllocationReport* allocation = nullptr;  ///< with [allocation]
};

/// The memo of `s` with `found`.
pictures::Memo memo_of(const Study& s, const MemoFindings& found);

/// Writes the memo of `s` with `found` to `target`: "" or why not.
std::string write_memo(const files::Target& target, const Study& s, const MemoFindings& found);

/// The most receptors the memo's compliance table lists (the CSV has them
/// all) and the most curves of its hydrographs (the first receptors').
inline constexpr std::size_t kMostMemoRows = 1000;
inline constexpr std::size_t kMostMemoCurves = 12;

/// The memo's page: [output] page, else A4 for a study in metres and US
/// letter for one in feet.
pictures::PlotPage memo_page(const Study& s);

}  // namespace study
