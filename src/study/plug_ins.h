// The two pieces of a study that other parts of the program provide: the
// exact well function (well_function = "exact") and the hydrograph picture
// (hydrographs = ...). Each is reached from here only.
#pragma once

#include <string>
#include <vector>

#include "maps/output_file.h"
#include "study/evaluation.h"
#include "study/study.h"

namespace study {

/// The exact well function W(u, r/B): engine::true_well_function (which the
/// exact grid runs in SIMD lanes, with the same bits).
ExactWellFunction exact_well_function();

/// Draws the drawdown against time at every receptor to `path` (.png, .svg or
/// .pdf), titled with the study's title: maps::write_hydrographs. values[i][k]
/// is receptor i's drawdown at times[k]. Returns "" on success, or why the
/// picture was not written (the reason alone).
std::string write_hydrographs(const maps::Target& target, const Study& s, const std::vector<double>& times,
                              const std::vector<std::vector<float>>& values);

}  // namespace study
