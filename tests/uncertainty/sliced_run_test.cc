// Whole studies with [uncertainty], run by the program: slices merged write
// the whole run's bytes; the ensemble adds its columns and lines and changes
// nothing else; the reader and the command line refuse what cannot be run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"
#include "study/reader.h"
#include "study_texts.h"

namespace {

using testing_support::RunResult;
using testing_support::ScratchFolder;
using testing_support::run_program;

std::string source(const std::string& name) {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The example study with its series, hydrographs and compliance (no maps),
// and `uncertainty` appended.
std::string example_study(const std::string& uncertainty) {
  std::string text = source("examples/study/wellfield.toml");
  for (const char* key : {"grid = ", "contours = ", "plot = ", "levels = "}) {
    const std::size_t at = text.find(std::string("\n") + key);
    text.erase(at + 1, text.find('\n', at + 1) - at);
  }
  return text + "\n" + uncertainty;
}

const std::string kRanges = R"([uncertainty]
transmissivity = [30000.0, 80000.0]
storage = [0.0001, 0.0004]
leakance = [0.00002, 0.0001]
correlations = { transmissivity_storage = -0.3 }
realizations = 24
seed = 99
)";

void lay_out(const ScratchFolder& f, const std::string& study) {
  f.write("wellfield.toml", study);
  f.write("receptors.csv", source("examples/study/receptors.csv"));
}

// The manifest without its times.
std::string timeless(std::string manifest) {
  for (const char* key : {"\"started\"", "\"ended\""}) {
    const std::size_t at = manifest.find(key);
    if (at != std::string::npos) manifest.erase(at, manifest.find('\n', at) - at);
  }
  return manifest;
}

TEST(SlicedRun, FourSlicesMergedWriteTheWholeRunsBytes) {
  ScratchFolder whole, sliced;
  lay_out(whole, example_study(kRanges));
  lay_out(sliced, example_study(kRanges));
  const RunResult all = run_program(whole, "", {"--study", "wellfield.toml"});
  ASSERT_EQ(all.status, 0) << all.err;
  const char* const slices[] = {"0:5", "5:11", "11:23", "23:24"};
  std::vector<std::string> merge = {"--study", "wellfield.toml", "--merge"};
  for (const char* slice : slices) {
    const std::string part = std::string("part-") + slice[0] + slice[1] + ".txt";
    const RunResult r = run_program(sliced, "", {"--study", "wellfield.toml", "--realizations", slice, "--part", part});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_FALSE(sliced.exists("out")) << "a slice writes its partial file only";
    merge.insert(merge.begin() + 3, part);  // the slices in reverse order
  }
  const RunResult merged = run_program(sliced, "", merge);
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(merged.out, all.out);
  EXPECT_EQ(merged.err, all.err);
  for (const char* file : {"out/compliance.csv", "out/receptor_series.csv", "out/hydrographs.png"}) {
    EXPECT_FALSE(whole.read(file).empty()) << file;
    EXPECT_EQ(sliced.read(file), whole.read(file)) << file;
  }
  EXPECT_EQ(timeless(sliced.read("out/manifest.json")), timeless(whole.read("out/manifest.json")));
  EXPECT_NE(whole.read("out/manifest.json").find("\"uncertainty\": {\"realizations\": 24, \"seed\": 99"), std::string::npos);
  EXPECT_NE(all.out.find("seed 99\n"), std::string::npos) << all.out;
  EXPECT_NE(all.out.find("rate factor at 95 % reliability: "), std::string::npos) << all.out;
}

// The CSV `text` with its last `n` columns removed from every line.
std::string without_last_columns(const std::string& text, int n) {
  std::istringstream lines(text);
  std::string out;
  for (std::string line; std::getline(lines, line);) {
    for (int k = 0; k < n; ++k) line.erase(line.rfind(','));
    out += line + "\n";
  }
  return out;
}

TEST(SlicedRun, TheEnsembleAddsItsColumnsAndLinesAndChangesNothingElse) {
  ScratchFolder plain, uncertain;
  lay_out(plain, example_study(""));
  lay_out(uncertain, example_study(kRanges));
  const RunResult a = run_program(plain, "", {"--study", "wellfield.toml"});
  const RunResult b = run_program(uncertain, "", {"--study", "wellfield.toml"});
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(without_last_columns(uncertain.read("out/compliance.csv"), 2), plain.read("out/compliance.csv"));
  EXPECT_EQ(without_last_columns(uncertain.read("out/receptor_series.csv"), 3), plain.read("out/receptor_series.csv"));
  EXPECT_EQ(uncertain.read("out/compliance.csv").substr(0, uncertain.read("out/compliance.csv").find('\n')).substr(
                uncertain.read("out/compliance.csv").find(",probability_exceeded")),
            ",probability_exceeded,probability_se");
  EXPECT_EQ(b.out.substr(0, a.out.size() - 1), a.out.substr(0, a.out.size() - 1)) << "the summary gains lines at its end";
  EXPECT_EQ(plain.read("out/manifest.json").find("uncertainty"), std::string::npos);
}

TEST(SlicedRun, SamplesFromAFitAreReadInTheStudysUnits) {
  ScratchFolder f;
  lay_out(f, example_study("[uncertainty]\nsamples = \"samples.csv\"\nrealizations = 30\nreliability = 0.9\n"));
  f.write("samples.csv", "transmissivity,storage,leakance\n40000,0.0002,0.00005\n60000,0.0003,0.00004\n");
  const RunResult r = run_program(f, "", {"--study", "wellfield.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("30 realizations of the aquifer (parameter sets drawn from"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("rate factor at 90 % reliability: "), std::string::npos) << r.out;
  EXPECT_NE(f.read("out/manifest.json").find("samples.csv"), std::string::npos) << "the samples are an input";
}

TEST(SlicedRun, TheCommandLineRefusesSlicesThatDoNotFit) {
  ScratchFolder f;
  lay_out(f, example_study(kRanges));
  struct Case {
    std::vector<std::string> arguments;
    std::string says;
  };
  const Case cases[] = {
      {{"--study", "wellfield.toml", "--realizations", "0:5"}, "'--realizations' and '--part' go together"},
      {{"--study", "wellfield.toml", "--realizations", "5:5", "--part", "p"}, "FROM below TO"},
      {{"--study", "wellfield.toml", "--realizations", "0:25", "--part", "p"}, "the study has 24 realizations"},
      {{"--realizations", "0:5", "--part", "p"}, "are for --study"},
      {{"--study", "wellfield.toml", "--merge", "missing.txt"}, "cannot read the partial file"},
  };
  for (const Case& c : cases) {
    const RunResult r = run_program(f, "", c.arguments);
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    EXPECT_FALSE(f.exists("out"));
  }
  // A slice of another seed is not merged.
  ASSERT_EQ(run_program(f, "", {"--study", "wellfield.toml", "--realizations", "0:24", "--part", "p.txt"}).status, 0);
  f.write("wellfield.toml", example_study(kRanges + "").replace(example_study(kRanges).find("seed = 99"), 9, "seed = 98"));
  const RunResult r = run_program(f, "", {"--study", "wellfield.toml", "--merge", "p.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("of another study"), std::string::npos) << r.err;
}

TEST(SlicedRun, TheReaderRefusesAnUncertaintyItCannotDraw) {
  const std::string base = study_testing::kSmallStudy;
  struct Case {
    std::string table, says;
  };
  const Case cases[] = {
      {"[uncertainty]\nrealizations = 10\n", "needs 'samples'"},
      {"[uncertainty]\ntransmissivity = [5.0, 4.0]\n", "0 < low < high"},
      {"[uncertainty]\nstorage = 0.1\n", "95 % range [low, high]"},
      {"[uncertainty]\ntransmissivity = [1.0, 2.0]\ncorrelations = { transmissivity_storage = 0.5 }\n",
       "both need a range"},
      {"[uncertainty]\ntransmissivity = [1.0, 2.0]\nstorage = [0.1, 0.2]\nleakance = [0.1, 0.2]\n"
       "correlations = { transmissivity_storage = -0.9, transmissivity_leakance = -0.9, storage_leakance = -0.9 }\n",
       "not positive definite"},
      {"[uncertainty]\ntransmissivity = [1.0, 2.0]\nrealizations = 0\n", "'realizations' must be"},
      {"[uncertainty]\ntransmissivity = [1.0, 2.0]\nreliability = 1.0\n", "'reliability' must lie between 0 and 1"},
      {"[uncertainty]\ntransmissivity = [1.0, 2.0]\nseed = -1\n", "'seed' must be"},
      {"[uncertainty]\ntransmissivity = [1.0, 2.0]\nsamples = \"s.csv\"\n", "not both"},
      {"[uncertainty]\ntransmisivity = [1.0, 2.0]\n", "transmisivity"},
      {"[uncertainty]\nsamples = \"s.csv\"\n", "above 0"},
  };
  for (const Case& c : cases) {
    try {
      study_testing::read_text(base + "\n" + c.table, {{"s.csv", "transmissivity,storage,leakance\n100,0,1\n"}});
      ADD_FAILURE() << "accepted: " << c.table;
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.says), std::string::npos) << e.message;
    }
  }
}

}  // namespace
