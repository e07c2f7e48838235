// The depletion of a scenario's streams: how much water each well takes from
// each stream boundary, in the program's units (feet, days, gallons per day),
// by model/stream_depletion.h with the wells' schedules superposed and the
// boundaries' image wells counted.
//
// A well's response at a stream is the fraction of a unit rate, started at
// day 0, that the stream gives after tau days:
//   - one stream, or a strip: the flux through the whole (infinite) line of
//     every source, the well and each image: a source at signed distance d_k
//     from the line (above 0 on the aquifer's side) with sign s_k gives
//     s_k sign(d_k) f(|d_k|) / 2, f the well-and-image fraction of
//     model::stream_depletion; for the well and its own image this is f;
//   - a quadrant: the stream's line is a half-line, ended by the other line.
//     Behind a barrier the mirrored quadrant holds the same flux, so the
//     half-line takes f; behind another stream, model::corner_depletion;
//   - a stream with a streambed (the scenario's only boundary, no leakage):
//     model::streambed_depletion.
// The depletion of a well at day t is the sum over its steps of the rate's
// change times the response after t - t_k days; the volume likewise with the
// response's integral over time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/stream_depletion.h"
#include "scenario/limit_search.h"
#include "scenario/scenario.h"

namespace scenario {

/// Gallons in a cubic foot (a US gallon is 231 cubic inches) and seconds in a
/// day: a rate in gallons per day over kGpdPerCfs is cubic feet per second.
inline constexpr double kGallonsPerCubicFoot = 1728.0 / 231.0;
inline constexpr double kSecondsPerDay = 86400.0;
inline constexpr double kGpdPerCfs = kGallonsPerCubicFoot * kSecondsPerDay;

/// The aquifer as the depletion sees it, in feet and days: the diffusivity
/// T / (4 a S) of the drawdowns' u = a r^2 S / (T t) (a = model::kTrueUCoefficient,
/// which holds the gallons per cubic foot), and the leakage factor B.
model::DepletionAquifer depletion_aquifer(const Aquifer& a);

/// The transmissivity in square feet per day, as the drawdowns take it: T / (4 a).
double transmissivity_ft2_per_day(const Aquifer& a);

/// The response of one well at one stream.
class StreamResponse {
 public:
  /// The response of `well` at the stream boundary `stream` (index in
  /// s.boundaries, a stream), the images of a strip kept out to `reach` feet.
  StreamResponse(const Scenario& s, std::size_t stream, const Well& well, double reach);
  /// The fraction after `tau` days (0 for tau <= 0).
  double operator()(double tau) const;

 private:
  enum class Form { kLine, kCorner, kStreambed };
  struct Source {
    double distance = 0.0;  // |d_k|, feet
    double weight = 0.0;    // s_k sign(d_k) / 2
  };
  Form form_ = Form::kLine;
  model::DepletionAquifer aquifer_;
  double transmissivity_ = 0.0;  // square feet per day (the streambed's)
  double conductance_ = 0.0;     // the streambed's, feet per day
  double distance_ = 0.0;        // the well's from the stream, feet
  double across_ = 0.0;          // the well's from the other stream of a quadrant, feet
  std::vector<Source> sources_;  // kLine: by distance, increasing
};

/// Every well's response at every stream of a scenario.
class Depletion {
 public:
  /// The responses for days up to `last` (the strips' images kept for it).
  Depletion(const Scenario& s, double last);

  /// The stream boundaries, as indices in Scenario::boundaries.
  const std::vector<std::size_t>& streams() const { return streams_; }
  /// The depletion of stream k (index in streams()) by well w at day t, gallons per day.
  double of_well(std::size_t k, std::size_t w, double t) const;
  /// The depletion of stream k by every well at day t, gallons per day.
  double total(std::size_t k, double t) const;
  /// The depletion of stream k by every well at day t, gallons per day, split
  /// into the terms of the rate increases and of the decreases: each well's
  /// response never decreases with time, so both parts never decrease.
  LimitSample sample(std::size_t k, double t) const;
  /// The volume stream k gave well w from day 0 to day t, gallons.
  double volume_of_well(std::size_t k, std::size_t w, double t) const;

 private:
  const Scenario& s_;
  std::vector<std::size_t> streams_;
  std::vector<std::vector<StreamResponse>> responses_;  // [stream][well]
};

/// The rate well `w` pumps at day t: its last step's before t (0 before its first step).
double rate_at(const Well& w, double t);

/// The total rate of every well at day t.
double total_rate_at(const Scenario& s, double t);

/// The depletion CSV: the header stream,well,day,depletion,fraction,volume,depletion_cfs,
/// then per stream, per well and then `all`, a row per day of `days`:
/// depletion in gallons per day, fraction of the well's (or all wells')
/// rate at that day (empty when that rate is 0), volume in gallons since
/// day 0, depletion in cubic feet per second. LF line ends.
std::string depletion_csv(const Scenario& s, const Depletion& d, const std::vector<double>& days);

}  // namespace scenario
