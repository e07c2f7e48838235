// Search for the pinned pairs of the lanes' guard-band test
// (tests/engine/well_function_lanes_test.cc, WubLanes.PairsNearRoundingTies).
//
// The lanes approximate the double exponential of the integrand and trust
// the single they round the product exp(e) * (1/y) to, unless the product lies
// within kLaneGuardUlps double ulps of a tie between two singles, where they
// recompute it exactly. This program looks for (u, r/B) pairs of which one
// integrand value of the rule, exact in double before its rounding to single,
// lies within a few double ulps of such a tie, and keeps those for which
//   - the lanes' own exponential (lanes_exp), on some instruction set the
//     lanes run on here, puts the product on the other side of the tie, so
//     that without the guard band the lanes would round it the other way, and
//   - rounding that one value the other way changes W.
// With the band shrunk from 1024 ulps to 1 the lanes get such pairs wrong
// (the test then fails); with the band they give model::WUB's bits.
//
// The search runs backwards from the crossings. The lanes' exponential is
// off by up to a few ulps, so for an exponent e where it is off by 2 ulps or
// more, a product exp(e) * (1/y) crosses a tie for about one y in 2^28. With
// r/B = g = -e, the exponent -(y + (r/B)^2 / (4 y)) is stationary at y = g / 2
// and stays e for thousands of consecutive singles y around it, so the search
// scans those y (a division each, no exponential) for crossings. For each
// crossing it looks for a u of which y is an abscissa (the abscissae do not
// depend on r/B), then runs the rule with and without that one value rounded
// the other way. The rule is restated here so that one integrand value can be
// rounded the other way; the restatement is checked against model::WUB.
//
// Build and run by hand from the top folder, after `make build` (build/):
//
//   g++ -std=c++20 -O2 -ffp-contract=off -Isrc tools/guard_band_search.cc \
//       build/src/engine/libengine.a build/src/model/libmodel.a -lhwy -pthread \
//       -o build/guard_band_search
//   build/guard_band_search [FOUND [SEED]]
//
// It stops after FOUND pairs (default 12; about 10 s each here) and prints
// each as a line of the test's table: u and r/B as hexadecimal singles, then
// the abscissa y, the exponent e, the distance of the rule's product from the
// tie in double ulps, and the instruction sets on which the lanes' product
// lies across the tie. The test's 23 pairs are those of
// `build/guard_band_search 24 1` (run on AVX-512; the 24th was not waited for).
//
// To check the test: set kBand in NearTieOffset (engine/well_function_lanes.cc)
// to 1, rebuild and run build/tests/engine/engine_test; PairsNearRoundingTies
// fails, and no other test does (with 2 it fails too; with 4 and more it
// passes: these pairs need the lanes' error to reach past the band).

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "engine/well_function_lanes_testing.h"
#include "model/rule.h"
#include "model/well_function.h"

namespace {

using model::D;
using model::single;

// One integrand value of the rule: its abscissa, exponent and reciprocal (both
// singles) and the exact double product before rounding.
struct Point {
  float y, e, q;
  double p;
};

// Signed distance of a positive double from the nearest tie between two
// singles, in double ulps (the 29 low fraction bits against 2^28).
std::int64_t tie_distance(double p) {
  const std::uint64_t low = std::bit_cast<std::uint64_t>(p) & ((std::uint64_t{1} << 29) - 1);
  return static_cast<std::int64_t>(low) - (std::int64_t{1} << 28);
}

// The single on the other side of the tie from single(p).
float other_side(double p) {
  const float f = single(p);
  return D(f) > p ? std::nextafter(f, 0.0f) : std::nextafter(f, INFINITY);
}

// The rule of model::WUB for 0 <= u <= 6 (the lanes' domain), recording its
// integrand values in `points`; the value with index `flip` is rounded the
// other way.
float rule(float u, float rb, std::vector<Point>* points, std::size_t flip) {
  if (u > model::kCutoff) return 0.0f;
  std::size_t index = 0;
  auto F = [&](float y) {
    const float q = single(1.0 / D(y));
    const float e = single((-D(y)) - ((D(rb) * D(rb)) / 4.0) / D(y));
    if (e < model::kExponentFloor || std::isnan(e)) return 0.0f;
    const double p = std::exp(D(e)) * D(q);
    if (points != nullptr) points->push_back(Point{y, e, q, p});
    return index++ == flip ? other_side(p) : single(p);
  };
  float h = model::kFirstHalfWidth, W = 0.0f, y = u, f0 = F(y);
  for (;;) {
    const float f1 = F(single(D(h) + D(y)));
    const float x = single(D(h) * 2.0 + D(y));
    const float f2 = F(x);
    const float m = single(((D(f1) * 4.0 + D(f0)) + D(f2)) / 3.0);
    W = single(D(single(D(h) * D(m))) + D(W));
    if (y > model::kCutoff) return W;
    f0 = f2;
    y = x;
    h = single(D(h) * D(model::kGrowthFactor));
  }
}

// The abscissae of the rule for u, in the order it evaluates the integrand.
std::vector<float> abscissae(float u) {
  std::vector<float> xs{u};
  float h = model::kFirstHalfWidth, y = u;
  for (;;) {
    xs.push_back(single(D(h) + D(y)));
    const float x = single(D(h) * 2.0 + D(y));
    xs.push_back(x);
    if (y > model::kCutoff) return xs;
    y = x;
    h = single(D(h) * D(model::kGrowthFactor));
  }
}

// The rule's exponent single(-y - (rb * rb / 4) / y).
float exponent(float y, float rb) { return single((-D(y)) - ((D(rb) * D(rb)) / 4.0) / D(y)); }

// Abscissa number j of the rule for u (number 0 is u itself), by the rule's
// recurrence; the rule evaluates it only when it comes before the stop.
float abscissa(float u, std::size_t j) {
  if (j == 0) return u;
  float h = model::kFirstHalfWidth, y = u;
  for (std::size_t k = 1;; k += 2) {
    if (j == k) return single(D(h) + D(y));
    const float x = single(D(h) * 2.0 + D(y));
    if (j == k + 1) return x;
    y = x;
    h = single(D(h) * D(model::kGrowthFactor));
  }
}

// A u in [2^-64, 6] of which y is abscissa number j, or NaN. Each abscissa
// grows with u, so the least u whose abscissa reaches y is found by halving
// the range of u's bit patterns.
float u_for(float y, std::size_t j) {
  std::uint32_t lo = std::bit_cast<std::uint32_t>(0x1p-64f);
  std::uint32_t hi = std::bit_cast<std::uint32_t>(std::min(y, model::kCutoff));
  if (abscissa(std::bit_cast<float>(hi), j) < y) return NAN;
  while (lo < hi) {
    const std::uint32_t mid = lo + (hi - lo) / 2;
    if (abscissa(std::bit_cast<float>(mid), j) < y) lo = mid + 1; else hi = mid;
  }
  const float u = std::bit_cast<float>(lo);
  return abscissa(u, j) == y && j < abscissae(u).size() ? u : NAN;
}

// The instruction sets on which the lanes' product for exponent e and
// reciprocal q rounds to another single than the rule's product p.
std::string crossing_targets(float e, float q, double p) {
  std::string names;
  for (const std::string& target : engine::lanes_targets()) {
    engine::use_lanes_target(target);
    double lanes = 0.0;
    engine::lanes_exp(std::span<const float>(&e, 1), std::span<double>(&lanes, 1));
    if (single(lanes * D(q)) != single(p)) names += " " + target;
  }
  engine::use_lanes_target("");
  return names;
}

}  // namespace

int main(int argc, char** argv) {
  const int wanted = argc > 1 ? std::atoi(argv[1]) : 12;
  const unsigned seed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 1;
  std::mt19937_64 gen(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  constexpr std::size_t kBlock = 1 << 16;
  constexpr int kSpan = 4096;  // singles y on each side of g / 2
  std::vector<float> es(kBlock);
  std::vector<double> lanes(kBlock);
  std::vector<Point> points;
  std::set<std::pair<float, float>> pairs;
  int found = 0;
  while (found < wanted) {
    // A block of random exponents from -20 to -0.01; keep those where the
    // lanes' exponential is off by 2 ulps or more.
    for (float& e : es) e = single(-std::exp(std::log(0.01) + (std::log(20.0) - std::log(0.01)) * unit(gen)));
    engine::lanes_exp(es, lanes);
    for (std::size_t k = 0; k < kBlock && found < wanted; ++k) {
      const float e = es[k];
      const double E = std::exp(D(e));
      const std::int64_t off = std::bit_cast<std::int64_t>(lanes[k]) - std::bit_cast<std::int64_t>(E);
      if (off > -2 && off < 2) continue;
      const float rb = -e;
      const float y0 = single(-D(e) / 2.0);
      std::uint32_t bits = std::bit_cast<std::uint32_t>(y0) - kSpan;
      for (int step = 0; step < 2 * kSpan && found < wanted; ++step) {
        const float y = std::bit_cast<float>(bits++);
        if (exponent(y, rb) != e) continue;
        const float q = single(1.0 / D(y));
        const double p = E * D(q);
        if (single(lanes[k] * D(q)) == single(p)) continue;
        // A crossing: find the pairs that evaluate F(y, rb).
        for (std::size_t j = 1; j < 200 && found < wanted; ++j) {
          const float u = u_for(y, j);
          if (std::isnan(u)) continue;
          points.clear();
          const float W = rule(u, rb, &points, SIZE_MAX);
          if (std::bit_cast<std::uint32_t>(W) != std::bit_cast<std::uint32_t>(model::WUB(u, rb))) {
            std::fprintf(stderr, "the restated rule differs from model::WUB at u %a, rb %a\n", u, rb);
            return 1;
          }
          std::size_t i = 0;
          while (i < points.size() && !(points[i].y == y && points[i].e == e)) ++i;
          if (i == points.size()) continue;
          const float flipped = rule(u, rb, nullptr, i);
          if (std::bit_cast<std::uint32_t>(flipped) == std::bit_cast<std::uint32_t>(W)) continue;
          if (!pairs.emplace(u, rb).second) break;
          ++found;
          std::printf("    {%af, %af},  // y %.9g, e %.9g: %+lld ulps from a tie; crosses on%s\n", u, rb, y, e,
                      static_cast<long long>(tie_distance(p)), crossing_targets(e, q, p).c_str());
          std::fflush(stdout);
          break;  // one pair per crossing
        }
        break;  // one crossing per exponent
      }
    }
  }
  return 0;
}
