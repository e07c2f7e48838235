#include "fit/aquifer_model.h"

#include <cmath>

namespace fit {

double coordinate_of(const ParameterInfo& info, double v) { return info.log_scale ? std::log(v) : v; }

double value_of(const ParameterInfo& info, double coordinate) {
  return info.log_scale ? std::exp(coordinate) : coordinate;
}

Parameters with_coordinates(const std::vector<ParameterInfo>& info, const std::vector<std::size_t>& fitted,
                            Parameters fixed, const double* x) {
  for (std::size_t a = 0; a < fitted.size(); ++a) fixed[fitted[a]] = value_of(info[fitted[a]], x[a]);
  return fixed;
}

}  // namespace fit
