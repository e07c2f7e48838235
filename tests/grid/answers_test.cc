// The wells as the run reads them: three working values kept from one well to
// the next, so that a null answer keeps the value it had.
#include "grid/answers.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "recio/units.h"

namespace {

using engine::Well;

// NWELL and the wells read from an input file holding `text`.
grid::Input wells_read(const std::string& text) {
  char folder[] = "/tmp/grid-test-XXXXXX";
  EXPECT_NE(::mkdtemp(folder), nullptr);
  const std::string in_dat = std::string(folder) + "/in.dat";
  std::ofstream(in_dat, std::ios::binary) << text;
  recio::reset_units();
  recio::open_unit(recio::kInputUnit, in_dat, true);
  grid::Input in;
  in.NX = 40;
  in.NY = 30;
  grid::Dialogue dialogue(false, false);
  grid::read_wells(dialogue, in);
  recio::reset_units();
  std::filesystem::remove_all(folder);
  return in;
}

// Each slot as an independent list-directed reading gives it, answer by
// answer: a null value (",", "/", "r*" before a separator) leaves the working
// value as the well before left it, 0.0 before the first well; "r*c" is c.
TEST(ReadWells, NullAnswersKeepTheWorkingValues) {
  struct Case {
    const char* name;
    std::string text;  // NWELL, then x, y and q of each well, one per line
    std::vector<Well> table;
    std::size_t evaluated;
  };
  const Case cases[] = {
      {"NullXAndYKeepThePreviousWells", "3\n10.5\n12\n250000\n,\n18.5\n500000\n30\n, remark\n2*\n",
       {{10.5f, 12.0f, 250000.0f}, {10.5f, 18.5f, 500000.0f}, {30.0f, 18.5f, 500000.0f}}, 3},
      {"NullsBeforeTheFirstWellAreZero", "2\n,\n1*\n100\n3\n/\n  ,  7\n", {{0.0f, 0.0f, 100.0f}, {3.0f, 0.0f, 100.0f}},
       2},
      {"NullXAfterAZeroXEndsTheList", "3\n0\n1\n5\n,\n2\n6\n4\n4\n4\n",
       {{0.0f, 1.0f, 5.0f}, {0.0f, 2.0f, 6.0f}, {4.0f, 4.0f, 4.0f}}, 1},
      {"RepeatCountWithAValueIsThatValue", "2\n3*7\n2*,9\n5 remark\n-2\n4*-1.5\n, 8\n",
       {{7.0f, 0.0f, 5.0f}, {-2.0f, -1.5f, 5.0f}}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const grid::Input in = wells_read(c.text);
    for (std::size_t k = 1; k <= c.table.size() + 1; ++k) {
      const Well want = k <= c.table.size() ? c.table[k - 1] : Well{};  // then the end marker
      EXPECT_TRUE(in.table.at(k).x == want.x && in.table.at(k).y == want.y && in.table.at(k).q == want.q)
          << "slot " << k << ": " << in.table.at(k).x << " " << in.table.at(k).y << " " << in.table.at(k).q;
    }
    EXPECT_EQ(grid::wells_evaluated(in.table).size(), c.evaluated);
  }
}

}  // namespace
