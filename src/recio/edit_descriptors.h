// Edit-descriptor lists: the fixed record layouts, written in their own
// notation and turned into descriptor tables at compile time.
//
//   constexpr auto kWellLine = R"fmt(9X F9.2 6X F9.2 5X F14.2 /)fmt"_fmt;
//
// Notation: a literal in double quotes ("" inside stands for one quote), nX,
// rIw, rFw.d, /, $ and r( ... ), separated by blanks or commas; a repeat count
// r of 1 may be left out. A malformed list does not compile.
//
// The raw-string delimiter (fmt above) is needed by any list with a literal
// that holds )" -- "Q(GPD)", "(CONTINUED)" -- which would end R"( ... )" early.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace recio {

/// The kinds of edit descriptor.
enum class Op : std::uint8_t {
  kLiteral,     ///< "text": puts text at the current column
  kSkip,        ///< nX: moves the current column n places
  kSlash,       ///< /: sends the record, starts a new one
  kDollar,      ///< $: the next record sent ends without CR LF
  kGroupOpen,   ///< r( : start of a group repeated r times
  kGroupClose,  ///< ) : end of the group opened at `partner`
  kInteger,     ///< Iw: a 32-bit integer in w columns
  kFixed,       ///< Fw.d: a single value in w columns with d decimals
};

/// One edit descriptor; repeat counts of I and F are expanded by the writer.
struct Descriptor {
  Op op = Op::kSlash;
  int repeat = 1;     ///< r of rIw, rFw.d and r( ... ); n of nX
  int width = 0;      ///< w of Iw and Fw.d
  int decimals = 0;   ///< d of Fw.d
  int text_begin = 0; ///< literal: first character in the list's text pool
  int text_size = 0;  ///< literal: its length
  int partner = -1;   ///< group open: index of its close, and the reverse
};

/// A compiled list as the writer walks it.
struct FormatView {
  const Descriptor* items = nullptr;  ///< the descriptors in list order
  int size = 0;                       ///< number of descriptors
  const char* text = nullptr;         ///< the pool holding every literal's characters
};

/// A compiled list with its own storage, made by the _fmt literal.
template <std::size_t N, std::size_t L>
struct Format {
  std::array<Descriptor, N> items{};
  std::array<char, L> text{};
  /// The list as the writer takes it.
  constexpr operator FormatView() const {
    return FormatView{items.data(), static_cast<int>(N), text.data()};
  }
};

namespace detail {

inline constexpr std::size_t kMaxDescriptors = 256;
inline constexpr std::size_t kMaxText = 2048;

struct Parsed {
  std::array<Descriptor, kMaxDescriptors> items{};
  std::array<char, kMaxText> text{};
  std::size_t size = 0;
  std::size_t text_size = 0;
};

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads an unsigned decimal number at `pos`; fails to compile when there is none.
consteval int number(std::string_view s, std::size_t& pos) {
  if (pos >= s.size() || !is_digit(s[pos])) throw "edit descriptor: number expected";
  long v = 0;
  while (pos < s.size() && is_digit(s[pos])) {
    v = v * 10 + (s[pos++] - '0');
    if (v > 1000000) throw "edit descriptor: number too large";
  }
  return static_cast<int>(v);
}

consteval Parsed parse(std::string_view s) {
  Parsed p;
  int open_groups[16] = {};
  int depth = 0;
  auto add = [&](Descriptor d) {
    if (p.size == kMaxDescriptors) throw "edit descriptor: list too long";
    p.items[p.size++] = d;
  };
  std::size_t pos = 0;
  while (pos < s.size()) {
    char c = s[pos];
    if (c == ' ' || c == ',' || c == '\n' || c == '\t') { ++pos; continue; }
    if (c == '"') {
      Descriptor d{.op = Op::kLiteral, .text_begin = static_cast<int>(p.text_size)};
      ++pos;
      for (;;) {
        if (pos >= s.size()) throw "edit descriptor: unterminated literal";
        if (s[pos] == '"') {
          if (pos + 1 < s.size() && s[pos + 1] == '"') { pos += 1; } else { ++pos; break; }
        }
        if (p.text_size == kMaxText) throw "edit descriptor: literals too long";
        p.text[p.text_size++] = s[pos++];
      }
      d.text_size = static_cast<int>(p.text_size) - d.text_begin;
      if (d.text_size == 0) throw "edit descriptor: empty literal";
      add(d);
      continue;
    }
    if (c == '/') { add({.op = Op::kSlash}); ++pos; continue; }
    if (c == '$') { add({.op = Op::kDollar}); ++pos; continue; }
    if (c == ')') {
      if (depth == 0) throw "edit descriptor: unbalanced )";
      int open = open_groups[--depth];
      p.items[open].partner = static_cast<int>(p.size);
      add({.op = Op::kGroupClose, .partner = open});
      ++pos;
      continue;
    }
    int repeat = 1;
    bool counted = false;
    if (is_digit(c)) { repeat = number(s, pos); counted = true; }
    if (counted && repeat < 1) throw "edit descriptor: count must be at least 1";
    if (pos >= s.size()) throw "edit descriptor: descriptor expected after a count";
    c = s[pos++];
    if (c == 'X') {
      if (!counted) throw "edit descriptor: X needs a count";
      add({.op = Op::kSkip, .repeat = repeat});
    } else if (c == '(') {
      if (depth == 16) throw "edit descriptor: groups nested too deep";
      open_groups[depth++] = static_cast<int>(p.size);
      add({.op = Op::kGroupOpen, .repeat = repeat});
    } else if (c == 'I') {
      int w = number(s, pos);
      if (w < 1) throw "edit descriptor: width must be at least 1";
      add({.op = Op::kInteger, .repeat = repeat, .width = w});
    } else if (c == 'F') {
      int w = number(s, pos);
      if (pos >= s.size() || s[pos] != '.') throw "edit descriptor: F needs w.d";
      ++pos;
      int d = number(s, pos);
      if (w < 1) throw "edit descriptor: width must be at least 1";
      add({.op = Op::kFixed, .repeat = repeat, .width = w, .decimals = d});
    } else {
      throw "edit descriptor: unknown descriptor";
    }
  }
  if (depth != 0) throw "edit descriptor: unbalanced (";
  return p;
}

template <std::size_t N>
struct ListText {
  char chars[N]{};
  consteval ListText(const char (&s)[N]) {
    for (std::size_t i = 0; i < N; ++i) chars[i] = s[i];
  }
  constexpr std::string_view view() const { return {chars, N - 1}; }
};

}  // namespace detail

/// Compiles an edit-descriptor list at compile time: R"fmt(1X I4 1X 300F6.2 / /)fmt"_fmt.
template <detail::ListText S>
consteval auto operator""_fmt() {
  constexpr detail::Parsed p = detail::parse(S.view());
  Format<(p.size > 0 ? p.size : 1), (p.text_size > 0 ? p.text_size : 1)> f{};
  for (std::size_t i = 0; i < p.size; ++i) f.items[i] = p.items[i];
  for (std::size_t i = 0; i < p.text_size; ++i) f.text[i] = p.text[i];
  if constexpr (p.size == 0) throw "edit descriptor: empty list";
  return f;
}

}  // namespace recio
