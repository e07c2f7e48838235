// The files a study writes: its outputs as the outputs' request, the grids of
// its times as the map outputs take them, the receptor series CSV.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "pictures/plot.h"
#include "outputs/request.h"
#include "study/study.h"

namespace study {

/// The study's outputs as the outputs' request: its [output] names and
/// settings, whether it has a CRS, its times, its output folder.
outputs::Request request_of(const Study& s);

/// Whether an output takes the grids of all times together (a GeoTIFF, the
/// contour layer, the pictures, which share one colour scale), so that the
/// study keeps a grid per time rather than one.
bool keeps_every_grid(const Study& s);

/// The grids a study keeps while it runs: one per time when keeps_every_grid,
/// else one.
std::size_t grids_kept(const Study& s);

/// The wells as the outputs made from a grid show them at time t, in study
/// order: each at its node-unit position, with the rate its schedule gives
/// from the last step before t on (0 before its first step).
std::vector<engine::Well> wells_at(const Study& s, double t);

/// The grid `DD` of time t as the outputs take it: the study's frame, the
/// aquifer in single precision, TIME single(t), and `wells` (wells_at(s, t)),
/// which the caller keeps.
engine::EvaluatedGrid evaluated_grid(const Study& s, double t, const engine::DrawdownGrid& DD,
                                     std::span<const engine::Well> wells);

/// The pictures' settings: the [output] levels, range, page and dpi, the
/// study's title as the input's name, the wells' names, the receptors as
/// named markers, and one colour scale for all `times` (the study's grids).
pictures::PlotOptions plot_options(const Study& s, std::span<const engine::EvaluatedGrid> times);

/// The series CSV: the header name,x,y,days,drawdown_ft, then one row per
/// receptor and time (receptor by receptor, times in order); values[i][k] is
/// receptor i's drawdown at times[k]. LF line ends.
std::string series_text(const Study& s, std::span<const double> times,
                        const std::vector<std::vector<float>>& values);

}  // namespace study
