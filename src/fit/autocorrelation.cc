#include "fit/autocorrelation.h"

#include <algorithm>
#include <cmath>

namespace fit {
namespace {

// The AR(1) log likelihood of `r` at `phi`, sigma profiled out: e_1 = r_1,
// e_i = r_i - rho_i r_{i-1}, rho_i = phi^(dt_i / spacing), each of variance
// v_i = 1 - rho_i^2 (v_1 = 1) in units of sigma^2.
double log_likelihood(std::span<const double> days, std::span<const double> r, double spacing, double phi) {
  const double n = static_cast<double>(r.size());
  double squares = r[0] * r[0], log_v = 0.0;
  for (std::size_t i = 1; i < r.size(); ++i) {
    const double rho = phi > 0.0 ? std::pow(phi, (days[i] - days[i - 1]) / spacing) : 0.0;
    const double v = std::max(1e-12, 1.0 - rho * rho);
    const double e = r[i] - rho * r[i - 1];
    squares += e * e / v;
    log_v += std::log(v);
  }
  if (!(squares > 0.0)) return 0.0;
  return -0.5 * n * std::log(squares / n) - 0.5 * log_v;
}

double median_spacing(std::span<const double> days) {
  std::vector<double> dt;
  for (std::size_t i = 1; i < days.size(); ++i) dt.push_back(days[i] - days[i - 1]);
  if (dt.empty()) return 1.0;
  std::nth_element(dt.begin(), dt.begin() + static_cast<std::ptrdiff_t>(dt.size() / 2), dt.end());
  return dt[dt.size() / 2];
}

}  // namespace

double lag1_autocorrelation(std::span<const double> r) {
  double lagged = 0.0, squares = 0.0;
  for (std::size_t i = 0; i < r.size(); ++i) {
    squares += r[i] * r[i];
    if (i > 0) lagged += r[i] * r[i - 1];
  }
  return r.size() > 1 && squares > 0.0 ? lagged / squares : 0.0;
}

double ar1_phi(std::span<const double> days, std::span<const double> r, double spacing) {
  // Golden-section search of the log likelihood over [0, kLargestPhi].
  const double golden = (std::sqrt(5.0) - 1.0) / 2.0;
  double a = 0.0, b = kLargestPhi;
  double c = b - golden * (b - a), d = a + golden * (b - a);
  double fc = log_likelihood(days, r, spacing, c), fd = log_likelihood(days, r, spacing, d);
  for (int i = 0; i < 60 && b - a > 1e-7; ++i) {
    if (fc > fd) {
      b = d, d = c, fd = fc;
      c = b - golden * (b - a), fc = log_likelihood(days, r, spacing, c);
    } else {
      a = c, c = d, fc = fd;
      d = a + golden * (b - a), fd = log_likelihood(days, r, spacing, d);
    }
  }
  const double phi = (a + b) / 2.0;
  // The ends, where the likelihood may be largest.
  double best = phi, at_best = log_likelihood(days, r, spacing, phi);
  for (double end : {0.0, kLargestPhi})
    if (const double l = log_likelihood(days, r, spacing, end); l > at_best) best = end, at_best = l;
  return best;
}

std::vector<SerialCorrelation> serial_correlations(const PumpingTest& test, const std::vector<double>& residuals) {
  std::vector<SerialCorrelation> out;
  std::size_t first = 0;
  for (const Observation& o : test.observations) {
    const std::size_t n = o.readings.size();
    const std::span<const double> r(residuals.data() + first, n);
    first += n;
    std::vector<double> days;
    for (const Reading& reading : o.readings) days.push_back(reading.day);
    SerialCorrelation s;
    s.readings = n;
    s.r1 = lag1_autocorrelation(r);
    s.limit = 2.0 / std::sqrt(static_cast<double>(n));
    s.significant = n >= kFewestReadings && std::fabs(s.r1) > s.limit;
    s.spacing = median_spacing(days);
    // Kendall's correction of the estimate's bias, (1 + 3 phi) / n: residuals
    // are less correlated than the errors (the fit takes up some of them).
    if (s.significant && s.r1 > 0.0) {
      const double phi = ar1_phi(days, r, s.spacing);
      s.phi = std::min(kLargestPhi, phi + (1.0 + 3.0 * phi) / static_cast<double>(n));
    }
    out.push_back(s);
  }
  return out;
}

bool any_ar1(const std::vector<SerialCorrelation>& serial) {
  return std::any_of(serial.begin(), serial.end(), [](const SerialCorrelation& s) { return s.phi > 0.0; });
}

std::vector<double> correlated_information(const PumpingTest& test, const std::vector<SerialCorrelation>& serial,
                                           const std::vector<double>& J, std::size_t k) {
  // (R J)_i = F_i + B_i - J_i with F_i = J_i + rho_i F_{i-1} (the readings up
  // to i) and B_i = J_i + rho_{i+1} B_{i+1} (those from i on): R's entries
  // are the products of the rho between two readings.
  std::vector<double> M(k * k, 0.0), F(k), B;
  std::size_t first = 0;
  for (std::size_t w = 0; w < test.observations.size(); ++w) {
    const std::vector<Reading>& readings = test.observations[w].readings;
    const std::size_t n = readings.size();
    std::vector<double> rho(n, 0.0);
    for (std::size_t i = 1; i < n && serial[w].phi > 0.0; ++i)
      rho[i] = std::pow(serial[w].phi, (readings[i].day - readings[i - 1].day) / serial[w].spacing);
    B.assign(n * k, 0.0);
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t a = 0; a < k; ++a)
        B[i * k + a] = J[(first + i) * k + a] + (i + 1 < n ? rho[i + 1] * B[(i + 1) * k + a] : 0.0);
    for (std::size_t i = 0; i < n; ++i) {
      const double* Ji = &J[(first + i) * k];
      for (std::size_t a = 0; a < k; ++a) F[a] = Ji[a] + (i > 0 ? rho[i] * F[a] : 0.0);
      for (std::size_t a = 0; a < k; ++a)
        for (std::size_t b = 0; b < k; ++b) M[a * k + b] += Ji[a] * (F[b] + B[i * k + b] - Ji[b]);
    }
    first += n;
  }
  return M;
}

double effective_readings(const std::vector<SerialCorrelation>& serial) {
  double n = 0.0;
  for (const SerialCorrelation& s : serial) n += static_cast<double>(s.readings) * (1.0 - s.phi) / (1.0 + s.phi);
  return n;
}

}  // namespace fit
