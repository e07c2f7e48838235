// An ensemble's band on a hydrograph: shaded in the series' colour between
// its low and high values (the frame reaches its high), white outside it,
// and a picture without a band is laid out as before.
#include <cairo.h>
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "picture_folder.h"
#include "picture_pixels.h"
#include "pictures/hydrograph.h"

namespace {

using pictures::Hydrograph;
using pictures::PlotFormat;
using BandFile = picture_testing::PictureFolder;

Hydrograph banded() {
  Hydrograph h{"R-1", {1, 10, 100, 1000}, {1.0f, 2.0f, 3.0f, 3.5f}};
  h.band_days = {1, 10, 100, 1000};
  h.band_low_ft = {0.5f, 1.0f, 1.5f, 2.0f};
  h.band_middle_ft = {1.0f, 2.2f, 3.3f, 3.9f};
  h.band_high_ft = {2.0f, 5.0f, 9.0f, 12.0f};
  return h;
}

TEST_F(BandFile, TheBandIsShadedInItsSeriesColourAndTheFrameReachesIt) {
  const std::vector<Hydrograph> with = {banded()};
  Hydrograph plain = banded();
  plain.band_days.clear();
  const std::vector<Hydrograph> without = {plain};
  const pictures::HydrographLayout l = pictures::hydrograph_layout("Band", with);
  const pictures::HydrographLayout p = pictures::hydrograph_layout("Band", without);
  EXPECT_GE(l.d1, 12.0) << "the frame holds the band's high values";
  EXPECT_LT(p.d1, 12.0) << "without a band, the frame is the series' own";
  EXPECT_GT(l.height, p.height - 1) << "the legend's band lines need no less room";

  ASSERT_EQ(pictures::write_hydrographs(path("band.png"), PlotFormat::kPng, "Band", with), "");
  std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> png(
      cairo_image_surface_create_from_png(path("band.png").c_str()), cairo_surface_destroy);
  ASSERT_EQ(cairo_surface_status(png.get()), CAIRO_STATUS_SUCCESS);
  // Away from the grid lines (day 70, between the ticks of 50 and 100; the
  // drawdowns halfway between two ticks): inside the band at day 70 (from
  // about 1.4 to 8 ft, the line and the median near 3), a light tint of the
  // series' colour; below it, white.
  const auto between = [&](double feet) {
    for (std::size_t k = 0; k + 1 < l.drawdown_ticks.size(); ++k)
      if (l.drawdown_ticks[k].value <= feet && feet < l.drawdown_ticks[k + 1].value)
        return (l.drawdown_ticks[k].value + l.drawdown_ticks[k + 1].value) / 2;
    return feet;
  };
  const pictures::Rgb c = pictures::hydrograph_colour(0);
  const picture_testing::Pixel in = picture_testing::pixel_at(png.get(), l.to_x(70), l.to_y(between(6.0)));
  EXPECT_NEAR(in.r, 255 * (0.82 + 0.18 * c.r), 3);
  EXPECT_NEAR(in.g, 255 * (0.82 + 0.18 * c.g), 3);
  EXPECT_NEAR(in.b, 255 * (0.82 + 0.18 * c.b), 3);
  const picture_testing::Pixel out = picture_testing::pixel_at(png.get(), l.to_x(70), l.to_y(between(11.0)));
  EXPECT_EQ(out.r + out.g + out.b, 3 * 255);
}

}  // namespace
