// Reading a drawn PNG back: the colour at a point, compared with a colour of
// the scale. For the picture tests.
#pragma once

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "pictures/colour_scale.h"

namespace picture_testing {

/// A pixel's colour, as 0 .. 255 channels.
struct Pixel {
  int r, g, b;
};

/// The colour of the PNG surface at (x, y) pixels.
inline Pixel pixel_at(cairo_surface_t* png, double x, double y) {
  cairo_surface_flush(png);
  const unsigned char* data = cairo_image_surface_get_data(png);
  const int stride = cairo_image_surface_get_stride(png);
  const auto word = *reinterpret_cast<const std::uint32_t*>(data + static_cast<int>(y) * stride + static_cast<int>(x) * 4);
  return Pixel{static_cast<int>((word >> 16) & 0xff), static_cast<int>((word >> 8) & 0xff), static_cast<int>(word & 0xff)};
}

/// Expects `p` to be `c` within 3 of 255 in each channel; `where` names the place.
inline void expect_colour(const Pixel& p, const pictures::Rgb& c, const std::string& where) {
  EXPECT_NEAR(p.r, c.r * 255, 3.0) << where;
  EXPECT_NEAR(p.g, c.g * 255, 3.0) << where;
  EXPECT_NEAR(p.b, c.b * 255, 3.0) << where;
}

}  // namespace picture_testing
