// The drawdown grid, the wells and the aquifer of an evaluation.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace engine {

/// Nodes the input-file run's grid holds in each direction.
inline constexpr std::int32_t kMaxNodes = 300;
/// Slots of the well table, the end marker's included.
inline constexpr std::int32_t kWellSlots = 1000;
/// Wells the table holds: one slot is kept for the end marker.
inline constexpr std::int32_t kMaxWells = kWellSlots - 1;

/// The drawdown grid DD: single cells addressed (column, row) from 1, the cells
/// of one row adjacent in storage. The input-file run's grid is 300 x 300; a
/// study's has its own number of columns and rows.
class DrawdownGrid {
 public:
  /// The input-file run's grid: 300 x 300 cells, all 0.0.
  DrawdownGrid() : DrawdownGrid(kMaxNodes, kMaxNodes) {}
  /// A grid of `columns` x `rows` cells, all 0.0 (a count below 1 gives no
  /// cells). Throws std::bad_alloc when the memory is not there.
  DrawdownGrid(std::int32_t columns, std::int32_t rows)
      : columns_(std::max<std::int32_t>(columns, 0)),
        rows_(std::max<std::int32_t>(rows, 0)),
        cells_(static_cast<std::size_t>(columns_) * static_cast<std::size_t>(rows_)) {}

  /// Columns the grid holds.
  std::int32_t columns() const { return columns_; }
  /// Rows the grid holds.
  std::int32_t rows() const { return rows_; }

  /// The cell of node (c, r), both counted from 1.
  float& operator()(std::int32_t c, std::int32_t r) { return cells_[index(c, r)]; }
  /// The cell of node (c, r), read-only.
  float operator()(std::int32_t c, std::int32_t r) const { return cells_[index(c, r)]; }
  /// Cells (1, r) .. (nx, r) of row r; empty when nx is 0 or less.
  std::span<const float> row(std::int32_t r, std::int32_t nx) const {
    return nx > 0 ? std::span<const float>(&cells_[index(1, r)], static_cast<std::size_t>(nx))
                  : std::span<const float>();
  }

 private:
  std::size_t index(std::int32_t c, std::int32_t r) const {
    return static_cast<std::size_t>(r - 1) * static_cast<std::size_t>(columns_) + static_cast<std::size_t>(c - 1);
  }
  std::int32_t columns_;
  std::int32_t rows_;
  std::vector<float> cells_;
};

/// One well of the table: position in node units and rate in gallons per day.
struct Well {
  float x = 0.0f;
  float y = 0.0f;
  float q = 0.0f;
};

/// The aquifer and grid quantities the evaluation needs.
struct Aquifer {
  float T = 0.0f;           ///< transmissivity, gallons per day per foot
  float S = 0.0f;           ///< storage coefficient
  float TIME = 0.0f;        ///< days since pumping began
  float LEAK = 0.0f;        ///< leakance, gallons per day per cubic foot
  std::int32_t SPACING = 0; ///< node spacing, feet
};

/// An evaluated grid as the outputs made from it see it: the grid's place and
/// size, the aquifer, the wells evaluated and the drawdowns. It refers to data
/// its owner keeps.
///
/// Each node is the centre of its cell: node (c, r) lies at
/// (xllcorner + (c - 1/2) SPACING, yllcorner + (r - 1/2) SPACING) feet, and a
/// well of node-unit position (x, y) likewise. The input-file run's node (c, r)
/// lies at (XLL + c SPACING, YLL + r SPACING), so its corner is half a spacing
/// above and right of (XLL, YLL) (from_run_origin).
struct EvaluatedGrid {
  std::int32_t NX = 0, NY = 0;      ///< grid counts
  double xllcorner = 0, yllcorner = 0;  ///< lower-left corner of the lower-left cell, feet
  std::int32_t SPACING = 0;         ///< node spacing, feet
  float T = 0, LEAK = 0, S = 0, TIME = 0;  ///< aquifer parameters as read
  std::span<const Well> wells;      ///< the wells evaluated, in table order
  const DrawdownGrid* DD = nullptr; ///< the drawdown grid, cells (1..NX, 1..NY)
  /// The unit of the grid's lengths and drawdowns as the outputs label them:
  /// "ft", or "m" for a study whose lengths are metres (the values are
  /// evaluated in that unit; see scenario/units.h).
  std::string_view length_unit = "ft";

  /// Feet east of the map's origin of node column `c` (fractional between nodes).
  double map_x(double c) const { return xllcorner + (c - 0.5) * SPACING; }
  /// Feet north of the map's origin of node row `r` (fractional between nodes).
  double map_y(double r) const { return yllcorner + (r - 0.5) * SPACING; }
  /// Sets the corner from the input-file run's XLL and YLL, whose node (c, r)
  /// lies at (XLL + c SPACING, YLL + r SPACING); SPACING must be set.
  void from_run_origin(std::int32_t XLL, std::int32_t YLL) {
    xllcorner = XLL + SPACING / 2.0;
    yllcorner = YLL + SPACING / 2.0;
  }
};

}  // namespace engine
