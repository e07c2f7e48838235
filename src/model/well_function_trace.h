// Internal, traced form of the well function: the same rule as WUB, also
// reporting how the integration ran. For tests and diagnostics; the grid code
// calls WUB.
#pragma once

#include <cstdint>

namespace model {

/// Safety net on the number of Simpson panels of one WUB call. For 0 <= u <= 6
/// the rule takes at most 48 panels; a finite negative u takes at most 262
/// (u = -FLT_MAX; see well_function.cc), so no finite u reaches this cap. A
/// call that reaches it returns NaN.
inline constexpr std::int32_t kMaxPanels = 1000;

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
