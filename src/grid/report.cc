#include "grid/report.h"

#include <numeric>
#include <vector>

#include "recio/edit_descriptors.h"
#include "recio/record_writer.h"
#include "recio/units.h"

namespace grid {
namespace {

using recio::operator""_fmt;
using recio::kReportUnit;
using recio::write_formatted;

constexpr auto kInputSummary = R"fmt(/ / / 20X "SUMMARY OF INPUT DATA" / /
    12X "MODEL GRID:" I6 1X "X" I5 / /
    12X "TRANSIENT LEAKY ARTESIAN AQUIFER MODEL" / /
    16X "TRANSMISSIVITY = " F12.0 / /
    10X "LEAKANCE (GPD/FT**2) = " F12.8 / /
    11X "STORAGE COEFFICIENT = " F12.8 / /
    19X "TIME (DAYS) = " F12.4 / /
    18X "NODE SPACING = " I12 / / /
    22X "WELL DESCRIPTIONS" / /
    11X "X-LOCATION" 5X "Y-LOCATION" 7X "Q(GPD)" / /)fmt"_fmt;

constexpr auto kWellLine = R"fmt(9X F9.2 6X F9.2 5X F14.2 /)fmt"_fmt;

constexpr auto kContinuationHeader = R"fmt(/ / 22X "WELL DESCRIPTIONS" / 25X "(CONTINUED)" / /
    11X "X-LOCATION" 5X "Y-LOCATION" 7X "Q(GPD)" / /)fmt"_fmt;

constexpr auto kDisplayNotice = R"fmt(/ / 7X "--DISPLAY DRAWDOWNS ARE ACTUAL DRAWDOWN VALUES--")fmt"_fmt;
constexpr auto kRoundingNotice = R"fmt(/ / 15X "--ROUNDED UP ON 5 AND DOWN ON 4--")fmt"_fmt;

constexpr auto kEmptyPair = R"fmt(/)fmt"_fmt;

constexpr auto kMapRowTwoDecimals = R"fmt(1X I4 1X 300F6.2 / /)fmt"_fmt;
constexpr auto kMapRowOneDecimal = R"fmt(1X / / 1X I4 2X 300F6.1)fmt"_fmt;

constexpr auto kColumnNumbers = R"fmt(8X 300(1X I4 1X) / /)fmt"_fmt;

constexpr auto kAxisLabel = R"fmt(/ / / 50X "X AXIS")fmt"_fmt;

}  // namespace

void write_input_summary(std::int32_t NX, std::int32_t NY, float T, float LEAK, float S, float TIME,
                         std::int32_t SPACING) {
  write_formatted(kReportUnit, kInputSummary, {NX, NY, T, LEAK, S, TIME, SPACING});
}

void write_well_line(float x, float y, float q) { write_formatted(kReportUnit, kWellLine, {x, y, q}); }

void write_continuation_header() { write_formatted(kReportUnit, kContinuationHeader); }

void write_notices() {
  write_formatted(kReportUnit, kDisplayNotice);
  write_formatted(kReportUnit, kRoundingNotice);
}

void write_map_spacing() {
  for (int i = 0; i < 10; ++i) write_formatted(kReportUnit, kEmptyPair);
}

void write_map_row_two_decimals(std::int32_t row, std::span<const float> cells) {
  write_formatted(kReportUnit, kMapRowTwoDecimals, {row, cells});
}

void write_map_row_one_decimal(std::int32_t row, std::span<const float> cells) {
  write_formatted(kReportUnit, kMapRowOneDecimal, {row, cells});
}

void write_column_numbers(std::int32_t NX) {
  std::vector<std::int32_t> columns(NX > 0 ? static_cast<std::size_t>(NX) : 0);
  std::iota(columns.begin(), columns.end(), 1);
  write_formatted(kReportUnit, kColumnNumbers, {std::span<const std::int32_t>(columns)});
}

void write_axis_label() { write_formatted(kReportUnit, kAxisLabel); }

}  // namespace grid
