// CSV headers read leniently but never silently: a column's name in any
// case, with blanks and punctuation, with a unit that must be the file's, or
// close to it; every other column named once in a note. Then the delimiter
// found from the first line, decimal commas refused, and all of it through
// the study reader, each refusal naming the file and line.
#include "inputs/csv_header.h"
#include "inputs/names.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "study/reader.h"
#include "study_texts.h"

namespace {

using inputs::ColumnUnit;
using inputs::HeaderColumn;
using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

const std::vector<HeaderColumn> kReceptors = {
    {"name", {"name", "id", "label"}, true, ColumnUnit::none},
    {"x", {"x", "easting"}, true, ColumnUnit::length},
    {"y", {"y", "northing"}, true, ColumnUnit::length},
    {"limit", {"limit", "limit_ft"}, false, ColumnUnit::length},
};
const std::vector<HeaderColumn> kWells = {
    {"name", {"name"}, true, ColumnUnit::none},       {"x", {"x"}, true, ColumnUnit::length},
    {"y", {"y"}, true, ColumnUnit::length},           {"rate", {"rate", "rate_gpd"}, true, ColumnUnit::rate},
    {"start_day", {"start_day"}, false, ColumnUnit::none},
};

struct HeaderCase {
  const char* what;
  const std::vector<HeaderColumn>* columns;
  std::vector<std::string> fields;
  std::string length, rate;                        // the file's units
  std::map<std::string, std::size_t> at = {};      // expected, when taken
  std::size_t close = 0;                           // names taken by being close
  std::vector<std::string> extra = {};             // columns not read
  std::string refused = {};                        // a part of the refusal, when refused
};

const HeaderCase kHeaderCases[] = {
    {"the names", &kReceptors, {"name", "x", "y", "limit"}, "ft", "gpd", {{"name", 0}, {"x", 1}, {"y", 2}, {"limit", 3}}},
    {"case, blanks, a unit in brackets", &kReceptors, {" Name ", "X", "Y", "Limit (ft)"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"limit", 3}}},
    {"a unit after '_' in metres", &kReceptors, {"ID", "Easting_m", "Northing [m]", "limit_m"}, "m", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"limit", 3}}},
    {"a misspelt limit", &kReceptors, {"name", "x", "y", "limt"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"limit", 3}}, 1},
    {"a transposition and a missing letter", &kReceptors, {"nmae", "x", "y", "lmit"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"limit", 3}}, 2},
    {"a schedule's Start", &kWells, {"name", "x", "y", "Start", "rate"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"start_day", 3}, {"rate", 4}}, 1},
    {"a rate in gpm, the file's", &kWells, {"name", "x", "y", "Rate (gpm)"}, "ft", "gpm",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"rate", 3}}},
    {"other columns", &kReceptors, {"name", "x", "y", "owner", "Comment"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}}, 0, {"owner", "Comment"}},
    {"a close name beside the column itself", &kReceptors, {"name", "x", "y", "limit", "limt"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}, {"limit", 3}}, 0, {"limt"}},
    {"short names are never guessed", &kReceptors, {"name", "x", "y", "z"}, "ft", "gpd",
     {{"name", 0}, {"x", 1}, {"y", 2}}, 0, {"z"}},
    // Refused.
    {"a limit in feet in a study in metres", &kReceptors, {"name", "x", "y", "Limit (ft)"}, "m", "gpd", {}, 0, {},
     "the column 'Limit (ft)' is in ft, and the study's lengths are in m"},
    {"a rate in gpm in a study in gpd", &kWells, {"name", "x", "y", "rate_gpm"}, "ft", "gpd", {}, 0, {},
     "the column 'rate_gpm' is in gpm, and the study's rates are in gpd"},
    {"coordinates in feet in metres", &kReceptors, {"name", "x (ft)", "y (ft)"}, "m", "gpd", {}, 0, {},
     "the column 'x (ft)' is in ft"},
    {"a unit that is none", &kReceptors, {"name", "x", "y", "limit (mm)"}, "m", "gpd", {}, 0, {},
     "the column 'limit (mm)' is in 'mm', which is no unit of lengths here"},
    {"two close names for one column", &kReceptors, {"name", "x", "y", "limt", "limits"}, "ft", "gpd", {}, 0, {},
     "both 'limt' and 'limits' could be the limit column: did you mean 'limit'"},
    {"two names for one column", &kReceptors, {"name", "x", "y", "limit", "Limit (ft)"}, "ft", "gpd", {}, 0, {},
     "both 'limit' and 'Limit (ft)' are columns for limit"},
    {"a required column missing, a field near it", &kReceptors, {"name", "xx", "y"}, "ft", "gpd", {}, 0, {},
     "the header has no x column (x or easting): did you mean 'x' for 'xx'?"},
    {"a required column missing", &kWells, {"name", "x", "y", "flow"}, "ft", "gpd", {}, 0, {},
     "the header has no rate column (rate or rate_gpd)"},
};

TEST(CsvHeader, ColumnsTakenWarnedOrRefused) {
  for (const HeaderCase& c : kHeaderCases) {
    SCOPED_TRACE(c.what);
    const inputs::HeaderUnits units{c.length, c.rate, "", "the study's", "units"};
    try {
      const inputs::HeaderMatch m = inputs::match_header(c.fields, *c.columns, units);
      EXPECT_TRUE(c.refused.empty()) << "taken; expected: " << c.refused;
      const std::map<std::string, std::size_t> at(m.at.begin(), m.at.end());
      EXPECT_EQ(at, c.at);
      EXPECT_EQ(m.close.size(), c.close);
      EXPECT_EQ(m.extra, c.extra);
    } catch (const inputs::HeaderError& e) {
      EXPECT_FALSE(c.refused.empty()) << "refused: " << e.what;
      if (!c.refused.empty()) {
        EXPECT_NE(e.what.find(c.refused), std::string::npos) << e.what;
      }
    }
  }
}

TEST(CsvHeader, AFieldCloseToTwoColumnsIsRefused) {
  const std::vector<HeaderColumn> columns = {{"alpha", {"alpha"}, false, ColumnUnit::none},
                                             {"alpine", {"alpine"}, false, ColumnUnit::none}};
  try {
    inputs::match_header(std::vector<std::string>{"alpin"}, columns, inputs::HeaderUnits{});
    ADD_FAILURE() << "taken";
  } catch (const inputs::HeaderError& e) {
    EXPECT_EQ(e.what, "the column 'alpin' could be alpha or alpine: did you mean 'alpha' or 'alpine'?");
  }
}

TEST(CsvHeader, WhatIsAHeader) {
  const struct {
    std::vector<std::string> fields;
    bool header;
  } cases[] = {
      {{"name", "x", "y"}, true},
      {{"Site", "Easting (m)", "N"}, true},    // a column's name with a unit
      {{"PW-1", "100", "200"}, false},         // a row of data
      {{"Lima", "100", "200"}, false},         // a name close to 'limit' is no header
      {{"foo", "bar"}, true},                  // no number: a header, which then names no column
      {{"PW-1", "12,5", "3"}, false},          // a decimal comma is a number
  };
  for (const auto& c : cases) EXPECT_EQ(inputs::is_header(c.fields, kReceptors), c.header) << c.fields[0];
}

TEST(CsvHeader, KeysDelimitersAndDecimalCommas) {
  const std::pair<const char*, const char*> keys[] = {
      {"Limit (ft)", "limit_ft"}, {"  Start  Day ", "start_day"}, {"rate [m3/d]", "rate_m3/d"}, {"X-coord.", "x_coord"}};
  for (const auto& [field, key] : keys) EXPECT_EQ(inputs::header_key(field), key);

  const std::pair<const char*, char> delimiters[] = {
      {"name,x,y\n1;2;3\n", ','},      {"name;x;y\n", ';'},         {"name\tx\ty\n", '\t'},
      {"\"a;b\",x\n", ','},            {"\"a,b\";x\n", ';'},        {"\n\r\n  \nname;x\n", ';'},
      {"\xEF\xBB\xBFname\tx\n", '\t'}, {"name\n", ','},             {"", ','},
  };
  for (const auto& [text, delimiter] : delimiters) EXPECT_EQ(inputs::csv_delimiter(text), delimiter) << text;

  const std::pair<const char*, bool> commas[] = {
      {"12,5", true},   {" -0,25 ", true}, {"1.234,5", true}, {"1,5e3", true}, {"12.5", false}, {"1,234,5", false},
      {"12,", false},   {",5", false},     {"a,b", false},    {"", false},     {"PW-1,2", false},
  };
  for (const auto& [field, comma] : commas) EXPECT_EQ(inputs::decimal_comma(field), comma) << field;

  const std::tuple<const char*, const char*, std::size_t> distances[] = {
      {"limit", "limt", 1}, {"name", "nmae", 1}, {"start_day", "start", 4}, {"", "abc", 3}, {"kitten", "sitting", 3}};
  for (const auto& [a, b, d] : distances) EXPECT_EQ(inputs::edit_distance(a, b), d) << a << " " << b;
}

// Through the reader: the study's files as a spreadsheet may give them.
const std::string kNoPoints = edited(
    edited(kSmallStudy, "[[well]]\nname = \"PW-1\"\nx = 2150150.0\ny = 720150.0\nrate = 250000.0\n", ""),
    "[[receptor]]\nname = \"R-1\"\nx = 2150250.0\ny = 720150.0\n", "");
const std::string kFiles = "wells_file = \"w.csv\"\nreceptors_file = \"r.csv\"\n";
const std::string kWellsFile = "name,x,y,rate\nPW-1,2150150,720150,250000\n";

TEST(CsvHeader, StudyFilesAsSpreadsheetsGiveThem) {
  const struct {
    const char* what;
    std::string wells, receptors;
    std::vector<double> limits;
    std::vector<std::string> notes;
  } cases[] = {
      {"a misspelt limit column", kWellsFile, "name,x,y,limt\nR-1,2150250,720150,2.5\nR-2,2150350,720150,4\n", {2.5, 4.0},
       {"r.csv:1: the column 'limt' is read as the limit column"}},
      {"Limit (ft)", kWellsFile, "Name,X,Y,Limit (ft)\nR-1,2150250,720150,2.5\n", {2.5}, {}},
      {"semicolons", "name;x;y;rate\nPW-1;2150150;720150;250000\n", "name;x;y;limit\n\"R;1\";2150250;720150;2.5\n",
       {2.5}, {}},
      {"tabs and a byte-order mark", "\xEF\xBB\xBFname\tx\ty\trate\r\nPW-1\t2150150\t720150\t250000\r\n",
       "R-1\t2150250\t720150\t2.5\n", {2.5}, {}},
      {"columns not read", kWellsFile, "name,x,y,limit,owner,notes\nR-1,2150250,720150,2.5,Smith,\n", {2.5},
       {"r.csv:1: the columns 'owner' and 'notes' are not read: the file's columns are name, x, y, limit"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    study::Study s;
    try {
      s = read_text(kFiles + kNoPoints, {{"w.csv", c.wells}, {"r.csv", c.receptors}});
    } catch (const study::StudyError& e) {
      ADD_FAILURE() << e.message;
      continue;
    }
    ASSERT_EQ(s.wells.size(), 1u);
    EXPECT_EQ(s.wells[0].steps[0].rate, 250000.0);
    ASSERT_EQ(s.receptors.size(), c.limits.size());
    for (std::size_t i = 0; i < c.limits.size(); ++i) EXPECT_EQ(s.receptors[i].limit, std::optional<double>(c.limits[i]));
    EXPECT_EQ(s.notes, c.notes);
  }
  // A start column named Start: PW-2's second row is a step, not a second well.
  const study::Study scheduled =
      read_text(kFiles + kNoPoints, {{"w.csv", "Name,X,Y,Start,Rate\nPW-2,1,2,0,100\nPW-2,1,2,60,300\n"},
                                     {"r.csv", "R-1,2150250,720150\n"}});
  ASSERT_EQ(scheduled.wells.size(), 1u);
  ASSERT_EQ(scheduled.wells[0].steps.size(), 2u);
  EXPECT_EQ(scheduled.wells[0].steps[1].day, 60.0);
}

TEST(CsvHeader, StudyFilesRefusedNamingFileAndLine) {
  const std::string metric = "units = { length = \"m\" }\n";
  const struct {
    const char* what;
    std::string top, receptors, message;
  } cases[] = {
      {"a decimal comma", "", "name;x;y;limit\nR-1;2150250;720150;2,5\n",
       "r.csv:2: the limit_ft field '2,5' has a decimal comma; write numbers with a decimal point"},
      {"a decimal comma in metres", metric, "name;x;y;limit\nR-1;2150250;720150;2,5\n",
       "r.csv:2: the limit_m field '2,5' has a decimal comma"},
      {"a limit in feet in a study in metres", metric, "name,x,y,limit_ft\nR-1,2150250,720150,2.5\n",
       "r.csv:1: the column 'limit_ft' is in ft, and the study's lengths are in m"},
      {"two close names", "", "name,x,y,limt,limits\nR-1,2150250,720150,2.5,3\n",
       "r.csv:1: both 'limt' and 'limits' could be the limit column: did you mean 'limit' for one of them?"},
      {"a header without numbers, no column named", "", "Nom,Est,Nord\nR-1,2150250,720150\n",
       "r.csv:1: the header has no name column (name or id or label)"},
      {"headerless rows in the wrong form", "", "R-1,2150250\n",
       "r.csv:1: a row of 2 fields; the rows must be name,x,y or name,x,y,limit_ft"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      read_text(c.top + kFiles + kNoPoints, {{"w.csv", kWellsFile}, {"r.csv", c.receptors}});
      ADD_FAILURE() << "accepted";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
      EXPECT_EQ(e.message.find('\n'), std::string::npos) << "one line";
    }
  }
  // A limit column no one could guess: named in a note, and compliance,
  // which needs the limits, is refused rather than said to be kept.
  try {
    read_text(kFiles + edited(kNoPoints, "[output]\n", "[output]\ncompliance = \"c.csv\"\n"),
              {{"w.csv", kWellsFile}, {"r.csv", "name,x,y,maximum\nR-1,2150250,720150,2.5\n"}});
    ADD_FAILURE() << "accepted";
  } catch (const study::StudyError& e) {
    EXPECT_NE(e.message.find("'compliance' needs a receptor with a 'limit'"), std::string::npos) << e.message;
  }
}

}  // namespace
