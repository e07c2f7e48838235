// A scratch folder for the picture tests that write files, removed after each
// test.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace picture_testing {

class PictureFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("picture-test-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  /// The path of `name` in the folder.
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  /// The bytes of the file `path`, "" when it cannot be read.
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::filesystem::path folder_;
};

}  // namespace picture_testing
