#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>

#include "recio/error_report.h"
#include "recio/units.h"

namespace leaky_fuzz {
namespace {

[[noreturn]] void throw_run_ended(int status) { throw RunEnded{status}; }

}  // namespace

namespace detail {

void begin_run(FakeFileSystem& fs) {
  recio::reset_units();
  recio::use_file_system(&fs);
  recio::set_run_end_handler(throw_run_ended);
}

void end_run() {
  recio::reset_units();
  recio::set_run_end_handler(nullptr);
  recio::use_file_system(nullptr);
}

}  // namespace detail

void check(bool ok, const char* what, const std::string& detail) {
  if (ok) return;
  std::fprintf(stderr, "FINDING: %s\n", what);
  if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
  std::abort();
}

}  // namespace leaky_fuzz
