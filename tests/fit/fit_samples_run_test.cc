// --fit end to end with the residuals' autocorrelation and the samples: the
// report's r1 against the residuals file's own (computed here), the samples'
// spread against aquifer.toml's standard error, the same bytes on a second
// run, and the samples' settings refused as the other outputs' are.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;
using testing_support::source_file;

// The example of examples/fit in `folder`, its [output] table extended by `output`.
void example(ScratchFolder& folder, const std::string& output) {
  for (const char* name : {"piezometer_30m.csv", "piezometer_90m.csv"})
    folder.write(name, source_file(std::string("examples/fit/") + name));
  folder.write("t.toml", source_file("examples/fit/oude-korendijk.toml") + output);
}

// The lag-1 autocorrelation of each observation's residuals in residuals.csv.
std::map<std::string, double> lag1_of(const std::string& residuals_csv) {
  std::map<std::string, std::vector<double>> by_name;
  std::istringstream in(residuals_csv);
  std::string line;
  std::getline(in, line);  // observation,time,observed,fitted,residual
  while (std::getline(in, line)) by_name[line.substr(0, line.find(','))].push_back(std::stod(line.substr(line.rfind(',') + 1)));
  std::map<std::string, double> r1;
  for (const auto& [name, r] : by_name) {
    double lagged = 0.0, squares = r[0] * r[0];
    for (std::size_t i = 1; i < r.size(); ++i) lagged += r[i] * r[i - 1], squares += r[i] * r[i];
    r1[name] = lagged / squares;
  }
  return r1;
}

double number_after(const std::string& text, const std::string& key) {
  const std::size_t at = text.find(key);
  EXPECT_NE(at, std::string::npos) << key << " in\n" << text;
  return at == std::string::npos ? 0.0 : std::stod(text.substr(at + key.size()));
}

TEST(FitSamplesRun, TheReportsR1AndTheSamplesFollowTheResidualsAndTheStandardError) {
  ScratchFolder folder;
  example(folder, "samples = \"aquifer-samples.csv\"\n");
  const RunResult r = run_program(folder, "", {"--fit", "t.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string aquifer = folder.read("fit/aquifer.toml");
  for (const auto& [name, r1] : lag1_of(folder.read("fit/residuals.csv"))) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "\n%-16sr1 = %.3f over ", name.c_str(), r1);
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
    EXPECT_NE(aquifer.find("#   " + name + ": r1 = " + std::string(expected).substr(22, 5)), std::string::npos) << aquifer;
  }
  // Oude Korendijk's early readings show well-bore storage: long runs of one sign.
  EXPECT_NE(r.out.find("allow for these AR(1) errors"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("samples: 1000 parameter sets drawn from the fit's uncertainty (seed "), std::string::npos);
  const std::string samples = folder.read("fit/aquifer-samples.csv");
  std::istringstream in(samples);
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "transmissivity,storage,leakance");
  std::vector<double> log_T;
  while (std::getline(in, line)) {
    log_T.push_back(std::log(std::stod(line)));
    EXPECT_EQ(line.substr(line.rfind(',')), ",0") << "the leakance is held at 0";
  }
  ASSERT_EQ(log_T.size(), 1000u);
  double mean = 0.0, squares = 0.0;
  for (double v : log_T) mean += v / 1000.0;
  for (double v : log_T) squares += (v - mean) * (v - mean);
  // In m2/d, as aquifer.toml's [aquifer]: the spread of ln T is T's relative
  // standard error (to the sample's 2.2% at n = 1000, 4 times that allowed).
  const double T = number_after(aquifer, "\ntransmissivity = ");
  const double se = number_after(aquifer, "standard_error = { transmissivity = ");
  EXPECT_NEAR(mean, std::log(T), 4.0 * se / T / std::sqrt(1000.0));
  EXPECT_NEAR(std::sqrt(squares / 999.0), se / T, 0.09 * se / T);
  ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0);
  EXPECT_EQ(folder.read("fit/aquifer-samples.csv"), samples) << "a fixed seed";
}

TEST(FitSamplesRun, TheSamplesSettingsAreCheckedAndTheirFileMayReplaceNothing) {
  struct Case {
    std::string output;  // added to the example's [output]
    std::string message;
  };
  const Case cases[] = {
      {"samples = \"residuals.csv\"\n", "t.toml: the samples file and the residuals file are the same file 'fit/residuals.csv'"},
      {"samples = \"s.txt\"\n", "t.toml:33: 'samples' must name a .csv file in the output folder, not 's.txt'"},
      {"samples = \"s.csv\"\nsamples_count = 0\n", "t.toml:34: 'samples_count' must be a whole number from 1 to 1000000"},
      {"samples = \"s.csv\"\nsamples_count = 2.5\n", "t.toml:34: 'samples_count' must be a whole number from 1 to 1000000"},
      {"samples_count = 10\n", "t.toml:33: 'samples_count' needs 'samples', the file to draw them into"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    example(folder, c.output);
    const RunResult r = run_program(folder, "", {"--fit", "t.toml"});
    EXPECT_EQ(r.status, 2) << c.output;
    EXPECT_EQ(r.err, "leaky-drawdown: " + c.message + "\n") << c.output;
    EXPECT_FALSE(folder.exists("fit")) << c.output;
  }
  // samples_count rows, and a samples file that would replace an observation file.
  ScratchFolder folder;
  example(folder, "samples = \"s.csv\"\nsamples_count = 7\n");
  ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0);
  const std::string seven = folder.read("fit/s.csv");
  EXPECT_EQ(std::count(seven.begin(), seven.end(), '\n'), 8);
  ScratchFolder input;
  example(input, "samples = \"piezometer_30m.csv\"\n");
  input.write("t.toml", [&] {
    std::string t = input.read("t.toml");
    return t.replace(t.find("folder = \"fit\""), 14, "folder = \".\"");
  }());
  const RunResult r = run_program(input, "", {"--fit", "t.toml"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "leaky-drawdown: t.toml: the samples file 'piezometer_30m.csv' would replace the input file "
                   "'piezometer_30m.csv'\n");
}

}  // namespace
