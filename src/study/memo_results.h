// The memo's sections of the results that join the compliance when a study
// asks for them: the uncertainty of its ensemble and the allocation of its
// wells' rates, each in the study's units and with the numbers the summary
// prints.
#pragma once

#include "pictures/memo.h"
#include "scenario/compliance.h"
#include "study/allocation_report.h"
#include "study/study.h"
#include "study/uncertainty_run.h"

namespace study {

/// The ensemble's section: its realizations and seed, a row per receptor
/// (probability of exceeding its limit and its standard error, the 95th
/// percentile of its drawdown at the last series day) and per stream with a
/// limit, then the rate factor at the reliability; `c` null without limits.
pictures::MemoSection uncertainty_section(const Study& s, const Uncertain& u, const scenario::Compliance* c);

/// The allocation's section: a row per well (planned rate, factor, allowed
/// rate, factor alone), the allowed total against the planned total and each
/// binding limit with its dual; or why no plan was found.
pictures::MemoSection allocation_section(const Study& s, const AllocationReport& a);

}  // namespace study
