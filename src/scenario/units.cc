#include "scenario/units.h"

#include <array>

#include "base/units.h"

namespace scenario {
namespace {

using base::kCubicMetresPerGallon;
using base::kGallonsPerCubicFoot;
using base::kMetresPerFoot;

constexpr double kFeetPerMetre = 1.0 / kMetresPerFoot;
// Gallons in a cubic metre, and a day's gallons of one cubic foot a second.
constexpr double kGallonsPerCubicMetre = 1.0 / kCubicMetresPerGallon;

constexpr std::array kLengths = {LengthUnit{"ft", "feet", 1.0}, LengthUnit{"m", "metres", kFeetPerMetre}};
constexpr std::array kRates = {
    NamedUnit{"gpd", 1.0},
    NamedUnit{"gpm", base::kMinutesPerDay},
    NamedUnit{"cfs", base::kSecondsPerDay * kGallonsPerCubicFoot},
    NamedUnit{"m3/d", kGallonsPerCubicMetre},
    NamedUnit{"L/s", base::kSecondsPerDay / 1000.0 * kGallonsPerCubicMetre},
};
// ft²/d is (ft³/d)/ft: gallons per cubic foot gpd/ft; m²/d is (1/0.3048)² ft²/d.
constexpr std::array kTransmissivities = {
    NamedUnit{"gpd/ft", 1.0},
    NamedUnit{"ft2/d", kGallonsPerCubicFoot},
    NamedUnit{"m2/d", kFeetPerMetre * kFeetPerMetre * kGallonsPerCubicFoot},
};
// K'/b' in 1/d is (ft³/d)/ft³: gallons per cubic foot gpd/ft³.
constexpr std::array kLeakances = {NamedUnit{"gpd/ft3", 1.0}, NamedUnit{"1/d", kGallonsPerCubicFoot}};

template <typename Unit, std::size_t N>
std::optional<Unit> find(const std::array<Unit, N>& units, std::string_view name) {
  for (const Unit& u : units)
    if (u.name == name) return u;
  return std::nullopt;
}

}  // namespace

// The engine's rate is gallons per day with lengths in the study's unit: a
// gallon per day is (1/L)³ such gallons for L feet in the length unit.
double Units::rate_to_engine(double v) const {
  const double f = length.feet;
  return v * rate.size / (f * f * f);
}
double Units::rate_from_engine(double v) const {
  const double f = length.feet;
  return v * (f * f * f) / rate.size;
}
double Units::transmissivity_to_engine(double v) const {
  const double f = length.feet;
  return v * transmissivity.size / (f * f);
}
double Units::transmissivity_from_engine(double v) const {
  const double f = length.feet;
  return v * (f * f) / transmissivity.size;
}
// Leakance is per time only: its engine value is the same in every length unit.
double Units::leakance_to_engine(double v) const { return v * leakance.size; }
double Units::leakance_from_engine(double v) const { return v / leakance.size; }

std::string Units::label(std::string_view text) const {
  std::string out;
  for (std::size_t at = text.find("{L}"); at != std::string_view::npos; at = text.find("{L}")) {
    out.append(text.substr(0, at)).append(length.name);
    text.remove_prefix(at + 3);
  }
  return out.append(text);
}

std::vector<std::string> Units::labels(std::initializer_list<std::string_view> texts) const {
  std::vector<std::string> out;
  for (std::string_view t : texts) out.push_back(label(t));
  return out;
}

std::optional<LengthUnit> length_unit(std::string_view name) { return find(kLengths, name); }
std::optional<NamedUnit> rate_unit(std::string_view name) { return find(kRates, name); }
std::optional<NamedUnit> transmissivity_unit(std::string_view name) { return find(kTransmissivities, name); }
std::optional<NamedUnit> leakance_unit(std::string_view name) { return find(kLeakances, name); }

}  // namespace scenario
