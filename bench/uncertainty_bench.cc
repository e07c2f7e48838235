// An ensemble of the example study (examples/study/wellfield.toml, its three
// receptors, two with limits) with [uncertainty] ranges of T, S and the
// leakance: the cost of a realization (its exact compliance search and its
// series) against the deterministic compliance evaluation of the study's own
// aquifer, on one thread; the 1,000 realizations on one thread and on two;
// and the whole study run (grids, outputs, ensemble) with 1,000 realizations.
// Each figure is the median of `runs` runs (default 5), the one-thread and
// two-thread runs interleaved.
//
// Usage: uncertainty_bench SOURCE_DIR [runs]

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "inputs/read_file.h"
#include "scenario/compliance.h"
#include "study/reader.h"
#include "study/run_study.h"
#include "uncertainty/ensemble.h"

namespace {

constexpr std::size_t kRealizations = 1000;

const char* const kUncertainty = R"(
[uncertainty]
transmissivity = [30000.0, 80000.0]
storage = [0.0001, 0.0004]
leakance = [0.00002, 0.0001]
correlations = { transmissivity_storage = -0.3 }
realizations = 1000
)";

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

std::string text_of(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: uncertainty_bench SOURCE_DIR [runs]\n");
    return 2;
  }
  const std::string examples = std::string(argv[1]) + "/examples/study/";
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const std::string text = text_of(examples + "wellfield.toml") + kUncertainty;
  const study::Study s = study::read_study(text, examples + "wellfield.toml", [](const std::string& path, std::string& why) {
    return inputs::read_file(path, why);
  });
  scenario::Evaluation how;
  how.well_function = s.output.well_function;

  // The deterministic compliance evaluation, many times for each run.
  constexpr int kDeterministic = 200;
  std::vector<double> deterministic, one, two, whole;
  for (int r = 0; r < runs; ++r) {
    deterministic.push_back(Seconds([&] {
                              for (int k = 0; k < kDeterministic; ++k) (void)scenario::compliance_of(s, how);
                            }) /
                            kDeterministic);
    one.push_back(Seconds([&] { (void)uncertainty::run(s, how, *s.uncertainty, 0, kRealizations, 1); }));
    two.push_back(Seconds([&] { (void)uncertainty::run(s, how, *s.uncertainty, 0, kRealizations, 2); }));
  }
  // The whole study run, its summary sent to /dev/null.
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("uncertainty-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::ofstream(folder / "wellfield.toml") << text;
  std::filesystem::copy_file(examples + "receptors.csv", folder / "receptors.csv");
  engine::Options engine;
  engine.fast.threads = 2;
  const int saved = ::dup(STDOUT_FILENO), null = ::open("/dev/null", O_WRONLY);
  for (int r = 0; r < runs; ++r) {
    std::fflush(stdout);
    ::dup2(null, STDOUT_FILENO);
    whole.push_back(Seconds([&] { (void)study::run_study((folder / "wellfield.toml").string(), engine, (folder / "out").string()); }));
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
  }
  ::close(null);
  ::close(saved);
  std::filesystem::remove_all(folder);

  const double per_realization = Median(one) / kRealizations;
  std::printf("uncertainty: the example study, %zu realizations, medians of %d runs\n", kRealizations, runs);
  std::printf("  deterministic compliance evaluation   %10.3f ms\n", Median(deterministic) * 1e3);
  std::printf("  one realization (1 thread)            %10.3f ms   %.2fx the deterministic evaluation (target <= 1.2x)\n",
              per_realization * 1e3, per_realization / Median(deterministic));
  std::printf("  %zu realizations, 1 thread          %10.3f s\n", kRealizations, Median(one));
  std::printf("  %zu realizations, 2 threads         %10.3f s    %.2fx faster (target >= 1.7x)\n", kRealizations,
              Median(two), Median(one) / Median(two));
  std::printf("  whole study run, 2 threads            %10.3f s    (target < 30 s)\n", Median(whole));
  return 0;
}
