// The outputs' one request: its settings accepted or refused, the files each
// request plans, named per time, and the first clash among them or with a
// front end's own files.
#include "outputs/request.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gis/contour.h"

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
      {"the depletion and its picture last, once",
       {.points = "p.gpkg", .depletion = "d.csv", .depletion_hydrographs = "d.png", .times = {30, 90}},
       {"p.gpkg", "d.csv", "d.png"},
       false},
      {"an aquifer-test fit's table, residuals and charts, once, without times",
       {.fitted_aquifer = "aquifer.toml", .residuals = "r.csv", .type_curves = "t.pdf", .residual_plot = "r.png"},
       {"aquifer.toml", "r.csv", "t.pdf", "r.png"},
       false},
      {"a fit without its charts",
       {.fitted_aquifer = "aquifer.toml", .residuals = "r.csv", .times = {1, 2}},
       {"aquifer.toml", "r.csv"},
       false},
      {"the probability grid last, a file per time as the grid",
       {.grid = "dd.asc", .with_crs = true, .times = {30, 90}, .probability = "p.asc"},
       {"dd_30d.asc", "dd_30d.prj (beside)", "dd_90d.asc", "dd_90d.prj (beside)", "p_30d.asc", "p_30d.prj (beside)",
        "p_90d.asc", "p_90d.prj (beside)"},
       false},
      {"a probability GeoTIFF holds every time, and the writer keeps no grid for it",
       {.with_crs = true, .times = {30, 90}, .probability = "p.tif"},
       {"p.tif"},
       false},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.what);
    EXPECT_EQ(names(k.request), k.files);
    EXPECT_EQ(outputs::takes_every_time(k.request), k.every_time);
  }
}

TEST(Request, ChecksTheLevelsAndThePictureSettingsOnce) {
  using outputs::Problem;
  using outputs::Setting;
  using P = pictures::PlotPage;
  std::vector<double> most(gis::kMostLevels), too_many(gis::kMostLevels + 1);
  for (std::size_t i = 0; i < too_many.size(); ++i) too_many[i] = static_cast<double>(i);
  for (std::size_t i = 0; i < most.size(); ++i) most[i] = static_cast<double>(i);
  const struct {
    const char* what;
    outputs::Request request;
    std::optional<outputs::Fault> fault;
  } kCases[] = {
      {"nothing set", {}, {}},
      {"every setting with its pictures",
       {.plots = {"m.png", "m.pdf"}, .levels = {5, -1, 0.5}, .range = std::pair{-1.0, 5.0}, .page = P::kA4, .dpi = 300},
       {}},
      {"the most levels", {.contours = "c.gpkg", .levels = most}, {}},
      {"one level too many", {.contours = "c.gpkg", .levels = too_many}, outputs::Fault{Setting::kLevels, Problem::kTooMany}},
      {"a level given again, found where it repeats",
       {.contours = "c.gpkg", .levels = {1, 5, 2, 5}},
       outputs::Fault{Setting::kLevels, Problem::kTwice, 3}},
      {"a range without a picture", {.grid = "g.asc", .range = std::pair{0.0, 1.0}}, outputs::Fault{Setting::kRange, Problem::kNoPicture}},
      {"a range upside down", {.plots = {"m.png"}, .range = std::pair{5.0, 1.0}}, outputs::Fault{Setting::kRange, Problem::kOrder}},
      {"a range of one value", {.plots = {"m.png"}, .range = std::pair{1.0, 1.0}}, outputs::Fault{Setting::kRange, Problem::kOrder}},
      {"a page without a picture", {.page = P::kLetter}, outputs::Fault{Setting::kPage, Problem::kNoPicture}},
      {"a page without a .pdf picture",
       {.plots = {"m.png", "m.svg"}, .page = P::kLetter},
       outputs::Fault{Setting::kPage, Problem::kNoKind}},
      {"a page's own size given is still a page", {.plots = {"m.svg"}, .page = P::kOwnSize}, outputs::Fault{Setting::kPage, Problem::kNoKind}},
      {"a dpi without a picture", {.dpi = 100}, outputs::Fault{Setting::kDpi, Problem::kNoPicture}},
      {"a dpi for .pdf pictures", {.plots = {"m.PDF"}, .dpi = 100}, outputs::Fault{Setting::kDpi, Problem::kNoKind}},
      {"a dpi for .png hydrographs alone", {.hydrographs = "h.png", .dpi = 100}, {}},
      {"a dpi for .svg hydrographs alone", {.hydrographs = "h.svg", .dpi = 100}, outputs::Fault{Setting::kDpi, Problem::kNoPicture}},
      {"a dpi for a .png depletion picture alone", {.depletion_hydrographs = "d.png", .dpi = 100}, {}},
      {"a dpi for a .pdf depletion picture alone", {.depletion_hydrographs = "d.pdf", .dpi = 100},
       outputs::Fault{Setting::kDpi, Problem::kNoPicture}},
      {"the lowest and highest dpi", {.plots = {"m.png"}, .dpi = pictures::kMinDpi}, {}},
      {"the highest dpi", {.plots = {"m.png"}, .dpi = pictures::kMaxDpi}, {}},
      {"a dpi too low", {.plots = {"m.png"}, .dpi = pictures::kMinDpi - 1}, outputs::Fault{Setting::kDpi, Problem::kOutOfRange}},
      {"a dpi too high", {.plots = {"m.png"}, .dpi = pictures::kMaxDpi + 1}, outputs::Fault{Setting::kDpi, Problem::kOutOfRange}},
      {"a dpi's picture before its value", {.dpi = 10}, outputs::Fault{Setting::kDpi, Problem::kNoPicture}},
      {"the levels before the range",
       {.plots = {"m.png"}, .levels = {1, 1}, .range = std::pair{2.0, 1.0}},
       outputs::Fault{Setting::kLevels, Problem::kTwice, 1}},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.what);
    const std::optional<outputs::Fault> f = outputs::check(k.request);
    ASSERT_EQ(f.has_value(), k.fault.has_value());
    if (!f) continue;
    EXPECT_EQ(f->setting, k.fault->setting);
    EXPECT_EQ(f->problem, k.fault->problem);
    EXPECT_EQ(f->index, k.fault->index);
  }
}

TEST(Request, ThePicturesTakeTheSettingsOrTheDefaults) {
  pictures::PlotOptions o = outputs::picture_settings({.levels = {5, -1, 0.5}});
  EXPECT_EQ(o.levels, (std::vector<double>{-1, 0.5, 5})) << "increasing";
  EXPECT_FALSE(o.range);
  EXPECT_EQ(o.page, pictures::PlotPage::kOwnSize);
  EXPECT_EQ(o.dpi, pictures::kDefaultDpi);
  o = outputs::picture_settings({.range = std::pair{-2.0, 3.0}, .page = pictures::PlotPage::kA4, .dpi = 72});
  EXPECT_EQ(o.range, (std::pair{-2.0, 3.0}));
  EXPECT_EQ(o.page, pictures::PlotPage::kA4);
  EXPECT_EQ(o.dpi, 72);
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

// The plan's files as paths in the request's folder, compared as a front end
// that takes "a/../b" for "b" compares them.
TEST(Request, FindsTheFirstClashOfThePlanInItsFolder) {
  auto same = [](const std::string& a, const std::string& b) {
    return std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
  };
  const struct {
    const char* what;
    outputs::Request request;
    std::vector<std::string> taken;
    std::optional<std::string> file;  // the clashing file's path
    std::optional<std::string> with;  // the taken or earlier file's path
  } kCases[] = {
      {"names in the folder", {.series = "s.csv", .times = {30}, .folder = "out"}, {"s.csv", "study.toml"}, {}, {}},
      {"an output over an input through '..'",
       {.series = "wells.csv", .times = {30}, .folder = "data/maps/.."},
       {"study.toml", "data/wells.csv"},
       "data/maps/../wells.csv",
       "data/wells.csv"},
      {"the folder '.' is no folder", {.series = "study.toml", .times = {30}, .folder = "."}, {"study.toml"}, "study.toml", "study.toml"},
      {"a name with './' over a time's grid",
       {.grid = "drawdown.asc", .series = "./drawdown_90d.asc", .times = {30, 90}, .folder = "out"},
       {},
       "out/./drawdown_90d.asc",
       "out/drawdown_90d.asc"},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.what);
    const std::vector<outputs::PlannedFile> planned = outputs::plan(k.request);
    const std::optional<outputs::Clash> c = outputs::first_clash(k.request, planned, k.taken, same);
    ASSERT_EQ(c.has_value(), k.file.has_value());
    if (!c) continue;
    EXPECT_EQ(outputs::path(k.request, planned[c->file].name), *k.file);
    EXPECT_EQ(c->taken ? k.taken[*c->taken] : outputs::path(k.request, planned[*c->earlier].name), *k.with);
  }
}

TEST(Request, SameFileByPathOrByLink) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("same_file_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                                    "_" + std::to_string(reinterpret_cast<std::uintptr_t>(&dir)));
  fs::create_directories(dir / "sub");
  for (const char* name : {"a.csv", "b.csv"}) std::ofstream(dir / name) << "1,2\n";
  fs::create_symlink(dir / "a.csv", dir / "sub" / "link.csv");
  fs::create_hard_link(dir / "a.csv", dir / "hard.csv");
  const std::string d = dir.string();
  const struct {
    std::string a, b;
    bool same;
  } kCases[] = {
      {d + "/a.csv", d + "/a.csv", true},
      {d + "/sub/../a.csv", d + "/./a.csv", true},
      {d + "/sub/link.csv", d + "/a.csv", true},
      {d + "/hard.csv", d + "/a.csv", true},
      {d + "/a.csv", d + "/b.csv", false},
      {d + "/missing.csv", d + "/a.csv", false},
      {d + "/sub/missing.csv", d + "/sub/../sub/missing.csv", true},  // not yet written, one path
  };
  for (const auto& k : kCases) EXPECT_EQ(outputs::same_file(k.a, k.b), k.same) << k.a << " and " << k.b;
  fs::remove_all(dir);
}

}  // namespace
