// A study as its file states it: the scenario (the aquifer, a grid in map
// coordinates, named wells with rate schedules, receptors, boundaries, the
// times of interest), its title and CRS, and the outputs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pictures/plot.h"
#include "scenario/scenario.h"

namespace study {

/// The scenario's names, as a study's code uses them.
using scenario::Aquifer;
using scenario::Boundary;
using scenario::BoundaryKind;
using scenario::Grid;
using scenario::Receptor;
using scenario::Step;
using scenario::Well;
using scenario::WellFunction;
using scenario::node_position;

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
  WellFunction well_function = WellFunction::exact;
  std::string compliance;  ///< the compliance table's CSV name ("" : none); needs receptors with limits
  std::string points;      ///< the wells and receptors as point layers, a .gpkg name ("" : none)
  bool exceedance_status = false;  ///< a limit exceeded ends the study with base::kExitExceeded
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
};

}  // namespace study
