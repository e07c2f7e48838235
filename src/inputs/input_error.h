// The one error of every input reader: why a file cannot be taken, as one
// line naming the file and the line it concerns.
#pragma once

#include <string>

namespace inputs {

/// Why an input cannot be taken: one line, without the program's name,
/// starting with the file and line it concerns ("study.toml:12: ...").
struct InputError {
  std::string message;
};

}  // namespace inputs
