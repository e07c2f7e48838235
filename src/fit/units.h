// The units a pumping test may be given in, and their factors to the
// program's own: feet, days and gallons per day.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace fit {

/// A unit's name as written and its size in the program's unit.
struct Unit {
  std::string_view name;  ///< "ft", "m", "min", "gpd", ...
  double factor = 1.0;    ///< feet, days or gallons per day in one of it
};

/// The units of lengths (coordinates and drawdowns), times and rates.
struct Units {
  Unit length{"ft", 1.0};
  Unit time{"d", 1.0};
  Unit rate{"gpd", 1.0};
  /// Whether lengths are in metres: results are then also given in SI.
  bool metric() const { return length.name == "m"; }
};

/// US gallons in a cubic foot (231 cubic inches a gallon, exactly).
inline constexpr double kGallonsPerCubicFoot = 1728.0 / 231.0;
/// Metres in a foot, exactly.
inline constexpr double kMetresPerFoot = 0.3048;

/// The length unit named `name` ("ft" or "m").
std::optional<Unit> length_unit(std::string_view name);
/// The time unit named `name` ("min", "h" or "d").
std::optional<Unit> time_unit(std::string_view name);
/// The rate unit named `name` ("gpd", "gpm", "m3/d" or "L/s").
std::optional<Unit> rate_unit(std::string_view name);

/// The names a unit of each kind may have, for messages.
inline constexpr std::string_view kLengthNames = "\"ft\" or \"m\"";
inline constexpr std::string_view kTimeNames = "\"min\", \"h\" or \"d\"";
inline constexpr std::string_view kRateNames = "\"gpd\", \"gpm\", \"m3/d\" or \"L/s\"";

/// Transmissivity in gpd/ft as length^2 per time of `u` (ft^2/d, m^2/d, m^2/min ...).
double transmissivity_in(double gpd_per_ft, const Units& u);
/// Leakance in gpd/ft^3 as the confining bed's resistance c = b'/K' in days.
double resistance_days(double gpd_per_cubic_foot);

}  // namespace fit
