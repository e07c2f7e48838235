// The probability grid of a study with uncertainty: each node's share equals
// the share counted from deterministic studies run with each realization's
// aquifer; a node far from the well has share 0 and one nearer than any
// realization's level 1; slices merged write the whole run's bytes; the
// partial file carries the counts exactly; the reader refuses the keys out of
// their place; and a study without the grid writes what it wrote before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "base/shortest_text.h"
#include "program_run.h"
#include "study/reader.h"
#include "study_texts.h"
#include "uncertainty/partial_file.h"
#include "uncertainty/realizations.h"

namespace {

using testing_support::RunResult;
using testing_support::ScratchFolder;
using testing_support::run_program;

constexpr double kLevel = 0.25;  // feet
constexpr std::size_t kRealizations = 5;

// One well near the west end of a long strip of nodes: the east end lies
// 11,000 feet or more from it, beyond any realization's reach at the level.
std::string aquifer_table(const std::string& T, const std::string& S, const std::string& c) {
  return "[aquifer]\ntransmissivity = " + T + "\nstorage = " + S + "\nleakance = " + c + "\n";
}

std::string strip_study(const std::string& aquifer, const std::string& output) {
  return "title = \"strip\"\ntimes = [30.0, 365.0]\n\n" + aquifer +
         "\n[grid]\nxll = 0.0\nyll = 0.0\nspacing = 200\ncolumns = 60\nrows = 3\n\n"
         "[[well]]\nname = \"PW-1\"\nx = 300.0\ny = 300.0\nrate = 250000.0\n\n[output]\nfolder = \"out\"\n" +
         output;
}

const std::string kUncertainty =
    "\n[uncertainty]\ntransmissivity = [20000.0, 90000.0]\nleakance = [0.002, 0.02]\n"
    "storage = [0.0001, 0.001]\nrealizations = 5\nseed = 7\n";

std::string uncertain_study(const std::string& output) {
  return strip_study(aquifer_table("50000.0", "0.0002", "0.005"), output) + kUncertainty;
}

// The numbers of an ESRI ASCII grid's cells, row by row from the north.
std::vector<double> cells(const std::string& asc) {
  std::istringstream in(asc);
  std::string line;
  for (int k = 0; k < 6; ++k) std::getline(in, line);
  std::vector<double> v;
  for (double x; in >> x;) v.push_back(x);
  return v;
}

TEST(ProbabilityGrid, EachShareIsTheShareOfDeterministicStudiesAboveTheLevel) {
  ScratchFolder f;
  const std::string level = "probability_level = " + base::shortest_text(kLevel) + "\n";
  f.write("s.toml", uncertain_study("probability = \"p.asc\"\n" + level));
  const RunResult r = run_program(f, "", {"--study", "s.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Each realization's aquifer, run as a study of its own with a drawdown grid.
  const study::Study s = study_testing::read_text(uncertain_study("probability = \"p.asc\"\n" + level));
  const uncertainty::Realizations draws(*s.uncertainty, s.aquifer);
  std::vector<std::vector<int>> above(2, std::vector<int>(180, 0));
  std::vector<std::vector<double>> least(2, std::vector<double>(180, 1e300));
  for (std::size_t i = 0; i < kRealizations; ++i) {
    const scenario::Aquifer a = draws.at(i);
    ScratchFolder one;
    one.write("s.toml", strip_study(aquifer_table(base::shortest_text(a.transmissivity), base::shortest_text(a.storage),
                                                  base::shortest_text(a.leakance)),
                                    "grid = \"dd.asc\"\n"));
    ASSERT_EQ(run_program(one, "", {"--study", "s.toml"}).status, 0);
    for (int k = 0; k < 2; ++k) {
      const std::vector<double> dd = cells(one.read(k == 0 ? "out/dd_30d.asc" : "out/dd_365d.asc"));
      ASSERT_EQ(dd.size(), 180u);
      for (std::size_t n = 0; n < dd.size(); ++n) above[k][n] += dd[n] > kLevel ? 1 : 0, least[k][n] = std::min(least[k][n], dd[n]);
    }
  }
  int partial = 0;
  for (int k = 0; k < 2; ++k) {
    const std::vector<double> p = cells(f.read(k == 0 ? "out/p_30d.asc" : "out/p_365d.asc"));
    ASSERT_EQ(p.size(), 180u);
    for (std::size_t n = 0; n < p.size(); ++n) {
      EXPECT_EQ(static_cast<float>(p[n]), static_cast<float>(above[k][n] / static_cast<double>(kRealizations))) << "time " << k << " node " << n;
      partial += above[k][n] > 0 && above[k][n] < 5 ? 1 : 0;
    }
    // The middle row's node at the well: every realization is above the level there.
    ASSERT_GT(least[k][60 + 1], kLevel);
    EXPECT_EQ(p[60 + 1], 1.0);
    // The east end, 11,500 feet from the well: no realization reaches the level.
    EXPECT_EQ(p[60 + 59], 0.0);
  }
  EXPECT_GT(partial, 0) << "the test should have nodes where the realizations disagree";
}

TEST(ProbabilityGrid, SlicesMergedWriteTheWholeRunsBytes) {
  ScratchFolder whole, sliced;
  const std::string study = uncertain_study("probability = \"p.tif\"\nprobability_level = 0.25\n");
  whole.write("s.toml", study);
  sliced.write("s.toml", study);
  const RunResult all = run_program(whole, "", {"--study", "s.toml"});
  ASSERT_EQ(all.status, 0) << all.err;
  for (const char* slice : {"0:2", "2:3", "3:5"})
    ASSERT_EQ(run_program(sliced, "", {"--study", "s.toml", "--realizations", slice, "--part", std::string("part") + slice[0]}).status, 0);
  EXPECT_NE(sliced.read("part0").find("\nexceedance 2 180\n"), std::string::npos);
  const RunResult merged = run_program(sliced, "", {"--study", "s.toml", "--merge", "part3", "part0", "part2"});
  ASSERT_EQ(merged.status, 0) << merged.err;
  EXPECT_EQ(merged.out, all.out);
  ASSERT_GT(whole.read("out/p.tif").size(), 1000u);
  EXPECT_EQ(sliced.read("out/p.tif"), whole.read("out/p.tif"));
  // Slices without the counts (of the same study otherwise) are refused.
  ScratchFolder old;
  old.write("s.toml", uncertain_study(""));
  ASSERT_EQ(run_program(old, "", {"--study", "s.toml", "--realizations", "0:5", "--part", "part"}).status, 0);
  EXPECT_EQ(old.read("part").find("exceedance"), std::string::npos) << "a study without the grid writes no counts";
  std::string part = old.read("part");
  part.replace(part.find("\nstudy ") + 7, 64, sliced.read("part0").substr(sliced.read("part0").find("\nstudy ") + 7, 64));
  sliced.write("old", part);
  const RunResult refused = run_program(sliced, "", {"--study", "s.toml", "--merge", "old"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("no exceedance counts"), std::string::npos) << refused.err;
}

TEST(ProbabilityGrid, WithoutTheGridTheStudyWritesWhatItWroteBefore) {
  ScratchFolder plain, mapped;
  plain.write("s.toml", uncertain_study("grid = \"dd.asc\"\n"));
  mapped.write("s.toml", uncertain_study("grid = \"dd.asc\"\nprobability = \"p.asc\"\nprobability_level = 0.25\n"));
  const RunResult a = run_program(plain, "", {"--study", "s.toml"});
  const RunResult b = run_program(mapped, "", {"--study", "s.toml"});
  ASSERT_EQ(a.status, 0) << a.err;
  ASSERT_EQ(b.status, 0) << b.err;
  EXPECT_EQ(a.out, b.out);
  for (const char* file : {"out/dd_30d.asc", "out/dd_365d.asc"}) EXPECT_EQ(plain.read(file), mapped.read(file)) << file;
  EXPECT_FALSE(plain.exists("out/p_30d.asc"));
  EXPECT_NE(mapped.read("out/manifest.json").find("p_365d.asc"), std::string::npos);
}

TEST(ProbabilityGrid, TheReaderRefusesTheKeysOutOfTheirPlace) {
  struct Case {
    std::string output, uncertainty, says;
  };
  const Case cases[] = {
      {"probability = \"p.tif\"\nprobability_level = 1.0\n", "", "s.toml:24: 'probability' maps the share"},
      {"probability = \"p.tif\"\n", kUncertainty, "s.toml:24: 'probability' needs 'probability_level'"},
      {"probability_level = 1.0\n", kUncertainty, "s.toml:24: 'probability_level' is for 'probability'"},
      {"probability = \"p.png\"\nprobability_level = 1.0\n", kUncertainty, "s.toml:24: 'probability' must name a .tif"},
      {"probability = \"d/p.tif\"\nprobability_level = 1.0\n", kUncertainty, "must be a plain file name"},
      {"probability = \"p.tif\"\nprobability_level = \"1\"\n", kUncertainty, "s.toml:25:"},
      {"probability = \"p.asc\"\ngrid = \"p.asc\"\nprobability_level = 1.0\n", kUncertainty, "are the same file"},
  };
  for (const Case& c : cases) {
    ScratchFolder f;
    f.write("s.toml", strip_study(aquifer_table("50000.0", "0.0002", "0.005"), c.output) + c.uncertainty);
    const RunResult r = run_program(f, "", {"--study", "s.toml"});
    EXPECT_EQ(r.status, 2) << c.says;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
}

TEST(ProbabilityGrid, ThePartialFileCarriesTheCountsExactly) {
  uncertainty::Part p;
  p.study = "abc";
  p.realizations = 600;
  p.from = 100, p.to = 400;
  p.shape = {0, 0, 0};
  for (std::size_t i = p.from; i < p.to; ++i) {
    uncertainty::Outcome o;
    o.index = i;
    o.aquifer.transmissivity = 1.0, o.aquifer.storage = 0.5, o.aquifer.leakance = 0.0;
    o.rate_factor = 2.0;
    p.outcomes.push_back(o);
  }
  p.exceedance = uncertainty::Exceedance{2, 3, {0, 300, 7, 299, 1, 0}};
  const std::string text = uncertainty::part_text(p);
  try {
    EXPECT_EQ(uncertainty::read_part(text).exceedance, p.exceedance);
  } catch (const uncertainty::PartError& e) {
    FAIL() << e.line << ": " << e.what;
  }
  struct Broken {
    std::string from, to, says;
  };
  const Broken broken[] = {
      {"0 300 7\n", "0 301 7\n", "above the slice's realizations"},
      {"0 300 7\n", "0 300\n", "counts are 2, not 3"},
      {"exceedance 2 3", "exceedance 0 3", "size is out of range"},
      {"exceedance 2 3", "exceedance 3 3", "counts are 1, not 3"},   // 'end' where a time's counts should be
      {"299 1 0\n", "", "counts are 1, not 3"},
      {"299 1 0\n", "299 1 0\n0 0 0\n", "expected 'end'"},
  };
  for (const Broken& b : broken) {
    std::string t = text;
    t.replace(t.find(b.from), b.from.size(), b.to);
    try {
      uncertainty::read_part(t);
      ADD_FAILURE() << "accepted: " << b.to;
    } catch (const uncertainty::PartError& e) {
      EXPECT_NE(e.what.find(b.says), std::string::npos) << e.what;
    }
  }
  // Slices sum; a slice without counts beside one with them is refused.
  uncertainty::Part q = p;
  q.exceedance = uncertainty::Exceedance{2, 3, {5, 0, 1, 1, 0, 2}};
  EXPECT_EQ(uncertainty::merge_exceedance({p, q})->counts, (std::vector<std::uint32_t>{5, 300, 8, 300, 1, 2}));
  q.exceedance.reset();
  EXPECT_THROW(uncertainty::merge_exceedance({p, q}), uncertainty::PartError);
  q.exceedance = uncertainty::Exceedance{3, 2, {0, 0, 0, 0, 0, 0}};
  EXPECT_THROW(uncertainty::merge_exceedance({p, q}), uncertainty::PartError);
}

}  // namespace
