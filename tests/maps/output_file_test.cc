// OutputFile: a file takes the place of the old one of its name only when it
// is whole; a failed one leaves no fragment and the old file untouched.
#include "maps/output_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace {

namespace fs = std::filesystem;

// Files of this process cannot grow beyond `bytes`: a write past it fails
// with EFBIG, as a write to a full disk fails with ENOSPC.
void limit_file_size(rlim_t bytes) {
  std::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

class OutputFileTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/output-file-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    folder_ = folder;
    std::ofstream(path("dd.asc")) << "old contents";
    fs::permissions(path("dd.asc"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  }
  void TearDown() override { fs::remove_all(folder_); }
  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  std::string read(const std::string& name) const {
    std::ifstream in(path(name), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_)) names.insert(e.path().filename().string());
    return names;
  }
  fs::path folder_;
};

TEST_F(OutputFileTest, TheOldFileStaysWholeUntilTheNewOneIsComplete) {
  maps::OutputFile file(path("dd.asc"));
  ASSERT_TRUE(file.write("new "));
  EXPECT_EQ(read("dd.asc"), "old contents");
  ASSERT_TRUE(file.write("contents"));
  EXPECT_EQ(file.finish(), "");
  EXPECT_EQ(read("dd.asc"), "new contents");
  EXPECT_EQ(fs::status(path("dd.asc")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(entries(), std::set<std::string>{"dd.asc"});
}

// A disk that fills up (here: a file size limit) and a file left unfinished.
TEST_F(OutputFileTest, AFailedFileLeavesNoFragmentAndTheOldFileUntouched) {
  EXPECT_EXIT(
      {
        limit_file_size(4096);
        for (const char* name : {"dd.asc", "new.asc"}) {
          maps::OutputFile file(path(name));
          file.write(std::string(65536, 'x'));
          std::fprintf(stderr, "%s;", file.finish().c_str());
        }
        std::exit(0);
      },
      testing::ExitedWithCode(0), "^File too large;File too large;$");
  {
    maps::OutputFile unfinished(path("dd.asc"));
    unfinished.write("partial");
  }
  EXPECT_EQ(read("dd.asc"), "old contents");
  EXPECT_EQ(entries(), std::set<std::string>{"dd.asc"});
}

}  // namespace
