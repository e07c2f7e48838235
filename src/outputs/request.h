// One request for the outputs made from evaluated grids, whichever front end
// states it (the input-file run's options, a study's [output] table): which
// files, how they are named per time, and which of them would be one file.
// Each front end fills the request from its own syntax; the settings are
// checked, the names of the files and their clashes found here only.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "pictures/plot.h"

namespace outputs {

/// The outputs asked for. A name is "" when that output is not asked for.
struct Request {
  std::string grid{};                ///< .tif (every time in one file) or .asc (a file per time)
  std::string contours{};            ///< .gpkg, .geojson or .shp: every time in one layer
  std::vector<std::string> plots{};  ///< pictures, each drawn per time
  std::string series{};              ///< the receptors' series CSV
  std::string hydrographs{};         ///< the series' picture
  std::string compliance{};          ///< the receptors' limits and the plan's rate factor, CSV
  std::string points{};              ///< the wells and receptors as point layers, a GeoPackage
  std::string depletion{};           ///< the streams' depletion CSV
  std::string depletion_hydrographs{};  ///< the depletion's picture
  std::string fitted_aquifer{};      ///< an aquifer-test fit's [aquifer] table, TOML
  std::string residuals{};           ///< an aquifer-test fit's residuals, CSV
  std::string type_curves{};         ///< an aquifer-test fit's observed and fitted drawdowns, a chart
  std::string residual_plot{};       ///< an aquifer-test fit's residuals against time, a chart
  bool with_crs = false;           ///< a CRS is given: a .prj beside each ESRI grid
  std::vector<double> times{};       ///< the times; with several, a file per time is named "_<days>d"
  std::vector<double> levels{};      ///< contour levels in feet, in the order given (empty: round ones)
  std::optional<std::pair<double, double>> range{};  ///< the pictures' colour range in feet (none: from the grids)
  std::optional<pictures::PlotPage> page{};  ///< the page of the .pdf pictures (none: their own size)
  std::optional<int> dpi{};          ///< pixels per inch of the .png pictures and hydrographs (none: the default)
  std::string folder{};              ///< the folder the names are in ("" : the names are paths as given)
  std::string samples{};             ///< an aquifer-test fit's parameter sets drawn from its uncertainty, CSV
  std::string contributions{};       ///< a study's wells' shares of each receptor's drawdown, CSV
  std::string allocation{};          ///< a study's allocation: each well's factor and allowed rate, CSV
  std::string memo{};                ///< the permit memo, a PDF on `page` (pictures/memo.h)
  std::string start_date{};          ///< the ISO date (YYYY-MM-DD) the times count from ("": none): a time stack's epoch
  std::string probability{};         ///< a study's exceedance probability grid: .tif (a band per time) or .asc (a file per time)
};

/// A setting of the request.
enum class Setting { kLevels, kRange, kPage, kDpi };

/// Why a setting cannot be followed.
enum class Problem {
  kTooMany,    ///< levels: more than gis::kMostLevels
  kTwice,      ///< levels: `index` repeats an earlier level
  kOrder,      ///< range: its low end is not below its high end
  kOutOfRange, ///< dpi: outside pictures::kMinDpi .. pictures::kMaxDpi
  kNoPicture,  ///< range, page, dpi: no picture is asked for
  kNoKind,     ///< page, dpi: no picture of the format it is for (.pdf, .png)
};

/// The first setting of a request that cannot be followed, and why.
struct Fault {
  Setting setting;
  Problem problem;
  std::size_t index = 0;  ///< kTwice: the level given again (index in Request::levels)
};

/// The first fault of the request's settings, in this order: the levels
/// (at most gis::kMostLevels, each once), the range (with a picture, low
/// below high), the page (with a .pdf picture or the memo), the dpi (with a .png picture
/// or .png hydrographs of the series or the depletion, from pictures::kMinDpi to pictures::kMaxDpi). Each
/// front end names the setting in its own words.
std::optional<Fault> check(const Request& r);

/// The picture settings of the request for pictures::write_plot: its levels
/// increasing, range, page and dpi, the defaults where none is given.
pictures::PlotOptions picture_settings(const Request& r);

/// `name` in the request's folder (`name` itself without a folder or in ".").
std::string path(const Request& r, const std::string& name);

/// Which output a planned file belongs to.
enum class Kind {
  kGrid, kContours, kPlot, kSeries, kHydrographs, kCompliance, kPoints,
  kDepletion, kDepletionHydrographs,                        // a study's streams
  kFittedAquifer, kResiduals, kTypeCurves, kResidualPlot,  // an aquifer-test fit's
  kSamples,                                                 // an aquifer-test fit's parameter sets
  kContributions, kAllocation,                              // a study's allocation
  kMemo,                                                    // a study's permit memo
  kProbability,                                             // a study's with uncertainty
};

/// One file the request writes.
struct PlannedFile {
  Kind kind;
  std::string name;       ///< as the request names it, with "_<days>d" for a time's file
  bool beside = false;    ///< written beside the output's own file (a .prj, a shapefile's .dbf, ...)
  std::size_t time = 0;   ///< the index of its time in Request::times, for a file per time
};

/// `name` of time t: with `several` times, "_<days>d" before its ending
/// ("drawdown.asc" at 30 days: "drawdown_30d.asc"), else `name` as it is.
std::string time_file_name(const std::string& name, double t, bool several);

/// Whether the grid is one ESRI ASCII grid per time (else one GeoTIFF).
bool grid_per_time(const Request& r);

/// Whether an output takes the grids of all times together (a GeoTIFF, the
/// contour layer, the pictures, which share one colour scale).
bool takes_every_time(const Request& r);

/// Every file the request writes, in the order they are written: the grid
/// file of each time (with its .prj) or the one GeoTIFF, the contour layer's
/// files, each picture of each time, the series, the hydrographs, the
/// compliance table, the points, the depletion CSV and its picture; a fit's
/// aquifer table, residuals, type curves and residual plot; a study's memo; a
/// study's probability grid (as the grid: one GeoTIFF, or a file per time with its .prj).
std::vector<PlannedFile> plan(const Request& r);

/// Whether the paths `a` and `b` are one file: the same once absolute and
/// without "." and "..", or links to one file.
bool same_file(const std::string& a, const std::string& b);

/// A planned file that would replace another file.
struct Clash {
  std::size_t file = 0;                 ///< the planned file (index in the plan)
  std::optional<std::size_t> taken;     ///< the file of `taken` it would replace
  std::optional<std::size_t> earlier;   ///< else the earlier planned file of the same name
};

/// The first of `paths` (the planned files' paths, in plan order) that is,
/// by `same`, one of `taken` (the front end's own files: inputs, report) or
/// an earlier one of `paths`.
std::optional<Clash> first_clash(const std::vector<std::string>& paths, const std::vector<std::string>& taken,
                                 const std::function<bool(const std::string&, const std::string&)>& same);

/// The first clash of the request's plan (its files' paths in its folder)
/// with `taken` or among themselves; Clash::file and Clash::earlier index
/// `planned` (plan(r)).
std::optional<Clash> first_clash(const Request& r, const std::vector<PlannedFile>& planned,
                                 const std::vector<std::string>& taken,
                                 const std::function<bool(const std::string&, const std::string&)>& same);

/// A front end's refusal of `clash` (of `planned`, against `inputs`), after
/// "`file`: ": "X 'P' would replace the input file 'I'" or "X and Y are the
/// same file 'P'", each output named by `what` ("the grid file").
std::string clash_text(const Request& r, const std::vector<PlannedFile>& planned, const Clash& clash,
                       const std::vector<std::string>& inputs, const std::string& file,
                       const std::function<std::string(Kind)>& what);

}  // namespace outputs
