// Fuzz target: Iw and Fw.d editing of arbitrary integers and singles.
//
// The input is read as 4-byte words; each word is taken both as the bits of a
// single and as a 32-bit integer, and goes through every layout the program
// writes (I4 I5 I6 I10 I12, F6.1 F6.2 F9.2 F12.0 F12.4 F12.8 F14.2) and through
// one more Fw.d chosen by the next two bytes (w 1..40, d 0..30). Every field is
// compared with an independent reference built from the C library's exact
// decimal expansion of the single ("%.200f" prints a double's every digit, and
// a single has at most 149 fraction digits), rounded half away from zero here
// digit by digit; the overflow answer is compared too, and for Fw.d also the
// two paths of the editor (the fast one where it applies, and the exact one).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "edit_strings.h"
#include "fuzz_support.h"
#include "recio/numeric_edit.h"

namespace {

using leaky_fuzz::check;

struct Field {
  std::string text;
  bool ok = true;
};

Field stars(int w) { return {std::string(static_cast<std::size_t>(w), '*'), false}; }

Field right(int w, const std::string& s) {
  return {std::string(static_cast<std::size_t>(w) - s.size(), ' ') + s, true};
}

Field reference_integer(int w, std::int32_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d", v);
  const std::string s = buf;
  return s.size() > static_cast<std::size_t>(w) ? stars(w) : right(w, s);
}

// NaN and infinities as the program shows them: "NaN", "Infinity" or "Inf"
// (with a minus sign when negative) where they fit, else asterisks.
Field reference_not_finite(int w, float x) {
  if (std::isnan(x)) return w >= 3 ? right(w, "NaN") : stars(w);
  const std::string sign = std::signbit(x) ? "-" : "";
  if (static_cast<std::size_t>(w) >= sign.size() + 8) return right(w, sign + "Infinity");
  if (static_cast<std::size_t>(w) >= sign.size() + 3) return right(w, sign + "Inf");
  return stars(w);
}

Field reference_fixed(int w, int d, float x) {
  if (!std::isfinite(x)) return reference_not_finite(w, x);
  char buf[400];
  std::snprintf(buf, sizeof buf, "%.200f", std::fabs(static_cast<double>(x)));
  const std::string s = buf;
  const std::size_t point = s.find('.');
  std::string digits = s.substr(0, point) + s.substr(point + 1, static_cast<std::size_t>(d));
  // The remainder beyond the d-th decimal is half or more exactly when its
  // first digit is 5 or more: the expansion is exact.
  if (s[point + 1 + static_cast<std::size_t>(d)] >= '5') {
    std::size_t i = digits.size();
    while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
    if (i == 0) digits.insert(digits.begin(), '1');
    else ++digits[i - 1];
  }
  std::string ints = digits.substr(0, digits.size() - static_cast<std::size_t>(d));
  const std::string fraction = digits.substr(digits.size() - static_cast<std::size_t>(d));
  ints.erase(0, ints.find_first_not_of('0') == std::string::npos ? ints.size() : ints.find_first_not_of('0'));
  const bool zero = ints.empty() && fraction.find_first_not_of('0') == std::string::npos;
  const std::string sign = std::signbit(x) && !zero ? "-" : "";
  const std::string body = ints + "." + fraction;
  if (sign.size() + body.size() > static_cast<std::size_t>(w)) return stars(w);
  const bool lead_zero = ints.empty() && sign.size() + body.size() + 1 <= static_cast<std::size_t>(w);
  return right(w, sign + (lead_zero ? "0" : "") + body);
}

std::string describe(const char* what, int w, int d, float x, std::int32_t v, const std::string& got,
                     const std::string& want) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s w=%d d=%d x=%a (%.9g) v=%d: ", what, w, d, static_cast<double>(x),
                static_cast<double>(x), v);
  return buf + ("[" + got + "] vs [" + want + "]");
}

void check_fixed(int w, int d, float x) {
  const Field want = reference_fixed(w, d, x);
  bool overflowed = false;
  const std::string got = testing_support::edit_fixed(w, d, x, &overflowed);
  check(got == want.text && overflowed == !want.ok, "Fw.d differs from the reference",
        describe("F", w, d, x, 0, got, want.text));
  std::string exact(static_cast<std::size_t>(w), '?');
  const bool exact_ok = recio::detail::edit_fixed_exact(exact.data(), w, d, x);
  check(exact == want.text && exact_ok == want.ok, "the exact Fw.d path differs from the reference",
        describe("F exact", w, d, x, 0, exact, want.text));
  std::string fast(static_cast<std::size_t>(w), '?');
  const int applied = recio::detail::edit_fixed_fast(fast.data(), w, d, x);
  if (applied >= 0)
    check(fast == want.text && (applied == 1) == want.ok, "the fast Fw.d path differs from the reference",
          describe("F fast", w, d, x, 0, fast, want.text));
}

void check_integer(int w, std::int32_t v) {
  const Field want = reference_integer(w, v);
  bool overflowed = false;
  const std::string got = testing_support::edit_integer(w, v, &overflowed);
  check(got == want.text && overflowed == !want.ok, "Iw differs from the reference",
        describe("I", w, 0, 0.0f, v, got, want.text));
}

constexpr int kIntegerWidths[] = {4, 5, 6, 10, 12};
struct Layout {
  int w, d;
};
constexpr Layout kFixedLayouts[] = {{6, 1}, {6, 2}, {9, 2}, {12, 0}, {12, 4}, {12, 8}, {14, 2}};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  for (std::size_t i = 0; i + 4 <= size; i += 4) {
    std::uint32_t bits;
    std::memcpy(&bits, data + i, 4);
    float x;
    std::memcpy(&x, &bits, 4);
    const auto v = static_cast<std::int32_t>(bits);
    for (int w : kIntegerWidths) check_integer(w, v);
    for (const Layout& l : kFixedLayouts) check_fixed(l.w, l.d, x);
    if (i + 6 <= size) {
      const int w = 1 + data[i + 4] % 40;
      const int d = data[i + 5] % 31;
      check_fixed(w, d, x);
      check_integer(w, v);
    }
  }
  return 0;
}
