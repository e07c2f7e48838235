// --fit end to end: the example test file's table, files and warning; a bad
// test file refused with one line and nothing written.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "program_run.h"

namespace {

using testing_support::source_file;
using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

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
  EXPECT_NE(aquifer.find("\n[aquifer]\ntransmissivity = 372"), std::string::npos) << aquifer;
  EXPECT_NE(aquifer.find("\nleakance = 0.0   # held, not fitted\n"), std::string::npos) << aquifer;
  EXPECT_NE(aquifer.find("\nobservations = 69\n"), std::string::npos) << aquifer;
  const std::string residuals = folder.read("fit/residuals.csv");
  EXPECT_EQ(residuals.rfind("observation,time,observed,fitted,residual\nP30,0.1,0.04,", 0), 0u) << residuals;
  EXPECT_EQ(std::count(residuals.begin(), residuals.end(), '\n'), 70);
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
