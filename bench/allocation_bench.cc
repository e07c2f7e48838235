// The allocation of a large plan: 100 wells with monthly schedules over a
// year, 50 receptors with limits. Timed, each a median of `runs` runs
// (default 3), on every hardware thread:
//   compliance  the plan's compliance (the study computes it anyway; the shares take its critical days)
//   responses   each well's drawdown at each receptor and constraint day
//   shares      each well's drawdown at each receptor's critical day
//   alone       each well's largest factor with the others as planned
//   plan        the best plan by linear programming, checked by the compliance's search
// The target: responses, shares, alone and plan together under 5 s (and
// with the compliance too).
//
// Usage: allocation_bench [runs]

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "allocation/allocation.h"
#include "allocation/responses.h"
#include "allocation/shares.h"
#include "engine/evaluate.h"
#include "engine/true_well_function.h"
#include "scenario/compliance.h"

namespace {

scenario::Scenario plan() {
  scenario::Scenario s;
  s.aquifer = {50000.0, 1e-4, 2e-4};
  s.times = {365.0};
  s.grid = {0.0, 0.0, 100, 60, 60};
  for (int i = 0; i < 100; ++i) {
    scenario::Well w;
    w.name = "W";
    w.name += std::to_string(i);
    w.x = 300.0 + 550.0 * (i % 10) + 37.0 * (i % 3);
    w.y = 300.0 + 550.0 * (i / 10) + 23.0 * (i % 4);
    const double base = 40000.0 + 1500.0 * (i % 17);
    for (int m = 0; m < 12; ++m)
      w.steps.push_back({30.4 * m, base * (1.0 + 0.5 * std::sin(0.52 * m + 0.1 * (i % 5)))});
    s.wells.push_back(w);
  }
  for (int k = 0; k < 50; ++k) {
    scenario::Receptor r;
    r.name = "R";
    r.name += std::to_string(k);
    r.x = 575.0 + 1100.0 * (k % 5) + 90.0 * (k % 3);
    r.y = 575.0 + 550.0 * (k / 5);
    r.limit = 6.0 + 0.1 * (k % 7);
    s.receptors.push_back(r);
  }
  return s;
}

double seconds(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const scenario::Scenario s = plan();
  scenario::Evaluation how;
  how.well_function = scenario::WellFunction::exact;
  how.exact = engine::true_well_function;
  const int threads = engine::hardware_threads();
  how.engine.fast.threads = threads;
  allocation::Request request;
  request.wells.assign(s.wells.size(), allocation::WellChoice{});
  std::vector<double> limits;
  for (const scenario::Receptor& r : s.receptors) limits.push_back(*r.limit);
  std::vector<double> compliance, responses, shares, alone, best, total;
  allocation::Plan last;
  scenario::Compliance c;
  for (int run = 0; run < runs; ++run) {
    allocation::Responses r;
    compliance.push_back(seconds([&] { c = scenario::compliance_of(s, how); }));
    responses.push_back(seconds([&] { r = allocation::unit_responses(s, allocation::constraint_days(s), how.exact, threads); }));
    shares.push_back(seconds([&] { (void)allocation::receptor_shares(s, c, how.exact); }));
    alone.push_back(seconds([&] { (void)allocation::alone_factors(r, limits); }));
    best.push_back(seconds([&] { last = allocation::best_plan(s, request, r, how); }));
    total.push_back(responses.back() + shares.back() + alone.back() + best.back());
  }
  std::printf("allocation of 100 wells (monthly schedules, 1 year) and 50 receptors with limits, %d threads, median of %d\n",
              threads, runs);
  std::printf("  compliance %.3f s, responses %.3f s, shares %.3f s, alone %.3f s, plan %.3f s\n", median(compliance),
              median(responses), median(shares), median(alone), median(best));
  std::printf("  shares + single-well factors + allocation: %.3f s (with the compliance %.3f s; target 5 s)\n",
              median(total), median(total) + median(compliance));
  std::printf("  plan: status %d, %zu constraints, %zu programs, %zu binding, worst %.2e ft, check %s, rate factor %.3f\n",
              static_cast<int>(last.status), last.rows, last.rounds, last.binding.size(), last.check.worst,
              last.check.passed() ? "passed" : "FAILED", c.rate_factor);
  return 0;
}
