// Standard error of a run split into the program's warnings and the other lines
// (run-time reports, the line saying where a read failed, refusals).
#pragma once

#include <string>
#include <vector>

namespace testing_support {

/// The texts of the warning lines of `err` (without prefix and line end) into
/// `warnings`, and the other lines, joined as they were, returned.
inline std::string without_warnings(const std::string& err, std::vector<std::string>* warnings = nullptr) {
  const std::string prefix = "leaky-drawdown: warning: ";
  std::string rest;
  for (std::size_t start = 0, end; start < err.size(); start = end) {
    end = err.find('\n', start) == std::string::npos ? err.size() : err.find('\n', start) + 1;
    const std::string line = err.substr(start, end - start);
    if (line.rfind(prefix, 0) != 0) rest += line;
    else if (warnings != nullptr) warnings->push_back(line.substr(prefix.size(), line.size() - prefix.size() - 1));
  }
  return rest;
}

/// The texts of the warning lines of `err`.
inline std::vector<std::string> warnings_in(const std::string& err) {
  std::vector<std::string> warnings;
  without_warnings(err, &warnings);
  return warnings;
}

/// The first line of `text`, with its line end.
inline std::string first_line(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

}  // namespace testing_support
