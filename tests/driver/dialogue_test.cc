// The file-name dialogue, the opens and the grid counts, run end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "expected_run.h"
#include "program_run.h"
#include "standard_error.h"

namespace {

using namespace testing_support;

// The console log up to the prompt for NX (the read of NX follows it).
std::string console_until_nx() {
  Lines l = console_until_counts();
  l.resize(l.size() - 2);
  return crlf(l);
}

std::string severe(int number, const std::string& text) {
  return "tavrix: severe (" + std::to_string(number) + "): " + text + "\n";
}

TEST(Dialogue, AnswersAreTakenOnePerLinePassingBlankLinesAndRemarks) {
  const std::string plain = Answers{}.text();
  const RunResult reference = run_with_input(plain);
  ASSERT_EQ(reference.status, 0);
  const std::string decorated =
      "\n   \n3  nodes across\n\t\n2,  rows\n1000 corner x\n2000\n10000 gpd/ft\n0.001\n1.0E-4\n1\n100\n2\n1\n"
      "\n2\n1\n144000\ntrailing remarks are never read\n";
  const RunResult r = run_with_input(decorated);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, reference.out);
  EXPECT_EQ(r.report, reference.report);
  EXPECT_EQ(r.arcfile, reference.arcfile);
}

TEST(Dialogue, SecondValueOnTheCountLineIsIgnored) {
  Answers a;
  const RunResult r = run_with_input("20 30\n\n" + a.text().substr(2));  // NX "20 30", then NY 2
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.report.find("MODEL GRID:    20 X    2\r\n"), std::string::npos) << r.report;
}

TEST(Dialogue, ReadFailuresOfTheCountsEndTheRunAndLeaveTheOutputsEmpty) {
  struct Case {
    std::string input;
    int status;
    std::string message;
    bool asked_ny;
    std::string where;  // the line after the report: which answer, where, why
  };
  const std::string nx = "NX (the number of nodes in the x direction) was expected first";
  const Case cases[] = {
      {"", 24, "end-of-file during read", false, "NX from in.dat: the file is empty, and " + nx},
      {"  \n\n", 24, "end-of-file during read", false, "NX from in.dat: the file ends after line 2, and " + nx},
      {"abc\n2\n", 59, "list-directed I/O syntax error", false, "NX from line 1 of in.dat: 'abc' is not a number"},
      {"3000000000\n2\n", 64, "input conversion error", false,
       "NX from line 1 of in.dat: '3000000000' is out of range (a whole number from -2147483648 to 2147483647)"},
      {"3\n", 24, "end-of-file during read", true,
       "NY from in.dat: the file ends after line 1, and NY (the number of nodes in the y direction) was expected next"},
      {"3\n2x\n", 59, "list-directed I/O syntax error", true, "NY from line 2 of in.dat: '2x' is not a number"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    folder.write("in.dat", c.input);
    folder.write("out.rpt", "last month's report\r\n");
    const RunResult r = run_program(folder, "in.dat\nout.rpt\n");
    SCOPED_TRACE(c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, severe(c.status, c.message + ", unit 11, file " + folder.path() + "/in.dat") +
                         "leaky-drawdown: while reading " + c.where + "\n");
    std::string console = console_until_nx();
    if (c.asked_ny) console += crlf({" HOW MANY NODES ARE REQUIRED IN THE  Y  DIRECTION", " enter value from 1 to 300"});
    EXPECT_EQ(r.out, console);
    EXPECT_EQ(r.report, "last month's report\r\n") << "a run that wrote nothing leaves an old report intact";
    EXPECT_TRUE(folder.exists("ARCFILE"));
    EXPECT_EQ(r.arcfile, "");
  }
}

TEST(Dialogue, MissingInputFileIsCreatedEmptyAndEndsTheRunAtTheFirstCount) {
  ScratchFolder folder;
  const RunResult r = run_program(folder, "nosuch.dat\nout.rpt\n");
  EXPECT_EQ(r.status, 24);
  EXPECT_EQ(first_line(r.err), severe(24, "end-of-file during read, unit 11, file " + folder.path() + "/nosuch.dat"));
  EXPECT_TRUE(folder.exists("nosuch.dat"));
  EXPECT_EQ(folder.read("nosuch.dat"), "");
  EXPECT_TRUE(folder.exists("out.rpt"));
  EXPECT_EQ(r.report, "");
  EXPECT_TRUE(folder.exists("ARCFILE"));
}

TEST(Dialogue, ConsoleEndingBeforeTheNamesReportsTheConsoleInput) {
  for (const char* console : {"", "in.dat\n", "in.dat\n   \n"}) {
    ScratchFolder folder;
    const RunResult r = run_program(folder, console);
    SCOPED_TRACE(console);
    EXPECT_EQ(r.status, 24);
    EXPECT_EQ(r.err, severe(24, "end-of-file during read, unit -4, file CONIN$"));
    EXPECT_EQ(r.out, std::string(console).empty() ? crlf({"Enter filename of the input file"})
                                                  : crlf({"Enter filename of the input file", "Enter output file name:"}));
    EXPECT_FALSE(folder.exists("ARCFILE"));
  }
}

TEST(Dialogue, ReportNamesThatCannotBeOpened) {
  ScratchFolder folder;
  folder.write("in.dat", Answers{}.text());
  std::filesystem::create_directory(folder.path() + "/reports");
  struct Case {
    const char* name;
    int status;
    std::string message;
  };
  // A slash ends an unquoted value, so names with a folder part are quoted.
  const Case cases[] = {
      {"'nodir/out.rpt'", 29, "file not found, unit 12, file " + folder.path() + "/nodir/out.rpt"},
      {"reports", 9, "permission to access file denied, unit 12, file " + folder.path() + "/reports"},
      {"'./reports/../x/y.rpt'", 29, "file not found, unit 12, file " + folder.path() + "/x/y.rpt"},
  };
  for (const Case& c : cases) {
    const RunResult r = run_program(folder, std::string("in.dat\n") + c.name + "\n");
    SCOPED_TRACE(c.name);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, severe(c.status, c.message));
    EXPECT_EQ(r.out, crlf({"Enter filename of the input file", "Enter output file name:"}));
    EXPECT_FALSE(folder.exists("ARCFILE")) << "ARCFILE is opened after the report";
  }
}

TEST(Dialogue, NamesAreCutAfterTwentyCharactersAndMayBeQuoted) {
  ScratchFolder folder;
  folder.write("abcdefghijklmnopqrst", Answers{}.text());
  const RunResult r = run_program(folder, "abcdefghijklmnopqrstuvwxy\n'my report.txt' ignored\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(folder.read("my report.txt").find("SUMMARY OF INPUT DATA"), std::string::npos);
  EXPECT_EQ(folder.read("abcdefghijklmnopqrst"), Answers{}.text()) << "the input file is never changed";
}

TEST(Dialogue, EmptyConsoleLinesAreWaitedPast) {
  ScratchFolder folder;
  folder.write("in.dat", Answers{}.text());
  const RunResult r = run_program(folder, "\n  \nin.dat\n\nout.rpt\nanything typed later\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.report.find("SUMMARY OF INPUT DATA"), std::string::npos);
}

TEST(Dialogue, AnOldReportIsReplacedWhole) {
  ScratchFolder folder;
  folder.write("in.dat", Answers{}.text());
  folder.write("out.rpt", std::string(100000, '#'));
  folder.write("ARCFILE", std::string(100000, '#'));
  const RunResult r = run_program(folder, "in.dat\nout.rpt\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report.find('#'), std::string::npos);
  EXPECT_EQ(r.report.substr(r.report.size() - 8), "X AXIS\r\n");
  EXPECT_EQ(r.arcfile.find('#'), std::string::npos);
  EXPECT_EQ(r.arcfile.substr(0, 12), "ncol     3\r\n");
}

}  // namespace
