// A pumping test's observation files under the rules of every CSV input: the
// header's columns by name in either order, their units the test's, the
// delimiter from the first line, a decimal comma refused naming the line.
#include "fit/reader.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace {

// Lengths in metres and times in minutes; one observation file, p.csv.
const std::string kTest = R"(units = { length = "m", time = "min", rate = "m3/d" }
[[well]]
name = "PW"
x = 0.0
y = 0.0
rate = 788.0
[[observation]]
name = "P"
x = 30.0
y = 0.0
file = "p.csv"
[fit]
parameters = ["transmissivity", "storage"]
[aquifer]
transmissivity = 30000.0
leakance = 0.0
storage = 0.0001
)";

fit::PumpingTest read(const std::string& observations) {
  const inputs::ReadFile read_file = [&](const std::string& path, std::string& why) -> std::optional<std::string> {
    if (path == "t/p.csv") return observations;
    why = "No such file or directory";
    return std::nullopt;
  };
  return fit::read_test(kTest, "t/test.toml", read_file);
}

TEST(ObservationFile, HeadersDelimitersAndUnits) {
  const struct {
    const char* what;
    std::string file;
    double minutes, metres;  // the second reading, as given
  } cases[] = {
      {"no header", "0.5,0.13\n60,0.9\n1440,1.5\n", 60, 0.9},
      {"names with the test's units", "time_min,drawdown_m\n0.5,0.13\n60,0.9\n1440,1.5\n", 60, 0.9},
      {"the columns the other way round", "Drawdown (m),Time (min)\n0.13,0.5\n0.9,60\n1.5,1440\n", 60, 0.9},
      {"semicolons", "t;s\n0.5;0.13\n60;0.9\n1440;1.5\n", 60, 0.9},
      {"tabs", "time\tdrawdown\n0.5\t0.13\n60\t0.9\n1440\t1.5\n", 60, 0.9},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      const fit::PumpingTest t = read(c.file);
      ASSERT_EQ(t.observations[0].readings.size(), 3u);
      EXPECT_DOUBLE_EQ(t.observations[0].readings[1].day, c.minutes / 1440.0);
      EXPECT_DOUBLE_EQ(t.observations[0].readings[1].drawdown, c.metres / 0.3048);
    } catch (const fit::TestFileError& e) {
      ADD_FAILURE() << e.message;
    }
  }
}

TEST(ObservationFile, RefusalsNameTheFileAndLine) {
  const struct {
    const char* what;
    std::string file, message;
  } cases[] = {
      {"hours in a test in minutes", "time_h,drawdown_m\n0.5,0.13\n",
       "t/p.csv:1: the column 'time_h' is in h, and the test's times are in min"},
      {"feet in a test in metres", "time,drawdown (ft)\n0.5,0.13\n",
       "t/p.csv:1: the column 'drawdown (ft)' is in ft, and the test's lengths are in m"},
      {"names no one could guess", "Zeit,Absenkung\n0.5,0.13\n", "t/p.csv:1: the header has no time column (time or t)"},
      {"a decimal comma", "time;drawdown\n0,5;0,13\n",
       "t/p.csv:2: the time '0,5' has a decimal comma; write numbers with a decimal point"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      read(c.file);
      ADD_FAILURE() << "accepted";
    } catch (const fit::TestFileError& e) {
      EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
    }
  }
}

}  // namespace
