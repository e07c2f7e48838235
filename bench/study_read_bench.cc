// Reads and checks study files as a study run does (the TOML, its CSV files,
// every value and name), and prints the seconds each read took:
//   study_read_bench FILE...
// one line per file: seconds, wells, rate steps, receptors. A refused file
// prints its message and ends with status 2.
#include <chrono>
#include <cstdio>
#include <string>

#include "study/reader.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const auto start = std::chrono::steady_clock::now();
    try {
      const study::Study s = study::read_study_file(argv[i]);
      const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      std::size_t steps = 0;
      for (const scenario::Well& w : s.wells) steps += w.steps.size();
      std::printf("%s %.3f s, %zu wells, %zu steps, %zu receptors\n", argv[i], seconds, s.wells.size(), steps,
                  s.receptors.size());
    } catch (const study::StudyError& e) {
      std::fprintf(stderr, "%s\n", e.message.c_str());
      return 2;
    }
  }
  return 0;
}
