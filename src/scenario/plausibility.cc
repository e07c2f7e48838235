#include "scenario/plausibility.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/shortest_text.h"

namespace scenario {

std::vector<std::string> plausibility_warnings(const Scenario& s) {
  double largest = 0.0;
  for (const Well& w : s.wells)
    for (const Step& step : w.steps) largest = std::max(largest, std::fabs(step.rate));
  if (!(largest > 0.0 && largest < kLeastLikelyRate)) return {};
  char gpm[32];
  std::snprintf(gpm, sizeof gpm, "%.3g", largest / 1440.0);
  return {"every pumping rate is below 1,000 gallons per day (the largest, " + base::shortest_text(largest) +
          " gpd, is " + gpm +
          " gpm): rates are per day, and a rate in gallons per minute times 1440 is the rate in gallons per day"};
}

}  // namespace scenario
