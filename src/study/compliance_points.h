// The compliance on the GIS points: when some receptor has a limit, the
// receptors' layer carries each one's verdict and the wells' layer each
// well's planned rate, so that a GIS styles the receptors by pass or fail
// without joining the compliance table.
#pragma once

#include <optional>
#include <vector>

#include "gis/point_layer.h"
#include "scenario/compliance.h"
#include "study/study.h"
#include "uncertainty/ensemble.h"

namespace study {

/// Adds the compliance to `layers` (point_layers(s, ...): "wells" first, then
/// "receptors") when some receptor has a limit (else leaves them as they
/// are): to the receptors, after their drawdowns, the numbers limit,
/// largest_drawdown, day (its day), first_exceeded, margin (limit less
/// largest), in the study's units and as the compliance table rounds them,
/// and probability_exceeded when the ensemble `u` is given; the text
/// exceeded ("yes" or "no"), and date (the largest drawdown's) with a start
/// date; null for a receptor without a limit. To the wells, planned_rate,
/// the rate of largest size in the well's schedule (the study's rate unit;
/// negative: injection).
void add_compliance(std::vector<gis::PointLayer>& layers, const Study& s, const scenario::Compliance& c,
                    const uncertainty::Summary* u = nullptr);

}  // namespace study
