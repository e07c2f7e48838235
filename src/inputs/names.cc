#include "inputs/names.h"

#include <algorithm>
#include <cctype>
#include <limits>
#include <vector>

#include "base/printable.h"

namespace inputs {
namespace {

std::string lower(std::string_view s) {
  std::string l(s);
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l;
}

}  // namespace

std::string name_fault(std::string_view text) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    const base::Utf8Character u = base::utf8_character(text.substr(i));
    if (u.length == 0) return "is not UTF-8 text (byte " + base::printable_name(text.substr(i, 1)) + ")";
    if (base::is_control(u.code))
      return "holds a control character (" + base::printable_name(text.substr(i, u.length)) + ")";
    i += u.length;
  }
  if (characters > kLongestName)
    return "is longer than " + std::to_string(kLongestName) + " characters (" + std::to_string(characters) + ")";
  return "";
}

std::size_t edit_distance(std::string_view a, std::string_view b) {
  std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
  for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i)
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[a.size()][b.size()];
}

std::string_view nearest_key(std::string_view key, std::span<const std::string_view> known) {
  const std::string a = lower(key);
  std::string_view best;
  std::size_t best_distance = std::numeric_limits<std::size_t>::max();
  for (std::string_view candidate : known) {
    const std::size_t distance = edit_distance(a, lower(candidate));
    if (distance < best_distance) {
      best_distance = distance;
      best = candidate;
    }
  }
  return best;
}

}  // namespace inputs
