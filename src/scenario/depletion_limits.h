// The streams' depletion limits in the compliance table: each stream with a
// `depletion_limit` (gallons per day) or a `depletion_limit_fraction` (of the
// plan's largest total pumping rate, which makes it a rate too) is followed
// like a receptor, on the same dense days, with the same largest value and
// day, first exceedance and margin, in gallons per day; the depletion is
// linear in the rates, so its factor is limit / largest like a receptor's.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "scenario/compliance.h"
#include "scenario/depletion.h"
#include "scenario/scenario.h"

namespace scenario {

/// Whether some stream of the scenario has a depletion limit.
bool has_stream_limits(const Scenario& s);

/// The limit of stream boundary `b` in gallons per day: its depletion_limit,
/// or its depletion_limit_fraction of the largest total rate of the plan's
/// wells over every schedule step (0 without either).
double stream_limit(const Scenario& s, const Boundary& b);

/// The largest depletion of stream k (index in d.streams()) up to
/// last_day(s), in gallons per day, and its day (a plateau's first), found
/// by the search that follows a stream's limit. {day, value}.
std::pair<double, double> largest_depletion(const Scenario& s, const Depletion& d, std::size_t k);

/// Adds the streams with a limit to `c` (Compliance::streams, in boundary
/// order, each `receptor` the boundary's index), up to last_day(s), and lets
/// them into the rate factor.
void add_stream_limits(const Scenario& s, Compliance& c);

/// The streams' rows of the compliance table for the console (a table of
/// their own, in gallons per day), "" without any.
std::string stream_limits_text(const Scenario& s, const Compliance& c);

/// The compliance CSV of a scenario with stream limits:
/// kind,name,limit,largest,at_day,first_exceeded_day,margin,rate_factor,unit,
/// a row per receptor with a limit (unit ft) then per stream (unit gpd).
std::string compliance_csv_with_streams(const Scenario& s, const Compliance& c);

}  // namespace scenario
