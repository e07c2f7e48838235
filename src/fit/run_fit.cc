#include "fit/run_fit.h"

#include <cstdio>

#include "base/exit_status.h"
#include "base/message.h"
#include "fit/reader.h"
#include "fit/report.h"
#include "fit/solve.h"
#include "fit/pictures.h"
#include "files/output_file.h"
#include "files/output_folder.h"
#include "base/text_table.h"

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
  return "pumping test '" + base::one_line(t.title) + "': " + plural(t.wells.size(), "pumped well", "pumped wells") +
         ", " + plural(t.observations.size(), "observation", "observations") + ", " +
         plural(readings, "reading", "readings") + " (units " + std::string(t.units.length.name) + ", " +
         std::string(t.units.time.name) + ", " + std::string(t.units.rate.name) + ")\n\n";
}

// Writes aquifer.toml, residuals.csv and the pictures into the output folder,
// opened once and locked; the exit status of the outputs.
int write_outputs(const PumpingTest& test, const Estimate& e, WellFunction W) {
  files::OutputFolder folder;
  if (const std::string why = folder.open_below(test.output.base, test.output.relative); !why.empty()) {
    complain("cannot open the output folder '" + test.output.folder + "': " + why);
    return base::kExitExtraOutput;
  }
  if (!folder.lock()) {
    complain("another run is writing into the output folder '" + test.output.folder + "'; nothing was written");
    return base::kExitBusy;
  }
  folder.remove_stale_temporaries();
  int status = base::kExitSuccess;
  auto wrote = [&](const std::string& name, const std::string& why) {
    if (why.empty()) return;
    complain("cannot write '" + folder.shown(name) + "': " + why);
    status = base::kExitExtraOutput;
  };
  for (const auto& [name, text] : {std::pair<std::string, std::string>{"aquifer.toml", aquifer_toml(test, e)},
                                   {"residuals.csv", residuals_csv(test, e)}})
    wrote(name, files::write_whole_file(files::Target(folder, name), text));
  if (!test.output.type_curves.empty())
    wrote(test.output.type_curves, write_type_curves(files::Target(folder, test.output.type_curves), test, e, W));
  if (!test.output.residual_plot.empty())
    wrote(test.output.residual_plot, write_residual_plot(files::Target(folder, test.output.residual_plot), test, e));
  if (std::fflush(stdout) != 0) status = base::kExitExtraOutput;
  return status;
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
  return write_outputs(test, e, W);
}

}  // namespace fit
