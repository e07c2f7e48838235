// How every message of the program shows text it did not write itself (a file
// name, a name from a study, a field of a CSV file): printable characters as
// they are, everything that could act on a terminal as a visible escape.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace base {

/// The length of the well-formed UTF-8 character (RFC 3629: no overlong forms,
/// no surrogates, nothing beyond U+10FFFF) at the start of `s`, and its code
/// point; length 0 when `s` does not start with one.
struct Utf8Character {
  std::size_t length = 0;
  char32_t code = 0;
};
inline Utf8Character utf8_character(std::string_view s) {
  const auto byte = [&](std::size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) : 0u; };
  const unsigned lead = byte(0);
  if (lead < 0x80) return {s.empty() ? 0u : 1u, lead};
  std::size_t length = 0;
  unsigned low = 0x80, high = 0xBF;  // the range of the second byte
  char32_t code = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
  } else {
    return {};
  }
  if (byte(1) < low || byte(1) > high) return {};
  for (std::size_t i = 1; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return {};
    code = (code << 6) | (byte(i) & 0x3F);
  }
  return {length, code};
}

/// True for a code point that acts on a terminal or on the order of text
/// rather than showing: the C0 controls, DEL, the C1 controls, the line and
/// paragraph separators and the bidirectional embeddings, overrides and
/// isolates.
inline bool is_control(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

/// `text` as every message shows it: printable characters (UTF-8 text
/// included, a backslash too) exactly as they are; \a \b \t \n \v \f \r for
/// bytes 7 to 13, \xHH for the other C0 controls, DEL and every byte that is
/// not part of well-formed UTF-8, \uHHHH for the other controls of is_control
/// written as UTF-8 (U+009B, CSI on an 8-bit terminal, is \u009b). So a text
/// can neither add a line to a message nor send a control sequence to the
/// terminal. The result holds no control character, and shown again it stays
/// the same.
inline std::string printable_name(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  static constexpr char kShort[] = "abtnvfr";  // the escapes of bytes 7 to 13
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const Utf8Character u = utf8_character(text.substr(i));
    if (u.length > 0 && !is_control(u.code)) {
      out.append(text.substr(i, u.length));
      i += u.length;
      continue;
    }
    if (u.length > 1) {  // a control written as UTF-8
      out += "\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(u.code >> shift) & 15];
      i += u.length;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(text[i++]);
    if (c >= 7 && c <= 13) {
      out += '\\';
      out += kShort[c - 7u];
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

/// printable_name of `text` cut after `longest` characters (never inside a
/// character), with "..." when it was cut.
inline std::string printable_cut(std::string_view text, std::size_t longest) {
  std::size_t end = 0;
  for (std::size_t count = 0; end < text.size() && count < longest; ++count) {
    const Utf8Character u = utf8_character(text.substr(end));
    end += u.length > 0 ? u.length : 1;
  }
  std::string s = printable_name(text.substr(0, end));
  if (end < text.size()) s += "...";
  return s;
}

}  // namespace base
