// Calendar dates for a study's days: a day t after a start date is the
// moment t days after the start date's midnight (pumping begins at 00:00 of
// the start date, local clock time, no time zone). A whole day shows as the
// date alone (ISO 8601 "2027-01-31"), a fractional one as the date and the
// time to the nearest minute ("2027-01-13T07:12"). The proleptic Gregorian
// calendar throughout (H. Hinnant's days_from_civil and civil_from_days).
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace base {

/// A calendar date.
struct Date {
  int year = 1970;
  unsigned month = 1;  ///< 1 .. 12
  unsigned day = 1;    ///< 1 .. the month's last
  friend bool operator==(const Date&, const Date&) = default;
};

/// Days from 1970-01-01 to `d` (negative before it).
constexpr std::int64_t days_from_civil(Date d) {
  const std::int64_t y = static_cast<std::int64_t>(d.year) - (d.month <= 2 ? 1 : 0);
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t mp = (static_cast<std::int64_t>(d.month) + 9) % 12;
  const std::int64_t doy = (153 * mp + 2) / 5 + static_cast<std::int64_t>(d.day) - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

/// The date `z` days after 1970-01-01.
constexpr Date civil_from_days(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const auto day = static_cast<unsigned>(doy - (153 * mp + 2) / 5 + 1);
  const auto month = static_cast<unsigned>(mp < 10 ? mp + 3 : mp - 9);
  return Date{static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

/// Whether `d` is a date of the calendar (its month 1 .. 12, its day in the month).
constexpr bool valid_date(Date d) {
  return d.month >= 1 && d.month <= 12 && d.day >= 1 && civil_from_days(days_from_civil(d)) == d;
}

/// `d` as ISO 8601 ("2027-01-31"; a year beyond 9999 with all its digits).
inline std::string iso_date(Date d) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month, d.day);
  return text;
}

/// Days beyond which a day has no date (about 2.7 million years).
inline constexpr double kMostDatedDays = 1e9;

/// The moment `day` days after the start of `start`, to the nearest minute:
/// the date alone when that is midnight, else "date T hh:mm"; nothing for a
/// day that is not finite or beyond kMostDatedDays either way.
inline std::optional<std::string> date_of_day(Date start, double day) {
  if (!std::isfinite(day) || std::fabs(day) > kMostDatedDays) return std::nullopt;
  const auto minutes = static_cast<std::int64_t>(std::llround(day * 1440.0));
  const std::int64_t whole = minutes >= 0 ? minutes / 1440 : -((-minutes + 1439) / 1440);
  const std::int64_t of_day = minutes - whole * 1440;
  std::string text = iso_date(civil_from_days(days_from_civil(start) + whole));
  if (of_day == 0) return text;
  char time[16];
  std::snprintf(time, sizeof time, "T%02d:%02d", static_cast<int>(of_day / 60), static_cast<int>(of_day % 60));
  return text + time;
}

}  // namespace base
