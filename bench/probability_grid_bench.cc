// A study's probability grid: 200 realizations of a 100 x 100 grid with 10
// wells at scattered positions and 3 times (uncertainty::count_exceedance),
// against 200 deterministic exact grids of the study's own aquifer at the
// same times (scenario::evaluate_grid, as the study evaluates its drawdown
// grid); and, to show what the counting itself costs, the same 200 grids each
// with its realization's aquifer. One thread each, the two interleaved; medians of `runs` runs
// (default 5).
//
// Usage: probability_grid_bench [runs]

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/shortest_text.h"
#include "engine/drawdown_grid.h"
#include "scenario/evaluation.h"
#include "study/reader.h"
#include "uncertainty/exceedance.h"
#include "uncertainty/realizations.h"

namespace {

constexpr std::size_t kRealizations = 200;

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

template <class F>
double Seconds(F f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The study: 10 wells at fixed pseudo-random places inside a 10,000-foot
// square of 100 x 100 nodes, times 30, 90 and 365 days.
std::string study_text() {
  std::string t = "title = \"bench\"\ntimes = [30.0, 90.0, 365.0]\n\n[aquifer]\ntransmissivity = 50000.0\n"
                  "storage = 0.0002\nleakance = 0.0005\n\n[grid]\nxll = 0.0\nyll = 0.0\nspacing = 100\n"
                  "columns = 100\nrows = 100\n";
  std::uint64_t state = 12345;
  const auto next = [&] {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) * 0x1.0p-53;
  };
  for (int w = 0; w < 10; ++w)
    t += "\n[[well]]\nname = \"W" + std::to_string(w) + "\"\nx = " + base::shortest_text(std::floor(next() * 10000.0)) +
         "\ny = " + base::shortest_text(std::floor(next() * 10000.0)) + "\nrate = 100000.0\n";
  return t + "\n[output]\nprobability = \"p.tif\"\nprobability_level = 1.0\n\n[uncertainty]\n"
             "transmissivity = [30000.0, 80000.0]\nstorage = [0.0001, 0.0004]\nleakance = [0.0002, 0.001]\n"
             "realizations = 200\n";
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
  const study::Study s = study::read_study(study_text(), "bench.toml", [](const std::string&, std::string& why) {
    why = "no files";
    return std::optional<std::string>();
  });
  scenario::Evaluation how;
  how.well_function = s.output.well_function;
  how.engine.fast.threads = 1;
  std::vector<double> deterministic, own, probability;
  const uncertainty::Realizations draws(*s.uncertainty, s.aquifer);
  engine::DrawdownGrid DD(s.grid.columns, s.grid.rows);
  double sink = 0.0;
  for (int r = 0; r < runs; ++r) {
    deterministic.push_back(Seconds([&] {
      for (std::size_t i = 0; i < kRealizations; ++i)
        for (double t : s.times) {
          scenario::evaluate_grid(DD, s, t, how);
          sink += DD(50, 50);
        }
    }));
    own.push_back(Seconds([&] {
      scenario::Scenario copy = s;
      for (std::size_t i = 0; i < kRealizations; ++i) {
        copy.aquifer = draws.at(i);
        for (double t : s.times) {
          scenario::evaluate_grid(DD, copy, t, how);
          sink += DD(50, 50);
        }
      }
    }));
    probability.push_back(Seconds([&] {
      const uncertainty::Exceedance e =
          uncertainty::count_exceedance(s, how, *s.uncertainty, *s.output.probability_level, 0, kRealizations);
      sink += e.counts[e.counts.size() / 2];
    }));
  }
  const double nodes = 100.0 * 100.0 * 3.0 * 10.0 * kRealizations;
  std::printf("probability grid: %zu realizations, 100 x 100 nodes, 10 wells, 3 times, 1 thread, medians of %d runs\n",
              kRealizations, runs);
  std::printf("  %zu deterministic grids x 3 times   %8.3f s   %6.1f ns per node-term\n", kRealizations,
              Median(deterministic), Median(deterministic) / nodes * 1e9);
  std::printf("  the same, each realization's aquifer %6.3f s   (the grids the ensemble evaluates, without counting)\n",
              Median(own));
  std::printf("  probability grid                   %8.3f s   %.3fx the deterministic grids (target <= 1.2x)\n",
              Median(probability), Median(probability) / Median(deterministic));
  return sink == -1.0 ? 1 : 0;
}
