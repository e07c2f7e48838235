// The streams' depletion in studies: conservation of the pumped water at late
// time in every layout of boundaries, the quadrant's steady shares, schedules
// against the closed form, a stop and its finite volume, injection, the CSV
// and the limits; and the study file's keys as read and refused.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "scenario/compliance.h"
#include "scenario/depletion.h"
#include "scenario/depletion_limits.h"
#include "study/reader.h"
#include "study_texts.h"

namespace {

using scenario::Boundary;
using scenario::BoundaryKind;
using scenario::Depletion;
using Study = scenario::Scenario;

constexpr double kPi = 3.141592653589793238;

Boundary line(BoundaryKind kind, const std::string& name, double x0, double y0, double x1, double y1) {
  Boundary b;
  b.kind = kind, b.name = name, b.x0 = x0, b.y0 = y0, b.x1 = x1, b.y1 = y1;
  return b;
}

// One well at (0, 0) with `steps`, T = 50000 gpd/ft, S = 2e-4, and `boundaries`.
Study study_of(std::vector<Boundary> boundaries, std::vector<scenario::Step> steps, double leakance = 0.0) {
  Study s;
  s.aquifer = {50000.0, leakance, 2e-4};
  s.times = {30.0};
  s.wells.push_back({"PW-1", 0.0, 0.0, std::move(steps), 1.0});
  s.boundaries = std::move(boundaries);
  return s;
}

double all_streams(const Depletion& d, double t) {
  double sum = 0.0;
  for (std::size_t k = 0; k < d.streams().size(); ++k) sum += d.total(k, t);
  return sum;
}

TEST(StudyDepletion, WithoutLeakageEveryLayoutEndsTakingThePumpingFromItsStreams) {
  const double Q = 250000.0;
  const auto stream = BoundaryKind::stream, barrier = BoundaryKind::barrier;
  struct Case {
    const char* what;
    std::vector<Boundary> boundaries;
    double late;  // days by which the well's water comes from the streams
  };
  const Case cases[] = {
      {"one stream 300 ft away", {line(stream, "creek", -1e3, 300.0, 1e3, 300.0)}, 1e7},
      {"a stream 2000 ft away, at an angle", {line(stream, "creek", 2000.0, 0.0, 0.0, 2000.0 * std::sqrt(2.0))}, 1e9},
      {"a strip: stream and barrier", {line(stream, "creek", 0, 500, 1, 500), line(barrier, "wall", 0, -1700, 1, -1700)}, 1e3},
      {"a strip of two streams", {line(stream, "north", 0, 500, 1, 500), line(stream, "south", 0, -1700, 1, -1700)}, 1e3},
      {"a quadrant: stream and barrier", {line(stream, "creek", 0, 400, 1, 400), line(barrier, "ridge", 600, 0, 600, 1)}, 1e9},
      {"a quadrant of two streams", {line(stream, "creek", 0, 400, 1, 400), line(stream, "river", 600, 0, 600, 1)}, 1e9},
  };
  for (const Case& c : cases) {
    const Study s = study_of(c.boundaries, {{0.0, Q}});
    const Depletion d(s, c.late);
    EXPECT_NEAR(all_streams(d, c.late) / Q, 1.0, 2e-3) << c.what;
    // Early on the streams give almost nothing.
    EXPECT_LT(all_streams(d, 1e-4) / Q, 0.01) << c.what;
  }
}

TEST(StudyDepletion, AStripMatchesItsOneDimensionalFourierSeries) {
  // Along the lines a strip is a 1-D problem: a stream at 0 (s = 0), a barrier
  // at W (no flow), the well at d. By its eigenfunctions sin(k_n x),
  // k_n = (n + 1/2) pi / W, the fraction of a constant rate the stream gives is
  //   cosh((W - d)/B) / cosh(W/B) - (2/W) sum k_n sin(k_n d) / (k_n^2 + 1/B^2) e^(-nu (k_n^2 + 1/B^2) t),
  // the first term 1 without leakage.
  const double W = 2200.0, nu = 50000.0 / (4.0 * 1.87025 * 2e-4);
  struct Case {
    double d, leakance;
  };
  for (const Case& c : {Case{700.0, 0.0}, Case{1800.0, 0.0}, Case{700.0, 5e-5}, Case{300.0, 1e-3}}) {
    const double beta2 = c.leakance / 50000.0;  // 1 / B^2
    const double B = std::sqrt(1.0 / beta2);
    const double steady = c.leakance > 0.0 ? std::cosh((W - c.d) / B) / std::cosh(W / B) : 1.0;
    const Study s = study_of({line(BoundaryKind::stream, "creek", 0, c.d, 1, c.d),
                              line(BoundaryKind::barrier, "wall", 0, c.d - W, 1, c.d - W)},
                             {{0.0, 1.0}}, c.leakance);
    const Depletion dep(s, 1e3);
    for (double t : {0.002, 0.01, 0.05, 0.3, 3.0}) {
      double series = 0.0;
      for (int n = 0; n < 20000; ++n) {
        const double k = (n + 0.5) * kPi / W;
        series += k * std::sin(k * c.d) / (k * k + beta2) * std::exp(-nu * (k * k + beta2) * t);
      }
      EXPECT_NEAR(dep.total(0, t), steady - 2.0 / W * series, 1e-9) << "d " << c.d << " leakance " << c.leakance << " t " << t;
    }
  }
}

TEST(StudyDepletion, TwoStreamsOfAStripShareTheWellByItsDistances) {
  // Steady 1-D shares: (W - d) / W to the near stream without leakage,
  // sinh((W - d)/B) / sinh(W/B) with it.
  const double W = 2000.0;
  for (double leakance : {0.0, 2e-4}) {
    for (double d : {200.0, 1000.0, 1500.0}) {
      const Study s = study_of({line(BoundaryKind::stream, "north", 0, d, 1, d),
                                line(BoundaryKind::stream, "south", 0, d - W, 1, d - W)},
                               {{0.0, 1.0}}, leakance);
      const Depletion dep(s, 1e6);
      const double B = std::sqrt(50000.0 / leakance);
      const double north = leakance > 0.0 ? std::sinh((W - d) / B) / std::sinh(W / B) : (W - d) / W;
      const double south = leakance > 0.0 ? std::sinh(d / B) / std::sinh(W / B) : d / W;
      EXPECT_NEAR(dep.total(0, 1e6), north, 1e-6) << d << " " << leakance;
      EXPECT_NEAR(dep.total(1, 1e6), south, 1e-6) << d << " " << leakance;
    }
  }
}

TEST(StudyDepletion, AQuadrantOfTwoStreamsSharesTheWellByItsAngles) {
  // The steady share of the stream at distance a when the other is b away:
  // (2 / pi) atan(b / a).
  struct Case {
    double a, b;
  };
  for (const Case& c : {Case{400.0, 600.0}, Case{100.0, 1000.0}, Case{500.0, 500.0}}) {
    const Study s = study_of({line(BoundaryKind::stream, "creek", 0, c.a, 1, c.a),
                              line(BoundaryKind::stream, "river", c.b, 0, c.b, 1)},
                             {{0.0, 1.0}});
    const Depletion d(s, 1e12);
    EXPECT_NEAR(d.total(0, 1e12), 2.0 / kPi * std::atan(c.b / c.a), 1e-4) << c.a << " " << c.b;
    EXPECT_NEAR(d.total(1, 1e12), 2.0 / kPi * std::atan(c.a / c.b), 1e-4) << c.a << " " << c.b;
  }
}

TEST(StudyDepletion, SchedulesSuperposeAndInjectionPushesWaterIntoTheStream) {
  // One stream 800 ft away without leakage: D(t) = sum of dQ_k erfc(d / sqrt(4 nu (t - t_k))),
  // nu = T / (4 a S) square feet a day with T in gpd/ft (the drawdowns' u = a r^2 S / (T t)).
  const double d = 800.0, nu = 50000.0 / (4.0 * 1.87025 * 2e-4);
  auto erfc_at = [&](double tau) { return tau > 0.0 ? std::erfc(d / std::sqrt(4.0 * nu * tau)) : 0.0; };
  struct Case {
    std::vector<scenario::Step> steps;
  };
  const Case cases[] = {
      {{{0.0, 100000.0}}},
      {{{0.0, -100000.0}}},
      {{{0.5, 250000.0}, {2.0, 400000.0}, {3.0, 0.0}}},
      {{{0.0, 300000.0}, {1.0, -50000.0}}},
  };
  for (const Case& c : cases) {
    const Study s = study_of({line(BoundaryKind::stream, "creek", 0, d, 1, d)}, c.steps);
    const Depletion dep(s, 10.0);
    for (double t : {0.1, 0.7, 1.5, 2.5, 3.2, 6.0}) {
      double truth = 0.0, previous = 0.0;
      for (const scenario::Step& k : c.steps) truth += (k.rate - previous) * erfc_at(t - k.day), previous = k.rate;
      EXPECT_NEAR(dep.of_well(0, 0, t), truth, 1e-9 * 400000.0) << "t = " << t;
    }
  }
  const Study injection = study_of({line(BoundaryKind::stream, "creek", 0, d, 1, d)}, {{0.0, -100000.0}});
  EXPECT_LT(Depletion(injection, 10.0).of_well(0, 0, 5.0), -50000.0);
}

TEST(StudyDepletion, AfterAStopTheDepletionDecaysAndItsVolumeIsFinite) {
  const double Q = 200000.0, stop = 30.0;
  for (double leakance : {0.0, 1e-4}) {
    const Study s = study_of({line(BoundaryKind::stream, "creek", 0, 1500, 1, 1500)}, {{0.0, Q}, {stop, 0.0}}, leakance);
    const Depletion d(s, 1e6);
    double before = d.of_well(0, 0, stop + 0.5);
    for (double t : {stop + 2.0, stop + 10.0, stop + 100.0, stop + 1e4}) {
      const double q = d.of_well(0, 0, t);
      EXPECT_LT(q, before) << t;
      EXPECT_GE(q, 0.0) << t;
      before = q;
    }
    EXPECT_LT(d.of_well(0, 0, 1e6), 1e-3 * Q);
    const double v_late = d.volume_of_well(0, 0, 1e6), v_later = d.volume_of_well(0, 0, 2e6);
    EXPECT_LE(v_late, Q * stop * (1.0 + 1e-9));
    EXPECT_LT(v_later - v_late, 2e-3 * Q * stop);
    // Without leakage every gallon pumped comes from the stream in the end.
    if (leakance == 0.0) {
      EXPECT_NEAR(v_later / (Q * stop), 1.0, 5e-3);
    }
  }
}

TEST(StudyDepletion, TheCsvListsEachWellAndAll) {
  Study s = study_of({line(BoundaryKind::stream, "Mill Creek", 0, 500, 1, 500)}, {{0.0, 1000.0}, {2.0, 0.0}});
  s.wells.push_back({"=PW-2", 100.0, 0.0, {{1.0, 3000.0}}, 1.0});
  const Depletion d(s, 10.0);
  const std::vector<double> days = {0.5, 1.5, 3.0};
  const std::string csv = scenario::depletion_csv(s, d, days);
  std::vector<std::string> rows;
  for (std::size_t at = 0, end; (end = csv.find('\n', at)) != std::string::npos; at = end + 1)
    rows.push_back(csv.substr(at, end - at));
  ASSERT_EQ(rows.size(), 1u + 3u * 3u);
  EXPECT_EQ(rows[0], "stream,well,day,depletion,fraction,volume,depletion_cfs");
  EXPECT_EQ(rows[1].rfind("Mill Creek,PW-1,0.5,", 0), 0u);
  // The second well starts at day 1: no depletion, no fraction, at day 0.5.
  EXPECT_EQ(rows[4], "Mill Creek,'=PW-2,0.5,0,,0,0");
  // At day 3 PW-1 has stopped: its fraction is empty, its depletion above 0.
  EXPECT_EQ(rows[3].find("Mill Creek,PW-1,3,"), 0u);
  EXPECT_NE(rows[3].find(",,"), std::string::npos);
  const double all = d.of_well(0, 0, 1.5) + d.of_well(0, 1, 1.5);
  char expected[200];
  std::snprintf(expected, sizeof expected, "Mill Creek,all,1.5,%.7g,%.7g,", all, all / 4000.0);
  EXPECT_EQ(rows[8].rfind(expected, 0), 0u) << rows[8];
}

TEST(StudyDepletion, AStreamLimitJoinsTheComplianceAndTheRateFactor) {
  struct Case {
    double limit;
    bool exceeded;
  };
  for (const Case& c : {Case{50000.0, true}, Case{1e6, false}}) {
    Study s = study_of({line(BoundaryKind::stream, "creek", 0, 300, 1, 300)}, {{0.0, 100000.0}});
    s.times = {10.0};
    s.boundaries[0].depletion_limit = c.limit;
    const scenario::Compliance comp = scenario::compliance_of(s, scenario::Evaluation{});
    ASSERT_EQ(comp.streams.size(), 1u);
    const scenario::ReceptorCompliance& r = comp.streams[0];
    const double largest = Depletion(s, 10.0).total(0, 10.0);  // it only grows
    EXPECT_NEAR(r.largest, largest, 1e-6 * largest);
    EXPECT_NEAR(r.margin, c.limit - largest, 1e-6 * largest);
    EXPECT_EQ(comp.exceeded(), c.exceeded);
    EXPECT_TRUE(comp.limited_by_stream);
    EXPECT_NEAR(comp.rate_factor, c.limit / largest, 1e-6);
    if (c.exceeded) {
      // The first day above the limit, found independently by the closed form.
      const double nu = 50000.0 / (4.0 * 1.87025 * 2e-4);
      double lo = 0.0, hi = 10.0;
      for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lo + hi);
        (100000.0 * std::erfc(300.0 / std::sqrt(4.0 * nu * mid)) > c.limit ? hi : lo) = mid;
      }
      ASSERT_TRUE(r.first_exceeded.has_value());
      // Rounded down to a tenth of a day, as a receptor's.
      EXPECT_LE(*r.first_exceeded, hi + 1e-9);
      EXPECT_GT(*r.first_exceeded, hi - 0.1 - 1e-9);
    }
    const std::string csv = scenario::compliance_csv(s, comp);
    EXPECT_EQ(csv.rfind("kind,name,limit,largest,at_day,first_exceeded_day,margin,rate_factor,unit\nstream,creek,", 0), 0u)
        << csv;
  }
}

TEST(StudyDepletion, AStreamLimitCrossedOnlyBetweenSamplesIsFound) {
  // A pulse of pumping: the depletion peaks soon after the pump stops, far
  // from the log-spaced samples; limits just below and above the true peak.
  Study s = study_of({line(BoundaryKind::stream, "creek", 0, 300, 1, 300)}, {{5.0, 100000.0}, {5.3, 0.0}});
  s.times = {100.0};
  const double nu = 50000.0 / (4.0 * 1.87025 * 2e-4);
  const auto depletion = [&](double t) {
    const auto f = [&](double tau) { return tau > 0.0 ? std::erfc(300.0 / std::sqrt(4.0 * nu * tau)) : 0.0; };
    return 100000.0 * (f(t - 5.0) - f(t - 5.3));
  };
  double peak = 0.0, peak_day = 0.0;
  for (double t = 5.0; t < 20.0; t += 1e-5)
    if (depletion(t) > peak) peak = depletion(t), peak_day = t;
  for (const double share : {0.999, 1.001}) {
    s.boundaries[0].depletion_limit = share * peak;
    const scenario::Compliance comp = scenario::compliance_of(s, scenario::Evaluation{});
    ASSERT_EQ(comp.streams.size(), 1u);
    const scenario::ReceptorCompliance& r = comp.streams[0];
    EXPECT_NEAR(r.largest, peak, 1e-6 * peak);
    EXPECT_NEAR(r.largest_day, peak_day, 1e-3);
    EXPECT_EQ(comp.exceeded(), share < 1.0) << share;
    if (share < 1.0) {
      double lo = 5.0, hi = peak_day;
      for (int i = 0; i < 100; ++i) {
        const double mid = 0.5 * (lo + hi);
        (depletion(mid) > share * peak ? hi : lo) = mid;
      }
      ASSERT_TRUE(r.first_exceeded.has_value());
      EXPECT_LE(*r.first_exceeded, hi + 1e-9) << "rounded down";
      EXPECT_GT(*r.first_exceeded, hi - 0.1 - 1e-9);
    }
  }
}

// --- the study file's keys ---------------------------------------------------

// kSmallStudy's well is at (2150150, 720150) and has leakage (0.001).
std::string stream_table(const std::string& extra) {
  return "\n[[boundary]]\nkind = \"stream\"\nname = \"creek\"\nfrom = [2150000.0, 720400.0]\nto = [2151000.0, 720400.0]\n" +
         extra;
}

TEST(StudyDepletion, TheReaderTakesTheStreamKeys) {
  const std::string text = study_testing::edited(study_testing::kSmallStudy, "series = \"series.csv\"\n",
                                                 "series = \"series.csv\"\ndepletion = \"depletion.csv\"\n"
                                                 "depletion_hydrographs = \"depletion.svg\"\ncompliance = \"c.csv\"\n") +
                           stream_table("depletion_limit_fraction = 0.25\n");
  const study::Study s = study_testing::read_text(text);
  EXPECT_EQ(s.output.depletion, "depletion.csv");
  EXPECT_EQ(s.output.depletion_hydrographs, "depletion.svg");
  ASSERT_EQ(s.boundaries.size(), 1u);
  EXPECT_EQ(s.boundaries[0].depletion_limit_fraction, 0.25);
  EXPECT_FALSE(s.boundaries[0].depletion_limit.has_value());
  EXPECT_NEAR(scenario::stream_limit(s, s.boundaries[0]), 0.25 * 250000.0, 1e-9);
  const study::Study none = study_testing::read_text(study_testing::kSmallStudy + stream_table(""));
  EXPECT_TRUE(none.output.depletion.empty());
  EXPECT_FALSE(none.boundaries[0].streambed_conductance.has_value());
  const study::Study bed = study_testing::read_text(
      study_testing::edited(study_testing::kSmallStudy, "leakance = 0.001", "leakance = 0.0") +
      stream_table("streambed_conductance = 2.5\n"));
  EXPECT_EQ(bed.boundaries[0].streambed_conductance, 2.5);
}

TEST(StudyDepletion, TheReaderRefusesWhatItCannotAnswer) {
  const std::string no_leak = study_testing::edited(study_testing::kSmallStudy, "leakance = 0.001", "leakance = 0.0");
  const std::string wall = "\n[[boundary]]\nkind = \"barrier\"\nname = \"wall\"\nfrom = [2150000.0, 720000.0]\nto = [2151000.0, 720000.0]\n";
  auto with_output = [](const std::string& base, const std::string& keys) {
    return study_testing::edited(base, "folder = \"out\"\n", "folder = \"out\"\n" + keys);
  };
  struct Case {
    const char* what;
    std::string text;
    std::string says;
  };
  const Case cases[] = {
      {"a streambed with leakage", study_testing::kSmallStudy + stream_table("streambed_conductance = 1.0\n"),
       "'streambed_conductance' of [[boundary]] 1 is for an aquifer without leakage"},
      {"a streambed with a second boundary", no_leak + stream_table("streambed_conductance = 1.0\n") + wall,
       "needs the stream as the study's only boundary"},
      {"a limit on a barrier", study_testing::kSmallStudy + wall + "depletion_limit = 5.0\n",
       "'depletion_limit' is for a stream, and [[boundary]] 1 ('wall') is a barrier"},
      {"both limits", study_testing::kSmallStudy + stream_table("depletion_limit = 5.0\ndepletion_limit_fraction = 0.5\n"),
       "not both"},
      {"a fraction above 1", study_testing::kSmallStudy + stream_table("depletion_limit_fraction = 1.5\n"),
       "must be at most 1, not 1.5"},
      {"a negative conductance", no_leak + stream_table("streambed_conductance = -1\n"), "must be 0 or more, not -1"},
      {"depletion without a stream", with_output(study_testing::kSmallStudy, "depletion = \"d.csv\"\n") + wall,
       "'depletion' needs a [[boundary]] of kind \"stream\", and the study has none"},
      {"a picture that is not one", with_output(study_testing::kSmallStudy, "depletion_hydrographs = \"d.txt\"\n"),
       "'depletion_hydrographs' must name a .png, .svg or .pdf file"},
      {"a well named all",
       with_output(study_testing::edited(study_testing::kSmallStudy, "\"PW-1\"", "\"all\""), "depletion = \"d.csv\"\n") +
           stream_table(""),
       "rename the well 'all'"},
  };
  for (const Case& c : cases) {
    try {
      study_testing::read_text(c.text);
      ADD_FAILURE() << c.what << ": not refused";
    } catch (const study::StudyError& e) {
      EXPECT_NE(e.message.find(c.says), std::string::npos) << c.what << ": " << e.message;
    }
  }
}

}  // namespace
