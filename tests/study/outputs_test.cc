// The files and the console text of a study: its outputs as the request, the
// series CSV, the grids as the map outputs see them
// (wells at their rates of the time, one colour scale for all pictures), and
// the summary table.
#include "study/outputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "pictures/plot.h"
#include "study/console.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::read_text;

TEST(StudyOutputs, TheRequestHoldsTheOutputsAndTheirSettings) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.crs = "EPSG:2264";
  s.output.plots = {"map.png"};
  s.output.levels = {1.0, 5.0};
  s.output.range = std::pair{0.0, 9.0};
  const outputs::Request r = study::request_of(s);
  EXPECT_EQ(r.grid, "drawdown.asc");
  EXPECT_EQ(r.series, "series.csv");
  EXPECT_EQ(r.plots, s.output.plots);
  EXPECT_TRUE(r.with_crs);
  EXPECT_EQ(r.times, s.times);
  EXPECT_EQ(r.levels, s.output.levels);
  EXPECT_EQ(r.range, s.output.range);
  EXPECT_EQ(r.dpi, pictures::kDefaultDpi);
  EXPECT_EQ(outputs::path(r, "series.csv"), "out/series.csv");
}

TEST(StudyOutputs, TheMapOutputsShowEachWellAtItsRateOfTheTime) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.wells[0].steps = {{0.0, 250000.0}, {60.0, 400000.0}, {200.0, 0.0}};
  s.wells.push_back({"IW-1", 2150350.0, 720250.0, {{0.0, -150000.0}}});
  s.wells.push_back({"late", 2150000.0, 720000.0, {{100.0, 50000.0}}});
  struct Case {
    double t;
    std::vector<float> rates;
  };
  // A step counts from the first time after its day, as in the evaluation.
  for (const Case& k : {Case{30.0, {250000.0f, -150000.0f, 0.0f}}, Case{60.0, {250000.0f, -150000.0f, 0.0f}},
                        Case{90.0, {400000.0f, -150000.0f, 0.0f}}, Case{365.0, {0.0f, -150000.0f, 50000.0f}}}) {
    const std::vector<engine::Well> wells = study::wells_at(s, k.t);
    ASSERT_EQ(wells.size(), 3u);
    for (std::size_t i = 0; i < wells.size(); ++i) EXPECT_EQ(wells[i].q, k.rates[i]) << "day " << k.t << ", well " << i;
  }
  // Node-unit places on the grid whose corner is (2150000, 720000), 100 ft cells.
  const std::vector<engine::Well> wells = study::wells_at(s, 30.0);
  EXPECT_EQ(wells[0].x, 2.0f);
  EXPECT_EQ(wells[0].y, 2.0f);
  EXPECT_EQ(wells[1].x, 4.0f);
  EXPECT_EQ(wells[2].y, 0.5f);
}

TEST(StudyOutputs, ThePicturesOfAllTimesShareOneColourScale) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.receptors.push_back({"Creek", 2150000.5, 720100.0, std::nullopt});
  // An early grid of drawdowns 0 .. 2 and a late one of -1 .. 5; each has its
  // well node (2, 2) far above the rest, which neither scale takes.
  engine::DrawdownGrid early(4, 3), late(4, 3);
  for (std::int32_t r = 1; r <= 3; ++r)
    for (std::int32_t c = 1; c <= 4; ++c) {
      early(c, r) = static_cast<float>(c + r - 2) * 0.4f;
      late(c, r) = static_cast<float>(c + r) - 3.0f;
    }
  early(2, 2) = 50.0f, late(2, 2) = 90.0f;
  const std::vector<engine::Well> wells_early = study::wells_at(s, 30.0), wells_late = study::wells_at(s, 90.0);
  const std::vector<engine::EvaluatedGrid> times{study::evaluated_grid(s, 30.0, early, wells_early),
                                                 study::evaluated_grid(s, 90.0, late, wells_late)};
  const pictures::PlotOptions options = study::plot_options(s, times);
  EXPECT_EQ(options.well_names, std::vector<std::string>{"PW-1"});
  ASSERT_EQ(options.markers.size(), 2u);
  EXPECT_EQ(options.markers[1].name, "Creek");
  EXPECT_EQ(options.markers[1].x, 2150000.5);
  EXPECT_EQ(options.input_name, "small");

  for (const engine::EvaluatedGrid& e : times) {
    const pictures::PlotLayout shared = pictures::plot_layout(e, options);
    EXPECT_EQ(shared.colours.lo, -1.0) << "day " << e.TIME;
    EXPECT_EQ(shared.colours.hi, 4.0f) << "day " << e.TIME << ": the late grid's highest cell off the well";
    EXPECT_EQ(shared.colours.palette, pictures::Palette::kDiverging) << "the late grid holds a rise";
    EXPECT_EQ(shared.levels, pictures::plot_layout(times[1], options).levels);
  }
  pictures::PlotOptions alone = options;
  alone.scale_from = {};
  const pictures::PlotLayout early_alone = pictures::plot_layout(times[0], alone);
  EXPECT_EQ(early_alone.colours.hi, 2.0f);
  EXPECT_EQ(early_alone.colours.palette, pictures::Palette::kViridis);
}

TEST(StudyOutputs, TheSeriesHoldsEveryReceptorAndTimeInShortestText) {
  study::Study s = read_text(study_testing::kSmallStudy);
  s.receptors.push_back({"Smith, J. \"domestic\"", 2150000.25, -1.0, std::nullopt});
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
  s.receptors.push_back({"Wetland edge", 0.0, 0.0, std::nullopt});
  const std::vector<double> times{30.0, 90.0, 365.0};
  // The first of equal largest values counts; a value that is not finite never does.
  const std::vector<std::vector<float>> values{{1.5f, 2.25f, 2.25f},
                                               {std::numeric_limits<float>::quiet_NaN(), -0.5f, -0.75f}};
  // PW-1 lies on node (2, 2): the nodes within 100 ft of it are passed over.
  engine::DrawdownGrid DD(4, 3);
  DD(2, 2) = 30.0f, DD(3, 2) = 20.0f, DD(4, 1) = 7.25f, DD(4, 3) = 7.25f, DD(1, 3) = -2.5f;
  DD(1, 1) = std::numeric_limits<float>::infinity();
  engine::DrawdownGrid empty(4, 3);
  for (std::int32_t r = 1; r <= 3; ++r)
    for (std::int32_t c = 1; c <= 4; ++c) empty(c, r) = std::numeric_limits<float>::quiet_NaN();
  const std::vector<scenario::GridExtremes> extremes{scenario::grid_extremes(DD, s), scenario::grid_extremes(empty, s)};
  EXPECT_EQ(study::summary_text(s, times, values, extremes, {}, "extra\n"),
            "receptor      largest drawdown (ft)  at day\n"
            "R-1                            2.25      90\n"
            "Wetland edge                   -0.5      90\n"
            "\n"
            "the grid beyond one spacing (100 ft) of every well:\n"
            "day  largest drawdown (ft)  at x (ft)  y (ft)  node    largest rise (ft)  at x (ft)  y (ft)  node\n"
            " 30                   7.25    2150350  720050  (4, 1)                2.5    2150050  720250  (1, 3)\n"
            " 90                   none          -       -  -                    none          -       -  -\n"
            "\n"
            "extra\n");
}

TEST(StudyConsole, TheProgressBar) {
  EXPECT_EQ(study::Progress::bar("grid at day 30", 45, 100, 3.2),
            "grid at day 30 [#############.................]  45%  3 s");
  EXPECT_EQ(study::Progress::bar("x", 7, 0, 0.0), "x [##############################] 100%  0 s");
  // Reading, whose total is not known beforehand: the rows so far.
  EXPECT_EQ(study::Progress::count("reading study.toml", 523000, 2.4), "reading study.toml: 523000 rows  2 s");
}

}  // namespace
