// A study's uncertainty ([uncertainty]): its ensemble run here on threads, or
// a slice of it written to a partial file (--realizations FROM:TO --part
// PART), or the slices merged (--merge PART...); and what the ensemble adds
// to the study's outputs: the compliance CSV's probability columns, the series
// CSV's percentiles, the hydrographs' band, the summary's lines, the manifest's
// seed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "scenario/compliance.h"
#include "scenario/evaluation.h"
#include "study/study.h"
#include "uncertainty/ensemble.h"
#include "uncertainty/exceedance.h"

namespace study {

/// How the command line runs a study's ensemble.
struct EnsembleOptions {
  std::optional<std::pair<std::size_t, std::size_t>> slice;  ///< --realizations FROM:TO
  std::optional<std::string> part;    ///< --part PART: the slice's partial file
  std::vector<std::string> merge;     ///< --merge PART...: the slices to combine
};

/// What the ensemble answers, for the outputs.
struct Uncertain {
  uncertainty::Summary summary;
  uncertainty::Shape shape;
  std::optional<uncertainty::Exceedance> exceedance;  ///< the probability grid's counts, when the study maps it
};

/// What identifies a study's inputs in its partial files: the SHA-256 of its
/// inputs' SHA-256s.
std::string study_fingerprint(const Study& s);

/// Why `o` does not fit study `s` (one line), or "".
std::string ensemble_options_fault(const Study& s, const EnsembleOptions& o);

/// The ensemble's answers: its realizations run here, or merged from the
/// partial files of `o.merge`. Throws StudyError when a partial file cannot
/// be read or the slices do not make the study's ensemble.
Uncertain ensemble_answers(const Study& s, const scenario::Evaluation& how, const EnsembleOptions& o, bool terminal);

/// Runs the slice of `o` and writes its partial file; "" or why it was not written.
std::string write_slice(const Study& s, const scenario::Evaluation& how, const EnsembleOptions& o, bool terminal);

/// The compliance CSV `csv` with the columns probability_exceeded and
/// probability_se appended to the header and to each row (a row per
/// compliance entry, in order).
std::string with_probabilities(const std::string& csv, const Uncertain& u);

/// The series CSV (series_text) with the columns p05, p50 and p95 appended.
std::string series_with_percentiles(const Study& s, const std::vector<double>& times,
                                    const std::vector<std::vector<float>>& values, const Uncertain& u);

/// The summary's lines of the ensemble: the realizations and seed, each
/// limit's probability of being exceeded, the rate factor at the reliability
/// beside the one aquifer's. LF line ends.
std::string uncertainty_text(const Study& s, const Uncertain& u, const std::optional<scenario::Compliance>& c);

/// The manifest's record of the ensemble (a JSON object), or "" without one.
std::string uncertainty_manifest(const Study& s);

}  // namespace study
