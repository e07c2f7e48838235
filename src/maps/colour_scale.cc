#include "maps/colour_scale.h"

#include <algorithm>
#include <cmath>

namespace maps {

Rgb viridis(double t) {
  if (std::isnan(t)) t = 0.0;
  t = std::clamp(t, 0.0, 1.0);
  // A degree-6 least-squares fit of the viridis table, channel by channel,
  // within 5/255 of the published table everywhere.
  static constexpr double kR[] = {0.2777273272234177, 0.1050930431085774, -0.3308618287255563, -4.634230498983486,
                                  6.228269936347081,  4.776384997670288,  -5.435455855934631};
  static constexpr double kG[] = {0.005407344544966578, 1.404613529898575, 0.214847559468213, -5.799100973351585,
                                  14.17993336680509,    -13.74514537774601, 4.645852612178535};
  static constexpr double kB[] = {0.3340998053353061, 1.384590162594685,  0.09509516302823659, -19.33244095627987,
                                  56.69055260068105,  -65.35303263337234, 26.3124352495832};
  auto poly = [t](const double (&c)[7]) {
    double v = c[6];
    for (int k = 5; k >= 0; --k) v = v * t + c[k];
    return std::clamp(v, 0.0, 1.0);
  };
  return Rgb{poly(kR), poly(kG), poly(kB)};
}

}  // namespace maps
