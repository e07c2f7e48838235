// Helpers of the recio tests: a temporary working directory, and the fake file
// system of tests/support (its calls can be made to fail, its console is in
// memory) in use there.
#pragma once

#include <fcntl.h>  // the open flags and errno values the tests give and check
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "fake_file_system.h"
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

/// The fake file system of tests/support with the real files (of the
/// temporary directory), an in-memory console and failures on demand.
using FakeFs = testing_support::FakeFileSystem;

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
