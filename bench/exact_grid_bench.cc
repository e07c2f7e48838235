// The exact grid against the rule's fast evaluation, side by side, on the
// full-size inputs of bench/full_size_runs.py: a 300 x 300 grid at 100 ft,
// T 50000, LEAK 0.001, S 0.0002, 30 days, with
//   (b) 999 wells and (c) 50 wells at random fractional node positions
// (this program's own generator, fixed seed). Each evaluation runs `runs`
// times (default 5), interleaved, on every hardware thread: the rule's fast
// evaluation, the exact grid with the kernel term by term, and the exact grid
// with its radial tables (engine/true_radial.h). Printed are the medians in
// nanoseconds per node-term (wall time / (nodes * wells)), the ratios
// kernel / fast and radial / kernel, and how many cells of the radial grid
// differ from the kernel's in single precision (and by more than one ulp);
// then the radial grid's processor time per node-term, all threads together
// (what a shared machine's other work does not inflate as much).
//
// Usage: exact_grid_bench [runs]

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
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

// The processor time of the whole process so far, in seconds (all threads).
double ProcessorSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Cells of two grids that differ, and by more than one single ulp.
struct Differences {
  long cells = 0, beyond_one_ulp = 0;
};

Differences Compare(const engine::DrawdownGrid& a, const engine::DrawdownGrid& b) {
  Differences d;
  for (int r = 1; r <= kNodes; ++r)
    for (int c = 1; c <= kNodes; ++c) {
      const auto x = static_cast<long>(std::bit_cast<std::int32_t>(a(c, r)));
      const auto y = static_cast<long>(std::bit_cast<std::int32_t>(b(c, r)));
      d.cells += x != y;
      d.beyond_one_ulp += std::labs(x - y) > 1;
    }
  return d;
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
  std::printf("%-16s %12s %14s %14s %8s %8s  %s\n", "input", "fast ns/term", "kernel ns/term", "radial ns/term",
              "k/fast", "r/k", "cells radial != kernel in single (> 1 ulp)");
  for (const Input& in : {RandomWells("(b) 999 wells", 999, 2), RandomWells("(c) 50 wells", 50, 3)}) {
    std::vector<engine::TrueTerm> terms;
    for (const engine::Well& w : in.wells)
      terms.push_back(engine::TrueTerm{static_cast<double>(w.x) * kSpacing, static_cast<double>(w.y) * kSpacing,
                                       static_cast<double>(w.q), 30.0});
    const double node_terms = static_cast<double>(kNodes) * kNodes * static_cast<double>(in.wells.size());
    std::vector<double> fast, kernel, radial, radial_processor;
    Differences differences;
    for (int run = 0; run < runs; ++run) {
      engine::DrawdownGrid DD(kNodes, kNodes), KK(kNodes, kNodes), RR(kNodes, kNodes);
      fast.push_back(Seconds([&] {
        engine::evaluate_fast(DD, kNodes, kNodes, aquifer, in.wells, engine::FastOptions{threads, engine::Reuse::automatic});
      }) * 1e9 / node_terms);
      kernel.push_back(Seconds([&] {
        engine::evaluate_true(KK, xs, ys, true_aquifer, terms,
                              engine::TrueOptions{threads, nullptr, nullptr, engine::TrueRadial::never});
      }) * 1e9 / node_terms);
      const double processor = ProcessorSeconds();
      radial.push_back(Seconds([&] {
        engine::evaluate_true(RR, xs, ys, true_aquifer, terms,
                              engine::TrueOptions{threads, nullptr, nullptr, engine::TrueRadial::automatic});
      }) * 1e9 / node_terms);
      radial_processor.push_back((ProcessorSeconds() - processor) * 1e9 / node_terms);
      differences = Compare(KK, RR);
    }
    std::printf("%-16s %12.1f %14.1f %14.2f %8.2f %8.3f  %ld of %d (%ld)\n", in.name, Median(fast), Median(kernel),
                Median(radial), Median(kernel) / Median(fast), Median(radial) / Median(kernel), differences.cells,
                kNodes * kNodes, differences.beyond_one_ulp);
    std::printf("%-16s radial: %.2f ns of processor time per node-term (all threads)\n", "", Median(radial_processor));
  }
  return 0;
}
