// A study's contour lines lie on the true drawdown, whatever the grid: around
// a lone well on a coarse grid (200-foot cells) every vertex of a level's
// line lies at the exact radius where the Hantush-Jacob drawdown equals the
// level, found here by bisection on the reference well function with the
// published field-unit constants; so does the ring of a level whose circle
// fits inside one cell (which the grid's nodes cannot show); the layer's
// `area` and the summary give the circle's area in acres.
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <numbers>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "model/reference_well_function.h"
#include "program_run.h"

namespace {

using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

constexpr double kT = 50000.0, kLeakance = 0.001, kS = 0.0002, kQ = 250000.0, kDays = 30.0;
constexpr double kWellX = 2151530.0, kWellY = 721470.0;

// Drawdown in feet at r feet: s = 114.6 (Q / 1440) W(u, r/B) / T with Q in
// gallons per day, u = 1.87 r^2 S / (T t), B = sqrt(T / leakance) (the
// field-unit form of Hantush and Jacob, T in gallons per day per foot).
double drawdown(double r) {
  const double u = 1.87025 * r * r * kS / (kT * kDays), rb = r * std::sqrt(kLeakance / kT);
  return 114.59156 * (kQ / 1440.0) * model::reference_well_function(u, rb) / kT;
}

// The radius where the drawdown equals `level`, by bisection (it falls with r).
double radius_of(double level) {
  double lo = 1.0, hi = 1e5;
  for (int k = 0; k < 200 && hi - lo > 1e-9 * hi; ++k) {
    const double mid = (lo + hi) / 2;
    (drawdown(mid) > level ? lo : hi) = mid;
  }
  return (lo + hi) / 2;
}

std::string lone_well_study(const std::vector<double>& levels) {
  std::string list;
  for (double l : levels) list += (list.empty() ? "" : ", ") + std::to_string(l);
  return "title = \"lone well\"\ntimes = [30.0]\n\n[aquifer]\ntransmissivity = 50000.0\nleakance = 0.001\n"
         "storage = 0.0002\n\n[grid]\nxll = 2150000.0\nyll = 720000.0\nspacing = 200\ncolumns = 15\nrows = 15\n\n"
         "[[well]]\nname = \"PW-1\"\nx = 2151530.0\ny = 721470.0\nrate = 250000.0\n\n"
         "[output]\nfolder = \"out\"\nwell_function = \"exact\"\ncontours = \"c.gpkg\"\nlevels = [" + list + "]\n";
}

TEST(StudyExactContours, ALimitContourAroundALoneWellLiesOnTheExactRadius) {
  // About 2.3 cells out, and about a third of a cell out: the second inside
  // the well's cell, where no node reaches it.
  const double levels[] = {std::round(drawdown(460.0) * 100) / 100, std::round(drawdown(70.0) * 100) / 100};
  ScratchFolder folder;
  std::string text = lone_well_study({levels[0], levels[1]});
  folder.write("study.toml", text);
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  GDALAllRegister();
  std::unique_ptr<GDALDataset> d(static_cast<GDALDataset*>(
      GDALOpenEx((folder.path() + "/out/c.gpkg").c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
  ASSERT_TRUE(d);
  OGRLayer* layer = d->GetLayer(0);
  std::map<double, int> lines;
  for (auto& feature : *layer) {
    const double level = feature->GetFieldAsDouble("drawdown_ft");
    const double r = radius_of(level);
    SCOPED_TRACE("level " + std::to_string(level) + " ft, exact radius " + std::to_string(r) + " ft");
    ++lines[level];
    const auto* line = feature->GetGeometryRef()->toLineString();
    ASSERT_GE(line->getNumPoints(), 40) << "a curve, not a polygon of the grid's cells";
    EXPECT_EQ(line->getX(0), line->getX(line->getNumPoints() - 1)) << "closed";
    double worst = 0.0;
    for (int k = 0; k < line->getNumPoints(); ++k)
      worst = std::max(worst, std::fabs(std::hypot(line->getX(k) - kWellX, line->getY(k) - kWellY) / r - 1));
    EXPECT_LT(worst, 1e-3) << "every vertex within 0.1 % of the exact radius";
    const double acres = std::numbers::pi * r * r / 43560.0;
    EXPECT_NEAR(feature->GetFieldAsDouble("area"), acres, 1e-3 * acres);
  }
  EXPECT_EQ(lines, (std::map<double, int>{{levels[0], 1}, {levels[1], 1}})) << "one ring at each level";

  // The summary's row of day 30: the area inside each level, in acres.
  const std::size_t table = run.out.find("area inside each contour level (acres;");
  ASSERT_NE(table, std::string::npos) << run.out;
  std::istringstream rows(run.out.substr(table));
  std::string line, day, first, second;
  std::getline(rows, line), std::getline(rows, line);  // the title, the levels
  rows >> day >> first >> second;
  EXPECT_EQ(day, "30");
  for (const auto& [cell, level] : {std::pair{first, levels[0]}, std::pair{second, levels[1]}}) {
    const double acres = std::numbers::pi * radius_of(level) * radius_of(level) / 43560.0;
    EXPECT_NEAR(std::stod(cell), acres, 1e-3 * acres + 0.005) << level << ": to 0.1 % and the table's two decimals";
  }
}

}  // namespace
