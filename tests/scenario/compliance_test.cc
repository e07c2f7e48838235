// The compliance of a plan: the largest drawdown, the first exceedance and
// the rate factor against drawdowns computed here from the textbook formula
// s = Q W(u, r/B) / (4 pi T), u = r^2 S / (4 T t) (T in cubic feet a day per
// foot), with the quadrature of the leaky well function; and how the study
// file states limits.
#include "scenario/compliance.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "model/exact_well_function.h"
#include "study/hydrographs.h"
#include "study/reader.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

constexpr double kGallonsPerCubicFoot = 7.48052;
constexpr double kT = 50000.0, kS = 0.0002, kLeakance = 0.001;  // as in kSmallStudy

// The drawdown at distance r of a well pumping q gallons a day for `days`.
double textbook(double q, double r, double days) {
  if (!(days > 0.0)) return 0.0;
  const double T = kT / kGallonsPerCubicFoot;
  const double u = r * r * kS / (4.0 * T * days);
  const double rb = r / std::sqrt(kT / kLeakance);
  return q * model::exact_well_function(u, rb) / (4.0 * std::numbers::pi * kT);
}

// A well's schedule of (start day, rate) steps, superposed.
double scheduled(const std::vector<std::pair<double, double>>& steps, double r, double t) {
  double sum = 0.0, before = 0.0;
  for (const auto& [day, rate] : steps) {
    if (day < t) sum += textbook(rate - before, r, t - day);
    before = rate;
  }
  return sum;
}

// The first day the drawdown passes `limit`, by bisection on [lo, hi].
double first_above(const std::vector<std::pair<double, double>>& steps, double r, double limit, double lo, double hi) {
  for (int i = 0; i < 80; ++i) {
    const double mid = 0.5 * (lo + hi);
    (scheduled(steps, r, mid) > limit ? hi : lo) = mid;
  }
  return hi;
}

scenario::Evaluation exact() {
  scenario::Evaluation how;
  how.well_function = scenario::WellFunction::exact;
  how.exact = engine::true_well_function;
  return how;
}

// kSmallStudy with PW-1's rate replaced by `schedule`, the times `times` and
// R-1, 100 ft east of it, limited to `limit` feet.
study::Study one_well(const std::string& schedule, const std::string& times, const std::string& limit) {
  std::string text = edited(kSmallStudy, "rate = 250000.0", schedule);
  text = edited(text, "times = [30.0, 90.0]", "times = " + times);
  text = edited(text, "y = 720150.0\n\n[output]", "y = 720150.0\nlimit = " + limit + "\n\n[output]");
  return read_text(text);
}

TEST(Compliance, FiguresAgreeWithTheTextbookFormula) {
  using Steps = std::vector<std::pair<double, double>>;
  struct Case {
    const char* what;
    std::string schedule;
    Steps steps;
    std::string times;
    double last;
    double limit;
    double peak_day;     // where the largest drawdown lies (or, on a plateau, any day of it)
    bool sharp;          // the peak is a step's day, not a plateau
    bool exceeded;
  };
  const Case cases[] = {
      {"a constant rate, exceeded between the times", "rate = 250000.0", {{0.0, 250000.0}}, "[30.0, 90.0]", 90.0, 3.0,
       90.0, false, true},
      {"a well that stops after its drawdown has levelled off", "schedule = [[0.0, 250000.0], [20.0, 0.0]]",
       {{0.0, 250000.0}, {20.0, 0.0}}, "[10.0, 90.0]", 90.0, 4.0, 20.0, false, false},
      {"a short burst exceeds and recovers before the first time", "schedule = [[0.0, 900000.0], [3.0, 0.0]]",
       {{0.0, 900000.0}, {3.0, 0.0}}, "[10.0, 30.0]", 30.0, 4.0, 3.0, true, true},
      {"a well that starts late", "schedule = [[40.0, 300000.0]]", {{40.0, 300000.0}}, "[30.0, 90.0]", 90.0, 3.0, 90.0,
       false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const study::Study s = one_well(c.schedule, c.times, std::to_string(c.limit));
    const scenario::Compliance got = scenario::compliance_of(s, exact());
    ASSERT_EQ(got.receptors.size(), 1u);
    const scenario::ReceptorCompliance& r = got.receptors[0];
    const double largest = scheduled(c.steps, 100.0, c.peak_day);
    EXPECT_NEAR(r.largest, largest, 1e-3 * largest);
    if (c.sharp) {
      EXPECT_NEAR(r.largest_day, c.peak_day, 0.05);
    }
    const double at_day = scheduled(c.steps, 100.0, r.largest_day);
    EXPECT_NEAR(at_day, largest, 1e-4 * largest) << "the day has the largest drawdown: " << r.largest_day;
    EXPECT_NEAR(r.margin, c.limit - largest, 1e-3 * largest);
    EXPECT_NEAR(got.rate_factor, c.limit / largest, 1e-3 * c.limit / largest);
    EXPECT_EQ(r.first_exceeded.has_value(), c.exceeded);
    EXPECT_EQ(got.exceeded(), c.exceeded);
    if (c.exceeded && r.first_exceeded) {
      const double day = first_above(c.steps, 100.0, c.limit, c.steps.front().first, c.peak_day);
      // The day to 0.1 rounded up: the first tenth of a day the limit is passed.
      EXPECT_GE(*r.first_exceeded, day - 1e-3);
      EXPECT_LE(*r.first_exceeded, day + 0.1 + 1e-3);
      EXPECT_NEAR(*r.first_exceeded * 10.0, std::round(*r.first_exceeded * 10.0), 1e-9);
    }
  }
}

TEST(Compliance, TheRateFactorIsTheLeastOverTheReceptorsAndExactByLinearity) {
  std::string text = edited(kSmallStudy, "y = 720150.0\n\n[output]",
                            "y = 720150.0\nlimit = 2.0\n\n"
                            "[[receptor]]\nname = \"far\"\nx = 2150550.0\ny = 720150.0\nlimit = 2.0\n\n"
                            "[[receptor]]\nname = \"free\"\nx = 2150150.0\ny = 720450.0\n\n[output]");
  text = edited(text, "rate = 250000.0", "schedule = [[0.0, 250000.0], [50.0, 100000.0]]");
  const study::Study s = read_text(text);
  const scenario::Compliance c = scenario::compliance_of(s, exact());
  ASSERT_EQ(c.receptors.size(), 2u) << "the receptor without a limit is not listed";
  EXPECT_EQ(c.receptors[1].receptor, 1u);
  ASSERT_TRUE(c.limiting.has_value());
  EXPECT_EQ(*c.limiting, 0u) << "the nearer receptor sets the factor";
  const double peak = scheduled({{0.0, 250000.0}, {50.0, 100000.0}}, 100.0, 50.0);
  EXPECT_NEAR(c.rate_factor, 2.0 / peak, 1e-3 * 2.0 / peak);
  EXPECT_LT(c.receptors[0].factor, c.receptors[1].factor);

  // Every rate times the factor brings the limiting receptor's peak to its limit.
  study::Study scaled = s;
  for (scenario::Well& w : scaled.wells)
    for (scenario::Step& step : w.steps) step.rate *= c.rate_factor;
  const scenario::Compliance at_factor = scenario::compliance_of(scaled, exact());
  EXPECT_NEAR(at_factor.receptors[0].largest, 2.0, 1e-9);
  EXPECT_NEAR(at_factor.rate_factor, 1.0, 1e-9);
}

TEST(Compliance, AnInjectionRiseNeedsNoFactorAndIsNoExceedance) {
  const study::Study s = one_well("rate = -250000.0", "[30.0, 90.0]", "0.5");
  const scenario::Compliance c = scenario::compliance_of(s, exact());
  ASSERT_EQ(c.receptors.size(), 1u);
  EXPECT_FALSE(c.exceeded());
  EXPECT_TRUE(std::isinf(c.rate_factor));
  EXPECT_FALSE(c.limiting.has_value());
  EXPECT_LT(c.receptors[0].largest, 0.5) << "a rise leaves the whole limit as margin";
  EXPECT_NE(scenario::compliance_text(s, c).find("rate factor: none needed"), std::string::npos);
}

TEST(Compliance, TheDenseDaysHoldEveryStepAndTimeAndAreDenseEnough) {
  const study::Study s = one_well("schedule = [[5.0, 250000.0], [20.0, 0.0]]", "[30.0, 90.0]", "1.0");
  const std::vector<double> days = scenario::dense_days(s, 90.0);
  ASSERT_FALSE(days.empty());
  EXPECT_EQ(days.front(), 5.0) << "from the first step, where nothing has started";
  EXPECT_EQ(days.back(), 90.0);
  for (double d : {20.0, 30.0}) EXPECT_TRUE(std::binary_search(days.begin(), days.end(), d)) << d;
  EXPECT_TRUE(std::is_sorted(days.begin(), days.end()));
  // 50 a decade of the 85 days since day 5: no gap wider than 5% of the time since then.
  EXPECT_LE(days[1] - days[0], 1e-3 + 1e-12);
  for (std::size_t k = 2; k < days.size(); ++k)
    EXPECT_LE(days[k] - days[k - 1], 0.05 * (days[k - 1] - 5.0) + 1e-9) << days[k];
}

TEST(Compliance, TheTableAndTheCsv) {
  const study::Study s = one_well("rate = 250000.0", "[30.0, 90.0]", "3");
  const scenario::Compliance c = scenario::compliance_of(s, exact());
  const std::string csv = scenario::compliance_csv(s, c);
  EXPECT_EQ(csv.rfind("name,limit_ft,largest_drawdown_ft,at_day,first_exceeded_day,margin_ft,rate_factor\nR-1,3,", 0), 0u)
      << csv;
  const std::string text = scenario::compliance_text(s, c);
  EXPECT_NE(text.find("the plan exceeds a limit"), std::string::npos) << text;
  EXPECT_NE(text.find("set by 'R-1' at day "), std::string::npos) << text;
}

TEST(Compliance, TheStudyFileStatesLimits) {
  const study::Study s = read_text(
      edited(edited(kSmallStudy, "receptor]]", "receptor]]\nlimit = 2.5"), "folder = \"out\"",
             "folder = \"out\"\ncompliance = \"compliance.csv\"\nexceedance_status = true\nseries_times = [30.0]"),
      {});
  ASSERT_TRUE(s.receptors[0].limit.has_value());
  EXPECT_EQ(*s.receptors[0].limit, 2.5);
  EXPECT_EQ(s.output.compliance, "compliance.csv");
  EXPECT_TRUE(s.output.exceedance_status);

  const std::string csv_study = edited(kSmallStudy, "[[receptor]]\nname = \"R-1\"\nx = 2150250.0\ny = 720150.0\n",
                                       "receptors_file = \"r.csv\"\n");
  const std::string moved = edited(csv_study, "receptors_file = \"r.csv\"\n", "");
  const std::string top = "receptors_file = \"r.csv\"\n" + moved;
  const study::Study from_csv =
      read_text(top, {{"r.csv", "name,x,y,limit_ft\nA,2150250,720150,4\nB,2150350,720150,\n"}});
  ASSERT_EQ(from_csv.receptors.size(), 2u);
  EXPECT_EQ(from_csv.receptors[0].limit, std::optional<double>(4.0));
  EXPECT_FALSE(from_csv.receptors[1].limit.has_value()) << "an empty limit_ft: no limit";

  struct Refusal {
    std::string text;
    std::map<std::string, std::string> files;
    std::string message;
  };
  const Refusal refusals[] = {
      {edited(kSmallStudy, "receptor]]", "receptor]]\nlimit = 0"), {}, "'limit' must be above 0 feet, not 0"},
      {edited(kSmallStudy, "well]]", "well]]\nradius = -1"), {}, "'radius' must be above 0 feet, not -1"},
      {edited(kSmallStudy, "folder = \"out\"", "folder = \"out\"\ncompliance = \"c.csv\""), {},
       "'compliance' needs a receptor with a 'limit', and the study has none"},
      {edited(kSmallStudy, "receptor]]", "receptor]]\nlimit = 1") + "exceedance_status = \"yes\"\n", {},
       "'exceedance_status' must be true or false, not a string"},
      {top, {{"r.csv", "name,x,y,limit_ft\nA,2150250,720150,-2\n"}}, "r.csv:2: the limit_ft field must be above 0 feet, not -2"},
      {edited(kSmallStudy, "folder = \"out\"", "folder = \"out\"\npoints = \"p.shp\""), {},
       "'points' must name a .gpkg file (a GeoPackage holds both layers), not 'p.shp'"},
  };
  for (const Refusal& r : refusals) {
    try {
      read_text(r.text, r.files);
      ADD_FAILURE() << "accepted: " << r.message;
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(r.message), std::string::npos) << e.message;
    }
  }
}

}  // namespace

namespace {

TEST(Compliance, TheHydrographsCurveIsDenseWithTheStepsAndTheSeriesDays) {
  const study::Study s = one_well("schedule = [[0.0, 250000.0], [20.0, 0.0]]", "[30.0, 90.0]", "1.0");
  const std::vector<double> series{2.0, 30.0, 90.0};
  const std::vector<double> days = study::hydrograph_days(s, series);
  EXPECT_EQ(days.front(), 2.0) << "from the first series day";
  EXPECT_EQ(days.back(), 90.0);
  for (double d : {2.0, 30.0, 90.0, 20.0 - 1e-3, 20.0, 20.0 + 1e-3})
    EXPECT_TRUE(std::binary_search(days.begin(), days.end(), d)) << d;
  EXPECT_GT(days.size(), 70u) << "50 a decade over 1.65 decades, and more after the step";
}

}  // namespace
