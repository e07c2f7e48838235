#include "fit/run_fit.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "base/exit_status.h"
#include "base/message.h"
#include "fit/models.h"
#include "fit/reader.h"
#include "fit/samples.h"
#include "fit/refusals.h"
#include "fit/report.h"
#include "fit/solve.h"
#include "fit/pictures.h"
#include "fit/derivative.h"
#include "files/output_file.h"
#include "files/output_folder.h"
#include "base/text_table.h"
#include "outputs/request.h"
#include "outputs/writer.h"

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

// What a fit's output file is called in a message.
std::string what_file(outputs::Kind kind) {
  switch (kind) {
    case outputs::Kind::kFittedAquifer: return "the fitted aquifer file";
    case outputs::Kind::kResiduals: return "the residuals file";
    case outputs::Kind::kTypeCurves: return "the type curves";
    case outputs::Kind::kResidualPlot: return "the residual plot";
    case outputs::Kind::kSamples: return "the samples file";
    case outputs::Kind::kDerivative: return "the derivative picture";
    default: return "the output file";
  }
}

// Why the outputs cannot be written as named (one line: an output that would
// replace an input file, or names the same file as another output), or "".
std::string refused_outputs(const PumpingTest& t) {
  const outputs::Request& r = t.output;
  const std::vector<outputs::PlannedFile> planned = outputs::plan(r);
  const std::optional<outputs::Clash> clash = outputs::first_clash(r, planned, t.inputs, outputs::same_file);
  if (!clash) return "";
  return outputs::clash_text(r, planned, *clash, t.inputs, t.file, what_file);
}

// Writes the fit's files into the output folder, opened once and locked,
// through the outputs' writer; the exit status of the outputs.
int write_outputs(const PumpingTest& test, const AquiferModel& model, const Estimate& e) {
  files::OutputFolder folder;
  if (const std::string why = folder.open_below(test.output_base, test.output_relative); !why.empty()) {
    complain("cannot open the output folder '" + test.output.folder + "': " + why);
    return base::kExitExtraOutput;
  }
  if (!folder.lock()) {
    complain("another run is writing into the output folder '" + test.output.folder + "'; nothing was written");
    return base::kExitBusy;
  }
  folder.remove_stale_temporaries();
  int status = base::kExitSuccess;
  outputs::Place place;
  place.folder = &folder;
  for (const std::string& input : test.inputs) place.taken.push_back({input, "the input file"});
  place.same = outputs::same_file;
  place.what = what_file;
  outputs::Writer writer(test.output, std::move(place), {}, [&](const outputs::PlannedFile& f, const std::string& why) {
    if (why.empty()) return;
    complain("cannot write '" + folder.shown(f.name) + "': " + why);
    status = base::kExitExtraOutput;
  });
  writer.write(outputs::Kind::kFittedAquifer,
               [&](const files::Target& t) { return files::write_whole_file(t, aquifer_toml(test, model, e)); });
  writer.write(outputs::Kind::kResiduals,
               [&](const files::Target& t) { return files::write_whole_file(t, residuals_csv(test, e)); });
  writer.write(outputs::Kind::kTypeCurves, [&](const files::Target& t) { return write_type_curves(t, test, e, model); });
  writer.write(outputs::Kind::kResidualPlot, [&](const files::Target& t) { return write_residual_plot(t, test, e); });
  writer.write(outputs::Kind::kSamples, [&](const files::Target& t) {
    return files::write_whole_file(t, samples_csv(test, model, e, test.samples_count, kSampleSeed));
  });
  writer.write(outputs::Kind::kDerivative, [&](const files::Target& t) { return write_derivative(t, test, model, e); });
  if (std::fflush(stdout) != 0) status = base::kExitExtraOutput;
  return status;
}

// What the console says of the samples drawn (or "" when none are asked for).
std::string samples_note(const PumpingTest& test, const AquiferModel& model, const Estimate& e) {
  if (test.output.samples.empty()) return "";
  if (!e.determined) {
    complain("warning: no samples were drawn, the fit is not determined: '" + test.output.samples +
             "' holds its header only");
    return "";
  }
  std::string units;
  for (const ParameterInfo& p : model.parameters()) {
    const std::string_view unit = test.units.metric() ? p.study_metric_unit : p.unit;
    units += (units.empty() ? "" : ", ") + std::string(unit.empty() ? "-" : unit);
  }
  return "\nsamples: " + std::to_string(test.samples_count) + " parameter sets drawn from the fit's uncertainty (seed " +
         std::to_string(kSampleSeed) + ") into '" + test.output.samples + "', in " + units + "\n";
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
  if (std::string why = refusal(test); !why.empty() || !(why = refused_outputs(test)).empty()) {
    complain(why);
    return base::kExitUsage;
  }
  const std::unique_ptr<AquiferModel> model = make_model(test.model, W);
  const Estimate e = fit_test(test, *model);
  const std::string table = heading(test) + estimates_text(test, *model, e);
  std::fwrite(table.data(), 1, table.size(), stdout);
  for (const std::string& w : e.warnings) complain("warning: " + w);
  std::string drawn = samples_note(test, *model, e);
  std::fwrite(drawn.data(), 1, drawn.size(), stdout);
  const int status = write_outputs(test, *model, e);
  return status == base::kExitSuccess && !e.determined ? base::kExitUndetermined : status;
}

}  // namespace fit
