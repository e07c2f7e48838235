// Internal, traced form of the well function: the same rule as WUB, also
// reporting how the integration ran. For tests and diagnostics; the grid code
// calls WUB.
#pragma once

#include <cstdint>

#include "model/rule.h"  // kMaxPanels, the cap on panels

namespace model {

/// What one evaluation of the rule did.
struct WubTrace {
  float W = 0.0f;            ///< The result, bit-identical to WUB(u, rb).
  std::int32_t panels = 0;   ///< Simpson panels added (0 when nothing was integrated).
  float last_left = 0.0f;    ///< Left end y of the last panel added.
  float last_right = 0.0f;   ///< Right end single(h * 2.0 + y) of the last panel added.
};

/// WUB(u, rb) with its panel count and the ends of its last panel. The
/// panel count and the ends are 0 when WUB integrates nothing (u > 6.0, or an
/// input WUB refuses: NaN or -infinity u).
WubTrace WUB_trace(float u, float rb);

}  // namespace model
