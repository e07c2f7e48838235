// The pumping-test file: units converted to the program's, schedules,
// observation files with or without a header, and every refusal one line
// naming the file and line.
#include "fit/leaky_model.h"
#include "fit/reader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

namespace {

const std::string kTest = R"(title = "a test"
units = { length = "m", time = "min", rate = "m3/d" }
[[well]]
name = "PW"
x = 10.0
y = 20.0
schedule = [[0.0, 788.0], [840.0, 0.0]]
[[observation]]
name = "P30"
x = 40.0
y = 20.0
file = "p30.csv"
[fit]
parameters = ["transmissivity", "storage"]
[aquifer]
transmissivity = 30000.0
leakance = 0.0
[output]
folder = "out"
type_curves = "curves.svg"
)";

const std::map<std::string, std::string> kFiles = {{"t/p30.csv", "time_min,drawdown_m\n0,0\n0.5,0.13\n60,0.9\n1440,1.5\n"}};

fit::PumpingTest read(const std::string& text, const std::map<std::string, std::string>& files = kFiles) {
  const inputs::ReadFile read_file = [&](const std::string& path, std::string& why) -> std::optional<std::string> {
    const auto it = files.find(path);
    if (it == files.end()) {
      why = "No such file or directory";
      return std::nullopt;
    }
    return it->second;
  };
  return fit::read_test(text, "t/test.toml", read_file);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(TestFile, ValuesAreTakenInTheProgramsUnits) {
  const fit::PumpingTest t = read(kTest);
  ASSERT_EQ(t.wells.size(), 1u);
  EXPECT_DOUBLE_EQ(t.wells[0].x, 10.0 / 0.3048);
  ASSERT_EQ(t.wells[0].steps.size(), 2u);
  EXPECT_DOUBLE_EQ(t.wells[0].steps[0].rate, 788.0 * 264.17205235814845) << "m3/d in US gallons per day";
  EXPECT_DOUBLE_EQ(t.wells[0].steps[1].day, 840.0 / 1440.0);
  ASSERT_EQ(t.observations.size(), 1u);
  const fit::Observation& o = t.observations[0];
  EXPECT_EQ(o.file, "t/p30.csv");
  ASSERT_EQ(o.readings.size(), 3u) << "the header and the reading at time 0 are passed over";
  EXPECT_DOUBLE_EQ(o.readings[2].day, 1.0);
  EXPECT_DOUBLE_EQ(o.readings[2].drawdown, 1.5 / 0.3048);
  EXPECT_EQ(o.readings[2].line, 5u);
  EXPECT_EQ(t.fit.fitted, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(t.fit.start[fit::kTransmissivity], 30000.0) << "a fitted parameter's value is where the fit starts";
  EXPECT_EQ(t.fit.fixed[fit::kLeakance], 0.0);
  EXPECT_EQ(t.output.folder, "t/out");
  EXPECT_EQ(t.output.type_curves, "curves.svg");
  EXPECT_EQ(t.output.residual_plot, "residuals.png");
  EXPECT_EQ(t.inputs, (std::vector<std::string>{"t/test.toml", "t/p30.csv"}));
}

TEST(TestFile, EachMistakeIsRefusedOnOneLineNamingWhere) {
  struct Case {
    std::string from, to;
    std::map<std::string, std::string> files;
    std::string message;
  };
  const Case cases[] = {
      {"\"m3/d\"", "\"m3/h\"", kFiles, "t/test.toml:2: the rate unit must be \"gpd\", \"gpm\", \"m3/d\" or \"L/s\", not 'm3/h'"},
      {"x = 10.0", "x = \"ten\"", kFiles, "t/test.toml:5: 'x' must be a number, not a string"},
      {"[[0.0, 788.0], [840.0, 0.0]]", "[[0.0, 788.0], [0.0, 0.0]]", kFiles,
       "t/test.toml:7: the start times of 'schedule' must be 0 or more and increase"},
      {"schedule = [[0.0, 788.0], [840.0, 0.0]]", "rate = 1.0\nschedule = [[0.0, 788.0]]", kFiles,
       "t/test.toml:3: [[well]] 'PW' must have either 'rate' or 'schedule'"},
      {"file = \"p30.csv\"", "file = \"p31.csv\"", kFiles,
       "t/test.toml: cannot read the observation file 't/p31.csv': No such file or directory"},
      {"", "", {{"t/p30.csv", "1,0.1\n0.5,0.2\n"}}, "t/p30.csv:2: the times must increase: 0.5 follows 1"},
      {"", "", {{"t/p30.csv", "1,0.1,7\n"}}, "t/p30.csv:1: a row of 3 fields; the rows are time,drawdown"},
      {"", "", {{"t/p30.csv", "-1,0.1\n"}}, "t/p30.csv:1: the time must be after pumping began (above 0), not -1"},
      {"", "", {{"t/p30.csv", "time,drawdown\n"}}, "t/p30.csv: the observation file holds no readings"},
      // Values that are finite as given, but not in feet, days and gallons per day.
      {"x = 10.0", "x = 1e308", kFiles, "t/test.toml:5: 'x' is too large: 1e+308 is beyond the program's range"},
      {"[840.0, 0.0]]", "[840.0, 1e306]]", kFiles,
       "t/test.toml:7: 'rate' is too large: 1e+306 is beyond the program's range"},
      {"", "", {{"t/p30.csv", "1,1e308\n2,0.2\n3,0.3\n"}},
       "t/p30.csv:1: the time and the drawdown must lie within the program's range, not 1 and 1e+308"},
      {"", "", {{"t/p30.csv", "1e-322,0.1\n2,0.2\n3,0.3\n"}},
       "t/p30.csv:1: the time and the drawdown must lie within the program's range, not 1e-322 and 0.1"},
      {"\"storage\"]", "\"storage\", \"porosity\"]", kFiles,
       "t/test.toml:14: 'parameters' holds 'porosity'; they are \"transmissivity\", \"storage\" and \"leakance\""},
      {"[\"transmissivity\", \"storage\"]", "[\"transmissivity\"]", kFiles,
       "t/test.toml:15: the storage is not fitted, so [aquifer] must give its value"},
      {"", "", {{"t/p30.csv", "1,0.1\n2,0.2\n"}}, "t/test.toml: the observations hold 2 readings, too few to fit 2 parameters"},
      {"folder = \"out\"", "folder = \"../out\"", kFiles,
       "t/test.toml:19: 'folder' must be a folder below the test file's, without '..', not '../out'"},
      {"type_curves = \"curves.svg\"", "type_curves = \"curves.gif\"", kFiles,
       "t/test.toml:20: 'type_curves' must name a .png, .svg or .pdf file in the output folder (or be \"\"), not "
       "'curves.gif'"},
      {"[fit]", "[fitting]", kFiles, "t/test.toml:13: unknown key 'fitting' at the top of the file; did you mean 'fit'?"},
      {"name = \"P30\"", "name = \"PW\"\nname2 = 1", kFiles,
       "t/test.toml:10: unknown key 'name2' in an [[observation]] table; did you mean 'name'?"},
  };
  for (const Case& c : cases) {
    const std::string text = c.from.empty() ? kTest : replaced(kTest, c.from, c.to);
    try {
      read(text, c.files);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const fit::TestFileError& e) {
      EXPECT_EQ(e.message, c.message);
    }
  }
}

}  // namespace
