// The study file reader: TOML (with toml++) and the CSV files it names, every
// value checked, each refusal one line naming the file and the line.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "inputs/input_error.h"
#include "inputs/read_file.h"
#include "study/study.h"

namespace study {

/// Why a study cannot be run: one line naming the file and line.
using StudyError = inputs::InputError;

/// The study that `text`, the contents of the study file `file`, states. Files
/// it names (CSV inputs, the output folder) are relative to the study file's
/// folder; CSV files are read through `read`. Throws StudyError for a TOML
/// syntax error, an unknown key (naming the nearest known one), a missing key,
/// a value of the wrong type or out of range, schedule days or times that do
/// not increase, a CSV row with the wrong number of fields, a name used twice,
/// a name or title that is not UTF-8 text, holds a control character or is
/// longer than 200 characters, a well or receptor too far from the grid, or no
/// well at all. Names are checked in time linear in their number. `rows`, when
/// given, counts the wells, receptors and CSV rows read so far (for a progress
/// line on the console).
Study read_study(std::string_view text, const std::string& file, const inputs::ReadFile& read,
                 std::atomic<std::uint64_t>* rows = nullptr);

/// read_study of the file `file` (at most kLargestStudyFile bytes), its CSV
/// files read from the file system.
Study read_study_file(const std::string& file, std::atomic<std::uint64_t>* rows = nullptr);

}  // namespace study
