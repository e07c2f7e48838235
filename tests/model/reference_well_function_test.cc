// The exact leaky well function: published values, closed forms, a table of
// high-precision values, the domain's edges, and the rule beside it.
#include "model/reference_well_function.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include <boost/math/special_functions/bessel.hpp>
#include <gtest/gtest.h>

#include "model/well_function.h"

namespace model {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kBound = 1e-10;  // the promised relative error

double relative_error(double value, double truth) { return std::fabs(value - truth) / std::fabs(truth); }

// --- published values ---------------------------------------------------------

TEST(ExactWellFunction, PublishedValuesToTheirEightDecimals) {
  struct Case {
    double u, rb, published;
  };
  const Case cases[] = {
      {0.01, 0.0, 4.03792957},  // E1(0.01)
      {0.01, 0.1, 3.81501652},
      {0.5, 0.5, 0.52062191},
      {0.1, 1.0, 0.81903450},
  };
  // To one unit of the last decimal: the published E1(0.01) is cut, not
  // rounded, from 4.0379295765...
  for (const Case& k : cases)
    EXPECT_NEAR(reference_well_function(k.u, k.rb), k.published, 1e-8) << "u = " << k.u << ", r/B = " << k.rb;
}

// --- rb = 0: the exponential integral E1 ---------------------------------------

// E1(u) by its power series, -gamma - ln u - sum (-u)^k / (k k!), for u <= 2
// (in long double: the terms' cancellation costs at most e^2 of the sum), and
// by its continued fraction (modified Lentz) above.
double E1(double x) {
  const long double u = x;
  if (x <= 2.0) {
    const long double gamma = 0.577215664901532860606512090082402431L;
    long double term = 1.0L, sum = 0.0L;
    for (int k = 1; k < 200; ++k) {
      term *= -u / k;  // (-u)^k / k!
      const long double add = term / k;
      sum += add;
      if (std::fabs(add) < 1e-22L * std::fabs(sum)) break;
    }
    return static_cast<double>(-gamma - std::log(u) - sum);
  }
  // E1(u) = e^-u / (u + 1 - 1^2 / (u + 3 - 2^2 / (u + 5 - ...)))
  const long double tiny = 1e-300L;
  long double b = u + 1.0L, c = 1.0L / tiny, d = 1.0L / b, h = d;
  for (int i = 1; i < 1000; ++i) {
    const long double a = -static_cast<long double>(i) * i;
    b += 2.0L;
    d = 1.0L / (a * d + b);
    c = b + a / c;
    const long double delta = c * d;
    h *= delta;
    if (std::fabs(delta - 1.0L) < 1e-21L) break;
  }
  return static_cast<double>(h * std::exp(-u));
}

TEST(ExactWellFunction, WithoutLeakageIsE1) {
  // The series itself, against E1(1) and E1(10) to 20 digits.
  EXPECT_LT(relative_error(E1(1.0), 0.21938393439552027368), 1e-15);
  EXPECT_LT(relative_error(E1(10.0), 4.1569689296853242774e-6), 1e-15);
  for (double u : {1e-8, 1e-6, 1e-4, 0.001, 0.01, 0.1, 0.3, 0.5, 1.0, 1.5, 2.0, 2.5, 3.0, 5.0, 6.0, 8.0, 10.0, 20.0,
                   35.0, 50.0})
    EXPECT_LT(relative_error(reference_well_function(u, 0.0), E1(u)), 1e-12) << "u = " << u;
}

// --- rb > 0: W(u, b) + W(b^2/(4u), b) = 2 K0(b) ---------------------------------

TEST(ExactWellFunction, ReflectedPairsSumToTwiceK0) {
  // Substituting y -> b^2/(4y) maps [u, inf) onto (0, b^2/(4u)], so the two
  // integrals together cover (0, inf): 2 K0(b).
  for (double b : {0.01, 0.1, 0.5, 1.0, 2.0, 5.0, 10.0})
    for (double u : {1e-6, 1e-4, 0.01, 0.1, 0.5, 1.0, 3.0}) {
      const double sum = reference_well_function(u, b) + reference_well_function(b * b / (4 * u), b);
      EXPECT_LT(relative_error(sum, 2 * boost::math::cyl_bessel_k(0, b)), 1e-12) << "u = " << u << ", r/B = " << b;
    }
}

// --- the error bound against high-precision values ------------------------------

TEST(ExactWellFunction, WithinTheBoundOfHighPrecisionValues) {
  // W(u, r/B) to 20 digits: mpmath 1.3.0 at 40 digits, adaptive tanh-sinh on
  // [u, inf) split at the integrand's peak and beyond (E1 itself for r/B = 0).
  struct Case {
    double u, rb, w;
  };
  const Case cases[] = {
      {1e-6, 0, 13.238295893062491244},
      {1e-6, 0.001, 13.003095484410986611},
      {1e-6, 0.1, 4.854138049404033225},
      {1e-6, 0.5, 1.8488381424553317236},
      {1e-6, 1, 0.84204887648141666667},
      {1e-6, 2, 0.22778774549906687131},
      {1e-6, 5, 0.0073821966680851885495},
      {1e-6, 10, 0.000035560124632335303623},
      {1e-4, 0, 8.63322470457470543},
      {1e-4, 0.001, 8.6307286741885216448},
      {1e-4, 0.1, 4.8541380494034983866},
      {1e-4, 0.5, 1.8488381424553317236},
      {1e-4, 1, 0.84204887648141666667},
      {1e-4, 2, 0.22778774549906687131},
      {1e-4, 5, 0.0073821966680851885495},
      {1e-4, 10, 0.000035560124632335303623},
      {0.01, 0, 4.0379295765381138318},
      {0.01, 0.001, 4.0379058349278748083},
      {0.01, 0.1, 3.8150165206808621013},
      {0.01, 0.5, 1.848570055634392958},
      {0.01, 1, 0.84204887648088690883},
      {0.01, 2, 0.22778774549906687131},
      {0.01, 5, 0.0073821966680851885495},
      {0.01, 10, 0.000035560124632335303623},
      {0.1, 0, 1.8229239584193906661},
      {0.1, 0.001, 1.8229221520581360911},
      {0.1, 0.1, 1.8049896781827922152},
      {0.1, 0.5, 1.4421957220065300284},
      {0.1, 1, 0.81903450043611921578},
      {0.1, 2, 0.22778395434841864792},
      {0.1, 5, 0.0073821966680851885495},
      {0.1, 10, 0.000035560124632335303623},
      {0.5, 0, 0.55977359477616081175},
      {0.5, 0.001, 0.55977343145425735001},
      {0.5, 0.1, 0.5581431420799406659},
      {0.5, 0.5, 0.52062191143074844892},
      {0.5, 1, 0.42102443824070833334},
      {0.5, 2, 0.19435796906512510993},
      {0.5, 5, 0.0073820227425788948167},
      {0.5, 10, 0.00003556012463233530362},
      {1, 0, 0.21938393439552027368},
      {1, 0.001, 0.21938389727164700757},
      {1, 0.1, 0.21901303819197151362},
      {1, 0.5, 0.21031374977879648056},
      {1, 1, 0.18547481057183993883},
      {1, 2, 0.11389387274953343565},
      {1, 5, 0.0072703118449930932183},
      {1, 10, 0.000035560124428253226358},
      {2, 0, 0.048900510708061119567},
      {2, 0.001, 0.048900506016278627423},
      {2, 0.1, 0.048853616414345185976},
      {2, 0.5, 0.047742152160466426533},
      {2, 1, 0.044436211827634353066},
      {2, 2, 0.033429776433941761377},
      {2, 5, 0.0051343601344556037953},
      {2, 10, 0.00003551701830505400712},
      {5, 0, 0.0011482955912753257973},
      {5, 0.001, 0.0011482955414518747591},
      {5, 0.1, 0.0011477974664627727114},
      {5, 0.5, 0.0011359080522759436128},
      {5, 1, 0.0010995532602880061195},
      {5, 2, 0.00096555921623071804831},
      {5, 5, 0.00039175438771072401882},
      {5, 10, 0.000017780062316167651811},
      {10, 0, 4.1569689296853242774e-6},
      {10, 0.001, 4.1569688339293137456e-6},
      {10, 0.1, 4.1560114804591422312e-6},
      {10, 0.5, 4.1330991042957204663e-6},
      {10, 1, 4.0623133519650506688e-6},
      {10, 2, 3.7911506482233835432e-6},
      {10, 5, 2.339289370912573646e-6},
      {10, 10, 4.219759534214937059e-7},
      {20, 0, 9.8355252906498816904e-11},
      {20, 0.001, 9.8355251730891770085e-11},
      {20, 0.1, 9.8343497539769356971e-11},
      {20, 0.5, 9.8061790601972328544e-11},
      {20, 1, 9.7186656170319483514e-11},
      {20, 2, 9.3763659173276471079e-11},
      {20, 5, 7.2955505028677472217e-11},
      {20, 10, 2.9803661841836495616e-11},
      {50, 0, 3.7832640295504590187e-24},
      {50, 0.001, 3.7832640109915424699e-24},
      {50, 0.1, 3.7830784449380778508e-24},
      {50, 0.5, 3.7786271452609929121e-24},
      {50, 1, 3.7647505749048156029e-24},
      {50, 2, 3.7097521997102747604e-24},
      {50, 5, 3.3466219883747495405e-24},
      {50, 10, 2.3165426454322134991e-24},
  };
  double worst = 0;
  for (const Case& k : cases) {
    const double e = relative_error(reference_well_function(k.u, k.rb), k.w);
    worst = std::max(worst, e);
    EXPECT_LT(e, kBound) << "u = " << k.u << ", r/B = " << k.rb;
  }
  // The quadrature does far better than it promises.
  EXPECT_LT(worst, 1e-13);
}

// Falling; flat, to a few units in the last place, where the difference lies
// below a double's resolution (u far below (r/B)^2/4: W is 2 K0(r/B) to every
// digit).
TEST(ExactWellFunction, FallsWithTimeDistanceAndLeakage) {
  for (double b : {0.0, 0.1, 1.0, 5.0}) {
    double last = kInf;
    for (double u = 1e-7; u < 60; u *= 1.7) {
      const double w = reference_well_function(u, b);
      if (u > b * b) {
        EXPECT_LT(w, last) << "u = " << u << ", r/B = " << b;
      } else {
        EXPECT_LE(w, last * (1 + 1e-14)) << "u = " << u << ", r/B = " << b;  // rounding's wobble
      }
      last = w;
    }
  }
  for (double u : {1e-6, 0.01, 1.0, 20.0}) {
    double last = kInf;
    for (double b = 0; b <= 10; b += 0.25) {
      const double w = reference_well_function(u, b);
      EXPECT_LT(w, last) << "u = " << u << ", r/B = " << b;
      last = w;
    }
  }
}

// --- the domain's edges -----------------------------------------------------------

TEST(ExactWellFunction, EdgesOfTheDomain) {
  EXPECT_TRUE(std::isnan(reference_well_function(kNaN, 0.1)));
  EXPECT_TRUE(std::isnan(reference_well_function(0.1, kNaN)));
  EXPECT_TRUE(std::isnan(reference_well_function(-1e-3, 0.1)));
  EXPECT_TRUE(std::isnan(reference_well_function(-kInf, 0.0)));
  // Only (r/B)^2 enters.
  EXPECT_EQ(reference_well_function(0.2, -0.7), reference_well_function(0.2, 0.7));
  // Nothing left to integrate, or nothing to integrate.
  EXPECT_EQ(reference_well_function(kInf, 0.0), 0.0);
  EXPECT_EQ(reference_well_function(0.1, kInf), 0.0);
  EXPECT_EQ(reference_well_function(0.1, -kInf), 0.0);
  // From u = 0: 2 K0(r/B), and E1's divergence without leakage.
  EXPECT_EQ(reference_well_function(0.0, 1.0), 2 * boost::math::cyl_bessel_k(0, 1.0));
  EXPECT_EQ(reference_well_function(-0.0, 1.0), 2 * boost::math::cyl_bessel_k(0, 1.0));
  EXPECT_EQ(reference_well_function(0.0, 0.0), kInf);
  // ... which the smallest u approach.
  EXPECT_LT(relative_error(reference_well_function(1e-12, 1.0), 2 * boost::math::cyl_bessel_k(0, 1.0)), 1e-10);
  EXPECT_LT(relative_error(reference_well_function(5e-324, 0.0), E1(5e-324)), 1e-12);
  EXPECT_GT(reference_well_function(5e-324, 1.0), 0.0);
  // Far beyond the grid's range: the answer underflows, never a NaN.
  EXPECT_GT(reference_well_function(700.0, 1.0), 0.0);
  EXPECT_EQ(reference_well_function(800.0, 0.0), 0.0);
  EXPECT_EQ(reference_well_function(1e300, 1e300), 0.0);
  EXPECT_EQ(reference_well_function(1e-300, 1e300), 0.0);
}

// --- the rule beside the exact value ----------------------------------------------

// The table of docs/rule_vs_exact.md: WUB (single) and the exact W at a few
// (u, r/B), with the rule's relative difference.
std::string rule_vs_exact_table() {
  std::string table =
      "| u | r/B | rule (WUB) | exact W | rule − exact, relative |\n"
      "| ---: | ---: | ---: | ---: | ---: |\n";
  for (double u : {1e-12, 1e-10, 3.5e-9, 1e-8, 1e-6, 1e-4, 1e-2, 0.5, 2.0, 3.761, 5.0, 6.0, 8.0})
    for (double rb : {0.0, 1e-4, 0.1, 1.0}) {
      const float rule = WUB(static_cast<float>(u), static_cast<float>(rb));
      const double exact = reference_well_function(u, rb);
      char line[200];
      std::snprintf(line, sizeof line, "| %g | %g | %.7g | %.10g | %+.1e |\n", u, rb, static_cast<double>(rule), exact,
                    (rule - exact) / exact);
      table += line;
    }
  return table;
}

TEST(RuleVsExact, TableInTheDocsIsCurrent) {
  const std::string table = rule_vs_exact_table();
  std::printf("%s", table.c_str());
  std::ifstream doc(LEAKY_SOURCE_DIR "/docs/rule_vs_exact.md");
  ASSERT_TRUE(doc) << "docs/rule_vs_exact.md is missing";
  const std::string text((std::istreambuf_iterator<char>(doc)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find(table), std::string::npos) << "docs/rule_vs_exact.md should hold this table:\n" << table;
}

TEST(RuleVsExact, FarTooHighForTinyUWithoutLeakage) {
  // The rule's first panels are 2e-8 wide whatever u is: once u is far below
  // that, Simpson's rule over [u, u + 2e-8] overshoots 1/y by about
  // 1e-8 / (3u). Without leakage that is more than 1% below u = 3.5e-9 and
  // more than 10% below 8.8e-10; at u = 1e-12 W is 3352 against 27.05.
  struct Case {
    double u, more_than, less_than;
  };
  const Case cases[] = {{1e-12, 100.0, 150.0}, {8e-10, 0.10, 0.20}, {3.3e-9, 0.01, 0.05}, {1e-8, 0.0, 0.01}};
  for (const Case& c : cases) {
    const double e = relative_error(WUB(static_cast<float>(c.u), 0.0f), reference_well_function(c.u, 0.0));
    EXPECT_GT(e, c.more_than) << "u = " << c.u;
    EXPECT_LT(e, c.less_than) << "u = " << c.u;
  }
  EXPECT_NEAR(reference_well_function(1e-12, 0.0), 27.0538, 1e-4);
  EXPECT_NEAR(WUB(1e-12f, 0.0f), 3352.0, 1.0);
  // Leakage hides it: where r/B^2 / 4 is far above u, the integrand is 0 over
  // the first panels.
  EXPECT_LT(relative_error(WUB(1e-12f, 1e-3f), reference_well_function(1e-12, 1e-3)), 3e-4);
}

TEST(RuleVsExact, CloseForSmallUCutOffTowardSix) {
  // Up to u = 2 the rule runs on past y = 9.5 and is within 3e-4 of the
  // integral (its Simpson panels, growing by 1.5, overestimate slightly) ...
  for (double u : {1e-6, 1e-4, 0.01, 0.5, 2.0})
    for (double rb : {0.0, 0.1, 1.0}) {
      const double e = reference_well_function(u, rb);
      EXPECT_LT(relative_error(WUB(static_cast<float>(u), static_cast<float>(rb)), e), 3e-4) << "u = " << u;
    }
  // ... from u = 3 on, stopping after the first panel past y = 6 loses the
  // tail beyond it: a quarter of a percent at u = 3, 8 % at u = 5, nearly all
  // at u = 6, and all above 6, where the rule returns 0.
  EXPECT_LT(WUB(3.0f, 0.0f), 0.998 * reference_well_function(3.0, 0.0));
  EXPECT_LT(WUB(5.0f, 0.0f), 0.93 * reference_well_function(5.0, 0.0));
  EXPECT_LT(WUB(6.0f, 0.0f), 1e-5 * reference_well_function(6.0, 0.0));
  EXPECT_EQ(WUB(8.0f, 0.0f), 0.0f);
  EXPECT_GT(reference_well_function(8.0, 0.0), 3e-5);
}

}  // namespace
}  // namespace model
