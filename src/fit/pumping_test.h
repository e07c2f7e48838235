// A pumping test as the fit takes it: the pumped wells with their schedules,
// the observation points with their drawdowns over time, which aquifer
// parameters are fitted and from where, all in the program's units (feet,
// days, gallons per day, gpd/ft, gpd/ft^3).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "fit/units.h"
#include "scenario/scenario.h"

namespace fit {

/// One step of a pumped well's schedule: from `day` on, `rate` gallons per
/// day; and a pumped well at (x, y) feet with its schedule: as in a study.
using Step = scenario::Step;
using Well = scenario::Well;

/// One observed drawdown: `day` days after pumping began, `drawdown` feet.
struct Reading {
  double day = 0.0;
  double drawdown = 0.0;
  std::size_t line = 0;  ///< its line in the observation file (for messages)
  double time_given = 0.0;      ///< the time as the file gives it, in the test's unit
  double drawdown_given = 0.0;  ///< the drawdown as the file gives it, in the test's unit
};

/// An observation point (a piezometer) at (x, y) feet with its readings.
struct Observation {
  std::string name;
  double x = 0.0, y = 0.0;
  double weight = 1.0;            ///< weight of each of its readings in the least squares
  std::string file;               ///< where its readings came from
  std::vector<Reading> readings;  ///< days increasing
};

/// The aquifer parameters, in the order of Parameters' arrays.
enum Parameter { kTransmissivity = 0, kStorage = 1, kLeakance = 2 };
inline constexpr std::size_t kParameterCount = 3;
/// Their names as the test file and the reports write them.
inline constexpr std::array<const char*, kParameterCount> kParameterNames = {"transmissivity", "storage", "leakance"};

/// Values of the three parameters: T gpd/ft, S, leakance gpd/ft^3.
using Parameters = std::array<double, kParameterCount>;

/// What is fitted and what is held.
struct FitSettings {
  std::array<bool, kParameterCount> fitted = {true, true, true};  ///< leakance left out: a confined aquifer
  std::array<std::optional<double>, kParameterCount> start;        ///< starting values given (fitted parameters)
  Parameters fixed = {0.0, 0.0, 0.0};                              ///< values of the parameters not fitted
};

/// The outputs of a fit, written to `folder`: aquifer.toml and residuals.csv
/// always, and the two pictures unless their names are empty.
struct FitOutput {
  std::string folder;                           ///< the output folder, below the test file's, as shown
  std::string base;                             ///< the test file's folder
  std::string relative = ".";                   ///< the output folder below it
  std::string type_curves = "type_curves.png";  ///< drawdown against time, log-log, observed and fitted
  std::string residual_plot = "residuals.png";  ///< residual against time
  int dpi = 200;                                ///< pixels per inch of a .png picture
  std::string page;                             ///< the page of a .pdf picture ("" : its own size)
};

/// A whole pumping test, checked.
struct PumpingTest {
  std::string file;   ///< the test file, as named on the command line
  std::string title;  ///< the title, or the test file's name
  Units units;        ///< the units of the test file and its observation files
  std::vector<Well> wells;
  std::vector<Observation> observations;
  std::vector<std::string> inputs;  ///< the files read: the test file and the observation files
  FitSettings fit;
  FitOutput output;
};

}  // namespace fit
