// Runs the leaky-drawdown program end to end in a scratch folder of its own.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

/// Everything a run leaves behind.
struct RunResult {
  int status = -1;       ///< exit status, or -1 when the process did not exit normally
  std::string out;       ///< standard output, bytes as written
  std::string err;       ///< standard error
  std::string report;    ///< the report file (out.rpt), empty when missing
  std::string arcfile;   ///< ARCFILE, empty when missing
  std::string folder;    ///< the scratch folder (real path)
};

/// A scratch folder removed when the object goes away.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  /// The folder's real path.
  const std::string& path() const { return path_; }
  /// Writes `bytes` to the file `name` in the folder.
  void write(std::string_view name, std::string_view bytes) const;
  /// The bytes of the file `name`, or an empty string when it is missing.
  std::string read(std::string_view name) const;
  /// True when `name` exists in the folder.
  bool exists(std::string_view name) const;

 private:
  std::string path_;
};

/// Runs the program in `folder` with `console` as its standard input and
/// `arguments` on its command line, and collects what it leaves behind (the
/// report is read from out.rpt).
RunResult run_program(const ScratchFolder& folder, std::string_view console,
                      const std::vector<std::string>& arguments = {});

/// run_program with the program started by the shell words `wrapper` (e.g.
/// "timeout -s TERM 1"), which get the program and its arguments after them.
RunResult run_wrapped(const ScratchFolder& folder, std::string_view wrapper, std::string_view console,
                      const std::vector<std::string>& arguments);

/// Writes `input` as in.dat to a new scratch folder, answers the two name
/// prompts with in.dat and out.rpt, and runs the program there.
RunResult run_with_input(std::string_view input);

/// The lines joined, each followed by CR LF.
std::string crlf(std::initializer_list<std::string_view> lines);

/// The lines joined, each followed by CR LF.
std::string crlf(const std::vector<std::string>& lines);

/// `n` blanks.
std::string blanks(int n);

/// The bytes of the file `path` of the source tree ("examples/fit/p30.csv"),
/// "" when it cannot be read.
std::string source_file(const std::string& path);

}  // namespace testing_support
