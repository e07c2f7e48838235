// Boundaries in studies: the [[boundary]] tables as read and refused, and the
// physics of the image wells in the exact mode: no drawdown on a stream, no
// flow across a barrier, a far boundary that changes nothing, a strip against
// a direct sum, a quadrant's corner.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "engine/true_grid.h"
#include "model/true_drawdown.h"
#include "scenario/boundaries.h"
#include "scenario/evaluation.h"
#include "study/hydrographs.h"
#include "study/reader.h"
#include "study_texts.h"

namespace {

using scenario::Boundary;
using scenario::BoundaryKind;
using study_testing::edited;
using study_testing::kSmallStudy;

// kSmallStudy's well is at (2150150, 720150), its receptor at (2150250, 720150).
std::string with_boundaries(const std::string& tables) { return kSmallStudy + "\n" + tables; }

std::string boundary(const std::string& kind, const std::string& name, double x0, double y0, double x1, double y1) {
  char text[400];
  std::snprintf(text, sizeof text, "[[boundary]]\nkind = \"%s\"\nname = \"%s\"\nfrom = [%.1f, %.1f]\nto = [%.1f, %.1f]\n\n",
                kind.c_str(), name.c_str(), x0, y0, x1, y1);
  return text;
}

TEST(StudyBoundaries, TheReaderTakesUpToTwoBoundaries) {
  // [output] ends kSmallStudy: the tables follow it as [[boundary]] tables.
  const study::Study s = study_testing::read_text(with_boundaries(
      boundary("stream", "Cedar Creek", 2150000.0, 720400.0, 2151000.0, 720400.0) +
      boundary("barrier", "West fault", 2150050.0, 719000.0, 2150050.0, 721000.0)));
  ASSERT_EQ(s.boundaries.size(), 2u);
  EXPECT_EQ(s.boundaries[0].kind, BoundaryKind::stream);
  EXPECT_EQ(s.boundaries[0].name, "Cedar Creek");
  EXPECT_EQ(s.boundaries[0].y0, 720400.0);
  EXPECT_EQ(s.boundaries[1].kind, BoundaryKind::barrier);
  EXPECT_EQ(s.boundaries[1].x1, 2150050.0);
  EXPECT_TRUE(study_testing::read_text(kSmallStudy).boundaries.empty());
}

TEST(StudyBoundaries, RefusedBoundariesNameTheLineAndWhatIsWrong) {
  struct Case {
    const char* what;
    std::string tables;
    std::string says;  // a part of the message
  };
  // The tables begin on line 32 of the file (kSmallStudy has 30 lines, then a blank one).
  const std::string stream = boundary("stream", "creek", 2150000.0, 720400.0, 2151000.0, 720400.0);
  const Case cases[] = {
      {"three tables", stream + stream + stream, "study.toml:44: a study takes at most two [[boundary]] tables, not 3"},
      {"an unknown kind", boundary("river", "r", 0.0, 0.0, 1.0, 0.0), "study.toml:33: 'kind' of [[boundary]] 1 must be \"stream\""},
      {"one point twice", boundary("stream", "r", 5.0, 5.0, 5.0, 5.0), "study.toml:32: 'from' and 'to' of [[boundary]] 1 ('r') are the same point"},
      {"a key of another table", "[[boundary]]\nkind = \"stream\"\nname = \"r\"\nfrom = [0, 0]\nto = [1, 0]\nx = 3\n",
       "study.toml:37: unknown key 'x' in [[boundary]] 1; 'x' belongs in a [[well]] table"},
      {"a point of three numbers", "[[boundary]]\nkind = \"stream\"\nname = \"r\"\nfrom = [0, 0, 0]\nto = [1, 0]\n",
       "study.toml:35: 'from' of [[boundary]] 1 must be a map point [x, y]"},
      {"no 'to'", "[[boundary]]\nkind = \"stream\"\nname = \"r\"\nfrom = [0, 0]\n", "study.toml:32: [[boundary]] 1 has no key 'to'"},
      {"at 45 degrees", stream + boundary("barrier", "fault", 2150000.0, 720000.0, 2151000.0, 721000.0),
       "study.toml:38: the boundaries 'creek' and 'fault' meet at 45 degrees; two boundaries must be perpendicular"},
      {"parallel on one side", stream + boundary("barrier", "wall", 2150000.0, 720500.0, 2151000.0, 720500.0),
       "study.toml:38: the boundaries 'creek' and 'wall' are parallel with the wells on the same side of both"},
      {"the receptor beyond", boundary("stream", "creek", 2150200.0, 0.0, 2150200.0, 1.0),
       "study.toml:32: receptor 'R-1' lies beyond the stream 'creek'; the aquifer is on the side of well 'PW-1'"},
      {"the receptor on the line", boundary("barrier", "wall", 2150250.0, 0.0, 2150250.0, 1.0),
       "study.toml:32: receptor 'R-1' lies on the barrier 'wall'"},
      {"the well on the line", boundary("barrier", "wall", 0.0, 720150.0, 1.0, 720150.0),
       "study.toml:32: well 'PW-1' lies on the barrier 'wall'"},
  };
  for (const Case& c : cases) {
    try {
      study_testing::read_text(with_boundaries(c.tables));
      ADD_FAILURE() << c.what << ": not refused";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.says), std::string::npos) << c.what << ": " << e.message;
    }
  }
  // A second well beyond the line, named.
  const std::string two_wells = edited(kSmallStudy, "[[receptor]]",
                                       "[[well]]\nname = \"PW-2\"\nx = 2150450.0\ny = 720150.0\nrate = 1.0\n\n[[receptor]]");
  try {
    study_testing::read_text(two_wells + "\n" + boundary("stream", "creek", 2150300.0, 0.0, 2150300.0, 1.0));
    ADD_FAILURE() << "a well beyond the stream is taken";
  } catch (const study::StudyError& e) {
    EXPECT_NE(e.message.find("well 'PW-2' lies beyond the stream 'creek'"), std::string::npos) << e.message;
  }
}

// A study of one well of 250,000 gpd at (x, y) on a 40 x 30 grid of 100 ft
// cells whose lower-left corner is (0, 0), at one time, with `boundaries`.
study::Study one_well(double x, double y, std::vector<Boundary> boundaries, double leakance = 0.001,
                      double days = 30.0) {
  study::Study s;
  s.aquifer = scenario::Aquifer{50000.0, leakance, 0.0002};
  s.grid = scenario::Grid{0.0, 0.0, 100, 40, 30};
  s.times = {days};
  s.wells.push_back(scenario::Well{"PW-1", x, y, {scenario::Step{0.0, 250000.0}}});
  s.boundaries = std::move(boundaries);
  return s;
}

const engine::TrueAquifer aquifer_of(const study::Study& s) {
  return engine::TrueAquifer{s.aquifer.transmissivity, s.aquifer.storage, s.aquifer.leakance};
}

// The study's drawdown at map (x, y) in double, its images included.
double drawdown(const study::Study& s, double x, double y) {
  std::vector<engine::TrueTerm> terms;
  for (const scenario::Term& t : scenario::terms_at(s, s.times[0]))
    terms.push_back(engine::TrueTerm{t.map_x, t.map_y, t.dq, t.elapsed_days});
  return engine::true_point_drawdown(x, y, aquifer_of(s), terms, engine::true_well_function);
}

// The drawdown of the real well alone, in double.
double alone(const study::Study& s, double x, double y) {
  study::Study without = s;
  without.boundaries.clear();
  return drawdown(without, x, y);
}

scenario::Evaluation exact() {
  scenario::Evaluation how;
  how.well_function = scenario::WellFunction::exact;
  how.exact = engine::true_well_function;
  return how;
}

TEST(StudyBoundaries, TheDrawdownOnAStreamIsZero) {
  // A stream on a slant and one along a column of nodes; points along each.
  struct Case {
    Boundary stream;
    double x, y;  // the well
  };
  const Case cases[] = {
      {Boundary{BoundaryKind::stream, "slant", 0.0, 3000.0, 4000.0, 0.0}, 1500.0, 1100.0},
      {Boundary{BoundaryKind::stream, "column", 2050.0, 0.0, 2050.0, 1.0}, 1730.0, 1200.0},
  };
  for (const Case& c : cases) {
    const study::Study s = one_well(c.x, c.y, {c.stream});
    const Boundary& b = c.stream;
    const double length = std::hypot(b.x1 - b.x0, b.y1 - b.y0);
    for (double along : {-2000.0, -150.0, 0.0, 333.0, 1700.0, 5000.0}) {
      const double x = b.x0 + (b.x1 - b.x0) / length * (along + 1000.0);
      const double y = b.y0 + (b.y1 - b.y0) / length * (along + 1000.0);
      ASSERT_GT(alone(s, x, y), 0.01) << b.name << " " << along;
      EXPECT_LE(std::fabs(drawdown(s, x, y)), 1e-12 * alone(s, x, y)) << b.name << " " << along;
    }
  }
  // The grid's nodes on the column stream (x = 2050, column 21) are 0 to the grid's rounding.
  const study::Study s = one_well(1730.0, 1200.0, {cases[1].stream});
  engine::DrawdownGrid DD(s.grid.columns, s.grid.rows);
  scenario::evaluate_grid(DD, s, 30.0, exact());
  for (std::int32_t r = 1; r <= s.grid.rows; ++r) {
    EXPECT_LE(std::fabs(DD(21, r)), 1e-6f * DD(18, r)) << r;
    EXPECT_TRUE(std::isnan(DD(22, r))) << "beyond the stream: " << r;
    EXPECT_GT(DD(20, r), 0.0f) << r;
  }
}

TEST(StudyBoundaries, NoFlowCrossesABarrier) {
  // A barrier on a slant: the drawdown is the same at mirrored points, and its
  // normal gradient on the line is 0 where the well alone has a steep one.
  const Boundary fault{BoundaryKind::barrier, "fault", 0.0, 500.0, 3000.0, 2500.0};
  const study::Study s = one_well(1800.0, 900.0, {fault}, 0.0005, 90.0);
  const scenario::Line line = *scenario::line_toward(fault, 1800.0, 900.0);
  for (double along : {0.0, 800.0, 1500.0, 2300.0, 4000.0}) {
    const double length = std::hypot(3000.0, 2000.0);
    const double px = fault.x0 + 3000.0 / length * along, py = fault.y0 + 2000.0 / length * along;
    for (double off : {1.0, 37.0, 400.0}) {
      const double in = drawdown(s, px + off * line.nx, py + off * line.ny);
      const double out = drawdown(s, px - off * line.nx, py - off * line.ny);
      EXPECT_NEAR(in, out, 1e-13 * in) << along << " " << off;
    }
    const double h = 0.5;
    const double gradient = (drawdown(s, px + h * line.nx, py + h * line.ny) -
                             drawdown(s, px - h * line.nx, py - h * line.ny)) / (2 * h);
    const double gradient_alone = (alone(s, px + h * line.nx, py + h * line.ny) -
                                   alone(s, px - h * line.nx, py - h * line.ny)) / (2 * h);
    ASSERT_GT(std::fabs(gradient_alone), 1e-5) << along;
    EXPECT_LE(std::fabs(gradient), 1e-9 * std::fabs(gradient_alone)) << along;
  }
}

TEST(StudyBoundaries, ABoundaryHundredMilesAwayChangesNothing) {
  const double mile = 5280.0;
  for (const BoundaryKind kind : {BoundaryKind::stream, BoundaryKind::barrier}) {
    for (const double leakance : {0.001, 0.0}) {
      const Boundary far{kind, "far", 100 * mile, 0.0, 100 * mile, 1.0};
      const study::Study with = one_well(1730.0, 1200.0, {far}, leakance, 365.0);
      const study::Study without = one_well(1730.0, 1200.0, {}, leakance, 365.0);
      for (const scenario::WellFunction mode : {scenario::WellFunction::exact, scenario::WellFunction::rule}) {
        scenario::Evaluation how = exact();
        how.well_function = mode;
        engine::DrawdownGrid a(40, 30), b(40, 30);
        scenario::evaluate_grid(a, with, 365.0, how);
        scenario::evaluate_grid(b, without, 365.0, how);
        ASSERT_EQ(scenario::terms_at(with, 365.0).size(), 2u);
        for (std::int32_t r = 1; r <= 30; ++r)
          for (std::int32_t c = 1; c <= 40; ++c)
            ASSERT_EQ(a(c, r), b(c, r)) << c << " " << r << " leakance " << leakance;
      }
    }
  }
}

// The drawdown in a strip 0 < y < w (kinds `low` at y = 0 and `high` at y = w)
// of the well at (x0, y0), summed directly over periods of 4w, each with four
// sources, until a whole period adds less than 1e-20 of the sum.
double strip_by_direct_sum(const study::Study& s, BoundaryKind low, BoundaryKind high, double w, double x0, double y0,
                           double x, double y) {
  const double a = low == BoundaryKind::stream ? -1.0 : 1.0;
  const double b = high == BoundaryKind::stream ? -1.0 : 1.0;
  // Reflections across y = 0 and y = w: y0 (1), -y0 (a), 2w - y0 (b), 2w + y0 (a b), repeated every 4w.
  const double ys[] = {y0, -y0, 2 * w - y0, 2 * w + y0};
  const double signs[] = {1.0, a, b, a * b};
  const double T = s.aquifer.transmissivity;
  const double B = model::leakage_factor(T, s.aquifer.leakance);
  auto term = [&](double yi, double sign) {
    const double r = std::max(1.0, std::hypot(x - x0, y - yi));
    const double W = engine::true_well_function(model::true_u(r, s.aquifer.storage, T, s.times[0]), r / B);
    return sign * model::true_drawdown(250000.0, W, T);
  };
  double sum = 0.0;
  for (int k = 0; k < 100000; ++k) {
    double period = 0.0;
    for (int side : {1, -1}) {
      if (k == 0 && side == -1) continue;
      for (int i = 0; i < 4; ++i) period += term(ys[i] + side * 4.0 * w * k, signs[i]);
    }
    sum += period;
    if (k > 2 && std::fabs(period) <= 1e-20 * std::fabs(sum)) return sum;
  }
  ADD_FAILURE() << "the direct sum does not converge";
  return sum;
}

TEST(StudyBoundaries, AStripAgreesWithADirectSumAndTenMorePairsChangeNothing) {
  struct Case {
    BoundaryKind low, high;
    double width, leakance, days;
  };
  const Case cases[] = {
      {BoundaryKind::stream, BoundaryKind::barrier, 1500.0, 0.001, 30.0},
      {BoundaryKind::barrier, BoundaryKind::barrier, 900.0, 0.0, 365.0},
      {BoundaryKind::stream, BoundaryKind::stream, 2500.0, 0.0, 365.0},
      {BoundaryKind::barrier, BoundaryKind::stream, 350.0, 0.0001, 100.0},
  };
  for (const Case& c : cases) {
    study::Study s = one_well(1730.0, 0.37 * c.width, {Boundary{c.low, "low", 0.0, 0.0, 1.0, 0.0},
                                                      Boundary{c.high, "high", 5.0, c.width, -5.0, c.width}},
                              c.leakance, c.days);
    s.grid = scenario::Grid{1000.0, 0.0, 50, 16, 8};  // x 1000 to 1800, y 0 to 400: near the well and both lines
    const scenario::ImagePlan plan = scenario::image_plan_at(s, c.days);
    ASSERT_TRUE(plan.strip);
    for (const double x : {1730.0, 150.0, 3950.0})
      for (const double f : {0.01, 0.5, 0.37, 0.99}) {
        const double y = f * c.width;
        const double direct = strip_by_direct_sum(s, c.low, c.high, c.width, 1730.0, 0.37 * c.width, x, y);
        const double value = drawdown(s, x, y);
        EXPECT_NEAR(value, direct, 1e-12 * std::fabs(alone(s, x, y)) + 1e-300) << c.width << " " << x << " " << y;
        EXPECT_EQ(static_cast<float>(value), static_cast<float>(direct)) << c.width << " " << x << " " << y;
      }
    // The grid with 10 more pairs of images is the same, bit for bit.
    scenario::ImagePlan more = plan;
    more.pairs += 10;
    engine::DrawdownGrid a(16, 8), b(16, 8);
    engine::zero_grid(a, 16, 8);
    engine::zero_grid(b, 16, 8);
    const std::vector<scenario::Term> cut = scenario::terms_at(s, c.days, plan);
    const std::vector<scenario::Term> longer = scenario::terms_at(s, c.days, more);
    ASSERT_EQ(longer.size(), cut.size() + 40);
    scenario::add_terms(a, s, cut, exact());
    scenario::add_terms(b, s, longer, exact());
    for (std::int32_t r = 1; r <= 8; ++r)
      for (std::int32_t col = 1; col <= 16; ++col) ASSERT_EQ(a(col, r), b(col, r)) << col << " " << r << " " << c.width;
  }
}

TEST(StudyBoundaries, ByTheRuleImagesAreTermsToo) {
  // A stream along column 21 (x = 2050) and a barrier along row 3 (y = 250):
  // by the rule, the nodes on the stream are 0 to single rounding, and the
  // grid agrees with the exact one where the rule is good (away from the well).
  const study::Study s = one_well(1730.0, 1200.0, {Boundary{BoundaryKind::stream, "creek", 2050.0, 0.0, 2050.0, 1.0},
                                                   Boundary{BoundaryKind::barrier, "wall", 0.0, 250.0, 1.0, 250.0}});
  scenario::Evaluation rule = exact();
  rule.well_function = scenario::WellFunction::rule;
  engine::DrawdownGrid by_rule(40, 30), by_exact(40, 30), alone_by_rule(40, 30);
  scenario::evaluate_grid(by_rule, s, 30.0, rule);
  scenario::evaluate_grid(by_exact, s, 30.0, exact());
  study::Study without = s;
  without.boundaries.clear();
  scenario::evaluate_grid(alone_by_rule, without, 30.0, rule);
  for (std::int32_t r = 3; r <= 30; ++r) {
    EXPECT_LE(std::fabs(by_rule(21, r)), 1e-5f * alone_by_rule(21, r)) << r;
    for (std::int32_t c = 1; c <= 21; ++c) {
      if (std::abs(c - 18) + std::abs(r - 12) <= 1) continue;  // the well's nodes
      EXPECT_NEAR(by_rule(c, r), by_exact(c, r), 1e-3 * alone_by_rule(c, r) + 1e-6) << c << ", " << r;
    }
  }
  EXPECT_TRUE(std::isnan(by_rule(22, 10)) && std::isnan(by_rule(10, 2)) && std::isnan(by_exact(22, 10)));
  EXPECT_EQ(scenario::terms_at(s, 30.0).size(), 4u);
}

TEST(StudyBoundaries, TwoBarriersMakeFourWellsAtTheCorner) {
  // Barriers along x = 500 and y = 300 (on a slant too): the well and its three
  // images are as far from the corner as each other.
  struct Case {
    Boundary a, b;
    double corner_x, corner_y, well_x, well_y;
  };
  const Case cases[] = {
      {Boundary{BoundaryKind::barrier, "west", 500.0, 0.0, 500.0, 1.0},
       Boundary{BoundaryKind::barrier, "south", 0.0, 300.0, 1.0, 300.0}, 500.0, 300.0, 1100.0, 750.0},
      {Boundary{BoundaryKind::barrier, "a", 1000.0, 1000.0, 1300.0, 1400.0},
       Boundary{BoundaryKind::barrier, "b", 1000.0, 1000.0, 1400.0, 700.0}, 1000.0, 1000.0, 1900.0, 1200.0},
  };
  for (const Case& c : cases) {
    const study::Study s = one_well(c.well_x, c.well_y, {c.a, c.b});
    ASSERT_EQ(scenario::terms_at(s, 30.0).size(), 4u);
    const double single = alone(s, c.corner_x, c.corner_y);
    ASSERT_GT(single, 0.1);
    EXPECT_NEAR(drawdown(s, c.corner_x, c.corner_y), 4.0 * single, 1e-12 * single) << c.a.name;
  }
}

}  // namespace
