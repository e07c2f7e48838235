// What a study says of its streams' depletion, when it asks for it (a
// depletion output or a depletion limit): the summary's table and the
// depletion hydrographs.
#pragma once

#include <string>

#include "files/output_file.h"
#include "scenario/depletion.h"
#include "study/study.h"

namespace study {

/// Whether the study asks for its streams' depletion: a depletion CSV or
/// picture, or a stream's depletion limit.
bool reports_depletion(const Study& s);

/// The summary's depletion table: per stream, at each of the study's times,
/// each well's depletion (when there are at most kMostListedWells wells) and
/// all wells', in gallons per day and as a fraction of the rate; then the
/// largest total depletion up to last_day(s) and its day. LF line ends.
std::string depletion_summary(const Study& s, const scenario::Depletion& d);

/// Draws the depletion against time (.png, .svg or .pdf): per stream, the
/// total of all wells, and each well's when there are at most
/// kMostListedWells wells, on the hydrographs' days of the series days; a
/// stream's limit a dashed line. Returns "" or why the picture was not written.
std::string write_depletion_hydrographs(const files::Target& target, const Study& s, const scenario::Depletion& d);

/// Wells listed one by one in the summary and the picture, at most.
inline constexpr std::size_t kMostListedWells = 10;

}  // namespace study
