// A study as its file states it: the scenario (the aquifer, a grid in map
// coordinates, named wells with rate schedules, receptors, boundaries, the
// times of interest), its title and CRS, and the outputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "allocation/allocation.h"
#include "base/calendar.h"
#include "outputs/request.h"
#include "scenario/scenario.h"
#include "uncertainty/realizations.h"

namespace study {

/// The scenario's names, as a study's code uses them.
using scenario::Aquifer;
using scenario::Boundary;
using scenario::BoundaryKind;
using scenario::Grid;
using scenario::Receptor;
using scenario::Step;
using scenario::Units;
using scenario::Well;
using scenario::WellFunction;
using scenario::node_position;

/// What a study writes, and how it evaluates: the outputs' request as its
/// [output] table states it (the folder where the files go, as shown:
/// `relative` in `base`, or --output-folder; the pictures' page and dpi only
/// when given), and what only a study has.
struct Output : outputs::Request {
  Output() { folder = "."; }
  std::string base = ".";     ///< the study file's folder, which holds the output folder
  std::string relative = ".";  ///< the output folder below `base` (inside it)
  bool folder_given = false;   ///< `folder` is the command line's, taken as given
  WellFunction well_function = WellFunction::exact;
  bool exceedance_status = false;  ///< a limit exceeded ends the study with base::kExitExceeded
  std::optional<bool> log_time;    ///< the hydrographs' time axis, `time_axis` (none: study/memo.h's default)
  std::optional<double> probability_level;  ///< the drawdown the probability grid's shares are above, the study's length unit
};

/// A whole study, checked: the scenario as scenario::Scenario states it, and
/// what the study file adds.
struct Study : scenario::Scenario {
  std::string file;   ///< the study file, as named on the command line
  std::string title;  ///< the title, or the study file's name without its folder
  std::string crs;    ///< the coordinate reference system as given ("" : none)
  std::vector<std::string> inputs;  ///< the files read: the study file and its CSV files
  std::vector<std::string> input_digests;  ///< the SHA-256 of each input as read (hex; filled by read_study_file)
  Output output;
  std::vector<std::string> notes;  ///< what the reader warns of ("receptors.csv:1: the column ... is not read")
  std::optional<uncertainty::Draws> uncertainty;  ///< [uncertainty]: the aquifer's realizations (none: one aquifer)
  std::optional<allocation::Request> allocation;  ///< the [allocation] table and each well's part (none: not asked)
  std::optional<base::Date> start_date;  ///< the date pumping began (`start_date`): the tables' dates
  std::string aquifer_from;        ///< the fit file [aquifer] takes its values from ("": given in the study)
};

}  // namespace study
