// An ensemble of realizations of a scenario, each with its own aquifer: per
// realization, whether each limit is exceeded at any moment up to the last day
// (the compliance's exact search), the plan's rate factor and the receptors'
// drawdowns at the series days; and what the ensemble answers from them.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "scenario/compliance.h"
#include "scenario/evaluation.h"
#include "scenario/scenario.h"
#include "uncertainty/realizations.h"

namespace uncertainty {

/// What one realization answers.
struct Outcome {
  std::size_t index = 0;  ///< the realization's index in the ensemble
  scenario::Aquifer aquifer;
  double rate_factor = 0.0;  ///< the largest factor every limit bears (infinity: no drawdown; without limits, infinity)
  /// Per entry of the compliance (the receptors with limits, then the streams
  /// with depletion limits): 1 when its limit is exceeded, else 0.
  std::vector<std::uint8_t> exceeded;
  /// The drawdown at each receptor and series day: [receptor * days + day].
  std::vector<float> series;
};

/// The sizes every outcome of an ensemble of one scenario has.
struct Shape {
  std::size_t limits = 0;     ///< compliance entries
  std::size_t receptors = 0;  ///< receptors
  std::size_t days = 0;       ///< series days
  bool operator==(const Shape&) const = default;
};

/// The shape of the outcomes of scenario `s`.
Shape shape_of(const scenario::Scenario& s);

/// The outcome of `s` with aquifer `a`: compliance_of and receptor_series of
/// the scenario with that aquifer.
Outcome realize(const scenario::Scenario& s, const scenario::Evaluation& how, const scenario::Aquifer& a);

/// The outcomes of realizations [from, to) of `settings`, in index order, made on
/// `threads` threads (the same numbers on any number of threads). `done`,
/// when given, counts the realizations as they finish (from any thread).
std::vector<Outcome> run(const scenario::Scenario& s, const scenario::Evaluation& how, const Draws& settings,
                         std::size_t from, std::size_t to, int threads, std::atomic<std::uint64_t>* done = nullptr);

/// What an ensemble answers.
struct Summary {
  std::size_t realizations = 0;
  std::vector<double> probability;  ///< per compliance entry: the share of realizations that exceed its limit
  std::vector<double> standard_error;  ///< its Monte Carlo standard error, sqrt(p (1 - p) / n)
  /// Per receptor and series day ([receptor * days + day]): the drawdown's
  /// 5th, 50th and 95th percentiles (percentile()).
  std::vector<std::array<double, 3>> percentiles;
  double reliable_factor = 0.0;  ///< factor_at_reliability of the outcomes' rate factors
};

/// The summary of the outcomes of a whole ensemble (any order), each of shape `shape`.
Summary summarize(std::span<const Outcome> outcomes, const Shape& shape, double reliability);

/// The p-th percentile (p in [0, 1]) of increasing `sorted` (not empty), by
/// linear interpolation between order statistics: at rank h = (n - 1) p,
/// x[floor h] + (h - floor h) (x[floor h + 1] - x[floor h]) (Hyndman and
/// Fan's definition 7, the usual default).
double percentile(std::span<const double> sorted, double p);

/// The rate factor at reliability r: the largest factor f that at least the
/// share r of the realizations bear (factor >= f). With the n factors
/// increasing f_1 <= ... <= f_n and m = ceil(r n) (the realizations that must
/// bear it), it is f_(n - m + 1): the (1 - r)-quantile taken as an order
/// statistic, never interpolated, so that exactly m or more realizations keep
/// every limit at that factor. `factors` not empty, r in (0, 1).
double factor_at_reliability(std::vector<double> factors, double r);

}  // namespace uncertainty
