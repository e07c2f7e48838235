// The outputs' one request: the files each request plans, named per time, and
// the first clash among them or with a front end's own files.
#include "outputs/request.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> names(const outputs::Request& r) {
  std::vector<std::string> out;
  for (const outputs::PlannedFile& f : outputs::plan(r)) out.push_back(f.name + (f.beside ? " (beside)" : ""));
  return out;
}

TEST(Request, PlansEveryFileNamedPerTime) {
  const struct {
    const char* what;
    outputs::Request request;
    std::vector<std::string> files;
    bool every_time;  // an output takes the grids of all times together
  } kCases[] = {
      {"nothing", {}, {}, false},
      {"one ESRI grid per time", {.grid = "dd.asc", .times = {30, 90}}, {"dd_30d.asc", "dd_90d.asc"}, false},
      {"with a CRS, a .prj beside each",
       {.grid = "dd.asc", .with_crs = true, .times = {30, 0.5}},
       {"dd_30d.asc", "dd_30d.prj (beside)", "dd_0.5d.asc", "dd_0.5d.prj (beside)"},
       false},
      {"one time keeps the name", {.grid = "dd.asc", .with_crs = true, .times = {30}}, {"dd.asc", "dd.prj (beside)"}, false},
      {"a GeoTIFF holds every time", {.grid = "dd.TIF", .with_crs = true, .times = {30, 90}}, {"dd.TIF"}, true},
      {"a shapefile's files",
       {.contours = "c.shp", .times = {30, 90}},
       {"c.shp", "c.shx (beside)", "c.dbf (beside)", "c.prj (beside)"},
       true},
      {"each picture per time, in order",
       {.plots = {"map.png", "memo.pdf"}, .times = {30, 365}},
       {"map_30d.png", "map_365d.png", "memo_30d.pdf", "memo_365d.pdf"},
       true},
      {"a name without an ending", {.plots = {"map"}, .times = {1, 2}}, {"map_1d", "map_2d"}, true},
      {"series and hydrographs last, once",
       {.grid = "dd.asc", .series = "s.csv", .hydrographs = "h.svg", .times = {30, 90}},
       {"dd_30d.asc", "dd_90d.asc", "s.csv", "h.svg"},
       false},
      {"the compliance table and the points after them, once",
       {.series = "s.csv", .hydrographs = "h.svg", .compliance = "c.csv", .points = "p.gpkg", .times = {30, 90}},
       {"s.csv", "h.svg", "c.csv", "p.gpkg"},
       false},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(names(k.request), k.files);
    EXPECT_EQ(outputs::takes_every_time(k.request), k.every_time);
  }
}

TEST(Request, FindsTheFirstClash) {
  auto same = [](const std::string& a, const std::string& b) { return a == b; };
  const struct {
    const char* what;
    outputs::Request request;
    std::vector<std::string> taken;
    std::optional<std::string> file;     // the clashing file
    std::optional<std::string> with;     // the taken or earlier file it clashes with
  } kCases[] = {
      {"no clash", {.grid = "dd.asc", .contours = "c.gpkg", .plots = {"p.png"}, .times = {30, 90}}, {"in.dat"}, {}, {}},
      {"a .prj of the grid and of a shapefile",
       {.grid = "dd.asc", .contours = "dd.shp", .with_crs = true, .times = {30}},
       {},
       "dd.prj",
       "dd.prj"},
      {"two pictures of one name", {.plots = {"p.png", "p.png"}, .times = {30, 90}}, {}, "p_30d.png", "p_30d.png"},
      {"a picture per time over the series", {.plots = {"s.csv"}, .series = "s.csv", .times = {30}}, {}, "s.csv", "s.csv"},
      {"an output over an input", {.series = "study.toml", .times = {30}}, {"study.toml"}, "study.toml", "study.toml"},
      {"times apart do not clash", {.grid = "a_30d.asc", .plots = {"a.asc"}, .times = {30}}, {}, {}, {}},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.what);
    const std::vector<outputs::PlannedFile> plan = outputs::plan(k.request);
    std::vector<std::string> paths;
    for (const auto& f : plan) paths.push_back(f.name);
    const std::optional<outputs::Clash> c = outputs::first_clash(paths, k.taken, same);
    ASSERT_EQ(c.has_value(), k.file.has_value());
    if (!c) continue;
    EXPECT_EQ(paths[c->file], *k.file);
    EXPECT_EQ(c->taken ? k.taken[*c->taken] : paths[*c->earlier], *k.with);
  }
}

}  // namespace
