// The pumping-test file reader: TOML in the study's style (with toml++) and
// the observation files it names, every value checked, each refusal one line
// naming the file and the line.
#pragma once

#include <string>
#include <string_view>

#include "fit/pumping_test.h"
#include "inputs/input_error.h"
#include "inputs/read_file.h"

namespace fit {

/// Why a test cannot be fitted: one line, without the program's name,
/// starting with the file and line it concerns ("test.toml:12: ..."), as the
/// study reader refuses a study.
using TestFileError = inputs::InputError;

/// The pumping test that `text`, the contents of the test file `file`,
/// states, converted to the program's units. Observation files are relative
/// to the test file's folder and read through `read`. Throws TestFileError.
PumpingTest read_test(std::string_view text, const std::string& file, const inputs::ReadFile& read);

/// read_test of the file `file`, read from the file system.
PumpingTest read_test_file(const std::string& file);

}  // namespace fit
