// The program's messages on standard error: one line each, after everything
// already written to standard output.
#pragma once

#include <cstdio>
#include <string_view>

#include "base/exit_status.h"
#include "base/printable.h"

namespace base {

/// Writes kMessagePrefix, `line` (shown by printable_name, so that nothing in
/// it can add a line or reach the terminal as a control) and a line end to
/// standard error, standard output flushed first so that the two keep their
/// order on a terminal.
inline void complain(std::string_view text) {
  const std::string line = printable_name(text);
  std::fflush(stdout);
  std::fprintf(stderr, "%.*s%.*s\n", static_cast<int>(kMessagePrefix.size()), kMessagePrefix.data(),
               static_cast<int>(line.size()), line.data());
  std::fflush(stderr);
}

}  // namespace base
