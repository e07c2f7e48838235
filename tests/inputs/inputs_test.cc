// The readers' common ground: the CSV layout itself, CSV fields as the
// program writes them, and the nearest known key.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/csv_text.h"
#include "inputs/csv.h"
#include "inputs/names.h"

namespace {

TEST(Csv, FieldsQuotesAndLineNumbers) {
  const std::vector<inputs::CsvRecord> r =
      inputs::parse_csv("\xEF\xBB\xBF" "a,b\r\n\"multi\nline\",\"say \"\"hi\"\"\"\n\n  \nlast,,\n");
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
      inputs::parse_csv(b.text);
      ADD_FAILURE() << "accepted: " << b.text;
    } catch (const inputs::CsvError& e) {
      EXPECT_EQ(e.line, b.line) << b.text;
      EXPECT_EQ(e.what, b.what);
    }
  }
}

TEST(Csv, NumbersAndQuotedFieldsOut) {
  EXPECT_EQ(inputs::parse_number(" 2150350.5 "), 2150350.5);
  EXPECT_EQ(inputs::parse_number("+1e3"), 1000.0);
  EXPECT_EQ(inputs::parse_number("-.5"), -0.5);
  for (const char* bad : {"", " ", "abc", "1,5", "inf", "nan", "0x10", "1e999", "--1", "1 2", "1.5ft"})
    EXPECT_FALSE(inputs::parse_number(bad)) << bad;
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
    EXPECT_EQ(base::csv_field(k.name), k.written);
    const std::vector<inputs::CsvRecord> back = inputs::parse_csv(base::csv_field(k.name) + ",1\n");
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(back[0].fields.size(), 2u);
    const bool guarded = k.written.find('\'') != std::string::npos && k.name.find('\'') == std::string::npos;
    EXPECT_EQ(back[0].fields[0], guarded ? "'" + k.name : k.name);
  }
}

TEST(NearestKey, TyposFindTheirKey) {
  constexpr std::string_view known[] = {"transmissivity", "leakance", "storage"};
  EXPECT_EQ(inputs::nearest_key("transmisivity", known), "transmissivity");
  EXPECT_EQ(inputs::nearest_key("Leakage", known), "leakance");
  EXPECT_EQ(inputs::nearest_key("stroage", known), "storage") << "a swap of two letters is one edit";
  EXPECT_EQ(inputs::nearest_key("S", known), "storage");
}

}  // namespace
