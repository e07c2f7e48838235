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


namespace fit {
namespace {

// The starting points solved from, of those tried.
constexpr std::size_t kSolvedStarts = 3;
// A residual trend is warned of below this z score of the runs test.
constexpr double kTrendZ = -2.58;

// The fitted parameters' indices, in Parameters order.
std::vector<std::size_t> fitted_indices(const FitSettings& s) {
  std::vector<std::size_t> k;
  for (std::size_t j = 0; j < s.fitted.size(); ++j)
    if (s.fitted[j]) k.push_back(j);
  return k;
}

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
std::pair<std::vector<double>, double> solve_from(ceres::CostFunction* residuals, const std::vector<ParameterInfo>& info,
                                                  const std::vector<std::size_t>& fitted, const Parameters& start) {
  std::vector<double> logs;
  for (std::size_t j : fitted) logs.push_back(coordinate_of(info[j], start[j]));
  ceres::Problem::Options problem_options;
  problem_options.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
  ceres::Problem problem(problem_options);
  problem.AddResidualBlock(residuals, nullptr, logs.data());
  for (std::size_t j = 0; j < fitted.size(); ++j) {
    problem.SetParameterLowerBound(logs.data(), static_cast<int>(j), coordinate_of(info[fitted[j]], info[fitted[j]].lower));
    problem.SetParameterUpperBound(logs.data(), static_cast<int>(j), coordinate_of(info[fitted[j]], info[fitted[j]].upper));
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

// The covariance of the coordinates: sigma^2 (J^T J)^-1, or where an AR(1)
// model of the errors is allowed for, the sandwich sigma^2 A^-1 J^T R J A^-1
// (A = J^T J); sigma^2 = weighted sum of squares / (n - k).
Eigen::MatrixXd covariance_of(const Estimate& e, const PumpingTest& test, const Eigen::VectorXd& r,
                              const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>& J) {
  const int n = static_cast<int>(J.rows()), k = static_cast<int>(J.cols());
  const double sigma2 = r.squaredNorm() / std::max(1, n - k);
  const Eigen::MatrixXd JtJ = J.transpose() * J;
  Eigen::FullPivLU<Eigen::MatrixXd> lu(JtJ);
  if (!lu.isInvertible()) return Eigen::MatrixXd::Constant(k, k, std::numeric_limits<double>::infinity());
  const Eigen::MatrixXd A_inverse = lu.inverse();
  if (!any_ar1(e.serial)) return sigma2 * A_inverse;
  const std::vector<double> J_rows(J.data(), J.data() + J.size());
  const std::vector<double> information = correlated_information(test, e.serial, J_rows, static_cast<std::size_t>(k));
  const Eigen::MatrixXd M = Eigen::Map<const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>(
      information.data(), k, k);
  return sigma2 * A_inverse * M * A_inverse;
}

// The standard errors, intervals, correlations and covariance of the fitted
// parameters from the Jacobian J at the optimum, with the serial correlation
// of the residuals; the intervals by Student's t with n - k degrees of
// freedom.
void add_uncertainty(Estimate& e, const PumpingTest& test, const ceres::CostFunction& residuals,
                     const std::vector<ParameterInfo>& info, const std::vector<std::size_t>& fitted,
                     const std::vector<double>& logs) {
  const int n = residuals.num_residuals(), k = static_cast<int>(fitted.size());
  Eigen::VectorXd r(n);
  Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor> J(n, k);
  const double* parameters[] = {logs.data()};
  double* jacobians[] = {J.data()};
  residuals.Evaluate(parameters, r.data(), jacobians);
  e.serial = serial_correlations(test, std::vector<double>(r.data(), r.data() + n));
  if (!test.fit.serial_errors)
    for (SerialCorrelation& s : e.serial) s.phi = 0.0;
  const Eigen::MatrixXd C = covariance_of(e, test, r, J);
  const double t = n > k ? boost::math::quantile(boost::math::complement(boost::math::students_t(n - k), 0.025)) : 0.0;
  for (int a = 0; a < k; ++a) {
    const std::size_t j = fitted[a];
    const double se = std::sqrt(std::max(0.0, C(a, a)));
    e.standard_error[j] = info[j].log_scale ? e.value[j] * se : se;
    e.interval[j] = {value_of(info[j], logs[a] - t * se), value_of(info[j], logs[a] + t * se)};
    for (int b = 0; b < k; ++b) {
      e.correlation[j][fitted[b]] = C(a, b) / std::sqrt(C(a, a) * C(b, b));
      e.covariance[j][fitted[b]] = C(a, b);
    }
  }
}

// Whether the starts `p` and `q` have the same value of every fitted
// parameter whose starting points are each solved from (and there is one).
bool same_distinct_start(const std::vector<ParameterInfo>& info, const std::vector<std::size_t>& fitted,
                         const Parameters& p, const Parameters& q) {
  bool any = false;
  for (std::size_t j : fitted) {
    if (!info[j].distinct_starts) continue;
    any = true;
    if (!(p[j] / q[j] > 0.999 && p[j] / q[j] < 1.001)) return false;
  }
  return any;
}

// The starting points solved from: of those alike in the parameters whose
// starts are each solved from (the leakance), the one of least cost; at most
// kSolvedStarts of them, the cheapest first.
std::vector<Parameters> screened(const ceres::CostFunction& residuals, const std::vector<ParameterInfo>& info,
                                 const std::vector<std::size_t>& fitted, std::vector<Parameters> starts) {
  std::vector<std::pair<double, std::size_t>> costs;
  std::vector<double> r(static_cast<std::size_t>(residuals.num_residuals()));
  for (std::size_t i = 0; i < starts.size(); ++i) {
    std::vector<double> logs;
    for (std::size_t j : fitted) logs.push_back(coordinate_of(info[j], starts[i][j]));
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
    const bool taken = std::any_of(best.begin(), best.end(), [&](const Parameters& p) {
      return same_distinct_start(info, fitted, p, start);
    });
    if (best.size() < kSolvedStarts && !taken) best.push_back(start);
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
void add_warnings(Estimate& e, const PumpingTest& test, const AquiferModel& model,
                  const std::vector<std::size_t>& fitted, const std::vector<double>& residuals) {
  const std::vector<ParameterInfo>& info = model.parameters();
  auto undetermined = [&e](const std::string& warning) {
    e.warnings.push_back(warning);
    e.determined = false;
  };
  for (std::size_t j : fitted) {
    const std::string name(info[j].name);
    const std::array<double, 2> bounds = {info[j].lower, info[j].upper};
    if (!(e.value[j] >= bounds[0] && e.value[j] <= bounds[1])) {
      undetermined("the " + name + " came out as " + shown(e.value[j]) + ", outside the fit's bounds of " +
                   shown(bounds[0]) + " to " + shown(bounds[1]) + ": the fit collapsed (a rate, a distance " +
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
    for (double bound : bounds)
      if (std::fabs(std::log(e.value[j] / bound)) < 1e-6)
        undetermined("the " + name + " reached the fit's bound of " + shown(bound) +
                     "; the estimate is not a true optimum");
    for (std::size_t k : fitted)
      if (k > j && std::isnan(e.correlation[j][k]))
        undetermined("the correlation of the " + name + " and the " + std::string(info[k].name) +
                     " is not a number: the readings do not tell them apart");
  }
  if (!std::isfinite(e.rmse)) undetermined("the RMSE is " + shown(e.rmse) + ": the model cannot be evaluated at the readings");
  const double z = runs_z(test, residuals);
  if (z < kTrendZ)
    e.warnings.push_back("the residuals show a trend (runs test z = " + shown(z) +
                         "): " + std::string(model.solution()) + " does not follow the readings everywhere (well-bore "
                         "storage, partial penetration, a boundary or a change of rate may explain it)");
}

}  // namespace

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

Estimate fit_test(const PumpingTest& test, const AquiferModel& model) {
  silence_solver_log();
  const std::vector<ParameterInfo>& info = model.parameters();
  const std::size_t count = info.size();
  const std::vector<std::size_t> fitted = fitted_indices(test.fit);
  const std::unique_ptr<ceres::CostFunction> residuals = model.cost(test, fitted);
  Estimate e;
  e.standard_error.assign(count, 0.0);
  e.interval.assign(count, {0.0, 0.0});
  e.correlation.assign(count, std::vector<double>(count, 0.0));
  e.covariance.assign(count, std::vector<double>(count, 0.0));
  std::vector<double> best;
  double best_cost = std::numeric_limits<double>::infinity();
  for (const Parameters& start : screened(*residuals, info, fitted, model.starting_points(test))) {
    auto [logs, cost] = solve_from(residuals.get(), info, fitted, start);
    ++e.starts;
    if (cost < best_cost) best = std::move(logs), best_cost = cost;
  }
  e.value = best.empty() ? test.fit.fixed : with_coordinates(info, fitted, test.fit.fixed, best.data());
  e.readings = static_cast<std::size_t>(residuals->num_residuals());
  std::vector<double> observed_minus_fitted;
  double squares = 0.0;
  for (const Observation& o : test.observations)
    for (const Reading& r : o.readings) {
      e.fitted.push_back(model.drawdown(test, o.x, o.y, r.day, e.value, false).drawdown);
      observed_minus_fitted.push_back(r.drawdown - e.fitted.back());
      squares += observed_minus_fitted.back() * observed_minus_fitted.back();
    }
  e.rmse = std::sqrt(squares / std::max<std::size_t>(1, e.readings));
  if (!best.empty()) add_uncertainty(e, test, *residuals, info, fitted, best);
  add_warnings(e, test, model, fitted, observed_minus_fitted);
  return e;
}

}  // namespace fit
