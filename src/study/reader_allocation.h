// The study file's keys of the allocation: the [allocation] table, each
// well's part in its [[well]] table, and the outputs `contributions` and
// `allocation` in [output].
#pragma once

#include <string>

#include <toml++/toml.h>

#include "study/study.h"

namespace study {

/// [allocation]'s `objective` ("total", the default, or "weighted"); each
/// [[well]] table's `min_factor` (0 or more, default 0), `max_factor` (above
/// 0, at least min_factor; default none), `fixed` (true or false; not with
/// the factors) and `weight` (above 0, default 1; with "weighted" only),
/// which need [allocation]; [output]'s `contributions` and `allocation`
/// (plain file names in the output folder; `allocation` needs [allocation]).
/// [allocation] and `contributions` need a receptor with a limit, and
/// [allocation] no stream depletion limit (which it does not keep). Into
/// s.allocation and s.output, after every well, receptor and boundary is
/// read. Throws StudyError naming the file and line.
void read_allocation_keys(const toml::table& root, const std::string& file, Study& s);

}  // namespace study
