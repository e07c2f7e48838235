#include "fit/samples.h"

#include <cmath>
#include <random>
#include <vector>

#include <Eigen/Dense>

#include "base/shortest_text.h"
#include "fit/report.h"

namespace fit {
namespace {

// Standard normal deviates from a 64-bit Mersenne twister, by Box and
// Muller's method on uniforms in (0, 1] of 53 bits.
class Normal {
 public:
  explicit Normal(std::uint64_t seed) : random_(seed) {}
  double operator()() {
    if (spare_) {
      spare_ = false;
      return second_;
    }
    const double u1 = (static_cast<double>(random_() >> 11) + 1.0) * 0x1p-53;
    const double u2 = static_cast<double>(random_() >> 11) * 0x1p-53;
    const double radius = std::sqrt(-2.0 * std::log(u1)), angle = 2.0 * M_PI * u2;
    second_ = radius * std::sin(angle);
    spare_ = true;
    return radius * std::cos(angle);
  }

 private:
  std::mt19937_64 random_;
  double second_ = 0.0;
  bool spare_ = false;
};

}  // namespace

std::string samples_csv(const PumpingTest& test, const AquiferModel& model, const Estimate& e, std::size_t count,
                        std::uint64_t seed) {
  const std::vector<ParameterInfo>& info = model.parameters();
  std::string out;
  for (std::size_t j = 0; j < info.size(); ++j) {
    if (j > 0) out += ',';
    out += info[j].name;
  }
  out += "\n";
  std::vector<std::size_t> fitted;
  for (std::size_t j = 0; j < info.size(); ++j)
    if (test.fit.fitted[j]) fitted.push_back(j);
  const auto k = static_cast<Eigen::Index>(fitted.size());
  Eigen::MatrixXd C(k, k);
  for (Eigen::Index a = 0; a < k; ++a)
    for (Eigen::Index b = 0; b < k; ++b) C(a, b) = e.covariance[fitted[a]][fitted[b]];
  // C = L D L^T (robust where C is only semi-definite): x = x^ + L sqrt(D) z.
  const Eigen::LDLT<Eigen::MatrixXd> ldlt(C);
  if (!e.determined || ldlt.info() != Eigen::Success || !C.allFinite()) return out;
  const Eigen::MatrixXd L = ldlt.matrixL();
  const Eigen::VectorXd d = ldlt.vectorD().cwiseMax(0.0).cwiseSqrt();
  const Eigen::MatrixXd P = ldlt.transpositionsP().transpose() * L * d.asDiagonal();
  const std::vector<double> factor = aquifer_factors(test, model);
  Normal normal(seed);
  Eigen::VectorXd z(k);
  for (std::size_t i = 0; i < count; ++i) {
    for (Eigen::Index a = 0; a < k; ++a) z(a) = normal();
    const Eigen::VectorXd x = P * z;
    Parameters p = e.value;
    for (Eigen::Index a = 0; a < k; ++a) {
      const std::size_t j = fitted[a];
      p[j] = value_of(info[j], coordinate_of(info[j], e.value[j]) + x(a));
    }
    for (std::size_t j = 0; j < info.size(); ++j) {
      if (j > 0) out += ',';
      out += base::shortest_text(p[j] * factor[j]);
    }
    out += "\n";
  }
  return out;
}

}  // namespace fit
