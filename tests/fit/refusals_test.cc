// The tests refused before any fit: a model that is 0 at every reading, and
// readings whose sign says they are levels or rises rather than drawdowns.
#include "fit/refusals.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const char* name;
  std::vector<fit::Step> schedule;  // of the one well
  std::vector<double> days, drawdowns;
  const char* refusal;  // the start of the message after "t.toml: ", "" for none
};

const Case kCases[] = {
    {"pumping", {{0.0, 1000.0}}, {0.1, 1.0}, {0.5, 1.0}, ""},
    {"no rate", {{0.0, 0.0}}, {0.1, 1.0}, {0.5, 1.0}, "no reading follows a change of a pumping rate"},
    {"pumping starts after every reading", {{0.0, 0.0}, {2.0, 1000.0}}, {0.1, 1.0}, {0.5, 1.0},
     "no reading follows a change of a pumping rate"},
    {"pumping starts at the last reading", {{1.0, 1000.0}}, {0.1, 1.0}, {0.5, 1.0},
     "no reading follows a change of a pumping rate"},
    {"pumping starts before the last reading", {{0.5, 1000.0}}, {0.1, 1.0}, {0.0, 1.0}, ""},
    {"recovery after pumping", {{0.0, 1000.0}, {0.5, 0.0}}, {1.0, 2.0}, {0.5, 0.2}, ""},
    {"depths below 0", {{0.0, 1000.0}}, {0.1, 1.0}, {-3.0, -3.5}, "every reading is 0 or below, but the wells pump"},
    {"all zero", {{0.0, 1000.0}}, {0.1, 1.0}, {0.0, 0.0}, "every reading is 0 or below, but the wells pump"},
    {"one reading above 0", {{0.0, 1000.0}}, {0.1, 1.0}, {0.0, 0.1}, ""},
    {"injection, rises below 0", {{0.0, -1000.0}}, {0.1, 1.0}, {-0.5, -1.0}, ""},
    {"injection, readings above 0", {{0.0, -1000.0}}, {0.1, 1.0}, {0.5, 1.0},
     "every reading is 0 or above, but the wells inject"},
    {"pumping then injection", {{0.0, 1000.0}, {0.5, -1000.0}}, {0.1, 1.0}, {-0.5, -1.0}, ""},
};

TEST(Refusal, ModelsZeroAtEveryReadingAndReadingsOfTheWrongSign) {
  for (const Case& c : kCases) {
    fit::PumpingTest t;
    t.file = "t.toml";
    t.wells = {{"PW", 0.0, 0.0, c.schedule}};
    fit::Observation o;
    o.x = 50.0;
    for (std::size_t i = 0; i < c.days.size(); ++i) o.readings.push_back({c.days[i], c.drawdowns[i], i + 2, 0, 0});
    t.observations.push_back(o);
    const std::string why = fit::refusal(t);
    if (std::string(c.refusal).empty()) {
      EXPECT_EQ(why, "") << c.name;
    } else {
      EXPECT_EQ(why.rfind(std::string("t.toml: ") + c.refusal, 0), 0u) << c.name << ": " << why;
      EXPECT_EQ(why.find('\n'), std::string::npos) << c.name;
    }
  }
}

}  // namespace
