// The value conversions of the record writer: Iw and Fw.d into exactly w
// characters. Pure functions, used by lay_out and tested on their own.
#pragma once

#include <cstdint>

namespace recio {

/// Writes `v` as Iw into out[0, width): digits right-aligned, a minus sign
/// before a negative value, no plus sign. When the digits and the sign need
/// more than `width` columns, writes `width` asterisks and returns false.
bool edit_integer(char* out, int width, std::int32_t v);

/// Writes `x` as Fw.d into out[0, width): the exact binary value of `x` rounded
/// to `decimals` places, an exact half away from zero; no sign on a value that
/// rounds to zero; a zero before the point when there is room. When the value
/// does not fit, writes `width` asterisks and returns false.
///
/// Not-a-number and infinity (never produced by the system's computations):
/// right-aligned "NaN" (whatever its sign bit), "Infinity" or "-Infinity"
/// when that fits, else "Inf" or "-Inf" when that fits, else `width`
/// asterisks; only the asterisks case returns false (and so reports 63).
bool edit_fixed(char* out, int width, int decimals, float x);

namespace detail {

/// The fast path of edit_fixed: for finite x, decimals <= 8 and
/// |x| * 10^decimals below 2^53. Returns -1 when it does not apply, else 1 when
/// the field was written and 0 when it overflowed (asterisks written).
int edit_fixed_fast(char* out, int width, int decimals, float x);

/// The general exact path of edit_fixed, for every finite x and every d
/// (exact decimal expansion of x, then half-away rounding of the digits).
bool edit_fixed_exact(char* out, int width, int decimals, float x);

}  // namespace detail
}  // namespace recio
