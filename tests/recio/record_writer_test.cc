// The record writer: layouts (lay_out, pure) and write statements on units.
#include "recio/record_writer.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "recio/error_report.h"
#include "test_support.h"

namespace {

using namespace recio;
using recio_test::FakeFsTest;
using recio_test::TempDirTest;

// The records of a layout, each with "\r\n" when it has a line end.
std::vector<std::string> records(const Statement& st) {
  std::vector<std::string> out;
  for (const Record& r : st.records) out.push_back(r.text + (r.line_end ? "\r\n" : ""));
  return out;
}
using Lines = std::vector<std::string>;
std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

constexpr auto kMapRow2 = R"(1X I4 1X 300F6.2 / /)"_fmt;
constexpr auto kMapRow1 = R"(1X / / 1X I4 2X 300F6.1)"_fmt;
constexpr auto kColumns = R"(8X 300(1X I4 1X) / /)"_fmt;
constexpr auto kRaster = R"(300F6.2)"_fmt;
constexpr auto kSlash = R"(/)"_fmt;
constexpr auto kAxis = R"(/ / / 50X "X AXIS")"_fmt;
constexpr auto kPrompt = R"("Enter filename of the input file" / $)"_fmt;
constexpr auto kWellLine = R"(9X F9.2 6X F9.2 5X F14.2 /)"_fmt;
constexpr auto kRasterHeader =
    R"("ncol" I6 1X / "nrow" I6 1X / "xllcorner" I12 / "yllcorner" I12 / "cellsize" I10 / "nodata_value" 1X "-9999")"_fmt;
constexpr auto kSummary =
    R"f(/ / / 20X "SUMMARY OF INPUT DATA" / / 12X "MODEL GRID:" I6 1X "X" I5 / / 12X "TRANSIENT LEAKY ARTESIAN AQUIFER MODEL" / / 16X "TRANSMISSIVITY = " F12.0 / / 10X "LEAKANCE (GPD/FT**2) = " F12.8 / / 11X "STORAGE COEFFICIENT = " F12.8 / / 19X "TIME (DAYS) = " F12.4 / / 18X "NODE SPACING = " I12 / / / 22X "WELL DESCRIPTIONS" / / 11X "X-LOCATION" 5X "Y-LOCATION" 7X "Q(GPD)" / /)f"_fmt;
constexpr auto kContinued =
    R"f(/ / 22X "WELL DESCRIPTIONS" / 25X "(CONTINUED)" / / 11X "X-LOCATION" 5X "Y-LOCATION" 7X "Q(GPD)" / /)f"_fmt;
constexpr auto kNotice1 = R"(/ / 7X "--DISPLAY DRAWDOWNS ARE ACTUAL DRAWDOWN VALUES--")"_fmt;

TEST(LayOut, OneDecimalRowWithTiesAndASignLostInRounding) {
  // 1X / / 1X I4 2X 300F6.1 with row 3 and 1.25, -0.04.
  std::array<float, 2> cells{1.25f, -0.04f};
  const Statement st = lay_out(kMapRow1, {3, std::span<const float>(cells)});
  EXPECT_EQ(records(st), (Lines{"\r\n", "\r\n", "    3     1.3   0.0\r\n"}));
  EXPECT_EQ(st.records[2].text.size(), 19u);
  EXPECT_FALSE(st.overflowed);
}

TEST(LayOut, TwoDecimalRowWithFewerThan300ValuesStopsAtTheStarvedDescriptor) {
  std::array<float, 3> cells{0.12f, 1.07f, 10.31f};
  EXPECT_EQ(records(lay_out(kMapRow2, {5, std::span<const float>(cells)})),
            (Lines{"    5   0.12  1.07 10.31\r\n"}));
  std::array<float, 3> worked2{7.25f, 8.04f, 7.25f}, worked1{8.04f, 18.59f, 8.04f};
  EXPECT_EQ(records(lay_out(kMapRow2, {2, std::span<const float>(worked2)}))[0], "    2   7.25  8.04  7.25\r\n");
  EXPECT_EQ(records(lay_out(kMapRow2, {1, std::span<const float>(worked1)}))[0], "    1   8.04 18.59  8.04\r\n");
}

TEST(LayOut, TwoDecimalRowWithExactly300ValuesReachesBothSlashes) {
  std::vector<float> cells(300, 1.5f);
  const Statement st = lay_out(kMapRow2, {7, std::span<const float>(cells)});
  ASSERT_EQ(st.records.size(), 3u);
  EXPECT_EQ(st.records[0].text.size(), 1806u);
  EXPECT_EQ(st.records[0].text.substr(0, 12), "    7   1.50");
  EXPECT_EQ(st.records[1].text, "");
  EXPECT_EQ(st.records[2].text, "");
}

TEST(LayOut, OneDecimalRowOf300ValuesIs1807Characters) {
  std::vector<float> cells(300, -2.25f);
  const Statement st = lay_out(kMapRow1, {300, std::span<const float>(cells)});
  ASSERT_EQ(st.records.size(), 3u);
  EXPECT_EQ(st.records[2].text.size(), 1807u);
  EXPECT_EQ(st.records[2].text.substr(0, 13), "  300    -2.3");
  EXPECT_EQ(st.records[2].text.substr(1801), "  -2.3");
}

TEST(LayOut, ColumnNumbersWithFewerThan300) {
  std::array<std::int32_t, 3> cols{1, 2, 3};
  EXPECT_EQ(records(lay_out(kColumns, {std::span<const std::int32_t>(cols)})),
            (Lines{blanks(12) + "1     2     3\r\n"}));
  EXPECT_EQ(lay_out(kColumns, {std::span<const std::int32_t>(cols)}).records[0].text.size(), 25u);
  // NX = 0: the column-number line is an empty record.
  EXPECT_EQ(records(lay_out(kColumns, {std::span<const std::int32_t>()})), (Lines{"\r\n"}));
}

TEST(LayOut, ColumnNumbersWith300ValuesAreFollowedByTwoEmptyRecords) {
  std::vector<std::int32_t> cols(300);
  for (int i = 0; i < 300; ++i) cols[static_cast<std::size_t>(i)] = i + 1;
  const Statement st = lay_out(kColumns, {std::span<const std::int32_t>(cols)});
  ASSERT_EQ(st.records.size(), 3u);
  // The closing 1X of the last round writes nothing.
  EXPECT_EQ(st.records[0].text.size(), 8u + 6u * 300u - 1u);
  EXPECT_EQ(st.records[0].text.substr(st.records[0].text.size() - 4), " 300");
  EXPECT_EQ(st.records[1].text, "");
  EXPECT_EQ(st.records[2].text, "");
}

TEST(LayOut, SlashAloneGivesTwoEmptyRecords) {
  EXPECT_EQ(records(lay_out(kSlash, {})), (Lines{"\r\n", "\r\n"}));
}

TEST(LayOut, AxisLabel) {
  EXPECT_EQ(records(lay_out(kAxis, {})), (Lines{"\r\n", "\r\n", "\r\n", blanks(50) + "X AXIS\r\n"}));
}

TEST(LayOut, PromptSendsTheTextAndOneLineEnd) {
  const Statement st = lay_out(kPrompt, {});
  ASSERT_EQ(st.records.size(), 2u);
  EXPECT_EQ(st.records[0].text, "Enter filename of the input file");
  EXPECT_TRUE(st.records[0].line_end);
  EXPECT_EQ(st.records[1].text, "");
  EXPECT_FALSE(st.records[1].line_end);
}

TEST(LayOut, DollarAppliesToTheNextRecordSentOnly) {
  EXPECT_EQ(records(lay_out(R"("a" $ / "b" / "c")"_fmt, {})), (Lines{"a", "b\r\n", "c\r\n"}));
}

TEST(LayOut, TrailingSkipsWriteNothing) {
  EXPECT_EQ(records(lay_out(R"(1X /)"_fmt, {})), (Lines{"\r\n", "\r\n"}));
  // Lines 1 and 2 of the raster header end with the number.
  EXPECT_EQ(records(lay_out(kRasterHeader, {3, 2, 1000, 2000, 50})),
            (Lines{"ncol     3\r\n", "nrow     2\r\n", "xllcorner        1000\r\n", "yllcorner        2000\r\n",
                   "cellsize        50\r\n", "nodata_value -9999\r\n"}));
  // nX before a starved value descriptor: no trailing blanks.
  EXPECT_EQ(records(lay_out(R"(I3 5X I3)"_fmt, {7})), (Lines{"  7\r\n"}));
  // Skipped columns inside a record are blanks.
  EXPECT_EQ(records(lay_out(R"("a" 3X "b")"_fmt, {})), (Lines{"a   b\r\n"}));
}

TEST(LayOut, ControlsAfterTheLastValueAreActedOnUntilTheNextValueDescriptor) {
  EXPECT_EQ(records(lay_out(R"(I2 "x" / "y" I2 "z")"_fmt, {1})), (Lines{" 1x\r\n", "y\r\n"}));
}

TEST(LayOut, StarvedDescriptorWithNoValuesAtAll) {
  // A list with a value descriptor and no values: the literal before it only.
  EXPECT_EQ(records(lay_out(R"("abc" I4 "def")"_fmt, {})), (Lines{"abc\r\n"}));
  EXPECT_EQ(records(lay_out(kRaster, {})), (Lines{"\r\n"}));
}

TEST(LayOut, ReversionWith301ValuesStartsASecondRecord) {
  std::vector<float> cells(301, 0.0f);
  const Statement st = lay_out(kRaster, {std::span<const float>(cells)});
  ASSERT_EQ(st.records.size(), 2u);
  EXPECT_EQ(st.records[0].text.size(), 1800u);
  EXPECT_EQ(st.records[1].text, "  0.00");
}

TEST(LayOut, ReversionWithoutGroupsRestartsTheList) {
  EXPECT_EQ(records(lay_out(R"("v" I2 "w")"_fmt, {1, 2, 3})), (Lines{"v 1w\r\n", "v 2w\r\n", "v 3w\r\n"}));
}

TEST(LayOut, ReversionGoesToTheLastOutermostGroupWithItsCount) {
  // I1 then two rounds of the group; the third value reverts to 2(I1 "b").
  EXPECT_EQ(records(lay_out(R"("a" I1 2(I1 "b") "c")"_fmt, {1, 2, 3, 4, 5, 6})),
            (Lines{"a12b3bc\r\n", "4b5bc\r\n", "6b\r\n"}));
  // Nested groups: reversion to the outermost group that was opened last,
  // not to the inner one.
  EXPECT_EQ(records(lay_out(R"("x" (I1 "o" 2(I1 "i")) "e")"_fmt, {1, 2, 3, 4, 5, 6, 7})),
            (Lines{"x1o2i3ie\r\n", "4o5i6ie\r\n", "7o\r\n"}));
  // With two outermost groups, the later one.
  EXPECT_EQ(records(lay_out(R"(("p" I1) ("q" I1))"_fmt, {1, 2, 3, 4})), (Lines{"p1q2\r\n", "q3\r\n", "q4\r\n"}));
}

TEST(LayOut, RepeatedValueDescriptorsAndGroupsTakeValuesInOrder) {
  std::array<float, 2> a{1.0f, 2.0f};
  std::array<float, 1> b{3.0f};
  EXPECT_EQ(records(lay_out(R"(3F4.1 I2)"_fmt, {std::span<const float>(a), std::span<const float>(b), 9})),
            (Lines{" 1.0 2.0 3.0 9\r\n"}));
  EXPECT_EQ(records(lay_out(R"(2(I1 "-") "!")"_fmt, {1, 2})), (Lines{"1-2-!\r\n"}));
  // Empty rows are passed over.
  EXPECT_EQ(records(lay_out(R"(2F4.1)"_fmt, {std::span<const float>(), 1.0f, std::span<const float>(), 2.0f})),
            (Lines{" 1.0 2.0\r\n"}));
}

TEST(LayOut, OverflowIsMarkedAndTheStatementGoesOn) {
  const Statement st = lay_out(R"(I4 I4 F6.2)"_fmt, {10000, 5, 2.0f});
  EXPECT_TRUE(st.overflowed);
  EXPECT_EQ(records(st), (Lines{"****   5  2.00\r\n"}));
}

TEST(LayOut, KindMismatch) {
  EXPECT_TRUE(lay_out(R"(F6.2)"_fmt, {3}).mismatch);
  EXPECT_TRUE(lay_out(R"(I4)"_fmt, {3.0f}).mismatch);
  std::array<float, 1> row{1.0f};
  EXPECT_TRUE(lay_out(R"(I4)"_fmt, {std::span<const float>(row)}).mismatch);
  EXPECT_FALSE(lay_out(R"(I4)"_fmt, {3}).mismatch);
  // Values but no value descriptor to take them.
  EXPECT_TRUE(lay_out(R"("abc")"_fmt, {3}).mismatch);
  EXPECT_TRUE(lay_out(R"(I1 2("x"))"_fmt, {1, 2}).mismatch);
}

TEST(LayOut, Summary) {
  const Statement st = lay_out(kSummary, {50, 40, 50000.0f, 0.001f, 0.0001f, 30.0f, 100});
  const Lines r = records(st);
  ASSERT_EQ(r.size(), 25u);
  EXPECT_EQ(r[0], "\r\n");
  EXPECT_EQ(r[3], blanks(20) + "SUMMARY OF INPUT DATA\r\n");
  EXPECT_EQ(r[5], blanks(12) + "MODEL GRID:    50 X   40\r\n");
  EXPECT_EQ(st.records[5].text.size(), 36u);
  EXPECT_EQ(r[9], blanks(16) + "TRANSMISSIVITY =       50000.\r\n");
  EXPECT_EQ(r[11], blanks(10) + "LEAKANCE (GPD/FT**2) =   0.00100000\r\n");
  EXPECT_EQ(r[13], blanks(11) + "STORAGE COEFFICIENT =   0.00010000\r\n");
  EXPECT_EQ(r[15], blanks(19) + "TIME (DAYS) =      30.0000\r\n");
  EXPECT_EQ(r[17], blanks(18) + "NODE SPACING =          100\r\n");
  EXPECT_EQ(r[20], blanks(22) + "WELL DESCRIPTIONS\r\n");
  EXPECT_EQ(r[22], blanks(11) + "X-LOCATION" + blanks(5) + "Y-LOCATION" + blanks(7) + "Q(GPD)\r\n");
  EXPECT_EQ(r[23], "\r\n");
  EXPECT_EQ(r[24], "\r\n");
  for (int i : {9, 11, 13, 15, 17}) EXPECT_EQ(st.records[static_cast<std::size_t>(i)].text.size(), 45u) << i;
}

TEST(LayOut, WellLineContinuationAndNotices) {
  const Statement well = lay_out(kWellLine, {12.5f, 7.25f, 144000.0f});
  EXPECT_EQ(records(well),
            (Lines{blanks(13) + "12.50" + blanks(11) + "7.25" + blanks(10) + "144000.00\r\n", "\r\n"}));
  EXPECT_EQ(well.records[0].text.size(), 52u);
  const Lines c = records(lay_out(kContinued, {}));
  ASSERT_EQ(c.size(), 8u);
  EXPECT_EQ(c[3], blanks(25) + "(CONTINUED)\r\n");
  EXPECT_EQ(records(lay_out(kNotice1, {})),
            (Lines{"\r\n", "\r\n", blanks(7) + "--DISPLAY DRAWDOWNS ARE ACTUAL DRAWDOWN VALUES--\r\n"}));
}

TEST(LayOut, VeryLongRecords) {
  std::vector<float> cells(100000, 1.0f);
  const Statement st = lay_out(R"(100000F6.2)"_fmt, {std::span<const float>(cells)});
  ASSERT_EQ(st.records.size(), 1u);
  EXPECT_EQ(st.records[0].text.size(), 600000u);
}

// Write statements on units.
class WriteFormatted : public FakeFsTest {};

TEST_F(WriteFormatted, PromptOnTheConsoleIsExactlyTheTextAndCrLf) {
  write_formatted(kConsoleOut, kPrompt);
  EXPECT_EQ(fs_.console_out, "Enter filename of the input file\r\n");
}

TEST_F(WriteFormatted, EachRecordIsOneWrite) {
  write_formatted(kConsoleOut, kAxis);
  EXPECT_EQ(fs_.console_out, "\r\n\r\n\r\n" + blanks(50) + "X AXIS\r\n");
  EXPECT_EQ(fs_.writes[1], 4);
}

TEST_F(WriteFormatted, RasterFileHeaderAndRows) {
  open_unit(kRasterUnit, "ARCFILE");
  write_formatted(kRasterUnit, kRasterHeader, {3, 2, 1000, 2000, 50});
  std::array<float, 3> zero{0.0f, 0.0f, 0.0f};
  write_formatted(kRasterUnit, kRaster, {std::span<const float>(zero)});
  write_formatted(kRasterUnit, kRaster, {std::span<const float>(zero)});
  EXPECT_EQ(slurp(path("ARCFILE")),
            "ncol     3\r\nnrow     2\r\nxllcorner        1000\r\nyllcorner        2000\r\n"
            "cellsize        50\r\nnodata_value -9999\r\n  0.00  0.00  0.00\r\n  0.00  0.00  0.00\r\n");
}

TEST_F(WriteFormatted, OverflowReportsMessage63OnceAfterTheStatement) {
  open_unit(kReportUnit, "out.rpt");
  std::array<float, 3> cells{1000.0f, -100.0f, 1.0f};
  testing::internal::CaptureStderr();
  write_formatted(kReportUnit, kMapRow2, {10000, std::span<const float>(cells)});
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "tavrix: error (63): output conversion error, unit 12, file " + path("out.rpt") + "\n");
  EXPECT_EQ(slurp(path("out.rpt")), " **** ************  1.00\r\n");
  // The run goes on.
  testing::internal::CaptureStderr();
  write_formatted(kReportUnit, kSlash);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(WriteFormatted, NotANumberWidthOverflowReports63ButInfDoesNot) {
  testing::internal::CaptureStderr();
  write_formatted(kConsoleOut, R"(F6.1 F2.1)"_fmt,
                  {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN()});
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "tavrix: error (63): output conversion error, unit -1, file CONOUT$\n");
  EXPECT_EQ(fs_.console_out, "   Inf**\r\n");
}

TEST_F(WriteFormatted, KindMismatchIsFatal61BeforeAnyRecord) {
  open_unit(kReportUnit, "out.rpt");
  spit(path("out.rpt"), "old report\r\n");
  EXPECT_EXIT(write_formatted(kReportUnit, R"("title" / F6.2)"_fmt, {5}), testing::ExitedWithCode(61),
              "tavrix: severe \\(61\\): format/variable-type mismatch, unit 12, file " +
                  recio_test::escaped(path("out.rpt")) + "\n");
  EXPECT_EQ(slurp(path("out.rpt")), "old report\r\n");
}

TEST_F(WriteFormatted, ReadOnlyUnitIsFatal47BeforeAnyRecord) {
  fs_.open_errors = {EACCES};  // the read-write open is refused
  spit(path("ro.rpt"), "old\r\n");
  open_unit(kReportUnit, "ro.rpt");
  EXPECT_EQ(fs_.last_open_flags & O_ACCMODE, O_RDONLY);
  EXPECT_EXIT(write_formatted(kReportUnit, kSlash), testing::ExitedWithCode(47),
              "tavrix: severe \\(47\\): write to READONLY file, unit 12, file " +
                  recio_test::escaped(path("ro.rpt")) + "\n");
  EXPECT_EQ(slurp(path("ro.rpt")), "old\r\n");
}

TEST_F(WriteFormatted, WriteFailureIsFatal38) {
  open_unit(kReportUnit, "out.rpt");
  fs_.write_error = EIO;
  EXPECT_EXIT(write_formatted(kReportUnit, kSlash), testing::ExitedWithCode(38),
              "tavrix: severe \\(38\\): error during write, unit 12, file " + recio_test::escaped(path("out.rpt")));
}

TEST_F(WriteFormatted, UnopenedUnitIsFatal30) {
  EXPECT_EXIT(write_formatted(13, kSlash), testing::ExitedWithCode(30), "tavrix: severe \\(30\\): open failure, unit 13");
}

}  // namespace
