#include "shown_digits.h"

#include <cctype>
#include <cmath>
#include <cstdio>

namespace model::testing {
namespace {

// Significant digits of a decimal numeral: all digits of the mantissa after
// leading zeros (trailing zeros count).
int SignificantDigits(const std::string& shown) {
  int digits = 0;
  bool leading = true;
  for (char c : shown) {
    if (c == 'e' || c == 'E') break;
    if (!std::isdigit(static_cast<unsigned char>(c))) continue;
    if (leading && c == '0') continue;
    leading = false;
    ++digits;
  }
  return digits;
}

}  // namespace

std::string AsShown(float value, const std::string& shown) {
  if (std::isinf(value)) return value > 0 ? "infinity" : "-infinity";
  if (value == 0.0f) return std::signbit(value) ? "-0" : "0";
  const int digits = SignificantDigits(shown);
  const bool exponent = shown.find_first_of("eE") != std::string::npos;
  char buffer[64];
  if (exponent) {
    std::snprintf(buffer, sizeof buffer, "%.*e", digits - 1, static_cast<double>(value));
  } else {
    // Fixed form with the decimals that give `digits` significant digits.
    const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(static_cast<double>(value)))));
    int decimals = digits - 1 - magnitude;
    if (decimals < 0) decimals = 0;
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, static_cast<double>(value));
  }
  return buffer;
}

::testing::AssertionResult ShowsAs(float value, const std::string& shown) {
  const std::string got = AsShown(value, shown);
  if (got == shown) return ::testing::AssertionSuccess();
  char exact[64];
  std::snprintf(exact, sizeof exact, "%.9g", static_cast<double>(value));
  return ::testing::AssertionFailure() << exact << " shows as " << got << ", expected " << shown;
}

::testing::AssertionResult SameBits(float actual, float expected) {
  if (std::bit_cast<std::uint32_t>(actual) == std::bit_cast<std::uint32_t>(expected)) {
    return ::testing::AssertionSuccess();
  }
  char text[96];
  std::snprintf(text, sizeof text, "%.9g (%08X), expected %.9g (%08X)", static_cast<double>(actual),
                std::bit_cast<std::uint32_t>(actual), static_cast<double>(expected),
                std::bit_cast<std::uint32_t>(expected));
  return ::testing::AssertionFailure() << text;
}

}  // namespace model::testing
