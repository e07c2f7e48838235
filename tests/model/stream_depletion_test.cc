// Stream depletion against independent references: erfc and the scaled erfc
// in long double, the normal flux of the leaky drawdown integrated along the
// stream's line by nested quadrature, Hunt's published form, the steady
// states e^(-d/B) and (2/pi) atan(e/d), and the closed form of the volume.
#include "model/stream_depletion.h"

#include <cmath>
#include <limits>

#include <boost/math/quadrature/exp_sinh.hpp>
#include <boost/math/quadrature/tanh_sinh.hpp>
#include <gtest/gtest.h>

namespace model {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kPi = 3.141592653589793238;

double relative(double value, double truth) { return std::fabs(value - truth) / std::fabs(truth); }

// --- erfcx ---------------------------------------------------------------------

TEST(Erfcx, MatchesLongDoubleProductAcrossItsRange) {
  // expl(z^2) erfcl(z) in long double: e^(100^2) and erfc(100) both fit.
  for (double z : {0.0, 1e-8, 0.3, 1.0, 4.5, 12.0, 24.999, 25.0, 25.001, 40.0, 80.0, 100.0}) {
    const long double zl = z;
    const double truth = static_cast<double>(std::exp(zl * zl) * std::erfcl(zl));
    EXPECT_LT(relative(erfcx(z), truth), 5e-15) << "z = " << z;
  }
  EXPECT_EQ(erfcx(kInf), 0.0);
  EXPECT_DOUBLE_EQ(erfcx(-1.0), static_cast<double>(std::exp(1.0L) * std::erfcl(-1.0L)));
}

// --- the fully penetrating stream --------------------------------------------

// The normal flux of the leaky drawdown, integrated along the whole line by
// quadrature: the well and its image give, at the line's point y,
//   Q d / (pi r^2) * integral from u to infinity of exp(-w - r^2 / (4 B^2 w)) dw,
//   r^2 = d^2 + y^2, u = r^2 / (4 nu t)
// (d s/dr of the leaky solution is -Q/(2 pi T r) times that integral).
double flux_density(double y, double d, double t, const DepletionAquifer& a) {
  static boost::math::quadrature::exp_sinh<double> inner;
  const double r2 = d * d + y * y;
  const double u = r2 / (4.0 * a.diffusivity * t);
  const double c = std::isinf(a.leakage_factor) ? 0.0 : r2 / (4.0 * a.leakage_factor * a.leakage_factor);
  // Scaled by e^-u, the integrand's value at its lower end at most.
  auto g = [u, c](double s) { return std::exp(-s - c / (u + s)); };
  const double I = inner.integrate(g, 0.0, kInf, 1e-13) * std::exp(-u);
  return d / (kPi * r2) * I;
}

double flux_along_line(double d, double t, const DepletionAquifer& a) {
  static boost::math::quadrature::exp_sinh<double> outer;
  // Symmetric in y: twice the half line.
  return 2.0 * outer.integrate([&](double y) { return flux_density(y, d, t, a); }, 0.0, kInf, 1e-11);
}

struct LineCase {
  double d, t, nu, B;
};

TEST(StreamDepletion, MatchesTheFluxIntegratedAlongTheLine) {
  const LineCase cases[] = {
      {100.0, 1.0, 1e6, kInf},     {1000.0, 30.0, 3.34e7, kInf}, {1000.0, 30.0, 3.34e7, 31623.0},
      {500.0, 0.05, 3.34e7, 2000.0}, {2000.0, 365.0, 3.34e7, 3000.0}, {50.0, 10.0, 1e5, 100.0},
      {5000.0, 1.0, 1e6, 1000.0},  {300.0, 1e4, 1e6, 400.0},
  };
  for (const LineCase& k : cases) {
    const DepletionAquifer a{k.nu, k.B};
    const double truth = flux_along_line(k.d, k.t, a);
    EXPECT_LT(relative(stream_depletion(k.d, k.t, a), truth), 1e-6)
        << "d " << k.d << " t " << k.t << " nu " << k.nu << " B " << k.B << ": " << stream_depletion(k.d, k.t, a)
        << " vs " << truth;
  }
}

TEST(StreamDepletion, WithoutLeakageIsTheClassicalErfc) {
  for (double x : {1e-4, 0.01, 0.3, 1.0, 3.0, 10.0, 26.0}) {
    const double nu = 2.5e6, t = 7.0;
    const double d = x * std::sqrt(4.0 * nu * t);
    const double truth = static_cast<double>(std::erfcl(static_cast<long double>(x)));
    EXPECT_LT(relative(stream_depletion(d, t, {nu, kInf}), truth), 1e-13) << "x = " << x;
  }
}

TEST(StreamDepletion, TendsToEToTheMinusDOverBWithLeakage) {
  struct Case {
    double d, B;
  };
  for (const Case& k : {Case{100.0, 1000.0}, Case{1000.0, 1000.0}, Case{5000.0, 700.0}, Case{1.0, 1e6}}) {
    const DepletionAquifer a{1e6, k.B};
    const double steady = std::exp(-k.d / k.B);
    EXPECT_LT(relative(stream_depletion(k.d, 1e9, a), steady), 1e-9) << k.d << " " << k.B;
    EXPECT_LT(relative(stream_depletion(k.d, kInf, a), steady), 1e-15);
    // Below 1 at every time, growing with time.
    double before = 0.0;
    for (double t : {1e-3, 0.1, 10.0, 1e3, 1e5}) {
      const double f = stream_depletion(k.d, t, a);
      EXPECT_GE(f, before);
      EXPECT_LE(f, steady * (1.0 + 1e-14));
      before = f;
    }
  }
}

TEST(StreamDepletion, NothingBeforeTheStartAndNoOverflowFarAway) {
  const DepletionAquifer a{1e6, 10.0};
  EXPECT_EQ(stream_depletion(100.0, 0.0, a), 0.0);
  EXPECT_EQ(stream_depletion(100.0, -1.0, a), 0.0);
  // d/B = 1e4: e^(d/B) alone would overflow; the value is 0, not NaN.
  EXPECT_EQ(stream_depletion(1e5, 1e3, a), 0.0);
  EXPECT_TRUE(std::isfinite(stream_depletion(1e4, 1e8, a)));
}

// --- the streambed -----------------------------------------------------------

TEST(StreambedDepletion, MatchesHuntsFormInLongDouble) {
  struct Case {
    double d, t, nu, T, lambda;
  };
  const Case cases[] = {{500.0, 10.0, 3.34e7, 6684.0, 1.0},  {500.0, 10.0, 3.34e7, 6684.0, 20.0},
                        {100.0, 1.0, 1e6, 1000.0, 5.0},      {2000.0, 365.0, 1e6, 1000.0, 0.5},
                        {50.0, 0.1, 1e5, 100.0, 10.0}};
  for (const Case& k : cases) {
    // erfc(x) - exp(z^2 + 2 x z) erfc(x + z), as Hunt wrote it.
    const long double x = k.d / std::sqrt(4.0L * k.nu * k.t);
    const long double z = k.lambda * std::sqrt(static_cast<long double>(k.nu) * k.t) / (2.0L * k.T);
    const double truth = static_cast<double>(std::erfcl(x) - std::exp(z * z + 2.0L * x * z) * std::erfcl(x + z));
    EXPECT_LT(relative(streambed_depletion(k.d, k.t, k.nu, k.T, k.lambda), truth), 1e-9)
        << "d " << k.d << " lambda " << k.lambda;
  }
}

TEST(StreambedDepletion, ItsLimitsAreTheOpenStreamAndNone) {
  for (double t : {0.01, 1.0, 100.0}) {
    const double nu = 3.34e7, T = 6684.0, d = 800.0;
    const double open = stream_depletion(d, t, {nu, kInf});
    EXPECT_EQ(streambed_depletion(d, t, nu, T, 0.0), 0.0);
    EXPECT_LT(relative(streambed_depletion(d, t, nu, T, kInf), open), 1e-15);
    EXPECT_LT(relative(streambed_depletion(d, t, nu, T, 1e9), open), 1e-6);
    // A streambed only holds water back.
    double before = 0.0;
    for (double lambda : {0.01, 0.1, 1.0, 10.0, 100.0}) {
      const double f = streambed_depletion(d, t, nu, T, lambda);
      EXPECT_GT(f, before) << lambda;
      EXPECT_LT(f, open) << lambda;
      before = f;
    }
  }
}

// --- the corner of two streams -----------------------------------------------

// The flux through the half-line y > 0 of the first stream (the second along
// y = 0): the well's pair at (d, e) less the pair mirrored at (d, -e),
// integrated along y by quadrature.
double flux_along_half_line(double d, double e, double t, const DepletionAquifer& a) {
  static boost::math::quadrature::tanh_sinh<double> finite;
  static boost::math::quadrature::exp_sinh<double> outer;
  auto density = [&](double y) {
    auto pair = [&](double yy) { return flux_density(yy, d, t, a); };
    return pair(y - e) - pair(y + e);
  };
  // The peak at y = e: [0, e] then [e, infinity).
  const double near = finite.integrate([&](double y, double) { return density(y); }, 0.0, e, 1e-11);
  return near + outer.integrate([&](double s) { return density(e + s); }, 0.0, kInf, 1e-11);
}

TEST(CornerDepletion, MatchesTheFluxThroughTheHalfLine) {
  struct Case {
    double d, e, t, nu, B;
  };
  const Case cases[] = {{500.0, 500.0, 10.0, 1e6, kInf}, {300.0, 1500.0, 5.0, 1e6, kInf},
                        {1000.0, 200.0, 50.0, 1e6, 3000.0}, {100.0, 100.0, 0.1, 3.34e7, 1000.0}};
  for (const Case& k : cases) {
    const DepletionAquifer a{k.nu, k.B};
    const double truth = flux_along_half_line(k.d, k.e, k.t, a);
    EXPECT_LT(relative(corner_depletion(k.d, k.e, k.t, a), truth), 1e-6)
        << "d " << k.d << " e " << k.e << ": " << corner_depletion(k.d, k.e, k.t, a) << " vs " << truth;
  }
}

TEST(CornerDepletion, SteadyStateIsTwoOverPiAtanAndFarCornersAreTheLine) {
  for (double ratio : {0.1, 1.0, 3.0}) {
    const double d = 200.0;
    EXPECT_LT(relative(corner_depletion(d, ratio * d, 1e12, {1e6, kInf}), 2.0 / kPi * std::atan(ratio)), 1e-5)
        << ratio;
  }
  // A corner far along the line: the whole line's closed form.
  for (double B : {kInf, 800.0}) {
    const DepletionAquifer a{1e6, B};
    EXPECT_LT(relative(corner_depletion(300.0, 1e7, 20.0, a), stream_depletion(300.0, 20.0, a)), 1e-10) << B;
  }
}

// --- the volume --------------------------------------------------------------

TEST(DepletionVolume, MatchesTheClosedFormWithoutLeakage) {
  // integral of erfc(d / sqrt(4 nu tau)) from 0 to t:
  //   t [(1 + 2 x^2) erfc(x) - 2 x e^(-x^2) / sqrt(pi)],  x = d / sqrt(4 nu t).
  const double nu = 1e6, d = 1000.0;
  for (double t : {0.01, 0.1, 1.0, 30.0, 365.0}) {
    const double x = d / std::sqrt(4.0 * nu * t);
    const double truth = t * ((1.0 + 2.0 * x * x) * std::erfc(x) - 2.0 * x * std::exp(-x * x) / std::sqrt(kPi));
    const double v = depletion_volume([&](double tau) { return stream_depletion(d, tau, {nu, kInf}); }, t);
    EXPECT_LT(relative(v, truth), 1e-9) << "t = " << t;
  }
  EXPECT_EQ(depletion_volume([](double) { return 1.0; }, 0.0), 0.0);
}

}  // namespace
}  // namespace model
