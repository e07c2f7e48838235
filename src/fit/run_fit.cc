#include "fit/run_fit.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "base/exit_status.h"
#include "base/message.h"
#include "fit/reader.h"
#include "fit/report.h"
#include "fit/solve.h"
#include "maps/output_file.h"
#include "study/console.h"

namespace fit {
namespace {

void complain(const std::string& line) { base::complain(line); }

std::string plural(std::size_t n, const std::string& one, const std::string& many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// The test as the console's first line states it.
std::string heading(const PumpingTest& t) {
  std::size_t readings = 0;
  for (const Observation& o : t.observations) readings += o.readings.size();
  return "pumping test '" + study::one_line(t.title) + "': " + plural(t.wells.size(), "pumped well", "pumped wells") +
         ", " + plural(t.observations.size(), "observation", "observations") + ", " +
         plural(readings, "reading", "readings") + " (units " + std::string(t.units.length.name) + ", " +
         std::string(t.units.time.name) + ", " + std::string(t.units.rate.name) + ")\n\n";
}

// Writes `text` to `name` in the output folder; "" or why not.
std::string write_text(const std::string& path, const std::string& text) {
  maps::OutputFile out(path);
  out.write(text);
  return out.finish();
}

}  // namespace

int run_fit(const std::string& file, WellFunction W) {
  PumpingTest test;
  try {
    test = read_test_file(file);
  } catch (const TestFileError& e) {
    complain(e.message);
    return base::kExitUsage;
  }
  const Estimate e = fit_test(test, W);
  const std::string table = heading(test) + estimates_text(test, e);
  std::fwrite(table.data(), 1, table.size(), stdout);
  for (const std::string& w : e.warnings) complain("warning: " + w);

  int status = base::kExitSuccess;
  std::error_code ec;
  std::filesystem::create_directories(test.output.folder, ec);
  if (ec) {
    complain("cannot create the output folder '" + test.output.folder + "': " + ec.message());
    return base::kExitExtraOutput;
  }
  const std::filesystem::path folder = test.output.folder;
  for (const auto& [name, text] : {std::pair{"aquifer.toml", aquifer_toml(test, e)},
                                   std::pair{"residuals.csv", residuals_csv(test, e)}}) {
    const std::string path = (folder / name).string();
    if (const std::string why = write_text(path, text); !why.empty()) {
      complain("cannot write '" + path + "': " + why);
      status = base::kExitExtraOutput;
    }
  }
  if (std::fflush(stdout) != 0) status = base::kExitExtraOutput;
  return status;
}

}  // namespace fit
