// The one fake file system of the tests and the fuzz targets: the program's
// operating-system calls (recio::FileSystem) with the console in memory,
// failures on demand, and the files either the real ones or strings in memory.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "recio/units.h"

namespace testing_support {

/// A recio::FileSystem for tests (Files::real: the real files, through the
/// POSIX calls, in a scratch folder) and for the fuzz targets (Files::memory:
/// files and folders as strings, so that the program runs inside the fuzzer's
/// process). Either way descriptor 0 reads `console_in`, descriptor 1 appends
/// to `console_out`, and the failures below can be asked for; standard error
/// (descriptor 2) is never made to fail.
class FakeFileSystem final : public recio::FileSystem {
 public:
  /// Where the files are.
  enum class Files { real, memory };

  /// The working folder of Files::memory; it and "<kFolder>/sub" exist at
  /// first, nothing else does.
  static constexpr const char* kFolder = "/memory";

  explicit FakeFileSystem(Files files = Files::real);

  // --- The console ----------------------------------------------------------
  std::string console_in;        ///< what descriptor 0 reads
  std::string console_out;       ///< what was written to descriptor 1
  /// Standard error: with Files::memory its bytes are kept in `error_out`;
  /// with Files::real they go to the real standard error (where death tests
  /// look for them).
  std::string error_out;

  // --- Files::memory ---------------------------------------------------------
  std::map<std::string, std::string> files;  ///< contents by full path
  std::set<std::string> folders;             ///< existing folders
  std::set<std::string> read_only;           ///< files whose write access is refused
  /// The full path of `name` in the working folder kFolder.
  static std::string path(const std::string& name) { return std::string(kFolder) + "/" + name; }

  // --- Failures on demand -----------------------------------------------------
  std::deque<int> open_errors;     ///< errno for the next opens (0: the open goes ahead)
  bool directory = false;          ///< is_directory answers true
  int write_error = 0;             ///< errno for every write to a file
  int read_error = 0;              ///< errno for every read of a file
  int truncate_error = 0;          ///< errno for every truncate
  std::size_t max_read = 1 << 16;  ///< largest chunk one read returns
  bool use_cwd_override = false;   ///< current_directory answers `cwd_override`
  std::string cwd_override;

  // --- What the program did ---------------------------------------------------
  std::map<int, int> writes;               ///< write calls per descriptor
  std::map<std::string, std::string> sent; ///< bytes written to each file, by the name it was opened by
  std::vector<std::string> opened_paths;   ///< every path given to open, in order
  int last_open_flags = 0;                 ///< the flags of the last open

  std::string current_directory() override;
  int open(const std::string& path, int flags) override;
  bool is_directory(int fd) override;
  long write(int fd, const char* data, std::size_t size) override;
  long read(int fd, char* data, std::size_t size) override;
  int truncate(int fd, long length) override;
  int seek(int fd, long offset) override;
  int close(int fd) override;
  std::string regular_file_id(int fd) override;

 private:
  // An open descriptor: its path, and for Files::memory its state.
  struct Open {
    std::string path;
    bool folder = false;
    bool writable = false;
    std::size_t pos = 0;
  };
  bool memory() const { return files_ == Files::memory; }
  int open_in_memory(const std::string& path, int flags);
  long write_in_memory(Open& o, const char* data, std::size_t size);
  long read_in_memory(Open& o, char* data, std::size_t size);

  Files files_;
  std::map<int, Open> open_;
  int next_fd_ = 100;
  std::size_t console_pos_ = 0;
};

}  // namespace testing_support
