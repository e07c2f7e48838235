// The one writer of a request's files: it takes the evaluated grid of each
// time in turn, writes at once what one time makes (an ESRI grid per time),
// keeps what the outputs of all times need (a copy of each time's grid and
// wells, which it owns), and writes those at the end (the GeoTIFF, the
// contour layer, the pictures). Every file is told through one callback.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/drawdown_grid.h"
#include "files/output_file.h"
#include "files/output_folder.h"
#include "gis/crs.h"
#include "gis/exact_contour.h"
#include "outputs/request.h"
#include "pictures/plot.h"

namespace outputs {

/// A file of the front end's own that no output may replace (an input, the
/// report), and what it is called in a message ("the input file").
struct Taken {
  std::string path;
  std::string what;
};

/// Where the writer puts the files, and what it must not replace.
struct Place {
  /// The study's open folder, the names in it; null: the names are paths as given.
  files::OutputFolder* folder = nullptr;
  /// The front end's own files, checked by `same` just before each output is
  /// written, with the files the writer wrote before it.
  std::vector<Taken> taken;
  /// Whether two paths are one file; none: no output is checked as it is written.
  std::function<bool(const std::string&, const std::string&)> same;
  /// What an output's files are called in a message ("the grid file").
  std::function<std::string(Kind)> what;
  /// The CRS of the GIS files (null: none); it must outlive the writer.
  const gis::Crs* crs = nullptr;
};

/// How an output's own file went: `why` is "" when it was written whole (with
/// the files beside it), else why it was not. Called once per own file.
using Told = std::function<void(const PlannedFile& file, const std::string& why)>;

/// Writes the files planned for a request, time by time, then at the end.
class Writer {
 public:
  /// A writer of `request`'s files in `place`; `labels` are what the
  /// pictures show besides the request's settings (the input's name, the
  /// wells' names, markers, boundaries); `told` hears of every file.
  Writer(Request request, Place place, pictures::PlotOptions labels, Told told);

  /// Whether the outputs take the grids of all times together, so that each
  /// time's grid is kept until finish().
  bool keeps_every_time() const { return keeps_; }

  /// The grid of the next time (Request::times, in order): writes its ESRI
  /// grid file when the grid is one per time, and keeps a copy of the grid
  /// and its wells when keeps_every_time().
  void add(const engine::EvaluatedGrid& e);

  /// As add(e), keeping `DD` itself (the grid e.DD refers to) instead of a copy.
  void add(const engine::EvaluatedGrid& e, engine::DrawdownGrid&& DD);

  /// The grids kept so far, in time order; they refer to the writer's copies.
  std::vector<engine::EvaluatedGrid> kept() const;

  /// Writes the outputs of all times as planned: the GeoTIFF, the contour
  /// layer, each picture of each time, with `levels` as the contour levels
  /// (empty: round ones). Then nothing is kept.
  void finish(const std::vector<double>& levels);

  /// Writes the planned file of `kind` (an output not made from the grids:
  /// the series, hydrographs, compliance table, points) by `write`, which
  /// returns "" or why not, and tells of it as of the others.
  void write(Kind kind, const std::function<std::string(const files::Target&)>& write);

  /// The contour layer is written from `lines` (the kept grids' lines on the
  /// true drawdown, gis/exact_contour.h) rather than traced over the grids.
  void use_exact_contours(std::vector<gis::ExactLine> lines) { exact_ = std::move(lines); }
  /// As write(), `write` told which planned file it writes (a file per time).
  void write_each(Kind kind, const std::function<std::string(const PlannedFile&, const files::Target&)>& write);

 private:
  struct Kept {
    engine::DrawdownGrid grid;
    std::vector<engine::Well> wells;
    engine::EvaluatedGrid view;  // its DD and wells set by kept()
  };
  void keep(const engine::EvaluatedGrid& e, engine::DrawdownGrid&& DD);
  void write_file(const PlannedFile& f, const std::function<std::string(const files::Target&)>& write);
  std::string clash(const PlannedFile& f) const;
  std::vector<std::string> files_of(const PlannedFile& f) const;
  files::Target target(const std::string& name) const;

  Request request_;
  Place place_;
  pictures::PlotOptions labels_;
  Told told_;
  std::vector<PlannedFile> plan_;
  bool keeps_ = false;
  std::size_t added_ = 0;       // times added so far
  std::vector<Kept> kept_;
  std::vector<Taken> written_;  // the files written, for the checks of later outputs
  std::optional<std::vector<gis::ExactLine>> exact_;  // the contour lines, when given
};

}  // namespace outputs
