// The seam between the fit and the aquifer it fits: a model lists its
// parameters (name, unit, bounds, whether fitted over its logarithm) and
// gives the drawdown at an observation point, with its derivatives, and its
// own cost functor for the least squares. The reader, the solver, the report
// and the pictures know a model only through this interface, so that a new
// parameter or a second model is the model's own file (and its line in
// models.cc).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "fit/units.h"

namespace ceres {
class CostFunction;
}

namespace fit {

struct PumpingTest;

/// The true well function W(u, r/B), in double: the program hands its own to
/// the fit (the fit module links no engine).
using WellFunction = double (*)(double u, double rb);

/// Values of a model's parameters, in the order of its parameters(), in the
/// program's units.
using Parameters = std::vector<double>;

/// A parameter's value shown in a unit: the factor from the program's unit
/// and the unit's name ("" : dimensionless).
struct Shown {
  double factor = 1.0;
  std::string unit;
};

/// One parameter of a model.
struct ParameterInfo {
  std::string_view name;          ///< as the test file and the reports write it
  std::string_view unit;          ///< the program's unit, as files write it ("gpd/ft", "" dimensionless)
  double lower = 0.0;             ///< the smallest value the fit may give it
  double upper = 0.0;             ///< and the largest
  bool log_scale = true;          ///< fitted over its logarithm (else over its value)
  bool zero_when_held = false;    ///< when held, [aquifer] may leave it out (0) or give 0
  bool distinct_starts = false;   ///< starting points differing in it are each solved from
  double study_metric_factor = 1.0;   ///< from the program's unit to a metric study's
  std::string_view study_metric_unit; ///< a metric study's unit ("" : the same as the program's)
};

/// A modelled drawdown in feet and its derivatives with respect to each
/// parameter's fitted coordinate (its logarithm, or its value when not on a
/// log scale), in the order of the parameters.
struct Modelled {
  double drawdown = 0.0;
  std::vector<double> gradient;
};

/// An aquifer model the fit can fit.
class AquiferModel {
 public:
  virtual ~AquiferModel() = default;
  /// The solution's name in messages ("the leaky-aquifer solution").
  virtual std::string_view solution() const = 0;
  /// Its parameters.
  virtual const std::vector<ParameterInfo>& parameters() const = 0;
  /// The drawdown in feet at (x, y) feet `day` days after pumping began with
  /// the aquifer `p`; the gradient only `with_gradient` (else left empty).
  virtual Modelled drawdown(const PumpingTest& test, double x, double y, double day, const Parameters& p,
                            bool with_gradient) const = 0;
  /// The model's cost functor: the residuals sqrt(w) (observed - modelled)
  /// of every reading, in observation order, over one parameter block of the
  /// `fitted` parameters' coordinates (the others held at the test's values).
  virtual std::unique_ptr<ceres::CostFunction> cost(const PumpingTest& test,
                                                    const std::vector<std::size_t>& fitted) const = 0;
  /// The starting points the fit tries (each a full set of parameters).
  virtual std::vector<Parameters> starting_points(const PumpingTest& test) const = 0;
  /// How the report shows parameter `j` in the test's units `u`: the first
  /// in the program's unit.
  virtual std::vector<Shown> forms(std::size_t j, const Units& u) const = 0;
  /// A line more of the report under parameter `j` (its interval the 95%
  /// interval), or "".
  virtual std::string note(std::size_t j, const Units& u, double value, std::array<double, 2> interval) const = 0;
  /// The order of the parameters in the fitted [aquifer] table.
  virtual std::vector<std::size_t> aquifer_order() const = 0;
};

/// The count of a model's parameters.
inline std::size_t parameter_count(const AquiferModel& m) { return m.parameters().size(); }

/// The fitted coordinate of the value `v` of parameter `info` and back.
double coordinate_of(const ParameterInfo& info, double v);
double value_of(const ParameterInfo& info, double coordinate);

/// The parameters `fixed` with the fitted ones (`fitted`, indices) taken from
/// their coordinates `x`.
Parameters with_coordinates(const std::vector<ParameterInfo>& info, const std::vector<std::size_t>& fitted,
                            Parameters fixed, const double* x);

}  // namespace fit
