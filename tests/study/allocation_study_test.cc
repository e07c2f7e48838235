// A study's allocation: its keys read and refused, and whole runs: the plan
// the allocation CSV states run again as a study of its own, whose compliance
// keeps every limit with one reached; a minimum that breaks a limit named,
// with its own status.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "program_run.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

// kSmallStudy with a limit at R-1, `well` added to PW-1's table and `top`
// (tables) appended before [output].
std::string with_allocation(const std::string& well, const std::string& tables, const std::string& output = "") {
  std::string text = edited(kSmallStudy, "rate = 250000.0\n", "rate = 250000.0\n" + well);
  text = edited(text, "y = 720150.0\n\n[output]", "y = 720150.0\nlimit = 5.0\n" + tables + "\n[output]");
  return edited(text, "series = \"series.csv\"", "series = \"series.csv\"\n" + output);
}

TEST(AllocationKeys, AreReadIntoTheStudy) {
  const study::Study s = read_text(
      with_allocation("min_factor = 0.25\nmax_factor = 3\nweight = 2.5\n", "[allocation]\nobjective = \"weighted\"\n",
                      "contributions = \"shares.csv\"\nallocation = \"plan.csv\"\n"));
  ASSERT_TRUE(s.allocation);
  EXPECT_EQ(s.allocation->objective, allocation::Objective::weighted);
  ASSERT_EQ(s.allocation->wells.size(), 1u);
  EXPECT_EQ(s.allocation->wells[0].min_factor, 0.25);
  EXPECT_EQ(s.allocation->wells[0].max_factor, 3.0);
  EXPECT_EQ(s.allocation->wells[0].weight, 2.5);
  EXPECT_FALSE(s.allocation->wells[0].fixed);
  EXPECT_EQ(s.output.contributions, "shares.csv");
  EXPECT_EQ(s.output.allocation, "plan.csv");
  // Without any of it, nothing is asked.
  const study::Study plain = read_text(kSmallStudy);
  EXPECT_FALSE(plain.allocation);
  EXPECT_EQ(plain.output.contributions, "");
  EXPECT_EQ(plain.output.allocation, "");
}

TEST(AllocationKeys, EachMistakeIsRefusedAtItsLine) {
  const struct {
    const char* what;
    std::string text, message;
  } refusals[] = {
      {"a factor without [allocation]", with_allocation("min_factor = 0.5\n", ""),
       "study.toml:21: the allocation keys of [[well]] 1 ('PW-1') need an [allocation] table, and the study has none"},
      {"max below min", with_allocation("min_factor = 2\nmax_factor = 1\n", "[allocation]\n"),
       "study.toml:22: 'max_factor' of [[well]] 1 ('PW-1') must be at least its 'min_factor' (2), not 1"},
      {"a negative min", with_allocation("min_factor = -1\n", "[allocation]\n"),
       "study.toml:21: 'min_factor' of [[well]] 1 ('PW-1') must be 0 or more, not -1"},
      {"fixed with a factor", with_allocation("max_factor = 2\nfixed = true\n", "[allocation]\n"),
       "study.toml:22: [[well]] 1 ('PW-1') is fixed (kept as planned): leave out its 'min_factor' and 'max_factor'"},
      {"a weight for the total", with_allocation("weight = 2\n", "[allocation]\n"),
       "study.toml:21: 'weight' of [[well]] 1 ('PW-1') is for objective = \"weighted\" in [allocation]"},
      {"an unknown objective", with_allocation("", "[allocation]\nobjective = \"most\"\n"),
       "'objective' must be \"total\" or \"weighted\", not 'most'"},
      {"a well's key in [allocation]", with_allocation("", "[allocation]\nmin_factor = 1\n"),
       "'min_factor'"},
      {"the CSV without [allocation]", with_allocation("", "", "allocation = \"plan.csv\"\n"),
       "'allocation' needs an [allocation] table, and the study has none"},
      {"[allocation] without a limit", edited(with_allocation("", "[allocation]\n"), "limit = 5.0\n", ""),
       "[allocation] needs a receptor with a 'limit', and the study has none"},
      {"contributions without a limit", edited(with_allocation("", "", "contributions = \"c.csv\"\n"), "limit = 5.0\n", ""),
       "'contributions' needs a receptor with a 'limit', and the study has none"},
  };
  for (const auto& r : refusals) {
    SCOPED_TRACE(r.what);
    try {
      read_text(r.text);
      ADD_FAILURE() << "accepted";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(r.message), std::string::npos) << e.message;
    }
  }
}

// Three wells, two receptors with limits, monthly steps at PW-1.
const std::string kPermit = R"(title = "permit"
times = [200.0]

[aquifer]
transmissivity = 50000.0
leakance = 0.0001
storage = 0.0002

[grid]
xll = 0.0
yll = 0.0
spacing = 100
columns = 30
rows = 30

[[well]]
name = "PW-1"
x = 1000.0
y = 1000.0
schedule = [[0.0, 300000.0], [30.0, 450000.0], [60.0, 200000.0], [90.0, 500000.0], [120.0, 250000.0]]
RULE1
[[well]]
name = "PW-2"
x = 2000.0
y = 1500.0
rate = 400000.0

[[well]]
name = "PW-3"
x = 1500.0
y = 2300.0
rate = 350000.0
max_factor = 1.2

[[receptor]]
name = "wetland"
x = 1400.0
y = 1300.0
limit = 6.0

[[receptor]]
name = "spring"
x = 1900.0
y = 2100.0
limit = 5.0

[allocation]

[output]
folder = "out"
compliance = "compliance.csv"
contributions = "contributions.csv"
allocation = "allocation.csv"
)";

std::vector<std::vector<std::string>> csv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream fields(line);
    for (std::string f; std::getline(fields, f, ',');) rows.back().push_back(f);
    if (!line.empty() && line.back() == ',') rows.back().push_back("");
  }
  return rows;
}

TEST(AllocationRun, ThePlanItStatesKeepsEveryLimitWhenRunAsAStudy) {
  ScratchFolder folder;
  folder.write("study.toml", edited(kPermit, "RULE1\n", ""));
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, base::kExitSuccess) << run.err;
  EXPECT_NE(run.out.find("keeps every limit within 1e-06 ft"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("a limit binds"), std::string::npos) << run.out;
  const std::string manifest = folder.read("out/manifest.json");
  EXPECT_NE(manifest.find("allocation.csv"), std::string::npos);
  EXPECT_NE(manifest.find("contributions.csv"), std::string::npos);
  // The shares of each receptor add up to 1.
  const auto shares = csv_rows(folder.read("out/contributions.csv"));
  ASSERT_EQ(shares.size(), 1u + 2u * 3u);
  EXPECT_EQ(shares[0], (std::vector<std::string>{"receptor", "well", "day", "drawdown", "share"}));
  for (std::size_t k = 0; k < 2; ++k) {
    double sum = 0.0;
    for (std::size_t j = 0; j < 3; ++j) sum += std::strtod(shares[1 + 3 * k + j][4].c_str(), nullptr);
    EXPECT_NEAR(sum, 1.0, 1e-6) << shares[1 + 3 * k][0];
  }
  // The allowed rates as a study of their own: every limit kept, one reached.
  const auto plan = csv_rows(folder.read("out/allocation.csv"));
  ASSERT_EQ(plan.size(), 4u);
  EXPECT_EQ(plan[0], (std::vector<std::string>{"well", "planned_rate", "factor", "allowed_rate", "alone_factor"}));
  EXPECT_LE(std::strtod(plan[3][2].c_str(), nullptr), 1.2 + 1e-12) << "PW-3's max_factor";
  std::string scaled = kPermit;
  scaled = edited(scaled, "[[0.0, 300000.0], [30.0, 450000.0], [60.0, 200000.0], [90.0, 500000.0], [120.0, 250000.0]]",
                  "[[0.0, " + std::to_string(300000.0 * std::strtod(plan[1][2].c_str(), nullptr)) + "], [30.0, " +
                      std::to_string(450000.0 * std::strtod(plan[1][2].c_str(), nullptr)) + "], [60.0, " +
                      std::to_string(200000.0 * std::strtod(plan[1][2].c_str(), nullptr)) + "], [90.0, " +
                      std::to_string(500000.0 * std::strtod(plan[1][2].c_str(), nullptr)) + "], [120.0, " +
                      std::to_string(250000.0 * std::strtod(plan[1][2].c_str(), nullptr)) + "]]");
  scaled = edited(scaled, "rate = 400000.0", "rate = " + plan[2][3]);
  scaled = edited(scaled, "rate = 350000.0\nmax_factor = 1.2", "rate = " + plan[3][3]);
  scaled = edited(scaled, "RULE1\n", "");
  scaled = edited(scaled, "[allocation]\n", "");
  scaled = edited(scaled, "contributions = \"contributions.csv\"\nallocation = \"allocation.csv\"\n", "");
  ScratchFolder again;
  again.write("study.toml", scaled);
  const RunResult check = run_program(again, "", {"--study", "study.toml"});
  ASSERT_EQ(check.status, base::kExitSuccess) << check.err;
  const auto compliance = csv_rows(again.read("out/compliance.csv"));
  ASSERT_EQ(compliance.size(), 3u);
  double least = 1e300;
  for (std::size_t k = 1; k < 3; ++k) {
    const double margin = std::strtod(compliance[k][5].c_str(), nullptr);
    EXPECT_GE(margin, -1e-5) << compliance[k][0];  // the rates written to %.9g and 6 decimals
    least = std::min(least, margin);
  }
  EXPECT_LT(least, 1e-4) << "a limit binds";
}

TEST(AllocationRun, AMinimumThatBreaksALimitEndsWithItsOwnStatus) {
  ScratchFolder folder;
  folder.write("study.toml", edited(kPermit, "RULE1\n", "min_factor = 3.0\n"));
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(run.status, base::kExitNoAllocation);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  EXPECT_NE(run.err.find("no allocation keeps the limit of receptor 'wetland'"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("'PW-1'"), std::string::npos) << run.err;
  const auto plan = csv_rows(folder.read("out/allocation.csv"));
  ASSERT_EQ(plan.size(), 4u);
  EXPECT_EQ(plan[1][2], "") << "no factor without a plan";
  EXPECT_NE(folder.read("out/compliance.csv"), "") << "the other outputs are written";
}

}  // namespace
