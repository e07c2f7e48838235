// The bundled example run reproduces its committed outputs byte for byte, and
// maps GDAL only when an output that needs it is asked for.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

using namespace testing_support;

TEST(BundledExample, ReproducesItsCommittedReportRasterAndConsoleLog) {
  const std::string input = source_file("examples/wellfield.dat");
  ASSERT_FALSE(input.empty());
  ScratchFolder folder;
  folder.write("wellfield.dat", input);
  const RunResult r = run_program(folder, "wellfield.dat\nwellfield.rpt\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, source_file("examples/expected/console.txt"));
  EXPECT_EQ(folder.read("wellfield.rpt"), source_file("examples/expected/wellfield.rpt"));
  EXPECT_EQ(r.arcfile, source_file("examples/expected/ARCFILE"));
}

// The libraries the dynamic loader opened for the commands run while alive
// (LD_DEBUG=files, written to files of its own rather than standard error).
class LoadedLibraries {
 public:
  LoadedLibraries() {
    ::setenv("LD_DEBUG", "files", 1);
    ::setenv("LD_DEBUG_OUTPUT", (std::filesystem::path(folder_.path()) / "ld").c_str(), 1);
  }
  ~LoadedLibraries() {
    ::unsetenv("LD_DEBUG");
    ::unsetenv("LD_DEBUG_OUTPUT");
  }
  LoadedLibraries(const LoadedLibraries&) = delete;
  LoadedLibraries& operator=(const LoadedLibraries&) = delete;
  /// Everything the loader wrote so far, one file per process.
  std::string log() const {
    std::string all;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
      std::ifstream in(entry.path(), std::ios::binary);
      std::ostringstream s;
      s << in.rdbuf();
      all += s.str();
    }
    return all;
  }

 private:
  ScratchFolder folder_;
};

TEST(BundledExample, MapsGdalOnlyForTheOutputsThatNeedIt) {
  const std::string input = source_file("examples/wellfield.dat");
  ASSERT_FALSE(input.empty());
  struct Case {
    std::vector<std::string> arguments;
    bool gdal;
  };
  const Case cases[] = {
      {{}, false},
      {{"--grid", "dd.asc"}, false},
      {{"--grid", "dd.tif"}, true},
      {{"--grid", "dd.asc", "--crs", "EPSG:2264"}, true},
      {{"--contours", "c.geojson"}, true},
  };
  for (const Case& k : cases) {
    std::string shown;
    for (const std::string& a : k.arguments) shown += a + " ";
    ScratchFolder folder;
    folder.write("wellfield.dat", input);
    std::vector<std::string> arguments = k.arguments;
    arguments.insert(arguments.end(), {"wellfield.dat", "wellfield.rpt"});
    std::string log;
    int status = -1;
    {
      LoadedLibraries loaded;
      status = run_program(folder, "", arguments).status;
      log = loaded.log();
    }
    EXPECT_EQ(status, 0) << shown;
    ASSERT_NE(log.find("file=libc.so"), std::string::npos) << shown << "the loader's log is missing:\n" << log;
    EXPECT_EQ(log.find("leaky-drawdown-gdal.so") != std::string::npos, k.gdal) << shown;
    EXPECT_EQ(log.find("file=libgdal.so") != std::string::npos, k.gdal) << shown;
    EXPECT_EQ(folder.read("wellfield.rpt"), source_file("examples/expected/wellfield.rpt")) << shown;
  }
}

}  // namespace
