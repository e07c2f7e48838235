// --fit end to end: the example test file's table, files and warning; a bad
// test file refused with one line and nothing written.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

using testing_support::source_file;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

// `text` with its first `from` replaced by `to`.
std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The example's readings with drawdown d changed to f(d).
template <class F>
std::string readings_as(const std::string& csv, F f) {
  std::istringstream in(csv);
  std::string line, out;
  std::getline(in, line);
  out = line + "\n";
  while (std::getline(in, line)) {
    const std::size_t comma = line.find(',');
    std::ostringstream value;
    value << f(std::stod(line.substr(comma + 1)));
    out += line.substr(0, comma + 1) + value.str() + "\n";
  }
  return out;
}


TEST(FitRun, TheExampleWritesItsTableAquiferAndResiduals) {
  ScratchFolder folder;
  for (const char* name : {"oude-korendijk.toml", "piezometer_30m.csv", "piezometer_90m.csv"})
    folder.write(name, source_file(std::string("examples/fit/") + name));
  const RunResult r = run_program(folder, "", {"--fit", "oude-korendijk.toml"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("pumping test 'Oude Korendijk pumping test': 1 pumped well, 2 observations, 69 readings "
                        "(units m, min, m3/d)\n",
                        0),
            0u)
      << r.out;
  EXPECT_NE(r.out.find("\n                462.6"), std::string::npos) << "T in m2/d:\n" << r.out;
  EXPECT_EQ(r.err.rfind("leaky-drawdown: warning: the residuals show a trend", 0), 0u) << r.err;
  const std::string aquifer = folder.read("fit/aquifer.toml");
  // A metric test: T in m2/d (Kruseman and De Ridder's least squares: 462.6).
  EXPECT_NE(aquifer.find("\nunits = { transmissivity = \"m2/d\", leakance = \"1/d\" }\n\n[aquifer]\ntransmissivity = 462.6"),
            std::string::npos)
      << aquifer;
  EXPECT_NE(aquifer.find("\nleakance = 0.0   # held, not fitted\n"), std::string::npos) << aquifer;
  EXPECT_NE(aquifer.find("\nobservations = 69\n"), std::string::npos) << aquifer;
  const std::string residuals = folder.read("fit/residuals.csv");
  EXPECT_EQ(residuals.rfind("observation,time,observed,fitted,residual\nP30,0.1,0.04,", 0), 0u) << residuals;
  EXPECT_EQ(std::count(residuals.begin(), residuals.end(), '\n'), 70);
}

// The number after "key = " in `toml`, or NaN.
double value_of(const std::string& toml, const std::string& key) {
  const std::size_t at = toml.find("\n" + key + " = ");
  return at == std::string::npos ? std::nan("") : std::stod(toml.substr(at + key.size() + 4));
}

TEST(FitRun, TheAquiferTableIsInTheTestsUnitsMetricOrFeet) {
  // The example in metres, and the same readings and distances in feet:
  // Kruseman and De Ridder's T = 462.6 m2/d is 37249 gpd/ft
  // (x 10.7639 ft2/m2 x 7.48052 gal/ft3); S = 1.779e-4 either way.
  constexpr double kFeetPerMetre = 1.0 / 0.3048;
  const std::string test = source_file("examples/fit/oude-korendijk.toml");
  struct Case {
    const char* units;
    double scale;  // of lengths
    double T;      // in the aquifer table's unit
    const char* units_line;
    const char* rmse_unit;
  };
  const Case cases[] = {
      {"units = { length = \"m\", time = \"min\", rate = \"m3/d\" }", 1.0, 462.6,
       "\nunits = { transmissivity = \"m2/d\", leakance = \"1/d\" }\n", "# metres"},
      {"units = { length = \"ft\", time = \"min\", rate = \"m3/d\" }", kFeetPerMetre, 37249.0, "", "# feet"},
  };
  for (const Case& c : cases) {
    ScratchFolder folder;
    for (const char* name : {"piezometer_30m.csv", "piezometer_90m.csv"})
      // The header names the readings' unit, which must be the test's.
      folder.write(name, replaced(readings_as(source_file(std::string("examples/fit/") + name),
                                              [&c](double d) { return d * c.scale; }),
                                  "drawdown_m", c.scale == 1.0 ? "drawdown_m" : "drawdown_ft"));
    std::string t = replaced(test, "units = { length = \"m\", time = \"min\", rate = \"m3/d\" }", c.units);
    t = replaced(replaced(t, "x = 30.0", "x = " + std::to_string(30.0 * c.scale)), "x = 90.0",
                 "x = " + std::to_string(90.0 * c.scale));
    folder.write("t.toml", t);
    ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0) << c.units;
    const std::string aquifer = folder.read("fit/aquifer.toml");
    EXPECT_NEAR(value_of(aquifer, "transmissivity"), c.T, 0.02 * c.T) << aquifer;
    EXPECT_NEAR(value_of(aquifer, "storage"), 1.779e-4, 0.02 * 1.779e-4) << aquifer;
    EXPECT_EQ(aquifer.find("units = {") != std::string::npos, std::string(c.units_line).size() > 0) << aquifer;
    if (std::string(c.units_line).size() > 0) {
      EXPECT_NE(aquifer.find(c.units_line), std::string::npos) << aquifer;
    }
    EXPECT_NE(aquifer.find(c.rmse_unit), std::string::npos) << aquifer;
  }
}

// The width in pixels of a PNG file's bytes (0 when they are no PNG).
unsigned png_width(const std::string& png) {
  if (png.size() < 24 || png.substr(0, 8) != "\x89PNG\r\n\x1a\n") return 0;
  return (static_cast<unsigned char>(png[16]) << 24) | (static_cast<unsigned char>(png[17]) << 16) |
         (static_cast<unsigned char>(png[18]) << 8) | static_cast<unsigned char>(png[19]);
}

TEST(FitRun, ThePicturesFollowDpiAndPage) {
  ScratchFolder folder;
  for (const char* name : {"piezometer_30m.csv", "piezometer_90m.csv"})
    folder.write(name, source_file(std::string("examples/fit/") + name));
  const std::string test = source_file("examples/fit/oude-korendijk.toml");
  folder.write("t.toml", test);
  ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0);
  const unsigned at_200 = png_width(folder.read("fit/type_curves.png"));
  EXPECT_GT(at_200, 1000u);
  EXPECT_GT(png_width(folder.read("fit/residuals.png")), 1000u);
  folder.write("t.toml", test + "dpi = 100\n");
  ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0);
  EXPECT_NEAR(png_width(folder.read("fit/type_curves.png")), at_200 / 2.0, 2.0) << "half the pixels at 100 dpi";
  // A PDF on a letter page; an SVG names its title.
  folder.write("t.toml", test + "type_curves = \"curves.pdf\"\nresidual_plot = \"residuals.svg\"\npage = \"letter\"\n");
  ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0);
  const std::string pdf = folder.read("fit/curves.pdf");
  EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
  EXPECT_NE(pdf.find("/MediaBox [ 0 0 612 792 ]"), std::string::npos);
  EXPECT_NE(folder.read("fit/residuals.svg").find("Oude Korendijk pumping test: residuals"), std::string::npos);
  // The page's name in any case; A4 is 210 x 297 mm.
  for (const auto& [page, box] : {std::pair{"Letter", "612 792"}, {"A4", "595.275"}, {"a4", "595.275"}}) {
    folder.write("t.toml", test + "type_curves = \"curves.pdf\"\npage = \"" + page + "\"\n");
    ASSERT_EQ(run_program(folder, "", {"--fit", "t.toml"}).status, 0) << page;
    const std::string on_page = folder.read("fit/curves.pdf");
    EXPECT_NE(on_page.find(std::string("/MediaBox [ 0 0 ") + box), std::string::npos)
        << page << ": " << on_page.substr(on_page.find("/MediaBox"), 40);
  }
}

// Every line of `err` is one of the program's own.
void only_own_lines(const std::string& err, const std::string& name) {
  std::istringstream in(err);
  for (std::string line; std::getline(in, line);)
    EXPECT_EQ(line.rfind("leaky-drawdown: ", 0), 0u) << name << ": a line not the program's: " << line;
  EXPECT_EQ(err.find("InitGoogleLogging"), std::string::npos) << name;
  EXPECT_EQ(err.find("trust_region"), std::string::npos) << name;
}

struct Nonsense {
  const char* name;
  std::string from, to;             // in the example's test file
  double (*reading)(double);        // the readings as given, from the example's
  int status;
  const char* message;              // in the first line of standard error
};

TEST(FitRun, NonsenseIsRefusedOrMarkedUndeterminedWithTheProgramsOwnLinesOnly) {
  const std::vector<Nonsense> cases = {
      {"a rate of 1e300", "rate = 788.0", "rate = 1e300", nullptr, 7, "warning: the transmissivity came out as 0"},
      {"a piezometer at x = 1e300", "x = 90.0", "x = 1e300", nullptr, 7, "warning: the transmissivity came out as 0"},
      {"no rate", "rate = 788.0", "rate = 0.0", nullptr, 2, "t.toml: no reading follows a change of a pumping rate"},
      {"pumping after every reading", "rate = 788.0", "schedule = [[0.0, 0.0], [1e5, 788.0]]", nullptr, 2,
       "t.toml: no reading follows a change of a pumping rate"},
      {"heads falling below 0", "", "", [](double d) { return -d; }, 2,
       "t.toml: every reading is 0 or below, but the wells pump: drawdown is positive downward"},
      {"depths to water", "", "", [](double d) { return 12.0 + d; }, 7,
       "warning: the storage is poorly determined"},
  };
  const std::string test = source_file("examples/fit/oude-korendijk.toml");
  for (const Nonsense& c : cases) {
    ScratchFolder folder;
    for (const char* name : {"piezometer_30m.csv", "piezometer_90m.csv"}) {
      const std::string csv = source_file(std::string("examples/fit/") + name);
      folder.write(name, c.reading != nullptr ? readings_as(csv, c.reading) : csv);
    }
    folder.write("t.toml", c.from.empty() ? test : replaced(test, c.from, c.to));
    const RunResult r = run_program(folder, "", {"--fit", "t.toml"});
    EXPECT_EQ(r.status, c.status) << c.name << "\n" << r.err;
    EXPECT_EQ(r.err.rfind(std::string("leaky-drawdown: ") + c.message, 0), 0u) << c.name << "\n" << r.err;
    only_own_lines(r.err, c.name);
    if (c.status == 2) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.name;
      EXPECT_FALSE(folder.exists("fit")) << c.name;
    } else {
      EXPECT_EQ(folder.read("fit/aquifer.toml").rfind("# NOT DETERMINED:", 0), 0u) << c.name;
    }
  }
}

TEST(FitRun, AnObservationFileOutsideTheTestFilesFolderIsRefused) {
  ScratchFolder folder;
  const std::string csv = source_file("examples/fit/piezometer_30m.csv");
  folder.write("outside.csv", csv);
  folder.write("p90.csv", csv);
  std::filesystem::create_directory(folder.path() + "/test");
  folder.write("test/p90.csv", csv);
  std::filesystem::create_symlink("../outside.csv", folder.path() + "/test/link.csv");
  const std::string test = replaced(source_file("examples/fit/oude-korendijk.toml"), "piezometer_90m.csv", "p90.csv");
  for (const std::string& file : std::vector<std::string>{"../outside.csv", folder.path() + "/outside.csv", "link.csv"}) {
    folder.write("test/t.toml", replaced(test, "piezometer_30m.csv", file));
    const RunResult r = run_program(folder, "", {"--fit", "test/t.toml"});
    EXPECT_EQ(r.status, 2) << file;
    EXPECT_EQ(r.err, "leaky-drawdown: test/t.toml: cannot read the observation file '" +
                         (file[0] == '/' ? file : "test/" + file) + "': it lies outside the test file's folder\n")
        << file;
    EXPECT_FALSE(folder.exists("test/fit")) << file;
  }
}

TEST(FitRun, AnOutputThatWouldReplaceAnInputOrAnotherOutputIsRefusedAndNothingWritten) {
  struct Case {
    const char* test_name;                 // the test file's name
    const char* p30;                       // the 30 m piezometer's file
    std::vector<std::pair<std::string, std::string>> edits;  // of the example's test file
    const char* message;
  };
  const Case cases[] = {
      {"aquifer.toml", "piezometer_30m.csv", {{"folder = \"fit\"", "folder = \".\""}},
       "aquifer.toml: the fitted aquifer file 'aquifer.toml' would replace the input file 'aquifer.toml'"},
      {"t.toml", "residuals.csv", {{"[output]", "[output]\nresidual_plot = \"\""}, {"folder = \"fit\"", ""}},
       "t.toml: the residuals file 'residuals.csv' would replace the input file 'residuals.csv'"},
      {"t.toml", "fit/type_curves.png", {},  // readings in a file of a picture's name
       "t.toml: the type curves 'fit/type_curves.png' would replace the input file 'fit/type_curves.png'"},
      {"t.toml", "piezometer_30m.csv",
       {{"[output]", "[output]\ntype_curves = \"one.png\"\nresidual_plot = \"one.png\""}},
       "t.toml: the residual plot and the type curves are the same file 'fit/one.png'"},
  };
  const std::string example = source_file("examples/fit/oude-korendijk.toml");
  const std::string p30 = source_file("examples/fit/piezometer_30m.csv");
  for (const Case& c : cases) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder.path() + "/fit");
    folder.write(c.p30, p30);
    folder.write("piezometer_90m.csv", source_file("examples/fit/piezometer_90m.csv"));
    std::string test = replaced(example, "piezometer_30m.csv", c.p30);
    for (const auto& [from, to] : c.edits) test = replaced(test, from, to);
    folder.write(c.test_name, test);
    const RunResult r = run_program(folder, "", {"--fit", c.test_name});
    EXPECT_EQ(r.status, 2) << c.message << "\n" << r.err;
    EXPECT_EQ(r.err, std::string("leaky-drawdown: ") + c.message + "\n");
    EXPECT_EQ(r.out, "") << c.message;
    EXPECT_EQ(folder.read(c.test_name), test) << c.message;
    EXPECT_EQ(folder.read(c.p30), p30) << c.message;
    EXPECT_FALSE(folder.exists("fit/aquifer.toml")) << c.message;
  }
}

TEST(FitRun, ABadTestFileIsRefusedWithOneLineAndNothingWritten) {
  ScratchFolder folder;
  folder.write("t.toml", "title = \"t\"\n[[well]]\nname = \"PW\"\nx = 0\ny = 0\nrate = 1\n[output]\nfolder = \"o\"\n");
  const RunResult r = run_program(folder, "", {"--fit", "t.toml"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err, "leaky-drawdown: t.toml: the test has no observations: give [[observation]] tables\n");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(folder.exists("o"));
  const RunResult options = run_program(folder, "", {"--fit", "t.toml", "--grid", "g.asc"});
  EXPECT_EQ(options.status, 2);
  EXPECT_NE(options.err.find("--fit takes no INPUT REPORT and no other option of a run"), std::string::npos)
      << options.err;
}

}  // namespace
