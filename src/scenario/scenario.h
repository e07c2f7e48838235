// The domain every front end evaluates: the aquifer, a grid in map
// coordinates, named wells with rate schedules, receptors with limits,
// straight-line boundaries, the times of interest. A study reads one from its
// files; the aquifer-test fit builds its wells from a test.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scenario/boundaries.h"

namespace scenario {

/// One step of a well's schedule: from `day` on, the well pumps `rate`
/// gallons per day (negative: injection).
struct Step {
  double day = 0.0;
  double rate = 0.0;
};

/// A well: its name, its place in map coordinates (feet) and its schedule,
/// whose days increase; a plain rate is one step at day 0.
struct Well {
  std::string name;
  double x = 0.0, y = 0.0;
  std::vector<Step> steps;
  double radius = 1.0;  ///< the well's radius in feet, above 0: where its own drawdown is reported
};

/// A point where the drawdown is followed over time.
struct Receptor {
  std::string name;
  double x = 0.0, y = 0.0;
  std::optional<double> limit;  ///< the largest drawdown allowed there, feet, above 0 (none: no limit)
};

/// The aquifer, in the input-file run's units.
struct Aquifer {
  double transmissivity = 0.0;  ///< gallons per day per foot, above 0
  double leakance = 0.0;        ///< gallons per day per cubic foot, 0 or more (0: no leakage)
  double storage = 0.0;         ///< storage coefficient, above 0
};

/// The grid in map coordinates: node (c, r), c = 1 .. columns, r = 1 .. rows,
/// is the centre of its cell, at (xll + (c - 1/2) spacing, yll + (r - 1/2) spacing).
struct Grid {
  double xll = 0.0, yll = 0.0;  ///< lower-left corner of the lower-left cell, feet
  std::int32_t spacing = 0;     ///< side of a cell, whole feet, 1 or more
  std::int32_t columns = 0;     ///< nodes in x, 1 or more
  std::int32_t rows = 0;        ///< nodes in y, 1 or more
};

/// Which well function a scenario is evaluated with.
enum class WellFunction {
  rule,   ///< the program's fixed integration rule: the input-file run's numbers, bit for bit
  exact,  ///< the true well function, each node's terms summed in double and rounded to single once (default)
};

/// A scenario, checked: every number finite, every name unique, the days of
/// every schedule and of the times increasing.
struct Scenario {
  std::vector<double> times;  ///< days since pumping began, increasing, above 0
  Aquifer aquifer;
  Grid grid;
  std::vector<Well> wells;
  std::vector<Receptor> receptors;
  std::vector<Boundary> boundaries;  ///< at most two, perpendicular or parallel, the wells on one side of each
  std::vector<double> series_times;  ///< the days the receptors are followed at, increasing (none: the times)
};

/// The node-unit position of map coordinate `coordinate` on a grid whose
/// lower-left corner lies at `corner`: single((coordinate - corner) / spacing + 1/2),
/// the division in double. A node centre gets its whole index.
inline float node_position(double coordinate, double corner, std::int32_t spacing) {
  return static_cast<float>((coordinate - corner) / static_cast<double>(spacing) + 0.5);
}

}  // namespace scenario
