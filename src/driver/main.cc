// leaky-drawdown: drawdown of a transient leaky artesian aquifer under a field
// of pumping and injecting wells.
#include <csignal>
#include <new>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "base/exit_status.h"
#include "base/message.h"
#include "driver/fit_module.h"
#include "driver/options.h"
#include "driver/run.h"
#include "recio/error_report.h"
#include "recio/units.h"
#include "study/run_study.h"

namespace {

int run_program(int argc, char** argv) {
  // A console output that has gone away (a pipe whose reader has ended) is a
  // failed write like any other, reported with message 38, not an end by signal.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto parsed = driver::parse_command_line(arguments);
  if (const auto* error = std::get_if<driver::UsageError>(&parsed)) {
    const std::string prefix(base::kMessagePrefix);
    const std::string program(base::kProgramName);
    // The message quotes what was given (an option, a name): shown printable.
    const std::string message = recio::printable_name(error->message);
    std::fprintf(stderr, "%s%s\nTry '%s --help' for more information.\n", prefix.c_str(), message.c_str(),
                 program.c_str());
    return base::kExitUsage;
  }
  driver::Options options = std::get<driver::Options>(parsed);
  // The environment's settings, checked before anything is opened: a bad
  // value is one line, without the hint to --help.
  const auto evaluation = driver::evaluation_options_from_environment();
  if (const auto* error = std::get_if<driver::UsageError>(&evaluation)) {
    base::complain(error->message);
    return base::kExitUsage;
  }
  options.evaluation = std::get<engine::Options>(evaluation);
  // The usage and the version go to the console output unit like the run's
  // own console lines: output that cannot be written ends with message 38.
  if (options.help) {
    recio::send_record(recio::kConsoleOut, driver::usage_text(), false);
    return base::kExitSuccess;
  }
  if (options.version) {
    recio::send_record(recio::kConsoleOut, std::string(base::kVersionLine) + "\n", false);
    return base::kExitSuccess;
  }
  if (options.study)
    return study::run_study(*options.study, options.evaluation, options.output_folder,
                            study::EnsembleOptions{options.realizations, options.part, options.merge});
  if (options.fit) return driver::run_fit(*options.fit);
  return driver::run(options);
}

}  // namespace

int main(int argc, char** argv) {
  // Memory that is not there ends any run with one line and a status, never
  // with a signal (std::terminate's abort).
  try {
    return run_program(argc, argv);
  } catch (const std::bad_alloc&) {
    base::complain("the machine ran out of memory");
    return base::kExitLimit;
  }
}
