// A study's probability grid ([output] probability, with probability_level
// and [uncertainty]): at each node and time, the share of the realizations
// whose drawdown is above the level. The counts come from the realizations
// run here or from the slices' partial files; the shares are written as the
// drawdown grid is (a GeoTIFF band per time, or an ESRI grid per time).
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/drawdown_grid.h"
#include "gis/crs.h"
#include "outputs/writer.h"
#include "scenario/evaluation.h"
#include "study/study.h"
#include "uncertainty/exceedance.h"
#include "uncertainty/partial_file.h"

namespace study {

/// Whether the study maps the probability of exceeding a level.
bool maps_probability(const Study& s);

/// The exceedance counts of realizations [from, to) of the study's ensemble,
/// with a bar on a terminal; nothing when the study maps no probability.
std::optional<uncertainty::Exceedance> exceedance_of(const Study& s, const scenario::Evaluation& how, std::size_t from,
                                                     std::size_t to, bool terminal);

/// The counts of the slices `parts` (read from their files) summed; nothing
/// when the study maps no probability. Throws StudyError when the slices do
/// not hold the counts of the study's grid and times.
std::optional<uncertainty::Exceedance> merged_exceedance(const Study& s, const std::vector<uncertainty::Part>& parts);

/// The shares count / realizations, a grid per time; the nodes beyond a
/// boundary blank (NaN), as on the drawdown grid.
std::vector<engine::DrawdownGrid> probability_grids(const Study& s, const uncertainty::Exceedance& e,
                                                    std::size_t realizations);

/// Writes the planned probability files of `e` through `writer`.
void write_probability(const Study& s, const uncertainty::Exceedance& e, const gis::Crs* crs, outputs::Writer& writer);

}  // namespace study
