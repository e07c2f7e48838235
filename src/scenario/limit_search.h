// A quantity that the wells' rates superpose (the drawdown at a receptor, and
// any other quantity built the same way), followed against a limit on the
// continuous time axis, so that nothing between two samples is missed.
//
// Such a quantity is a sum of terms dq_k f_k(t - t_k), each f_k never
// decreasing with time (a well function's drawdown grows with the time since
// its rate change began, from 0). Split by the sign of dq_k it is
// rising(t) - falling(t), both parts never decreasing; so on [a, b]
//     value(t) <= rising(b) - falling(a)   and   value(t) >= rising(a) - falling(b),
// bounds that make the search sure: an interval whose upper bound stays at or
// below the limit holds no exceedance, one whose bounds are not decided is
// halved until they are (down to kFinestDay).
#pragma once

#include <cstddef>
#include <functional>
#include <span>
#include <vector>

namespace scenario {

/// A limited quantity at one day: its value and the two never-decreasing
/// parts it is the difference of (both 0 or more).
struct LimitSample {
  double day = 0.0;
  double value = 0.0;
  double rising = 0.0;   ///< the terms of the rate increases
  double falling = 0.0;  ///< the terms of the rate decreases, as a positive sum
};

/// The quantity at a day.
using SampleAt = std::function<LimitSample(double day)>;

/// Bounds of the quantity on an interval.
struct LimitBounds {
  double upper = 0.0, lower = 0.0;
};

/// Bounds of the quantity between two of its samples (a before b) that the
/// caller knows beyond those of its parts; the search takes the tighter.
using BoundsOn = std::function<LimitBounds(const LimitSample& a, const LimitSample& b)>;

/// A stretch of time when the quantity is above its limit: it is at or below
/// the limit at `from` and above it just after (a day at most kCrossingDay
/// later); above it up to `to`, and at or below it again at `to` (or `to` is
/// the last day searched).
struct LimitWindow {
  double from = 0.0, to = 0.0;
};

/// What the search finds.
struct LimitSearch {
  double largest = 0.0;      ///< the largest value
  double largest_day = 0.0;  ///< its day: the first day within a millionth of it (a plateau's start)
  double least = 0.0;        ///< the least value (a rise's peak when below 0)
  double least_day = 0.0;    ///< its day
  std::vector<LimitWindow> windows;  ///< every stretch above the limit, in order (none: the limit is kept)
  double days_above = 0.0;   ///< the windows' total length in days
  std::size_t evaluations = 0;  ///< the quantity's evaluations made
};

/// Crossings of the limit are bracketed to this many days.
inline constexpr double kCrossingDay = 1e-6;
/// Intervals are not halved below this many days.
inline constexpr double kFinestDay = 1e-6;

/// Searches the quantity from days.front() to days.back() (`days` increasing,
/// at least one): evaluated at every day of `days`; each local peak refined
/// where its bounds allow a larger value; every interval halved until it is
/// known to be wholly above or below `limit` or its crossing is bracketed,
/// and until no interval can hold a value more than a millionth above the
/// largest found. An interval is halved at the day of `changes` (increasing:
/// the days a term begins, where the quantity turns fastest) in its middle
/// when it holds any, else at its middle; so every change day where the
/// answer could lie is sampled, and those the bounds rule out cost nothing.
/// `slack` (relative to rising + falling) widens the bounds for a quantity
/// whose parts carry rounding of their own (single precision); `bounds`, when
/// given, may tighten them.
LimitSearch search_limit(const SampleAt& at, std::span<const double> days, double limit, double slack = 1e-12,
                         std::span<const double> changes = {}, const BoundsOn& bounds = {});

/// A day shown to 0.1 day, rounded down (never later than `day`) or up (never
/// earlier).
double tenth_down(double day);
double tenth_up(double day);

}  // namespace scenario
