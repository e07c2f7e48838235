// A study as its file states it: the aquifer, a grid in map coordinates, named
// wells with rate schedules, receptors, the times of interest and the outputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pictures/plot.h"
#include "study/boundaries.h"
#include "study/study_units.h"

namespace study {

/// One step of a well's schedule: from `day` on, the well pumps `rate`
/// gallons per day (negative: injection) as the engine takes them (see
/// study_units.h: gallons per day in a study in feet).
struct Step {
  double day = 0.0;
  double rate = 0.0;
};

/// A well: its name, its place in map coordinates (the study's length unit,
/// as are all lengths below: feet by default) and its schedule,
/// whose days increase; a plain rate is one step at day 0.
struct Well {
  std::string name;
  double x = 0.0, y = 0.0;
  std::vector<Step> steps;
  double radius = 1.0;  ///< the well's radius, above 0: where its own drawdown is reported
};

/// A point where the drawdown is followed over time.
struct Receptor {
  std::string name;
  double x = 0.0, y = 0.0;
  std::optional<double> limit;  ///< the largest drawdown allowed there, above 0 (none: no limit)
};

/// The aquifer, in the engine's units (study_units.h): in a study in feet,
/// the input-file run's.
struct Aquifer {
  double transmissivity = 0.0;  ///< gallons per day per foot, above 0
  double leakance = 0.0;        ///< gallons per day per cubic foot, 0 or more (0: no leakage)
  double storage = 0.0;         ///< storage coefficient, above 0
};

/// The grid in map coordinates: node (c, r), c = 1 .. columns, r = 1 .. rows,
/// is the centre of its cell, at (xll + (c - 1/2) spacing, yll + (r - 1/2) spacing).
struct Grid {
  double xll = 0.0, yll = 0.0;  ///< lower-left corner of the lower-left cell, feet
  std::int32_t spacing = 0;     ///< side of a cell, whole feet (whole metres in a metric study), 1 or more
  std::int32_t columns = 0;     ///< nodes in x, 1 or more
  std::int32_t rows = 0;        ///< nodes in y, 1 or more
};

/// Which well function a study evaluates.
enum class WellFunction {
  rule,   ///< the program's fixed integration rule: the input-file run's numbers, bit for bit
  exact,  ///< the true integral, each node's terms summed in double and rounded to single once (default)
};

/// What a study writes, and how it evaluates.
struct Output {
  std::string base = ".";     ///< the study file's folder, which holds the output folder
  std::string relative = ".";  ///< the output folder below `base` (inside it)
  std::string folder = ".";    ///< where the files go, as shown: `relative` in `base`, or --output-folder
  bool folder_given = false;   ///< `folder` is the command line's, taken as given
  std::string grid;     ///< grid name ("" : none): a .tif holds every time, a .asc one (see outputs::time_file_name)
  std::string contours; ///< contour layer name, .gpkg/.geojson/.shp, every time in one layer ("" : none)
  std::vector<std::string> plots;  ///< map picture names, .png/.svg/.pdf, each one per time (none: no picture)
  std::vector<double> levels;  ///< contour levels in feet, increasing (empty: round ones)
  std::optional<std::pair<double, double>> range;  ///< the pictures' colour range (none: from the grids)
  pictures::PlotPage page = pictures::PlotPage::kOwnSize;  ///< the page of a .pdf picture
  int dpi = pictures::kDefaultDpi;                     ///< pixels per inch of a .png picture
  std::string series;   ///< receptor series CSV name ("" : none)
  std::string hydrographs;  ///< picture name, .png/.svg/.pdf ("" : none)
  std::vector<double> series_times;  ///< days of the series and the hydrographs, increasing
  WellFunction well_function = WellFunction::exact;
  std::string compliance;  ///< the compliance table's CSV name ("" : none); needs receptors with limits
  std::string points;      ///< the wells and receptors as point layers, a .gpkg name ("" : none)
  bool exceedance_status = false;  ///< a limit exceeded ends the study with base::kExitExceeded
};

/// A whole study, checked: every number finite, every name unique, the days of
/// every schedule and of the times increasing.
struct Study {
  std::string file;   ///< the study file, as named on the command line
  std::string title;  ///< the title, or the study file's name without its folder
  std::string crs;    ///< the coordinate reference system as given ("" : none)
  StudyUnits units;   ///< the units the study is written in (default: feet and gallons)
  std::vector<double> times;  ///< days since pumping began, increasing, above 0
  Aquifer aquifer;
  Grid grid;
  std::vector<Well> wells;          ///< [[well]] tables first, then the wells file's
  std::vector<Receptor> receptors;  ///< [[receptor]] tables first, then the receptors file's
  std::vector<Boundary> boundaries;  ///< at most two, perpendicular or parallel, the wells on one side of each
  std::vector<std::string> inputs;  ///< the files read: the study file and its CSV files
  std::vector<std::string> input_digests;  ///< the SHA-256 of each input as read (hex; filled by read_study_file)
  Output output;
  std::vector<std::string> notes;  ///< what the reader warns of ("receptors.csv:1: the column ... is not read")
};

/// The node-unit position of map coordinate `coordinate` on a grid whose
/// lower-left corner lies at `corner`: single((coordinate - corner) / spacing + 1/2),
/// the division in double. A node centre gets its whole index.
inline float node_position(double coordinate, double corner, std::int32_t spacing) {
  return static_cast<float>((coordinate - corner) / static_cast<double>(spacing) + 0.5);
}

}  // namespace study
