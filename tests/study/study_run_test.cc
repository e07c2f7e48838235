// Studies run end to end: the bundled example as a study gives the input-file
// run's grid file byte for byte on both evaluations, the example study
// reproduces its committed outputs, and outputs that cannot be written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "program_run.h"
#include "inputs/csv.h"
#include "study_texts.h"

namespace {

using testing_support::source_file;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

// Sets an environment variable for the programs the test runs, and unsets it after.
class Environment {
 public:
  Environment(const char* name, const char* value) : name_(name) {
    if (value != nullptr) setenv(name, value, 1);
  }
  ~Environment() { unsetenv(name_); }

 private:
  const char* name_;
};

TEST(StudyRun, TheBundledExampleAsAStudyWritesTheInputFileRunsGridByteForByte) {
  const std::string input = study_testing::bundled_example();
  for (const char* evaluation : {static_cast<const char*>(nullptr), "reference"}) {
    SCOPED_TRACE(evaluation != nullptr ? evaluation : "fast");
    const Environment environment("LEAKY_EVALUATION", evaluation);
    ScratchFolder folder;
    folder.write("wellfield.dat", input);
    folder.write("study.toml", study_testing::study_of_input_file_run(
                                   input, "\n[[receptor]]\nname = \"node 11 12\"\nx = 2151100\ny = 721200\n"
                                          "[output]\ngrid = \"study.asc\"\nseries = \"series.csv\"\nwell_function = \"rule\"\n"));
    const RunResult input_file_run = run_program(folder, "", {"--grid", "run.asc", "wellfield.dat", "w.rpt"});
    ASSERT_EQ(input_file_run.status, 0) << input_file_run.err;
    const RunResult study = run_program(folder, "", {"--study", "study.toml"});
    ASSERT_EQ(study.status, 0) << study.err;
    // The rule's W is 1.2% high at the injection well's node at 30 days.
    EXPECT_EQ(study.err.rfind("leaky-drawdown: warning: the rule's drawdown at the node (15, 24) nearest well 'W4' is "
                              "off the true well function's: at day 30 the rule gives 2.5993812 ft, the true value is ",
                              0),
              0u)
        << study.err;
    EXPECT_EQ(study.err.find('\n'), study.err.size() - 1) << study.err;
    const std::string grid = folder.read("run.asc");
    ASSERT_GT(grid.size(), 1000u);
    EXPECT_EQ(folder.read("study.asc"), grid);

    // The receptor on node (11, 12) reports that node's value, the grid's
    // 11th value on its 12th row from the bottom.
    std::istringstream lines(grid);
    std::string line;
    for (int k = 0; k < 6 + 30 - 12 + 1; ++k) std::getline(lines, line);
    std::istringstream values(line);
    std::string value;
    for (int c = 0; c < 11; ++c) values >> value;
    EXPECT_EQ(folder.read("series.csv"), "name,x,y,days,drawdown_ft\nnode 11 12,2151100,721200,30," + value + "\n");

    // Not a terminal: the summary alone.
    EXPECT_EQ(study.out.substr(0, 9), "receptor ");
    EXPECT_NE(study.out.find("\nday  largest drawdown (ft)  at x (ft)  y (ft)  node\n"), std::string::npos) << study.out;
  }
}

TEST(StudyRun, TheExampleStudyReproducesItsCommittedOutputs) {
  ScratchFolder folder;
  for (const char* name : {"wellfield.toml", "receptors.csv"})
    folder.write(name, source_file(std::string("examples/study/") + name));
  const RunResult r = run_program(folder, "", {"--study", "wellfield.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, source_file("examples/study/expected/console.txt"));
  for (const char* name : {"drawdown_30d.asc", "drawdown_90d.asc", "drawdown_365d.asc", "receptor_series.csv"}) {
    const std::string expected = source_file(std::string("examples/study/expected/") + name);
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_EQ(folder.read(std::string("out/") + name), expected) << name;
  }
  // The CRS beside each grid (GDAL's ESRI text, whose wording varies with its
  // version): the same for all three, NAD83 North Carolina in US survey feet.
  const std::string prj = folder.read("out/drawdown_30d.prj");
  EXPECT_EQ(prj.rfind("PROJCS[\"NAD_1983_StatePlane_North_Carolina_FIPS_3200", 0), 0u) << prj;
  EXPECT_NE(prj.find("0.3048006096"), std::string::npos) << prj;
  EXPECT_EQ(folder.read("out/drawdown_90d.prj"), prj);
  EXPECT_EQ(folder.read("out/drawdown_365d.prj"), prj);
  EXPECT_EQ(folder.read("out/contours.gpkg").substr(0, 16), std::string("SQLite format 3\0", 16));
  // The pictures (their pixels depend on the fonts installed): whole PNGs.
  for (const char* name : {"hydrographs.png", "drawdown_30d.png", "drawdown_90d.png", "drawdown_365d.png"}) {
    const std::string picture = folder.read(std::string("out/") + name);
    EXPECT_EQ(picture.substr(0, 8), "\x89PNG\r\n\x1a\n") << name;
    EXPECT_TRUE(picture.ends_with(std::string("\0\0\0\0IEND\xae\x42\x60\x82", 12))) << name;
  }
}

TEST(StudyRun, TheCreekExampleReproducesItsCommittedOutputs) {
  ScratchFolder folder;
  folder.write("creek.toml", source_file("examples/creek/creek.toml"));
  const RunResult r = run_program(folder, "", {"--study", "creek.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, source_file("examples/creek/expected/console.txt"));
  EXPECT_EQ(r.out.rfind("boundary     kind     from x (ft)  y (ft)  to x (ft)  y (ft)\n"
                        "Mill Creek   stream       2150000  722500    2154000  722700\n"
                        "Valley wall  barrier      2150000  720300    2154000  720500\n"
                        "image terms: ",
                        0),
            0u)
      << r.out;
  for (const char* name : {"drawdown_30d.asc", "drawdown_90d.asc", "drawdown_365d.asc", "receptor_series.csv"}) {
    const std::string expected = source_file(std::string("examples/creek/expected/") + name);
    ASSERT_FALSE(expected.empty()) << name;
    EXPECT_EQ(folder.read(std::string("out/") + name), expected) << name;
  }
}

TEST(StudyRun, TheExactWellFunctionRunsEndToEnd) {
  // The same small study by the rule and by the exact well function: close,
  // not the same (the rule overestimates W by about 2e-4 at these u).
  std::vector<double> drawdowns;
  for (const char* well_function : {"rule", "exact"}) {
    ScratchFolder folder;
    folder.write("study.toml", study_testing::kSmallStudy + "well_function = \"" + well_function + "\"\n");
    const RunResult r = run_program(folder, "", {"--study", "study.toml"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string series = folder.read("out/series.csv");
    const std::size_t last_comma = series.rfind(',');
    ASSERT_NE(last_comma, std::string::npos) << series;
    drawdowns.push_back(std::stod(series.substr(last_comma + 1)));
  }
  EXPECT_GT(drawdowns[0], 1.0);
  EXPECT_NE(drawdowns[0], drawdowns[1]);
  EXPECT_NEAR(drawdowns[0], drawdowns[1], 1e-3 * drawdowns[0]);
}

TEST(StudyRun, ByTheRuleAStudySaysWhereTheRuleIsOffTheTrueWellFunction) {
  // Without leakage, at the well's own node after 30 days, the rule's W is far
  // too high: one warning on standard error and the same line in the summary;
  // the status stays 0.
  ScratchFolder folder;
  folder.write("study.toml", study_testing::edited(study_testing::kSmallStudy, "leakance = 0.001", "leakance = 0.0") +
                                 "well_function = \"rule\"\n");
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string start = "warning: the rule's drawdown at the node (2, 2) nearest well 'PW-1' is off the true well "
                            "function's: at day ";
  EXPECT_EQ(r.err.rfind("leaky-drawdown: " + start, 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  const std::string line = r.err.substr(std::string("leaky-drawdown: ").size());
  EXPECT_TRUE(r.out.ends_with("\n\n" + line)) << r.out;

  // By the true well function: no warning.
  folder.write("study.toml", study_testing::edited(study_testing::kSmallStudy, "leakance = 0.001", "leakance = 0.0"));
  const RunResult exact = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(exact.status, 0) << exact.err;
  EXPECT_EQ(exact.err, "");
  EXPECT_EQ(exact.out.find("warning"), std::string::npos) << exact.out;
}

// Receptor names are the sender's text: in the series each stays one field,
// and none is a formula a spreadsheet would evaluate.
TEST(StudyRun, TheSeriesKeepsEachNameOneFieldAndNoneAFormula) {
  ScratchFolder folder;
  folder.write("study.toml", study_testing::edited(study_testing::kSmallStudy, "[[receptor]]\nname = \"R-1\"",
                                                   "[[receptor]]\nname = \"=HYPERLINK(\\\"http://x\\\")\"\nx = 2150050.0\ny = 720050.0\n"
                                                   "[[receptor]]\nname = \"Smith, J.\"\nx = 2150150.0\ny = 720250.0\n"
                                                   "[[receptor]]\nname = \"-1+1\""));
  const RunResult r = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(r.status, base::kExitSuccess) << r.err;
  const std::vector<inputs::CsvRecord> rows = inputs::parse_csv(folder.read("out/series.csv"));
  ASSERT_EQ(rows.size(), 7u) << folder.read("out/series.csv");
  const std::vector<std::string> names = {"'=HYPERLINK(\"http://x\")", "'=HYPERLINK(\"http://x\")", "Smith, J.",
                                          "Smith, J.", "'-1+1", "'-1+1"};
  for (std::size_t k = 1; k < rows.size(); ++k) {
    EXPECT_EQ(rows[k].fields.size(), 5u) << k;
    EXPECT_EQ(rows[k].fields[0], names[k - 1]) << k;
  }
}

TEST(StudyRun, OutputsThatCannotBeWrittenAreSaidAndTheOthersWritten) {
  ScratchFolder folder;
  folder.write("study.toml", study_testing::kSmallStudy);
  std::filesystem::create_directories(folder.path() + "/out/drawdown_30d.asc");  // a folder in the grid file's place
  RunResult r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err.rfind("leaky-drawdown: cannot write the grid file 'out/drawdown_30d.asc': ", 0), 0u) << r.err;
  EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
  EXPECT_NE(folder.read("out/drawdown_90d.asc"), "");
  EXPECT_NE(folder.read("out/series.csv"), "");
  EXPECT_NE(r.out.find("largest drawdown"), std::string::npos) << "the summary is shown all the same";

  // An output folder that cannot be made: one line, no file, the summary.
  ScratchFolder other;
  other.write("study.toml", study_testing::edited(study_testing::kSmallStudy, "folder = \"out\"", "folder = \"study.toml/out\""));
  r = run_program(other, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot open the output folder 'study.toml/out': 'study.toml' is not a folder\n");
  EXPECT_NE(r.out.find("largest drawdown"), std::string::npos);
}

}  // namespace

namespace {

// A receptor's limit: the compliance table on the console and as a CSV, and
// the exit status of an exceeded limit only when the study asks for it.
TEST(StudyRun, AnExceededLimitEndsWithItsOwnStatusOnlyWhenAsked) {
  struct Case {
    const char* what;
    std::string limit;
    bool asked;
    int status;
  };
  const Case cases[] = {
      {"exceeded, asked", "1.0", true, base::kExitExceeded},
      {"exceeded, not asked", "1.0", false, base::kExitSuccess},
      {"kept, asked", "50.0", true, base::kExitSuccess},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    std::string text = study_testing::edited(study_testing::kSmallStudy, "y = 720150.0\n\n[output]",
                                             "y = 720150.0\nlimit = " + c.limit + "\n\n[output]");
    text = study_testing::edited(text, "series = \"series.csv\"",
                                 std::string("series = \"series.csv\"\ncompliance = \"compliance.csv\"\nexceedance_status = ") +
                                     (c.asked ? "true" : "false"));
    folder.write("study.toml", text);
    const RunResult run = run_program(folder, "", {"--study", "study.toml"});
    EXPECT_EQ(run.status, c.status) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("\nreceptor  limit (ft)  largest drawdown (ft)  at day  first exceeded (day)  margin (ft)\n"),
              std::string::npos)
        << run.out;
    const std::string csv = folder.read("out/compliance.csv");
    EXPECT_EQ(csv.rfind("name,limit_ft,largest_drawdown_ft,at_day,first_exceeded_day,margin_ft,rate_factor\nR-1,", 0), 0u)
        << csv;
    EXPECT_NE(folder.read("out/manifest.json").find("compliance.csv"), std::string::npos);
  }
}

}  // namespace

namespace {

// Mistakes a new user makes: each warned of on one line, also in the summary;
// the status does not change, and a level no grid reaches is not drawn.
TEST(StudyRun, WhatTheGridHidesIsWarnedOfOnceEachWithStatus0) {
  ScratchFolder folder;
  std::string text = study_testing::edited(study_testing::kSmallStudy, "[[receptor]]",
                                           "[[receptor]]\nname = \"swapped\"\nx = 720150.0\ny = 2150250.0\n\n[[receptor]]");
  text = study_testing::edited(text, "grid = \"drawdown.asc\"", "contours = \"c.geojson\"\nlevels = [3.0, 500.0]");
  folder.write("study.toml", text);
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(run.status, base::kExitSuccess) << run.err;
  const std::string far = "receptor 'swapped' at (720150, 2150250) lies farther from the grid than the grid is wide";
  const std::string level = "the contour level 500 ft is reached by no time's grid; it is not drawn";
  EXPECT_EQ(run.err.rfind("leaky-drawdown: warning: " + far, 0), 0u) << run.err;
  EXPECT_NE(run.err.find("\nleaky-drawdown: warning: " + level + "\n"), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2) << run.err;
  EXPECT_NE(run.out.find("\nwarning: " + far), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("\nwarning: " + level + "\n"), std::string::npos) << run.out;
  const std::string contours = folder.read("out/c.geojson");
  EXPECT_FALSE(contours.empty());
  EXPECT_NE(contours.find("\"drawdown_ft\": 3"), std::string::npos) << contours.substr(0, 600);
  EXPECT_EQ(contours.find("\"drawdown_ft\": 500"), std::string::npos);
}

}  // namespace

namespace {

// The hydrographs follow dpi: the same picture at twice the dpi has twice the pixels.
TEST(StudyRun, TheHydrographsPngFollowsDpi) {
  std::vector<int> widths;
  for (const char* dpi : {"72", "144"}) {
    ScratchFolder folder;
    std::string text = study_testing::edited(study_testing::kSmallStudy, "series = \"series.csv\"",
                                             std::string("hydrographs = \"h.png\"\ndpi = ") + dpi);
    folder.write("study.toml", text);
    const RunResult run = run_program(folder, "", {"--study", "study.toml"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string png = folder.read("out/h.png");
    ASSERT_GT(png.size(), 24u);
    const auto byte = [&](std::size_t i) { return static_cast<int>(static_cast<unsigned char>(png[i])); };
    widths.push_back((byte(16) << 24) | (byte(17) << 16) | (byte(18) << 8) | byte(19));  // the IHDR width
  }
  EXPECT_GT(widths[0], 500);
  EXPECT_NEAR(widths[1], 2 * widths[0], 1);
}

}  // namespace
