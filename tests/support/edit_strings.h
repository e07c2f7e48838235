// The edit functions of recio/numeric_edit.h with a string result, for the
// tests and the fuzz targets (the program writes into its records in place).
#pragma once

#include <cstdint>
#include <string>

#include "recio/numeric_edit.h"

namespace testing_support {

namespace detail {

// A field of `width` blanks, written by edit(out); `overflowed` set when edit
// says it holds asterisks.
template <class Edit>
std::string edited(int width, bool* overflowed, Edit edit) {
  std::string s(static_cast<std::size_t>(width), ' ');
  const bool ok = edit(s.data());
  if (overflowed != nullptr) *overflowed = !ok;
  return s;
}

}  // namespace detail

/// recio::edit_integer as a string of `width` characters; `overflowed` set
/// when it holds asterisks.
inline std::string edit_integer(int width, std::int32_t v, bool* overflowed = nullptr) {
  return detail::edited(width, overflowed, [&](char* out) { return recio::edit_integer(out, width, v); });
}

/// recio::edit_fixed as a string of `width` characters; `overflowed` set
/// when it holds asterisks.
inline std::string edit_fixed(int width, int decimals, float x, bool* overflowed = nullptr) {
  return detail::edited(width, overflowed,
                        [&](char* out) { return recio::edit_fixed(out, width, decimals, x); });
}

}  // namespace testing_support
