// The bundled example run reproduces its committed outputs byte for byte.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "program_run.h"

namespace {

using namespace testing_support;

std::string example_file(const std::string& name) {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/examples/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(BundledExample, ReproducesItsCommittedReportRasterAndConsoleLog) {
  const std::string input = example_file("wellfield.dat");
  ASSERT_FALSE(input.empty());
  ScratchFolder folder;
  folder.write("wellfield.dat", input);
  const RunResult r = run_program(folder, "wellfield.dat\nwellfield.rpt\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, example_file("expected/console.txt"));
  EXPECT_EQ(folder.read("wellfield.rpt"), example_file("expected/wellfield.rpt"));
  EXPECT_EQ(r.arcfile, example_file("expected/ARCFILE"));
}

}  // namespace
