// The wells as the run reads them: three working values kept from one well to
// the next, so that a null answer keeps the value it had.
#include "grid/answers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "recio/units.h"

namespace {

using engine::Well;

// Reads NWELL and the wells from an input file holding `text`, in a folder of
// its own, and returns the dialogue's table and answers.
struct WellsRead {
  grid::Input in;
  std::vector<grid::Answer> answers;
  explicit WellsRead(const std::string& text) {
    char folder[] = "/tmp/grid-test-XXXXXX";
    if (::mkdtemp(folder) == nullptr) throw std::runtime_error("mkdtemp");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    std::ofstream("in.dat", std::ios::binary) << text;
    recio::reset_units();
    recio::open_unit(recio::kInputUnit, "in.dat", true);
    in.NX = 40;
    in.NY = 30;
    {
      grid::Dialogue dialogue(false, false);
      grid::read_wells(dialogue, in);
      answers = dialogue.answers();
    }
    recio::reset_units();
    std::filesystem::current_path(before);
    std::filesystem::remove_all(folder);
  }
};

struct NullAnswers {
  const char* name;
  std::string text;             // NWELL, then x, y and q of each well, one per line
  std::vector<Well> table;      // slots 1 .. NWELL as an independent reading gives them
  std::size_t evaluated;        // wells the run evaluates
};

// Each expected slot is reasoned answer by answer: a null value (",", "/",
// "r*" before a separator) leaves the working value as the well before left
// it, 0.0 before the first well; "r*c" is the value c.
const NullAnswers kNullAnswers[] = {
    {"NullXAndYKeepThePreviousWells", "3\n10.5\n12\n250000\n,\n18.5\n500000\n30\n, remark\n2*\n",
     {{10.5f, 12.0f, 250000.0f}, {10.5f, 18.5f, 500000.0f}, {30.0f, 18.5f, 500000.0f}}, 3},
    {"NullsBeforeTheFirstWellAreZero", "2\n,\n1*\n100\n3\n/\n  ,  7\n", {{0.0f, 0.0f, 100.0f}, {3.0f, 0.0f, 100.0f}}, 2},
    {"NullXAfterAZeroXEndsTheList", "3\n0\n1\n5\n,\n2\n6\n4\n4\n4\n",
     {{0.0f, 1.0f, 5.0f}, {0.0f, 2.0f, 6.0f}, {4.0f, 4.0f, 4.0f}}, 1},
    {"RepeatCountWithAValueIsThatValue", "2\n3*7\n2*,9\n5 remark\n-2\n4*-1.5\n, 8\n",
     {{7.0f, 0.0f, 5.0f}, {-2.0f, -1.5f, 5.0f}}, 2},
};

TEST(ReadWells, NullAnswersKeepTheWorkingValues) {
  for (const NullAnswers& c : kNullAnswers) {
    SCOPED_TRACE(c.name);
    const WellsRead r(c.text);
    for (std::size_t k = 0; k < c.table.size(); ++k) {
      const Well& got = r.in.table.at(k + 1);
      EXPECT_EQ(got.x, c.table[k].x) << "well " << k + 1;
      EXPECT_EQ(got.y, c.table[k].y) << "well " << k + 1;
      EXPECT_EQ(got.q, c.table[k].q) << "well " << k + 1;
    }
    const Well& marker = r.in.table.at(c.table.size() + 1);
    EXPECT_TRUE(marker.x == 0.0f && marker.y == 0.0f && marker.q == 0.0f) << "the end marker";
    EXPECT_EQ(grid::wells_evaluated(r.in.table).size(), c.evaluated);
  }
}

TEST(ReadWells, EachAnswerIsRecordedWithItsLineAndText) {
  const WellsRead r("2\n\n10.5  x\n1*\n2e5\n  ,\n3*4\n-0\n");
  const std::vector<std::vector<std::string>> expected = {
      {"NWELL", "1", "2", "2"},  {"X(1)", "3", "10.5", "10.5"}, {"Y(1)", "4", "1*", "0"}, {"Q(1)", "5", "2e5", "200000"},
      {"X(2)", "6", ",", "10.5"}, {"Y(2)", "7", "3*4", "4"},     {"Q(2)", "8", "-0", "-0"},
  };
  ASSERT_EQ(r.answers.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const grid::Answer& a = r.answers[i];
    EXPECT_EQ((std::vector<std::string>{a.name, std::to_string(a.line), a.written, a.taken}), expected[i]);
  }
}

}  // namespace
