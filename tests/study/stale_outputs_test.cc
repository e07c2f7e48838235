// The outputs of an earlier study in a study's output folder, end to end: only
// what the program wrote there, unchanged, is removed; the user's files, the
// study's inputs and anything a planted manifest names otherwise stay, each
// said in a line. The manifest found there is read without waiting, and the
// one written is JSON that a strict reader takes, whatever the names.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "program_run.h"
#include "manifest_json.h"
#include "study_texts.h"

namespace {

namespace fs = std::filesystem;
using study_testing::edited;
using study_testing::kSmallStudy;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

// The SHA-256 of a file as coreutils computes it.
std::string sha256sum(const std::string& path) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(("sha256sum '" + path + "'").c_str(), "r"), ::pclose);
  char digest[65] = {};
  if (pipe == nullptr || std::fread(digest, 1, 64, pipe.get()) != 64) return "";
  return digest;
}

// A manifest entry: a name as written in JSON, and the file whose true size
// and digest it records, or a digest of its own.
struct Listed {
  std::string json_name;
  std::string file;          // in the scratch folder: its size, and its digest unless `digest` is given
  std::string digest = "";   // a planted digest
};

std::string planted_manifest(const ScratchFolder& folder, const std::vector<Listed>& listed) {
  std::string text = "{\n  \"program\": \"leaky-drawdown 1.0.0\",\n  \"inputs\": [],\n  \"outputs\": [\n";
  for (std::size_t k = 0; k < listed.size(); ++k) {
    const std::string path = folder.path() + "/" + listed[k].file;
    const std::string digest = listed[k].digest.empty() ? sha256sum(path) : listed[k].digest;
    text += "    {\"file\": \"" + listed[k].json_name + "\", \"sha256\": \"" + digest +
            "\", \"bytes\": " + std::to_string(fs::file_size(path)) + "}" + (k + 1 < listed.size() ? ",\n" : "\n");
  }
  return text + "  ],\n  \"warnings\": [],\n  \"started\": \"\",\n  \"ended\": \"\"\n}\n";
}

const std::string kZeros(64, '0');

// A planted or stale manifest in the folder a study writes: what it names
// and the program did not write, exactly, stays.
TEST(StaleOutputs, APlantedManifestLeavesTheUsersFilesAndTheInputs) {
  const std::string in_own_folder =
      edited(edited(kSmallStudy, "folder = \"out\"", "folder = \".\""), "times = ", "receptors_file = \"r.csv\"\ntimes = ");
  const struct {
    const char* what;
    std::string study;
    std::string folder;  // where the outputs go ("" for --output-folder elsewhere)
    std::vector<std::string> kept;
    std::vector<Listed> listed;
    std::vector<std::string> lines;  // each on standard error
  } kCases[] = {
      {"the user's files with a planted digest", kSmallStudy, "out", {"thesis.pdf", "budget.csv", "map.gpkg"},
       {{"thesis.pdf", "out/thesis.pdf", kZeros}, {"budget.csv", "out/budget.csv", kZeros},
        {"map.gpkg", "out/map.gpkg", kZeros}},
       {"left 'out/thesis.pdf', which the output folder's earlier manifest lists: it is not the file the manifest "
        "recorded (its size or SHA-256 differs)",
        "left 'out/map.gpkg'"}},
      {"the study's own inputs with their true digests", in_own_folder, ".", {"study.toml", "r.csv"},
       {{"study.toml", "study.toml"}, {"r.csv", "r.csv"}},
       {"left 'r.csv', which the output folder's earlier manifest lists: it is one of this study's inputs",
        "left 'study.toml', which the output folder's earlier manifest lists: it is not named like an output"}},
      {"a file not named like an output, with its true digest", kSmallStudy, "out", {"notes.txt"},
       {{"notes.txt", "out/notes.txt"}},
       {"left 'out/notes.txt', which the output folder's earlier manifest lists: it is not named like an output"}},
      {"a name cut at a NUL", kSmallStudy, "out", {"notes.txt"}, {{"notes.txt\\u0000.csv", "out/notes.txt"}},
       {"left 'out/notes.txt\\x00.csv', which the output folder's earlier manifest lists: its listed name holds a "
        "control character or a byte that is not UTF-8"}},
      {"the user's files in the folder given", kSmallStudy, "", {"thesis.pdf", "budget.csv"},
       {{"thesis.pdf", "elsewhere/thesis.pdf", kZeros}, {"budget.csv", "elsewhere/budget.csv", kZeros}},
       {"which the output folder's earlier manifest lists: it is not the file the manifest recorded"}},
  };
  for (const auto& c : kCases) {
    ScratchFolder folder;
    folder.write("study.toml", c.study);
    folder.write("r.csv", "R-2,2150250,720150\n");
    const std::string out = c.folder.empty() ? "elsewhere" : c.folder;
    fs::create_directories(folder.path() + "/" + out);
    for (const std::string& name : c.kept)
      if (!folder.exists(out + "/" + name)) folder.write(out + "/" + name, "the user's own " + name + "\n");
    folder.write(out + "/manifest.json", planted_manifest(folder, c.listed));
    std::vector<std::string> args = {"--study", "study.toml"};
    if (c.folder.empty()) args.insert(args.end(), {"--output-folder", folder.path() + "/elsewhere"});
    const RunResult r = run_program(folder, "", args);
    EXPECT_EQ(r.status, base::kExitSuccess) << c.what << "\n" << r.err;
    for (const std::string& name : c.kept) EXPECT_TRUE(folder.exists(out + "/" + name)) << c.what << ": " << name;
    for (const std::string& line : c.lines) EXPECT_NE(r.err.find(line), std::string::npos) << c.what << "\n" << r.err;
    EXPECT_EQ(r.err.find("removing"), std::string::npos) << c.what << "\n" << r.err;
    EXPECT_TRUE(folder.exists(out + "/drawdown_30d.asc")) << c.what;
  }
}

// What an earlier run wrote and this one does not is removed, said first;
// the same file changed since is the user's now, and stays. (One time: the
// grid is drawdown.asc, and both earlier grids are stale.)
TEST(StaleOutputs, AnEarlierRunsOutputIsRemovedOnlyWhenUnchanged) {
  ScratchFolder folder;
  folder.write("study.toml", kSmallStudy);
  ASSERT_EQ(run_program(folder, "", {"--study", "study.toml"}).status, base::kExitSuccess);
  folder.write("out/series.csv", folder.read("out/series.csv") + "my own notes\n");
  folder.write("study.toml", edited(edited(kSmallStudy, "[30.0, 90.0]", "[30.0]"), "series = \"series.csv\"\n", ""));
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitSuccess) << r.err;
  EXPECT_EQ(r.err,
            "leaky-drawdown: removing 'out/drawdown_30d.asc', written by an earlier study and not by this one\n"
            "leaky-drawdown: removing 'out/drawdown_90d.asc', written by an earlier study and not by this one\n"
            "leaky-drawdown: warning: left 'out/series.csv', which the output folder's earlier manifest lists: it is "
            "not the file the manifest recorded (its size or SHA-256 differs)\n");
  EXPECT_FALSE(folder.exists("out/drawdown_90d.asc"));
  EXPECT_TRUE(folder.exists("out/drawdown.asc"));
  EXPECT_TRUE(folder.exists("out/series.csv"));
  EXPECT_NE(folder.read("out/manifest.json").find("warning: left 'out/series.csv'"), std::string::npos);
}

// A FIFO in the manifest's place is not opened for reading (it would wait
// for a writer for ever, the folder locked): the study ends, and its
// manifest takes the FIFO's place.
TEST(StaleOutputs, AFifoInTheManifestsPlaceDoesNotHoldTheStudy) {
  ScratchFolder folder;
  folder.write("study.toml", kSmallStudy);
  fs::create_directory(folder.path() + "/out");
  ASSERT_EQ(::mkfifo((folder.path() + "/out/manifest.json").c_str(), 0644), 0);
  const RunResult r = testing_support::run_wrapped(folder, "timeout -s KILL 20", "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitSuccess) << r.err;
  ASSERT_TRUE(fs::is_regular_file(folder.path() + "/out/manifest.json")) << "(reading a FIFO would wait here)";
  EXPECT_NE(folder.read("out/manifest.json").find("\"drawdown_30d.asc\""), std::string::npos);
}

// The study file's name is the user's: bytes that are not UTF-8 are shown
// escaped, and the manifest stays JSON that a strict reader takes.
TEST(StaleOutputs, TheManifestOfAStudyFileNamedInLatin1IsValidJson) {
  ScratchFolder folder;
  const std::string name = "\xe9tude \xff.toml";
  folder.write(name, kSmallStudy);
  const RunResult r = run_program(folder, "", {"--study", name});
  ASSERT_EQ(r.status, base::kExitSuccess) << r.err;
  const std::optional<std::vector<std::string>> inputs = study_testing::inputs_by_json_c(folder.read("out/manifest.json"));
  ASSERT_TRUE(inputs.has_value()) << folder.read("out/manifest.json");
  EXPECT_EQ(*inputs, std::vector<std::string>{"\\xe9tude \\xff.toml"});
}

// One study at a time writes a folder: a lock of either kind held by another
// program on it ends the study before it writes anything.
TEST(StaleOutputs, AnyLockHeldOnTheFolderEndsTheStudyWithStatus5) {
  for (const int kind : {LOCK_EX, LOCK_SH}) {
    ScratchFolder folder;
    folder.write("study.toml", kSmallStudy);
    fs::create_directory(folder.path() + "/out");
    const int held = ::open((folder.path() + "/out").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, kind | LOCK_NB), 0);
    const RunResult r = run_program(folder, "", {"--study", "study.toml"});
    ::close(held);
    EXPECT_EQ(r.status, base::kExitBusy) << (kind == LOCK_SH ? "shared" : "exclusive");
    EXPECT_FALSE(folder.exists("out/drawdown_30d.asc"));
  }
}

}  // namespace
