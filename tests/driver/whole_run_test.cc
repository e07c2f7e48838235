// Whole runs of the program: console log, report, ARCFILE, standard error and
// exit status compared as whole files.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "expected_run.h"
#include "model/drawdown.h"
#include "program_run.h"

namespace {

using namespace testing_support;

// The console log of a complete run with `wells` wells read.
std::string complete_console(int wells) {
  Lines l = console_until_counts();
  append(l, console_parameters());
  for (int k = 0; k < wells; ++k) append(l, console_well());
  return crlf(l);
}

// Report from the summary on: the well lines, the continuation headers that
// the page logic puts after the 14th well and every 21 wells after it, the
// notices, the map rows, the column numbers and the axis label.
std::string report(const Lines& summary, const std::vector<Lines>& wells, const Lines& map_rows, int nx,
                   bool full_width = false) {
  Lines l = summary;
  int lines = 22;
  for (const Lines& w : wells) {
    append(l, w);
    lines += 2;
    if (lines >= 50) {
      append(l, continuation_header());
      lines = 8;
    }
  }
  append(l, notices_and_spacing());
  append(l, map_rows);
  l.push_back(column_numbers(nx));
  if (full_width) append(l, {"", ""});
  append(l, axis_label());
  return crlf(l);
}

std::string f62(float v) {
  char field[32];
  std::snprintf(field, sizeof field, "%6.2f", static_cast<double>(v));
  return field;
}

TEST(WholeRun, WorkedExampleMatchesEveryByte) {
  const RunResult r = run_with_input(Answers{}.text());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, complete_console(1));
  EXPECT_EQ(r.report, report(worked_summary(), {well_line("     2.00", "     1.00", "     144000.00")},
                             {"    2   7.25  8.04  7.25", "    1   8.04 18.59  8.04"}, 3));
  Lines arc = raster_header("     3", "     2", "        1000", "        2000", "       100");
  append(arc, {"  7.25  8.04  7.25", "  8.04 18.59  8.04"});
  EXPECT_EQ(r.arcfile, crlf(arc));
}

TEST(WholeRun, OneDecimalMapAndNoMapForOtherDecimals) {
  Answers a;
  a.NDEC = "1";
  RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report, report(worked_summary(), {well_line("     2.00", "     1.00", "     144000.00")},
                             {"", "", "    2     7.2   8.0   7.2", "", "", "    1     8.0  18.6   8.0"}, 3));
  const std::string arcfile = r.arcfile;

  a.NDEC = "3";
  r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report, report(worked_summary(), {well_line("     2.00", "     1.00", "     144000.00")}, {}, 3));
  EXPECT_EQ(r.arcfile, arcfile) << "ARCFILE does not depend on the map's decimals";
}

// Wells with no rate at x = 1, 2, ...: every cell stays 0.00, and the well
// table shows where the page logic puts its continuation headers.
TEST(WholeRun, ContinuationHeadersFollowThe14thWellAndEvery21After) {
  for (int n : {13, 14, 15, 35, 36}) {
    Answers a;
    a.NX = "2";
    a.NY = "1";
    a.NWELL = std::to_string(n);
    a.wells.clear();
    std::vector<Lines> listed;
    for (int k = 1; k <= n; ++k) {
      a.wells.insert(a.wells.end(), {std::to_string(k), "1", "0"});
      char x[16];
      std::snprintf(x, sizeof x, "%9.2f", static_cast<double>(k));
      listed.push_back(well_line(x, "     1.00", "          0.00"));
    }
    const RunResult r = run_with_input(a.text());
    SCOPED_TRACE(n);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, complete_console(n));
    Lines summary = summary_block("     2", "    1", "      10000.", "  0.00100000", "  0.00010000",
                                  "      1.0000", "         100");
    EXPECT_EQ(r.report, report(summary, listed, {"    1   0.00  0.00"}, 2));
  }
}

TEST(WholeRun, NoWellsListsOneLineOfZeros) {
  for (const char* nwell : {"0", "-3"}) {
    Answers a;
    a.NWELL = nwell;
    a.wells.clear();
    const RunResult r = run_with_input(a.text());
    SCOPED_TRACE(nwell);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, complete_console(0));
    EXPECT_EQ(r.report, report(worked_summary(), {well_line("     0.00", "     0.00", "          0.00")},
                               {"    2   0.00  0.00  0.00", "    1   0.00  0.00  0.00"}, 3));
  }
}

TEST(WholeRun, WellAtXZeroEndsTheListButTheFirstAlwaysCounts) {
  Answers a;
  a.NWELL = "3";
  a.wells = {"2", "1", "144000", "0", "2", "144000", "3", "2", "144000"};
  RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, complete_console(3));
  EXPECT_EQ(r.report, report(worked_summary(), {well_line("     2.00", "     1.00", "     144000.00")},
                             {"    2   7.25  8.04  7.25", "    1   8.04 18.59  8.04"}, 3));

  // A first well at x = 0.0 is listed and evaluated all the same; the list then
  // ends at the marker.
  a.NWELL = "1";
  a.wells = {"0", "1", "144000"};
  r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  auto row = [](int rr) {
    std::string s;
    for (int c = 1; c <= 3; ++c) {
      float dd = 0.0f;
      model::DRAWDN(10000.0f, 0.0001f, 1.0f, 0.001f, 144000.0f, model::DIST(100, c, rr, 0.0f, 1.0f), dd);
      s += f62(dd);
    }
    return s;
  };
  EXPECT_EQ(row(1).substr(0, 6), "  8.04");
  EXPECT_EQ(r.report, report(worked_summary(), {well_line("     0.00", "     1.00", "     144000.00")},
                             {"    2 " + row(2), "    1 " + row(1)}, 3));
}

TEST(WholeRun, EqualAndOppositeWellsLeaveZeroWithoutSign) {
  Answers a;
  a.NWELL = "2";
  a.wells = {"2", "1", "144000", "2", "1", "-144000"};
  const RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.report, report(worked_summary(),
                             {well_line("     2.00", "     1.00", "     144000.00"),
                              well_line("     2.00", "     1.00", "    -144000.00")},
                             {"    2   0.00  0.00  0.00", "    1   0.00  0.00  0.00"}, 3));
  EXPECT_EQ(r.arcfile.find("-0.00"), std::string::npos);
}

TEST(WholeRun, EmptyGridDirections) {
  Answers a;
  a.NX = "0";
  RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  Lines summary = summary_block("     0", "    2", "      10000.", "  0.00100000", "  0.00010000",
                                "      1.0000", "         100");
  EXPECT_EQ(r.report, report(summary, {well_line("     2.00", "     1.00", "     144000.00")},
                             {"    2", "    1"}, 0));
  Lines arc = raster_header("     0", "     2", "        1000", "        2000", "       100");
  append(arc, {"", ""});
  EXPECT_EQ(r.arcfile, crlf(arc));

  a.NX = "3";
  a.NY = "-1";
  r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  summary = summary_block("     3", "   -1", "      10000.", "  0.00100000", "  0.00010000", "      1.0000",
                          "         100");
  EXPECT_EQ(r.report, report(summary, {well_line("     2.00", "     1.00", "     144000.00")}, {}, 3));
  EXPECT_EQ(r.arcfile, crlf(raster_header("     3", "    -1", "        1000", "        2000", "       100")));
}

TEST(WholeRun, FullWidthMapHasTwoEmptyRecordsAfterRowsAndColumnNumbers) {
  Answers a;
  a.NX = "300";
  a.NY = "2";
  a.wells = {"150", "1", "0"};
  const RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  std::string zeros;
  for (int c = 0; c < 300; ++c) zeros += "  0.00";
  Lines summary = summary_block("   300", "    2", "      10000.", "  0.00100000", "  0.00010000",
                                "      1.0000", "         100");
  EXPECT_EQ(r.report, report(summary, {well_line("   150.00", "     1.00", "          0.00")},
                             {"    2 " + zeros, "", "", "    1 " + zeros, "", ""}, 300, true));
  Lines arc = raster_header("   300", "     2", "        1000", "        2000", "       100");
  append(arc, {zeros, zeros});
  EXPECT_EQ(r.arcfile, crlf(arc));
}

// Cells are computed here with the model's own routines, and each is expected
// in its six columns exactly as the fixed-point field shows it.
TEST(WholeRun, WideCellsTouchTheirNeighbourAndOverflowReportsOncePerStatement) {
  Answers a;
  a.wells = {"2", "1", "1440000"};  // ten times the worked example: 80.4, 185.9, 72.5 feet
  RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  auto cell = [](int c, int rr, float q) {
    float dd = 0.0f;
    model::DRAWDN(10000.0f, 0.0001f, 1.0f, 0.001f, q, model::DIST(100, c, rr, 2.0f, 1.0f), dd);
    return dd;
  };
  const std::string row1 = f62(cell(1, 1, 1440000.0f)) + f62(cell(2, 1, 1440000.0f)) + f62(cell(3, 1, 1440000.0f));
  ASSERT_EQ(row1.substr(6, 6).find(' '), std::string::npos) << "the well's node must fill all six columns";
  EXPECT_NE(r.arcfile.find("\r\n" + row1 + "\r\n"), std::string::npos) << r.arcfile;

  // A hundred times the worked example: 1859 feet at the well's node does not fit.
  a.wells = {"2", "1", "14400000"};
  r = run_with_input(a.text());
  EXPECT_EQ(r.status, 0);
  const std::string report_path = r.folder + "/out.rpt";
  const std::string arc_path = r.folder + "/ARCFILE";
  EXPECT_EQ(r.err, "tavrix: error (63): output conversion error, unit 12, file " + report_path + "\n" +
                       "tavrix: error (63): output conversion error, unit 14, file " + arc_path + "\n");
  const std::string overflowing = f62(cell(1, 1, 14400000.0f)) + "******" + f62(cell(3, 1, 14400000.0f));
  EXPECT_NE(r.arcfile.find("\r\n" + overflowing + "\r\n"), std::string::npos) << r.arcfile;
  EXPECT_NE(r.report.find("\r\n    1 " + overflowing + "\r\n"), std::string::npos);
}

TEST(WholeRun, InputEndingAmongTheWellsKeepsWhatWasWritten) {
  Answers a;
  a.NWELL = "2";
  a.wells = {"2", "1", "144000", "3"};
  const RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 24);
  Lines console = console_until_counts();
  append(console, console_parameters());
  append(console, console_well());
  append(console, console_well());
  console.pop_back();  // the input ends where the second well's y is read
  EXPECT_EQ(r.out, crlf(console));
  EXPECT_EQ(r.err, "tavrix: severe (24): end-of-file during read, unit 11, file " + r.folder + "/in.dat\n" +
                       "leaky-drawdown: while reading Y(2) from in.dat: the file ends after line 15, and Y(2) (the y "
                       "of well 2) was expected next\n");
  EXPECT_EQ(r.report, crlf(worked_summary()));
  EXPECT_EQ(r.arcfile, crlf(raster_header("     3", "     2", "        1000", "        2000", "       100")));
}

TEST(WholeRun, CornerCoordinatesChangeOnlyTheRasterHeader) {
  Answers a;
  const RunResult first = run_with_input(a.text());
  a.XLL = "2150000.7";
  a.YLL = "-35";
  const RunResult second = run_with_input(a.text());
  EXPECT_EQ(first.report, second.report);
  EXPECT_EQ(first.out, second.out);
  Lines arc = raster_header("     3", "     2", "     2150000", "         -35", "       100");
  append(arc, {"  7.25  8.04  7.25", "  8.04 18.59  8.04"});
  EXPECT_EQ(second.arcfile, crlf(arc));
}

TEST(WholeRun, CountsBeyondTheGridAreRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* nx;
    const char* ny;
    const char* message;
  };
  for (const Case& c : {Case{"301", "2", "the number of nodes NX = 301 exceeds the grid's limit of 300 nodes"},
                        Case{"3", "2147483647",
                             "the number of nodes NY = 2147483647 exceeds the grid's limit of 300 nodes"}}) {
    Answers a;
    a.NX = c.nx;
    a.NY = c.ny;
    const RunResult r = run_with_input(a.text());
    SCOPED_TRACE(c.message);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, std::string("leaky-drawdown: ") + c.message + "\n");
    EXPECT_EQ(r.report, "");
    EXPECT_EQ(r.arcfile, "");
  }
}

TEST(WholeRun, MoreWellsThanTheTableHoldsAreRefused) {
  Answers a;
  a.NWELL = "1000";
  const RunResult r = run_with_input(a.text());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "leaky-drawdown: the number of wells NWELL = 1000 exceeds the well table's limit of 999 wells\n");
  Lines console = console_until_counts();
  append(console, console_parameters());
  EXPECT_EQ(r.out, crlf(console));
}

}  // namespace
