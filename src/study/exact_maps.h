// A study's contour lines on the true drawdown (gis/exact_contour.h): each
// vertex placed where the drawdown the study evaluates (as its receptors'
// and the compliance's, scenario::drawdown_at) equals the level, and the
// area inside each level for the summary.
#pragma once

#include <span>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "gis/exact_contour.h"
#include "scenario/evaluation.h"
#include "study/study.h"

namespace study {

/// The lines and the summary's table of areas.
struct ExactMaps {
  std::vector<gis::ExactLine> lines;
  std::string areas;  ///< the summary's table, LF line ends ("" : no levels)
};

/// The lines of `kept` (the study's grids, one per time of s.times, in
/// order) at `levels` on the drawdown `how` evaluates (scenario::drawdown_at's,
/// each time's terms made once), and the table of the
/// area inside each level at each time: a row per time, a column per level,
/// in acres (square metres in a metric study), "edge" where the area reaches
/// the grid's edge or a boundary.
ExactMaps exact_maps(const Study& s, const scenario::Evaluation& how, std::span<const engine::EvaluatedGrid> kept,
                     std::span<const double> levels);

}  // namespace study
