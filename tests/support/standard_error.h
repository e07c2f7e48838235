// Standard error of a run, line by line: the program's warnings, the run-time
// report lines and the line after a failed read that says where it failed.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace testing_support {

/// The prefix of every warning line.
inline const std::string kWarning = "leaky-drawdown: warning: ";

/// The lines of `err` that are not warnings, joined as they were.
inline std::string without_warnings(const std::string& err) {
  std::string rest;
  for (std::size_t start = 0; start < err.size();) {
    const std::size_t end = std::min(err.find('\n', start), err.size() - 1) + 1;
    if (err.compare(start, kWarning.size(), kWarning) != 0) rest += err.substr(start, end - start);
    start = end;
  }
  return rest;
}

/// The texts of the warning lines of `err`, without prefix and line end.
inline std::vector<std::string> warnings_in(const std::string& err) {
  std::vector<std::string> texts;
  for (std::size_t start = 0; start < err.size();) {
    const std::size_t end = std::min(err.find('\n', start), err.size());
    if (err.compare(start, kWarning.size(), kWarning) == 0)
      texts.push_back(err.substr(start + kWarning.size(), end - start - kWarning.size()));
    start = end + 1;
  }
  return texts;
}

/// The first line of `text`, with its line end.
inline std::string first_line(const std::string& text) { return text.substr(0, text.find('\n') + 1); }

}  // namespace testing_support
