// The program's messages on standard error: one line each, after everything
// already written to standard output.
#pragma once

#include <cstdio>
#include <string_view>

#include "base/exit_status.h"

namespace base {

/// Writes kMessagePrefix, `line` and a line end to standard error, standard
/// output flushed first so that the two keep their order on a terminal.
inline void complain(std::string_view line) {
  std::fflush(stdout);
  std::fprintf(stderr, "%.*s%.*s\n", static_cast<int>(kMessagePrefix.size()), kMessagePrefix.data(),
               static_cast<int>(line.size()), line.data());
  std::fflush(stderr);
}

}  // namespace base
