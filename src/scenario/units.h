// The units a study is written in: a length unit for coordinates, spacing,
// radii, limits and drawdowns, and units for rates, transmissivity and
// leakance. The engine computes in gallons: it takes rates in gallons per day,
// transmissivity in gallons per day per length unit and leakance in gallons per
// day per cubic length unit, with lengths in the study's own unit (its
// equations hold in any length unit once the gallon's size in that unit cubed
// is fixed). The reader converts the study's rates and aquifer to these
// "engine units" once; lengths are never converted, so that coordinates stay
// exactly as written and a metric grid is spaced in whole metres.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario {

/// A unit's name as written and its size in the reference unit of its kind.
struct NamedUnit {
  std::string_view name;
  double size = 1.0;  ///< feet, gallons per day, gpd/ft or gpd/ft³ in one of it
};

/// A length unit: its symbol, its word in labels and its size in feet.
struct LengthUnit {
  std::string_view name = "ft";
  std::string_view word = "feet";
  double feet = 1.0;
};

/// The study's units; the defaults are feet, gallons per day, gpd/ft, gpd/ft³.
struct Units {
  LengthUnit length{};
  NamedUnit rate{"gpd", 1.0};
  NamedUnit transmissivity{"gpd/ft", 1.0};
  NamedUnit leakance{"gpd/ft3", 1.0};

  /// Whether lengths are in feet (every output then reads as it always has).
  bool feet() const { return length.name == "ft"; }
  /// A rate in the study's unit as the engine takes it.
  double rate_to_engine(double v) const;
  /// A transmissivity in the study's unit as the engine takes it.
  double transmissivity_to_engine(double v) const;
  /// A leakance in the study's unit as the engine takes it.
  double leakance_to_engine(double v) const;
  /// The inverses, for what a study shows of its inputs.
  double rate_from_engine(double v) const;
  double transmissivity_from_engine(double v) const;
  double leakance_from_engine(double v) const;
  /// "_ft" or "_m": the ending of a CSV column or attribute that holds a length.
  std::string suffix() const { return std::string(1, '_').append(length.name); }
  /// `text` with each "{L}" replaced by the length unit's symbol ("ft", "m").
  std::string label(std::string_view text) const;
  /// label of each of `texts`.
  std::vector<std::string> labels(std::initializer_list<std::string_view> texts) const;
};

/// The length unit named `name` ("ft" or "m").
std::optional<LengthUnit> length_unit(std::string_view name);
/// The rate unit named `name` ("gpd", "gpm", "cfs", "m3/d" or "L/s").
std::optional<NamedUnit> rate_unit(std::string_view name);
/// The transmissivity unit named `name` ("gpd/ft", "ft2/d" or "m2/d").
std::optional<NamedUnit> transmissivity_unit(std::string_view name);
/// The leakance unit named `name` ("gpd/ft3" or "1/d", the latter K'/b').
std::optional<NamedUnit> leakance_unit(std::string_view name);

/// The names each kind takes, for messages.
inline constexpr std::string_view kLengthNames = "\"ft\" or \"m\"";
inline constexpr std::string_view kRateNames = "\"gpd\", \"gpm\", \"cfs\", \"m3/d\" or \"L/s\"";
inline constexpr std::string_view kTransmissivityNames = "\"gpd/ft\", \"ft2/d\" or \"m2/d\"";
inline constexpr std::string_view kLeakanceNames = "\"gpd/ft3\" or \"1/d\"";

}  // namespace scenario
