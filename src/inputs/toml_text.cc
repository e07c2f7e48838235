#include "inputs/toml_text.h"

#include <utility>

namespace inputs {
namespace {

// The TOML library (toml++ 3.3) tests characters beyond ASCII that it meets
// outside strings for whitespace, with a table that misses part of the range
// U+00A1 to U+FEFE (it then reaches a point marked unreachable). So it never
// sees that range: before parsing, every such character becomes one of the
// private-use characters from U+F0000 on, which it takes like any letter; the
// texts it gives back are shifted back. A file that holds private-use
// characters of its own there (or escapes for them) is refused instead.
constexpr char32_t kShiftedFirst = 0xA0, kShiftedLast = 0xFEFF, kShiftBase = 0xF0000;

void append_utf8(std::string& s, char32_t c) {
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (c >> 18));
    s += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The well-formed UTF-8 character at t[i], and its length; length 0 for a
// byte that does not start one.
std::pair<char32_t, std::size_t> utf8_at(std::string_view t, std::size_t i) {
  auto byte = [&](std::size_t k) { return k < t.size() ? static_cast<unsigned char>(t[k]) : 0u; };
  auto continuation = [&](std::size_t k) { return (byte(k) & 0xC0) == 0x80; };
  const unsigned b = byte(i);
  if (b >= 0xC2 && b <= 0xDF && continuation(i + 1)) return {((b & 0x1F) << 6) | (byte(i + 1) & 0x3F), 2};
  if (b >= 0xE0 && b <= 0xEF && continuation(i + 1) && continuation(i + 2)) {
    const char32_t c = ((b & 0x0F) << 12) | ((byte(i + 1) & 0x3F) << 6) | (byte(i + 2) & 0x3F);
    if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) return {c, 3};
  }
  if (b >= 0xF0 && b <= 0xF4 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
    const char32_t c = ((b & 0x07) << 18) | ((byte(i + 1) & 0x3F) << 12) | ((byte(i + 2) & 0x3F) << 6) |
                       (byte(i + 3) & 0x3F);
    if (c >= 0x10000 && c <= 0x10FFFF) return {c, 4};
  }
  return {0, 0};
}

// `t` with each character of [from, from + count) moved by `to - from`.
std::string shifted(std::string_view t, char32_t from, char32_t count, char32_t to) {
  std::string s;
  s.reserve(t.size() + t.size() / 2);
  for (std::size_t i = 0; i < t.size();) {
    const auto [c, length] = utf8_at(t, i);
    if (length > 0 && c >= from && c - from < count) {
      append_utf8(s, to + (c - from));
      i += length;
    } else {
      s += t[i++];
    }
  }
  return s;
}

constexpr char32_t kShiftCount = kShiftedLast - kShiftedFirst + 1;

}  // namespace

std::string shifted_for_toml(std::string_view t) { return shifted(t, kShiftedFirst, kShiftCount, kShiftBase); }
std::string shifted_back(std::string_view t) { return shifted(t, kShiftBase, kShiftCount, kShiftedFirst); }

// The byte offset of the first private-use character of the shifted range,
// or of an escape that could give one, in `t`; npos when there is none.
std::size_t private_use(std::string_view t) {
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto [c, length] = utf8_at(t, i);
    if (length > 0 && c >= kShiftBase && c - kShiftBase < kShiftCount) return i;
    if (t[i] == '\\' && i + 6 <= t.size() && (t[i + 1] == 'U') && t.compare(i + 2, 3, "000") == 0 &&
        (t[i + 5] == 'F' || t[i + 5] == 'f'))
      return i;
  }
  return std::string_view::npos;
}

}  // namespace inputs
