// The partial file of a slice of an ensemble: realizations FROM to TO-1 of a
// study, each outcome's numbers written exactly (hexadecimal floating point,
// which reads back to the same bits), so that slices merged answer exactly as
// the whole run.
//
//   leaky-drawdown realizations 1
//   study <the study's inputs' fingerprint>
//   seed <seed>
//   ensemble <realizations>
//   slice <from> <to>
//   shape <limits> <receptors> <days>
//   <index> <T> <S> <c> <rate factor> <exceeded: a 0 or 1 per limit, or -> <drawdown>...
//   exceedance <times> <nodes>        (only with a probability grid)
//   <count> ... a line per time, a count per node
//   end
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "uncertainty/ensemble.h"
#include "uncertainty/exceedance.h"

namespace uncertainty {

/// A slice of an ensemble as its partial file holds it.
struct Part {
  std::string study;  ///< what identifies the study's inputs (no blanks), the same in every slice
  std::uint64_t seed = 0;
  std::size_t realizations = 0;  ///< the whole ensemble's
  std::size_t from = 0, to = 0;  ///< the slice: realizations from .. to - 1
  Shape shape;
  std::vector<Outcome> outcomes;  ///< to - from, in index order
  std::optional<Exceedance> exceedance;  ///< the slice's exceedance counts, with a probability grid
};

/// A partial file that cannot be read, or slices that do not make an
/// ensemble: `line` 0 when it is not one line's fault.
struct PartError {
  std::size_t line = 0;
  std::string what;
};

/// The partial file's text. LF line ends.
std::string part_text(const Part& p);

/// The part `text` holds, checked: every outcome of the slice once, in
/// order, of the stated shape, each number finite (a rate factor may be
/// infinity) and each aquifer's values above 0 (leakance 0 or more).
/// Throws PartError.
Part read_part(std::string_view text);

/// The outcomes of the whole ensemble from its slices (any order): they must
/// share the study, seed, size and shape and cover every realization exactly
/// once. Throws PartError naming the fault (`line` 0).
std::vector<Outcome> merge_parts(std::vector<Part> parts);

/// The slices' exceedance counts summed (any order), or nothing when no
/// slice has them. Throws PartError (`line` 0) when some slices have them and
/// others not, or their sizes differ.
std::optional<Exceedance> merge_exceedance(const std::vector<Part>& parts);

}  // namespace uncertainty
