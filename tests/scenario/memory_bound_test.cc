// The memory a study's terms take, counted before any list of them is made:
// the counts agree with the lists made, a strip's pairs are never cut short,
// and a strip whose images do not fit is refused with the pairs that would.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scenario/boundaries.h"
#include "scenario/evaluation.h"
#include "scenario/scenario.h"

namespace {

using scenario::Boundary;
using scenario::BoundaryKind;

constexpr double kGiB = 1024.0 * 1024.0 * 1024.0;

scenario::Scenario wells_between(std::vector<Boundary> boundaries, std::vector<double> times, int wells = 1) {
  scenario::Scenario s;
  s.aquifer = scenario::Aquifer{50000.0, 0.0, 0.0002};
  s.grid = scenario::Grid{0.0, 0.0, 10, 40, 40};
  s.times = std::move(times);
  for (int k = 0; k < wells; ++k) {
    std::string name(1, 'W');
    name += std::to_string(k);
    s.wells.push_back(scenario::Well{name, 100.0 + k, 100.5,
                                  {scenario::Step{0.0, 1e5}, scenario::Step{5.0, 2e5}, scenario::Step{20.0, 0.0}}});
  }
  s.boundaries = std::move(boundaries);
  return s;
}

const Boundary kSouth{BoundaryKind::barrier, "south wall", 0.0, 100.0, 1000.0, 100.0};
const Boundary kWest{BoundaryKind::stream, "west creek", 50.0, 0.0, 50.0, 1000.0};
Boundary north(double width) { return Boundary{BoundaryKind::stream, "north bank", 0.0, 100.0 + width, 1.0, 100.0 + width}; }

// The count that sizes the memory check is the length of the list the
// evaluation makes, for every layout of images and every time (before a
// step, on one, after all).
TEST(MemoryBound, TermsAreCountedAsTheyAreMade) {
  const struct {
    const char* what;
    std::vector<Boundary> boundaries;
    int wells;
  } kCases[] = {
      {"no boundary", {}, 3},
      {"one line", {kSouth}, 2},
      {"a quadrant", {kSouth, kWest}, 2},
      {"a strip 300 ft wide", {kSouth, north(300.0)}, 2},
      {"a strip 40 ft wide", {kSouth, north(40.0)}, 1},
  };
  for (const auto& c : kCases) {
    const scenario::Scenario s = wells_between(c.boundaries, {0.0, 3.0, 5.0, 12.5, 400.0}, c.wells);
    double most = 0.0;
    for (double t : s.times) {
      const double made = static_cast<double>(scenario::terms_at(s, t).size());
      EXPECT_EQ(scenario::term_count(s, t), made) << c.what << " at day " << t;
      most = std::max(most, made);
    }
    EXPECT_EQ(scenario::most_terms(s), most) << c.what;
  }
}

// A strip's series is cut where every image left out lies beyond the reach
// of a term: at the pair whose nearest image to the strip is (2N + 1) w
// away. Far beyond any memory, the count is that of the geometry all the
// same (no cap that would quietly leave images out).
TEST(MemoryBound, AStripsPairsAreNeverCutShort) {
  const struct {
    double width, reach;
    double pairs;
  } kCases[] = {
      {1.0, 2.83e7, 14150000.0},   // the 1-ft strip at 100,000 days: beyond the old cap of 10^7
      {1.0, 3.0e9, 1.5e9},
      {0.5, 1.0e13, 1.0e13},
      {1e-300, 1.0, 1e15},           // the most there can be, which no memory holds
  };
  for (const auto& c : kCases) {
    const double pairs = static_cast<double>(scenario::strip_pairs(c.width, c.reach));
    EXPECT_EQ(pairs, c.pairs) << c.width << " " << c.reach;
    EXPECT_GE((2.0 * pairs + 1.0) * c.width, std::min(c.reach, 1e15 * c.width)) << "the first left out is out of reach";
  }
}

// A strip that needs more pairs than the memory holds is refused with one
// line that names it, the pairs needed, the pairs that fit and what needs
// fewer; the pairs that fit do fit, and one more does not.
TEST(MemoryBound, AStripThatDoesNotFitIsRefusedWithThePairsThatWould) {
  const struct {
    double width, days, machine;
    int wells;
  } kCases[] = {
      {1.0, 100000.0, 16 * kGiB, 1},
      {1.0, 100000.0, 16 * kGiB, 100},
      {2.0, 1e7, 2 * kGiB, 3},
  };
  for (const auto& c : kCases) {
    const scenario::Scenario s = wells_between({kSouth, north(c.width)}, {1.0, c.days}, c.wells);
    const std::optional<std::string> why = scenario::does_not_fit(s, 2, 1, c.machine);
    ASSERT_TRUE(why.has_value()) << c.width << " " << c.days;
    // The pairs, from the strip's reach: W beyond e^-60 for the longest time.
    const double reach = std::sqrt(60.0 * 50000.0 * c.days / (1.87025 * 0.0002));
    const double needed = std::ceil((reach / c.width - 1.0) / 2.0);
    const std::string start = "the strip between the boundaries 'south wall' and 'north bank', " +
                              std::string(c.width == 1.0 ? "1" : "2") + " ft wide, needs ";
    ASSERT_EQ(why->rfind(start, 0), 0u) << *why;
    const double said = std::stod(why->substr(start.size()));
    EXPECT_NEAR(said, needed, 1.0) << *why;
    const std::size_t more_than = why->find("more than the ");
    ASSERT_NE(more_than, std::string::npos) << *why;
    const double fitting = std::stod(why->substr(more_than + 14));
    // Three steps per well, each with 4 images a pair and 3 besides the pairs' (the well and 2).
    const double per_pair = 4.0 * 3.0 * c.wells, fixed = 3.0 * 3.0 * c.wells;
    EXPECT_LE(scenario::memory_for_terms(s, 2, 1, fixed + per_pair * fitting), c.machine) << *why;
    EXPECT_GT(scenario::memory_for_terms(s, 2, 1, fixed + per_pair * (fitting + 1.0)), c.machine) << *why;
    EXPECT_NE(why->find("; a shorter time, leakage (a larger leakance) or a wider strip needs fewer"), std::string::npos)
        << *why;
    EXPECT_EQ(why->find('\n'), std::string::npos);
  }
}

}  // namespace
