// leaky-drawdown: drawdown of a transient leaky artesian aquifer under a field
// of pumping and injecting wells.
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "driver/options.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  // A console output that has gone away (a pipe whose reader has ended) is a
  // failed write like any other, reported with message 38, not an end by signal.
  std::signal(SIGPIPE, SIG_IGN);
  const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  const auto parsed = driver::parse_command_line(arguments);
  if (const auto* error = std::get_if<driver::UsageError>(&parsed)) {
    std::fprintf(stderr, "leaky-drawdown: %s\nTry 'leaky-drawdown --help' for more information.\n",
                 error->message.c_str());
    return driver::kUsageExitStatus;
  }
  const driver::Options& options = std::get<driver::Options>(parsed);
  if (options.help) {
    const std::string usage = driver::usage_text();
    std::fwrite(usage.data(), 1, usage.size(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (options.version) {
    std::printf("%.*s\n", static_cast<int>(driver::kVersionLine.size()), driver::kVersionLine.data());
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  return driver::run(options);
}
