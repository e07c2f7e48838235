// The allocation against references of the test's own: the per-well
// drawdowns against the textbook formula s = Q W(u, r/B) / (4 pi T) with the
// quadrature of the leaky well function (and mirrored image wells), the best
// plan of two wells against every vertex of the feasible polygon, its dual
// values against the change of the optimum when a limit is raised, and the
// plan's limits by the compliance's own search of the continuous time axis.
#include "allocation/allocation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "allocation/shares.h"
#include "engine/true_well_function.h"
#include "model/reference_well_function.h"
#include "scenario/compliance.h"

namespace {

using allocation::Objective;
using allocation::PlanStatus;
using allocation::WellChoice;

constexpr double kT = 50000.0, kS = 0.0002, kLeakance = 0.001;
// The textbook's 4 T t / (r^2 S) and Q / (4 pi T) in feet, days and gallons,
// with the decimals the program has always used for them: u = 1.87025 r^2 S
// / (T t) (7.48052 / 4 rounded) and s = 114.59156 (Q / 1440) W / T (1 / 4 pi
// as 114.59156 / 1440), so that the references differ from the program by
// the well function's evaluation only.
constexpr double kUCoefficient = 1.87025, kDrawdownCoefficient = 114.59156 / 1440.0;

// The textbook drawdown at distance r of a well pumping q gallons a day for
// `days`: s = Q W(u, r/B) / (4 pi T) by the quadrature of the leaky well function.
double textbook(double q, double r, double days, double leakance = kLeakance) {
  if (!(days > 0.0)) return 0.0;
  const double u = kUCoefficient * r * r * kS / (kT * days);
  const double rb = r / std::sqrt(kT / leakance);
  return kDrawdownCoefficient * q * model::reference_well_function(u, rb) / kT;
}

double scheduled(const scenario::Well& w, double x, double y, double t, double leakance = kLeakance) {
  double sum = 0.0, before = 0.0;
  for (const scenario::Step& step : w.steps) {
    if (step.day < t) sum += textbook(step.rate - before, std::hypot(x - w.x, y - w.y), t - step.day, leakance);
    before = step.rate;
  }
  return sum;
}

scenario::Scenario base_case(double last) {
  scenario::Scenario s;
  s.times = {last};
  s.aquifer = {kT, kLeakance, kS};
  s.grid = {-5000.0, -5000.0, 100, 100, 100};
  return s;
}

scenario::Well well(const std::string& name, double x, double y, std::vector<scenario::Step> steps) {
  scenario::Well w;
  w.name = name, w.x = x, w.y = y, w.steps = std::move(steps);
  return w;
}

scenario::Receptor receptor(const std::string& name, double x, double y, double limit) {
  scenario::Receptor r;
  r.name = name, r.x = x, r.y = y, r.limit = limit;
  return r;
}

scenario::Evaluation exact() {
  scenario::Evaluation how;
  how.well_function = scenario::WellFunction::exact;
  how.exact = engine::true_well_function;
  how.engine.fast.threads = 2;
  return how;
}

allocation::Request request(std::size_t wells) {
  allocation::Request r;
  r.wells.assign(wells, WellChoice{});
  return r;
}

TEST(WellDrawdowns, EachWellWithItsImagesIsTheTextbookWell) {
  const struct {
    const char* name;
    std::optional<scenario::BoundaryKind> boundary;  // the line x = -600
  } cases[] = {{"no boundary", std::nullopt},
               {"barrier", scenario::BoundaryKind::barrier},
               {"stream", scenario::BoundaryKind::stream}};
  for (const auto& c : cases) {
    scenario::Scenario s = base_case(200.0);
    s.wells = {well("A", 0.0, 0.0, {{0.0, 300000.0}, {40.0, 100000.0}, {90.0, 450000.0}}),
               well("B", 800.0, 300.0, {{10.0, 200000.0}})};
    s.receptors = {receptor("R", 300.0, -200.0, 1.0)};
    if (c.boundary) s.boundaries = {scenario::Boundary{*c.boundary, "line", -600.0, 0.0, -600.0, 1000.0}};
    const double sign = c.boundary == scenario::BoundaryKind::stream ? -1.0 : 1.0;
    for (double t : {5.0, 40.0, 91.5, 200.0}) {
      const std::vector<double> got = allocation::well_drawdowns(s, 300.0, -200.0, t, engine::true_well_function);
      ASSERT_EQ(got.size(), 2u);
      for (std::size_t j = 0; j < 2; ++j) {
        const scenario::Well& w = s.wells[j];
        double want = scheduled(w, 300.0, -200.0, t);
        if (c.boundary) want += sign * scheduled(well("image", -1200.0 - w.x, w.y, w.steps), 300.0, -200.0, t);
        EXPECT_NEAR(got[j], want, 1e-9 * std::fabs(want) + 1e-12) << c.name << ", well " << w.name << ", day " << t;
      }
    }
    // The response matrix holds the same values, whatever the threads.
    const std::vector<double> days = allocation::constraint_days(s);
    EXPECT_TRUE(std::binary_search(days.begin(), days.end(), 40.0)) << "a rate's change day is a constraint day";
    EXPECT_TRUE(std::binary_search(days.begin(), days.end(), 90.0));
    const allocation::Responses one = allocation::unit_responses(s, days, engine::true_well_function, 1);
    const allocation::Responses two = allocation::unit_responses(s, days, engine::true_well_function, 2);
    EXPECT_EQ(one.values, two.values) << c.name;
    const auto d = static_cast<std::size_t>(std::find(days.begin(), days.end(), 90.0) - days.begin());
    const std::vector<double> at90 = allocation::well_drawdowns(s, 300.0, -200.0, 90.0, engine::true_well_function);
    for (std::size_t j = 0; j < 2; ++j) {
      EXPECT_NEAR(one.at(0, d)[j], at90[j], 1e-13 * std::fabs(at90[j])) << c.name;
      EXPECT_EQ(one.at(0, d)[j], one.rising_at(0, d)[j] - one.falling_at(0, d)[j]) << c.name;
    }
  }
}

// Two wells pumping steadily from day 0 without leakage: each drawdown grows
// with time, so the limits bind at the last day, where the textbook gives
// the 2 x 2 rows.
struct TwoWells {
  double a[2][2];  // a[receptor][well]: feet at the last day at the planned rates
  double limit[2];
  double c[2];                     // objective
  double lo[2], hi[2];             // bounds (hi: infinity for none)
};

// The best factors by enumerating every vertex of the polygon
// {lo <= f <= hi, a f <= limit}: each pair of the six lines met, kept when
// feasible; the one of the largest objective.
std::vector<double> vertex_optimum(const TwoWells& p, double* objective) {
  struct Line { double u, v, w; };  // u f0 + v f1 = w
  std::vector<Line> lines = {{p.a[0][0], p.a[0][1], p.limit[0]}, {p.a[1][0], p.a[1][1], p.limit[1]},
                             {1.0, 0.0, p.lo[0]}, {0.0, 1.0, p.lo[1]}};
  if (std::isfinite(p.hi[0])) lines.push_back({1.0, 0.0, p.hi[0]});
  if (std::isfinite(p.hi[1])) lines.push_back({0.0, 1.0, p.hi[1]});
  double best = -1e300;
  std::vector<double> at;
  for (std::size_t i = 0; i < lines.size(); ++i)
    for (std::size_t k = i + 1; k < lines.size(); ++k) {
      const double det = lines[i].u * lines[k].v - lines[i].v * lines[k].u;
      if (std::fabs(det) < 1e-14) continue;
      const double f0 = (lines[i].w * lines[k].v - lines[i].v * lines[k].w) / det;
      const double f1 = (lines[i].u * lines[k].w - lines[i].w * lines[k].u) / det;
      const double tol = 1e-9;
      bool ok = f0 >= p.lo[0] - tol && f1 >= p.lo[1] - tol && f0 <= p.hi[0] + tol && f1 <= p.hi[1] + tol;
      for (int r = 0; r < 2; ++r) ok = ok && p.a[r][0] * f0 + p.a[r][1] * f1 <= p.limit[r] * (1 + tol);
      if (ok && p.c[0] * f0 + p.c[1] * f1 > best) best = p.c[0] * f0 + p.c[1] * f1, at = {f0, f1};
    }
  *objective = best;
  return at;
}

TEST(BestPlan, TwoWellsAgreeWithEveryVertexOfTheirPolygonAndItsDuals) {
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    const char* name;
    Objective objective;
    double weight1;
    double lo[2], hi[2];
  } cases[] = {
      {"most total pumping", Objective::total, 1.0, {0.0, 0.0}, {inf, inf}},
      {"well B weighted 4 times", Objective::weighted, 4.0, {0.0, 0.0}, {inf, inf}},
      {"well A at most 0.5", Objective::total, 1.0, {0.0, 0.0}, {0.5, inf}},
      {"well B at least 0.15", Objective::total, 1.0, {0.0, 0.15}, {inf, inf}},
  };
  const double last = 120.0;
  for (const auto& c : cases) {
    scenario::Scenario s = base_case(last);
    s.aquifer.leakance = 0.0;
    s.wells = {well("A", 0.0, 0.0, {{0.0, 400000.0}}), well("B", 1500.0, 0.0, {{0.0, 250000.0}})};
    s.receptors = {receptor("wetland", 400.0, 300.0, 1.5), receptor("spring", 1300.0, -250.0, 1.2)};
    allocation::Request req = request(2);
    req.objective = c.objective;
    req.wells[1].weight = c.weight1;
    for (int j = 0; j < 2; ++j) {
      req.wells[j].min_factor = c.lo[j];
      if (std::isfinite(c.hi[j])) req.wells[j].max_factor = c.hi[j];
    }
    const allocation::Responses r = allocation::unit_responses(s, allocation::constraint_days(s), engine::true_well_function, 2);
    const allocation::Plan plan = allocation::best_plan(s, req, r, exact());
    ASSERT_EQ(plan.status, PlanStatus::solved) << c.name << ": " << plan.why;

    TwoWells p{};
    for (int k = 0; k < 2; ++k) {
      for (int j = 0; j < 2; ++j) p.a[k][j] = scheduled(s.wells[j], s.receptors[k].x, s.receptors[k].y, last, 0.0);
      p.limit[k] = *s.receptors[k].limit;
    }
    for (int j = 0; j < 2; ++j) {
      p.c[j] = s.wells[j].steps[0].rate * last * (j == 1 ? c.weight1 : 1.0);
      p.lo[j] = c.lo[j], p.hi[j] = c.hi[j];
    }
    double best = 0.0;
    const std::vector<double> want = vertex_optimum(p, &best);
    ASSERT_EQ(want.size(), 2u) << c.name;
    EXPECT_NEAR(plan.factors[0], want[0], 1e-7 * want[0] + 1e-9) << c.name;
    EXPECT_NEAR(plan.factors[1], want[1], 1e-7 * want[1] + 1e-9) << c.name;
    EXPECT_TRUE(plan.check.passed()) << c.name << ": worst " << plan.check.worst;
    // One more foot of a binding limit: the polygon's optimum grows by its dual.
    for (const allocation::Binding& b : plan.binding) {
      TwoWells more = p;
      more.limit[b.receptor] += 1e-3;
      double raised = 0.0;
      vertex_optimum(more, &raised);
      EXPECT_NEAR(b.dual, (raised - best) / 1e-3, 1e-4 * std::fabs(b.dual) + 1e-6 * best) << c.name << ", " << b.receptor;
    }
  }
}

// Wells with monthly schedules (and an injection well) in a leaky aquifer:
// the drawdown peaks between the sample days, where the check's refined
// peaks join the program.
scenario::Scenario monthly_case() {
  scenario::Scenario s = base_case(365.0);
  const auto monthly = [](double base, double swing) {
    std::vector<scenario::Step> steps;
    for (int m = 0; m < 12; ++m) steps.push_back({30.0 * m, base * (1.0 + swing * std::sin(0.5 * m))});
    return steps;
  };
  s.wells = {well("PW-1", 0.0, 0.0, monthly(300000.0, 0.6)), well("PW-2", 900.0, 400.0, monthly(200000.0, 0.9)),
             well("PW-3", -700.0, 800.0, monthly(350000.0, 0.3)), well("IW-1", 300.0, 900.0, {{60.0, -80000.0}})};
  s.receptors = {receptor("wetland", 350.0, 150.0, 1.0), receptor("spring", -400.0, 500.0, 1.4),
                 receptor("domestic well", 800.0, -200.0, 2.0)};
  return s;
}

TEST(BestPlan, EveryLimitHoldsAndRaisingABindingWellBreaksOne) {
  const scenario::Scenario s = monthly_case();
  const allocation::Responses r = allocation::unit_responses(s, allocation::constraint_days(s), engine::true_well_function, 2);
  const allocation::Plan plan = allocation::best_plan(s, request(4), r, exact());
  ASSERT_EQ(plan.status, PlanStatus::solved) << plan.why;
  EXPECT_EQ(plan.factors[3], 1.0) << "an injection well without max_factor is kept as planned";
  EXPECT_TRUE(plan.check.passed());
  ASSERT_FALSE(plan.binding.empty());
  // The compliance's own search of the allocated plan: every limit holds.
  const scenario::Compliance held = scenario::compliance_of(allocation::scaled(s, plan.factors), exact());
  for (const scenario::ReceptorCompliance& rc : held.receptors)
    EXPECT_LE(rc.largest, rc.limit + allocation::Check::kHolds) << s.receptors[rc.receptor].name;
  // Each scaled well that draws a binding receptor down: 0.1 % more breaks a limit.
  std::size_t raised = 0;
  for (std::size_t j = 0; j < 3; ++j) {
    bool draws = false;
    for (const allocation::Binding& b : plan.binding) {
      const scenario::Receptor& p = s.receptors[b.receptor];
      draws = draws || allocation::well_drawdowns(allocation::scaled(s, plan.factors), p.x, p.y, b.day,
                                                  engine::true_well_function)[j] > 1e-2;
    }
    if (!draws || plan.factors[j] <= 0.0) continue;
    std::vector<double> more = plan.factors;
    more[j] *= 1.001;
    EXPECT_TRUE(scenario::compliance_of(allocation::scaled(s, more), exact()).exceeded()) << s.wells[j].name;
    ++raised;
  }
  EXPECT_GT(raised, 0u);
}

TEST(BestPlan, AMinimumThatBreaksALimitIsNamed) {
  scenario::Scenario s = monthly_case();
  allocation::Request req = request(4);
  req.wells[0].min_factor = 2.0;  // PW-1 alone then draws the wetland down past 1 ft
  const allocation::Responses r = allocation::unit_responses(s, allocation::constraint_days(s), engine::true_well_function, 2);
  const allocation::Plan plan = allocation::best_plan(s, req, r, exact());
  EXPECT_EQ(plan.status, PlanStatus::infeasible);
  EXPECT_NE(plan.why.find("'wetland'"), std::string::npos) << plan.why;
  EXPECT_NE(plan.why.find("'PW-1'"), std::string::npos) << plan.why;
  EXPECT_NE(plan.why.find("min_factor 2.000"), std::string::npos) << plan.why;
  // The same minimum with every well fixed but PW-1 is feasible once lowered.
  req.wells[0].min_factor = 0.1;
  EXPECT_EQ(allocation::best_plan(s, req, r, exact()).status, PlanStatus::solved);
}

TEST(AloneFactors, EachWellUpToTheFirstLimitWithTheOthersAsPlanned) {
  // Steady rates: each receptor's drawdown peaks at the last day, a sample day.
  scenario::Scenario s = base_case(200.0);
  s.wells = {well("A", 0.0, 0.0, {{0.0, 100000.0}}), well("B", 1200.0, 0.0, {{0.0, 60000.0}}),
             well("inject", 600.0, 900.0, {{0.0, -100000.0}})};
  s.receptors = {receptor("near A", 200.0, 100.0, 2.0), receptor("near B", 1100.0, -150.0, 1.5)};
  const allocation::Responses r = allocation::unit_responses(s, allocation::constraint_days(s), engine::true_well_function, 1);
  std::vector<double> limits{2.0, 1.5};
  const std::vector<allocation::AloneFactor> alone = allocation::alone_factors(r, limits);
  ASSERT_EQ(alone.size(), 3u);
  EXPECT_FALSE(alone[2].factor) << "an injection well reaches no limit";
  EXPECT_FALSE(alone[2].blocked_by);
  for (std::size_t j = 0; j < 2; ++j) {
    ASSERT_TRUE(alone[j].factor) << j;
    std::vector<double> f{1.0, 1.0, 1.0};
    f[j] = *alone[j].factor;
    // At that factor the compliance's search finds one limit reached, none passed.
    const scenario::Compliance c = scenario::compliance_of(allocation::scaled(s, f), exact());
    double closest = 1e300;
    for (const scenario::ReceptorCompliance& rc : c.receptors) {
      EXPECT_LE(rc.largest, rc.limit * (1.0 + 1e-9)) << j;
      closest = std::min(closest, rc.limit - rc.largest);
    }
    EXPECT_NEAR(closest, 0.0, 1e-9) << j;
  }
  // With a tighter limit the other wells alone break it: no factor, the receptor named.
  limits[0] = 0.05;
  const std::vector<allocation::AloneFactor> blocked = allocation::alone_factors(r, limits);
  EXPECT_FALSE(blocked[1].factor);
  ASSERT_TRUE(blocked[1].blocked_by);
  EXPECT_EQ(*blocked[1].blocked_by, 0u);
}

TEST(Shares, TheWellsDrawdownsAtTheCriticalDayMakeTheTotal) {
  // Two equal wells at equal distances, and a third farther: the first two
  // share equally, and the sum is the compliance's largest drawdown.
  scenario::Scenario s = base_case(150.0);
  s.wells = {well("A", -500.0, 0.0, {{0.0, 200000.0}, {100.0, 0.0}}), well("B", 500.0, 0.0, {{0.0, 200000.0}, {100.0, 0.0}}),
             well("C", 0.0, 2000.0, {{0.0, 200000.0}, {100.0, 0.0}})};
  s.receptors = {receptor("middle", 0.0, 0.0, 3.0)};
  const scenario::Compliance c = scenario::compliance_of(s, exact());
  const std::vector<allocation::ReceptorShares> shares = allocation::receptor_shares(s, c, engine::true_well_function);
  ASSERT_EQ(shares.size(), 1u);
  EXPECT_EQ(shares[0].day, c.receptors[0].largest_day);
  // The day is the first within a millionth of the largest (a leaky aquifer's plateau).
  EXPECT_NEAR(shares[0].total, c.receptors[0].largest, 2e-6 * c.receptors[0].largest);
  EXPECT_NEAR(*shares[0].share(0), *shares[0].share(1), 1e-12);
  const double far = scheduled(s.wells[2], 0.0, 0.0, shares[0].day);
  EXPECT_NEAR(shares[0].drawdown[2], far, 1e-9 * far);
  EXPECT_NEAR(*shares[0].share(0) + *shares[0].share(1) + *shares[0].share(2), 1.0, 1e-12);
  EXPECT_EQ(shares[0].largest_first().back(), 2u);
}

}  // namespace
