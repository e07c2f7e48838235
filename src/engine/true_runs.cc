#include "engine/true_runs.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <limits>

namespace engine {
namespace {

using namespace true_run;

bool same_position(const double* x, const double* y, std::size_t i, std::size_t j) {
  return std::bit_cast<std::uint64_t>(x[i]) == std::bit_cast<std::uint64_t>(x[j]) &&
         std::bit_cast<std::uint64_t>(y[i]) == std::bit_cast<std::uint64_t>(y[j]);
}

// The end of the run that begins at term `begin` (begin + 1 for a term that
// begins none).
std::size_t run_end(const double* x, const double* y, const double* E, std::size_t begin, std::size_t count) {
  if (!(E[begin] > 0.0 && E[begin] < std::numeric_limits<double>::infinity())) return begin + 1;
  std::size_t k = begin + 1;
  while (k < count && same_position(x, y, begin, k) && E[k] < E[k - 1] && E[k] > 0.0) ++k;
  return k;
}

// Terms [begin, end) summed term by term, joined to a segment just before.
void add_plain(std::vector<TrueSegment>& segments, std::size_t begin, std::size_t end) {
  if (begin == end) return;
  if (!segments.empty() && !segments.back().piece && segments.back().end == begin) {
    segments.back().end = end;
    return;
  }
  TrueSegment s;
  s.begin = begin;
  s.end = end;
  segments.push_back(s);
}

// Terms [begin, end) as one piece: its Chebyshev points on [E[end-1], E[begin]].
void add_piece(TrueRunPlan& plan, const double* E, std::size_t begin, std::size_t end) {
  TrueSegment s;
  s.begin = begin;
  s.end = end;
  s.piece = true;
  const double middle = 0.5 * (E[begin] + E[end - 1]), half = 0.5 * (E[begin] - E[end - 1]);
  for (std::size_t i = 0; i < kPoints; ++i) s.E[i] = middle + half * kChebyshev.x[i];
  for (std::size_t k = begin; k < end; ++k) plan.t[k] = (E[k] - middle) / half;
  plan.segments.push_back(s);
}

// A run's terms [begin, end), E decreasing, cut where E passes E[begin]
// times a power of kPieceRatio.
void add_pieces(TrueRunPlan& plan, const double* E, std::size_t begin, std::size_t end) {
  double bound = E[begin];
  for (std::size_t k = begin; k < end;) {
    bound *= kPieceRatio;
    const auto stop = static_cast<std::size_t>(
        std::partition_point(E + k, E + end, [bound](double e) { return e > bound; }) - E);
    if (stop - k >= kMinPieceTerms)
      add_piece(plan, E, k, stop);
    else
      add_plain(plan.segments, k, stop);
    k = stop;
  }
}

}  // namespace

TrueRunPlan plan_runs(const double* x, const double* y, const double* E, std::size_t count) {
  TrueRunPlan plan;
  for (std::size_t k = 0; k < count;) {
    const std::size_t end = run_end(x, y, E, k, count);
    if (end - k >= kMinRunTerms) {
      if (plan.t.empty()) plan.t.assign(count, 0.0);
      add_pieces(plan, E, k, end);
    } else {
      add_plain(plan.segments, k, end);
    }
    k = end;
  }
  return plan;
}

}  // namespace engine
