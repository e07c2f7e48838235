// The files a study writes: their names and places, the receptor series CSV,
// and the check that no output replaces an input or another output.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "maps/esri_grid.h"
#include "study/study.h"

namespace study {

/// The shortest text that reads back as exactly `v`, as a single or as a
/// double rounded to single ("7.25", "3.4769957"); "nan", "inf" or "-inf" for
/// a value that is not finite.
std::string single_text(float v);

/// The shortest text that reads back as exactly `v` ("30", "0.5", "2151050.25").
std::string double_text(double v);

/// The name of the grid file of time t: the [output] grid name, with
/// "_<days>d" before its ending when the study has several times
/// ("drawdown.asc" at 30 days: "drawdown_30d.asc").
std::string grid_file_name(const Study& s, double t);

/// `name` in the output folder.
std::string output_path(const Study& s, const std::string& name);

/// One file the study writes: what it is ("the grid file", ...) and its path.
struct OutputFileName {
  std::string what;
  std::string path;
};

/// Every file the study writes, in the order it writes them: the grid file of
/// each time, the series, the hydrographs.
std::vector<OutputFileName> output_files(const Study& s);

/// Why the outputs cannot be written as named (one line: an output that is an
/// input file or names the same file as another output), or nothing.
std::optional<std::string> output_clash(const Study& s);

/// Where the study's grid lies on the map, for its ESRI ASCII grid files.
maps::EsriFrame esri_frame_of(const Study& s);

/// The series CSV: the header name,x,y,days,drawdown_ft, then one row per
/// receptor and time (receptor by receptor, times in order); values[i][k] is
/// receptor i's drawdown at times[k]. LF line ends.
std::string series_text(const Study& s, std::span<const double> times,
                        const std::vector<std::vector<float>>& values);

}  // namespace study
