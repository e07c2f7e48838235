// A fit's aquifer.toml in a study: read by [aquifer] from = "...", its
// values converted by hand-worked factors, an undetermined fit refused, and
// a [fit] table pasted into the study noted and not read.
#include <gtest/gtest.h>

#include <string>

#include "study/reader.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using study_testing::read_text;

constexpr double kGallonM3 = 231.0 * 0.0254 * 0.0254 * 0.0254;
constexpr double kFootM = 0.3048;

// As --fit writes it (examples/fit).
const std::string kFitFile = R"(# Fitted to the pumping test 'Oude Korendijk pumping test' (fit/oude-korendijk.toml).
# Paste the [aquifer] table into a study; units gpd/ft, gpd/ft^3.
[aquifer]
transmissivity = 37249.71682135127   # standard error 923
leakance = 0.0   # held, not fitted
storage = 0.000177866444080732   # standard error 1.67e-05

[fit]
rmse = 0.1642397789915563   # feet
standard_error = { transmissivity = 923.148319439851, storage = 1.6697126751537397e-05 }
observations = 69)";

const std::string kAquifer = "[aquifer]\ntransmissivity = 50000.0\nleakance = 0.001\nstorage = 0.0002\n";

std::string from(const std::string& name, const std::string& top = "") {
  return top + edited(kSmallStudy, kAquifer, "[aquifer]\nfrom = \"" + name + "\"\n");
}

TEST(AquiferFrom, AFitsFileGivesTheAquifer) {
  const struct {
    const char* what;
    std::string top, file;
    double transmissivity, leakance, storage;  // the engine's, worked out by hand
  } cases[] = {
      {"as --fit writes it", "", kFitFile, 37249.71682135127, 0.0, 0.000177866444080732},
      {"in a study in metres: T by the metre", "units = { length = \"m\" }\n", kFitFile,
       37249.71682135127 * kFootM * kFootM, 0.0, 0.000177866444080732},
      {"in the test's units, m and min", "",
       "units = { length = \"m\", time = \"min\", rate = \"m3/d\" }\n[aquifer]\ntransmissivity = 0.31\n"
       "leakance = 0.0002\nstorage = 0.0001\n",
       0.31 * 1440.0 / kGallonM3 * kFootM, 0.0002 * 1440.0 * 12 * 12 * 12 / 231.0, 0.0001},
      {"in named units", "",
       "units = { transmissivity = \"ft2/d\", leakance = \"1/d\" }\n[aquifer]\ntransmissivity = 5000.0\n"
       "leakance = 0.01\nstorage = 0.0001\n",
       5000.0 * 1728.0 / 231.0, 0.01 * 1728.0 / 231.0, 0.0001},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    study::Study s;
    try {
      s = read_text(from("fit/aquifer.toml", c.top), {{"fit/aquifer.toml", c.file}});
    } catch (const study::StudyError& e) {
      ADD_FAILURE() << e.message;
      continue;
    }
    EXPECT_NEAR(s.aquifer.transmissivity, c.transmissivity, 1e-12 * c.transmissivity);
    EXPECT_NEAR(s.aquifer.leakance, c.leakance, 1e-12 * c.leakance);
    EXPECT_EQ(s.aquifer.storage, c.storage);
    EXPECT_EQ(s.inputs.back(), "fit/aquifer.toml") << "an input of the study, in its manifest";
  }
}

TEST(AquiferFrom, Refusals) {
  const struct {
    const char* what;
    std::string study, file, message;
  } cases[] = {
      {"an undetermined fit", from("fit/aquifer.toml"),
       "# The fit is not determined: the readings do not tell the storage from the leakance.\n" + kFitFile,
       "study.toml:5: the fit in 'fit/aquifer.toml' is not determined ('The fit is not determined: the readings"},
      {"from and a value", edited(from("fit/aquifer.toml"), "from = ", "storage = 0.1\nfrom = "), kFitFile,
       "study.toml:5: [aquifer] takes 'from' or the aquifer's values, not both: 'storage' is also given"},
      {"outside the study's folder", from("../aquifer.toml"), kFitFile,
       "study.toml:5: 'from' must lie inside the study file's folder"},
      {"a file that is not there", from("fit/other.toml"), kFitFile,
       "study.toml:5: cannot read the aquifer file 'fit/other.toml' ('from'): No such file or directory"},
      {"no [aquifer] in it", from("fit/aquifer.toml"), "[fit]\nrmse = 1.0\n", "fit/aquifer.toml: "},
      {"a negative transmissivity", from("fit/aquifer.toml"),
       "[aquifer]\ntransmissivity = -5.0\nleakance = 0.0\nstorage = 0.1\n",
       "fit/aquifer.toml: 'transmissivity' -5 cannot be a study's transmissivity (above 0"},
      {"an unknown unit", from("fit/aquifer.toml"), "units = { time = \"s\" }\n" + kFitFile,
       "fit/aquifer.toml:1: the time unit must be \"min\", \"h\" or \"d\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      read_text(c.study, {{"fit/aquifer.toml", c.file}});
      ADD_FAILURE() << "accepted";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
      EXPECT_EQ(e.message.find('\n'), std::string::npos) << "one line";
    }
  }
}

TEST(AquiferFrom, APastedFitTableIsNotedNotRead) {
  // The whole aquifer.toml pasted in place of [aquifer].
  const study::Study s = read_text(edited(kSmallStudy, kAquifer, kFitFile + "\n\n"));
  EXPECT_EQ(s.aquifer.transmissivity, 37249.71682135127);
  ASSERT_EQ(s.notes.size(), 1u);
  EXPECT_EQ(s.notes[0], "study.toml:11: the [fit] table records how a fit was made; a study does not read it");
  EXPECT_TRUE(read_text(kSmallStudy).notes.empty()) << "a study without one has no note";
}

TEST(StudyUnitsTable, ValuesAndRefusals) {
  const study::Study s = read_text(
      "units = { length = \"m\", rate = \"L/s\", transmissivity = \"m2/d\", leakance = \"1/d\" }\n" + kSmallStudy);
  EXPECT_EQ(s.units.length.name, "m");
  EXPECT_EQ(s.units.rate.name, "L/s");
  // 250000 L/s: 250000 * 86.4 m³/d, in the engine's gallons of a metre's cube.
  EXPECT_NEAR(s.wells[0].steps[0].rate, 250000.0 * 86.4 * 1728.0 / 231.0, 1e-9 * 250000.0 * 86.4 * 7.48);
  const struct {
    std::string top, message;
  } cases[] = {
      {"units = { length = \"km\" }\n", "study.toml:1: the length unit must be \"ft\" or \"m\", not 'km'"},
      {"units = { rate = \"gal/min\" }\n", "the rate unit must be \"gpd\", \"gpm\", \"cfs\", \"m3/d\" or \"L/s\""},
      {"units = { time = \"min\" }\n", "study.toml:1: unknown key 'time'"},
      {"units = \"m\"\n", "study.toml:1: 'units' must be a table"},
  };
  for (const auto& c : cases) {
    try {
      read_text(c.top + kSmallStudy);
      ADD_FAILURE() << "accepted: " << c.top;
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.message), std::string::npos) << e.message;
    }
  }
  // A grid spaced in metres is whole metres.
  try {
    read_text("units = { length = \"m\" }\n" + edited(kSmallStudy, "spacing = 100", "spacing = 30.5"));
    ADD_FAILURE() << "accepted";
  } catch (const study::StudyError& e) {
    EXPECT_NE(e.message.find("'spacing' must be a whole number"), std::string::npos) << e.message;
  }
}

}  // namespace
