#include "fit/solve.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>

#include <Eigen/Dense>
#include <boost/math/distributions/students_t.hpp>
#include <ceres/ceres.h>
#include <glog/logging.h>

#include "model/true_drawdown.h"

namespace fit {
namespace {

constexpr double kEulerGamma = 0.57721566490153286;
// The starting points solved from, of those tried.
constexpr std::size_t kSolvedStarts = 3;
// A residual trend is warned of below this z score of the runs test.
constexpr double kTrendZ = -2.58;

// Whether the leakance is among the fitted parameters.
bool residuals_fit_leakance(const std::vector<std::size_t>& fitted) {
  return std::find(fitted.begin(), fitted.end(), kLeakance) != fitted.end();
}

// The fitted parameters' indices, in Parameters order.
std::vector<std::size_t> fitted_indices(const FitSettings& s) {
  std::vector<std::size_t> k;
  for (std::size_t j = 0; j < kParameterCount; ++j)
    if (s.fitted[j]) k.push_back(j);
  return k;
}

// The residuals sqrt(w) (observed - modelled) of every reading, over the
// logarithms of the fitted parameters.
class Residuals final : public ceres::CostFunction {
 public:
  Residuals(const PumpingTest& test, WellFunction W, std::vector<std::size_t> fitted)
      : test_(test), W_(W), fitted_(std::move(fitted)) {
    std::size_t n = 0;
    for (const Observation& o : test.observations) n += o.readings.size();
    set_num_residuals(static_cast<int>(n));
    mutable_parameter_block_sizes()->push_back(static_cast<int>(fitted_.size()));
  }

  Parameters parameters(const double* logs) const {
    Parameters p = test_.fit.fixed;
    for (std::size_t j = 0; j < fitted_.size(); ++j) p[fitted_[j]] = std::exp(logs[j]);
    return p;
  }

  bool Evaluate(double const* const* logs, double* residuals, double** jacobians) const override {
    const Parameters p = parameters(logs[0]);
    const bool gradient = jacobians != nullptr && jacobians[0] != nullptr;
    std::size_t i = 0;
    for (const Observation& o : test_.observations) {
      const double root_w = std::sqrt(o.weight);
      for (const Reading& r : o.readings) {
        const Modelled m = modelled_drawdown(test_, o.x, o.y, r.day, p, W_, gradient);
        residuals[i] = root_w * (r.drawdown - m.drawdown);
        if (!std::isfinite(residuals[i])) return false;
        for (std::size_t j = 0; gradient && j < fitted_.size(); ++j)
          jacobians[0][i * fitted_.size() + j] = -root_w * m.gradient[fitted_[j]];
        ++i;
      }
    }
    return true;
  }

 private:
  const PumpingTest& test_;
  WellFunction W_;
  std::vector<std::size_t> fitted_;
};

// The type-curve estimate of T and S from one observation: the straight line
// s = m ln t + c through its steepest third of readings on a log time axis
// (the late readings of a confined aquifer, those around the inflection of a
// leaky one) gives T = k (Q / 1440) / m and, where the line crosses 0 at t0,
// S = T t0 e^-gamma / (a r^2).
bool straight_line_estimate(const PumpingTest& test, const Observation& o, double& T, double& S) {
  const std::size_t n = o.readings.size(), window = std::max<std::size_t>(4, n / 3);
  if (n < window || test.wells.empty()) return false;
  double Q = 0.0, r = std::numeric_limits<double>::infinity();
  for (const Well& w : test.wells) {
    if (!w.steps.empty()) Q += w.steps.front().rate;
    r = std::min(r, model::true_distance(o.x - w.x, o.y - w.y));
  }
  // The window of steepest slope, found with running sums (linear in the
  // readings) of times and drawdowns shifted to about the middle reading, so
  // that little cancels, and summed afresh once per window's length; the
  // slope does not depend on the shift. The line then from the window's own
  // sums, unshifted.
  std::vector<double> log_day(n);
  for (std::size_t i = 0; i < n; ++i) log_day[i] = std::log(o.readings[i].day);
  const double x_mid = log_day[n / 2], y_mid = o.readings[n / 2].drawdown;
  const auto sums = [&](std::size_t first, double x_shift, double y_shift, std::array<double, 4>& s) {
    s = {0.0, 0.0, 0.0, 0.0};
    for (std::size_t i = first; i < first + window; ++i) {
      const double x = log_day[i] - x_shift, y = o.readings[i].drawdown - y_shift;
      s[0] += x, s[1] += y, s[2] += x * x, s[3] += x * y;
    }
  };
  const double k = static_cast<double>(window);
  const auto slope_of = [k](const std::array<double, 4>& s) { return (k * s[3] - s[0] * s[1]) / (k * s[2] - s[0] * s[0]); };
  std::array<double, 4> s;
  sums(0, x_mid, y_mid, s);
  double m = 0.0;
  std::size_t best = n;
  for (std::size_t first = 0;; ++first) {
    if (const double slope = slope_of(s); slope > m) m = slope, best = first;
    if (first + window >= n) break;
    if ((first + 1) % window == 0) {
      sums(first + 1, x_mid, y_mid, s);
      continue;
    }
    const double x0 = log_day[first] - x_mid, y0 = o.readings[first].drawdown - y_mid;
    const double x1 = log_day[first + window] - x_mid, y1 = o.readings[first + window].drawdown - y_mid;
    s[0] += x1 - x0, s[1] += y1 - y0, s[2] += x1 * x1 - x0 * x0, s[3] += x1 * y1 - x0 * y0;
  }
  if (best == n) return false;
  sums(best, 0.0, 0.0, s);
  m = slope_of(s);
  const double c = (s[1] - m * s[0]) / k;
  T = model::kTrueDrawdownCoefficient * (Q / 1440.0) / m;
  S = T * std::exp(-c / m) * std::exp(-kEulerGamma) / (model::kTrueUCoefficient * r * r);
  return std::isfinite(T) && std::isfinite(S) && T > 0.0 && S > 0.0;
}

double clamped(std::size_t j, double v) { return std::clamp(v, kBounds[j][0] * 1.01, kBounds[j][1] / 1.01); }

// The solver's library logs through glog, to standard error and before any
// initialisation with a line of its own about that: silenced, so that every
// message of a fit is the program's own line (the solver's outcome is read
// from its summary).
void silence_solver_log() {
  static std::once_flag once;
  std::call_once(once, [] {
    FLAGS_logtostderr = true;  // never log files
    FLAGS_minloglevel = google::GLOG_FATAL;
    if (!google::IsGoogleLoggingInitialized()) google::InitGoogleLogging("leaky-drawdown");
  });
}

// Least squares from `start`: the logarithms of the fitted parameters at the
// optimum and the final cost (half the weighted sum of squares).
std::pair<std::vector<double>, double> solve_from(Residuals* residuals, const std::vector<std::size_t>& fitted,
                                                  const Parameters& start) {
  std::vector<double> logs;
  for (std::size_t j : fitted) logs.push_back(std::log(start[j]));
  ceres::Problem::Options problem_options;
  problem_options.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
  ceres::Problem problem(problem_options);
  problem.AddResidualBlock(residuals, nullptr, logs.data());
  for (std::size_t j = 0; j < fitted.size(); ++j) {
    problem.SetParameterLowerBound(logs.data(), static_cast<int>(j), std::log(kBounds[fitted[j]][0]));
    problem.SetParameterUpperBound(logs.data(), static_cast<int>(j), std::log(kBounds[fitted[j]][1]));
  }
  ceres::Solver::Options options;
  options.linear_solver_type = ceres::DENSE_QR;
  options.logging_type = ceres::SILENT;
  options.max_num_iterations = 200;
  options.function_tolerance = 1e-15;
  options.gradient_tolerance = 1e-16;
  options.parameter_tolerance = 1e-12;
  ceres::Solver::Summary summary;
  ceres::Solve(options, &problem, &summary);
  return {logs, summary.IsSolutionUsable() ? summary.final_cost : std::numeric_limits<double>::infinity()};
}

// The standard errors, intervals and correlations of the fitted parameters
// from the Jacobian J at the optimum: covariance sigma^2 (J^T J)^-1 of the
// logarithms, sigma^2 = weighted sum of squares / (n - k).
void add_uncertainty(Estimate& e, const Residuals& residuals, const std::vector<std::size_t>& fitted,
                     const std::vector<double>& logs) {
  const int n = residuals.num_residuals(), k = static_cast<int>(fitted.size());
  Eigen::VectorXd r(n);
  Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor> J(n, k);
  const double* parameters[] = {logs.data()};
  double* jacobians[] = {J.data()};
  residuals.Evaluate(parameters, r.data(), jacobians);
  const double sigma2 = r.squaredNorm() / std::max(1, n - k);
  const Eigen::MatrixXd JtJ = J.transpose() * J;
  Eigen::FullPivLU<Eigen::MatrixXd> lu(JtJ);
  const Eigen::MatrixXd C = lu.isInvertible() ? Eigen::MatrixXd(sigma2 * lu.inverse())
                                              : Eigen::MatrixXd::Constant(k, k, std::numeric_limits<double>::infinity());
  const double t = n > k ? boost::math::quantile(boost::math::complement(boost::math::students_t(n - k), 0.025)) : 0.0;
  for (int a = 0; a < k; ++a) {
    const std::size_t j = fitted[a];
    const double se_log = std::sqrt(std::max(0.0, C(a, a)));
    e.standard_error[j] = e.value[j] * se_log;
    e.interval[j] = {std::exp(logs[a] - t * se_log), std::exp(logs[a] + t * se_log)};
    for (int b = 0; b < k; ++b) e.correlation[j][fitted[b]] = C(a, b) / std::sqrt(C(a, a) * C(b, b));
  }
}

// The starting points solved from: of those with the same leakance, the one
// of least cost; at most kSolvedStarts of them, the cheapest first.
std::vector<Parameters> screened(const Residuals& residuals, const std::vector<std::size_t>& fitted,
                                 std::vector<Parameters> starts) {
  std::vector<std::pair<double, std::size_t>> costs;
  std::vector<double> r(static_cast<std::size_t>(residuals.num_residuals()));
  for (std::size_t i = 0; i < starts.size(); ++i) {
    std::vector<double> logs;
    for (std::size_t j : fitted) logs.push_back(std::log(starts[i][j]));
    const double* parameters[] = {logs.data()};
    double cost = std::numeric_limits<double>::infinity();
    if (residuals.Evaluate(parameters, r.data(), nullptr)) {
      cost = 0.0;
      for (double v : r) cost += v * v;
    }
    costs.emplace_back(cost, i);
  }
  std::sort(costs.begin(), costs.end());
  std::vector<Parameters> best;
  for (const auto& ranked : costs) {
    const Parameters& start = starts[ranked.second];
    const bool leakance_taken = std::any_of(best.begin(), best.end(), [&start](const Parameters& p) {
      return p[kLeakance] / start[kLeakance] > 0.999 && p[kLeakance] / start[kLeakance] < 1.001;
    });
    if (best.size() < kSolvedStarts && (!leakance_taken || !residuals_fit_leakance(fitted))) best.push_back(start);
  }
  return best;
}

std::string shown(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.4g", v);
  return text;
}

// The warnings of an estimate: poorly determined parameters, bounds reached,
// a trend in the residuals; and those that leave it undetermined (a value at
// a bound, not finite or out of bounds, a standard error not finite, a
// correlation that is no number, no usable solution).
void add_warnings(Estimate& e, const PumpingTest& test, const std::vector<std::size_t>& fitted,
                  const std::vector<double>& residuals) {
  auto undetermined = [&e](const std::string& warning) {
    e.warnings.push_back(warning);
    e.determined = false;
  };
  for (std::size_t j : fitted) {
    const std::string name = kParameterNames[j];
    if (!(e.value[j] >= kBounds[j][0] && e.value[j] <= kBounds[j][1])) {
      undetermined("the " + name + " came out as " + shown(e.value[j]) + ", outside the fit's bounds of " +
                   shown(kBounds[j][0]) + " to " + shown(kBounds[j][1]) + ": the fit collapsed (a rate, a distance " +
                   "or a reading far out of scale?)");
      continue;
    }
    const double relative = e.standard_error[j] / e.value[j];
    if (!(relative <= kPoorlyDetermined)) {
      const std::string what = std::string("the ") + name + " is poorly determined: its standard error is " +
                               (std::isfinite(relative) ? shown(100.0 * relative) + "% of its value" : "unbounded") +
                               "; the readings do not constrain it (for leakance: late readings are needed)";
      if (std::isfinite(relative)) e.warnings.push_back(what);
      else undetermined(what);
    }
    for (double bound : kBounds[j])
      if (std::fabs(std::log(e.value[j] / bound)) < 1e-6)
        undetermined("the " + name + " reached the fit's bound of " + shown(bound) +
                     "; the estimate is not a true optimum");
    for (std::size_t k : fitted)
      if (k > j && std::isnan(e.correlation[j][k]))
        undetermined("the correlation of the " + name + " and the " + kParameterNames[k] +
                     " is not a number: the readings do not tell them apart");
  }
  if (!std::isfinite(e.rmse)) undetermined("the RMSE is " + shown(e.rmse) + ": the model cannot be evaluated at the readings");
  const double z = runs_z(test, residuals);
  if (z < kTrendZ)
    e.warnings.push_back("the residuals show a trend (runs test z = " + shown(z) +
                         "): the leaky-aquifer solution does not follow the readings everywhere (well-bore "
                         "storage, partial penetration, a boundary or a change of rate may explain it)");
}

}  // namespace

std::vector<Parameters> starting_points(const PumpingTest& test) {
  // The type-curve estimate, averaged in log over the observations.
  double log_T = 0.0, log_S = 0.0, r2 = 0.0;
  int n = 0;
  for (const Observation& o : test.observations) {
    double T = 0.0, S = 0.0;
    if (!straight_line_estimate(test, o, T, S)) continue;
    log_T += std::log(T), log_S += std::log(S), ++n;
    for (const Well& w : test.wells) r2 += (o.x - w.x) * (o.x - w.x) + (o.y - w.y) * (o.y - w.y);
  }
  const double T0 = n > 0 ? std::exp(log_T / n) : 10000.0;
  const double S0 = n > 0 ? std::exp(log_S / n) : 1e-4;
  const double r_mean = n > 0 ? std::sqrt(r2 / (n * test.wells.size())) : 100.0;
  const FitSettings& f = test.fit;
  std::vector<Parameters> starts;
  for (const auto& [t, s] : {std::pair{1.0, 1.0}, {4.0, 0.03}, {0.25, 30.0}})
    for (double b : {0.03, 0.3, 1.5}) {
      Parameters p = f.fixed;
      p[kTransmissivity] = T0 * t;
      p[kStorage] = S0 * s;
      // r/B = b at the observations' mean distance: L = T (b / r)^2.
      p[kLeakance] = p[kTransmissivity] * (b / r_mean) * (b / r_mean);
      starts.push_back(p);
    }
  // The values the test gives, where given, as one more start.
  Parameters given = starts.front();
  for (std::size_t j = 0; j < kParameterCount; ++j) given[j] = f.start[j].value_or(given[j]);
  starts.push_back(given);
  for (Parameters& p : starts)
    for (std::size_t j = 0; j < kParameterCount; ++j) p[j] = f.fitted[j] ? clamped(j, p[j]) : f.fixed[j];
  return starts;
}

double runs_z(const PumpingTest& test, const std::vector<double>& residuals) {
  double runs = 0.0, expected = 0.0, variance = 0.0;
  std::size_t i = 0;
  for (const Observation& o : test.observations) {
    double plus = 0.0, minus = 0.0, own = 0.0;
    int last = 0;
    for (std::size_t k = 0; k < o.readings.size(); ++k, ++i) {
      const int sign = residuals[i] > 0.0 ? 1 : residuals[i] < 0.0 ? -1 : 0;
      if (sign == 0) continue;
      (sign > 0 ? plus : minus) += 1.0;
      if (sign != last) own += 1.0;
      last = sign;
    }
    const double n = plus + minus;
    if (plus == 0.0 || minus == 0.0) continue;
    runs += own;
    expected += 1.0 + 2.0 * plus * minus / n;
    variance += 2.0 * plus * minus * (2.0 * plus * minus - n) / (n * n * (n - 1.0));
  }
  return variance > 0.0 ? (runs - expected) / std::sqrt(variance) : 0.0;
}

Estimate fit_test(const PumpingTest& test, WellFunction W) {
  silence_solver_log();
  const std::vector<std::size_t> fitted = fitted_indices(test.fit);
  Residuals residuals(test, W, fitted);
  Estimate e;
  std::vector<double> best;
  double best_cost = std::numeric_limits<double>::infinity();
  for (const Parameters& start : screened(residuals, fitted, starting_points(test))) {
    auto [logs, cost] = solve_from(&residuals, fitted, start);
    ++e.starts;
    if (cost < best_cost) best = std::move(logs), best_cost = cost;
  }
  e.value = best.empty() ? test.fit.fixed : residuals.parameters(best.data());
  e.readings = static_cast<std::size_t>(residuals.num_residuals());
  std::vector<double> observed_minus_fitted;
  double squares = 0.0;
  for (const Observation& o : test.observations)
    for (const Reading& r : o.readings) {
      e.fitted.push_back(modelled_drawdown(test, o.x, o.y, r.day, e.value, W, false).drawdown);
      observed_minus_fitted.push_back(r.drawdown - e.fitted.back());
      squares += observed_minus_fitted.back() * observed_minus_fitted.back();
    }
  e.rmse = std::sqrt(squares / std::max<std::size_t>(1, e.readings));
  if (!best.empty()) add_uncertainty(e, residuals, fitted, best);
  add_warnings(e, test, fitted, observed_minus_fitted);
  return e;
}

}  // namespace fit
