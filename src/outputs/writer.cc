#include "outputs/writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/grid_file.h"

namespace outputs {
namespace {

// Removes NAME.aux.xml beside the grid file just written: GIS tools (GDAL)
// keep a grid's statistics there, and they describe the file replaced. A
// regular file or a link is removed; anything else is left alone.
void remove_stale_statistics(const files::Target& grid) {
  const std::string name = grid.name + ".aux.xml";
  struct stat st {};
  const bool there = grid.folder != nullptr ? ::fstatat(grid.folder->fd(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0
                                            : ::lstat(name.c_str(), &st) == 0;
  if (!there || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode))) return;
  if (grid.folder != nullptr)
    ::unlinkat(grid.folder->fd(), name.c_str(), 0);
  else
    ::unlink(name.c_str());
}

}  // namespace

Writer::Writer(Request request, Place place, pictures::PlotOptions labels, Told told)
    : request_(std::move(request)),
      place_(std::move(place)),
      labels_(std::move(labels)),
      told_(std::move(told)),
      plan_(plan(request_)),
      keeps_(takes_every_time(request_)) {}

void Writer::add(const engine::EvaluatedGrid& e) {
  if (keeps_) {
    engine::DrawdownGrid copy = *e.DD;
    keep(e, std::move(copy));
  } else {
    keep(e, engine::DrawdownGrid(0, 0));
  }
}

void Writer::add(const engine::EvaluatedGrid& e, engine::DrawdownGrid&& DD) { keep(e, std::move(DD)); }

void Writer::keep(const engine::EvaluatedGrid& e, engine::DrawdownGrid&& DD) {
  const std::size_t time = added_++;
  if (grid_per_time(request_)) {
    const std::span<const engine::EvaluatedGrid> one(&e, 1);
    for (std::size_t i = 0; i < plan_.size(); ++i)
      if (plan_[i].kind == Kind::kGrid && !plan_[i].beside && plan_[i].time == time)
        write_file(plan_[i], [&](const files::Target& t) {
          return gis::write_grid(t, *gis::grid_format_of(request_.grid), one, place_.crs);
        });
  }
  if (!keeps_) return;
  kept_.push_back(Kept{std::move(DD), std::vector<engine::Well>(e.wells.begin(), e.wells.end()), e});
}

std::vector<engine::EvaluatedGrid> Writer::kept() const {
  std::vector<engine::EvaluatedGrid> views;
  for (const Kept& k : kept_) {
    engine::EvaluatedGrid e = k.view;
    e.DD = &k.grid;
    e.wells = k.wells;
    views.push_back(e);
  }
  return views;
}

void Writer::finish(const std::vector<double>& levels) {
  const std::vector<engine::EvaluatedGrid> times = kept();
  std::optional<pictures::PlotOptions> options;  // made once, for the first picture
  for (const PlannedFile& f : plan_) {
    if (f.beside) continue;  // written with its output's own file
    if (f.kind == Kind::kGrid && !grid_per_time(request_)) {
      write_file(f, [&](const files::Target& t) {
        return gis::write_grid(t, *gis::grid_format_of(request_.grid), times, place_.crs, request_.start_date);
      });
    } else if (f.kind == Kind::kContours) {
      const gis::VectorFormat format = gis::vector_format_of(f.name).value_or(gis::VectorFormat::kGeoPackage);
      write_file(f, [&](const files::Target& t) {
        if (exact_) return gis::write_exact_contour_layer(t, format, times, *exact_, place_.crs);
        return gis::write_contour_layer(t, format, times, gis::levels_for(times, levels), place_.crs);
      });
    } else if (f.kind == Kind::kPlot && f.time < times.size()) {
      if (!options) {
        const pictures::PlotOptions settings = picture_settings(request_);
        options = labels_;
        options->levels = levels;
        options->range = settings.range;
        options->page = settings.page;
        options->dpi = settings.dpi;
        options->scale_from = times;
      }
      const pictures::PlotFormat format = pictures::plot_format_of(f.name).value_or(pictures::PlotFormat::kPng);
      write_file(f, [&](const files::Target& t) { return pictures::write_plot(t, format, times[f.time], *options); });
    }
  }
  kept_.clear();
  kept_.shrink_to_fit();
  exact_.reset();
}

void Writer::write(Kind kind, const std::function<std::string(const files::Target&)>& write) {
  for (const PlannedFile& f : plan_)
    if (f.kind == kind && !f.beside) write_file(f, write);
}

void Writer::write_each(Kind kind,
                        const std::function<std::string(const PlannedFile&, const files::Target&)>& write) {
  for (const PlannedFile& f : plan_)
    if (f.kind == kind && !f.beside) write_file(f, [&](const files::Target& t) { return write(f, t); });
}

void Writer::write_file(const PlannedFile& f, const std::function<std::string(const files::Target&)>& write) {
  std::string why = clash(f);
  if (why.empty()) why = write(target(f.name));
  if (why.empty() && (f.kind == Kind::kGrid || f.kind == Kind::kProbability)) remove_stale_statistics(target(f.name));
  if (why.empty())
    for (const std::string& name : files_of(f)) written_.push_back({name, place_.what ? place_.what(f.kind) : ""});
  told_(f, why);
}

std::vector<std::string> Writer::files_of(const PlannedFile& f) const {
  std::vector<std::string> files;
  for (std::size_t i = 0; i < plan_.size(); ++i) {
    if (&plan_[i] != &f) continue;
    files.push_back(f.name);
    for (std::size_t j = i + 1; j < plan_.size() && plan_[j].beside; ++j) files.push_back(plan_[j].name);
  }
  return files;
}

// Why the output of `f` must not be written ("" when it may): one of its
// files (its own first, then those beside it) would replace one of the front
// end's own files or a file written before it. Files of one output never
// clash among themselves.
std::string Writer::clash(const PlannedFile& f) const {
  if (!place_.same) return "";
  std::vector<Taken> taken = place_.taken;
  taken.insert(taken.end(), written_.begin(), written_.end());
  std::vector<std::string> paths;
  for (const Taken& t : taken) paths.push_back(t.path);
  const std::vector<std::string> files = files_of(f);
  const std::optional<Clash> c = first_clash(files, paths, place_.same);
  if (!c || !c->taken) return "";
  return (c->file == 0 ? "it" : "'" + files[c->file] + "', written beside it,") + " is " + taken[*c->taken].what;
}

files::Target Writer::target(const std::string& name) const {
  if (place_.folder != nullptr) return files::Target(*place_.folder, name);
  return files::Target(name);
}

}  // namespace outputs
