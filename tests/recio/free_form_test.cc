// The free-form reader and writer of the dialogue.
#include "recio/free_form.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "recio/error_report.h"
#include "test_support.h"

namespace {

using namespace recio;
using recio_test::escaped;
using recio_test::FakeFsTest;

std::string text(const NameField& f) { return {f.data(), f.size()}; }
std::string padded(const std::string& s) { return s + std::string(20 - s.size(), ' '); }

class ReadFree : public FakeFsTest {
 protected:
  // Connects unit 11 to a file holding `data`.
  void input(const std::string& data) {
    spit(path("in.dat"), data);
    open_unit(kInputUnit, "in.dat");
  }
  std::int32_t integer(const std::string& data, std::int32_t start = -99) {
    input(data);
    std::int32_t v = start;
    read_free(kInputUnit, v);
    return v;
  }
  float single(const std::string& data, float start = -99.0f) {
    input(data);
    float v = start;
    read_free(kInputUnit, v);
    return v;
  }
  std::string name(const std::string& data) {
    input(data);
    NameField f{};
    read_free(kInputUnit, f);
    return text(f);
  }
  std::string in_file() { return escaped(path("in.dat")); }
  void expect_failure(const std::string& data, int message, char kind = 'i') {
    const std::string pattern = "tavrix: severe \\(" + std::to_string(message) + "\\): .*, unit 11, file " + in_file();
    EXPECT_EXIT(
        {
          input(data);
          if (kind == 'i') {
            std::int32_t v = 0;
            read_free(kInputUnit, v);
          } else if (kind == 'f') {
            float v = 0;
            read_free(kInputUnit, v);
          } else {
            NameField f{};
            read_free(kInputUnit, f);
          }
        },
        testing::ExitedWithCode(message), pattern)
        << "input: " << data;
  }
};

TEST_F(ReadFree, FoundValueSaysWhereAndWhatTheLineHeld) {
  using Kind = FoundValue::Kind;
  struct Case {
    std::string data;
    Kind kind;
    std::string text, written, rest;
    long line;
    std::size_t column;
  };
  const Case cases[] = {
      {"  42  remark\r\n", Kind::kUnquoted, "42", "42", "  remark", 1, 2},
      {"\r\n \r\n45,000\r\n", Kind::kUnquoted, "45", "45", ",000", 3, 0},
      {",5\r\n", Kind::kNull, "", ",", "5", 1, 0},
      {" 3* x\r\n", Kind::kNull, "", "3*", " x", 1, 1},
      {"2*7/8\r\n", Kind::kUnquoted, "7", "2*7", "/8", 1, 0},
      {"'a\r\nb' c\r\n", Kind::kQuoted, "ab", "'ab'", " c", 1, 0},
      {"0*5 z\r\n", Kind::kZeroRepeat, "", "0*5", " z", 1, 0},
      {"7 " + std::string(1000, 'r') + "\r\n", Kind::kUnquoted, "7", "7", " " + std::string(kKeptLength - 1, 'r'), 1, 0},
  };
  for (const Case& c : cases) {
    input(c.data);
    const FoundValue v = find_value(kInputUnit);
    SCOPED_TRACE(c.data);
    EXPECT_EQ(v.kind, c.kind);
    EXPECT_EQ(v.text, c.text);
    EXPECT_EQ(v.written, c.written);
    EXPECT_EQ(v.rest, c.rest);
    EXPECT_EQ(v.line, c.line);
    EXPECT_EQ(v.column, c.column);
  }
}

TEST_F(ReadFree, ValuesAsTypedAndWhatTheyGive) {
  EXPECT_EQ(integer("  42  remark\r\n"), 42);
  EXPECT_EQ(integer("100.0\r\n"), 100);
  EXPECT_EQ(integer("7.9\r\n"), 7);
  EXPECT_EQ(integer("-7.9\r\n"), -7);
  EXPECT_EQ(single("1.5e-3\r\n"), 0.0015f);
  EXPECT_EQ(single("5\r\n"), 5.0f);
  EXPECT_EQ(integer("\r\n\r\n12\r\n"), 12);
  EXPECT_EQ(integer(",5\r\n", 77), 77);
  EXPECT_EQ(integer("3*8\r\n"), 8);
  EXPECT_EQ(integer("/\r\n", 77), 77);
  EXPECT_EQ(single("/\r\n", 2.5f), 2.5f);
  EXPECT_EQ(name("a-25-character-name-xyzw\r\n"), "a-25-character-name-");
}

TEST_F(ReadFree, EachReadStartsAtANewRecord) {
  input("20 30\r\n  \r\n\t\r\n40 remark\r\n");
  std::int32_t nx = 0, ny = 0;
  read_free(kInputUnit, nx);
  read_free(kInputUnit, ny);
  EXPECT_EQ(nx, 20);
  EXPECT_EQ(ny, 40);
}

TEST_F(ReadFree, IntegerCutTowardZero) {
  EXPECT_EQ(integer("3.0"), 3);
  EXPECT_EQ(integer("2.99"), 2);
  EXPECT_EQ(integer("-2.5"), -2);
  EXPECT_EQ(integer("1E2"), 100);
  EXPECT_EQ(integer("1d2"), 100);
  EXPECT_EQ(integer("1Q2"), 100);
  EXPECT_EQ(integer("1q+2"), 100);
  EXPECT_EQ(integer("25e-1"), 2);
  EXPECT_EQ(integer(".5"), 0);
  EXPECT_EQ(integer("5."), 5);
  EXPECT_EQ(integer("-0.9"), 0);
  EXPECT_EQ(integer("1e-400"), 0);
  EXPECT_EQ(integer("2147483647.9"), 2147483647);
  EXPECT_EQ(integer("-2147483648.9"), -2147483648);
}

TEST_F(ReadFree, IntegerRange) {
  EXPECT_EQ(integer("2147483647"), 2147483647);
  EXPECT_EQ(integer("-2147483648"), INT32_MIN);
  EXPECT_EQ(integer("+000000000000000000000017"), 17);
  EXPECT_EQ(integer("-0"), 0);
  expect_failure("3000000000\r\n", 64);
  expect_failure("2147483648", 64);
  expect_failure("-2147483649", 64);
  expect_failure("99999999999999999999999999999", 64);
  expect_failure("2147483648.0", 64);
  expect_failure("-2147483649.5", 64);
  expect_failure("1e10", 64);
  expect_failure("1e400", 64);
}

TEST_F(ReadFree, SeparatorsEndAnUnquotedValue) {
  EXPECT_EQ(integer("12,13"), 12);
  EXPECT_EQ(integer("12/"), 12);
  EXPECT_EQ(integer("\t12\t13"), 12);
  EXPECT_EQ(integer(" \t , 13", 5), 5);  // blanks and tabs before a comma belong to it
  EXPECT_EQ(single("2.5,"), 2.5f);
}

TEST_F(ReadFree, RepeatCounts) {
  EXPECT_EQ(integer("3*", 5), 5);
  EXPECT_EQ(integer("3* 8", 5), 5);
  EXPECT_EQ(integer("2*,8", 5), 5);
  EXPECT_EQ(single("10*2.5"), 2.5f);
  EXPECT_EQ(name("2*abc"), padded("abc"));
  EXPECT_EQ(name("2*'a b'"), padded("a b"));
  expect_failure("0*5", 59);
  expect_failure("*5", 59);
}

TEST_F(ReadFree, SyntaxErrors) {
  expect_failure("abc\r\n", 59);
  expect_failure("E5", 59);
  expect_failure("1.2.3", 59);
  expect_failure("12abc", 59);
  expect_failure("1e", 59);
  expect_failure("1e+", 59);
  expect_failure("1e5x", 59);
  expect_failure("-", 59);
  expect_failure(".", 59);
  expect_failure("T", 59);
  expect_failure(".TRUE.", 59, 'f');
  expect_failure("NaN", 59, 'f');
  expect_failure("Infinity", 59, 'f');
  expect_failure("inf", 59, 'f');
  expect_failure("0x10", 59);
  expect_failure("1.5f", 59, 'f');
  expect_failure("'12'", 59);
  expect_failure("\"1.5\"", 59, 'f');
}

TEST_F(ReadFree, Singles) {
  EXPECT_EQ(single("50000."), 50000.0f);
  EXPECT_EQ(single("0.001"), 0.001f);
  EXPECT_EQ(single("1.0E-4"), 0.0001f);
  EXPECT_EQ(single("1.0D-4"), 0.0001f);
  EXPECT_EQ(single("-144000"), -144000.0f);
  EXPECT_EQ(single("+.25q1"), 2.5f);
  EXPECT_EQ(single("3.4028235e38"), std::numeric_limits<float>::max());
  EXPECT_EQ(single("1e-40"), 1e-40f);  // subnormal, gradual underflow
  EXPECT_EQ(single("1e-50"), 0.0f);    // below every subnormal: zero
  EXPECT_TRUE(std::signbit(single("-1e-50")));
  expect_failure("1e39", 64, 'f');
  expect_failure("-3.5e38", 64, 'f');
  expect_failure("1e99999999999", 64, 'f');
}

TEST_F(ReadFree, SingleIsTheNearestToTheDecimalTextNotViaDouble) {
  // 1 + 2^-24 + 2^-80: the nearest double is 1 + 2^-24, a tie between the
  // singles 1 and 1 + 2^-23 that double rounding would settle to 1; the
  // nearest single to the text is 1 + 2^-23.
  const std::string t = "1.00000005960464477539062582718061255302767487140869206996285356581211090087890625";
  EXPECT_EQ(static_cast<float>(std::strtod(t.c_str(), nullptr)), 1.0f);  // the wrong way
  EXPECT_EQ(single(t), 1.0f + 0x1p-23f);
}

TEST_F(ReadFree, NameFields) {
  EXPECT_EQ(name("data.txt\r\n"), padded("data.txt"));
  EXPECT_EQ(name("'my data.txt'\r\n"), padded("my data.txt"));
  EXPECT_EQ(name("my data.txt\r\n"), padded("my"));
  EXPECT_EQ(name("\"it's\"\r\n"), padded("it's"));
  EXPECT_EQ(name("'it''s'\r\n"), padded("it's"));
  EXPECT_EQ(name("\"a\"\"b\""), padded("a\"b"));
  EXPECT_EQ(name("'a,b/c d'"), padded("a,b/c d"));
  EXPECT_EQ(name("''"), padded(""));
  EXPECT_EQ(name("   \r\n\t x.dat   rest"), padded("x.dat"));
  EXPECT_EQ(name("'first\r\nsecond'"), padded("firstsecond"));
  EXPECT_EQ(name("'a\r\n\r\nb''\r\n'"), padded("ab'"));
  EXPECT_EQ(name("12345678901234567890123"), "12345678901234567890");
}

TEST_F(ReadFree, NullValueLeavesANameField) {
  input(",\r\n");
  NameField f{};
  read_free(kInputUnit, f);
  EXPECT_EQ(text(f), std::string(20, '\0'));
}

TEST_F(ReadFree, LongestTextValue) {
  const std::string ok(2049, 'a');
  EXPECT_EQ(name(ok), std::string(20, 'a'));
  EXPECT_EQ(name("'" + ok + "'"), std::string(20, 'a'));
  expect_failure(std::string(2050, 'a'), 59, 't');
  expect_failure("'" + std::string(2050, 'a') + "'", 59, 't');
  expect_failure("'" + std::string(1500, 'a') + "\r\n" + std::string(600, 'b') + "'", 59, 't');
}

TEST_F(ReadFree, EndOfFile) {
  expect_failure("", 24);
  expect_failure("\r\n   \r\n\t\r\n", 24);
  expect_failure("'unclosed\r\n", 24, 't');
  expect_failure("", 24, 'f');
}

TEST_F(ReadFree, EmptyInputFileExitStatus) {
  // 0xC0000018 carried as its low byte.
  EXPECT_EXIT(
      {
        input("");
        std::int32_t v;
        read_free(kInputUnit, v);
      },
      testing::ExitedWithCode(0x18), "tavrix: severe \\(24\\): end-of-file during read, unit 11, file " + in_file());
}

TEST_F(ReadFree, ReadErrorIs39) {
  input("5\r\n");
  fs_.read_error = EIO;
  std::int32_t v;
  EXPECT_EXIT(read_free(kInputUnit, v), testing::ExitedWithCode(39), "error during read, unit 11");
}

TEST_F(ReadFree, ConsoleNames) {
  fs_.console_in = "\r\n   \r\ndata.txt\r\nwhatever follows\r\n'my out.rpt' ignored\r\n";
  NameField in{}, out{};
  read_free(kConsoleIn, in);
  read_free(kConsoleIn, out);
  EXPECT_EQ(text(in), padded("data.txt"));
  EXPECT_EQ(text(out), padded("whatever"));
  read_free(kConsoleIn, out);
  EXPECT_EQ(text(out), padded("my out.rpt"));
}

TEST_F(ReadFree, ConsoleEndOfInputIs24) {
  fs_.console_in = "   \r\n";
  NameField f{};
  EXPECT_EXIT(read_free(kConsoleIn, f), testing::ExitedWithCode(24),
              "tavrix: severe \\(24\\): end-of-file during read, unit -4, file CONIN\\$");
}

TEST_F(ReadFree, ConsoleInputWithoutLineEnd) {
  fs_.console_in = "last";
  NameField f{};
  read_free(kConsoleIn, f);
  EXPECT_EQ(text(f), padded("last"));
}

class WriteFree : public FakeFsTest {};

TEST_F(WriteFree, ABlankThenTheTextThenCrLf) {
  write_free(kConsoleOut, "NUMBER OF NODES IN  X  DIRECTION");
  write_free(kConsoleOut, "    ");
  write_free(kConsoleOut, "");
  EXPECT_EQ(fs_.console_out, " NUMBER OF NODES IN  X  DIRECTION\r\n     \r\n \r\n");
  EXPECT_EQ(fs_.writes[1], 3);
}

TEST_F(WriteFree, LongTextIsOneRecord) {
  const std::string t(100, 'x');
  write_free(kConsoleOut, t);
  EXPECT_EQ(fs_.console_out, " " + t + "\r\n");
}

}  // namespace
