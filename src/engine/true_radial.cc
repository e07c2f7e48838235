#include "engine/true_radial.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <unordered_map>

#include "engine/true_scalar_ops.h"
#include "engine/true_well_function.h"
#include "engine/true_well_function_constants.h"
#include "model/drawdown.h"
#include "model/true_drawdown.h"

namespace engine {
namespace radial_form {

#include "engine/true_well_function-inl.h"

}  // namespace radial_form
namespace {

using namespace true_radial;
using Ops = scalar_form::ScalarOps;

constexpr std::uint64_t kOneBits = 0x3ff0000000000000ull;

std::uint64_t Bits(double x) { return std::bit_cast<std::uint64_t>(x); }

// The least d^2 the grid takes: r is raised to the least distance.
double Raised(double d2) {
  const double least = model::D(model::kLeastDistance);
  return least * least < d2 ? d2 : least * least;  // NaN too, as true_distance does
}

// t in [-1, 1) of d^2 within its piece: 2 * (its bits below the piece's) - 1, exactly.
inline double PieceT(std::uint64_t bits) {
  return std::bit_cast<double>(((bits & kWithinPiece) << kPieceBits) | kOneBits) * 2.0 - 3.0;
}

// W of one piece at t: p(t) by Estrin's scheme (the same operations as
// Horner's rule, but in a tree of depth 4 instead of a chain of 8, so that
// a node's value does not wait on the one before).
static_assert(kDegree == 8);
inline double PieceValue(const double* c, RadialPiece kind, double t) {
  const double t2 = t * t, t4 = t2 * t2;
  const double low = (c[0] + c[1] * t) + t2 * (c[2] + c[3] * t);
  const double high = (c[4] + c[5] * t) + t2 * (c[6] + c[7] * t);
  double p = (low + t4 * high) + (t4 * t4) * c[8];
  if (kind == RadialPiece::log) p = c[kDegree + 1] * radial_form::true_w_form::Exp<Ops>(p);
  return p;
}

// The d^2 at t of the piece with index `index` (at t = 1 its last double:
// the next piece begins at its end).
double PieceD2(std::uint64_t index, double t) {
  const double low = std::bit_cast<double>(index << kPieceShift);
  const double high = std::bit_cast<double>((index + 1) << kPieceShift);
  return std::min(low + (high - low) * (0.5 + 0.5 * t), std::bit_cast<double>(((index + 1) << kPieceShift) - 1));
}

// The kernel's u and r/B at d^2, in the arithmetic of the term-by-term sum.
void KernelArguments(const TrueRadialTable& table, double d2, double& u, double& b) {
  const double r = std::sqrt(d2);
  u = model::kTrueUCoefficient * r * r * table.S / table.E;
  b = r / table.B;
}

// Whether the piece starting at d^2 = low lies wholly past the kernel's cutoff.
bool PastCutoff(const TrueRadialTable& table, double low) {
  double u = 0.0, b = 0.0;
  KernelArguments(table, low, u, b);
  return b >= kZeroExponent || (u >= 0.5 * b && u + 0.25 * b * b / u >= kZeroExponent);
}

// Fits piece `i` from the kernel's values f at the fitting points and g at
// the check points, then checks it; where it fails, a kernel piece.
void FitPiece(TrueRadialTable& table, std::size_t i, const double* f, const double* g) {
  double* c = table.piece.data() + i * TrueRadialTable::kStride;
  RadialPiece& kind = table.kind[i];
  const std::uint64_t index = table.first + i;
  std::fill(c, c + TrueRadialTable::kStride, 0.0);
  kind = RadialPiece::direct;
  if (PastCutoff(table, std::bit_cast<double>(index << kPieceShift))) return;  // exactly 0
  kind = RadialPiece::kernel;
  for (std::size_t k = 0; k < kPoints; ++k)
    if (!(f[k] >= kLeastW && f[k] < std::numeric_limits<double>::infinity())) return;
  for (std::size_t k = 0; k < kChecks; ++k)
    if (!(g[k] >= kLeastW && g[k] < std::numeric_limits<double>::infinity())) return;
  const double middle = f[kMiddle];
  const double ratio = kDirectRatio;
  const bool direct = std::max(g[0], g[kPoints]) <= ratio * middle && middle <= ratio * std::min(g[0], g[kPoints]);
  double v[kPoints];
  for (std::size_t k = 0; k < kPoints; ++k) v[k] = direct ? f[k] : radial_form::true_w_form::Log<Ops>(f[k] / middle);
  double cheb[kDegree + 1];
  for (std::size_t j = 0; j <= kDegree; ++j) {
    cheb[j] = 0.0;
    for (std::size_t k = 0; k < kPoints; ++k) cheb[j] += kChebyshev.weight[j][k] * v[k];
  }
  for (std::size_t k = 0; k <= kDegree; ++k)
    for (std::size_t j = k; j <= kDegree; ++j)
      if (kChebyshev.power[j][k] != 0.0) c[k] += kChebyshev.power[j][k] * cheb[j];
  c[kDegree + 1] = middle;
  const RadialPiece fitted = direct ? RadialPiece::direct : RadialPiece::log;
  for (std::size_t k = 0; k < kChecks; ++k) {
    const double d2 = PieceD2(index, kChebyshev.check[k]);
    const double W = PieceValue(c, fitted, PieceT(Bits(d2)));
    if (!(std::fabs(W - g[k]) <= kCheckTolerance * g[k])) {
      std::fill(c, c + TrueRadialTable::kStride, 0.0);
      return;
    }
  }
  kind = fitted;
}

}  // namespace

bool radial_table_possible(double S, double E, double B) {
  const double inf = std::numeric_limits<double>::infinity();
  return S > 0.0 && S < inf && E > 0.0 && E < inf && B > 0.0;
}

std::size_t radial_pieces(double least, double most) {
  return static_cast<std::size_t>((Bits(Raised(most)) >> kPieceShift) - (Bits(Raised(least)) >> kPieceShift) + 1);
}

TrueRadialTable make_radial_table(double S, double E, double B, double least, double most) {
  TrueRadialTable table;
  table.S = S;
  table.E = E;
  table.B = B;
  table.first = Bits(Raised(least)) >> kPieceShift;
  table.count = radial_pieces(least, most);
  table.piece.assign(table.count * TrueRadialTable::kStride, 0.0);
  table.kind.assign(table.count, RadialPiece::kernel);
  // Every piece's kernel values at once, in lanes: its fitting points, then its check points.
  constexpr std::size_t kEach = kPoints + kChecks;
  std::vector<double> u(table.count * kEach), b(u.size()), W(u.size());
  for (std::size_t i = 0; i < table.count; ++i)
    for (std::size_t k = 0; k < kEach; ++k) {
      const double t = k < kPoints ? kChebyshev.x[k] : kChebyshev.check[k - kPoints];
      KernelArguments(table, PieceD2(table.first + i, t), u[i * kEach + k], b[i * kEach + k]);
    }
  true_well_function_lanes(u, b, W);
  for (std::size_t i = 0; i < table.count; ++i) FitPiece(table, i, &W[i * kEach], &W[i * kEach + kPoints]);
  return table;
}

double radial_well_function(const TrueRadialTable& table, double d2) {
  d2 = Raised(d2);
  const std::uint64_t i = (Bits(d2) >> kPieceShift) - table.first;
  if (i >= table.count || table.kind[i] == RadialPiece::kernel) {
    double u = 0.0, b = 0.0;
    KernelArguments(table, d2, u, b);
    return true_well_function(u, b);
  }
  return PieceValue(&table.piece[i * TrueRadialTable::kStride], table.kind[i], PieceT(Bits(d2)));
}

namespace {

// The range of d^2 from a well at (x, y) to the nodes' box, in the
// arithmetic of the grid's loop (monotone in each coordinate, so the nodes'
// d^2 lie within).
void Range(double x, double y, const double box[4], double& least, double& most) {
  auto near = [](double lo, double hi, double at) { return at < lo ? lo - at : at > hi ? hi - at : 0.0; };
  const double dx = near(box[0], box[1], x), dy = near(box[2], box[3], y);
  const double fx = std::max(std::fabs(box[0] - x), std::fabs(box[1] - x));
  const double fy = std::max(std::fabs(box[2] - y), std::fabs(box[3] - y));
  least = std::min(least, dx * dx + dy * dy);
  most = std::max(most, fx * fx + fy * fy);
}

struct Group {
  double least = std::numeric_limits<double>::infinity(), most = 0.0;
  std::size_t terms = 0;
};

}  // namespace

TrueRadialPlan plan_radial(const TrueTermArrays& t, const std::vector<bool>& candidate, std::span<const double> xs,
                           std::span<const double> ys, bool always) {
  TrueRadialPlan plan;
  if (xs.empty() || ys.empty() || !radial_table_possible(t.S, 1.0, t.B) || !(t.T > 0.0)) return plan;
  const auto [x0, x1] = std::minmax_element(xs.begin(), xs.end());
  const auto [y0, y1] = std::minmax_element(ys.begin(), ys.end());
  const double box[4] = {*x0, *x1, *y0, *y1};
  const double inf = std::numeric_limits<double>::infinity();
  for (double v : box)
    if (!(std::fabs(v) < inf)) return plan;
  // The groups of terms by T * elapsed, in order of first appearance.
  std::unordered_map<std::uint64_t, std::size_t> group_of;
  std::vector<Group> groups;
  std::vector<double> E;
  std::vector<std::int32_t> group(t.count, -1);
  for (std::size_t k = 0; k < t.count; ++k) {
    if (!candidate[k] || !radial_table_possible(t.S, t.T_elapsed[k], t.B)) continue;
    if (!(std::fabs(t.x[k]) < inf && std::fabs(t.y[k]) < inf)) continue;
    const auto [at, added] = group_of.try_emplace(Bits(t.T_elapsed[k]), groups.size());
    if (added) {
      groups.emplace_back();
      E.push_back(t.T_elapsed[k]);
    }
    Group& g = groups[at->second];
    Range(t.x[k], t.y[k], box, g.least, g.most);
    ++g.terms;
    group[k] = static_cast<std::int32_t>(at->second);
  }
  const double nodes = static_cast<double>(xs.size()) * static_cast<double>(ys.size());
  std::vector<std::int32_t> table_of_group(groups.size(), -1);
  std::size_t pieces = 0;
  for (std::size_t i = 0; i < groups.size(); ++i) {
    const Group& g = groups[i];
    if (!(g.most < inf)) continue;
    const std::size_t more = radial_pieces(g.least, g.most);
    const double evaluations = static_cast<double>(more * (kPoints + kChecks));
    if (pieces + more > kMostPieces || (!always && kWorth * evaluations > nodes * static_cast<double>(g.terms))) continue;
    pieces += more;
    table_of_group[i] = static_cast<std::int32_t>(plan.tables.size());
    plan.tables.push_back(make_radial_table(t.S, E[i], t.B, g.least, g.most));
  }
  if (plan.tables.empty()) return plan;
  plan.table_of.assign(t.count, -1);
  plan.per_W.assign(t.count, 0.0);
  for (std::size_t k = 0; k < t.count; ++k) {
    if (group[k] >= 0) plan.table_of[k] = table_of_group[static_cast<std::size_t>(group[k])];
    plan.per_W[k] = t.drawdown_per_W[k] / t.T;
  }
  return plan;
}

void radial_row_add(const double* xs, std::size_t n, double y, const TrueTermArrays& t, const TrueRadialPlan& plan,
                    std::size_t begin, std::size_t end, RadialScratch& scratch, double* sums) {
  for (std::size_t k = begin; k < end; ++k) {
    const TrueRadialTable& table = plan.tables[static_cast<std::size_t>(plan.table_of[k])];
    const double* pieces = table.piece.data();
    const RadialPiece* kinds = table.kind.data();
    const std::uint64_t first = table.first, count = table.count;
    const double x_well = t.x[k], dy = y - t.y[k], dy2 = dy * dy, q = plan.per_W[k];
    scratch.node.clear();
    for (std::size_t i = 0; i < n; ++i) {
      const double dx = xs[i] - x_well;
      const std::uint64_t bits = Bits(Raised(dx * dx + dy2));
      const std::uint64_t p = (bits >> kPieceShift) - first;
      if (p >= count || kinds[p] == RadialPiece::kernel) {
        scratch.node.push_back(i);
        continue;
      }
      sums[i] += q * PieceValue(pieces + p * TrueRadialTable::kStride, kinds[p], PieceT(bits));
    }
    if (scratch.node.empty()) continue;
    // The kernel's terms, as the term-by-term sum takes them.
    const std::size_t m = scratch.node.size();
    scratch.u.resize(m);
    scratch.b.resize(m);
    scratch.W.resize(m);
    for (std::size_t j = 0; j < m; ++j) {
      const double dx = xs[scratch.node[j]] - x_well;
      double r = std::sqrt(dx * dx + dy2);
      r = model::D(model::kLeastDistance) < r ? r : model::D(model::kLeastDistance);
      scratch.u[j] = model::kTrueUCoefficient * r * r * t.S / t.T_elapsed[k];
      scratch.b[j] = r / t.B;
    }
    true_well_function_lanes(scratch.u, scratch.b, scratch.W);
    for (std::size_t j = 0; j < m; ++j) sums[scratch.node[j]] += t.drawdown_per_W[k] * scratch.W[j] / t.T;
  }
}

}  // namespace engine
