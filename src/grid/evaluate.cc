#include "grid/evaluate.h"

#include "model/drawdown.h"

namespace grid {

void zero_grid(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny) {
  for (std::int32_t c = 1; c <= nx; ++c)
    for (std::int32_t r = 1; r <= ny; ++r) DD(c, r) = 0.0f;
}

void evaluate_reference(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& a,
                        std::span<const Well> wells) {
  for (const Well& w : wells)
    for (std::int32_t c = 1; c <= nx; ++c)
      for (std::int32_t r = 1; r <= ny; ++r) {
        const float R = leaky::DIST(a.SPACING, c, r, w.x, w.y);
        leaky::DRAWDN(a.T, a.S, a.TIME, a.LEAK, w.q, R, DD(c, r));
      }
}

}  // namespace grid
