// The partial file: every number reads back to its bits; broken files and
// slices that do not make an ensemble are refused with the line at fault.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "uncertainty/partial_file.h"

namespace {

using uncertainty::Outcome;
using uncertainty::Part;
using uncertainty::PartError;

Part a_part(std::size_t from, std::size_t to) {
  Part p;
  p.study = "abc123";
  p.seed = 18446744073709551615ULL;
  p.realizations = 10;
  p.from = from, p.to = to;
  p.shape = {2, 2, 2};
  for (std::size_t i = from; i < to; ++i) {
    Outcome o;
    o.index = i;
    o.aquifer.transmissivity = std::nextafter(50000.0, 1e9) + static_cast<double>(i);
    o.aquifer.storage = 1.0 / 3.0;
    o.aquifer.leakance = i == 0 ? 0.0 : 4.9e-324;  // none, and the least subnormal
    o.rate_factor = i == 1 ? std::numeric_limits<double>::infinity() : 0.1 * static_cast<double>(i + 1);
    o.exceeded = {static_cast<std::uint8_t>(i % 2), 1};
    o.series = {0.1f, std::numeric_limits<float>::denorm_min(), -3.25e-7f, 123456.789f};
    p.outcomes.push_back(o);
  }
  return p;
}

TEST(PartialFile, EveryNumberReadsBackToItsBits) {
  const Part p = a_part(0, 4);
  const Part back = uncertainty::read_part(uncertainty::part_text(p));
  EXPECT_EQ(back.study, p.study);
  EXPECT_EQ(back.seed, p.seed);
  EXPECT_EQ(back.realizations, p.realizations);
  EXPECT_EQ(back.from, 0u);
  EXPECT_EQ(back.to, 4u);
  EXPECT_TRUE(back.shape == p.shape);
  ASSERT_EQ(back.outcomes.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    const Outcome &a = p.outcomes[i], &b = back.outcomes[i];
    EXPECT_EQ(a.index, b.index);
    EXPECT_EQ(a.aquifer.transmissivity, b.aquifer.transmissivity);
    EXPECT_EQ(a.aquifer.storage, b.aquifer.storage);
    EXPECT_EQ(a.aquifer.leakance, b.aquifer.leakance);
    EXPECT_EQ(a.rate_factor, b.rate_factor);
    EXPECT_EQ(a.exceeded, b.exceeded);
    EXPECT_EQ(a.series, b.series);
  }
  EXPECT_EQ(uncertainty::part_text(back), uncertainty::part_text(p));
}

TEST(PartialFile, BrokenFilesAreRefusedAtTheirLine) {
  const std::string good = uncertainty::part_text(a_part(2, 4));
  struct Case {
    std::string from, to;
    std::size_t line;
  };
  const Case cases[] = {
      {"leaky-drawdown realizations 1", "leaky-drawdown realizations 2", 1},
      {"seed 18446744073709551615", "seed 18446744073709551616", 3},  // beyond 64 bits
      {"slice 2 4", "slice 4 2", 5},
      {"slice 2 4", "slice 2 11", 5},
      {"shape 2 2 2", "shape 2 2 3", 7},  // a realization's line then has too few words
      {"\n2 ", "\n3 ", 7},                // out of order
      {" 11 ", " 12 ", 8},                // a flag that is not 0 or 1
      {" 11 ", " 1 ", 8},                 // too few flags
      {"1.99999ap-4", "1.99999ap-4x", 7},
      {"p+15", "p+1500", 7},              // beyond double's range: not a number read
      {"end\n", "end\nmore\n", 10},
      {"end\n", "", 9},
      {"end\n", "end", 9},
      {"shape 2 2 2", "shape  2 2 2", 6},
  };
  for (const Case& c : cases) {
    std::string text = good;
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos) << c.from;
    text.replace(at, c.from.size(), c.to);
    try {
      uncertainty::read_part(text);
      ADD_FAILURE() << "accepted: " << c.to;
    } catch (const PartError& e) {
      EXPECT_EQ(e.line, c.line) << c.to << ": " << e.what;
      EXPECT_FALSE(e.what.empty());
    }
  }
}

TEST(PartialFile, SlicesMergeInAnyOrderAndMustCoverTheEnsembleOnce) {
  const std::vector<Outcome> all = uncertainty::merge_parts({a_part(6, 10), a_part(0, 3), a_part(3, 6)});
  ASSERT_EQ(all.size(), 10u);
  for (std::size_t i = 0; i < all.size(); ++i) EXPECT_EQ(all[i].index, i);

  Part other_seed = a_part(3, 10);
  other_seed.seed = 1;
  Part other_study = a_part(3, 10);
  other_study.study = "def";
  struct Case {
    std::vector<Part> parts;
    std::string says;
  };
  const Case cases[] = {
      {{a_part(0, 3), a_part(4, 10)}, "realization 3 is in no partial file"},
      {{a_part(0, 4), a_part(3, 10)}, "realization 3 is in two partial files"},
      {{a_part(0, 3), a_part(3, 9)}, "realization 9 is in no partial file"},
      {{a_part(0, 3), other_seed}, "different seeds"},
      {{a_part(0, 3), other_study}, "different studies"},
      {{}, "no partial files"},
  };
  for (const Case& c : cases) {
    try {
      uncertainty::merge_parts(c.parts);
      ADD_FAILURE() << "merged: " << c.says;
    } catch (const PartError& e) {
      EXPECT_NE(e.what.find(c.says), std::string::npos) << e.what;
    }
  }
}

}  // namespace
