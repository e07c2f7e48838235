// Prints the drawdown grid of a well field, computed node by node straight from
// the drawdown model, for the GDAL test to compare the --grid file with.
//
// usage: reference_drawdowns NX NY T LEAK S TIME SPACING [X Y Q]...
// Output: NY lines, top row first, NX values each with %.9g (enough digits to
// carry any single exactly).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "model/drawdown.h"

int main(int argc, char** argv) {
  if (argc < 8 || (argc - 8) % 3 != 0) {
    std::fprintf(stderr, "usage: reference_drawdowns NX NY T LEAK S TIME SPACING [X Y Q]...\n");
    return 2;
  }
  const auto integer = [&](int k) { return static_cast<std::int32_t>(std::strtol(argv[k], nullptr, 10)); };
  const auto single = [&](int k) { return std::strtof(argv[k], nullptr); };
  const std::int32_t nx = integer(1), ny = integer(2), spacing = integer(7);
  const float T = single(3), LEAK = single(4), S = single(5), TIME = single(6);
  for (std::int32_t r = ny; r >= 1; --r) {
    for (std::int32_t c = 1; c <= nx; ++c) {
      float dd = 0.0f;
      for (int k = 8; k < argc; k += 3)
        model::DRAWDN(T, S, TIME, LEAK, single(k + 2), model::DIST(spacing, c, r, single(k), single(k + 1)), dd);
      std::printf(c == 1 ? "%.9g" : " %.9g", static_cast<double>(dd));
    }
    std::printf("\n");
  }
  return 0;
}
