// Mistaken input, end to end: each trap gives its warning and changes no
// output, a failed read says which answer it was reading and where, --check
// lists what a run would read and writes nothing, and the options for scripts.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "expected_run.h"
#include "program_run.h"
#include "standard_error.h"

namespace {

using namespace testing_support;

// The console log of a run that asks for `wells` wells.
std::string console_log(int wells) {
  Lines log = console_until_counts();
  append(log, console_parameters());
  for (int k = 0; k < wells; ++k) append(log, console_well());
  return crlf(log);
}

int wells_asked(const Answers& a) { return std::max(0, std::stoi(a.NWELL)); }

// A mistake, its warnings, and where there is one, an input giving the same
// values without the mistake, whose outputs the mistaken run must match.
struct Trap {
  const char* name;
  void (*mistake)(Answers&);
  std::vector<std::string> warnings;
  void (*twin)(Answers&) = nullptr;
};

const std::string kNoMeaning = "; the results have no physical meaning";

const Trap kTraps[] = {
    {"ThousandsSeparator", [](Answers& a) { a.wells[2] = "144,000"; },
     {"Q(1) on line 14: the value taken is 144; the rest of the line, ',000', is not read (one answer per line)"},
     [](Answers& a) { a.wells[2] = "144"; }},
    {"WellOnOneLine", [](Answers& a) { a.wells[0] = "2, 1, 144000"; },
     {"X(1) on line 12: the value taken is 2; the rest of the line, ', 1, 144000', is not read (one answer per line)"},
     [](Answers& a) { a.wells[0] = "2"; }},
    {"ZeroXEndsTheList", [](Answers& a) { a.NWELL = "3", a.wells = {"2", "1", "144000", "0", "1", "5", "3", "1", "7"}; },
     {"X(2) on line 15 is 0, which ends the well list: wells 2 to 3 (2 wells) are neither listed nor evaluated"},
     [](Answers& a) { a.NWELL = "1", a.wells.resize(3); }},
    {"WellGivenInFeet", [](Answers& a) { a.wells = {"200", "100", "144000"}; },
     {"well 1 at (200, 100) (X(1) on line 12, Y(1) on line 13) lies farther from the grid than the grid's own extent "
      "of 3 x 2 nodes: well positions are in node units, not in feet"}},
    {"TransmissivityZero", [](Answers& a) { a.T = "0"; },
     {"T on line 5 is 0: the transmissivity should be greater than 0" + kNoMeaning}},
    {"LeakanceNegative", [](Answers& a) { a.LEAK = "-0.001"; },
     {"LEAK on line 6 is -0.001: the leakance should be 0 or more" + kNoMeaning}},
    {"ThreeDecimals", [](Answers& a) { a.NDEC = "3"; },
     {"NDEC on line 10 is 3: only 1 or 2 decimals print a map; the report's map has no rows"}},
    {"NoRows", [](Answers& a) { a.NY = "0"; }, {"NY on line 2 is 0: the grid has no rows"}},
    {"NoWells", [](Answers& a) { a.NWELL = "0", a.wells.clear(); },
     {"NWELL on line 11 is 0: no well is read; the report lists one well of zeros and the map is all zeros"}},
    {"MoreWellsThanNWELL", [](Answers& a) { a.wells = {"2", "1", "144000", "", "3", "2", "1000"}; },
     {"line 16 holds a number, '3', after the last answer read (Q(1) on line 14), and is not read: NWELL on line 11 "
      "is 1; are more wells given than NWELL says?"},
     [](Answers& a) { a.wells.resize(3); }},
    {"NullAnswer", [](Answers& a) { a.YLL = ","; },
     {"YLL on line 4 is a null answer (','): YLL keeps the value it had, 0"}, [](Answers& a) { a.YLL = "0"; }},
    {"FractionCut", [](Answers& a) { a.SPACING = "100.5"; },
     {"SPACING on line 9: '100.5' is cut to 100 (SPACING is a whole number)"}, [](Answers& a) { a.SPACING = "100"; }},
};

TEST(InputMistakes, EachTrapWarnsAndChangesNoOutput) {
  for (const Trap& t : kTraps) {
    SCOPED_TRACE(t.name);
    Answers a;
    t.mistake(a);
    const RunResult r = run_with_input(a.text());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(without_warnings(r.err), "");
    EXPECT_EQ(warnings_in(r.err), t.warnings);
    EXPECT_EQ(r.out, console_log(wells_asked(a)));
    EXPECT_EQ(r.report.substr(r.report.size() - 8), "X AXIS\r\n");
    if (t.twin != nullptr) {
      t.twin(a);
      const RunResult twin = run_with_input(a.text());
      EXPECT_EQ(twin.err, "");
      EXPECT_EQ(r.report, twin.report);
      EXPECT_EQ(r.arcfile, twin.arcfile);
    }
  }
}

// A read error comes first as it always did; a line after it says where. (The
// kinds of failure one by one: the dialogue tests.) A byte-order mark or CR-only
// line ends are explained by a warning before the error.
TEST(InputMistakes, FailedReadSaysWhichAnswerWhereAndWhy) {
  Answers a;
  std::string cr_only = a.text();
  std::replace(cr_only.begin(), cr_only.end(), '\n', '\r');
  a.T = "4500O";
  const struct {
    std::string input, warning, where;
  } cases[] = {
      {a.text(), "", "T from line 5 of in.dat: '4500O' is not a number"},
      {"\xEF\xBB\xBF" + Answers{}.text(),
       "NX on line 1: the input file starts with a byte-order mark (it was saved as UTF-8 with BOM), which is read "
       "as part of the answer; save the file without it",
       "NX from line 1 of in.dat: '\\xEF\\xBB\\xBF3' is not a number"},
      {cr_only,
       "NX on line 1: the line holds a carriage return without a line feed (lines ended by CR alone), so what "
       "follows it is read as the same line",
       "NX from line 1 of in.dat: '3\\r2\\r1000\\r2000\\r10000\\r0.001\\r0.0001\\r1\\r100\\r2...' is not a number"},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    folder.write("in.dat", c.input);
    const RunResult r = run_program(folder, "in.dat\nout.rpt\n");
    EXPECT_EQ(r.status, 59);
    EXPECT_EQ(r.err, (c.warning.empty() ? "" : "leaky-drawdown: warning: " + c.warning + "\n") +
                         "tavrix: severe (59): list-directed I/O syntax error, unit 11, file " + folder.path() +
                         "/in.dat\nleaky-drawdown: while reading " + c.where + "\n");
  }
}

std::vector<std::string> files_in(const ScratchFolder& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder.path())) names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CheckMode, BundledExampleIsListedAndNothingIsWritten) {
  ScratchFolder folder;
  std::ifstream example(LEAKY_SOURCE_DIR "/examples/wellfield.dat", std::ios::binary);
  folder.write("wellfield.dat", std::string(std::istreambuf_iterator<char>(example), {}));
  const RunResult r = run_program(folder, "", {"--check", "wellfield.dat"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(files_in(folder), std::vector<std::string>{"wellfield.dat"});
  const std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 1u + 29 + 3 + 6 + 2);
  EXPECT_EQ(lines[0], " line  answer    as written        value taken");
  EXPECT_EQ(lines[5], "    5  T         50000             50000");
  EXPECT_EQ(lines[13], "   13  Y(1)      12.0              12");
  EXPECT_EQ(lines[29], "   29  Q(6)      -90000            -90000");
  EXPECT_EQ(lines[31], "the run evaluates 6 wells:");
  EXPECT_EQ(lines[33], "    1            10.5              12          250000");
  EXPECT_EQ(lines[38], "    6               5               5          -90000");
  EXPECT_EQ(lines[40], "no warnings");
}

TEST(CheckMode, MistakesAreListedWarnedAndEndWithStatus4) {
  Answers a;
  a.T = "10,000";
  a.NDEC = "3";
  a.NWELL = "2";
  a.wells = {"2", ",", "144000", "0", "1", "5"};
  ScratchFolder folder;
  folder.write("in.dat", a.text());
  const RunResult r = run_program(folder, "", {"--check", "in.dat"});
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(files_in(folder), std::vector<std::string>{"in.dat"});
  const std::vector<std::string> warnings = warnings_in(r.err);
  ASSERT_EQ(warnings.size(), 4u) << r.err;
  EXPECT_EQ(without_warnings(r.err), "");
  const std::vector<std::string> lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 1u + 17 + 4 + 2 + 4);
  EXPECT_EQ(lines[5], "    5  T         10,000            10");
  EXPECT_EQ(lines[13], "   13  Y(1)      ,                 0");
  EXPECT_EQ(lines[19], "the run evaluates 1 well:");
  EXPECT_EQ(lines[21], "    1               2               0          144000");
  EXPECT_EQ(lines[23], "4 warnings:");
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(lines[24 + i], "warning: " + warnings[i]);
}

TEST(CheckMode, NodesWhereTheRulesWellFunctionIsOffAreWarnedOf) {
  // Without leakage, after ten years, every node of the 3 x 2 grid of 1-foot
  // spacing lies within 1.5 feet of the well, where u is tiny and the rule's
  // W far too high (it is off up to about 26 feet).
  Answers a;
  a.LEAK = "0";
  a.TIME = "3650";
  a.SPACING = "1";
  ScratchFolder folder;
  folder.write("in.dat", a.text());
  const RunResult r = run_program(folder, "", {"--check", "in.dat"});
  EXPECT_EQ(r.status, 4);
  const std::vector<std::string> warnings = warnings_in(r.err);
  ASSERT_EQ(warnings.size(), 1u) << r.err;
  EXPECT_EQ(warnings[0].rfind("6 nodes lie closer than ", 0), 0u) << warnings[0];
  EXPECT_NE(warnings[0].find(" ft to well 1 at (2, 1), where u is below "), std::string::npos) << warnings[0];
  EXPECT_TRUE(warnings[0].ends_with("; the run's drawdowns there are the rule's")) << warnings[0];

  // The same input with its leakance: no warning.
  folder.write("in.dat", Answers{}.text());
  EXPECT_EQ(run_program(folder, "", {"--check", "in.dat"}).status, 0);
}

TEST(CheckMode, FailedReadEndsWithItsReport) {
  ScratchFolder folder;
  folder.write("in.dat", "3\nabc\n");
  const RunResult r = run_program(folder, "", {"--check", "in.dat"});
  EXPECT_EQ(r.status, 59);
  EXPECT_EQ(r.out, " line  answer    as written        value taken\n    1  NX        3                 3\n");
  EXPECT_EQ(r.err, "tavrix: severe (59): list-directed I/O syntax error, unit 11, file " + folder.path() +
                       "/in.dat\nleaky-drawdown: while reading NY from line 2 of in.dat: 'abc' is not a number\n");
  EXPECT_EQ(files_in(folder), std::vector<std::string>{"in.dat"});
}

TEST(ScriptOptions, QuietWritesNoLogAndArcfileMovesTheRaster) {
  ScratchFolder plain_folder, folder;
  plain_folder.write("in.dat", Answers{}.text());
  folder.write("in.dat", Answers{}.text());
  const RunResult plain = run_program(plain_folder, "", {"in.dat", "out.rpt"});
  const RunResult quiet = run_program(folder, "", {"--quiet", "--arcfile", "raster.txt", "in.dat", "out.rpt"});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.out, "");
  EXPECT_EQ(quiet.err, "");
  EXPECT_EQ(quiet.report, plain.report);
  EXPECT_EQ(folder.read("raster.txt"), plain.arcfile);
  EXPECT_FALSE(folder.exists("ARCFILE"));

  folder.write("in.dat", Answers{}.text().replace(0, 1, "0"));  // NX 0: a warning, written all the same
  EXPECT_EQ(run_program(folder, "", {"--quiet", "in.dat", "out.rpt"}).err,
            "leaky-drawdown: warning: NX on line 1 is 0: the grid has no columns\n");
}

TEST(ScriptOptions, MissingInputNamedOnTheCommandLineIsRefusedBeforeAnyOpen) {
  for (const auto& arguments : {std::vector<std::string>{"nosuch.dat", "out.rpt"}, {"--check", "nosuch.dat"}}) {
    ScratchFolder folder;
    folder.write("out.rpt", "last month's report\r\n");
    const RunResult r = run_program(folder, "", arguments);
    EXPECT_EQ(r.status, 29);
    EXPECT_EQ(r.err, "leaky-drawdown: cannot read the input file 'nosuch.dat': no such file\n");
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(files_in(folder), std::vector<std::string>{"out.rpt"});
    EXPECT_EQ(r.report, "last month's report\r\n");
  }
}

}  // namespace
