// A pumping test as the fit takes it: the pumped wells with their schedules,
// the observation points with their drawdowns over time, which aquifer
// parameters are fitted and from where, all in the program's units (feet,
// days, gallons per day, gpd/ft, gpd/ft^3).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "fit/units.h"
#include "outputs/request.h"
#include "pictures/plot.h"
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

/// What is fitted and what is held, per parameter of the test's model.
struct FitSettings {
  std::vector<bool> fitted;                  ///< leakance left out: a confined aquifer
  std::vector<std::optional<double>> start;  ///< starting values given (fitted parameters)
  std::vector<double> fixed;                 ///< values of the parameters not fitted
  /// Whether the standard errors allow for serially correlated residuals
  /// where their autocorrelation is significant (autocorrelation.h); false
  /// gives those of independent errors, for comparison.
  bool serial_errors = true;
};

/// The fit's files by default: aquifer.toml, residuals.csv, type_curves.png
/// and residuals.png, 200 dpi.
inline outputs::Request default_output() {
  outputs::Request r;
  r.fitted_aquifer = "aquifer.toml";
  r.residuals = "residuals.csv";
  r.type_curves = "type_curves.png";
  r.residual_plot = "residuals.png";
  r.dpi = pictures::kDefaultDpi;
  return r;
}

/// A whole pumping test, checked.
struct PumpingTest {
  std::string file;   ///< the test file, as named on the command line
  std::string title;  ///< the title, or the test file's name
  std::string model = "leaky";  ///< the aquifer model fitted (models.h)
  Units units;        ///< the units of the test file and its observation files
  std::vector<Well> wells;
  std::vector<Observation> observations;
  std::vector<std::string> inputs;  ///< the files read: the test file and the observation files
  FitSettings fit;
  std::string output_base;              ///< the test file's folder
  std::string output_relative = ".";    ///< the output folder below it
  /// The files of the fit (the aquifer table, the residuals, the two pictures:
  /// a picture "" when not asked for) in the output folder (`folder`, below
  /// the test file's, as shown), the pictures' dpi and page.
  outputs::Request output = default_output();
  std::size_t samples_count = 1000;  ///< the parameter sets of `output.samples` (samples.h)
};

}  // namespace fit
