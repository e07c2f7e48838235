// TOML text as the program's readers hand it to toml++, whose version here
// cannot take every character beyond ASCII outside strings: those characters
// are moved into a private-use range before parsing and back in the texts
// read out.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace inputs {

/// `text` with every character from U+00A0 to U+FEFF moved to the private-use
/// characters from U+F0000 on, which the TOML library takes like letters.
std::string shifted_for_toml(std::string_view text);

/// A text read out of the TOML library with those characters moved back.
std::string shifted_back(std::string_view text);

/// The byte offset of the first private-use character of the moved range, or
/// of an escape that could give one, in `text` (such a file is refused); npos
/// when there is none.
std::size_t private_use(std::string_view text);

}  // namespace inputs
