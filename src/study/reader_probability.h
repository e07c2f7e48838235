// The study file's keys of the probability grid: [output]'s `probability`
// and `probability_level`, which need [uncertainty].
#pragma once

#include <string>

#include <toml++/toml.h>

#include "study/study.h"

namespace study {

/// [output]'s `probability` (a .tif or .asc grid, a plain file name in the
/// output folder) and `probability_level` (a drawdown in the study's length
/// unit) from `root`, read after [uncertainty]: each needs the other, and
/// `probability` needs [uncertainty]. Throws StudyError naming the file and line.
void read_probability_keys(const toml::table& root, const std::string& file, Study& s);

}  // namespace study
