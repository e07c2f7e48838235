// The one writer of a request's files: a time's ESRI grid as the time comes,
// the pictures at the end from the copies it keeps, every file told once, a
// failure told with its reason, and nothing kept beyond need.
#include "outputs/writer.h"

#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// A fresh folder for one test, removed after it.
class WriterTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("writer_test_" + std::to_string(::getpid()) + "_" + testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // `name` in the test's folder.
  std::string at(const std::string& name) const { return (dir_ / name).string(); }

  // A writer of `r` by paths as given, each file told into told_.
  outputs::Writer writer(const outputs::Request& r, outputs::Place place = {}) {
    return outputs::Writer(r, std::move(place), {}, [this](const outputs::PlannedFile& f, const std::string& why) {
      told_.push_back(f.name + (why.empty() ? "" : ": " + why));
    });
  }

  fs::path dir_;
  std::vector<std::string> told_;
};

// A 4 x 3 grid of drawdowns rising with the column, at day `t`.
struct Time {
  explicit Time(double t, float base) : DD(4, 3), wells{{2.0f, 2.0f, 1000.0f}} {
    for (std::int32_t r = 1; r <= 3; ++r)
      for (std::int32_t c = 1; c <= 4; ++c) DD(c, r) = base + static_cast<float>(c);
    e.NX = 4, e.NY = 3, e.SPACING = 100, e.T = 5000, e.S = 1e-4f, e.LEAK = 1e-3f;
    e.TIME = static_cast<float>(t);
    e.DD = &DD;
    e.wells = wells;
  }
  engine::DrawdownGrid DD;
  std::vector<engine::Well> wells;
  engine::EvaluatedGrid e;
};

TEST_F(WriterTest, WritesEachTimesGridAsItComesAndKeepsNothing) {
  outputs::Writer w = writer({.grid = at("dd.asc"), .times = {30, 90}});
  EXPECT_FALSE(w.keeps_every_time());
  Time early(30, 0.0f), late(90, 1.0f);
  w.add(early.e);
  EXPECT_TRUE(fs::exists(at("dd_30d.asc"))) << "written before the next time comes";
  EXPECT_EQ(told_, std::vector<std::string>{at("dd_30d.asc")});
  w.add(late.e);
  EXPECT_TRUE(w.kept().empty()) << "no output needs the times together";
  w.finish({});
  EXPECT_EQ(told_, (std::vector<std::string>{at("dd_30d.asc"), at("dd_90d.asc")}));
}

TEST_F(WriterTest, ARewrittenGridLosesTheStatisticsLeftBesideIt) {
  // GDAL's NAME.aux.xml beside each grid, and one beside a file the study
  // does not write, which stays.
  struct Case {
    const char* grid;
    std::vector<const char*> written;
  };
  const Case cases[] = {{"dd.asc", {"dd_30d.asc", "dd_90d.asc"}}, {"dd.tif", {"dd.tif"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.grid);
    for (const char* name : c.written) std::ofstream(at(std::string(name) + ".aux.xml")) << "<PAMDataset/>";
    std::ofstream(at("other.tif.aux.xml")) << "<PAMDataset/>";
    outputs::Writer w = writer({.grid = at(c.grid), .times = {30, 90}});
    Time early(30, 0.0f), late(90, 1.0f);
    w.add(early.e);
    w.add(late.e);
    w.finish({});
    for (const char* name : c.written) {
      EXPECT_TRUE(fs::exists(at(name))) << name;
      EXPECT_FALSE(fs::exists(at(std::string(name) + ".aux.xml"))) << name;
    }
    EXPECT_TRUE(fs::exists(at("other.tif.aux.xml")));
  }
}

TEST_F(WriterTest, KeepsItsOwnCopiesForThePicturesOfAllTimes) {
  outputs::Writer w =
      writer({.grid = at("dd.asc"), .plots = {at("map.svg")}, .times = {30, 90}, .range = std::pair{0.0, 5.0}});
  ASSERT_TRUE(w.keeps_every_time());
  {
    Time early(30, 0.0f);
    w.add(early.e);
    early.DD(1, 1) = -100.0f;  // the caller's grid changes or goes: the writer's copy does not
    early.wells[0].q = 0.0f;
  }
  Time late(90, 1.0f);
  engine::DrawdownGrid own = late.DD;
  late.e.DD = &own;
  w.add(late.e, std::move(own));
  const std::vector<engine::EvaluatedGrid> kept = w.kept();
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_EQ((*kept[0].DD)(1, 1), 1.0f);
  EXPECT_EQ(kept[0].wells[0].q, 1000.0f);
  EXPECT_EQ(kept[0].TIME, 30.0f);
  EXPECT_EQ((*kept[1].DD)(4, 3), 5.0f);
  EXPECT_EQ(told_, (std::vector<std::string>{at("dd_30d.asc"), at("dd_90d.asc")})) << "the pictures wait for finish";
  w.finish({1.0, 2.0});
  EXPECT_EQ(told_, (std::vector<std::string>{at("dd_30d.asc"), at("dd_90d.asc"), at("map_30d.svg"), at("map_90d.svg")}));
  EXPECT_GT(fs::file_size(at("map_90d.svg")), 0u);
  EXPECT_TRUE(w.kept().empty()) << "nothing kept after the end";
}

TEST_F(WriterTest, TellsAFailureAndWritesTheRest) {
  outputs::Writer w = writer({.grid = at("none/dd.asc"), .series = at("s.csv"), .times = {30}});
  Time t(30, 0.0f);
  w.add(t.e);
  w.finish({});
  w.write(outputs::Kind::kSeries, [](const files::Target& target) { return files::write_whole_file(target, "a\n"); });
  w.write(outputs::Kind::kPoints, [](const files::Target&) -> std::string { return "not asked for"; });
  ASSERT_EQ(told_.size(), 2u) << "a kind not asked for writes nothing";
  EXPECT_TRUE(told_[0].starts_with(at("none/dd.asc") + ": ")) << told_[0];
  EXPECT_GT(told_[0].size(), at("none/dd.asc").size() + 2) << "with its reason";
  EXPECT_EQ(told_[1], at("s.csv"));
}

TEST_F(WriterTest, RefusesAnOutputThatWouldReplaceATakenOrWrittenFile) {
  files::write_whole_file(files::Target(at("report.txt")), "the report\n");
  outputs::Place place;
  place.taken = {{at("report.txt"), "the report file"}};
  place.same = [](const std::string& a, const std::string& b) {
    std::error_code ec;
    return fs::equivalent(a, b, ec) && !ec;
  };
  place.what = [](outputs::Kind kind) { return kind == outputs::Kind::kSeries ? "the series" : "the other"; };
  outputs::Writer w = writer({.series = at("report.txt"), .compliance = at("./c.csv"), .points = at("c.csv"), .times = {30}},
                             std::move(place));
  auto text = [](const files::Target& target) { return files::write_whole_file(target, "x\n"); };
  w.write(outputs::Kind::kSeries, text);
  w.write(outputs::Kind::kCompliance, text);
  w.write(outputs::Kind::kPoints, text);
  EXPECT_EQ(told_, (std::vector<std::string>{at("report.txt") + ": it is the report file", at("./c.csv"),
                                             at("c.csv") + ": it is the other"}));
  std::ifstream report(at("report.txt"));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(report), {}), "the report\n") << "untouched";
}

TEST_F(WriterTest, WritesNamesIntoAnOpenFolder) {
  files::OutputFolder folder;
  ASSERT_EQ(folder.open_given(at("out")), "");
  outputs::Place place;
  place.folder = &folder;
  outputs::Writer w = writer({.grid = "dd.asc", .series = "s.csv", .times = {1, 2}}, std::move(place));
  Time a(1, 0.0f), b(2, 0.0f);
  w.add(a.e);
  w.add(b.e);
  w.write(outputs::Kind::kSeries, [](const files::Target& t) { return files::write_whole_file(t, "s\n"); });
  EXPECT_EQ(told_, (std::vector<std::string>{"dd_1d.asc", "dd_2d.asc", "s.csv"}));
  std::vector<std::string> written;
  for (const files::WrittenFile& f : folder.written()) written.push_back(f.name);
  EXPECT_EQ(written, told_);
  EXPECT_TRUE(fs::exists(at("out/dd_2d.asc")));
}

}  // namespace
