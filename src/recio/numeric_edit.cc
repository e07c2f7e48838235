// Iw and Fw.d editing: integers and singles into fixed-width fields.
#include "recio/numeric_edit.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <string_view>

namespace recio {
namespace {

void fill(char* out, int width, char c) {
  if (width > 0) std::memset(out, c, static_cast<std::size_t>(width));
}

// Copies `text` to `out` and returns the position after it.
char* put(char* out, std::string_view text) {
  if (!text.empty()) std::memcpy(out, text.data(), text.size());
  return out + text.size();
}

// Right-aligns `text` in out[0, width); the caller has checked that it fits.
void right_align(char* out, int width, std::string_view text) {
  const int pad = width - static_cast<int>(text.size());
  fill(out, pad, ' ');
  put(out + pad, text);
}

// Lays out a rounded magnitude: `int_digits` (empty when the integer part is 0)
// and exactly `decimals` fraction digits. Steps 3 to 6 of Fw.d.
bool lay_out_fixed(char* out, int width, int decimals, bool negative, std::string_view int_digits,
                   std::string_view frac_digits) {
  const long k = static_cast<long>(int_digits.size());
  const long need = k + decimals + 1 + (negative ? 1 : 0);  // without the optional zero
  if (need > width) {
    fill(out, width, '*');
    return false;
  }
  const bool lead_zero = k == 0 && need + 1 <= width;
  char* p = out;
  const long pad = width - need - (lead_zero ? 1 : 0);
  fill(p, static_cast<int>(pad), ' ');
  p += pad;
  if (negative) *p++ = '-';
  if (lead_zero) *p++ = '0';
  p = put(p, int_digits);
  *p++ = '.';
  put(p, frac_digits);
  return true;
}

// NaN and infinity: see edit_fixed in the header.
bool edit_not_finite(char* out, int width, float x) {
  if (std::isnan(x)) {
    if (width >= 3) {
      right_align(out, width, "NaN");
      return true;
    }
  } else {
    const bool neg = std::signbit(x);
    std::string_view full = neg ? "-Infinity" : "Infinity";
    std::string_view brief = neg ? "-Inf" : "Inf";
    if (width >= static_cast<int>(full.size())) {
      right_align(out, width, full);
      return true;
    }
    if (width >= static_cast<int>(brief.size())) {
      right_align(out, width, brief);
      return true;
    }
  }
  fill(out, width, '*');
  return false;
}

constexpr double kPow10[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
constexpr std::uint64_t kPow10Int[] = {1,      10,      100,      1000,     10000,
                                       100000, 1000000, 10000000, 100000000};

// Writes the decimal digits of v (no leading zeros; nothing for 0) ending at
// `end`; returns the start.
char* digits_before(char* end, std::uint64_t v) {
  while (v != 0) {
    *--end = static_cast<char>('0' + v % 10);
    v /= 10;
  }
  return end;
}

}  // namespace

bool edit_integer(char* out, int width, std::int32_t v) {
  char buf[16];
  char* end = buf + sizeof buf;
  const std::uint32_t mag = v < 0 ? 0u - static_cast<std::uint32_t>(v) : static_cast<std::uint32_t>(v);
  char* start = mag == 0 ? end - 1 : digits_before(end, mag);
  if (mag == 0) *start = '0';
  if (v < 0) *--start = '-';
  const int len = static_cast<int>(end - start);
  if (len > width) {
    fill(out, width, '*');
    return false;
  }
  right_align(out, width, {start, static_cast<std::size_t>(len)});
  return true;
}

namespace detail {

int edit_fixed_fast(char* out, int width, int decimals, float x) {
  if (decimals < 0 || decimals > 8 || !std::isfinite(x)) return -1;
  // |x| has a 24-bit significand and 10^d = 2^d * 5^d with 5^d below 2^19, so
  // the product has at most 43 significant bits: it is exact in double.
  const double scaled = std::fabs(static_cast<double>(x)) * kPow10[decimals];
  if (scaled >= 0x1p53) return -1;
  // Below 2^53 the integer part and the fraction are both exact.
  const double whole = std::floor(scaled);
  std::uint64_t n = static_cast<std::uint64_t>(whole);
  if (scaled - whole >= 0.5) ++n;  // half away from zero (on the magnitude)
  const std::uint64_t unit = kPow10Int[decimals];
  char int_buf[24];
  char* int_end = int_buf + sizeof int_buf;
  char* int_start = digits_before(int_end, n / unit);
  char frac[8];
  std::uint64_t f = n % unit;
  for (int i = decimals - 1; i >= 0; --i) {
    frac[i] = static_cast<char>('0' + f % 10);
    f /= 10;
  }
  const bool negative = std::signbit(x) && n != 0;
  return lay_out_fixed(out, width, decimals, negative,
                       {int_start, static_cast<std::size_t>(int_end - int_start)},
                       {frac, static_cast<std::size_t>(decimals)})
             ? 1
             : 0;
}

bool edit_fixed_exact(char* out, int width, int decimals, float x) {
  if (!std::isfinite(x)) return edit_not_finite(out, width, x);
  // A single's exact value has at most 39 integer digits and 149 fraction
  // digits (2^-149), so 149 fixed digits of the (exact) double are exact.
  constexpr int kExactDigits = 149;
  char buf[48 + kExactDigits];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(static_cast<double>(x)),
                                 std::chars_format::fixed, kExactDigits);
  const char* first_char = buf;
  const char* end = res.ptr;
  const char* point = static_cast<const char*>(std::memchr(first_char, '.', static_cast<std::size_t>(end - first_char)));
  std::string ints(first_char, point);  // "0" when below 1
  std::string frac(point + 1, end);     // kExactDigits digits
  if (decimals < kExactDigits) {
    const bool round_up = frac[static_cast<std::size_t>(decimals)] >= '5';
    frac.resize(static_cast<std::size_t>(decimals));
    if (round_up) {
      int i = decimals - 1;
      for (; i >= 0 && frac[static_cast<std::size_t>(i)] == '9'; --i) frac[static_cast<std::size_t>(i)] = '0';
      if (i >= 0) {
        ++frac[static_cast<std::size_t>(i)];
      } else {
        int j = static_cast<int>(ints.size()) - 1;
        for (; j >= 0 && ints[static_cast<std::size_t>(j)] == '9'; --j) ints[static_cast<std::size_t>(j)] = '0';
        if (j >= 0) {
          ++ints[static_cast<std::size_t>(j)];
        } else {
          ints.insert(ints.begin(), '1');
        }
      }
    }
  } else {
    frac.append(static_cast<std::size_t>(decimals - kExactDigits), '0');
  }
  const std::size_t first = ints.find_first_not_of('0');
  std::string_view int_digits = first == std::string::npos ? std::string_view{}
                                                           : std::string_view(ints).substr(first);
  const bool negative = std::signbit(x) && (!int_digits.empty() || frac.find_first_not_of('0') != std::string::npos);
  return lay_out_fixed(out, width, decimals, negative, int_digits, frac);
}

}  // namespace detail

bool edit_fixed(char* out, int width, int decimals, float x) {
  const int fast = detail::edit_fixed_fast(out, width, decimals, x);
  if (fast >= 0) return fast == 1;
  return detail::edit_fixed_exact(out, width, decimals, x);
}

}  // namespace recio
