// The files and the console text of a study: names per time, the series CSV,
// outputs that would replace inputs, and the summary table.
#include "study/outputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "study/console.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::read_text;

TEST(StudyOutputs, GridFilesAreNamedByTheirDayWhenThereAreSeveral) {
  study::Study s = read_text(study_testing::kSmallStudy);
  EXPECT_EQ(study::grid_file_name(s, 30.0), "drawdown_30d.asc");
  EXPECT_EQ(study::grid_file_name(s, 0.5), "drawdown_0.5d.asc");
  s.output.grid = "maps/dd";
  EXPECT_EQ(study::grid_file_name(s, 365.0), "maps/dd_365d") << "no ending: the day goes last";
  s.times = {30.0};
  EXPECT_EQ(study::grid_file_name(s, 30.0), "maps/dd") << "one time: the name as given";

  s = read_text(study_testing::kSmallStudy);
  const std::vector<study::OutputFileName> files = study::output_files(s);
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0].path, "out/drawdown_30d.asc");
  EXPECT_EQ(files[1].path, "out/drawdown_90d.asc");
  EXPECT_EQ(files[2].what, "the series file");
  EXPECT_EQ(files[2].path, "out/series.csv");
  EXPECT_FALSE(study::output_clash(s));
}

TEST(StudyOutputs, NoOutputReplacesAnInputOrAnotherOutput) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.inputs.push_back("data/wells.csv");
  s.output.folder = "data/maps/..";
  s.output.series = "wells.csv";
  EXPECT_EQ(study::output_clash(s).value_or(""),
            "study.toml: the series file 'data/maps/../wells.csv' would replace the input file 'data/wells.csv'");
  s = read_text(study_testing::kSmallStudy);
  s.output.series = "./drawdown_90d.asc";
  EXPECT_EQ(study::output_clash(s).value_or(""),
            "study.toml: the series file and the grid file are the same file 'out/./drawdown_90d.asc'");
}

TEST(StudyOutputs, TheSeriesHoldsEveryReceptorAndTimeInShortestText) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.receptors.push_back({"Smith, J. \"domestic\"", 2150000.25, -1.0});
  const std::vector<double> times{1.0, 365.0};
  const std::vector<std::vector<float>> values{{0.1f, 3.4769957f}, {-0.0f, std::numeric_limits<float>::quiet_NaN()}};
  EXPECT_EQ(study::series_text(s, times, values),
            "name,x,y,days,drawdown_ft\n"
            "R-1,2150250,720150,1,0.1\n"
            "R-1,2150250,720150,365,3.4769957\n"
            "\"Smith, J. \"\"domestic\"\"\",2150000.25,-1,1,-0\n"
            "\"Smith, J. \"\"domestic\"\"\",2150000.25,-1,365,nan\n");
}

TEST(StudyConsole, TheSummaryGivesEachReceptorsAndEachTimesLargestDrawdown) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.receptors.push_back({"Wetland edge", 0.0, 0.0});
  const std::vector<double> times{30.0, 90.0, 365.0};
  // The first of equal largest values counts; a value that is not finite never does.
  const std::vector<std::vector<float>> values{{1.5f, 2.25f, 2.25f},
                                               {std::numeric_limits<float>::quiet_NaN(), -0.5f, -0.75f}};
  engine::DrawdownGrid DD(4, 3);
  DD(2, 1) = 7.25f, DD(4, 3) = 7.25f, DD(1, 1) = std::numeric_limits<float>::infinity();
  engine::DrawdownGrid empty(4, 3);
  for (std::int32_t r = 1; r <= 3; ++r)
    for (std::int32_t c = 1; c <= 4; ++c) empty(c, r) = std::numeric_limits<float>::quiet_NaN();
  const std::vector<study::GridLargest> largest{study::grid_largest(DD, s.grid), study::grid_largest(empty, s.grid)};
  EXPECT_EQ(largest[0].c, 2);
  EXPECT_EQ(largest[0].r, 1);
  EXPECT_FALSE(largest[1].found);
  EXPECT_EQ(study::summary_text(s, times, values, largest),
            "receptor      largest drawdown (ft)  at day\n"
            "R-1                            2.25      90\n"
            "Wetland edge                   -0.5      90\n"
            "\n"
            "day  largest drawdown (ft)  at x (ft)  y (ft)  node\n"
            " 30                   7.25    2150150  720050  (2, 1)\n"
            " 90                   none          -       -  -\n");
}

TEST(StudyConsole, TheProgressBar) {
  EXPECT_EQ(study::Progress::bar("grid at day 30", 45, 100, 3.2),
            "grid at day 30 [#############.................]  45%  3 s");
  EXPECT_EQ(study::Progress::bar("x", 7, 0, 0.0), "x [##############################] 100%  0 s");
}

}  // namespace
