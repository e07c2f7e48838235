// A whole study run: read and check the study file, evaluate, write the
// outputs, show the summary.
#pragma once

#include <optional>
#include <string>

#include "engine/evaluate.h"
#include "study/uncertainty_run.h"

namespace study {

/// Runs the study file `file` with the engine's settings `engine` and returns
/// the exit status. A study that cannot be run (a bad file, outputs that would
/// replace an input, a study that does not fit in memory) gets one line on
/// standard error and base::kExitUsage before anything is written. Otherwise
/// the grid is evaluated at each time and written, the series and the
/// hydrographs are written, and the summary table goes to standard output
/// (after a line per stage and progress bars when it is a terminal). An
/// output that cannot be written gets a line on standard error and the status
/// base::kExitExtraOutput; the other outputs are still written. A study with
/// [uncertainty] runs its ensemble too, or only the slice `ensemble` names
/// into its partial file, or takes the ensemble from its slices' files.
int run_study(const std::string& file, const engine::Options& engine,
              const std::optional<std::string>& output_folder = std::nullopt, const EnsembleOptions& ensemble = {});

}  // namespace study
