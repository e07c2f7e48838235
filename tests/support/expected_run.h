// Expected console logs and report blocks of a run, built line by line from
// the program's fixed layouts, for whole-file comparisons.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

using Lines = std::vector<std::string>;

/// The console log up to and including the two grid-count prompts.
Lines console_until_counts();

/// The console log of the parameter dialogue, from the corner prompt to the
/// number-of-wells prompt.
Lines console_parameters();

/// The five console lines asked for one well.
Lines console_well();

/// The answers of an input file, one per line.
struct Answers {
  std::string NX = "3", NY = "2", XLL = "1000", YLL = "2000", T = "10000", LEAK = "0.001",
              S = "0.0001", TIME = "1", SPACING = "100", NDEC = "2", NWELL = "1";
  std::vector<std::string> wells = {"2", "1", "144000"};  ///< x, y, q per well
  /// The input file text.
  std::string text() const;
};

/// The 25 records of the input summary; each field is the text expected in it.
Lines summary_block(const std::string& nx_i6, const std::string& ny_i5, const std::string& t_f12,
                    const std::string& leak_f12, const std::string& s_f12, const std::string& time_f12,
                    const std::string& spacing_i12);

/// The summary of the worked example (3 x 2 nodes, T 10000, LEAK 0.001, S 0.0001,
/// TIME 1, SPACING 100).
Lines worked_summary();

/// A well line and its empty record; fields as expected (F9.2, F9.2, F14.2).
Lines well_line(const std::string& x_f9, const std::string& y_f9, const std::string& q_f14);

/// The continuation header of the well table.
Lines continuation_header();

/// The notices and the 20 empty records before the map.
Lines notices_and_spacing();

/// The column-number line for nx columns (without the records after it).
std::string column_numbers(int nx);

/// The axis label block.
Lines axis_label();

/// The raster header.
Lines raster_header(const std::string& nx_i6, const std::string& ny_i6, const std::string& xll_i12,
                    const std::string& yll_i12, const std::string& cellsize_i10);

/// Appends `more` to `lines`.
void append(Lines& lines, const Lines& more);

}  // namespace testing_support
