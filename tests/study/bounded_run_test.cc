// A study's memory, end to end: a strip whose images no memory holds is
// refused before anything is made, and memory that runs out all the same
// ends the run with one line and status 1, never with a signal.
#include <gtest/gtest.h>

#include <string>

#include "base/exit_status.h"
#include "program_run.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

// kSmallStudy's well (y = 720150) between two lines `width` feet apart, no
// leakage, one time of `days`.
std::string narrow_strip(const std::string& width_low, const std::string& width_high, const std::string& days) {
  std::string text = edited(kSmallStudy, "[30.0, 90.0]", "[" + days + "]");
  text = edited(text, "leakance = 0.001", "leakance = 0.0");
  return text + "\n[[boundary]]\nkind = \"stream\"\nname = \"north bank\"\nfrom = [2150000.0, " + width_high +
         "]\nto = [2151000.0, " + width_high + "]\n\n[[boundary]]\nkind = \"barrier\"\nname = \"south wall\"\nfrom = "
         "[2150000.0, " + width_low + "]\nto = [2151000.0, " + width_low + "]\n";
}

// Far beyond any machine's memory (a 1-ft strip for 10^12 days needs some
// 10^10 pairs on each side, terabytes of terms): one line, nothing written.
TEST(BoundedRun, AStripNoMemoryHoldsIsRefusedInOneLine) {
  ScratchFolder folder;
  folder.write("study.toml", narrow_strip("720149.5", "720150.5", "1e12"));
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err.rfind("leaky-drawdown: study.toml: the strip between the boundaries 'north bank' and 'south wall', "
                        "1 ft wide, needs ",
                        0),
            0u)
      << r.err;
  EXPECT_NE(r.err.find("; a shorter time, leakage (a larger leakance) or a wider strip needs fewer\n"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line";
  EXPECT_FALSE(folder.exists("out"));
}

// A strip that the machine's memory would hold, run with less address space
// than it needs: the allocation that fails ends the run with one line.
TEST(BoundedRun, MemoryThatRunsOutEndsWithOneLineAndStatus1) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit this test sets";
#else
  ScratchFolder folder;
  // About 4.5 million pairs: some 2 GiB of terms, refused by no machine that
  // runs these tests, more than 1 GiB of address space holds.
  folder.write("study.toml", narrow_strip("720149.5", "720150.5", "10000.0"));
  const RunResult r = testing_support::run_wrapped(folder, "ulimit -v 1048576 &&", "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitLimit) << r.err;
  EXPECT_EQ(r.err.rfind("leaky-drawdown: ", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("out of memory"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  EXPECT_FALSE(folder.exists("out/manifest.json"));
#endif
}

}  // namespace
