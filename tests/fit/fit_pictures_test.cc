// The fit's pictures: Bourdet's derivative against closed forms (the Jacob
// straight line, the Theis derivative), the derivative picture's refusal,
// and the type-curve picture's box of estimates read back from its PDF.
#include "fit/derivative.h"
#include "fit/estimate_note.h"
#include "fit/leaky_model.h"
#include "fit/pictures.h"
#include "fit/reader.h"
#include "fit/solve.h"
#include "pictures/chart_note.h"
#include "pictures/hydrograph.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <numbers>
#include <string>

#include "model/reference_well_function.h"
#include "synthetic_tests.h"

namespace {

// The derivative of a + b ln t is b at every inner reading, whatever the
// spacing of the times and the window.
TEST(BourdetDerivative, IsTheSlopeOfAStraightLineInLnTime) {
  struct Case {
    std::vector<double> times;
    double window;
  };
  const Case cases[] = {
      {{1, 2, 3, 5, 8, 13, 21, 34, 55, 89}, 0.2},
      {{0.001, 0.0011, 0.0013, 0.002, 0.01, 0.2, 0.21, 0.5, 3.0}, 0.2},
      {{10, 20, 30}, 1.0},      // a window wider than the readings: the ends
      {{1, 1.01, 1.02, 1.03, 1.04}, 0.0},  // no window: the neighbours
  };
  for (const Case& c : cases) {
    std::vector<double> s;
    for (double t : c.times) s.push_back(0.7 + 1.9 * std::log(t));
    const std::vector<fit::DerivativePoint> d = fit::bourdet_derivative(c.times, s, c.window);
    ASSERT_EQ(d.size(), c.times.size() - 2);
    for (std::size_t i = 0; i < d.size(); ++i) {
      EXPECT_EQ(d[i].time, c.times[i + 1]);
      EXPECT_NEAR(d[i].value, 1.9, 1e-12) << "window " << c.window << " at " << d[i].time;
    }
  }
  // Times that are not above 0 or do not increase give no derivative.
  EXPECT_TRUE(fit::bourdet_derivative({0.0, 1.0, 2.0, 3.0}, {0, 1, 2, 3}).empty());
  EXPECT_TRUE(fit::bourdet_derivative({1.0, 3.0, 2.0, 4.0}, {0, 1, 2, 3}).empty());
  EXPECT_TRUE(fit::bourdet_derivative({1.0, 2.0}, {0, 1}).empty());
}

// The window reaches the nearest reading at least L log cycles away: at
// t = 10 with readings at 1, 5, 10, 11, 100 and L = 0.2, the readings 5 and
// 100; a parabola in ln t then has the weighted slope of its two chords.
TEST(BourdetDerivative, TakesTheNearestReadingsAtLeastTheWindowAway) {
  const std::vector<double> t = {1, 5, 10, 11, 100};
  std::vector<double> s;
  for (double x : t) s.push_back(std::log(x) * std::log(x));
  const std::vector<fit::DerivativePoint> d = fit::bourdet_derivative(t, s, 0.2);
  ASSERT_EQ(d.size(), 3U);
  const double x = std::log(10.0), x1 = std::log(5.0), x2 = std::log(100.0);
  const double dx1 = x - x1, dx2 = x2 - x;
  const double expected = ((x * x - x1 * x1) / dx1 * dx2 + (x2 * x2 - x * x) / dx2 * dx1) / (dx1 + dx2);
  EXPECT_NEAR(d[1].value, expected, 1e-12);
}

// The derivative of the Theis drawdown s = Q W(u) / (4 pi T), u = r^2 S / (4 T t)
// (T in gpd/ft, Q in gpd, s in feet; 7.48 gallons a cubic foot in u), is
// Q / (4 pi T) exp(-u), tending to Q / (4 pi T) late: both the readings'
// derivative and the fitted model's follow it once u < 0.5 (earlier the
// 0.2-cycle window smooths its sharp rise).
TEST(DerivativeSeries, FollowsTheTheisDerivativeAndItsLateLimit) {
  const double T = 30000.0, S = 2e-4, Q = 250000.0;
  fit::PumpingTest test = fit_testing::synthetic_test({T, S, 0.0}, {60.0, 200.0}, Q, 1e-4, 10.0, 60, 0.0, 0.0, 0,
                                                      model::reference_well_function);
  fit::Estimate e;
  e.value = {T, S, 0.0};
  const fit::LeakyModel model(model::reference_well_function);
  const std::vector<fit::DerivativeSeries> series = fit::derivative_series(test, model, e);
  ASSERT_EQ(series.size(), 2U);
  const double limit = Q / (4.0 * std::numbers::pi * T);
  for (std::size_t k = 0; k < series.size(); ++k) {
    const double r = test.observations[k].x;
    ASSERT_EQ(series[k].observed.size(), 58U);
    ASSERT_EQ(series[k].fitted.size(), 58U);
    for (std::size_t i = 0; i < series[k].observed.size(); ++i) {
      const double t = series[k].observed[i].time;
      const double u = r * r * S * 7.480519480519481 / (4.0 * T * t);
      const double exact = limit * std::exp(-u);
      if (u > 0.5) continue;  // early, where the window's smoothing bends the curve (tested above on lines)
      EXPECT_NEAR(series[k].observed[i].value, exact, 0.01 * limit) << series[k].name << " at " << t;
      EXPECT_NEAR(series[k].fitted[i].value, series[k].observed[i].value, 1e-9 * limit);
    }
    EXPECT_NEAR(series[k].observed.back().value, limit, 2e-3 * limit) << series[k].name;
  }
}

// A derivative picture needs an observation of three readings; the key is
// refused on its line otherwise, and its name must be a picture's.
TEST(DerivativePicture, IsRefusedWhereItCannotBeDrawn) {
  const std::string text = "[[well]]\nname = \"PW\"\nx = 0.0\ny = 0.0\nrate = 1000.0\n"
                           "[[observation]]\nname = \"P1\"\nx = 50.0\ny = 0.0\nfile = \"p1.csv\"\n"
                           "[fit]\nparameters = [\"transmissivity\"]\n[aquifer]\nstorage = 1e-4\n"
                           "[output]\nderivative = ";
  struct Case {
    std::string name, readings, message;
  };
  const Case cases[] = {
      {"\"d.png\"", "1,0.1\n2,0.2\n",
       "t/test.toml:16: 'derivative' needs an observation with 3 readings or more (ds/d ln t between its first and last)"},
      {"\"d.gif\"", "1,0.1\n2,0.2\n3,0.3\n",
       "t/test.toml:16: 'derivative' must name a .png, .svg or .pdf file in the output folder (or be \"\"), not 'd.gif'"},
      {"\"\"", "1,0.1\n2,0.2\n", ""},
      {"\"d.svg\"", "1,0.1\n2,0.2\n3,0.3\n", ""},
  };
  for (const Case& c : cases) {
    const std::map<std::string, std::string> files = {{"t/p1.csv", c.readings}};
    const inputs::ReadFile read = [&](const std::string& path, std::string& why) -> std::optional<std::string> {
      if (files.count(path) == 0) return why = "No such file or directory", std::nullopt;
      return files.at(path);
    };
    try {
      const fit::PumpingTest t = fit::read_test(text + c.name + "\n", "t/test.toml", read);
      EXPECT_EQ(c.message, "") << "accepted " << c.name;
      EXPECT_EQ("\"" + t.output.derivative + "\"", c.name);
    } catch (const fit::TestFileError& e) {
      EXPECT_EQ(e.message, c.message);
    }
  }
}

std::string pdf_text(const std::string& path) {
  std::string out;
  FILE* f = popen(("pdftotext -raw '" + path + "' - 2>/dev/null").c_str(), "r");
  if (f == nullptr) return out;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) out.append(buffer, n);
  pclose(f);
  return out;
}

std::string g3(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", v);
  return text;
}

// The type curves' box holds the fitted T (in ft2/d, from gpd/ft by 7.48
// gallons a cubic foot) and S with their 95% intervals as text; the
// confined test's leakance, held at 0, is not shown.
TEST(TypeCurvePicture, ItsBoxHoldsTheEstimatesAndIntervalsAsText) {
  fit::PumpingTest test = fit_testing::synthetic_test({30000.0, 2e-4, 0.0}, {60.0, 200.0}, 250000.0, 1e-3, 1.0, 40,
                                                      0.0, 0.01, 3, model::reference_well_function);
  test.fit.fitted = {true, true, false};
  test.fit.fixed = {0.0, 0.0, 0.0};
  const fit::LeakyModel model(model::reference_well_function);
  const fit::Estimate e = fit::fit_test(test, model);
  const std::string path = (std::filesystem::temp_directory_path() / ("fit-box-" + std::to_string(::getpid()) + ".pdf")).string();
  ASSERT_EQ(fit::write_type_curves(path, test, e, model), "");
  const std::string text = pdf_text(path);
  std::filesystem::remove(path);
  const double ft2 = 1.0 / 7.480519480519481;
  const std::string expected[] = {
      "transmissivity = " + g3(e.value[0] * ft2) + " ft2/d (95%: " + g3(e.interval[0][0] * ft2) + " to " +
          g3(e.interval[0][1] * ft2) + ")",
      "storage = " + g3(e.value[1]) + " (95%: " + g3(e.interval[1][0]) + " to " + g3(e.interval[1][1]) + ")",
  };
  for (const std::string& line : expected) EXPECT_NE(text.find(line), std::string::npos) << line << "\nin:\n" << text;
  EXPECT_EQ(text.find("leakance"), std::string::npos);
  EXPECT_NEAR(e.value[0] * ft2, 30000.0 * ft2, 0.05 * 30000.0 * ft2);  // the fit found the truth
}

// The box takes the corner whose points it hides fewest of: readings crowded
// into the upper left push it elsewhere; none at all leave it there.
TEST(ChartNote, TakesTheCornerHidingTheFewestPoints) {
  pictures::Hydrograph crowded{"a", {}, {}};
  crowded.days = {1.0, 100.0};  // the axes' ends: 1 to 100 days, 0.1 to 10 ft
  crowded.drawdown_ft = {0.1f, 10.0f};
  for (int i = 0; i < 30; ++i) {
    crowded.days.push_back(1.1 + 0.03 * i);                      // early: the left
    crowded.drawdown_ft.push_back(static_cast<float>(6.0 + 0.1 * i));  // large, on a log axis: the top
  }
  pictures::ChartStyle style;
  style.log_values = true;
  const std::vector<pictures::Hydrograph> series = {crowded};
  const pictures::HydrographLayout l = pictures::hydrograph_layout("t", series, style);
  EXPECT_EQ(pictures::picture::note_corner(l, series, 120, 40), pictures::picture::Corner::kTopRight);
  const std::vector<pictures::Hydrograph> none = {pictures::Hydrograph{"b", {1.0, 100.0}, {0.1f, 10.0f}}};
  const pictures::HydrographLayout l2 = pictures::hydrograph_layout("t", none, style);
  EXPECT_EQ(pictures::picture::note_corner(l2, none, 20, 10), pictures::picture::Corner::kTopLeft);
}

}  // namespace
