// What a study reports of its pumping wells and of its grid beside them: the
// drawdown in each well at its radius, and the grid's largest drawdown and
// largest rise over the nodes farther than one spacing from every well, where
// the grid's value no longer depends on how near a node happens to lie.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "scenario/evaluation.h"
#include "scenario/scenario.h"

namespace scenario {

/// The drawdown in feet in well `well` at day t: its own terms at its radius,
/// the other wells' terms at its position; by the study's well function (the
/// rule at the node-unit positions, its own terms at single(radius)). Below 0
/// it is a rise.
double well_drawdown(const Scenario& s, const Evaluation& how, std::size_t well, double t);

/// well_drawdown with the terms of day t given (terms_at(s, t)).
double well_drawdown_of(const Scenario& s, const Evaluation& how, std::size_t well, double t, std::span<const Term> terms);

/// The most well-term evaluations the wells' table makes over all times.
inline constexpr double kMostWellEvaluations = 20'000'000.0;

/// Whether the summary lists the drawdown in each well: the wells times the
/// terms, summed over the times, are at most kMostWellEvaluations.
bool lists_well_drawdowns(const Scenario& s);

/// well_drawdown of every well at every time of the study: values[well][time].
std::vector<std::vector<double>> well_drawdowns(const Scenario& s, const Evaluation& how);

/// The table of the wells for the summary: a row per well and time, its
/// drawdown at its radius ("12.34 drawdown") or its rise ("3.21 rise"). LF
/// line ends.
std::string well_table_text(const Scenario& s, const std::vector<std::vector<double>>& values);

/// One node's value.
struct NodeValue {
  bool found = false;
  float value = 0.0f;
  std::int32_t c = 0, r = 0;  ///< columns from the left, rows from the bottom, from 1
};

/// A grid's extremes away from the wells.
struct GridExtremes {
  NodeValue drawdown;  ///< the largest cell above 0
  NodeValue rise;      ///< the most negative cell
};

/// The extremes of `DD` over the nodes of the study's grid farther than one
/// spacing from every well (the first of equal values, rows from the bottom
/// and columns from the left); cells that are not finite are passed over.
GridExtremes grid_extremes(const engine::DrawdownGrid& DD, const Scenario& s);

/// The grid's table for the summary: per time the largest drawdown away from
/// the wells with its map place and node, and the largest rise when a grid
/// has one. LF line ends.
std::string grid_table_text(const Scenario& s, std::span<const GridExtremes> extremes);

}  // namespace scenario
