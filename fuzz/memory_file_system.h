// An in-memory file system for the fuzz targets: the program runs inside the
// fuzzer's process, its files are strings, and its fatal ends are caught.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>

#include "recio/units.h"

namespace leaky_fuzz {

/// Files and folders held in memory under the working folder "/fuzz", with
/// the console input, the console output and standard error as strings.
class MemoryFileSystem final : public recio::FileSystem {
 public:
  /// The working folder; it and "/fuzz/sub" exist, nothing else does at first.
  static constexpr const char* kFolder = "/fuzz";

  std::map<std::string, std::string> files;  ///< contents by full path
  std::set<std::string> folders{"/", "/fuzz", "/fuzz/sub"};  ///< existing folders
  std::set<std::string> read_only;           ///< files whose write access is refused
  std::string console_in;                    ///< what descriptor 0 reads
  std::string console_out;                   ///< what was written to descriptor 1
  std::string error_out;                     ///< what was written to descriptor 2
  std::size_t max_read = 1 << 16;            ///< largest chunk one read returns

  /// The full path of `name` in the working folder.
  static std::string path(const std::string& name) { return std::string(kFolder) + "/" + name; }

  std::string current_directory() override { return kFolder; }
  int open(const std::string& path, int flags) override;
  bool is_directory(int fd) override;
  long write(int fd, const char* data, std::size_t size) override;
  long read(int fd, char* data, std::size_t size) override;
  int truncate(int fd, long length) override;
  int seek(int fd, long offset) override;
  int close(int fd) override;
  std::string regular_file_id(int fd) override;

 private:
  struct Open {
    std::string path;
    bool folder = false;
    bool writable = false;
    std::size_t pos = 0;
  };
  std::map<int, Open> open_;
  int next_fd_ = 100;
  std::size_t console_pos_ = 0;
};

/// Thrown by the run-end handler that run_in_process installs.
struct RunEnded {
  int status;
};

/// Runs `body` with `fs` in use and with every end of the run turned into a
/// RunEnded; the units are forgotten before and after. Returns the exit status
/// the run ended with, or -1 when `body` returned.
template <typename Body>
int run_in_process(MemoryFileSystem& fs, Body&& body);

namespace detail {
void begin_run(MemoryFileSystem& fs);
void end_run();
}  // namespace detail

template <typename Body>
int run_in_process(MemoryFileSystem& fs, Body&& body) {
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
