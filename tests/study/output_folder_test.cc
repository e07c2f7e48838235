// A study's output folder, end to end: a study file is data from someone
// else, so it writes only inside its folder and follows no link planted
// there; the person running it may send the outputs elsewhere; one study at
// a time writes a folder; a killed study's leftovers are cleared; and the
// manifest, written last, tells which files belong to the run.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "base/exit_status.h"
#include "program_run.h"
#include "study_texts.h"

namespace {

namespace fs = std::filesystem;
using study_testing::edited;
using study_testing::kSmallStudy;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

std::set<std::string> entries(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
  return names;
}

// The SHA-256 of a file as coreutils computes it.
std::string sha256sum(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("sha256sum '" + path + "'").c_str(), "r"), ::pclose);
  char digest[65] = {};
  if (pipe == nullptr || std::fread(digest, 1, 64, pipe.get()) != 64) return "";
  return digest;
}

TEST(OutputFolder, APlantedLinkIsRefusedForItsFileAndTheOthersAreWritten) {
  ScratchFolder folder;
  folder.write("study.toml", kSmallStudy);
  folder.write("victim", "precious\n");
  fs::create_directory(folder.path() + "/out");
  fs::create_symlink("../victim", folder.path() + "/out/series.csv");
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err,
            "leaky-drawdown: cannot write the series file 'out/series.csv': it is a symbolic link, which a study's "
            "outputs do not follow\n");
  EXPECT_EQ(folder.read("victim"), "precious\n");
  EXPECT_TRUE(fs::is_symlink(folder.path() + "/out/series.csv"));
  EXPECT_NE(folder.read("out/drawdown_30d.asc"), "");
  EXPECT_NE(folder.read("out/drawdown_90d.asc"), "");
  const std::string manifest = folder.read("out/manifest.json");
  EXPECT_EQ(manifest.find("\"series.csv\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("cannot write the series file"), std::string::npos) << manifest;
}

TEST(OutputFolder, AnOutputFolderThatIsALinkIsNotFollowed) {
  ScratchFolder folder, elsewhere;
  folder.write("study.toml", edited(kSmallStudy, "folder = \"out\"", "folder = \"a/out\""));
  fs::create_directory(folder.path() + "/a");
  fs::create_symlink(elsewhere.path(), folder.path() + "/a/out");
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot open the output folder 'a/out': 'out' is a symbolic link, which a study's "
                   "output folder does not follow\n");
  EXPECT_EQ(entries(elsewhere.path()), std::set<std::string>{});
  EXPECT_NE(r.out.find("largest drawdown"), std::string::npos) << "the summary is shown all the same";
}

TEST(OutputFolder, TheCommandLineSendsTheOutputsWhereItsUserSays) {
  ScratchFolder folder, elsewhere;
  folder.write("study.toml", kSmallStudy);
  const std::string target = elsewhere.path() + "/new/folder";
  RunResult r = run_program(folder, "", {"--study", "study.toml", "--output-folder", target});
  EXPECT_EQ(r.status, base::kExitSuccess) << r.err;
  EXPECT_EQ(entries(target), (std::set<std::string>{"drawdown_30d.asc", "drawdown_90d.asc", "series.csv",
                                                    "manifest.json"}));
  EXPECT_FALSE(folder.exists("out"));
  r = run_program(folder, "", {"--output-folder", target, "in.dat", "out.rpt"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err.rfind("leaky-drawdown: option '--output-folder' is for --study", 0), 0u) << r.err;
}

TEST(OutputFolder, ACsvFileThatLeadsOutOfTheStudysFolderIsNotRead) {
  ScratchFolder folder, elsewhere;
  elsewhere.write("r.csv", "R-2,2150250,720150\n");
  folder.write("study.toml", edited(kSmallStudy, "times = ", "receptors_file = \"r.csv\"\ntimes = "));
  fs::create_symlink(elsewhere.path() + "/r.csv", folder.path() + "/r.csv");
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err, "leaky-drawdown: study.toml: cannot read the receptors file 'r.csv': it lies outside the study "
                   "file's folder\n");
  EXPECT_FALSE(folder.exists("out"));
}

TEST(OutputFolder, AFolderAnotherStudyWritesEndsTheStudyWithStatus5) {
  ScratchFolder folder;
  folder.write("study.toml", kSmallStudy);
  fs::create_directory(folder.path() + "/out");
  const int held = ::open((folder.path() + "/out").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  ::close(held);
  EXPECT_EQ(r.status, base::kExitBusy);
  EXPECT_EQ(r.err, "leaky-drawdown: another study or run is writing into the output folder 'out'; nothing was written\n");
  EXPECT_EQ(entries(folder.path() + "/out"), std::set<std::string>{});
  EXPECT_EQ(r.out, "");
}

TEST(OutputFolder, ARunWritingIntoAFolderAStudyWritesEndsWithStatus5) {
  ScratchFolder folder;
  folder.write("in.dat", study_testing::bundled_example());
  fs::create_directory(folder.path() + "/out");
  const int held = ::open((folder.path() + "/out").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
  RunResult r = run_program(folder, "", {"--grid", "out/dd.asc", "in.dat", "out.rpt"});
  EXPECT_EQ(r.status, base::kExitBusy);
  EXPECT_EQ(r.err, "leaky-drawdown: a study is writing into the folder 'out'; nothing was written\n");
  EXPECT_FALSE(folder.exists("out.rpt"));
  EXPECT_FALSE(folder.exists("ARCFILE"));
  ::close(held);
  // Once the study is done, the run writes.
  r = run_program(folder, "", {"--grid", "out/dd.asc", "in.dat", "out.rpt"});
  EXPECT_EQ(r.status, base::kExitSuccess) << r.err;
  EXPECT_TRUE(folder.exists("out/dd.asc"));
}

TEST(OutputFolder, TheManifestListsTheInputsAndOutputsWithTheirDigests) {
  ScratchFolder folder;
  folder.write("study.toml", kSmallStudy);
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(r.status, base::kExitSuccess) << r.err;
  const std::string manifest = folder.read("out/manifest.json");
  EXPECT_NE(manifest.find("\"program\": \"leaky-drawdown 1.0.0\""), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("{\"file\": \"study.toml\", \"sha256\": \"" + sha256sum(folder.path() + "/study.toml") + "\"}"),
            std::string::npos)
      << manifest;
  for (const char* name : {"drawdown_30d.asc", "drawdown_90d.asc", "series.csv"}) {
    const std::string path = folder.path() + "/out/" + name;
    EXPECT_NE(manifest.find(std::string("{\"file\": \"") + name + "\", \"sha256\": \"" + sha256sum(path) +
                            "\", \"bytes\": " + std::to_string(fs::file_size(path)) + "}"),
              std::string::npos)
        << name << "\n" << manifest;
  }
  EXPECT_NE(manifest.find("\"warnings\": [],"), std::string::npos) << manifest;
  EXPECT_NE(manifest.find("\"ended\": \"20"), std::string::npos) << manifest;
}

TEST(OutputFolder, AKilledRunsTemporariesAndAnEarlierRunsOtherTimesAreRemoved) {
  ScratchFolder folder;
  folder.write("study.toml", kSmallStudy);
  ASSERT_EQ(run_program(folder, "", {"--study", "study.toml"}).status, base::kExitSuccess);
  // What a killed run leaves, and files that are not the program's.
  for (const char* name : {".drawdown_30d.asc.0123456789abcdef.leaky-tmp", ".drawdown.partial-4242-0.tif",
                           ".contours.partial-4242-1.gpkg-journal", ".series.csv.4242-0-17.tmp", ".keep",
                           "notes.txt", ".series.csv.0123456789abcdef.leaky-tmp.txt"})
    folder.write(std::string("out/") + name, "x");
  // One time fewer: the 90-day grid of the earlier run is stale.
  folder.write("study.toml", edited(edited(kSmallStudy, "[30.0, 90.0]", "[30.0]"), "\"drawdown.asc\"", "\"dd.asc\""));
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(r.status, base::kExitSuccess) << r.err;
  EXPECT_EQ(entries(folder.path() + "/out"),
            (std::set<std::string>{"dd.asc", "series.csv", "manifest.json", ".keep", "notes.txt",
                                   ".series.csv.0123456789abcdef.leaky-tmp.txt"}));
}

TEST(OutputFolder, AStopBySigtermSaysSoAndLeavesNoTemporaryNorManifest) {
  ScratchFolder folder;
  // A study that takes seconds after its first file: a large grid, many
  // terms and eight times, each time's grid a second or more.
  std::string text = edited(kSmallStudy, "columns = 4", "columns = 1500");
  text = edited(text, "rows = 3", "rows = 1500");
  text = edited(text, "[30.0, 90.0]", "[30.0, 60.0, 90.0, 120.0, 150.0, 180.0, 210.0, 240.0]");
  text = edited(text, "rate = 250000.0", "schedule = [[0.0, 1e5], [1.0, 2e5], [2.0, 3e5], [3.0, 4e5], [4.0, 5e5]]");
  folder.write("study.toml", text);
  // SIGTERM once the first hidden file of an output is there (the study is
  // writing), polled every 10 ms for at most two minutes; the status is the
  // program's.
  const char* const kStopWhenWriting =
      "sh -c 'LEAKY_EVALUATION=reference \"$@\" & p=$!; n=0; "
      "until ls out/.*.leaky-tmp >/dev/null 2>&1 || ! kill -0 $p 2>/dev/null || [ $n -ge 12000 ]; do "
      "sleep 0.01; n=$((n+1)); done; kill -TERM $p; wait $p' sh";
  const RunResult r = testing_support::run_wrapped(folder, kStopWhenWriting, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, 128 + SIGTERM);
  EXPECT_EQ(r.err, "leaky-drawdown: stopped by SIGTERM; unfinished output files removed\n");
  for (const std::string& name : entries(folder.path() + "/out")) {
    EXPECT_NE(name, "manifest.json");
    EXPECT_EQ(name.find(".leaky-tmp"), std::string::npos) << name;
    EXPECT_EQ(name.rfind("drawdown_", 0), 0u) << name << ": only the grids of times done";
  }
}

}  // namespace
