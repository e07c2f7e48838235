// Helpers of the recio tests: a temporary working directory and a file system
// whose calls can be made to fail, with an in-memory console.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "recio/error_report.h"
#include "recio/units.h"

namespace recio_test {

/// Runs a test in a fresh temporary directory (the current directory), with
/// the real file system and no unit connected.
class TempDirTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/recio-test-XXXXXX";
    ASSERT_NE(::mkdtemp(templ), nullptr);
    dir_ = templ;
    old_cwd_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
    recio::use_file_system(nullptr);
    recio::reset_units();
  }
  void TearDown() override {
    recio::set_run_end_handler(nullptr);
    recio::reset_units();
    recio::use_file_system(nullptr);
    std::filesystem::current_path(old_cwd_);
    std::error_code ec;
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all, ec);
    std::filesystem::remove_all(dir_, ec);
  }
  /// The full path of `name` in the temporary directory.
  std::string path(const std::string& name) const { return (dir_ / name).string(); }
  static std::string slurp(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void spit(const std::string& file, const std::string& data) {
    std::ofstream out(file, std::ios::binary);
    out << data;
  }
  std::filesystem::path dir_;
  std::filesystem::path old_cwd_;
};

/// The real file system, with an in-memory console (descriptor 0 reads
/// `console_in`, descriptor 1 appends to `console_out`) and failures on demand
/// (never on descriptor 2, standard error, where the error report goes).
class FakeFs : public recio::FileSystem {
 public:
  std::string console_in;
  std::size_t console_in_pos = 0;
  std::string console_out;
  std::deque<int> open_errors;    ///< errno for the next opens (0: the real open)
  bool directory = false;         ///< is_directory answers true
  int write_error = 0;            ///< errno for every write to a file
  int read_error = 0;             ///< errno for every read of a file
  int truncate_error = 0;         ///< errno for every truncate
  std::size_t max_read = 1 << 20; ///< largest chunk one read returns
  std::map<int, int> writes;      ///< write calls per descriptor
  std::string cwd_override;
  bool use_cwd_override = false;

  std::string current_directory() override {
    return use_cwd_override ? cwd_override : recio::posix_file_system().current_directory();
  }
  int open(const std::string& path, int flags) override {
    last_open_flags = flags;
    opened_paths.push_back(path);
    if (!open_errors.empty()) {
      const int e = open_errors.front();
      open_errors.pop_front();
      if (e != 0) return -e;
    }
    return recio::posix_file_system().open(path, flags);
  }
  bool is_directory(int fd) override { return directory || recio::posix_file_system().is_directory(fd); }
  long write(int fd, const char* data, std::size_t size) override {
    ++writes[fd];
    if (fd == 1) {
      console_out.append(data, size);
      return static_cast<long>(size);
    }
    if (fd == 2) return recio::posix_file_system().write(fd, data, size);  // the error line
    if (write_error != 0) return -write_error;
    return recio::posix_file_system().write(fd, data, size);
  }
  long read(int fd, char* data, std::size_t size) override {
    size = std::min(size, max_read);
    if (fd == 0) {
      const std::size_t n = std::min(size, console_in.size() - console_in_pos);
      console_in.copy(data, n, console_in_pos);
      console_in_pos += n;
      return static_cast<long>(n);
    }
    if (read_error != 0) return -read_error;
    return recio::posix_file_system().read(fd, data, size);
  }
  int truncate(int fd, long length) override {
    if (truncate_error != 0) return -truncate_error;
    return recio::posix_file_system().truncate(fd, length);
  }
  int seek(int fd, long offset) override { return recio::posix_file_system().seek(fd, offset); }
  int close(int fd) override { return recio::posix_file_system().close(fd); }
  std::string regular_file_id(int fd) override { return recio::posix_file_system().regular_file_id(fd); }

  int last_open_flags = 0;
  std::vector<std::string> opened_paths;
};

/// A TempDirTest with a FakeFs in use.
class FakeFsTest : public TempDirTest {
 protected:
  void SetUp() override {
    TempDirTest::SetUp();
    recio::use_file_system(&fs_);
  }
  FakeFs fs_;
};

/// The regex-escaped form of `s` for death-test matchers.
inline std::string escaped(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

}  // namespace recio_test
