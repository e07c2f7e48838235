// Reading study files: what a good file gives, the CSV forms of wells and
// receptors, the CSV layout itself, and the nearest known key.
#include "study/reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "study/csv.h"
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
  EXPECT_EQ(s.output.series_times, s.times) << "the series defaults to the grid's times";
  EXPECT_EQ(s.output.well_function, study::WellFunction::exact) << "the true well function unless the rule is asked for";
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
  EXPECT_EQ(s.output.series_times, (std::vector<double>{1.0, 2.5, 365.0})) << "whole numbers are days too";
  EXPECT_EQ(s.output.well_function, study::WellFunction::rule);
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

TEST(Csv, FieldsQuotesAndLineNumbers) {
  const std::vector<study::CsvRecord> r =
      study::parse_csv("\xEF\xBB\xBF" "a,b\r\n\"multi\nline\",\"say \"\"hi\"\"\"\n\n  \nlast,,\n");
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].fields, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(r[1].line, 2u);
  EXPECT_EQ(r[1].fields, (std::vector<std::string>{"multi\nline", "say \"hi\""}));
  EXPECT_EQ(r[2].line, 6u) << "a quoted line end counts; blank lines are passed over";
  EXPECT_EQ(r[2].fields, (std::vector<std::string>{"last", "", ""}));

  struct Bad {
    std::string text;
    std::size_t line;
    std::string what;
  };
  for (const Bad& b : {Bad{"a,b\nc\"d\n", 2, "a quote inside an unquoted field"},
                       Bad{"a\n\"b\"c\n", 2, "text after the closing quote of a field"},
                       Bad{"a\n\n\"b,\nc\n", 3, "a quoted field is not closed"}}) {
    try {
      study::parse_csv(b.text);
      ADD_FAILURE() << "accepted: " << b.text;
    } catch (const study::CsvError& e) {
      EXPECT_EQ(e.line, b.line) << b.text;
      EXPECT_EQ(e.what, b.what);
    }
  }
}

TEST(Csv, NumbersAndQuotedFieldsOut) {
  EXPECT_EQ(study::parse_number(" 2150350.5 "), 2150350.5);
  EXPECT_EQ(study::parse_number("+1e3"), 1000.0);
  EXPECT_EQ(study::parse_number("-.5"), -0.5);
  for (const char* bad : {"", " ", "abc", "1,5", "inf", "nan", "0x10", "1e999", "--1", "1 2", "1.5ft"})
    EXPECT_FALSE(study::parse_number(bad)) << bad;
}

// Names as the series CSV writes them: quoted when they would split the row,
// guarded when a spreadsheet would take them for a formula; each reads back
// as one field.
TEST(Csv, FieldsOutAreOneFieldAndNeverAFormula) {
  const struct {
    std::string name, written;
  } kCases[] = {
      {"Smith well", "Smith well"},
      {"Smith, J.", "\"Smith, J.\""},
      {"Smith, J. \"domestic\"", "\"Smith, J. \"\"domestic\"\"\""},
      {"two\nlines", "\"two\nlines\""},
      {"=HYPERLINK(\"http://x\",\"y\")", "\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
      {"=1+1", "'=1+1"},
      {"+1", "'+1"},
      {"-2", "'-2"},
      {"@SUM(A1)", "'@SUM(A1)"},
      {"\tTab", "'\tTab"},
      {"\rCR", "\"'\rCR\""},
      {"a=b", "a=b"},
      {"'quoted'", "'quoted'"},
  };
  for (const auto& k : kCases) {
    SCOPED_TRACE(k.name);
    EXPECT_EQ(study::csv_field(k.name), k.written);
    const std::vector<study::CsvRecord> back = study::parse_csv(study::csv_field(k.name) + ",1\n");
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(back[0].fields.size(), 2u);
    const bool guarded = k.written.find('\'') != std::string::npos && k.name.find('\'') == std::string::npos;
    EXPECT_EQ(back[0].fields[0], guarded ? "'" + k.name : k.name);
  }
}

TEST(NearestKey, TyposFindTheirKey) {
  constexpr std::string_view known[] = {"transmissivity", "leakance", "storage"};
  EXPECT_EQ(study::nearest_key("transmisivity", known), "transmissivity");
  EXPECT_EQ(study::nearest_key("Leakage", known), "leakance");
  EXPECT_EQ(study::nearest_key("stroage", known), "storage") << "a swap of two letters is one edit";
  EXPECT_EQ(study::nearest_key("S", known), "storage");
}

}  // namespace
