// The date columns of a study's tables: with a `start_date`, the series,
// compliance and depletion CSVs gain, right after each column of days, a
// column of the same moments as dates (base/calendar.h: the date alone at
// midnight, else the date and the time to the minute, ISO 8601). Without a
// start date every table is what it always was, byte for byte.
#pragma once

#include <string>
#include <string_view>

#include "study/study.h"

namespace study {

/// The columns of days that gain a date, and the date column's name: days ->
/// date, day -> date, at_day -> at_date, first_exceeded_day -> first_exceeded_date.
std::string_view date_column_of(std::string_view day_column);

/// `csv` (a header line, then rows; LF line ends; fields quoted as
/// base::csv_field quotes them) with a date column after each column that
/// date_column_of names, each row's date that of its day after `start`
/// (empty for an empty or unreadable day).
std::string with_dates(std::string_view csv, base::Date start);

/// The table `csv` of study `s`: with_dates when s has a start date, else `csv`.
std::string dated(const Study& s, std::string csv);

}  // namespace study
