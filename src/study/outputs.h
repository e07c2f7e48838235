// The files a study writes: their names and places, the grids of its times as
// the map outputs take them, the receptor series CSV, and the check that no
// output replaces an input or another output.
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

/// The shortest text that reads back as exactly `v`, as a single or as a
/// double rounded to single ("7.25", "3.4769957"); "nan", "inf" or "-inf" for
/// a value that is not finite.
std::string single_text(float v);

/// The name of the file of time t of a file written once per time: `name`,
/// with "_<days>d" before its ending when the study has several times
/// ("drawdown.asc" at 30 days: "drawdown_30d.asc").
std::string time_file_name(const Study& s, const std::string& name, double t);

/// The study's outputs as the outputs' request: its [output] names, whether
/// it has a CRS, its times.
outputs::Request request_of(const Study& s);

/// Whether the grid is one ESRI ASCII grid per time (else one GeoTIFF, a band
/// per time).
bool grid_per_time(const Study& s);

/// The name of the grid file of time t: time_file_name of the [output] grid
/// name for an ESRI ASCII grid; a GeoTIFF's name as given, whatever the time.
std::string grid_file_name(const Study& s, double t);

/// `name` in the output folder.
std::string output_path(const Study& s, const std::string& name);

/// One file the study writes: what it is ("the grid file", ...), its name in
/// the output folder, and its path (output_path of the name).
struct OutputFileName {
  std::string what;
  std::string name;
  std::string path;
};

/// Every file the study writes, in the order it writes them: the grid file of
/// each time (with its .prj when the study has a CRS) or the one GeoTIFF, the
/// contour layer's files, the picture of each time, the series, the
/// hydrographs.
std::vector<OutputFileName> output_files(const Study& s);

/// Why the outputs cannot be written as named (one line: an output that is an
/// input file or names the same file as another output), or nothing.
std::optional<std::string> output_clash(const Study& s);

/// Whether an output takes the grids of all times together (a GeoTIFF, the
/// contour layer, the pictures, which share one colour scale), so that the
/// study keeps a grid per time rather than one.
bool keeps_every_grid(const Study& s);

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
