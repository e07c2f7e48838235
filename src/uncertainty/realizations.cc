#include "uncertainty/realizations.h"

#include <cmath>

#include "uncertainty/generator.h"

namespace uncertainty {
namespace {

// The standard normal's 97.5th percentile: a 95 % range spans 2 z of them.
constexpr double kZ975 = 1.959963984540054;

}  // namespace

std::optional<std::array<std::array<double, 3>, 3>> cholesky(const std::array<std::array<double, 3>, 3>& c) {
  std::array<std::array<double, 3>, 3> l{};
  for (std::size_t i = 0; i < 3; ++i)
    for (std::size_t j = 0; j <= i; ++j) {
      double sum = c[i][j];
      for (std::size_t k = 0; k < j; ++k) sum -= l[i][k] * l[j][k];
      if (i == j) {
        if (!(sum > 1e-12)) return std::nullopt;
        l[i][i] = std::sqrt(sum);
      } else {
        l[i][j] = sum / l[j][j];
      }
    }
  return l;
}

Realizations::Realizations(const Draws& settings, const scenario::Aquifer& base) : settings_(settings), base_(base) {
  const std::optional<std::array<std::array<double, 3>, 3>> l = cholesky(settings.correlation);
  if (l) lower_ = *l;
}

scenario::Aquifer Realizations::at(std::size_t index) const {
  Stream stream(settings_.seed, index);
  if (!settings_.samples.empty()) {
    const std::size_t n = settings_.samples.size();
    const std::size_t row = static_cast<std::size_t>(stream.uniform() * static_cast<double>(n));
    return settings_.samples[row < n ? row : n - 1];
  }
  std::array<double, 3> z{};
  for (double& v : z) v = stream.normal();
  double value[3] = {base_.transmissivity, base_.storage, base_.leakance};
  for (std::size_t p = 0; p < 3; ++p) {
    if (!settings_.ranges[p]) continue;
    double y = 0.0;
    for (std::size_t k = 0; k <= p; ++k) y += lower_[p][k] * z[k];
    const double lo = std::log(settings_.ranges[p]->low), hi = std::log(settings_.ranges[p]->high);
    value[p] = std::exp(0.5 * (lo + hi) + y * (hi - lo) / (2.0 * kZ975));
  }
  scenario::Aquifer a;
  a.transmissivity = value[kTransmissivity];
  a.storage = value[kStorage];
  a.leakance = value[kLeakance];
  return a;
}

}  // namespace uncertainty
