// The compile-time edit-descriptor parser (_fmt).
#include "recio/edit_descriptors.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

using recio::Descriptor;
using recio::FormatView;
using recio::Op;
using namespace recio;  // the _fmt literal

std::string_view literal(FormatView f, int i) {
  return {f.text + f.items[i].text_begin, static_cast<std::size_t>(f.items[i].text_size)};
}

// Parsed entirely at compile time.
constexpr auto kMapRow2 = R"(1X I4 1X 300F6.2 / /)"_fmt;
static_assert(kMapRow2.items.size() == 6);
static_assert(kMapRow2.items[0].op == Op::kSkip && kMapRow2.items[0].repeat == 1);
static_assert(kMapRow2.items[1].op == Op::kInteger && kMapRow2.items[1].width == 4);
static_assert(kMapRow2.items[3].op == Op::kFixed && kMapRow2.items[3].repeat == 300 &&
              kMapRow2.items[3].width == 6 && kMapRow2.items[3].decimals == 2);
static_assert(kMapRow2.items[4].op == Op::kSlash && kMapRow2.items[5].op == Op::kSlash);

constexpr auto kColumns = R"(8X 300(1X I4 1X) / /)"_fmt;
static_assert(kColumns.items.size() == 8);
static_assert(kColumns.items[1].op == Op::kGroupOpen && kColumns.items[1].repeat == 300 &&
              kColumns.items[1].partner == 5);
static_assert(kColumns.items[5].op == Op::kGroupClose && kColumns.items[5].partner == 1);

TEST(EditDescriptors, LiteralsGoToThePool) {
  constexpr auto f = R"("ncol" I6 1X / "nrow" I6 1X / "xllcorner" I12)"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 10);
  EXPECT_EQ(v.items[0].op, Op::kLiteral);
  EXPECT_EQ(literal(v, 0), "ncol");
  EXPECT_EQ(literal(v, 4), "nrow");
  EXPECT_EQ(literal(v, 8), "xllcorner");
  EXPECT_EQ(v.items[8].op, Op::kLiteral);
  EXPECT_EQ(v.items[9].op, Op::kInteger);
  EXPECT_EQ(v.items[9].width, 12);
}

TEST(EditDescriptors, DoubledQuoteInALiteralIsOneQuote) {
  constexpr auto f = R"("say ""hi""" "x")"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 2);
  EXPECT_EQ(literal(v, 0), "say \"hi\"");
  EXPECT_EQ(literal(v, 1), "x");
}

TEST(EditDescriptors, LiteralKeepsBlanksCommasAndSlashes) {
  constexpr auto f = R"(" a, b / c ")"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 1);
  EXPECT_EQ(literal(v, 0), " a, b / c ");
}

TEST(EditDescriptors, CommasAndNewlinesSeparate) {
  constexpr auto f = "9X,F9.2,6X,F9.2\n5X,F14.2,/"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 7);
  EXPECT_EQ(v.items[0].op, Op::kSkip);
  EXPECT_EQ(v.items[0].repeat, 9);
  EXPECT_EQ(v.items[4].op, Op::kSkip);
  EXPECT_EQ(v.items[5].op, Op::kFixed);
  EXPECT_EQ(v.items[5].width, 14);
  EXPECT_EQ(v.items[5].decimals, 2);
  EXPECT_EQ(v.items[6].op, Op::kSlash);
}

TEST(EditDescriptors, DollarAndZeroDecimals) {
  constexpr auto f = R"("Enter output file name:" / $ F12.0)"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 4);
  EXPECT_EQ(v.items[1].op, Op::kSlash);
  EXPECT_EQ(v.items[2].op, Op::kDollar);
  EXPECT_EQ(v.items[3].decimals, 0);
  EXPECT_EQ(v.items[3].width, 12);
}

TEST(EditDescriptors, NestedGroupsArePartnered) {
  constexpr auto f = R"(2(I4 3(F6.2) "x") I5)"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 8);
  EXPECT_EQ(v.items[0].op, Op::kGroupOpen);
  EXPECT_EQ(v.items[0].repeat, 2);
  EXPECT_EQ(v.items[0].partner, 6);
  EXPECT_EQ(v.items[2].op, Op::kGroupOpen);
  EXPECT_EQ(v.items[2].repeat, 3);
  EXPECT_EQ(v.items[2].partner, 4);
  EXPECT_EQ(v.items[4].partner, 2);
  EXPECT_EQ(v.items[6].partner, 0);
  EXPECT_EQ(v.items[7].op, Op::kInteger);
}

TEST(EditDescriptors, UncountedGroupRepeatsOnce) {
  constexpr auto f = R"((I4))"_fmt;
  FormatView v = f;
  ASSERT_EQ(v.size, 3);
  EXPECT_EQ(v.items[0].repeat, 1);
}

TEST(EditDescriptors, EverySystemListCompiles) {
  // The program's own lists: prompts, report and raster (the writer tests lay them out).
  constexpr auto summary =
      R"f(/ / / 20X "SUMMARY OF INPUT DATA" / / 12X "MODEL GRID:" I6 1X "X" I5 / / 12X "TRANSIENT LEAKY ARTESIAN AQUIFER MODEL" / / 16X "TRANSMISSIVITY = " F12.0 / / 10X "LEAKANCE (GPD/FT**2) = " F12.8 / / 11X "STORAGE COEFFICIENT = " F12.8 / / 19X "TIME (DAYS) = " F12.4 / / 18X "NODE SPACING = " I12 / / / 22X "WELL DESCRIPTIONS" / / 11X "X-LOCATION" 5X "Y-LOCATION" 7X "Q(GPD)" / /)f"_fmt;
  EXPECT_EQ(FormatView(summary).size, 57);
  constexpr auto header =
      R"("ncol" I6 1X / "nrow" I6 1X / "xllcorner" I12 / "yllcorner" I12 / "cellsize" I10 / "nodata_value" 1X "-9999")"_fmt;
  EXPECT_EQ(FormatView(header).size, 20);
  constexpr auto axis = R"(/ / / 50X "X AXIS")"_fmt;
  EXPECT_EQ(FormatView(axis).size, 5);
}

}  // namespace
