// Fuzz target: a whole run of the program on arbitrary bytes as the input file.
//
// The program runs in this process on an in-memory file system: the console
// answers "in.dat" and "out.rpt", in.dat holds the fuzz input, and out.rpt and
// ARCFILE hold old contents. To keep each run quick, the grid counts are first
// read from a scratch copy by the program's own reader; an input whose NX or
// NY lies between 11 and 300 is passed over (counts above 300 are refused by
// the program at once and are run).
//
// Checked after every run:
// - the run either completes, with only message 63 lines and warnings on
//   standard error, or ends with one closing line (a severe report whose number
//   is the status, followed by the line saying which answer was being read, or
//   a refusal with status 1) after any message 63 lines and warnings;
// - the input file is unchanged;
// - out.rpt and ARCFILE either keep their old contents whole or hold only
//   records of this run, each ended by CR LF;
// - a complete run leaves ARCFILE with its six header lines and one line per
//   grid row, and the report ending with the axis label.
#include <cstdint>
#include <string>

#include "base/exit_status.h"
#include "driver/run.h"
#include "fuzz_support.h"
#include "recio/error_report.h"
#include "recio/free_form.h"
#include "recio/units.h"

namespace {

using leaky_fuzz::check;
using leaky_fuzz::FakeFileSystem;

constexpr std::int32_t kLargestRun = 10;
const std::string kOldReport = "OLD REPORT\r\n";
const std::string kOldRaster = "OLD RASTER\r\n";

// The grid counts as the program reads them from `input` (left 0 when the
// file ends or fails before them).
struct Counts {
  std::int32_t NX = 0;
  std::int32_t NY = 0;
};

Counts counts_of(const std::string& input) {
  FakeFileSystem fs(FakeFileSystem::Files::memory);
  fs.files[FakeFileSystem::path("in.dat")] = input;
  Counts c;
  leaky_fuzz::run_in_process(fs, [&] {
    recio::open_unit(recio::kInputUnit, "in.dat");
    recio::read_free(recio::kInputUnit, c.NX);
    recio::read_free(recio::kInputUnit, c.NY);
  });
  return c;
}

// A quick run, or none: counts above 300 are refused at once.
bool quick(std::int32_t n) { return n <= kLargestRun || n > 300; }

std::size_t count(const std::string& s, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t p = s.find(what); p != std::string::npos; p = s.find(what, p + what.size())) ++n;
  return n;
}

// Old contents whole, or records of this run only.
void check_written(const std::string& name, const std::string& now, const std::string& old) {
  if (now == old) return;
  check(now.find(old) == std::string::npos, "old contents survive beside new records", name);
  check(now.empty() || (now.size() >= 2 && now.compare(now.size() - 2, 2, "\r\n") == 0),
        "a written file does not end with a whole record", name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const Counts counts = counts_of(input);
  if (!quick(counts.NX) || !quick(counts.NY)) return -1;

  FakeFileSystem fs(FakeFileSystem::Files::memory);
  const std::string in = FakeFileSystem::path("in.dat");
  const std::string report = FakeFileSystem::path("out.rpt");
  const std::string raster = FakeFileSystem::path("ARCFILE");
  fs.files[in] = input;
  fs.files[report] = kOldReport;
  fs.files[raster] = kOldRaster;
  fs.console_in = "in.dat\nout.rpt\n";
  int completed_status = -1;
  const int status = leaky_fuzz::run_in_process(fs, [&] { completed_status = driver::run(driver::Options{}); });

  check(fs.files[in] == input, "the input file was changed");
  check_written("out.rpt", fs.files[report], kOldReport);
  check_written("ARCFILE", fs.files[raster], kOldRaster);

  // Standard error: warnings and message 63 lines, then at most one closing line.
  std::string rest;
  const std::string warning = std::string(base::kMessagePrefix) + "warning: ";
  for (std::size_t start = 0; start < fs.error_out.size();) {
    const std::size_t lf = fs.error_out.find('\n', start);
    check(lf != std::string::npos, "a line on standard error without its line end", fs.error_out);
    if (fs.error_out.compare(start, warning.size(), warning) != 0) rest += fs.error_out.substr(start, lf + 1 - start);
    start = lf + 1;
  }
  const std::string overflow = "tavrix: error (63): output conversion error, unit ";
  while (rest.rfind(overflow, 0) == 0) {
    const std::size_t lf = rest.find('\n');
    check(lf != std::string::npos, "a message 63 line without its line end", fs.error_out);
    const std::string line = rest.substr(0, lf);
    check(line == overflow + "12, file " + report || line == overflow + "14, file " + raster,
          "a message 63 line names another unit", line);
    rest.erase(0, lf + 1);
  }
  if (status == -1) {
    check(completed_status == 0, "a complete run returned a status other than 0", std::to_string(completed_status));
    check(rest.empty(), "a complete run wrote more than message 63 lines to standard error", fs.error_out);
    const std::string& arc = fs.files[raster];
    check(arc.rfind("ncol", 0) == 0, "a complete run left ARCFILE without its header", arc.substr(0, 200));
    check(count(arc, "\r\n") == 6 + static_cast<std::size_t>(counts.NY > 0 ? counts.NY : 0),
          "ARCFILE does not hold six header lines and one line per row", arc.substr(0, 200));
    const std::string& rpt = fs.files[report];
    check(rpt.size() >= 8 && rpt.compare(rpt.size() - 8, 8, "X AXIS\r\n") == 0,
          "a complete run left the report without its axis label", rpt.substr(rpt.size() > 200 ? rpt.size() - 200 : 0));
    return 0;
  }
  if (status == base::kExitLimit) {
    check(count(rest, "\n") == 1, "a refusal without exactly one closing line", fs.error_out);
    check(rest.rfind(base::kMessagePrefix, 0) == 0, "a refusal without its line", rest);
  } else {
    const std::string where = "\n" + std::string(base::kMessagePrefix) + "while reading ";
    check(count(rest, "\n") == 2 && rest.find(where) != std::string::npos,
          "a failed read without its report line and the line saying where", fs.error_out);
    check(rest.rfind("tavrix: severe (" + std::to_string(status) + "): ", 0) == 0,
          "the closing line does not carry the exit status", std::to_string(status) + ": " + rest);
    check(status == recio::kEndOfFile || status == recio::kSyntaxError || status == recio::kInputConversion,
          "a run on an in-memory file system ended with an unexpected message", rest);
  }
  return 0;
}
