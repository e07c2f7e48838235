// The run-time error report and the refusal of input beyond the fixed extents.
#include "recio/error_report.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "recio/record_writer.h"
#include "recio/units.h"
#include "test_support.h"

namespace {

using namespace recio;
using recio_test::escaped;
using recio_test::TempDirTest;

class ErrorReport : public TempDirTest {};

TEST_F(ErrorReport, Message63IsAnErrorAndReturns) {
  open_unit(kReportUnit, "out.rpt");
  testing::internal::CaptureStderr();
  report_io_error(kOutputConversion, kReportUnit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tavrix: error (63): output conversion error, unit 12, file " + path("out.rpt") + "\n");
}

struct Severe {
  int number;
  const char* text;
};
class SevereMessage : public ErrorReport, public testing::WithParamInterface<Severe> {};

TEST_P(SevereMessage, EndsTheRunWithItsNumber) {
  const auto [number, text] = GetParam();
  EXPECT_EXIT(report_io_error(number, kConsoleIn), testing::ExitedWithCode(number),
              "tavrix: severe \\(" + std::to_string(number) + "\\): " + escaped(text) + ", unit -4, file CONIN\\$\n");
}

INSTANTIATE_TEST_SUITE_P(
    Catalogue, SevereMessage,
    testing::Values(Severe{9, "permission to access file denied"}, Severe{10, "cannot overwrite existing file"},
                    Severe{24, "end-of-file during read"}, Severe{29, "file not found"}, Severe{30, "open failure"},
                    Severe{38, "error during write"}, Severe{39, "error during read"},
                    Severe{42, "no such device"}, Severe{43, "file name specification error"},
                    Severe{47, "write to READONLY file"}, Severe{59, "list-directed I/O syntax error"},
                    Severe{61, "format/variable-type mismatch"}, Severe{64, "input conversion error"},
                    Severe{66, "output statement overflows record"}),
    [](const auto& info) { return "message" + std::to_string(info.param.number); });

TEST_F(ErrorReport, Message41HasNoUnit) {
  EXPECT_EXIT(fatal_io_error(kNoMemory, kConsoleOut), testing::ExitedWithCode(41),
              "tavrix: severe \\(41\\): insufficient virtual memory\n");
}

TEST_F(ErrorReport, ConsoleOutputUnitName) {
  EXPECT_EXIT(fatal_io_error(kWriteError, kConsoleOut), testing::ExitedWithCode(38),
              "tavrix: severe \\(38\\): error during write, unit -1, file CONOUT\\$\n");
}

TEST_F(ErrorReport, ConsoleOutputIsDeliveredFirstAndFilesKeepTheirRecords) {
  open_unit(kReportUnit, "out.rpt");
  EXPECT_EXIT(
      {
        std::freopen(path("stdout.txt").c_str(), "w", stdout);
        write_formatted(kConsoleOut, R"("record")"_fmt);
        std::printf("buffered by stdio");  // left in stdio's buffer
        write_formatted(kReportUnit, R"("kept")"_fmt);
        fatal_io_error(kEndOfFile, kInputUnit);
      },
      testing::ExitedWithCode(24), "end-of-file during read, unit 11, file \n");
  EXPECT_EQ(slurp(path("stdout.txt")), "record\r\nbuffered by stdio");
  EXPECT_EQ(slurp(path("out.rpt")), "kept\r\n");
}

// A name can neither add lines to a message nor send control sequences to
// the terminal; printable names, UTF-8 text included, are shown as they are.
TEST_F(ErrorReport, NamesAreShownWithControlCharactersEscaped) {
  const std::pair<std::string, std::string> cases[] = {
      {"no\ndir/x\ntavrix: severe (0): fake", "no\\ndir/x\\ntavrix: severe (0): fake"},
      {"\x1b[2J\a\b\t\v\f\r", "\\x1b[2J\\a\\b\\t\\v\\f\\r"},
      {std::string("\0\x01\x7f", 3), "\\x00\\x01\\x7f"},
      {"\xc2\x9b" "1m \x9b \xc3 \xed\xa0\x80 \xc0\xaf", "\\u009b" "1m \\x9b \\xc3 \\xed\\xa0\\x80 \\xc0\\xaf"},
      {"\xc2\x80\xc2\x9f \xe2\x80\xa8 \xe2\x80\xae \xe2\x81\xa6", "\\u0080\\u009f \\u2028 \\u202e \\u2066"},
      {"my data's \\ \"x\" ~ \xc2\xa0 \xc3\xa9 \xe4\xb8\xad \xf0\x9f\x98\x80.rpt",
       "my data's \\ \"x\" ~ \xc2\xa0 \xc3\xa9 \xe4\xb8\xad \xf0\x9f\x98\x80.rpt"},
  };
  for (const auto& [name, shown] : cases) {
    EXPECT_EQ(printable_name(name), shown);
    EXPECT_EQ(printable_name(shown), shown) << "shown again, it stays the same";
  }
  open_unit(kReportUnit, "a\nb\x1b.rpt");
  testing::internal::CaptureStderr();
  report_io_error(kOutputConversion, kReportUnit);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tavrix: error (63): output conversion error, unit 12, file " + path("a\\nb\\x1b.rpt") + "\n");
}

TEST_F(ErrorReport, EndRunAfterALine) {
  EXPECT_EXIT(end_run_after("prog: NX = 301 exceeds the 300 grid columns\n", 1), testing::ExitedWithCode(1),
              "^prog: NX = 301 exceeds the 300 grid columns\n$");
}

// A harness that runs the program in its own process takes over the end of
// the run: the report line is written and the units are closed first.
struct RunEnded {
  int status;
};
[[noreturn]] void throw_run_ended(int status) { throw RunEnded{status}; }
void return_from_run_end(int) {}

TEST_F(ErrorReport, RunEndHandlerTakesOverTheEndAfterTheLineAndTheClose) {
  open_unit(kReportUnit, "out.rpt");
  write_formatted(kReportUnit, R"("kept")"_fmt);
  EXPECT_EQ(set_run_end_handler(throw_run_ended), nullptr);
  testing::internal::CaptureStderr();
  int severe = -1;
  int refused = -1;
  try {
    fatal_io_error(kEndOfFile, kReportUnit);
  } catch (const RunEnded& e) {
    severe = e.status;
  }
  try {
    end_run_after("prog: NWELL = 1000 is too many\n", 1);
  } catch (const RunEnded& e) {
    refused = e.status;
  }
  EXPECT_EQ(set_run_end_handler(nullptr), throw_run_ended);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "tavrix: severe (24): end-of-file during read, unit 12, file " + path("out.rpt") +
                "\nprog: NWELL = 1000 is too many\n");
  EXPECT_EQ(severe, 24);
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(slurp(path("out.rpt")), "kept\r\n");
  // The unit was closed: a further record cannot reach the file.
  EXPECT_EXIT(write_formatted(kReportUnit, R"("lost")"_fmt), testing::ExitedWithCode(kOpenFailure), "open failure");
}

TEST_F(ErrorReport, RunEndHandlerThatReturnsStillEndsTheProcess) {
  EXPECT_EXIT(
      {
        set_run_end_handler(return_from_run_end);
        fatal_io_error(kSyntaxError, kConsoleIn);
      },
      testing::ExitedWithCode(kSyntaxError), "list-directed I/O syntax error");
}

}  // namespace
