#include "fit/units.h"

#include <array>

namespace fit {
namespace {

// Cubic metres to US gallons; litres per second to gallons per day.
constexpr double kGallonsPerCubicMetre = kGallonsPerCubicFoot / (kMetresPerFoot * kMetresPerFoot * kMetresPerFoot);

constexpr std::array kLengths = {Unit{"ft", 1.0}, Unit{"m", 1.0 / kMetresPerFoot}};
constexpr std::array kTimes = {Unit{"min", 1.0 / 1440.0}, Unit{"h", 1.0 / 24.0}, Unit{"d", 1.0}};
constexpr std::array kRates = {Unit{"gpd", 1.0}, Unit{"gpm", 1440.0}, Unit{"m3/d", kGallonsPerCubicMetre},
                               Unit{"L/s", 86400.0 / 1000.0 * kGallonsPerCubicMetre}};

template <std::size_t N>
std::optional<Unit> find(const std::array<Unit, N>& units, std::string_view name) {
  for (const Unit& u : units)
    if (u.name == name) return u;
  return std::nullopt;
}

}  // namespace

std::optional<Unit> length_unit(std::string_view name) { return find(kLengths, name); }
std::optional<Unit> time_unit(std::string_view name) { return find(kTimes, name); }
std::optional<Unit> rate_unit(std::string_view name) { return find(kRates, name); }

double transmissivity_in(double gpd_per_ft, const Units& u) {
  // gpd/ft is (ft^3/d)/ft = ft^2/d divided by gallons per cubic foot.
  const double square_feet_per_day = gpd_per_ft / kGallonsPerCubicFoot;
  return square_feet_per_day / (u.length.factor * u.length.factor) * u.time.factor;
}

double resistance_days(double gpd_per_cubic_foot) {
  // Leakance K'/b' in gpd/ft^3 is (ft^3/d)/ft^3 per gallon per cubic foot: 1/d.
  return kGallonsPerCubicFoot / gpd_per_cubic_foot;
}

}  // namespace fit
