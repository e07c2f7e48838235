// Reading study files: what a good file gives, and the CSV forms of wells and
// receptors.
#include "study/reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "inputs/csv.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

TEST(StudyReader, ASmallStudyGivesEveryValue) {
  const study::Study s = read_text(kSmallStudy);
  EXPECT_EQ(s.title, "small");
  EXPECT_EQ(s.times, (std::vector<double>{30.0, 90.0}));
  EXPECT_EQ(s.aquifer.transmissivity, 50000.0);
  EXPECT_EQ(s.aquifer.leakance, 0.001);
  EXPECT_EQ(s.grid.xll, 2150000.0);
  EXPECT_EQ(s.grid.spacing, 100);
  EXPECT_EQ(s.grid.columns, 4);
  EXPECT_EQ(s.grid.rows, 3);
  ASSERT_EQ(s.wells.size(), 1u);
  EXPECT_EQ(s.wells[0].name, "PW-1");
  ASSERT_EQ(s.wells[0].steps.size(), 1u) << "a plain rate is one step at day 0";
  EXPECT_EQ(s.wells[0].steps[0].day, 0.0);
  EXPECT_EQ(s.wells[0].steps[0].rate, 250000.0);
  ASSERT_EQ(s.receptors.size(), 1u);
  EXPECT_EQ(s.receptors[0].x, 2150250.0);
  EXPECT_EQ(s.output.folder, "out") << "relative to the study file's folder, which is the current one here";
  EXPECT_EQ(s.series_times, s.times) << "the series defaults to the grid's times";
  EXPECT_EQ(s.output.well_function, scenario::WellFunction::exact) << "the true well function unless the rule is asked for";
  EXPECT_EQ(s.inputs, (std::vector<std::string>{"study.toml"}));
}

TEST(StudyReader, DefaultsAndOptionalKeys) {
  std::string text = edited(kSmallStudy, "title = \"small\"\n", "crs = \"EPSG:2264\"\n");
  text = edited(text, "[output]\nfolder = \"out\"\ngrid = \"drawdown.asc\"\nseries = \"series.csv\"\n",
                "[output]\nseries_times = [1, 2.5, 365]\nwell_function = \"rule\"\n");
  const study::Study s = study::read_study(text, "studies/a/permit.toml", [](const std::string&, std::string& why) {
    why = "none";
    return std::optional<std::string>();
  });
  EXPECT_EQ(s.title, "permit.toml") << "without a title, the file's name";
  EXPECT_EQ(s.crs, "EPSG:2264");
  EXPECT_EQ(s.output.folder, "studies/a") << "without a folder, the study file's own";
  EXPECT_EQ(s.output.grid, "");
  EXPECT_EQ(s.series_times, (std::vector<double>{1.0, 2.5, 365.0})) << "whole numbers are days too";
  EXPECT_EQ(s.output.well_function, scenario::WellFunction::rule);
}

TEST(StudyReader, LettersBeyondAsciiInQuotesAndComments) {
  // Latin, Greek, CJK punctuation and an Arabic ligature, raw and escaped.
  std::string text = edited(kSmallStudy, "name = \"PW-1\"", "name = \"Brunnen Müller、第一。\"  # Förderbrunnen ﻼ");
  text = edited(text, "title = \"small\"", "title = '''\nÎle «Ω» ﻼ'''\ncrs = \"\\u00e9 \\\\ é \\u3001\"");
  // A name of 200 characters, each of two bytes, is not too long.
  std::string longest;
  for (int i = 0; i < 200; ++i) longest += "é";
  text = edited(text, "name = \"R-1\"", "name = \"" + longest + "\"");
  const study::Study s = read_text(text);
  EXPECT_EQ(s.wells[0].name, "Brunnen Müller、第一。");
  EXPECT_EQ(s.title, "Île «Ω» ﻼ");
  EXPECT_EQ(s.receptors[0].name, longest);
  EXPECT_EQ(s.crs, "é \\ é 、");
}

TEST(StudyReader, SchedulesAndWholeNumbersForRates) {
  const std::string text = edited(kSmallStudy, "rate = 250000.0\n",
                                  "schedule = [[0, 250000], [60.0, 400000.0], [200, 0]]\n");
  const study::Study s = read_text(text);
  ASSERT_EQ(s.wells[0].steps.size(), 3u);
  EXPECT_EQ(s.wells[0].steps[1].day, 60.0);
  EXPECT_EQ(s.wells[0].steps[1].rate, 400000.0);
  EXPECT_EQ(s.wells[0].steps[2].rate, 0.0);
}

TEST(StudyReader, WellsAndReceptorsFromCsvFilesInTheStudysFolder) {
  struct Case {
    const char* name;
    std::string wells_csv;
  };
  // The same three wells: with and without a header, in the schedule form,
  // with CR LF line ends, quoted names and blank lines.
  const Case cases[] = {
      {"header", "name,x,y,rate\nPW-2,2150050,720050,100000\n\"PW, 3\",2150350.5,720250,-5e4\nPW-4,0,0,7\n"},
      {"no header", "PW-2,2150050,720050,100000\r\n\"PW, 3\",2150350.5,720250,-5e4\r\n\r\nPW-4,0,0,7\r\n"},
      {"schedule form",
       "Name, X, Y, Start_Day, Rate\nPW-2,2150050,720050,0,100000\n\"PW, 3\",2150350.5,720250,0,-50000\n"
       "PW-4,0,0,0,7\n"},
  };
  for (const Case& k : cases) {
    const std::string text = edited(kSmallStudy, "title = \"small\"\n",
                                    "title = \"small\"\nwells_file = \"wells.csv\"\nreceptors_file = \"r.csv\"\n");
    const study::Study s = read_text(text, {{"wells.csv", k.wells_csv}, {"r.csv", "R-2, 2150000 ,720000\n"}});
    ASSERT_EQ(s.wells.size(), 4u) << k.name;
    EXPECT_EQ(s.wells[0].name, "PW-1") << "[[well]] tables come first";
    EXPECT_EQ(s.wells[2].name, "PW, 3") << k.name;
    EXPECT_EQ(s.wells[2].x, 2150350.5) << k.name;
    EXPECT_EQ(s.wells[2].steps[0].rate, -50000.0) << k.name;
    EXPECT_EQ(s.wells[3].steps[0].rate, 7.0) << k.name;
    ASSERT_EQ(s.receptors.size(), 2u);
    EXPECT_EQ(s.receptors[1].name, "R-2");
    EXPECT_EQ(s.receptors[1].x, 2150000.0) << "blanks around a number are ignored";
    EXPECT_EQ(s.inputs, (std::vector<std::string>{"study.toml", "wells.csv", "r.csv"}));
  }

  // Rows of one name in the schedule form are the steps of one well.
  const std::string text = edited(kSmallStudy, "title = \"small\"\n", "wells_file = \"w/s.csv\"\n");
  const study::Study s = read_text(
      text, {{"w/s.csv", "A,10,20,0,100\nB,30,40,5,200\nA,10,20,60,300\nA,10,20,90,0\n"}});
  ASSERT_EQ(s.wells.size(), 3u);
  EXPECT_EQ(s.wells[1].name, "A");
  ASSERT_EQ(s.wells[1].steps.size(), 3u);
  EXPECT_EQ(s.wells[1].steps[2].day, 90.0);
  EXPECT_EQ(s.wells[2].name, "B");
  EXPECT_EQ(s.wells[2].steps[0].day, 5.0) << "a well may start after day 0";
}

}  // namespace

namespace {

// CSV files as GIS tools export them: columns found by their header's names
// in any case or by their aliases, or as the study names them; others passed over.
TEST(StudyReader, CsvColumnsAreFoundByTheirNames) {
  const std::string base = edited(kSmallStudy, "[[well]]\nname = \"PW-1\"\nx = 2150150.0\ny = 720150.0\nrate = 250000.0\n", "");
  const std::string no_receptor = edited(base, "[[receptor]]\nname = \"R-1\"\nx = 2150250.0\ny = 720150.0\n", "");
  struct Case {
    const char* what;
    std::string top;  // the wells_file and receptors_file keys
    std::string wells, receptors;
  };
  const Case cases[] = {
      {"aliases in any case, extra columns",
       "wells_file = \"w.csv\"\nreceptors_file = \"r.csv\"\n",
       "FID,Id,Easting,NORTHING,Rate_GPD,Notes\n1,PW-2,2150050,720050,100000,\"new, deep\"\n",
       "Label,Limit_Ft,x,y,Owner\nR-2,2.5,2150350,720250,Smith\n"},
      {"columns named in the study",
       "wells_file = { file = \"w.csv\", columns = { x = \"POINT_X\", y = \"POINT_Y\", name = \"WELL\" } }\n"
       "receptors_file = { file = \"r.csv\", columns = { name = \"SITE\", limit = \"MAX_DD\" } }\n",
       "x_old,WELL,POINT_X,POINT_Y,rate\n9,PW-2,2150050,720050,100000\n",
       "SITE,X,Y,MAX_DD\nR-2,2150350,720250,2.5\n"},
      {"by position, no header", "wells_file = \"w.csv\"\nreceptors_file = \"r.csv\"\n",
       "PW-2,2150050,720050,100000\n", "R-2,2150350,720250,2.5\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const study::Study s = read_text(c.top + no_receptor, {{"w.csv", c.wells}, {"r.csv", c.receptors}});
    ASSERT_EQ(s.wells.size(), 1u);
    EXPECT_EQ(s.wells[0].name, "PW-2");
    EXPECT_EQ(s.wells[0].x, 2150050.0);
    EXPECT_EQ(s.wells[0].y, 720050.0);
    ASSERT_EQ(s.wells[0].steps.size(), 1u);
    EXPECT_EQ(s.wells[0].steps[0].rate, 100000.0);
    ASSERT_EQ(s.receptors.size(), 1u);
    EXPECT_EQ(s.receptors[0].name, "R-2");
    EXPECT_EQ(s.receptors[0].x, 2150350.0);
    EXPECT_EQ(s.receptors[0].limit, std::optional<double>(2.5));
  }

  // A schedule with radii, in an order of its own.
  const study::Study scheduled = read_text(
      "wells_file = \"w.csv\"\n" + base,
      {{"w.csv", "rate,Start_Day,id,y,x,Radius_ft\n100,0,A,20,10,0.5\n300,60,A,20,10,\n"}});
  ASSERT_EQ(scheduled.wells.size(), 1u);
  EXPECT_EQ(scheduled.wells[0].name, "A");
  EXPECT_EQ(scheduled.wells[0].x, 10.0);
  EXPECT_EQ(scheduled.wells[0].radius, 0.5);
  ASSERT_EQ(scheduled.wells[0].steps.size(), 2u);
  EXPECT_EQ(scheduled.wells[0].steps[1].day, 60.0);
  EXPECT_EQ(scheduled.wells[0].steps[1].rate, 300.0);

  struct Refusal {
    const char* what;
    std::string top, wells, message;
  };
  const Refusal refusals[] = {
      {"named columns need a header", "wells_file = { file = \"w.csv\", columns = { x = \"E\" } }\n",
       "PW-2,1,2,3\n", "w.csv:1: the file has no header row, which 'columns' needs to name the columns"},
      {"two columns for x", "wells_file = \"w.csv\"\n", "name,x,Easting,y,rate\nA,1,1,2,3\n",
       "w.csv:1: both 'x' and 'Easting' are columns for x; name one in 'columns'"},
      {"a missing column", "wells_file = \"w.csv\"\n", "ID,Easting,rate\nA,1,3\n",
       "w.csv:1: the header has no y column (y or northing)"},
      {"a named column missing", "wells_file = { file = \"w.csv\", columns = { y = \"NORTH\" } }\n",
       "name,x,y,rate\nA,1,2,3\n", "w.csv:1: the header has no y column (north)"},
      {"an unknown key in columns", "wells_file = { file = \"w.csv\", columns = { limit = \"L\" } }\n",
       "name,x,y,rate\nA,1,2,3\n", "unknown key 'limit' in 'columns' of 'wells_file'"},
      {"a row of the wrong length", "wells_file = \"w.csv\"\n", "id,x,y,rate,notes\nA,1,2,3,a,b\n",
       "w.csv:2: a row of 6 fields; the rows of this file have 5 (id,x,y,rate,notes)"},
  };
  for (const Refusal& r : refusals) {
    SCOPED_TRACE(r.what);
    try {
      read_text(r.top + base, {{"w.csv", r.wells}});
      ADD_FAILURE() << "accepted";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(r.message), std::string::npos) << e.message;
    }
  }
}

}  // namespace
