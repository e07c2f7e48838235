// Fuzz target: the partial file of a slice of an ensemble. Any bytes are
// either refused with a PartError or read into a part whose text reads back
// to the same part (the same text, every number to its bits); a part that
// covers its whole ensemble merges into its outcomes in order, and its
// exceedance counts, when it has them, into themselves.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "uncertainty/partial_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  uncertainty::Part part;
  try {
    part = uncertainty::read_part(text);
  } catch (const uncertainty::PartError& e) {
    leaky_fuzz::check(!e.what.empty(), "a refusal says why");
    return 0;
  }
  leaky_fuzz::check(part.outcomes.size() == part.to - part.from, "every realization of the slice is read");
  const std::string written = uncertainty::part_text(part);
  uncertainty::Part again;
  try {
    again = uncertainty::read_part(written);
  } catch (const uncertainty::PartError& e) {
    leaky_fuzz::check(false, "a part's own text is read", e.what);
  }
  leaky_fuzz::check(uncertainty::part_text(again) == written, "a part's text reads back to the same part");
  if (part.from == 0 && part.to == part.realizations) {
    const auto all = uncertainty::merge_parts({part});
    for (std::size_t i = 0; i < all.size(); ++i) leaky_fuzz::check(all[i].index == i, "merged in index order");
    leaky_fuzz::check(uncertainty::merge_exceedance({part}) == part.exceedance, "one slice's counts merge to themselves");
  }
  return 0;
}
