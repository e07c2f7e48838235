// Limits that cannot be missed: the search on quantities of known closed form
// (spikes far narrower than the samples), and the compliance of plans whose
// exceedance lies between samples, against the drawdown computed here from the
// documented formula s = 114.59156 (dq / 1440) W(u, r/B) / T,
// u = 1.87025 r^2 S / (T t), B = sqrt(T / leakance), with the quadrature of
// the leaky well function, and its crossings found by scanning and bisection.
#include "scenario/limit_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <tuple>
#include <functional>
#include <string>
#include <vector>

#include "model/reference_well_function.h"
#include "scenario/compliance.h"
#include "engine/true_well_function.h"

namespace {

// --- The search alone, on quantities given in closed form ------------------

// A ramp of height h from day a over `width` days, then flat: never decreasing.
double ramp(double t, double a, double width, double h) { return h * std::clamp((t - a) / width, 0.0, 1.0); }

struct Shape {
  const char* what;
  std::function<scenario::LimitSample(double)> at;
  std::vector<double> days;
  double limit;
  std::vector<scenario::LimitWindow> windows;  // the true windows
  double largest;
};

scenario::LimitSample sample(double rising, double falling) { return {0.0, rising - falling, rising, falling}; }

TEST(LimitSearch, FindsWhatLiesBetweenTheSamples) {
  const std::vector<double> whole_days{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const Shape shapes[] = {
      // A spike 0.002 day wide at day 5.0013, peak 3 at 5.0023.
      {"a narrow spike between two samples",
       [](double t) { return sample(ramp(t, 5.0013, 0.001, 3.0), ramp(t, 5.0023, 0.001, 3.0)); }, {0, 4, 6, 10}, 2.0,
       {{5.0013 + 2.0 / 3.0 * 0.001, 5.0023 + 1.0 / 3.0 * 0.001}}, 3.0},
      {"two spikes, the second higher", [](double t) {
         return sample(ramp(t, 2.3, 0.01, 1.5) + ramp(t, 7.7, 0.02, 4.0), ramp(t, 2.31, 0.01, 1.5) + ramp(t, 7.72, 0.02, 4.0));
       },
       whole_days, 1.0, {{2.3 + 0.01 / 1.5, 2.31 + 0.005 / 1.5}, {7.7 + 0.02 / 4.0, 7.72 + 0.06 / 4.0}}, 4.0},
      {"a rise that crosses at an irrational day and stays",
       [](double t) { return sample(ramp(t, 0.0, 10.0, 10.0), 0.0); }, whole_days, std::acos(-1.0),
       {{std::acos(-1.0), 10.0}}, 10.0},
      {"a short dip below the limit between two samples above it",
       [](double t) { return sample(ramp(t, 0.5, 0.1, 5.0) + ramp(t, 4.201, 0.001, 2.0), ramp(t, 4.2, 0.001, 2.0)); },
       whole_days, 4.0, {{0.5 + 0.08, 4.2 + 0.0005}, {4.201 + 0.0005, 10.0}}, 5.0},
      {"a spike that stays below the limit", [](double t) { return sample(ramp(t, 3.4, 0.01, 2.0), ramp(t, 3.41, 0.01, 2.0)); },
       whole_days, 2.5, {}, 2.0},
  };
  for (const Shape& c : shapes) {
    SCOPED_TRACE(c.what);
    const scenario::LimitSearch found = scenario::search_limit(c.at, c.days, c.limit);
    EXPECT_NEAR(found.largest, c.largest, 1e-6 * c.largest);
    ASSERT_EQ(found.windows.size(), c.windows.size());
    double total = 0.0;
    for (std::size_t k = 0; k < c.windows.size(); ++k) {
      // Each edge within the crossing's bracket, on the safe side.
      EXPECT_LE(found.windows[k].from, c.windows[k].from + 1e-12) << k;
      EXPECT_GE(found.windows[k].from, c.windows[k].from - 2e-6) << k;
      EXPECT_GE(found.windows[k].to, c.windows[k].to - 1e-12) << k;
      EXPECT_LE(found.windows[k].to, c.windows[k].to + 2e-6) << k;
      total += c.windows[k].to - c.windows[k].from;
    }
    EXPECT_NEAR(found.days_above, total, 1e-5);
  }
}

TEST(LimitSearch, DaysShownToATenthNeverOnTheWrongSide) {
  struct Case {
    double day, down, up;
  };
  const Case cases[] = {{11.196, 11.1, 11.2}, {57.65, 57.6, 57.7}, {0.3, 0.3, 0.3}, {0.30000000000000004, 0.3, 0.4},
                        {100.0, 100.0, 100.0}, {300.29, 300.2, 300.3}, {0.04, 0.0, 0.1}};
  for (const Case& c : cases) {
    EXPECT_NEAR(scenario::tenth_down(c.day), c.down, 1e-12) << c.day;
    EXPECT_NEAR(scenario::tenth_up(c.day), c.up, 1e-12) << c.day;
    EXPECT_LE(scenario::tenth_down(c.day), c.day) << c.day;
    EXPECT_GE(scenario::tenth_up(c.day), c.day) << c.day;
  }
}

// --- Compliance of plans, against the documented formula -------------------

constexpr double kT = 50000.0, kS = 0.0002;

struct PlanWell {
  double x, y;
  std::vector<std::pair<double, double>> steps;  // (start day, rate)
};

// The drawdown at (x, y) at day t by the documented formula and the quadrature.
double reference(const std::vector<PlanWell>& wells, double leakance, double x, double y, double t) {
  double sum = 0.0;
  for (const PlanWell& w : wells) {
    const double r = std::max(1.0, std::hypot(x - w.x, y - w.y));
    double before = 0.0;
    for (const auto& [day, rate] : w.steps) {
      if (day < t) {
        const double u = 1.87025 * r * r * kS / (kT * (t - day));
        const double rb = leakance > 0.0 ? r / std::sqrt(kT / leakance) : 0.0;
        sum += 114.59156 * ((rate - before) / 1440.0) * model::reference_well_function(u, rb) / kT;
      }
      before = rate;
    }
  }
  return sum;
}

// A study of `wells` (map feet) and one receptor at (x, y) with `limit`.
scenario::Scenario plan(const std::vector<PlanWell>& wells, double leakance, double x, double y, double limit, double last) {
  scenario::Scenario s;
  s.aquifer = {kT, leakance, kS};
  s.grid = {0.0, 0.0, 100, 100, 100};
  s.times = {last};
  for (std::size_t k = 0; k < wells.size(); ++k) {
    scenario::Well w;
    w.name = std::string("W").append(std::to_string(k));
    w.x = wells[k].x, w.y = wells[k].y;
    for (const auto& [day, rate] : wells[k].steps) w.steps.push_back({day, rate});
    s.wells.push_back(w);
  }
  s.receptors.push_back({"R", x, y, limit});
  return s;
}

scenario::Evaluation evaluation(scenario::WellFunction f) {
  scenario::Evaluation how;
  how.well_function = f;
  how.exact = engine::true_well_function;
  return how;
}

// The largest of f on [lo, hi]: scanned at `step`, refined by golden section.
std::pair<double, double> true_peak(const std::function<double(double)>& f, double lo, double hi, double step) {
  double best = lo, best_value = f(lo);
  for (double t = lo + step; t <= hi; t += step)
    if (const double v = f(t); v > best_value) best = t, best_value = v;
  double a = std::max(lo, best - step), b = std::min(hi, best + step);
  const double g = (std::sqrt(5.0) - 1.0) / 2.0;
  double c = b - g * (b - a), d = a + g * (b - a), fc = f(c), fd = f(d);
  for (int i = 0; i < 70; ++i) {
    if (fc >= fd) {
      b = d, d = c, fd = fc, c = b - g * (b - a), fc = f(c);
    } else {
      a = c, c = d, fc = fd, d = a + g * (b - a), fd = f(d);
    }
  }
  const double day = fc >= fd ? c : d;
  return {day, std::max({fc, fd, best_value})};
}

// The true windows above `limit` of f on [lo, hi]: scanned at `step` and at
// the day of its peak there, each crossing bisected to 1e-10 day.
std::vector<scenario::LimitWindow> true_windows(const std::function<double(double)>& f, double lo, double hi, double step,
                                             double limit) {
  auto crossing = [&](double a, double b) {
    const bool rising = f(b) > limit;
    while (b - a > 1e-10) {
      const double m = 0.5 * (a + b);
      ((f(m) > limit) == rising ? b : a) = m;
    }
    return 0.5 * (a + b);
  };
  std::vector<double> days;
  for (double t = lo; t <= hi + 1e-12; t += step) days.push_back(t);
  days.push_back(true_peak(f, lo, hi, step).first);
  std::sort(days.begin(), days.end());
  std::vector<scenario::LimitWindow> windows;
  bool above = f(days[0]) > limit;
  for (std::size_t k = 1; k < days.size(); ++k) {
    const bool now = f(days[k]) > limit;
    if (now && !above) windows.push_back({crossing(days[k - 1], days[k]), hi});
    if (!now && above) windows.back().to = crossing(days[k - 1], days[k]);
    above = now;
  }
  return windows;
}

struct Plan {
  const char* what;
  std::vector<PlanWell> wells;
  double leakance;
  double x, y;   // the receptor
  double last;   // the study's last day
  double lo, hi, step;  // where the truth is scanned
  double limit_of_peak;  // the limit as a fraction of the true peak there (0: `limit`)
  double limit;
  scenario::WellFunction well_function;
};

// A well far from the receptor changing its rate a little on each of days 1 to 250.
PlanWell daily_changes() {
  PlanWell w{3000.0, 0.0, {}};
  for (int day = 1; day <= 250; ++day) w.steps.push_back({day, 20000.0 + 500.0 * (day % 7)});
  return w;
}

TEST(ComplianceOfPlans, AnExceedanceBetweenSamplesIsFoundAndBracketed) {
  using scenario::WellFunction;
  const Plan plans[] = {
      {"250 step days, then a second well pumps 800,000 gpd for 0.2 day",
       {daily_changes(), {60.0, 0.0, {{300.0, 800000.0}, {300.2, 0.0}}}}, 1e-4, 0.0, 0.0, 365.0, 299.9, 302.0, 0.02,
       0.0, 5.0, WellFunction::exact},
      {"3 step days, a well pumps for 0.01 day: above the limit for seconds",
       {{2000.0, 0.0, {{0.0, 100000.0}}}, {300.0, 0.0, {{100.0, 500000.0}, {100.01, 0.0}}}}, 1e-4, 0.0, 0.0, 120.0,
       100.0, 100.2, 1e-3, 1.0 - 1e-5, 0.0, WellFunction::exact},
      {"the same 0.01-day pulse by the rule", {{2000.0, 0.0, {{0.0, 100000.0}}}, {300.0, 0.0, {{100.0, 500000.0}, {100.01, 0.0}}}},
       1e-4, 0.0, 0.0, 120.0, 100.0, 100.2, 1e-3, 0.98, 0.0, WellFunction::rule},
      {"a constant rate crossing its limit at day 11.196", {{100.0, 0.0, {{0.0, 250000.0}}}}, 1e-5, 0.0, 0.0, 30.0,
       0.0, 30.0, 0.5, 0.0, -11.196, WellFunction::exact},
      {"two pulses, two windows", {{150.0, 0.0, {{10.0, 400000.0}, {10.5, 0.0}, {20.0, 400000.0}, {20.7, 0.0}}}}, 1e-4,
       0.0, 0.0, 40.0, 9.9, 22.0, 0.01, 0.85, 0.0, WellFunction::exact},
  };
  for (const Plan& p : plans) {
    SCOPED_TRACE(p.what);
    const auto f = [&](double t) { return reference(p.wells, p.leakance, p.x, p.y, t); };
    const auto [peak_day, peak] = true_peak(f, p.lo, p.hi, p.step);
    double limit = p.limit_of_peak > 0.0 ? p.limit_of_peak * peak : p.limit;
    if (limit < 0.0) limit = f(-limit);  // the limit the drawdown reaches on that day
    const std::vector<scenario::LimitWindow> truth = true_windows(f, p.lo, p.hi, p.step, limit);
    ASSERT_FALSE(truth.empty()) << "the plan must exceed its limit: peak " << peak << " at day " << peak_day;
    ASSERT_LE(f(p.lo), limit) << "nothing above the limit before the scan";

    const scenario::Scenario s = plan(p.wells, p.leakance, p.x, p.y, limit, p.last);
    const scenario::Compliance c = scenario::compliance_of(s, evaluation(p.well_function));
    ASSERT_EQ(c.receptors.size(), 1u);
    const scenario::ReceptorCompliance& r = c.receptors[0];
    EXPECT_TRUE(c.exceeded()) << "largest " << r.largest << ", limit " << limit;
    ASSERT_TRUE(r.first_exceeded.has_value());
    // Never later than the truth, at most a tenth of a day earlier.
    EXPECT_LE(*r.first_exceeded, truth.front().from);
    EXPECT_GE(*r.first_exceeded, truth.front().from - 0.1 - 1e-9);
    EXPECT_NEAR(*r.first_exceeded * 10.0, std::round(*r.first_exceeded * 10.0), 1e-9);
    // The verdict, the margin and the factor agree with the largest drawdown.
    EXPECT_GT(r.largest, limit);
    EXPECT_LT(r.margin, 0.0);
    EXPECT_LT(c.rate_factor, 1.0);
    const double rule_tolerance = p.well_function == WellFunction::rule ? 1e-3 : 1e-6;
    EXPECT_NEAR(r.largest, peak, rule_tolerance * peak) << "at day " << r.largest_day << ", truly " << peak_day;
    if (p.well_function == WellFunction::rule) continue;
    ASSERT_EQ(r.windows.size(), truth.size());
    for (std::size_t k = 0; k < truth.size(); ++k) {
      EXPECT_NEAR(r.windows[k].from, truth[k].from, 1e-5) << k;
      EXPECT_NEAR(r.windows[k].to, truth[k].to, 1e-5) << k;
    }
    double total = 0.0;
    for (const scenario::LimitWindow& w : truth) total += w.to - w.from;
    EXPECT_NEAR(r.days_above, total, 1e-5 * truth.size());
  }
}

TEST(ComplianceOfPlans, AKeptLimitJustAboveThePeakIsKept) {
  // The 0.01-day pulse with its limit a hundred-thousandth above the true peak.
  const std::vector<PlanWell> wells{{2000.0, 0.0, {{0.0, 100000.0}}}, {300.0, 0.0, {{100.0, 500000.0}, {100.01, 0.0}}}};
  const auto f = [&](double t) { return reference(wells, 1e-4, 0.0, 0.0, t); };
  const double peak = true_peak(f, 100.0, 100.2, 1e-3).second;
  const scenario::Compliance c = scenario::compliance_of(plan(wells, 1e-4, 0.0, 0.0, peak * (1.0 + 1e-5), 120.0),
                                                   evaluation(scenario::WellFunction::exact));
  EXPECT_FALSE(c.exceeded());
  EXPECT_FALSE(c.receptors[0].first_exceeded.has_value());
  EXPECT_NEAR(c.receptors[0].largest, peak, 1e-7 * peak);
  EXPECT_GT(c.receptors[0].margin, 0.0);
}

TEST(ComplianceOfPlans, ASmoothInteriorPeakAndItsRateFactor) {
  // A well 20,000 ft away pumps for 20 days: the drawdown peaks days later, between samples.
  const std::vector<PlanWell> wells{{20000.0, 0.0, {{0.0, 250000.0}, {20.0, 0.0}}}};
  const auto f = [&](double t) { return reference(wells, 1e-5, 0.0, 0.0, t); };
  const auto [peak_day, peak] = true_peak(f, 20.0, 90.0, 0.05);
  ASSERT_GT(peak_day, 20.5) << "an interior peak";
  struct Case {
    double factor;         // limit / peak
    const char* shown;     // the rate factor line, rounded down to 0.001
  };
  const Case cases[] = {{0.9417, "rate factor: 0.941 "}, {0.94196, "rate factor: 0.941 "}, {1.25, "rate factor: 1.250 "},
                        {150.0, "rate factor: 150.000 "}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.factor);
    const scenario::Scenario s = plan(wells, 1e-5, 0.0, 0.0, k.factor * peak, 90.0);
    const scenario::Compliance c = scenario::compliance_of(s, evaluation(scenario::WellFunction::exact));
    const scenario::ReceptorCompliance& r = c.receptors[0];
    EXPECT_NEAR(r.largest, peak, 1e-7 * peak);
    // The day shown is the first within a millionth of the peak.
    EXPECT_GE(f(r.largest_day), peak * (1.0 - 2e-6)) << r.largest_day << " against " << peak_day;
    EXPECT_NEAR(c.rate_factor, k.factor, 1e-6 * k.factor);
    const std::string text = scenario::compliance_text(s, c);
    EXPECT_NE(text.find(k.shown), std::string::npos) << text;
    EXPECT_EQ(text.find("no limit comes near") != std::string::npos, k.factor > 100.0) << text;
    EXPECT_EQ(c.exceeded(), k.factor < 1.0);
  }
}

TEST(ComplianceOfPlans, TheCsvGivesEveryWindowAndLeavesNoInf) {
  const std::vector<PlanWell> pulses{{150.0, 0.0, {{10.0, 400000.0}, {10.5, 0.0}, {20.0, 400000.0}, {20.7, 0.0}}}};
  const std::vector<PlanWell> injection{{150.0, 0.0, {{10.0, -400000.0}}}};
  const auto f = [&](double t) { return reference(pulses, 1e-4, 0.0, 0.0, t); };
  const double peak = true_peak(f, 9.9, 22.0, 0.01).second;
  const std::vector<scenario::LimitWindow> truth = true_windows(f, 9.9, 22.0, 0.01, 0.85 * peak);
  ASSERT_EQ(truth.size(), 2u);

  const scenario::Scenario s = plan(pulses, 1e-4, 0.0, 0.0, 0.85 * peak, 40.0);
  const std::string csv = scenario::compliance_csv(s, scenario::compliance_of(s, evaluation(scenario::WellFunction::exact)));
  const std::string row = csv.substr(csv.find('\n') + 1);
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t comma; (comma = row.find_first_of(",\n", start)) != std::string::npos; start = comma + 1)
    fields.push_back(row.substr(start, comma - start));
  ASSERT_EQ(fields.size(), 9u) << csv;
  EXPECT_NEAR(std::stod(fields[7]), (truth[0].to - truth[0].from) + (truth[1].to - truth[1].from), 1e-4);
  // "from-to;from-to", each from rounded down and each to up to a tenth of a day.
  double a = 0, b = 0, c = 0, d = 0;
  ASSERT_EQ(std::sscanf(fields[8].c_str(), "%lf-%lf;%lf-%lf", &a, &b, &c, &d), 4) << fields[8];
  for (const auto& [shown, day, down] : {std::tuple{a, truth[0].from, true}, std::tuple{b, truth[0].to, false},
                                         std::tuple{c, truth[1].from, true}, std::tuple{d, truth[1].to, false}}) {
    EXPECT_LE(std::fabs(shown - day), 0.1 + 1e-9) << shown << " for " << day;
    EXPECT_TRUE(down ? shown <= day : shown >= day) << shown << " for " << day;
  }

  const scenario::Scenario rises = plan(injection, 1e-4, 0.0, 0.0, 1.0, 40.0);
  const scenario::Compliance rc = scenario::compliance_of(rises, evaluation(scenario::WellFunction::exact));
  const double rise = -reference(injection, 1e-4, 0.0, 0.0, 40.0);  // the mound grows to the last day
  EXPECT_TRUE(rc.receptors[0].only_rises);
  EXPECT_NEAR(rc.receptors[0].largest, -rise, 1e-6 * rise);
  EXPECT_EQ(rc.receptors[0].margin, 1.0) << "the head never drops: the whole limit is left";
  const std::string rise_csv = scenario::compliance_csv(rises, rc);
  EXPECT_EQ(rise_csv.find("inf"), std::string::npos) << rise_csv;
  EXPECT_TRUE(rise_csv.ends_with(",1,,0,\n")) << rise_csv;  // margin 1, no factor, no day above, no window
  char shown[32];
  std::snprintf(shown, sizeof shown, "%.2f rise", rise);
  EXPECT_NE(scenario::compliance_text(rises, rc).find(shown), std::string::npos) << scenario::compliance_text(rises, rc);
}

}  // namespace

namespace {

TEST(ComplianceOfPlans, TheSlopeBoundsHoldEveryValueBetweenTwoSamples) {
  // Plans whose drawdown turns fast, slowly, or is a near cancellation of
  // many terms; each interval's bounds must hold the drawdown computed here
  // at 40 days inside it.
  PlanWell cycling{280.0, 0.0, {}};
  for (int k = 0; k < 400; ++k) cycling.steps.push_back({0.01 * k, 150000.0 + 10000.0 * (k % 10)});
  struct Case {
    const char* what;
    std::vector<PlanWell> wells;
    double leakance;
    std::vector<std::pair<double, double>> intervals;
  };
  const Case cases[] = {
      {"a 0.01-day pulse 300 ft away", {{300.0, 0.0, {{100.0, 500000.0}, {100.01, 0.0}}}}, 1e-4,
       {{99.9, 100.005}, {100.0, 100.02}, {100.01, 100.3}, {100.2, 105.0}}},
      {"a well that stops, 20,000 ft away, no leakage", {{20000.0, 0.0, {{0.0, 250000.0}, {20.0, 0.0}}}}, 0.0,
       {{1.0, 30.0}, {19.0, 21.0}, {20.0, 90.0}}},
      {"400 alternating steps 280 ft away", {cycling}, 1e-3, {{0.5, 0.6}, {1.0, 1.3}, {3.9, 4.5}, {2.0, 2.01}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const scenario::Scenario s = plan(c.wells, c.leakance, 0.0, 0.0, 1.0, 200.0);
    const scenario::Evaluation how = evaluation(scenario::WellFunction::exact);
    for (const auto& [from, to] : c.intervals) {
      const scenario::LimitSample a = scenario::point_sample(s, how, 0.0, 0.0, from);
      const scenario::LimitSample b = scenario::point_sample(s, how, 0.0, 0.0, to);
      const scenario::LimitBounds bounds = scenario::point_bounds(s, 0.0, 0.0, {from, a.value, a.rising, a.falling},
                                                            {to, b.value, b.rising, b.falling});
      EXPECT_LE(bounds.lower, bounds.upper);
      for (int k = 0; k <= 40; ++k) {
        const double t = from + (to - from) * k / 40.0;
        const double truth = reference(c.wells, c.leakance, 0.0, 0.0, t);
        EXPECT_LE(truth, bounds.upper + 1e-9) << "day " << t << " in " << from << " to " << to;
        EXPECT_GE(truth, bounds.lower - 1e-9) << "day " << t << " in " << from << " to " << to;
      }
    }
  }
}

}  // namespace

namespace {

TEST(ComplianceOfPlans, ASampleIsTheSeriesValueAndItsTwoParts) {
  // By the rule the sample is the receptor series' single, bit for bit; exact,
  // the sum of the terms. Its parts are the terms of increases and decreases.
  const std::vector<PlanWell> wells{{150.0, 40.0, {{1.0, 300000.0}, {5.0, 100000.0}, {9.0, 250000.0}}},
                                    {-800.0, 0.0, {{0.0, -120000.0}}}};
  const scenario::Scenario s = plan(wells, 1e-4, 10.0, 20.0, 1.0, 30.0);
  for (double t : {0.5, 1.0005, 4.9, 5.2, 9.01, 29.0}) {
    SCOPED_TRACE(t);
    const std::vector<scenario::Term> terms = scenario::terms_at(s, t);
    const scenario::LimitSample rule = scenario::point_sample(s, evaluation(scenario::WellFunction::rule), 10.0, 20.0, t);
    const float series = scenario::point_drawdown_rule(s, scenario::node_position(10.0, 0.0, 100),
                                                    scenario::node_position(20.0, 0.0, 100), terms);
    EXPECT_EQ(static_cast<float>(rule.value), series);
    EXPECT_NEAR(rule.rising - rule.falling, rule.value, 1e-6 * (rule.rising + rule.falling));
    const scenario::LimitSample exact = scenario::point_sample(s, evaluation(scenario::WellFunction::exact), 10.0, 20.0, t);
    const double truth = reference(wells, 1e-4, 10.0, 20.0, t);
    EXPECT_NEAR(exact.value, truth, 1e-9 * (exact.rising + exact.falling));
    EXPECT_GE(exact.rising, 0.0);
    EXPECT_GE(exact.falling, 0.0);
  }
}

}  // namespace
