#include "scenario/limit_search.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace scenario {
namespace {

// Intervals are no longer halved for the largest value once none can hold
// one more than this fraction above the largest found.
constexpr double kLargestTolerance = 1e-6;
// At most this many evaluations are spent on halving intervals for the limit
// (a quantity that hugs its limit within its own rounding for long stretches
// stops there).
constexpr std::size_t kMostHalvings = 400'000;
// For the largest value, no more than this many per sample (and at least the
// least below): where terms of opposite signs nearly cancel (a schedule of many
// alternating steps), the bounds are loose for the largest value, which the
// limit does not need (the limit's halving is complete on its own).
constexpr std::size_t kLargestHalvingsPerSample = 2;
constexpr std::size_t kLeastLargestHalvings = 500;

class Search {
 public:
  Search(const SampleAt& at, double limit, double slack, std::span<const double> changes, const BoundsOn& bounds)
      : at_(at), limit_(limit), slack_(slack), changes_(changes), bounds_(bounds) {}

  // Whether a term begins strictly between a and b.
  bool changes_between(double a, double b) const {
    const auto first = std::upper_bound(changes_.begin(), changes_.end(), a);
    return first != changes_.end() && *first < b;
  }

  // Where [a, b] is halved: at the change day in its middle (by count) when
  // it holds any, else at its middle.
  double split_day(double a, double b) const {
    const auto first = std::upper_bound(changes_.begin(), changes_.end(), a);
    const auto last = std::lower_bound(first, changes_.end(), b);
    if (first < last) return *(first + (last - first) / 2);
    return a + 0.5 * (b - a);
  }

  LimitSample eval(double day) {
    LimitSample s = at_(day);
    s.day = day;
    points_.push_back(s);
    best_ = std::max(best_, s.value);
    return s;
  }

  // The bounds of the quantity between samples a and b (a before b): those
  // of its parts, or the caller's where tighter.
  LimitBounds bounds(const LimitSample& a, const LimitSample& b) const {
    LimitBounds m{b.rising - a.falling + slack_ * (b.rising + a.falling) + 1e-300,
                  a.rising - b.falling - slack_ * (a.rising + b.falling) - 1e-300};
    if (bounds_) {
      const LimitBounds t = bounds_(a, b);
      m.upper = std::min(m.upper, t.upper);
      m.lower = std::max(m.lower, t.lower);
    }
    return m;
  }

  // Whether [a, b] may hold a value more than a millionth above the largest
  // found (beyond what the parts' own rounding blurs).
  bool may_top(const LimitSample& a, const LimitSample& b) const {
    const double blur = std::max(kLargestTolerance * std::fabs(best_), 4.0 * slack_ * (b.rising + a.falling));
    return bounds(a, b).upper > best_ + blur;
  }

  // The largest value in [lo, hi] by golden-section search, each value tried
  // joining the points.
  void refine_peak(double lo, double hi) {
    const double g = (std::sqrt(5.0) - 1.0) / 2.0;
    double a = hi - g * (hi - lo), b = lo + g * (hi - lo);
    double fa = eval(a).value, fb = eval(b).value;
    for (int i = 0; i < 80 && hi - lo > 1e-9 * std::max(1.0, hi) && hi - lo > kFinestDay * 1e-3; ++i) {
      if (fa >= fb) {
        hi = b, b = a, fb = fa;
        a = hi - g * (hi - lo);
        fa = eval(a).value;
      } else {
        lo = a, a = b, fa = fb;
        b = lo + g * (hi - lo);
        fb = eval(b).value;
      }
    }
  }

  // Refines each local peak of the samples where no term begins between its
  // neighbours (a smooth stretch; halving settles the others) and whose
  // bounds allow a value above the largest so far, the highest first.
  void refine_peaks(const std::vector<LimitSample>& samples) {
    std::vector<std::size_t> peaks;
    for (std::size_t k = 1; k + 1 < samples.size(); ++k)
      if (samples[k].value >= samples[k - 1].value && samples[k].value >= samples[k + 1].value &&
          !changes_between(samples[k - 1].day, samples[k + 1].day))
        peaks.push_back(k);
    std::sort(peaks.begin(), peaks.end(), [&](std::size_t a, std::size_t b) { return samples[a].value > samples[b].value; });
    for (std::size_t k : peaks)
      if (may_top(samples[k - 1], samples[k + 1])) refine_peak(samples[k - 1].day, samples[k + 1].day);
  }

  // Halves [a, b] while it may hide a value above the limit, a dip below it,
  // or a crossing not yet bracketed.
  void halve_for_limit(const LimitSample& a, const LimitSample& b) {
    const double width = b.day - a.day;
    if (!(width > kFinestDay) || halvings_ >= kMostHalvings) return;
    const bool above_a = a.value > limit_, above_b = b.value > limit_;
    const bool crossing = above_a != above_b;
    const LimitBounds on = crossing ? LimitBounds{} : bounds(a, b);
    const bool split = (!above_a && !above_b && on.upper > limit_) || (above_a && above_b && on.lower <= limit_) ||
                       (crossing && width > kCrossingDay);
    if (!split) return;
    ++halvings_;
    const LimitSample m = eval(split_day(a.day, b.day));
    halve_for_limit(a, m);
    halve_for_limit(m, b);
  }

  // Halves [a, b] while it may hold a value above the largest found.
  void halve_for_largest(const LimitSample& a, const LimitSample& b) {
    const double width = b.day - a.day;
    if (!(width > kFinestDay) || halvings_ >= largest_budget_ || !may_top(a, b)) return;
    ++halvings_;
    const LimitSample m = eval(split_day(a.day, b.day));
    halve_for_largest(a, m);
    halve_for_largest(m, b);
  }

  std::vector<LimitSample> sorted_points() const {
    std::vector<LimitSample> p = points_;
    std::sort(p.begin(), p.end(), [](const LimitSample& a, const LimitSample& b) { return a.day < b.day; });
    return p;
  }

  std::size_t evaluations() const { return points_.size(); }

  // Allows halving for the largest value `more` evaluations beyond those made so far.
  void allow_for_largest(std::size_t more) { largest_budget_ = halvings_ + more; }

 private:
  const SampleAt& at_;
  double limit_, slack_;
  std::span<const double> changes_;
  const BoundsOn& bounds_;
  double best_ = -std::numeric_limits<double>::infinity();
  std::size_t halvings_ = 0;
  std::size_t largest_budget_ = 0;
  std::vector<LimitSample> points_;
};

// The windows above the limit among points in day order.
std::vector<LimitWindow> windows_of(const std::vector<LimitSample>& p, double limit) {
  std::vector<LimitWindow> windows;
  for (std::size_t k = 0; k < p.size(); ++k) {
    if (!(p[k].value > limit)) continue;
    LimitWindow w{k > 0 ? p[k - 1].day : p[k].day, p.back().day};
    while (k + 1 < p.size() && p[k + 1].value > limit) ++k;
    if (k + 1 < p.size()) w.to = p[k + 1].day;
    windows.push_back(w);
  }
  return windows;
}

}  // namespace

LimitSearch search_limit(const SampleAt& at, std::span<const double> days, double limit, double slack,
                         std::span<const double> changes, const BoundsOn& bounds) {
  Search search(at, limit, slack, changes, bounds);
  std::vector<LimitSample> samples;
  samples.reserve(days.size());
  for (double d : days) samples.push_back(search.eval(d));
  search.refine_peaks(samples);
  std::vector<LimitSample> points = search.sorted_points();
  for (std::size_t k = 0; k + 1 < points.size(); ++k) search.halve_for_limit(points[k], points[k + 1]);
  points = search.sorted_points();
  search.refine_peaks(points);
  points = search.sorted_points();
  search.allow_for_largest(std::max<std::size_t>(kLeastLargestHalvings, kLargestHalvingsPerSample * days.size()));
  for (std::size_t k = 0; k + 1 < points.size(); ++k) search.halve_for_largest(points[k], points[k + 1]);
  points = search.sorted_points();

  LimitSearch r;
  r.evaluations = search.evaluations();
  const auto high = std::max_element(points.begin(), points.end(),
                                     [](const LimitSample& a, const LimitSample& b) { return a.value < b.value; });
  const auto low = std::min_element(points.begin(), points.end(),
                                    [](const LimitSample& a, const LimitSample& b) { return a.value < b.value; });
  r.largest = high->value;
  r.largest_day = high->day;
  r.least = low->value;
  r.least_day = low->day;
  // On a plateau (a leaky aquifer's steady state) the day is the first that
  // comes within a millionth of the largest value, bisected between the
  // first point that does and the one before it.
  const double near = r.largest - (kLargestTolerance * std::fabs(r.largest) + 1e-9);
  const auto first = std::find_if(points.begin(), points.end(), [&](const LimitSample& p) { return p.value >= near; });
  r.largest_day = first->day;
  if (first != points.begin()) {
    double lo = (first - 1)->day, hi = first->day;
    while (hi - lo > kCrossingDay) {
      const double mid = lo + 0.5 * (hi - lo);
      (at(mid).value >= near ? hi : lo) = mid;
      ++r.evaluations;
    }
    r.largest_day = hi;
  }
  r.windows = windows_of(points, limit);
  for (const LimitWindow& w : r.windows) r.days_above += w.to - w.from;
  return r;
}

double tenth_down(double day) {
  double shown = std::floor(day * 10.0) / 10.0;
  if (shown > day) shown = std::floor(day * 10.0 - 1.0) / 10.0;
  return shown;
}

double tenth_up(double day) {
  double shown = std::ceil(day * 10.0) / 10.0;
  if (shown < day) shown = std::ceil(day * 10.0 + 1.0) / 10.0;
  return shown;
}

}  // namespace scenario
