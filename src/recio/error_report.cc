// The run-time error report: the message catalogue and the one line on
// standard error.
#include "recio/error_report.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "recio/units.h"

namespace recio {
namespace {

struct Entry {
  int number;
  bool severe;
  const char* text;
};

constexpr Entry kCatalogue[] = {
    {kAccessDenied, true, "permission to access file denied, unit %d, file %s"},
    {kCannotOverwrite, true, "cannot overwrite existing file, unit %d, file %s"},
    {kEndOfFile, true, "end-of-file during read, unit %d, file %s"},
    {kFileNotFound, true, "file not found, unit %d, file %s"},
    {kOpenFailure, true, "open failure, unit %d, file %s"},
    {kWriteError, true, "error during write, unit %d, file %s"},
    {kReadError, true, "error during read, unit %d, file %s"},
    {kNoMemory, true, "insufficient virtual memory"},
    {kNoSuchDevice, true, "no such device, unit %d, file %s"},
    {kFileNameError, true, "file name specification error, unit %d, file %s"},
    {kWriteToReadOnly, true, "write to READONLY file, unit %d, file %s"},
    {kSyntaxError, true, "list-directed I/O syntax error, unit %d, file %s"},
    {kTypeMismatch, true, "format/variable-type mismatch, unit %d, file %s"},
    {kOutputConversion, false, "output conversion error, unit %d, file %s"},
    {kInputConversion, true, "input conversion error, unit %d, file %s"},
    {kRecordOverflow, true, "output statement overflows record, unit %d, file %s"},
};

RunEndHandler g_run_end_handler = nullptr;
ReportContext g_report_context = nullptr;

// Standard error is not a unit: the line goes to descriptor 2 as it is, through
// the file system in use (a harness running the program in-process sees it).
// A failure to write it is not reported: there is nowhere left to say so.
void write_stderr(const std::string& line) { write_all(2, line.data(), line.size()); }

// Records go to standard output unbuffered; anything another part of the
// program left in stdio's buffer is delivered before the report too.
void deliver_console_output() { std::fflush(stdout); }

[[noreturn]] void end_run(int status) {
  close_units();
  if (g_run_end_handler != nullptr) g_run_end_handler(status);
  std::exit(status);
}

std::string format_text(const char* text, int unit) {
  std::string out;
  for (const char* p = text; *p; ++p) {
    if (p[0] == '%' && p[1] == 'd') {
      out += std::to_string(unit);
      ++p;
    } else if (p[0] == '%' && p[1] == 's') {
      out += printable_name(unit_file_name(unit));
      ++p;
    } else {
      out += *p;
    }
  }
  return out;
}

}  // namespace

void report_io_error(int number, int unit) {
  const Entry* entry = nullptr;
  for (const Entry& e : kCatalogue) {
    if (e.number == number) entry = &e;
  }
  // A number outside the catalogue is reported as a severe failure without text.
  const bool severe = entry == nullptr || entry->severe;
  std::string line = severe ? "tavrix: severe (" : "tavrix: error (";
  line += std::to_string(number);
  line += "): ";
  if (entry != nullptr) line += format_text(entry->text, unit);
  line += '\n';
  deliver_console_output();
  write_stderr(line);
  if (severe && g_report_context != nullptr) std::exchange(g_report_context, nullptr)(number, unit);
  if (severe) end_run((0xC0000000u + static_cast<unsigned>(number)) & 0xFFu);
}

void fatal_io_error(int number, int unit) {
  report_io_error(number, unit);
  end_run((0xC0000000u + static_cast<unsigned>(number)) & 0xFFu);  // number was not severe
}

ReportContext set_report_context(ReportContext context) { return std::exchange(g_report_context, context); }

RunEndHandler set_run_end_handler(RunEndHandler handler) {
  const RunEndHandler before = g_run_end_handler;
  g_run_end_handler = handler;
  return before;
}

void end_run_after(std::string_view line, int status) {
  deliver_console_output();
  write_stderr(std::string(line));
  end_run(status);
}

}  // namespace recio
