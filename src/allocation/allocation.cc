#include "allocation/allocation.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>
#include <span>
#include <thread>

#include "allocation/linear_program.h"
#include "scenario/compliance.h"

namespace allocation {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A row the program's answer exceeds by more than this (feet) joins it.
constexpr double kViolation = 1e-9;
// A peak of the check above its limit by more than this joins the program as a row.
constexpr double kRefine = 1e-8;
// Programs solved at most: rounds of rows added, then of peaks refined.
constexpr std::size_t kMostRounds = 200;
constexpr std::size_t kMostRefinements = 12;

std::string number(double v, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, v);
  return text;
}

std::string quoted(const std::string& name) { return "'" + name + "'"; }

// One constraint: receptor entry `entry` at `day`, each well's drawdown there.
struct Row {
  std::size_t entry = 0;
  double day = 0.0;
  std::vector<double> a;
};

// The program's columns (the wells it scales) and what the rows become.
class Builder {
 public:
  Builder(const scenario::Scenario& s, const Request& request, std::vector<double> limits)
      : s_(s), request_(request), limits_(std::move(limits)), tightened_(limits_.size(), 0.0) {
    const double last = scenario::last_day(s);
    for (std::size_t j = 0; j < s.wells.size(); ++j) {
      if (kept(s.wells[j], request.wells[j])) continue;
      columns_.push_back(j);
      const WellChoice& c = request.wells[j];
      program_.objective.push_back(volume(s.wells[j], last) * (request.objective == Objective::weighted ? c.weight : 1.0));
      program_.lower.push_back(c.min_factor);
      program_.upper.push_back(c.max_factor.value_or(kInfinity));
    }
  }

  const std::vector<std::size_t>& columns() const { return columns_; }
  double limit(std::size_t entry) const { return limits_[entry]; }
  const LinearProgram& program() const { return program_; }

  // Adds a constraint set's row: the scaled wells' drawdowns at most the
  // limit less the kept wells'. The limits of another aquifer join as rows
  // of their own, one more call each.
  void add(const Row& row) {
    LpRow lp;
    lp.b = limits_[row.entry] - tightened_[row.entry] - kept_drawdown(row.a);
    for (std::size_t j : columns_) lp.a.push_back(row.a[j]);
    program_.rows.push_back(std::move(lp));
    rows_.push_back({row.entry, row.day, {}});
  }
  const std::vector<Row>& rows() const { return rows_; }  // entry and day of each, without `a`

  // Keeps the rows of receptor entry e `by` feet further below its limit:
  // where the largest drawdown between samples lies within the search's
  // tolerance of a day that already has its row, no new row cuts it.
  void tighten(std::size_t e, double by) {
    tightened_[e] += by;
    for (std::size_t i = 0; i < rows_.size(); ++i)
      if (rows_[i].entry == e) program_.rows[i].b -= by;
  }

  double kept_drawdown(std::span<const double> a) const {
    double sum = 0.0;
    for (std::size_t j = 0, c = 0; j < a.size(); ++j) {
      if (c < columns_.size() && columns_[c] == j) {
        ++c;
        continue;
      }
      sum += a[j];
    }
    return sum;
  }

  // Every well's factor from the columns' values.
  std::vector<double> factors(const std::vector<double>& x) const {
    std::vector<double> f(s_.wells.size(), 1.0);
    for (std::size_t c = 0; c < columns_.size(); ++c) f[columns_[c]] = x[c];
    return f;
  }

  const scenario::Scenario& scenario() const { return s_; }
  const Request& request() const { return request_; }

 private:
  const scenario::Scenario& s_;
  const Request& request_;
  std::vector<double> limits_;
  std::vector<double> tightened_;  // per entry, feet
  std::vector<std::size_t> columns_;
  LinearProgram program_;
  std::vector<Row> rows_;
};

Row row_of(const Responses& r, std::size_t k, std::size_t d) {
  const std::span<const double> a = r.at(k, d);
  return Row{k, r.days[d], std::vector<double>(a.begin(), a.end())};
}

double dot(std::span<const double> a, const std::vector<double>& f) {
  double sum = 0.0;
  for (std::size_t j = 0; j < a.size(); ++j) sum += a[j] * f[j];
  return sum;
}

}  // namespace

namespace {

// The least drawdown the program's bounds allow in row `a`: each scaled
// well at whichever of its bounds adds less (minus infinity where an
// unbounded well lowers it), the kept wells as planned.
double least_drawdown(const Builder& b, std::span<const double> a) {
  double sum = b.kept_drawdown(a);
  const LinearProgram& p = b.program();
  for (std::size_t c = 0; c < b.columns().size(); ++c) {
    const double v = a[b.columns()[c]];
    sum += v >= 0.0 ? v * p.lower[c] : (std::isinf(p.upper[c]) ? -kInfinity : v * p.upper[c]);
  }
  return sum;
}

// The wells that make the least drawdown of row `a`, largest first, as
// "'PW-1' 0.89 ft, 'PW-2' 0.34 ft" (at most three).
std::string makers(const Builder& b, std::span<const double> a) {
  const scenario::Scenario& s = b.scenario();
  std::vector<std::pair<double, std::size_t>> parts;
  for (std::size_t j = 0; j < a.size(); ++j) {
    const bool scaled = std::find(b.columns().begin(), b.columns().end(), j) != b.columns().end();
    const double d = a[j] * (scaled ? b.request().wells[j].min_factor : 1.0);
    if (d > 0.0) parts.push_back({d, j});
  }
  std::sort(parts.begin(), parts.end(), [](const auto& x, const auto& y) { return x.first > y.first; });
  std::string text;
  for (std::size_t k = 0; k < parts.size() && k < 3; ++k) {
    const std::size_t j = parts[k].second;
    const bool scaled = std::find(b.columns().begin(), b.columns().end(), j) != b.columns().end();
    text.append(k == 0 ? "" : ", ").append(quoted(s.wells[j].name)).append(" ").append(number(parts[k].first, 3))
        .append(" ").append(s.units.length.name)
        .append(scaled ? " at min_factor " + number(b.request().wells[j].min_factor, 3) : " as planned");
  }
  if (parts.size() > 3) text += " and " + std::to_string(parts.size() - 3) + " more";
  return text;
}

// The line that says which limit the wells' minimums break, or "".
std::string first_infeasible(const Builder& b, const Responses& r) {
  double worst = 0.0;
  std::optional<Row> found;
  for (std::size_t k = 0; k < r.receptors.size(); ++k)
    for (std::size_t d = 0; d < r.days.size(); ++d) {
      const double over = least_drawdown(b, r.at(k, d)) - b.limit(k);
      if (over > kViolation && over > worst) worst = over, found = row_of(r, k, d);
    }
  if (!found) return "";
  const scenario::Scenario& s = b.scenario();
  const std::string unit(s.units.length.name);
  return "no allocation keeps the limit of receptor " + quoted(s.receptors[r.receptors[found->entry]].name) + " (" +
         number(b.limit(found->entry), 3) + " " + unit + "): at day " + number(found->day, 1) +
         " the wells at their least already draw it down " + number(b.limit(found->entry) + worst, 3) + " " + unit + " (" +
         makers(b, found->a) + "); lower min_factor or unfix those wells";
}

// The line that names a well no limit restrains, or "".
std::string first_unbounded(const Builder& b, const Responses& r) {
  const LinearProgram& p = b.program();
  for (std::size_t c = 0; c < b.columns().size(); ++c) {
    if (!std::isinf(p.upper[c]) || !(p.objective[c] > 0.0)) continue;
    bool restrained = false;
    const std::size_t j = b.columns()[c];
    for (std::size_t k = 0; k < r.receptors.size() && !restrained; ++k)
      for (std::size_t d = 0; d < r.days.size() && !restrained; ++d) restrained = r.at(k, d)[j] > 0.0;
    if (!restrained)
      return "well " + quoted(b.scenario().wells[j].name) +
             " draws down no receptor with a limit, so no limit restrains it: give it a max_factor, or fixed = true";
  }
  return "";
}

// The first rows: at each receptor the day of its largest planned drawdown,
// and for each scaled well the row where it draws down most (so that every
// well that adds drawdown anywhere is bounded from the start).
std::vector<std::pair<std::size_t, std::size_t>> starting_rows(const Builder& b, const Responses& r) {
  std::vector<std::pair<std::size_t, std::size_t>> rows;
  for (std::size_t k = 0; k < r.receptors.size(); ++k) {
    std::size_t best = 0;
    double most = -kInfinity;
    for (std::size_t d = 0; d < r.days.size(); ++d) {
      const std::span<const double> a = r.at(k, d);
      const double planned = std::accumulate(a.begin(), a.end(), 0.0);
      if (planned > most) most = planned, best = d;
    }
    if (!r.days.empty()) rows.push_back({k, best});
  }
  for (std::size_t j : b.columns()) {
    std::pair<std::size_t, std::size_t> best{0, 0};
    double most = 0.0;
    for (std::size_t k = 0; k < r.receptors.size(); ++k)
      for (std::size_t d = 0; d < r.days.size(); ++d)
        if (r.at(k, d)[j] / b.limit(k) > most) most = r.at(k, d)[j] / b.limit(k), best = {k, d};
    if (most > 0.0) rows.push_back(best);
  }
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

// The rows of `r` the factors `f` exceed, the most exceeded of each
// receptor; none when every row holds.
std::vector<std::pair<std::size_t, std::size_t>> exceeded_rows(const Builder& b, const Responses& r,
                                                               const std::vector<double>& f) {
  std::vector<std::pair<std::size_t, std::size_t>> rows;
  for (std::size_t k = 0; k < r.receptors.size(); ++k) {
    double worst = kViolation;
    std::optional<std::size_t> at;
    for (std::size_t d = 0; d < r.days.size(); ++d) {
      const double over = dot(r.at(k, d), f) - b.limit(k);
      if (over > worst) worst = over, at = d;
    }
    if (at) rows.push_back({k, *at});
  }
  return rows;
}

}  // namespace

bool injects(const scenario::Well& w) {
  bool below = false;
  for (const scenario::Step& step : w.steps) {
    if (step.rate > 0.0) return false;
    below = below || step.rate < 0.0;
  }
  return below;
}

bool kept(const scenario::Well& w, const WellChoice& c) { return c.fixed || (injects(w) && !c.max_factor); }

double volume(const scenario::Well& w, double last) {
  double sum = 0.0;
  for (std::size_t k = 0; k < w.steps.size(); ++k) {
    const double end = std::min(k + 1 < w.steps.size() ? w.steps[k + 1].day : last, last);
    if (end > w.steps[k].day) sum += w.steps[k].rate * (end - w.steps[k].day);
  }
  return sum;
}

scenario::Scenario scaled(const scenario::Scenario& s, const std::vector<double>& factors) {
  scenario::Scenario out = s;
  for (std::size_t j = 0; j < out.wells.size(); ++j)
    for (scenario::Step& step : out.wells[j].steps) step.rate *= factors[j];
  return out;
}

namespace {

// Receptor entry e of `r` searched under `plan` (the scenario scaled by
// `factors`): at the responses' days from them, elsewhere by the true well
// function; the bounds of each term's slope as the compliance takes them.
scenario::LimitSearch search_receptor(const scenario::Scenario& plan, const std::vector<double>& factors,
                                      const Responses& r, std::size_t e, const scenario::Evaluation& exact,
                                      const std::vector<double>& changes) {
  const scenario::Receptor& p = plan.receptors[r.receptors[e]];
  const scenario::SampleAt at = [&](double t) {
    const auto it = std::lower_bound(r.days.begin(), r.days.end(), t);
    if (it == r.days.end() || *it != t) return scenario::point_sample(plan, exact, p.x, p.y, t);
    const auto d = static_cast<std::size_t>(it - r.days.begin());
    scenario::LimitSample sample;
    sample.day = t;
    sample.rising = dot(r.rising_at(e, d), factors);
    sample.falling = dot(r.falling_at(e, d), factors);
    sample.value = sample.rising - sample.falling;
    return sample;
  };
  // The largest sample: where the parts' own bounds keep an interval below
  // it and below the limit, the search asks no more of it, and the slopes'
  // bounds (a pass over every term) are not needed.
  double sampled = -kInfinity;
  for (std::size_t d = 0; d < r.days.size(); ++d) sampled = std::max(sampled, dot(r.at(e, d), factors));
  const double below = std::min(sampled, *p.limit);
  const scenario::BoundsOn bounds = [&](const scenario::LimitSample& a, const scenario::LimitSample& b) {
    const scenario::LimitBounds parts{b.rising - a.falling, a.rising - b.falling};
    const double blur = 1e-9 * (a.rising + a.falling + b.rising + b.falling);
    if (parts.upper + blur <= below) return scenario::LimitBounds{parts.upper + blur, parts.lower - blur};
    return scenario::point_bounds(plan, p.x, p.y, a, b);
  };
  return scenario::search_limit(at, r.days, *p.limit, 1e-12, changes, bounds);
}

}  // namespace

Check check_plan(const scenario::Scenario& s, const std::vector<double>& factors, const Responses& r,
                 const scenario::Evaluation& how, int threads, const std::vector<std::size_t>& only) {
  const scenario::Scenario plan = scaled(s, factors);
  scenario::Evaluation exact = how;
  exact.well_function = scenario::WellFunction::exact;
  const std::vector<double> changes = scenario::change_days(plan, scenario::last_day(plan));
  Check c;
  c.receptors = r.receptors;
  c.largest.assign(c.receptors.size(), 0.0);
  c.largest_day.assign(c.receptors.size(), 0.0);
  // Receptors shared out among the threads, each searched on its own; those
  // left out keep their largest sample.
  std::vector<std::size_t> entries = only;
  if (only.empty())
    for (std::size_t e = 0; e < c.receptors.size(); ++e) entries.push_back(e);
  for (std::size_t e = 0; e < c.receptors.size(); ++e)
    for (std::size_t d = 0; d < r.days.size(); ++d)
      if (const double v = dot(r.at(e, d), factors); d == 0 || v > c.largest[e]) c.largest[e] = v, c.largest_day[e] = r.days[d];
  const auto search = [&](std::size_t k) {
    const std::size_t e = entries[k];
    const scenario::LimitSearch found = search_receptor(plan, factors, r, e, exact, changes);
    c.largest[e] = found.largest;
    c.largest_day[e] = found.largest_day;
  };
  const std::size_t n = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1,
                                                std::max<std::size_t>(entries.size(), 1));
  std::vector<std::thread> workers;
  for (std::size_t w = 1; w < n; ++w)
    workers.emplace_back([&, w] {
      for (std::size_t k = w; k < entries.size(); k += n) search(k);
    });
  for (std::size_t k = 0; k < entries.size(); k += n) search(k);
  for (std::thread& t : workers) t.join();
  c.worst = -kInfinity;
  for (std::size_t e = 0; e < c.receptors.size(); ++e) {
    const double over = c.largest[e] - *s.receptors[c.receptors[e]].limit;
    if (over > c.worst) c.worst = over, c.worst_entry = e;
    c.binds = c.binds || over >= -Check::kHolds;
  }
  return c;
}

namespace {

// The program's rows of the sample days, solved until its answer exceeds none
// of them; false (and the plan's status and why) when it has no answer.
bool solve_on_days(Builder& b, const Responses& r, Plan& plan, std::vector<double>& f, LpSolution& sol) {
  for (;;) {
    if (++plan.rounds > kMostRounds) {
      plan.why = "the allocation did not settle after " + std::to_string(kMostRounds) + " linear programs";
      return false;
    }
    sol = solve(b.program());
    if (sol.status != LpStatus::optimal) {
      plan.status = sol.status == LpStatus::infeasible ? PlanStatus::infeasible
                    : sol.status == LpStatus::unbounded ? PlanStatus::unbounded : PlanStatus::failed;
      plan.why = sol.status == LpStatus::infeasible
                     ? "no allocation keeps every limit with the wells' min_factor and the fixed wells together: lower min_factor or unfix wells"
                 : sol.status == LpStatus::unbounded ? "the allocation is unbounded: give the wells max_factor"
                                                     : "the linear-programming solver gave no answer";
      return false;
    }
    f = b.factors(sol.x);
    const auto more = exceeded_rows(b, r, f);
    if (more.empty()) return true;
    for (const auto& [k, d] : more) b.add(row_of(r, k, d));
  }
}

// The receptors whose limit binds, each with the dual values of its rows summed.
std::vector<Binding> binding_limits(const Builder& b, const LpSolution& sol, const Check& c) {
  std::vector<double> duals(c.receptors.size(), 0.0);
  for (std::size_t i = 0; i < b.rows().size() && i < sol.duals.size(); ++i) duals[b.rows()[i].entry] += sol.duals[i];
  std::vector<Binding> out;
  for (std::size_t e = 0; e < c.receptors.size(); ++e)
    if (c.largest[e] - b.limit(e) >= -Check::kHolds || duals[e] > 0.0)
      out.push_back(Binding{c.receptors[e], c.largest_day[e], std::max(duals[e], 0.0)});
  return out;
}

// The receptor entries whose largest sample under factors f comes within
// kNear of their limit (of its size): where a peak between samples may pass it.
constexpr double kNear = 1e-3;
std::vector<std::size_t> near_limits(const Builder& b, const Responses& r, const std::vector<double>& f) {
  std::vector<std::size_t> near;
  for (std::size_t k = 0; k < r.receptors.size(); ++k)
    for (std::size_t d = 0; d < r.days.size(); ++d)
      if (dot(r.at(k, d), f) >= b.limit(k) * (1.0 - kNear)) {
        near.push_back(k);
        break;
      }
  return near;
}

// Adds a row at each peak of `c` above its limit by more than kRefine where
// the program has none that day, else keeps that receptor's rows further
// below its limit by the excess; whether it changed the program.
bool add_peaks(Builder& b, const Responses& r, const Check& c, const scenario::Evaluation& how) {
  const scenario::Scenario& s = b.scenario();
  bool added = false;
  for (std::size_t e = 0; e < c.receptors.size(); ++e) {
    const double over = c.largest[e] - b.limit(e);
    if (!(over > kRefine)) continue;
    const double day = c.largest_day[e];
    added = true;
    if (std::any_of(b.rows().begin(), b.rows().end(), [&](const Row& row) { return row.entry == e && row.day == day; }) ||
        std::binary_search(r.days.begin(), r.days.end(), day)) {
      b.tighten(e, over + kRefine);
      continue;
    }
    const scenario::Receptor& p = s.receptors[c.receptors[e]];
    b.add(Row{e, day, well_drawdowns(s, p.x, p.y, day, how.exact)});
  }
  return added;
}

}  // namespace

Plan best_plan(const scenario::Scenario& s, const Request& request, const Responses& r, const scenario::Evaluation& how) {
  Plan plan;
  std::vector<double> limits;
  for (std::size_t i : r.receptors) limits.push_back(*s.receptors[i].limit);
  Builder b(s, request, limits);
  const double last = scenario::last_day(s);
  for (const scenario::Well& w : s.wells) plan.planned_total += volume(w, last);
  if (plan.why = first_unbounded(b, r); !plan.why.empty()) return plan.status = PlanStatus::unbounded, plan;
  if (plan.why = first_infeasible(b, r); !plan.why.empty()) return plan.status = PlanStatus::infeasible, plan;
  for (const auto& [k, d] : starting_rows(b, r)) b.add(row_of(r, k, d));
  const int threads = how.engine.method == engine::Method::reference ? 1 : std::max(how.engine.fast.threads, 1);
  std::vector<double> f;
  LpSolution sol;
  // Rounds: the program solved on the sample days; the receptors near their
  // limit searched between them, a row added at each peak above it; once
  // none is, every receptor searched, and again while a peak is above.
  for (std::size_t refinement = 0;; ++refinement) {
    if (!solve_on_days(b, r, plan, f, sol)) return plan;
    const std::vector<std::size_t> near = near_limits(b, r, f);
    if (refinement < kMostRefinements && !near.empty() && add_peaks(b, r, check_plan(s, f, r, how, threads, near), how))
      continue;
    plan.check = check_plan(s, f, r, how, threads);
    if (refinement >= kMostRefinements || !add_peaks(b, r, plan.check, how)) break;
  }
  plan.status = PlanStatus::solved;
  plan.factors = f;
  for (std::size_t j = 0; j < s.wells.size(); ++j) plan.allowed_total += f[j] * volume(s.wells[j], last);
  plan.check.all_at_max = true;
  for (std::size_t c = 0; c < b.columns().size(); ++c) {
    const double most = b.program().upper[c];
    plan.check.all_at_max = plan.check.all_at_max && !std::isinf(most) && sol.x[c] >= most - 1e-9 * std::max(1.0, most);
  }
  plan.binding = binding_limits(b, sol, plan.check);
  plan.rows = b.program().rows.size();
  return plan;
}

}  // namespace allocation
