// The run-time error report: one line on standard error per failure.
#pragma once

#include <string>
#include <string_view>

#include "base/printable.h"

namespace recio {

/// Message numbers of the run-time message catalogue.
enum Message : int {
  kAccessDenied = 9,
  kCannotOverwrite = 10,
  kEndOfFile = 24,
  kFileNotFound = 29,
  kOpenFailure = 30,
  kWriteError = 38,
  kReadError = 39,
  kNoMemory = 41,
  kNoSuchDevice = 42,
  kFileNameError = 43,
  kWriteToReadOnly = 47,
  kSyntaxError = 59,
  kTypeMismatch = 61,
  kOutputConversion = 63,
  kInputConversion = 64,
  kRecordOverflow = 66,
};

/// A file name as every message shows it: base::printable_name.
using base::printable_name;

/// Writes the report line of message `number` for `unit` to standard error,
/// "tavrix: severe (N): text" or "tavrix: error (63): text" with the file name
/// shown by printable_name, after everything sent to the console. A severe
/// message then ends the process with exit status N (the low byte of
/// 0xC0000000 + N); message 63 returns.
void report_io_error(int number, int unit);

/// A caller's line of context for a severe report (the answer being read, say):
/// called with the message number and unit after the report line has been
/// written and before the run ends; it may write more lines to standard error.
using ReportContext = void (*)(int number, int unit);

/// Installs `context` (nullptr: none, the default) and returns the one before.
ReportContext set_report_context(ReportContext context);

/// report_io_error for a severe message, which never returns.
[[noreturn]] void fatal_io_error(int number, int unit);

/// What ends the process after a severe report or a refusal, given the exit
/// status. The default (nullptr) is std::exit. A harness that runs the program
/// inside its own process (the fuzz targets) installs a handler that leaves by
/// throwing, so that the next input starts afresh; the open units have been
/// closed before the handler is called. A handler that returns is followed by
/// std::exit all the same.
using RunEndHandler = void (*)(int status);

/// Installs `handler` (nullptr restores std::exit) and returns the one before.
RunEndHandler set_run_end_handler(RunEndHandler handler);

/// Ends the run with `status` after writing `line` (a whole line, its LF
/// included) on standard error, after everything sent to the console; the
/// open units are closed first, as for a severe report.
[[noreturn]] void end_run_after(std::string_view line, int status);

}  // namespace recio
