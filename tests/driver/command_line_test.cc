// The program run with command-line arguments, end to end: help and version,
// refused command lines, file names as arguments, and the --grid and --plot
// files next to an unchanged report and ARCFILE.
#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "driver/options.h"
#include "expected_run.h"
#include "model/drawdown.h"
#include "program_run.h"

namespace {

using namespace testing_support;

const std::string kHint = "Try 'leaky-drawdown --help' for more information.\n";

// Four columns and three rows, one pumping and one injecting well: drawdowns
// of both signs.
Answers two_wells() {
  Answers a;
  a.NX = "4";
  a.NY = "3";
  a.NWELL = "2";
  a.wells = {"2", "1", "144000", "4.5", "3", "-300000"};
  return a;
}

// The drawdown at node (c, r) of two_wells(), computed well by well as the
// program does.
float expected_cell(int c, int r) {
  float dd = 0.0f;
  model::DRAWDN(10000.0f, 0.0001f, 1.0f, 0.001f, 144000.0f, model::DIST(100, c, r, 2.0f, 1.0f), dd);
  model::DRAWDN(10000.0f, 0.0001f, 1.0f, 0.001f, -300000.0f, model::DIST(100, c, r, 4.5f, 3.0f), dd);
  return dd;
}

// A run in a fresh folder holding in.dat.
struct ProgramRun {
  ScratchFolder folder;
  RunResult result;
  ProgramRun(const std::string& input, const std::vector<std::string>& arguments,
      const std::string& console = "in.dat\nout.rpt\n") {
    folder.write("in.dat", input);
    result = run_program(folder, console, arguments);
  }
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CommandLineRun, HelpAndVersionPrintAndStop) {
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  };
  for (const Case& k : {Case{{"--help"}, driver::usage_text()}, Case{{"--version"}, "leaky-drawdown 1.0.0\n"},
                        Case{{"in.dat", "out.rpt", "--help"}, driver::usage_text()}}) {
    ProgramRun run(two_wells().text(), k.arguments);
    EXPECT_EQ(run.result.status, 0) << k.arguments[0];
    EXPECT_EQ(run.result.out, k.out);
    EXPECT_EQ(run.result.err, "");
    EXPECT_FALSE(run.folder.exists("ARCFILE")) << "nothing is opened";
    EXPECT_FALSE(run.folder.exists("out.rpt"));
  }
}

TEST(CommandLineRun, RefusedLinesOpenAndWriteNothing) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"in.dat", "out.rpt", "more.txt"}, "unexpected argument 'more.txt' (at most INPUT and REPORT)"},
      {{"in.dat"}, "INPUT 'in.dat' needs a REPORT file name after it"},
      {{"--grid"}, "option '--grid' needs a file name"},
      {{"--plot", "map.gif", "in.dat", "out.rpt"}, "the plot file 'map.gif' must end in .png, .svg or .pdf"},
  };
  for (const Case& k : cases) {
    ScratchFolder folder;
    folder.write("in.dat", two_wells().text());
    folder.write("ARCFILE", "an older raster\r\n");
    folder.write("out.rpt", "an older report\r\n");
    const RunResult r = run_program(folder, "in.dat\nout.rpt\n", k.arguments);
    EXPECT_EQ(r.status, 2) << k.message;
    EXPECT_EQ(r.err, "leaky-drawdown: " + k.message + "\n" + kHint);
    EXPECT_EQ(r.out, "") << "no prompt: the console is not read either";
    EXPECT_EQ(r.arcfile, "an older raster\r\n");
    EXPECT_EQ(r.report, "an older report\r\n");
    EXPECT_EQ(folder.read("in.dat"), two_wells().text());
  }
}

TEST(CommandLineRun, NamesAsArgumentsAnswerThePromptsAndLeaveTheConsoleUnread) {
  const ProgramRun asked(two_wells().text(), {});
  ASSERT_EQ(asked.result.status, 0);
  const std::string prompts = "Enter filename of the input file\r\nEnter output file name:\r\n";
  ASSERT_EQ(asked.result.out.substr(0, prompts.size()), prompts);

  // Whatever waits on the console input is not read.
  const ProgramRun named(two_wells().text(), {"in.dat", "out.rpt"}, "other.dat\nother.rpt\n");
  EXPECT_EQ(named.result.status, 0);
  EXPECT_EQ(named.result.err, "");
  EXPECT_EQ(named.result.out, asked.result.out.substr(prompts.size()));
  EXPECT_EQ(named.result.report, asked.result.report);
  EXPECT_EQ(named.result.arcfile, asked.result.arcfile);
  EXPECT_FALSE(named.folder.exists("other.rpt"));

  // Names longer than the console's 20 characters, with a folder, are used whole.
  ScratchFolder folder;
  std::filesystem::create_directory(folder.path() + "/reports");
  folder.write("input-with-a-long-name.dat", two_wells().text());
  const RunResult r = run_program(folder, "", {"input-with-a-long-name.dat", "reports/report-with-a-long-name.rpt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(folder.read("reports/report-with-a-long-name.rpt"), asked.result.report);
  EXPECT_EQ(r.arcfile, asked.result.arcfile);
}

TEST(CommandLineRun, GridHoldsEveryDrawdownExactly) {
  const ProgramRun plain(two_wells().text(), {});
  const ProgramRun run(two_wells().text(), {"--grid", "dd.asc", "in.dat", "out.rpt"});
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.err, "");
  EXPECT_EQ(run.result.report, plain.result.report) << "the report does not change";
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile) << "ARCFILE does not change";

  const std::vector<std::string> lines = lines_of(run.folder.read("dd.asc"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "ncols        4");
  EXPECT_EQ(lines[1], "nrows        3");
  EXPECT_EQ(lines[2], "xllcorner    1050") << "node 1 lies one spacing from XLL 1000, the cell's centre";
  EXPECT_EQ(lines[3], "yllcorner    2050");
  EXPECT_EQ(lines[4], "cellsize     100");
  EXPECT_EQ(lines[5], "NODATA_value -9999");
  bool negative = false;
  for (int r = 3; r >= 1; --r) {
    std::istringstream row(lines[static_cast<std::size_t>(6 + 3 - r)]);
    for (int c = 1; c <= 4; ++c) {
      std::string value;
      ASSERT_TRUE(row >> value) << "row " << r;
      const float read = std::strtof(value.c_str(), nullptr);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(read), std::bit_cast<std::uint32_t>(expected_cell(c, r)))
          << "node (" << c << ", " << r << "): " << value;
      negative = negative || read < 0;
    }
    std::string extra;
    EXPECT_FALSE(row >> extra) << "row " << r << " has " << extra;
  }
  EXPECT_TRUE(negative) << "the injecting well raises the head somewhere";
}

TEST(CommandLineRun, ConsoleNamesWithGridAndPlot) {
  const ProgramRun plain(two_wells().text(), {});
  const ProgramRun run(two_wells().text(), {"--grid=dd.asc", "--plot=map.png"});
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.out, plain.result.out) << "the console log is the dialogue's alone";
  EXPECT_EQ(run.result.report, plain.result.report);
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile);
  EXPECT_EQ(run.folder.read("dd.asc").substr(0, 14), "ncols        4");
  EXPECT_EQ(run.folder.read("map.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(CommandLineRun, ExtraFilesThatCannotBeWrittenLeaveReportAndArcfileWhole) {
  const ProgramRun plain(two_wells().text(), {});
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  };
  const Case cases[] = {
      {{"--grid", "/dev/full"}, "cannot write the grid file '/dev/full': No space left on device\n"},
      {{"--grid", "missing/dd.asc"}, "cannot write the grid file 'missing/dd.asc': No such file or directory\n"},
      {{"--plot", "missing/map.svg"}, "cannot write the plot file 'missing/map.svg': No such file or directory\n"},
      {{"--grid", "ARCFILE"}, "cannot write the grid file 'ARCFILE': it is ARCFILE\n"},
      {{"--grid", "out.rpt"}, "cannot write the grid file 'out.rpt': it is the report file\n"},
      {{"--grid", "./in.dat"}, "cannot write the grid file './in.dat': it is the input file\n"},
      // Both are tried: the grid fails, the picture is still drawn.
      {{"--grid", "missing/dd.asc", "--plot", "map.pdf"},
       "cannot write the grid file 'missing/dd.asc': No such file or directory\n"},
  };
  for (const Case& k : cases) {
    if (k.arguments[1] == "/dev/full" && !std::filesystem::exists("/dev/full")) continue;
    const ProgramRun run(two_wells().text(), k.arguments);
    EXPECT_EQ(run.result.status, base::kExitExtraOutput) << k.err;
    EXPECT_EQ(run.result.err, "leaky-drawdown: " + k.err);
    EXPECT_EQ(run.result.out, plain.result.out);
    EXPECT_EQ(run.result.report, plain.result.report) << k.err;
    EXPECT_EQ(run.result.arcfile, plain.result.arcfile) << k.err;
    EXPECT_EQ(run.folder.read("in.dat"), two_wells().text());
  }
  const ProgramRun both(two_wells().text(), {"--grid", "missing/dd.asc", "--plot", "map.pdf"});
  EXPECT_EQ(both.folder.read("map.pdf").substr(0, 5), "%PDF-");
}

TEST(CommandLineRun, GridAndPlotNamingOneFileByTwoSpellingsWriteItOnce) {
  // The names differ as text, so the command line takes them; the plot is
  // then refused as the file the grid was written to, which keeps the grid.
  const ProgramRun plain(two_wells().text(), {});
  ScratchFolder folder;
  folder.write("in.dat", two_wells().text());
  std::filesystem::create_directory(folder.path() + "/sub");
  const RunResult r = run_program(folder, "", {"--grid", "g.png", "--plot", "./sub/../g.png", "in.dat", "out.rpt"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot write the plot file './sub/../g.png': it is the grid file\n");
  EXPECT_EQ(folder.read("g.png").substr(0, 14), "ncols        4") << "the grid file is whole";
  EXPECT_EQ(r.report, plain.result.report);
  EXPECT_EQ(r.arcfile, plain.result.arcfile);
}

TEST(CommandLineRun, ALoneDashNamesAFile) {
  // "-" is the file of that name, not the console: the input is read from
  // the file "-" and the console input is left unread.
  const ProgramRun plain(two_wells().text(), {});
  ScratchFolder folder;
  folder.write("-", two_wells().text());
  const RunResult r = run_program(folder, "not.dat\nread.rpt\n", {"-", "out.rpt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.report, plain.result.report);
  EXPECT_EQ(r.arcfile, plain.result.arcfile);
  EXPECT_EQ(folder.read("-"), two_wells().text());
  EXPECT_FALSE(folder.exists("read.rpt"));
}

TEST(CommandLineRun, GridWithoutNodesIsRefusedAfterTheRun) {
  Answers a = two_wells();
  a.NY = "0";
  const ProgramRun plain(a.text(), {});
  const ProgramRun run(a.text(), {"--grid", "dd.asc", "--plot", "map.png"});
  EXPECT_EQ(run.result.status, base::kExitExtraOutput);
  EXPECT_EQ(run.result.err,
            "leaky-drawdown: cannot write the grid file 'dd.asc': the grid has no nodes (NX = 4, NY = 0)\n"
            "leaky-drawdown: cannot write the plot file 'map.png': the grid has no nodes (NX = 4, NY = 0)\n");
  EXPECT_EQ(run.result.report, plain.result.report);
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile);
  EXPECT_FALSE(run.folder.exists("dd.asc"));
  EXPECT_FALSE(run.folder.exists("map.png"));
}

TEST(CommandLineRun, FailedRunWritesNoExtraFiles) {
  Answers a = two_wells();
  a.wells.pop_back();  // the input ends inside the second well
  const ProgramRun run(a.text(), {"--grid", "dd.asc", "--plot", "map.png", "in.dat", "out.rpt"});
  EXPECT_EQ(run.result.status, 24);
  EXPECT_FALSE(run.folder.exists("dd.asc"));
  EXPECT_FALSE(run.folder.exists("map.png"));
}

}  // namespace
