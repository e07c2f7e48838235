// Hostile input and file-system faults, end to end: every run completes with
// status 0 or ends with one catalogued line and its status, in bounded time,
// and no file is damaged: the input file never changes, and the report and
// ARCFILE keep their old contents whole until the run writes its first record
// to them.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "expected_run.h"
#include "model/drawdown.h"
#include "program_run.h"
#include "standard_error.h"

namespace {

using namespace testing_support;
using namespace std::string_literals;

const std::string kOldReport = "last month's report\r\n";
const std::string kOldRaster = "last month's raster\r\n";

std::string severe(int number, const std::string& text) {
  return "tavrix: severe (" + std::to_string(number) + "): " + text + "\n";
}

// A run on `input` in a folder where out.rpt and ARCFILE hold old contents.
struct FolderRun {
  ScratchFolder folder;
  RunResult r;
  double seconds = 0;
  FolderRun(const std::string& input, const std::string& console = "in.dat\nout.rpt\n") {
    folder.write("in.dat", input);
    folder.write("out.rpt", kOldReport);
    folder.write("ARCFILE", kOldRaster);
    const auto start = std::chrono::steady_clock::now();
    r = run_program(folder, console);
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(folder.read("in.dat"), input) << "the input file is never changed";
  }
  std::string in_path() const { return folder.path() + "/in.dat"; }
};

// The report and ARCFILE hold either their old contents, whole, or records of
// this run only.
void expect_old_or_new(const std::string& now, const std::string& old) {
  if (now == old) return;
  EXPECT_EQ(now.find(old), std::string::npos) << "old contents beside new records";
  if (!now.empty()) {
    EXPECT_EQ(now.substr(now.size() - 2), "\r\n") << "a record cut short";
  }
}

// Standard error of a complete run: nothing, or message 63 lines only.
void expect_only_overflow_lines(const std::string& err) {
  std::size_t start = 0;
  while (start < err.size()) {
    const std::size_t lf = err.find('\n', start);
    ASSERT_NE(lf, std::string::npos) << err;
    EXPECT_EQ(err.compare(start, 51, "tavrix: error (63): output conversion error, unit 1"), 0) << err;
    start = lf + 1;
  }
}

// ---------------------------------------------------------------------------
// Answers that are not what the question asks for.

struct HostileAnswer {
  const char* name;
  std::string input;  // the whole input file
  int status;         // 0: the run completes
  std::string message = "";  // for a failure: the message text before ", unit 11"
};

Answers with(void (*change)(Answers&)) {
  Answers a;
  change(a);
  return a;
}

std::vector<HostileAnswer> hostile_answers() {
  const std::string plain = Answers{}.text();
  const std::string million(1000000, '7');
  std::string cr_only = plain;
  for (char& c : cr_only)
    if (c == '\n') c = '\r';
  std::string crlf_ends;
  for (char c : plain) crlf_ends += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::string syntax = "list-directed I/O syntax error";
  const std::string range = "input conversion error";
  const std::string eof = "end-of-file during read";
  return {
      {"LettersForAnInteger", with([](Answers& a) { a.XLL = "ten"; }).text(), 59, syntax},
      {"LettersForASingle", with([](Answers& a) { a.T = "high"; }).text(), 59, syntax},
      {"NaNWordForASingle", with([](Answers& a) { a.T = "NaN"; }).text(), 59, syntax},
      {"InfWordForASingle", with([](Answers& a) { a.S = "Inf"; }).text(), 59, syntax},
      {"InfinityWordForASingle", with([](Answers& a) { a.TIME = "-Infinity"; }).text(), 59, syntax},
      {"NaNWordForAnInteger", with([](Answers& a) { a.NX = "nan"; }).text(), 59, syntax},
      {"SingleBeyondItsRange", with([](Answers& a) { a.T = "1e39"; }).text(), 64, range},
      {"NegativeSingleBeyondItsRange", with([](Answers& a) { a.LEAK = "-1E39"; }).text(), 64, range},
      {"IntegerInNumberFormBeyondItsRange", with([](Answers& a) { a.SPACING = "1e20"; }).text(), 64, range},
      {"WholeIntegerBeyondItsRange", with([](Answers& a) { a.NWELL = "3000000000"; }).text(), 64, range},
      {"IntegerJustBelowItsRange", with([](Answers& a) { a.XLL = "-2147483649"; }).text(), 64, range},
      {"MinusZeroForAnInteger", with([](Answers& a) { a.NY = "-0"; }).text(), 0},
      {"MinusZeroForASingle", with([](Answers& a) { a.LEAK = "-0"; }).text(), 0},
      {"MillionDigitInteger", with([](Answers& a) { a.NX = "1" + std::string(1000000, '0'); }).text(), 64, range},
      {"MillionDigitSingle", with([](Answers& a) { a.T = "1" + std::string(1000000, '0'); }).text(), 64, range},
      {"MillionDigitSmallSingle", with([](Answers& a) { a.S = "0." + std::string(1000000, '0') + "1"; }).text(), 0},
      {"MillionBlanksBeforeAValue", std::string(1000000, ' ') + plain, 0},
      {"MillionCharacterRemark", "3 " + million + "\n" + plain.substr(2), 0},
      {"NulInAValue", "3\0\n"s + plain.substr(2), 59, syntax},
      {"LineOfNulBytes", "\0\0\0\n"s + plain, 59, syntax},
      {"NulBytesInARemark", "3 \0\0remark\n"s + plain.substr(2), 0},
      {"CarriageReturnOnlyLineEnds", cr_only, 59, syntax},
      // One long line again: its first answer is read, the second finds the end.
      {"CarriageReturnOnlyLineEndsAfterARemark", "3 columns\r" + cr_only.substr(2), 24, eof},
      {"CarriageReturnLineFeedLineEnds", crlf_ends, 0},
      {"EmptyFile", "", 24, eof},
      {"EndsBeforeTheWells", with([](Answers& a) { a.wells.clear(); }).text(), 24, eof},
      {"EndsInsideAWellWithoutLineEnd", plain.substr(0, plain.size() - 8), 24, eof},
      {"OpenQuoteToTheEnd", with([](Answers& a) { a.T = "'10000"; }).text(), 24, eof},
      {"QuotedNumber", with([](Answers& a) { a.T = "'10000'"; }).text(), 59, syntax},
  };
}

void PrintTo(const HostileAnswer& c, std::ostream* os) { *os << c.name; }

class HostileAnswers : public testing::TestWithParam<HostileAnswer> {};

TEST_P(HostileAnswers, CompleteOrEndWithOneCatalogueLine) {
  const HostileAnswer& c = GetParam();
  const FolderRun run(c.input);
  const RunResult& r = run.r;
  EXPECT_EQ(r.status, c.status);
  // Warnings may come first; the report line is then the first line, and the
  // line after it says which answer was being read.
  const std::string err = without_warnings(r.err);
  if (c.status == 0) {
    EXPECT_EQ(err, "");
    EXPECT_EQ(r.report.substr(r.report.size() - 8), "X AXIS\r\n");
  } else {
    EXPECT_EQ(first_line(err), severe(c.status, c.message + ", unit 11, file " + run.in_path()));
    EXPECT_EQ(err.find("leaky-drawdown: while reading ", first_line(err).size()), first_line(err).size()) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
  }
  expect_old_or_new(r.report, kOldReport);
  expect_old_or_new(r.arcfile, kOldRaster);
  EXPECT_LT(run.seconds, 60);
}

INSTANTIATE_TEST_SUITE_P(InputFile, HostileAnswers, testing::ValuesIn(hostile_answers()),
                         [](const auto& info) { return std::string(info.param.name); });

// Inputs that differ from the worked example only in what is never read give
// its outputs byte for byte.
TEST(HostileAnswersSameRun, IgnoredBytesChangeNothing) {
  const std::string plain = Answers{}.text();
  const FolderRun reference(plain);
  ASSERT_EQ(reference.r.status, 0);
  std::string crlf_ends;
  for (char c : plain) crlf_ends += c == '\n' ? std::string("\r\n") : std::string(1, c);
  for (const std::string& input : {std::string(1000000, ' ') + plain, "3 " + std::string(1000000, 'x') + "\n" + plain.substr(2),
                                   "3 \0\0remark\n"s + plain.substr(2), crlf_ends}) {
    const FolderRun run(input);
    EXPECT_EQ(run.r.report, reference.r.report);
    EXPECT_EQ(run.r.arcfile, reference.r.arcfile);
  }
}

// ---------------------------------------------------------------------------
// Console answers: the longest text value, and past it.

TEST(HostileConsole, LongestTextValueIs2049Characters) {
  const std::string quoted_2049 = "'in.dat" + std::string(2049 - 6, ' ') + "'";
  const FolderRun ok(Answers{}.text(), quoted_2049 + "\nout.rpt\n");
  EXPECT_EQ(ok.r.status, 0) << ok.r.err;

  const std::string quoted_2050 = "'in.dat" + std::string(2050 - 6, ' ') + "'";
  const std::string unquoted_2050(2050, 'a');
  for (const std::string& name : {quoted_2050, unquoted_2050}) {
    const FolderRun failed(Answers{}.text(), name + "\nout.rpt\n");
    EXPECT_EQ(failed.r.status, 59);
    EXPECT_EQ(failed.r.err, severe(59, "list-directed I/O syntax error, unit -4, file CONIN$"));
    EXPECT_EQ(failed.r.report, kOldReport);
    EXPECT_EQ(failed.r.arcfile, kOldRaster);
  }
}

TEST(HostileConsole, NamesWithNulAndAMillionCharacters) {
  // A NUL byte inside a name cannot name a file.
  const FolderRun nul(Answers{}.text(), "in.dat\n'out\0.rpt'\n"s);
  EXPECT_EQ(nul.r.status, 43);
  EXPECT_EQ(nul.r.err, severe(43, "file name specification error, unit 12, file " + nul.folder.path() + "/out\\x00.rpt"));
  EXPECT_EQ(nul.r.report, kOldReport);
  // A million characters typed at a prompt: longer than any text value.
  const FolderRun long_line(Answers{}.text(), std::string(1000000, 'n') + "\nout.rpt\n");
  EXPECT_EQ(long_line.r.status, 59);
  EXPECT_EQ(long_line.r.err, severe(59, "list-directed I/O syntax error, unit -4, file CONIN$"));
  EXPECT_EQ(long_line.r.report, kOldReport);
}

// ---------------------------------------------------------------------------
// Model values outside the physical range. Each run completes with the cells
// the model's own routines give (a not-a-number cell shows as NaN, an infinite
// one as Inf or -Inf, one too wide for its field as asterisks with message 63),
// or is refused with status 1.

struct ExtremeValue {
  const char* name;
  Answers answers;
};

std::vector<ExtremeValue> extreme_values() {
  return {
      {"TransmissivityZero", with([](Answers& a) { a.T = "0"; })},
      {"TransmissivityNegative", with([](Answers& a) { a.T = "-10000"; })},
      {"StorageZero", with([](Answers& a) { a.S = "0"; })},
      {"StorageNegative", with([](Answers& a) { a.S = "-0.0001"; })},
      {"TimeZero", with([](Answers& a) { a.TIME = "0"; })},
      {"TimeNegative", with([](Answers& a) { a.TIME = "-1"; })},
      {"TimeMostNegative", with([](Answers& a) { a.TIME = "-3.4e38"; })},
      {"LeakanceNegative", with([](Answers& a) { a.LEAK = "-0.001"; })},
      {"TransmissivityAndLeakanceZero", with([](Answers& a) {
         a.T = "0";
         a.LEAK = "0";
       })},
      {"SpacingZero", with([](Answers& a) { a.SPACING = "0"; })},
      {"SpacingNegative", with([](Answers& a) { a.SPACING = "-100"; })},
      {"SpacingLargest", with([](Answers& a) { a.SPACING = "2147483647"; })},
      {"SpacingMostNegative", with([](Answers& a) { a.SPACING = "-2147483648"; })},
      {"WellFarOutside", with([](Answers& a) { a.wells = {"3e38", "-3e38", "144000"}; })},
      {"RateLargest", with([](Answers& a) { a.wells = {"2", "1", "3.4e38"}; })},
      {"ColumnsZero", with([](Answers& a) { a.NX = "0"; })},
      {"ColumnsNegative", with([](Answers& a) { a.NX = "-5"; })},
      {"RowsZero", with([](Answers& a) { a.NY = "0"; })},
      {"RowsNegative", with([](Answers& a) { a.NY = "-5"; })},
      {"RowsMostNegative", with([](Answers& a) { a.NY = "-2147483648"; })},
      {"WellsNegative", with([](Answers& a) { a.NWELL = "-3"; })},
  };
}

float parse_float(const std::string& s) { return std::strtof(s.c_str(), nullptr); }
int parse_int(const std::string& s) { return static_cast<int>(std::strtol(s.c_str(), nullptr, 10)); }

// The six columns a cell of value v shows in ARCFILE, or "" for any ordinary
// number that fits (compared by value below).
std::string special_field(float v) {
  if (std::isnan(v)) return "   NaN";
  if (std::isinf(v)) return v > 0 ? "   Inf" : "  -Inf";
  if (v >= 999.995f || v <= -99.995f) return "******";
  return "";
}

void PrintTo(const ExtremeValue& c, std::ostream* os) { *os << c.name; }

class ExtremeValues : public testing::TestWithParam<ExtremeValue> {};

TEST_P(ExtremeValues, CompleteWithTheModelsCells) {
  const Answers& a = GetParam().answers;
  const FolderRun run(a.text());
  const RunResult& r = run.r;
  ASSERT_EQ(r.status, 0) << r.err;
  expect_only_overflow_lines(without_warnings(r.err));
  EXPECT_EQ(r.report.substr(r.report.size() - 8), "X AXIS\r\n");
  EXPECT_LT(run.seconds, 60);

  const int nx = parse_int(a.NX);
  const int ny = parse_int(a.NY);
  const int spacing = parse_int(a.SPACING);
  const float T = parse_float(a.T), S = parse_float(a.S), TIME = parse_float(a.TIME), LEAK = parse_float(a.LEAK);
  // No wells asked for: the table's first slot, all zero, is used.
  const bool wells = parse_int(a.NWELL) > 0;
  const float x = wells ? parse_float(a.wells[0]) : 0.0f;
  const float y = wells ? parse_float(a.wells[1]) : 0.0f;
  const float q = wells ? parse_float(a.wells[2]) : 0.0f;

  // ARCFILE: six header lines, then one line per row, top row first.
  std::vector<std::string> lines;
  for (std::size_t start = 0; start < r.arcfile.size();) {
    const std::size_t end = r.arcfile.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    lines.push_back(r.arcfile.substr(start, end - start));
    start = end + 2;
  }
  ASSERT_EQ(lines.size(), 6u + static_cast<std::size_t>(std::max(ny, 0)));
  bool overflow = false;
  for (int row = ny; row >= 1; --row) {
    const std::string& line = lines[6 + static_cast<std::size_t>(ny - row)];
    ASSERT_EQ(line.size(), 6u * static_cast<std::size_t>(std::max(nx, 0))) << line;
    for (int c = 1; c <= nx; ++c) {
      float dd = 0.0f;
      model::DRAWDN(T, S, TIME, LEAK, q, model::DIST(spacing, c, row, x, y), dd);
      const std::string field = line.substr(6 * static_cast<std::size_t>(c - 1), 6);
      SCOPED_TRACE("node " + std::to_string(c) + "," + std::to_string(row) + ": " + std::to_string(dd));
      const std::string special = special_field(dd);
      if (!special.empty()) {
        EXPECT_EQ(field, special);
        overflow = overflow || special == "******";
      } else {
        EXPECT_NEAR(parse_float(field), dd, 0.0050001) << field;
      }
    }
  }
  if (overflow) {
    EXPECT_NE(r.err, "") << "asterisks come with message 63";
  }
}

INSTANTIATE_TEST_SUITE_P(Model, ExtremeValues, testing::ValuesIn(extreme_values()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ExtremeValuesSameRun, SpacingSignAndZero) {
  auto rows = [](const std::string& arcfile) { return arcfile.substr(arcfile.find("\r\n", arcfile.find("nodata")) + 2); };
  Answers a;
  const FolderRun positive(a.text());
  a.SPACING = "-100";
  const FolderRun negative(a.text());
  EXPECT_EQ(rows(negative.r.arcfile), rows(positive.r.arcfile)) << "distances do not depend on the spacing's sign";
  a.SPACING = "0";
  const FolderRun zero(a.text());
  const std::string cell = rows(zero.r.arcfile).substr(0, 6);
  EXPECT_EQ(rows(zero.r.arcfile), cell + cell + cell + "\r\n" + cell + cell + cell + "\r\n")
      << "every node lies one foot from the well";
  EXPECT_EQ(cell, rows(positive.r.arcfile).substr(20 + 6, 6)) << "as the node on the well, (2, 1), does";
}

TEST(ExtremeValuesSameRun, NotANumberCellsAreWrittenAsNaN) {
  Answers a;
  a.T = "0";
  a.LEAK = "0";
  const FolderRun run(a.text());
  EXPECT_EQ(run.r.status, 0);
  EXPECT_EQ(without_warnings(run.r.err), "");
  EXPECT_NE(run.r.arcfile.find("\r\n   NaN   NaN   NaN\r\n   NaN   NaN   NaN\r\n"), std::string::npos) << run.r.arcfile;
  EXPECT_NE(run.r.report.find("\r\n    1    NaN   NaN   NaN\r\n"), std::string::npos);
}

TEST(ExtremeValuesSameRun, CountsBeyondTheLimitsAreRefusedWithStatus1) {
  struct Case {
    void (*change)(Answers&);
    std::string line;
    bool summary_written;
  };
  const Case cases[] = {
      {[](Answers& a) { a.NX = "301"; }, "the number of nodes NX = 301 exceeds the grid's limit of 300 nodes", false},
      {[](Answers& a) { a.NX = "2147483647"; },
       "the number of nodes NX = 2147483647 exceeds the grid's limit of 300 nodes", false},
      {[](Answers& a) { a.NY = "301"; }, "the number of nodes NY = 301 exceeds the grid's limit of 300 nodes", false},
      {[](Answers& a) { a.NWELL = "1000"; },
       "the number of wells NWELL = 1000 exceeds the well table's limit of 999 wells", true},
      {[](Answers& a) { a.NWELL = "2147483647"; },
       "the number of wells NWELL = 2147483647 exceeds the well table's limit of 999 wells", true},
  };
  for (const Case& c : cases) {
    const FolderRun run(with(c.change).text());
    SCOPED_TRACE(c.line);
    EXPECT_EQ(run.r.status, 1);
    EXPECT_EQ(run.r.err, "leaky-drawdown: " + c.line + "\n");
    if (c.summary_written) {
      EXPECT_EQ(run.r.report, crlf(worked_summary()));
      EXPECT_EQ(run.r.arcfile.substr(0, 12), "ncol     3\r\n");
    } else {
      EXPECT_EQ(run.r.report, kOldReport);
      EXPECT_EQ(run.r.arcfile, kOldRaster);
    }
  }
}

// The largest grid with the slowest arguments of the well function ends in
// bounded time: a tiny negative time makes u hugely negative at every node, and
// each node integrates over some two hundred panels.
TEST(ExtremeValuesSameRun, LargestGridWithNegativeTimeEndsInBoundedTime) {
  Answers a;
  a.NX = "300";
  a.NY = "300";
  a.S = "1";
  a.TIME = "-1e-20";
  a.wells = {"150", "150", "144000"};
  const FolderRun run(a.text());
  EXPECT_EQ(run.r.status, 0);
  expect_only_overflow_lines(without_warnings(run.r.err));
  EXPECT_LT(run.seconds, 120);
}

// ---------------------------------------------------------------------------
// Files that cannot be opened or written.

struct FileFault {
  const char* name;
  std::string console;  // the two names
  int status;
  std::string message;  // with "@" for the scratch folder
};

void PrintTo(const FileFault& c, std::ostream* os) { *os << c.name; }

class FileFaults : public testing::TestWithParam<FileFault> {};

TEST_P(FileFaults, EndWithTheirMessageAndKeepOldContents) {
  const FileFault& c = GetParam();
  ScratchFolder folder;
  folder.write("in.dat", Answers{}.text());
  folder.write("ARCFILE", kOldRaster);
  std::filesystem::create_directory(folder.path() + "/folder");
  const RunResult r = run_program(folder, c.console);
  std::string message = c.message;
  if (const std::size_t at = message.find('@'); at != std::string::npos) message.replace(at, 1, folder.path());
  EXPECT_EQ(r.status, c.status);
  EXPECT_EQ(r.err, severe(c.status, message));
  EXPECT_EQ(folder.read("in.dat"), Answers{}.text());
  EXPECT_EQ(r.arcfile, kOldRaster) << "the run ended before ARCFILE's first record";
}

INSTANTIATE_TEST_SUITE_P(
    Files, FileFaults,
    testing::Values(
        FileFault{"ReportOnAFullDevice", "in.dat\n'/dev/full'\n", 38, "error during write, unit 12, file /dev/full"},
        FileFault{"ReportIsAFolder", "in.dat\nfolder\n", 9, "permission to access file denied, unit 12, file @/folder"},
        FileFault{"ReportInAMissingFolder", "in.dat\n'nowhere/out.rpt'\n", 29,
                  "file not found, unit 12, file @/nowhere/out.rpt"},
        FileFault{"InputIsAFolder", "folder\nout.rpt\n", 9, "permission to access file denied, unit 11, file @/folder"},
        FileFault{"InputIsTheRootFolder", "'/'\nout.rpt\n", 9, "permission to access file denied, unit 11, file /"},
        FileFault{"InputInAMissingFolder", "'nowhere/in.dat'\nout.rpt\n", 29,
                  "file not found, unit 11, file @/nowhere/in.dat"},
        FileFault{"UnquotedNameStartingWithASlashStaysEmpty", "in.dat\n/dev/full\n", 29, "file not found, unit 12, file @/"}),
    [](const auto& info) { return std::string(info.param.name); });

// A file named twice, as the input and as an output or as both outputs, by
// any spelling or link, is refused at the second open (message 10) before
// anything is written: the first record would cut the other file off.
TEST(FileFaultsSameFile, AFileOnTwoUnitsIsRefusedBeforeAnythingIsWritten) {
  struct Case {
    const char* console;
    const char* input;  // the name the input file is written under
    int unit;
    const char* reported;  // the file the message names
  };
  const Case cases[] = {
      {"in.dat\nin.dat\n", "in.dat", 12, "in.dat"},
      {"in.dat\n'./sub/../in.dat'\n", "in.dat", 12, "in.dat"},
      {"in.dat\nlink.dat\n", "in.dat", 12, "link.dat"},
      {"ARCFILE\nout.rpt\n", "ARCFILE", 14, "ARCFILE"},
      {"in.dat\nARCFILE\n", "in.dat", 14, "ARCFILE"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.console);
    ScratchFolder folder;
    std::filesystem::create_directory(folder.path() + "/sub");
    if (std::string(c.input) != "ARCFILE") folder.write("ARCFILE", kOldRaster);
    folder.write(c.input, Answers{}.text());
    std::filesystem::create_hard_link(folder.path() + "/" + c.input, folder.path() + "/link.dat");
    const RunResult r = run_program(folder, c.console);
    EXPECT_EQ(r.status, 10);
    EXPECT_EQ(r.err, severe(10, "cannot overwrite existing file, unit " + std::to_string(c.unit) + ", file " +
                                    folder.path() + "/" + c.reported));
    EXPECT_EQ(folder.read(c.input), Answers{}.text());
    if (std::string(c.input) != "ARCFILE") {
      EXPECT_EQ(r.arcfile, kOldRaster);
    }
  }
}

// The program as built next to this test (build/tests/driver/driver_test and
// build/leaky-drawdown), or "" when it is not there.
std::string program_path() {
  std::error_code ec;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return "";
  const auto program = self.parent_path().parent_path().parent_path() / "leaky-drawdown";
  return std::filesystem::exists(program) ? program.string() : "";
}

// A command prefix that runs a program as the unprivileged user nobody, or ""
// when this process cannot switch users.
std::string as_nobody() {
  if (::geteuid() != 0) return "";
  if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true >/dev/null 2>&1") == 0)
    return "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  return "";
}

// The console as a file that fails: standard output full, closed or a pipe
// nobody reads any more; standard input closed or a folder. The first prompt
// or the first name read ends the run with its message.
TEST(ConsoleFaults, FailedConsoleWritesAndReadsEndTheRunWithTheirMessage) {
  const std::string program = program_path();
  if (program.empty()) GTEST_SKIP() << "the program is not next to the test";
  constexpr int kClosed = -1;
  constexpr int kPipeWithoutReader = -2;
  constexpr int kDevFull = -3;
  constexpr int kFolder = -4;
  constexpr int kFile = -5;  // the two names
  constexpr int kDevNull = -6;
  struct Case {
    const char* name;
    int in;
    int out;
    std::string line;
  };
  const std::string write_failed = severe(38, "error during write, unit -1, file CONOUT$");
  const std::string read_failed = severe(39, "error during read, unit -4, file CONIN$");
  const Case cases[] = {
      {"output full", kFile, kDevFull, write_failed},
      {"output closed", kFile, kClosed, write_failed},
      {"output a pipe without reader", kFile, kPipeWithoutReader, write_failed},
      {"input closed", kClosed, kDevNull, read_failed},
      {"input a folder", kFolder, kDevNull, read_failed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchFolder folder;
    folder.write("in.dat", Answers{}.text());
    folder.write("out.rpt", kOldReport);
    folder.write(".console", "in.dat\nout.rpt\n");
    int pipe_ends[2] = {-1, -1};
    if (c.out == kPipeWithoutReader) {
      ASSERT_EQ(::pipe(pipe_ends), 0);
      ::close(pipe_ends[0]);
    }
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
      const int err = ::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err, 2);
      auto connect = [&](int how, int fd) {
        if (how == kClosed) ::close(fd);
        if (how == kPipeWithoutReader) ::dup2(pipe_ends[1], fd);
        if (how == kDevFull) ::dup2(::open("/dev/full", O_WRONLY), fd);
        if (how == kFolder) ::dup2(::open("/", O_RDONLY), fd);
        if (how == kFile) ::dup2(::open(".console", O_RDONLY), fd);
        if (how == kDevNull) ::dup2(::open("/dev/null", O_WRONLY), fd);
      };
      connect(c.in, 0);
      connect(c.out, 1);
      ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    if (pipe_ends[1] >= 0) ::close(pipe_ends[1]);
    int raw = 0;
    ASSERT_EQ(::waitpid(pid, &raw, 0), pid);
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << (WIFSIGNALED(raw) ? WTERMSIG(raw) : 0);
    EXPECT_EQ(WEXITSTATUS(raw), c.line == write_failed ? 38 : 39);
    EXPECT_EQ(folder.read(".stderr"), c.line);
    EXPECT_EQ(folder.read("out.rpt"), kOldReport);
    EXPECT_FALSE(folder.exists("ARCFILE")) << "the run ends before the opens";
  }
}

TEST(FileFaultsUnprivileged, ReadOnlyReportEndsTheRunAtItsFirstRecordAndKeepsItsContents) {
  const std::string prefix = as_nobody();
  if (prefix.empty()) GTEST_SKIP() << "needs root to run the program as nobody";
  const std::string program = program_path();
  if (program.empty()) GTEST_SKIP() << "the program is not next to the test";
  ScratchFolder folder;
  folder.write("in.dat", Answers{}.text());
  folder.write("out.rpt", kOldReport);
  folder.write(".console", "in.dat\nout.rpt\n");
  ASSERT_EQ(::chmod((folder.path() + "/out.rpt").c_str(), 0444), 0);  // root's, read-only for nobody
  ASSERT_EQ(::chown(folder.path().c_str(), 65534, 65534), 0);  // nobody creates ARCFILE here
  ASSERT_EQ(::chmod((folder.path() + "/in.dat").c_str(), 0444), 0);
  // nobody must reach the program: every folder on its path is searchable by all.
  if (::access(program.c_str(), X_OK) != 0) GTEST_SKIP() << "the program cannot be run";
  const std::string command = "cd '" + folder.path() + "' && " + prefix + "'" + program +
                              "' < .console > .stdout 2> .stderr";
  const int raw = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(raw));
  const std::string err = folder.read(".stderr");
  if (err.find("Permission denied") != std::string::npos) GTEST_SKIP() << err;
  EXPECT_EQ(WEXITSTATUS(raw), 47) << err;
  EXPECT_EQ(err, severe(47, "write to READONLY file, unit 12, file " + folder.path() + "/out.rpt"));
  EXPECT_EQ(folder.read("out.rpt"), kOldReport);
  EXPECT_EQ(folder.read("in.dat"), Answers{}.text());
  EXPECT_TRUE(folder.exists("ARCFILE"));
  EXPECT_EQ(folder.read("ARCFILE"), "") << "ARCFILE is written after the report's first record";
}

// ---------------------------------------------------------------------------
// Runs that wait on pipes, FIFOs and the console: each under a time limit, so
// that a run that does not end fails its test instead of hanging the suite.

// Starts the program in `folder` with `arguments`, standard output to
// /dev/null and standard error to .stderr there; `connect` runs in the child
// just before the program, to give it other descriptors.
pid_t start_program(const ScratchFolder& folder, const std::vector<std::string>& arguments,
                    const std::function<void()>& connect = [] {}) {
  const std::string program = program_path();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(folder.path().c_str()) != 0) ::_exit(126);
    ::dup2(::open("/dev/null", O_WRONLY), 1);
    ::dup2(::open(".stderr", O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
    connect();
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  return pid;
}

// The exit status of `pid`, or -1 when it did not end normally within
// `seconds` (it is then killed).
int finish_within(pid_t pid, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (int raw = 0;; std::this_thread::sleep_for(std::chrono::milliseconds(10))) {
    const pid_t done = ::waitpid(pid, &raw, WNOHANG);
    if (done != 0) return done == pid && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &raw, 0);
      return -1;
    }
  }
}

// What is written to the FIFO `name` of `folder` until its writer closes it;
// the test fails when that takes more than `seconds`.
std::string drain_fifo(const ScratchFolder& folder, const std::string& name, double seconds) {
  pollfd end{::open((folder.path() + "/" + name).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC), POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  std::string data;
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || ::poll(&end, 1, static_cast<int>(left.count())) <= 0) {
      ADD_FAILURE() << name << " was not written and closed in time";
      break;
    }
    char buffer[4096];
    const ssize_t n = ::read(end.fd, buffer, sizeof buffer);
    if (n <= 0) break;
    data.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(end.fd);
  return data;
}

// The input as a pipe or a FIFO ends the run at the pipe's end, as in
// `printf '5\n' | leaky-drawdown /dev/stdin out.rpt` and
// `leaky-drawdown <(printf '5\n') out.rpt`.
TEST(PipesAndFifos, InputPipeOrFifoEndsTheRunAtItsEnd) {
  if (program_path().empty()) GTEST_SKIP() << "the program is not next to the test";
  for (const std::string input : {"/dev/stdin", "/dev/fd/3", "in.fifo"}) {
    SCOPED_TRACE(input);
    ScratchFolder folder;
    ASSERT_EQ(::mkfifo((folder.path() + "/in.fifo").c_str(), 0600), 0);
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    const pid_t pid = start_program(folder, {input, "out.rpt"}, [&] {
      ::dup2(ends[0], 0);
      ::dup2(0, 3);  // not from ends[0], which may be 3 and closes at the start
    });
    ::close(ends[0]);
    int writer = ends[1];
    if (input == "in.fifo") {
      ::close(writer);
      writer = -1;
      for (int tries = 0; writer < 0 && tries < 1000; ++tries) {  // until the program is reading it
        writer = ::open((folder.path() + "/in.fifo").c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      }
    }
    EXPECT_EQ(::write(writer, "5\n", 2), 2);
    ::close(writer);
    EXPECT_EQ(finish_within(pid, 10), 24);
    const std::string name = input[0] == '/' ? input : folder.path() + "/" + input;
    const std::string base_name = name.substr(name.rfind('/') + 1);
    EXPECT_EQ(folder.read(".stderr"), severe(24, "end-of-file during read, unit 11, file " + name) +
                                          "leaky-drawdown: while reading NY from " + base_name +
                                          ": the file ends after line 1, and NY (the number of nodes in the y "
                                          "direction) was expected next\n");
  }
}

// A FIFO as the report: the run waits for its reader, then delivers every
// record to it.
TEST(PipesAndFifos, FifoReportDeliversTheRunToItsReader) {
  if (program_path().empty()) GTEST_SKIP() << "the program is not next to the test";
  ScratchFolder plain;
  plain.write("in.dat", Answers{}.text());
  const RunResult expected = run_program(plain, "", {"in.dat", "out.rpt"});
  ASSERT_EQ(expected.status, 0);
  ScratchFolder folder;
  folder.write("in.dat", Answers{}.text());
  ASSERT_EQ(::mkfifo((folder.path() + "/out.rpt").c_str(), 0600), 0);
  const pid_t pid = start_program(folder, {"in.dat", "out.rpt"});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(::waitpid(pid, nullptr, WNOHANG), 0) << "the run ended before its report had a reader";
  EXPECT_EQ(drain_fifo(folder, "out.rpt", 10), expected.report);
  EXPECT_EQ(finish_within(pid, 10), 0) << folder.read(".stderr");
  EXPECT_EQ(folder.read("ARCFILE"), expected.arcfile);
}

// --help and --version whose output cannot be written (a full device, a pipe
// whose reader has ended) say so, with the console output's status.
TEST(ConsoleFaults, UsageAndVersionThatCannotBeWrittenEndWith38) {
  if (program_path().empty()) GTEST_SKIP() << "the program is not next to the test";
  for (const char* option : {"--help", "--version"}) {
    for (const bool full : {true, false}) {
      SCOPED_TRACE(std::string(option) + (full ? " to /dev/full" : " to a pipe without reader"));
      ScratchFolder folder;
      int ends[2];
      ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
      ::close(ends[0]);
      const pid_t pid = start_program(folder, {option}, [&] { ::dup2(full ? ::open("/dev/full", O_WRONLY) : ends[1], 1); });
      ::close(ends[1]);
      EXPECT_EQ(finish_within(pid, 10), 38);
      EXPECT_EQ(folder.read(".stderr"), severe(38, "error during write, unit -1, file CONOUT$"));
    }
  }
}

// ---------------------------------------------------------------------------
// Two runs in one folder: a run that finds the report or ARCFILE locked by
// another (here this test, holding the lock as a run does) ends before
// writing anything, with a status of its own.
TEST(TwoRuns, AnOutputAnotherRunIsWritingEndsTheRunBeforeAnythingIsWritten) {
  for (const std::string locked : {"out.rpt", "ARCFILE"}) {
    SCOPED_TRACE(locked);
    ScratchFolder folder;
    folder.write("in.dat", Answers{}.text());
    folder.write("out.rpt", kOldReport);
    folder.write("ARCFILE", kOldRaster);
    const int other_run = ::open((folder.path() + "/" + locked).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other_run, LOCK_EX | LOCK_NB), 0);
    const RunResult r = run_program(folder, "in.dat\nout.rpt\n");
    ::close(other_run);
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(r.err, "leaky-drawdown: another run is writing '" + folder.path() + "/" + locked +
                         "'; nothing was written\n");
    EXPECT_EQ(r.report, kOldReport);
    EXPECT_EQ(r.arcfile, kOldRaster);
  }
}

// A run refused because another run holds ARCFILE leaves no file it did not
// find: a report it created for the run is removed again. (Here the other run
// is this test, holding ARCFILE's lock as a run does.)
TEST(TwoRuns, ARefusedRunCreatesNoFile) {
  struct Case {
    const char* what;
    bool report_exists;
    const char* arcfile;  // the --arcfile name, held locked
  };
  const Case cases[] = {{"new report", false, "ARCFILE"},
                        {"old report", true, "ARCFILE"},
                        {"new report, raster by --arcfile", false, "b.asc"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScratchFolder folder;
    folder.write("in.dat", Answers{}.text());
    if (c.report_exists) folder.write("out.rpt", kOldReport);
    folder.write(c.arcfile, kOldRaster);
    const int other_run = ::open((folder.path() + "/" + c.arcfile).c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(other_run, LOCK_EX | LOCK_NB), 0);
    const RunResult r = run_program(folder, "", {"--arcfile", c.arcfile, "in.dat", "out.rpt"});
    ::close(other_run);
    EXPECT_EQ(r.status, 5);
    EXPECT_EQ(folder.exists("out.rpt"), c.report_exists);
    if (c.report_exists) {
      EXPECT_EQ(folder.read("out.rpt"), kOldReport);
    }
    EXPECT_EQ(folder.read(c.arcfile), kOldRaster);
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    std::vector<std::string> expected = {"in.dat", c.arcfile};
    if (c.report_exists) expected.push_back("out.rpt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
  }
}

// A name with control characters cannot forge lines or reach the terminal
// raw, whichever message quotes it.
TEST(ForgedNames, ControlCharactersInNamesAreShownAsEscapes) {
  struct Case {
    std::vector<std::string> arguments;
    int status;
    std::string err;  // "@" for the folder
  };
  const Case cases[] = {
      {{"in.dat", "no\ndir/x\ntavrix: severe (0): fake"}, 29,
       severe(29, "file not found, unit 12, file @/no\\ndir/x\\ntavrix: severe (0): fake")},
      {{"--grid", "\x1b]0;title\a/dd.asc", "in.dat", "out.rpt"}, 3,
       "leaky-drawdown: cannot write the grid file '\\x1b]0;title\\a/dd.asc': No such file or directory\n"},
      {{"--bell\a"}, 2, "leaky-drawdown: unknown option '--bell\\a'\nTry 'leaky-drawdown --help' for more information.\n"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    folder.write("in.dat", Answers{}.text());
    const RunResult r = run_program(folder, "", c.arguments);
    std::string err = c.err;
    if (const std::size_t at = err.find('@'); at != std::string::npos) err.replace(at, 1, folder.path());
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.err, err);
  }
}

// The rest of an answer's line is the input file's, not the program's: in the
// listing and in the warnings on both outputs its controls (a terminal's
// escape sequences, a bell, DEL, a C1 control) are shown as escapes.
TEST(CheckMode, ControlCharactersInAnswersAreShownEscaped) {
  const struct {
    std::string T;        // the answer's line as written
    std::string listed;   // the listing's "as written"
  } kCases[] = {
      {"50000 1 \x1b]0;owned\x07", "50000 1 \\x1B]0;owned\\x07"},
      {"50000 2 \x1b[2J\x7f", "50000 2 \\x1B[2J\\x7F"},
      {"50000 3 \xc2\x9b" "31m", "50000 3 \\xC2\\x9B31m"},
      {"50000 4\t\x01", "50000 4\\t\\x01"},
  };
  for (const auto& c : kCases) {
    Answers a;
    a.T = c.T;
    ScratchFolder folder;
    folder.write("in.dat", a.text());
    const RunResult r = run_program(folder, "", {"--check", "in.dat"});
    EXPECT_EQ(r.status, 4) << c.listed << "\n" << r.err;
    std::string listing_line = "\n    5  T         ";
    listing_line.append(c.listed).append(c.listed.size() < 16 ? 16 - c.listed.size() : 0, ' ').append("  50000\n");
    EXPECT_NE(r.out.find(listing_line), std::string::npos) << c.listed << "\n" << r.out;
    for (const std::string* out : {&r.out, &r.err}) {
      EXPECT_EQ(out->find("\xc2\x9b"), std::string::npos) << c.listed;
      for (const char ch : *out) {
        const auto u = static_cast<unsigned char>(ch);
        ASSERT_TRUE(ch == '\n' || (u >= 0x20 && u != 0x7f)) << c.listed << ": byte " << int{u};
      }
    }
  }
}

}  // namespace
