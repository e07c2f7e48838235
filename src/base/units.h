// The exact sizes of the units the program converts between, each named
// once: the foot in metres and the US gallon in cubic inches and in cubic
// metres.
#pragma once

namespace base {

/// Metres in an international foot, exactly.
inline constexpr double kMetresPerFoot = 0.3048;
/// Cubic inches in a US gallon, exactly.
inline constexpr double kCubicInchesPerGallon = 231.0;
/// Cubic metres in a US gallon (231 in³ of 0.0254 m), exactly 0.003785411784.
inline constexpr double kCubicMetresPerGallon = 0.003785411784;
/// US gallons in a cubic foot: 1728 in³ / 231 in³.
inline constexpr double kGallonsPerCubicFoot = 1728.0 / kCubicInchesPerGallon;
/// Seconds in a day.
inline constexpr double kSecondsPerDay = 86400.0;
/// Minutes in a day.
inline constexpr double kMinutesPerDay = 1440.0;

}  // namespace base
