// The study file's keys of the memo and the calendar: [output]'s `memo` (the
// permit memo, a PDF) and `time_axis` (the hydrographs' time axis), and the
// top-level `start_date` (the date pumping began, which dates the tables).
#pragma once

#include <string>

#include <toml++/toml.h>

#include "study/study.h"

namespace study {

/// [output]'s `memo`: a plain .pdf file name in the output folder. Read
/// before the pictures' settings are checked (the memo takes `page`).
void read_memo_output(const toml::table& output, const std::string& file, Output& o);

/// The top-level `start_date` (a TOML local date, 2027-01-01) and [output]'s
/// `time_axis` ("linear" or "log", for the hydrographs or the memo's, which
/// need receptors). Throws StudyError naming the file and line.
void read_calendar_keys(const toml::table& root, const std::string& file, Study& s);

}  // namespace study
