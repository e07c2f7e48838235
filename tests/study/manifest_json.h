// A study's manifest read back by json-c, a strict JSON reader of its own.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace study_testing {

/// The "file" of each entry of "inputs" of a manifest's text as json-c reads
/// it, refusing text that is not strict JSON or not UTF-8: nothing then.
std::optional<std::vector<std::string>> inputs_by_json_c(const std::string& text);

}  // namespace study_testing
