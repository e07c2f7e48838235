// The drawdown grid, the wells and the aquifer of an evaluation.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace engine {

/// Nodes the grid holds in each direction.
inline constexpr std::int32_t kMaxNodes = 300;
/// Slots of the well table, the end marker's included.
inline constexpr std::int32_t kWellSlots = 1000;
/// Wells the table holds: one slot is kept for the end marker.
inline constexpr std::int32_t kMaxWells = kWellSlots - 1;

/// The drawdown grid DD: 300 x 300 single cells addressed (column, row) from 1,
/// the cells of one row adjacent in storage.
class DrawdownGrid {
 public:
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
  static std::size_t index(std::int32_t c, std::int32_t r) {
    return static_cast<std::size_t>(r - 1) * kMaxNodes + static_cast<std::size_t>(c - 1);
  }
  std::array<float, kMaxNodes * kMaxNodes> cells_{};
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
struct EvaluatedGrid {
  std::int32_t NX = 0, NY = 0;      ///< grid counts
  std::int32_t XLL = 0, YLL = 0;    ///< lower-left corner, feet
  std::int32_t SPACING = 0;         ///< node spacing, feet
  float T = 0, LEAK = 0, S = 0, TIME = 0;  ///< aquifer parameters as read
  std::span<const Well> wells;      ///< the wells evaluated, in table order
  const DrawdownGrid* DD = nullptr; ///< the drawdown grid, cells (1..NX, 1..NY)
};

}  // namespace engine
