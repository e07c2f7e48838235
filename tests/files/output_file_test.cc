// OutputFile: a file takes the place of the old one of its name only when it
// is whole; a failed one leaves no fragment and the old file untouched. In a
// study's OutputFolder nothing is followed, and a stop by signal removes the
// unfinished files.
#include "files/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <string>
#include <utility>

#include "fake_disk.h"
#include "files/sha256.h"
#include "files/temporaries.h"

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
  files::OutputFile file(path("dd.asc"));
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
          files::OutputFile file(path(name));
          file.write(std::string(65536, 'x'));
          std::fprintf(stderr, "%s;", file.finish().c_str());
        }
        std::exit(0);
      },
      testing::ExitedWithCode(0), "^File too large;File too large;$");
  {
    files::OutputFile unfinished(path("dd.asc"));
    unfinished.write("partial");
  }
  EXPECT_EQ(read("dd.asc"), "old contents");
  EXPECT_EQ(entries(), std::set<std::string>{"dd.asc"});
}

// A file written whole into a folder is recorded with its SHA-256 (the
// digests of FIPS 180-4's examples).
TEST_F(OutputFileTest, AFolderRecordsEachFileWrittenWholeWithItsDigest) {
  files::OutputFolder out;
  ASSERT_EQ(out.open_below(folder_.string(), "a/b"), "");
  EXPECT_EQ(files::write_whole_file(files::Target(out, "abc.csv"), "abc"), "");
  files::OutputFile two(files::Target(out, "long.csv"));
  two.write("abcdbcdecdefdefgefghfghighijhijkijkl");
  two.write("jklmklmnlmnomnopnopq");
  EXPECT_EQ(two.finish(), "");
  ASSERT_EQ(out.written().size(), 2u);
  EXPECT_EQ(out.written()[0].name, "abc.csv");
  EXPECT_EQ(out.written()[0].sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(out.written()[1].sha256, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(out.written()[1].size, 56u);
  EXPECT_EQ(files::Sha256().hex(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(read("a/b/abc.csv"), "abc");
}

// What the disk does wrong late (a failed sync: an I/O error, or no space
// found only then) or silently (a write that stores fewer bytes than it
// reports) fails the file: the old file stays whole, no hidden file is left,
// and in a study's folder the file is not recorded; the same name written
// whole afterwards is recorded once, with the digest of what it holds.
TEST_F(OutputFileTest, ADiskThatFailsLateOrSilentlyLeavesTheOldFileAndRecordsNothing) {
  const struct {
    const char* what;
    int sync_error;
    std::size_t stored;
    const char* why;
  } kCases[] = {
      {"an I/O error at the sync", EIO, std::numeric_limits<std::size_t>::max(), "Input/output error"},
      {"no space found at the sync", ENOSPC, std::numeric_limits<std::size_t>::max(), "No space left on device"},
      {"half of each write stored", 0, 2, "only 4 of 8 bytes reached the disk"},
  };
  for (const auto& c : kCases) {
    files::OutputFolder out;
    ASSERT_EQ(out.open_below(folder_.string(), "."), "");
    {
      files_testing::FakeDisk disk;
      disk.sync_error = c.sync_error;
      disk.stored = c.stored;
      for (const files::Target& target : {files::Target(path("dd.asc")), files::Target(out, "dd.asc")}) {
        files::OutputFile file(target);
        EXPECT_TRUE(file.write("new ")) << c.what;
        EXPECT_TRUE(file.write("file")) << c.what;
        EXPECT_EQ(file.finish(), c.why) << c.what;
      }
      EXPECT_EQ(disk.syncs, 2) << c.what << ": each file synced before it takes the old one's place";
    }
    EXPECT_EQ(read("dd.asc"), "old contents") << c.what;
    EXPECT_EQ(entries(), std::set<std::string>{"dd.asc"}) << c.what;
    EXPECT_TRUE(out.written().empty()) << c.what;
    // The same name written whole by the system's disk.
    EXPECT_EQ(files::write_whole_file(files::Target(out, "dd.asc"), "abc"), "") << c.what;
    ASSERT_EQ(out.written().size(), 1u) << c.what;
    EXPECT_EQ(out.written()[0].sha256, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(out.written()[0].size, 3u);
    std::ofstream(path("dd.asc")) << "old contents";
  }
}

// In a study's folder a planted link or a FIFO is refused for its file, and
// a link in the folder's own path is not followed.
TEST_F(OutputFileTest, InAStudysFolderNothingIsFollowed) {
  fs::create_directories(folder_ / "out");
  fs::create_symlink("../dd.asc", folder_ / "out/link.csv");
  ASSERT_EQ(::mkfifo(path("out/pipe.csv").c_str(), 0600), 0);
  files::OutputFolder out;
  ASSERT_EQ(out.open_below(folder_.string(), "out"), "");
  EXPECT_EQ(files::write_whole_file(files::Target(out, "link.csv"), "x"),
            "it is a symbolic link, which a study's outputs do not follow");
  EXPECT_EQ(files::write_whole_file(files::Target(out, "pipe.csv"), "x"), "it is not a regular file");
  EXPECT_EQ(files::write_whole_file(files::Target(out, "../x.csv"), "x"), "a study's output names hold no folder");
  EXPECT_EQ(read("dd.asc"), "old contents");
  EXPECT_TRUE(out.written().empty());

  fs::create_symlink(folder_ / "out", folder_ / "via");
  files::OutputFolder linked;
  EXPECT_EQ(linked.open_below(folder_.string(), "via/new"),
            "'via' is a symbolic link, which a study's output folder does not follow");
  EXPECT_FALSE(fs::exists(folder_ / "out/new"));
  files::OutputFolder above;
  EXPECT_EQ(above.open_below(path("out"), "../.."), "it leaves the study file's folder");
  files::OutputFolder through;
  EXPECT_EQ(through.open_below(folder_.string(), "x/../out"), "");
  EXPECT_EQ(through.shown("f.csv"), folder_.string() + "/x/../out/f.csv");
}

TEST(OutputNames, WhatStaysWithinItsFolder) {
  const struct {
    const char* path;
    bool within, plain;
  } kCases[] = {
      {"out", true, true},        {"a/b", true, false},     {"a/../b", true, false},  {"./a", true, false},
      {"..", false, false},       {"../a", false, false},   {"a/../../b", false, false},
      {"/tmp/a", false, false},   {"", false, false},       {".", true, false},      {"a/", true, false},
      {".hidden", true, true},    {"a..b", true, true},
  };
  for (const auto& k : kCases) {
    EXPECT_EQ(files::stays_within(k.path), k.within) << k.path;
    EXPECT_EQ(files::is_plain_name(k.path), k.plain) << k.path;
  }
}

TEST(Temporaries, NamesAreNewEachTimeAndRecognisedAsTheProgramsOwn) {
  const std::string a = files::temporary_name("dd.asc"), b = files::temporary_name("dd.asc");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind(".dd.asc.", 0), 0u) << a;
  EXPECT_EQ(a.size(), std::string(".dd.asc.").size() + 16 + std::string(".leaky-tmp").size()) << a;
  EXPECT_LE(files::temporary_name(std::string(300, 'x')).size(), 255u);
  for (const std::string& own : {a, std::string(".drawdown.partial-123-0.tif"), std::string(".c.partial-9-1.gpkg-journal"),
                                 std::string(".c.partial-9-1.shx"), std::string(".map_30d.png.77-0-123456.tmp")})
    EXPECT_TRUE(files::is_temporary_name(own)) << own;
  for (const char* other : {"dd.asc", ".keep", ".dd.asc.0123456789abcdeg.leaky-tmp", ".dd.asc.0123.leaky-tmp",
                            ".x.partial-1-2.tif.bak", "dd.partial-1-2.tif", ".x.1-2.tmp"})
    EXPECT_FALSE(files::is_temporary_name(other)) << other;
}

// SIGINT or SIGTERM while files are being written: the unfinished files are
// removed, one line says so, and the status is 128 + the signal's number.
TEST_F(OutputFileTest, AStopBySignalRemovesTheUnfinishedFiles) {
  for (const auto& [signal_number, name] : {std::pair{SIGINT, "SIGINT"}, std::pair{SIGTERM, "SIGTERM"}}) {
    SCOPED_TRACE(name);
    EXPECT_EXIT(
        {
          files::remove_temporaries_on_signals();
          files::OutputFolder out;
          if (!out.open_below(folder_.string(), "out").empty()) std::exit(1);
          files::OutputFile in_folder(files::Target(out, "dd.asc"));
          in_folder.write("partial");
          files::OutputFile at_path(path("dd.asc"));
          at_path.write("partial");
          std::raise(signal_number);
          std::exit(2);
        },
        testing::ExitedWithCode(128 + signal_number),
        "^leaky-drawdown: stopped by " + std::string(name) + "; unfinished output files removed\n$");
    EXPECT_EQ(entries(), (std::set<std::string>{"dd.asc", "out"}));
    EXPECT_TRUE(fs::is_empty(folder_ / "out"));
    EXPECT_EQ(read("dd.asc"), "old contents");
  }
}

}  // namespace
