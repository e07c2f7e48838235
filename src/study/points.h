// The wells and receptors of a study as the GIS point layers take them.
#pragma once

#include <vector>

#include "gis/point_layer.h"
#include "study/study.h"

namespace study {

/// The wells and receptors as point layers: "wells" with rate_<days>d, the
/// rate in gallons per day at each time (0 before a well starts), and
/// "receptors" with limit_ft and dd_<days>d, the drawdown at each time
/// (`values[receptor][time]`); no receptors layer without receptors.
std::vector<gis::PointLayer> point_layers(const Study& s, const std::vector<std::vector<float>>& values);

}  // namespace study
