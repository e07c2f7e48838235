// The compliance on the GIS points, read back with GDAL/OGR: with a receptor
// that has a limit, each receptor carries its verdict (the compliance
// table's values; null without a limit) and each well its planned rate;
// without limits the layers keep their fields as before.
#include <gtest/gtest.h>

#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

struct DatasetClose {
  void operator()(GDALDataset* d) const { GDALClose(d); }
};
using Dataset = std::unique_ptr<GDALDataset, DatasetClose>;

Dataset open_vector(const std::string& path) {
  GDALAllRegister();
  return Dataset(static_cast<GDALDataset*>(
      GDALOpenEx(path.c_str(), GDAL_OF_VECTOR | GDAL_OF_READONLY, nullptr, nullptr, nullptr)));
}

// The small study with a schedule, three receptors (limits `limits`, "" for
// none) at 100, 300 and 500 feet east of the well, and `outputs`.
std::string points_study(const std::vector<std::string>& limits, const std::string& outputs) {
  std::string text = edited(study_testing::kSmallStudy, "rate = 250000.0", "schedule = [[0.0, 250000.0], [60.0, -400000.0]]");
  text = edited(text, "columns = 4", "columns = 12");
  std::string receptors;
  const char* xs[] = {"2150250.0", "2150450.0", "2150650.0"};
  for (std::size_t k = 0; k < limits.size(); ++k)
    receptors += "[[receptor]]\nname = \"R-" + std::to_string(k + 1) + "\"\nx = " + xs[k] + "\ny = 720150.0\n" +
                 (limits[k].empty() ? "" : "limit = " + limits[k] + "\n") + "\n";
  const std::size_t from = text.find("[[receptor]]"), to = text.find("[output]");
  text = text.substr(0, from) + receptors + text.substr(to);
  return edited(text, "grid = \"drawdown.asc\"\nseries = \"series.csv\"\n", outputs);
}

// The compliance CSV's rows by name: the columns after the name.
std::map<std::string, std::vector<std::string>> csv_rows(const std::string& text) {
  std::map<std::string, std::vector<std::string>> rows;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> cells;
    std::stringstream cut(line);
    for (std::string cell; std::getline(cut, cell, ',');) cells.push_back(cell);
    if (line.back() == ',') cells.emplace_back();
    rows[cells.front()] = std::vector<std::string>(cells.begin() + 1, cells.end());
  }
  return rows;
}

TEST(StudyPoints, TheReceptorsCarryTheirComplianceAndTheWellsTheirPlannedRate) {
  ScratchFolder folder;
  // R-1 close to the well exceeds 1 ft; R-2 stays within 20 ft; R-3 has no limit.
  folder.write("study.toml", points_study({"1.0", "20.0", ""}, "points = \"points.gpkg\"\ncompliance = \"c.csv\"\n"));
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Dataset d = open_vector(folder.path() + "/out/points.gpkg");
  ASSERT_TRUE(d);
  OGRLayer* wells = d->GetLayerByName("wells");
  ASSERT_NE(wells, nullptr);
  wells->ResetReading();
  std::unique_ptr<OGRFeature> pw(wells->GetNextFeature());
  ASSERT_NE(pw, nullptr);
  EXPECT_EQ(pw->GetFieldAsDouble("planned_rate"), -400000.0) << "the step of largest size, injection negative";

  const auto rows = csv_rows(folder.read("out/c.csv"));
  OGRLayer* receptors = d->GetLayerByName("receptors");
  ASSERT_NE(receptors, nullptr);
  const OGRFeatureDefn* defn = receptors->GetLayerDefn();
  ASSERT_GE(defn->GetFieldIndex("exceeded"), 0);
  EXPECT_EQ(defn->GetFieldDefn(defn->GetFieldIndex("exceeded"))->GetType(), OFTString);
  const struct {
    const char* name;
    const char* exceeded;  // null: no limit
  } kCases[] = {{"R-1", "yes"}, {"R-2", "no"}, {"R-3", nullptr}};
  receptors->ResetReading();
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<OGRFeature> r(receptors->GetNextFeature());
    ASSERT_NE(r, nullptr);
    ASSERT_STREQ(r->GetFieldAsString("name"), c.name);
    const char* fields[] = {"limit", "largest_drawdown", "day", "first_exceeded", "margin", "exceeded"};
    if (c.exceeded == nullptr) {
      for (const char* f : fields) EXPECT_FALSE(r->IsFieldSetAndNotNull(r->GetFieldIndex(f))) << f;
      continue;
    }
    EXPECT_STREQ(r->GetFieldAsString("exceeded"), c.exceeded);
    const double limit = r->GetFieldAsDouble("limit"), largest = r->GetFieldAsDouble("largest_drawdown");
    EXPECT_EQ(largest > limit, std::string(c.exceeded) == "yes");
    EXPECT_NEAR(r->GetFieldAsDouble("margin"), limit - largest, 1e-5 * limit);
    // The largest over the continuous time axis is at least each sampled
    // time's (to the table's six digits).
    for (const char* t : {"dd_30d", "dd_90d"}) EXPECT_GE(largest, r->GetFieldAsDouble(t) * (1 - 1e-5)) << t;
    const bool first = r->IsFieldSetAndNotNull(r->GetFieldIndex("first_exceeded"));
    EXPECT_EQ(first, std::string(c.exceeded) == "yes");
    if (first) {
      EXPECT_LE(r->GetFieldAsDouble("first_exceeded"), r->GetFieldAsDouble("day"));
    }
    // The same numbers as the compliance table's cells.
    const std::vector<std::string>& row = rows.at(c.name);
    ASSERT_GE(row.size(), 5u);
    EXPECT_EQ(limit, std::stod(row[0]));
    EXPECT_EQ(limit, r->GetFieldAsDouble("limit_ft")) << "the layer's own limit field";
    EXPECT_EQ(largest, std::stod(row[1]));
    EXPECT_EQ(r->GetFieldAsDouble("day"), std::stod(row[2]));
    EXPECT_EQ(first, !row[3].empty());
    if (first) {
      EXPECT_EQ(r->GetFieldAsDouble("first_exceeded"), std::stod(row[3]));
    }
    EXPECT_EQ(r->GetFieldAsDouble("margin"), std::stod(row[4]));
  }
}

// Without a limit anywhere the layers hold what they held before: no
// compliance fields, no planned rate.
TEST(StudyPoints, WithoutLimitsTheLayersKeepTheirFields) {
  ScratchFolder folder;
  folder.write("study.toml", points_study({"", ""}, "points = \"points.gpkg\"\n"));
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Dataset d = open_vector(folder.path() + "/out/points.gpkg");
  ASSERT_TRUE(d);
  const struct {
    const char* layer;
    std::vector<std::string> fields;
  } kLayers[] = {{"wells", {"name", "rate_30d", "rate_90d"}},
                 {"receptors", {"name", "limit_ft", "dd_30d", "dd_90d"}}};
  for (const auto& l : kLayers) {
    OGRLayer* layer = d->GetLayerByName(l.layer);
    ASSERT_NE(layer, nullptr) << l.layer;
    std::vector<std::string> fields;
    for (int k = 0; k < layer->GetLayerDefn()->GetFieldCount(); ++k)
      fields.emplace_back(layer->GetLayerDefn()->GetFieldDefn(k)->GetNameRef());
    EXPECT_EQ(fields, l.fields) << l.layer;
  }
}

TEST(StudyPoints, AnEnsembleAndAStartDateAddTheProbabilityAndTheDate) {
  ScratchFolder folder;
  std::string text = points_study({"1.0", "20.0"}, "points = \"points.gpkg\"\ncompliance = \"c.csv\"\n");
  text = edited(text, "times = [30.0, 90.0]", "start_date = 2027-01-01\ntimes = [30.0, 90.0]");
  text = edited(text, "[output]", "[uncertainty]\ntransmissivity = [20000.0, 120000.0]\nrealizations = 20\n\n[output]");
  folder.write("study.toml", text);
  const RunResult run = run_program(folder, "", {"--study", "study.toml"});
  ASSERT_EQ(run.status, 0) << run.err;
  // The compliance CSV's header names its columns: find probability_exceeded.
  const std::string csv = folder.read("out/c.csv");
  const auto rows = csv_rows(csv);
  std::vector<std::string> header;
  std::stringstream first(csv.substr(0, csv.find('\n')));
  for (std::string cell; std::getline(first, cell, ',');) header.push_back(cell);
  const auto column = std::find(header.begin(), header.end(), "probability_exceeded");
  ASSERT_NE(column, header.end()) << csv;
  const std::size_t at = static_cast<std::size_t>(column - header.begin()) - 1;  // rows drop the name
  const auto dated = std::find(header.begin(), header.end(), "at_date");
  ASSERT_NE(dated, header.end()) << csv;
  const std::size_t at_date = static_cast<std::size_t>(dated - header.begin()) - 1;
  const Dataset d = open_vector(folder.path() + "/out/points.gpkg");
  ASSERT_TRUE(d);
  OGRLayer* receptors = d->GetLayerByName("receptors");
  ASSERT_NE(receptors, nullptr);
  receptors->ResetReading();
  for (const char* name : {"R-1", "R-2"}) {
    SCOPED_TRACE(name);
    std::unique_ptr<OGRFeature> r(receptors->GetNextFeature());
    ASSERT_NE(r, nullptr);
    const std::vector<std::string>& row = rows.at(name);
    EXPECT_EQ(r->GetFieldAsDouble("probability_exceeded"), std::stod(row.at(at)));
    EXPECT_STREQ(r->GetFieldAsString("date"), row.at(at_date).c_str()) << "the table's date of its day";
    EXPECT_EQ(std::string(r->GetFieldAsString("date")).rfind("2027-01-", 0), 0u) << "days 13 and 14 of January";
  }
}

}  // namespace
