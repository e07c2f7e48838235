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

namespace study {

/// Adds the compliance to `layers` (point_layers(s, ...): "wells" first, then
/// "receptors") when some receptor has a limit (else leaves them as they
/// are): to the receptors, after their drawdowns, largest_drawdown_<L>,
/// at_day (its day), first_exceeded_day, margin_<L> (limit less largest) and
/// the text exceeded ("yes" or "no"), the names and values of the compliance
/// table's columns, null for a receptor without a limit; to the wells,
/// planned_rate, the rate of largest size in the well's schedule (gallons per
/// day, or the study's rate unit; negative: injection).
void add_compliance(std::vector<gis::PointLayer>& layers, const Study& s, const scenario::Compliance& c);

}  // namespace study
