// The study file's keys of the streams' depletion: a stream's streambed and
// limits in its [[boundary]] table, the depletion outputs in [output].
#pragma once

#include <string>

#include <toml++/toml.h>

#include "study/study.h"

namespace study {

/// [output]'s `depletion` (the CSV) and `depletion_hydrographs` (a .png,
/// .svg or .pdf picture): plain file names in the output folder.
void read_depletion_outputs(const toml::table& output, const std::string& file, Output& o);

/// Whether a [[boundary]] table of `root` gives `depletion_limit` or
/// `depletion_limit_fraction`.
bool stream_limits_given(const toml::table& root);

/// A stream's `streambed_conductance` (feet per day, 0 or more),
/// `depletion_limit` (gallons per day, above 0) or `depletion_limit_fraction`
/// (above 0, at most 1; not with `depletion_limit`) from each [[boundary]]
/// table of `root` into s.boundaries (read before, in the same order); then
/// the checks that need the whole study: these keys only on a stream, a
/// streambed only in an aquifer without leakage and with no other boundary,
/// the depletion outputs only with a stream and no well named "all" (the
/// CSV's name for all wells). Throws StudyError naming the file and line.
void read_stream_keys(const toml::table& root, const std::string& file, Study& s);

}  // namespace study
