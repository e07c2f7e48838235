// Study files for the tests: a small good one, and the study written from the
// bundled example of the input-file run.
#pragma once

#include <map>
#include <string>

#include "study/reader.h"

namespace study_testing {

/// A small study: two times, a 4 x 3 grid, one well, one receptor, a grid
/// file and a series (line numbers matter to the refusal tests: the
/// [aquifer] table starts on line 4, [grid] on 9, [[well]] on 16,
/// [[receptor]] on 22, [output] on 27).
inline const std::string kSmallStudy = R"(title = "small"
times = [30.0, 90.0]

[aquifer]
transmissivity = 50000.0
leakance = 0.001
storage = 0.0002

[grid]
xll = 2150000.0
yll = 720000.0
spacing = 100
columns = 4
rows = 3

[[well]]
name = "PW-1"
x = 2150150.0
y = 720150.0
rate = 250000.0

[[receptor]]
name = "R-1"
x = 2150250.0
y = 720150.0

[output]
folder = "out"
grid = "drawdown.asc"
series = "series.csv"
)";

/// `text` with the first `from` replaced by `to` (the test fails when `from`
/// is missing).
std::string edited(const std::string& text, const std::string& from, const std::string& to);

/// The study `text` as the file "study.toml", its CSV files taken from `files`.
study::Study read_text(const std::string& text, const std::map<std::string, std::string>& files = {});

/// The source folder's examples/wellfield.dat.
std::string bundled_example();

/// The study equivalent to a input-file run's input file: its grid, aquifer and
/// time, each well at map (XLL + x SPACING, YLL + y SPACING) so that its
/// node-unit position is the same, and no outputs. `extra` is appended.
std::string study_of_input_file_run(const std::string& input, const std::string& extra = "");

}  // namespace study_testing
