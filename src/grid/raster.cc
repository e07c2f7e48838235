#include "grid/raster.h"

#include "recio/edit_descriptors.h"
#include "recio/record_writer.h"
#include "recio/units.h"

namespace grid {
namespace {

using recio::operator""_fmt;

constexpr auto kRasterHeader = R"fmt("ncol" I6 1X / "nrow" I6 1X / "xllcorner" I12 / "yllcorner" I12 /
    "cellsize" I10 / "nodata_value" 1X "-9999")fmt"_fmt;

constexpr auto kRasterRow = R"fmt(300F6.2)fmt"_fmt;

}  // namespace

void write_raster_header(std::int32_t NX, std::int32_t NY, std::int32_t XLL, std::int32_t YLL,
                         std::int32_t SPACING) {
  recio::write_formatted(recio::kRasterUnit, kRasterHeader, {NX, NY, XLL, YLL, SPACING});
}

void write_raster_row(std::span<const float> cells) {
  recio::write_formatted(recio::kRasterUnit, kRasterRow, {cells});
}

}  // namespace grid
