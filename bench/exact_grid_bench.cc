// The exact grid against the rule's fast evaluation, side by side, on the
// full-size inputs of bench/full_size_runs.py: a 300 x 300 grid at 100 ft,
// T 50000, LEAK 0.001, S 0.0002, 30 days, with
//   (b) 999 wells and (c) 50 wells at random fractional node positions
// (this program's own generator, fixed seed). Each evaluation runs `runs`
// times (default 5), the two interleaved, on every hardware thread; printed
// are the medians in nanoseconds per node-term (wall time / (nodes * wells))
// and their ratio, exact / fast.
//
// Usage: exact_grid_bench [runs]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "engine/evaluate.h"
#include "engine/true_grid.h"

namespace {

constexpr int kNodes = 300;
constexpr int kSpacing = 100;

struct Input {
  const char* name;
  std::vector<engine::Well> wells;
};

Input RandomWells(const char* name, int count, std::uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> position(1.0, kNodes), rate(1e4, 1e6), sign(0.0, 1.0);
  Input in{name, {}};
  for (int i = 0; i < count; ++i) {
    const double x = std::round(position(rng) * 1e4) / 1e4, y = std::round(position(rng) * 1e4) / 1e4;
    const double q = std::round(rate(rng));
    in.wells.push_back(engine::Well{static_cast<float>(x), static_cast<float>(y),
                                    static_cast<float>(sign(rng) < 0.2 ? -q : q)});
  }
  return in;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double Seconds(F evaluate) {
  const auto start = std::chrono::steady_clock::now();
  evaluate();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const int threads = engine::hardware_threads();
  const engine::Aquifer aquifer{50000.0f, 0.0002f, 30.0f, 0.001f, kSpacing};
  const engine::TrueAquifer true_aquifer{50000.0, 0.0002, 0.001};
  std::vector<double> xs, ys;
  for (int c = 1; c <= kNodes; ++c) xs.push_back(static_cast<double>(c) * kSpacing);
  ys = xs;
  std::printf("exact grid against the rule's fast evaluation, %d x %d nodes, %d threads, median of %d runs\n",
              kNodes, kNodes, threads, runs);
  std::printf("%-16s %14s %14s %8s\n", "input", "fast ns/term", "exact ns/term", "ratio");
  for (const Input& in : {RandomWells("(b) 999 wells", 999, 2), RandomWells("(c) 50 wells", 50, 3)}) {
    std::vector<engine::TrueTerm> terms;
    for (const engine::Well& w : in.wells)
      terms.push_back(engine::TrueTerm{static_cast<double>(w.x) * kSpacing, static_cast<double>(w.y) * kSpacing,
                                       static_cast<double>(w.q), 30.0});
    const double node_terms = static_cast<double>(kNodes) * kNodes * static_cast<double>(in.wells.size());
    std::vector<double> fast, exact;
    for (int run = 0; run < runs; ++run) {
      engine::DrawdownGrid DD(kNodes, kNodes), EE(kNodes, kNodes);
      fast.push_back(Seconds([&] {
        engine::evaluate_fast(DD, kNodes, kNodes, aquifer, in.wells, engine::FastOptions{threads, engine::Reuse::automatic});
      }) * 1e9 / node_terms);
      exact.push_back(Seconds([&] {
        engine::evaluate_true(EE, xs, ys, true_aquifer, terms, engine::TrueOptions{threads, nullptr, nullptr});
      }) * 1e9 / node_terms);
    }
    std::printf("%-16s %14.1f %14.1f %8.2f\n", in.name, Median(fast), Median(exact), Median(exact) / Median(fast));
  }
  return 0;
}
