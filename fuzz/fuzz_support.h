// What the fuzz targets share besides the fake file system of tests/support:
// running the program in the fuzzer's process, and reporting a finding.
#pragma once

#include <string>

#include "fake_file_system.h"

namespace leaky_fuzz {

using testing_support::FakeFileSystem;

/// Thrown by the run-end handler that run_in_process installs.
struct RunEnded {
  int status;
};

/// Runs `body` with `fs` in use and with every end of the run turned into a
/// RunEnded; the units are forgotten before and after. Returns the exit status
/// the run ended with, or -1 when `body` returned.
template <typename Body>
int run_in_process(FakeFileSystem& fs, Body&& body);

namespace detail {
void begin_run(FakeFileSystem& fs);
void end_run();
}  // namespace detail

template <typename Body>
int run_in_process(FakeFileSystem& fs, Body&& body) {
  detail::begin_run(fs);
  int status = -1;
  try {
    body();
  } catch (const RunEnded& e) {
    status = e.status;
  }
  detail::end_run();
  return status;
}

/// Ends the fuzzing process with a message when `ok` is false: a finding.
void check(bool ok, const char* what, const std::string& detail = "");

}  // namespace leaky_fuzz
