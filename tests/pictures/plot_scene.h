// A grid to draw in the picture tests: its drawdowns, wells and place.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "engine/drawdown_grid.h"

namespace plot_testing {

struct Scene {
  std::unique_ptr<engine::DrawdownGrid> dd = std::make_unique<engine::DrawdownGrid>();
  std::vector<engine::Well> wells;
  engine::EvaluatedGrid e;
  Scene(std::int32_t nx, std::int32_t ny, std::int32_t spacing) {
    e.NX = nx, e.NY = ny, e.SPACING = spacing;
    e.from_run_origin(2150000, 720000);
    e.T = 50000, e.LEAK = 0.001f, e.S = 0.0002f, e.TIME = 30;
    e.DD = dd.get();
  }
  void set_wells(std::vector<engine::Well> w) {
    wells = std::move(w);
    e.wells = wells;
  }
  /// Sets every cell to f(c, r).
  void fill(const std::function<double(int, int)>& f) {
    for (int r = 1; r <= e.NY; ++r)
      for (int c = 1; c <= e.NX; ++c) (*dd)(c, r) = static_cast<float>(f(c, r));
  }
};

/// A cone of drawdown around node (cx, cy): `peak` / (1 + distance in nodes).
inline std::function<double(int, int)> cone(double cx, double cy, double peak) {
  return [=](int c, int r) { return peak / (1.0 + std::hypot(c - cx, r - cy)); };
}

}  // namespace plot_testing
