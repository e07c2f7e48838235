// Comparing a single with a value as a table of known values shows it.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

namespace model::testing {

/// `value` printed with as many significant digits as `shown` has (e.g.
/// "0.0010601" has 5, "7.5670" has 5, "6.1875e-10" has 5), in the same form
/// as `shown` (fixed or exponent), correctly rounded from the single's exact
/// value. "0" and "-0" match an exact zero only, "infinity" and "-infinity" the
/// infinities.
std::string AsShown(float value, const std::string& shown);

/// Passes when `value` shows as `shown` to the digits `shown` has.
::testing::AssertionResult ShowsAs(float value, const std::string& shown);

/// Passes when `actual` and `expected` are the same single, bit for bit.
::testing::AssertionResult SameBits(float actual, float expected);

}  // namespace model::testing
