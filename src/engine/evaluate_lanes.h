// The per-node steps of the grid evaluation around the well function, for a
// row of nodes at once in SIMD lanes. Each result is the one model::DIST and
// the pieces of model::DRAWDN give, bit for bit: the same IEEE operations in
// the same order with the same rounding points.
#pragma once

#include <cstddef>

namespace engine {

/// R[i] = single(sqrt(dy2 + dx2[i])), raised to 1.0 below 1.0: the node
/// distance of model::DIST from its squared offsets, for i < n.
void row_distances(const float* dx2, float dy2, float* R, std::size_t n);

/// u[i] = model::u_of(u_factor, R[i]) and rb[i] = model::rb_of(R[i], B), for i < n.
void well_function_arguments(const float* R, double u_factor, float B, float* u, float* rb,
                             std::size_t n);

/// DD[i] = model::accumulate(single((K * W[i]) / T), DD[i]) for i < n, where K is
/// (Q / 1440.0) * 114.59156 in double: model::drawdown_from_W(Q, W[i], T) added.
void accumulate_drawdowns(const float* W, double K, float T, float* DD, std::size_t n);

}  // namespace engine
