#include "scenario/evaluation.h"

#include <unistd.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <system_error>
#include <thread>

#include "engine/true_grid.h"
#include "model/drawdown.h"
#include "model/point_distance.h"
#include "base/shortest_text.h"

namespace scenario {
namespace {

// The exact mode's aquifer and terms as the engine takes them.
engine::TrueAquifer true_aquifer(const Scenario& s) {
  return engine::TrueAquifer{s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance};
}

std::vector<engine::TrueTerm> true_terms(std::span<const Term> terms) {
  std::vector<engine::TrueTerm> out;
  out.reserve(terms.size());
  for (const Term& t : terms) out.push_back(engine::TrueTerm{t.map_x, t.map_y, t.dq, t.elapsed_days});
  return out;
}

// The exact drawdown of every node (the engine's exact grid), rows shared out
// among threads.
void add_terms_exact(engine::DrawdownGrid& DD, const Scenario& s, std::span<const Term> terms, ExactWellFunction W,
                     int threads, std::atomic<std::uint64_t>* done) {
  const Grid& g = s.grid;
  std::vector<double> xs, ys;
  for (std::int32_t c = 1; c <= g.columns; ++c) xs.push_back(g.xll + (c - 0.5) * g.spacing);
  for (std::int32_t r = 1; r <= g.rows; ++r) ys.push_back(g.yll + (r - 0.5) * g.spacing);
  engine::evaluate_true(DD, xs, ys, true_aquifer(s), true_terms(terms), engine::TrueOptions{threads, done, W});
}

// Appends the terms of a well at map (x, y) with schedule `steps`, its rates
// times `sign` (an image's), the steps with t_k < t in order.
void add_well_terms(std::vector<Term>& terms, const Scenario& s, double t, double x, double y,
                    const std::vector<Step>& steps, double sign) {
  const float px = node_position(x, s.grid.xll, s.grid.spacing);
  const float py = node_position(y, s.grid.yll, s.grid.spacing);
  double before = 0.0;
  for (const Step& step : steps) {
    if (!(step.day < t)) break;
    Term term;
    term.x = px;
    term.y = py;
    term.dq = sign * (step.rate - before);
    term.q = static_cast<float>(term.dq);
    term.elapsed = static_cast<float>(t - step.day);
    term.map_x = x;
    term.map_y = y;
    term.elapsed_days = t - step.day;
    terms.push_back(term);
    before = step.rate;
  }
}

}  // namespace

ImagePlan image_plan_at(const Scenario& s, double t) {
  if (s.boundaries.empty() || s.wells.empty()) return {};
  const double reach = negligible_distance(s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance, t);
  return image_plan(s.boundaries, s.wells.front().x, s.wells.front().y, reach);
}

std::vector<Term> terms_at(const Scenario& s, double t) { return terms_at(s, t, image_plan_at(s, t)); }

std::vector<Term> terms_at(const Scenario& s, double t, const ImagePlan& plan) {
  std::vector<Term> terms;
  for (const Well& w : s.wells) add_well_terms(terms, s, t, w.x, w.y, w.steps, 1.0);
  if (plan.lines.empty()) return terms;
  for (const Well& w : s.wells)
    for (const Image& image : images_of(w.x, w.y, plan)) add_well_terms(terms, s, t, image.x, image.y, w.steps, image.sign);
  return terms;
}

std::size_t real_terms(std::span<const Term> terms, const Scenario& s, double t) {
  std::size_t n = 0;
  for (const Well& w : s.wells)
    for (const Step& step : w.steps) n += step.day < t ? 1 : 0;
  return std::min(n, terms.size());
}

std::vector<Pass> passes_of(std::span<const Term> terms) {
  std::vector<Pass> passes;
  for (std::size_t i = 0; i < terms.size(); ++i) {
    if (passes.empty() ||
        std::bit_cast<std::uint32_t>(terms[i].elapsed) != std::bit_cast<std::uint32_t>(terms[i - 1].elapsed))
      passes.push_back(Pass{i, i});
    passes.back().end = i + 1;
  }
  return passes;
}

engine::Aquifer pass_aquifer(const Scenario& s, float elapsed) {
  return engine::Aquifer{static_cast<float>(s.aquifer.transmissivity), static_cast<float>(s.aquifer.storage),
                         elapsed, static_cast<float>(s.aquifer.leakance), s.grid.spacing};
}

void add_terms(engine::DrawdownGrid& DD, const Scenario& s, std::span<const Term> terms, const Evaluation& how,
               std::atomic<std::uint64_t>* done) {
  if (how.well_function == WellFunction::exact) {
    const int threads = how.engine.method == engine::Method::reference ? 1 : how.engine.fast.threads;
    add_terms_exact(DD, s, terms, how.exact, threads, done);
    return;
  }
  // By the rule: the passes one after the other into the grid, the engine's
  // workers started once for all of them.
  std::vector<engine::Well> wells;
  wells.reserve(terms.size());
  for (const Term& term : terms) wells.push_back(engine::Well{term.x, term.y, term.q});
  std::vector<engine::TimedWells> passes;
  for (const Pass& pass : passes_of(terms))
    passes.push_back({terms[pass.begin].elapsed, std::span<const engine::Well>(wells.data() + pass.begin, pass.end - pass.begin)});
  engine::evaluate_passes(DD, s.grid.columns, s.grid.rows, pass_aquifer(s, 0.0f), passes, how.engine, done);
}

void evaluate_grid(engine::DrawdownGrid& DD, const Scenario& s, double t, const Evaluation& how,
                   std::atomic<std::uint64_t>* done) {
  engine::zero_grid(DD, s.grid.columns, s.grid.rows);
  add_terms(DD, s, terms_at(s, t), how, done);
  blank_beyond(DD, s);
}

void blank_beyond(engine::DrawdownGrid& DD, const Scenario& s) {
  if (s.boundaries.empty() || s.wells.empty()) return;
  const std::vector<Line> lines = aquifer_lines(s.boundaries, s.wells.front().x, s.wells.front().y);
  const Grid& g = s.grid;
  for (std::int32_t r = 1; r <= g.rows; ++r)
    for (std::int32_t c = 1; c <= g.columns; ++c)
      if (inside(lines, g.xll + (c - 0.5) * g.spacing, g.yll + (r - 0.5) * g.spacing) < 0.0)
        DD(c, r) = std::numeric_limits<float>::quiet_NaN();
}

float point_drawdown_rule(const Scenario& s, float px, float py, std::span<const Term> terms) {
  const float T = static_cast<float>(s.aquifer.transmissivity);
  const float S = static_cast<float>(s.aquifer.storage);
  const float LEAK = static_cast<float>(s.aquifer.leakance);
  float value = 0.0f;
  for (const Term& term : terms) {
    const float R = model::point_distance(s.grid.spacing, px, py, term.x, term.y);
    model::DRAWDN(T, S, term.elapsed, LEAK, term.q, R, value);
  }
  return value;
}

float point_drawdown_exact(const Scenario& s, double x, double y, std::span<const Term> terms, ExactWellFunction W) {
  return static_cast<float>(engine::true_point_drawdown(x, y, true_aquifer(s), true_terms(terms), W));
}

std::vector<std::vector<float>> receptor_series(const Scenario& s, std::span<const double> times, const Evaluation& how) {
  std::vector<std::vector<float>> values(s.receptors.size(), std::vector<float>(times.size()));
  for (std::size_t k = 0; k < times.size(); ++k) {
    const std::vector<Term> terms = terms_at(s, times[k]);
    for (std::size_t i = 0; i < s.receptors.size(); ++i) {
      const Receptor& r = s.receptors[i];
      values[i][k] = how.well_function == WellFunction::exact
                         ? point_drawdown_exact(s, r.x, r.y, terms, how.exact)
                         : point_drawdown_rule(s, node_position(r.x, s.grid.xll, s.grid.spacing),
                                               node_position(r.y, s.grid.yll, s.grid.spacing), terms);
    }
  }
  return values;
}

double term_count(const Scenario& s, double t) {
  const double per_well = 1.0 + static_cast<double>(image_count(image_plan_at(s, t)));
  double steps = 0.0;
  for (const Well& w : s.wells)
    for (const Step& step : w.steps) steps += step.day < t ? 1.0 : 0.0;
  return steps * per_well;
}

double most_terms(const Scenario& s) {
  double most = 0.0;
  for (double t : s.times) most = std::max(most, term_count(s, t));
  return most;
}

double memory_for_terms(const Scenario& s, int threads, std::size_t grids_kept, double terms) {
  const double nx = s.grid.columns;
  const double ny = s.grid.rows;
  const double grids = static_cast<double>(std::max<std::size_t>(grids_kept, 1));
  const double grid = grids * nx * ny * sizeof(float);
  // Per term: the term, the engine's well, its squared offsets per column and
  // row (4 bytes each) and their lattice indices (2 bytes each); a strip's
  // image while its well's images are made.
  const double per_term = sizeof(Term) + sizeof(engine::Well) + sizeof(Image) + (nx + ny) * (4.0 + 2.0);
  // The engine's tables of well function values: at most 16 MiB (lattice)
  // or 80 MiB (distances); per thread a stream of up to 128 wells' values for
  // a row and the misses' buffers; one row of the grid file's text.
  const double tables = 96.0 * 1024 * 1024;
  const double per_thread = 128.0 * nx * sizeof(float) + 5.0 * 1024 * sizeof(float) + 4.0 * nx * sizeof(float);
  const double row_text = nx * 16.0;
  return grid + terms * per_term + tables + std::max(threads, 1) * per_thread + row_text;
}

double memory_needed(const Scenario& s, int threads, std::size_t grids_kept) {
  return memory_for_terms(s, threads, grids_kept, most_terms(s));
}

namespace {

std::string gib(double bytes) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f GiB", bytes / (1024.0 * 1024.0 * 1024.0));
  return text;
}

std::string whole(double n) {
  char text[64];
  std::snprintf(text, sizeof text, "%.0f", n);
  return text;
}

// Why a strip's images do not fit in `machine_bytes` although one pair on
// each side would: the strip, the pairs it needs at the time of the most
// terms, the pairs that fit, and what needs fewer. Nothing otherwise.
std::optional<std::string> strip_does_not_fit(const Scenario& s, int threads, std::size_t grids_kept,
                                              double machine_bytes) {
  double t = 0.0, most = -1.0;
  for (double time : s.times)
    if (const double n = term_count(s, time); n > most) most = n, t = time;
  const ImagePlan plan = image_plan_at(s, t);
  if (!plan.strip || s.boundaries.size() != 2) return std::nullopt;
  const auto bytes = [&](double terms) { return memory_for_terms(s, threads, grids_kept, terms); };
  const double per_pair_terms = 4.0 * most / (1.0 + static_cast<double>(image_count(plan)));
  const double fixed = bytes(most - per_pair_terms * static_cast<double>(plan.pairs));
  const double per_pair = bytes(per_pair_terms) - bytes(0.0);
  const double fitting = std::floor((machine_bytes - fixed) / per_pair);
  if (!(fitting >= 1.0)) return std::nullopt;
  return "the strip between the boundaries '" + s.boundaries[0].name + "' and '" + s.boundaries[1].name + "', " +
         base::shortest_text(plan.width) + " ft wide, needs " + whole(static_cast<double>(plan.pairs)) +
         " image pairs on each side at day " + base::shortest_text(t) + ", more than the " + whole(fitting) +
         " that this machine's " + gib(machine_bytes) +
         " of memory holds; a shorter time, leakage (a larger leakance) or a wider strip needs fewer";
}

}  // namespace

std::optional<std::string> does_not_fit(const Scenario& s, int threads, std::size_t grids_kept, double machine_bytes) {
  const double needed = memory_needed(s, threads, grids_kept);
  if (machine_bytes <= 0.0 || needed <= machine_bytes) return std::nullopt;
  if (std::optional<std::string> strip = strip_does_not_fit(s, threads, grids_kept, machine_bytes)) return strip;
  const double terms = most_terms(s);
  const std::size_t grids = std::max<std::size_t>(grids_kept, 1);
  const std::string grid_count = grids == 1 ? "a grid" : std::to_string(grids) + " grids (one per time)";
  return "the study needs " + gib(needed) + " of memory (" + grid_count + " of " + std::to_string(s.grid.columns) +
         " x " + std::to_string(s.grid.rows) + " nodes, " + whole(terms) + (terms == 1.0 ? " well term" : " well terms") +
         "), more than the " + gib(machine_bytes) + " this machine has";
}

double machine_memory() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long page = sysconf(_SC_PAGE_SIZE);
  return pages > 0 && page > 0 ? static_cast<double>(pages) * static_cast<double>(page) : 0.0;
}

}  // namespace scenario
