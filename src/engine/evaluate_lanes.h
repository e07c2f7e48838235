// The per-node steps of the grid evaluation around the well function, for a
// row of nodes at once in SIMD lanes. Each result is the one model::DIST and
// the pieces of model::DRAWDN give, bit for bit: the same IEEE operations in
// the same order with the same rounding points. Each routine takes every
// input (NaN and the infinities included); lanes are used for whole vectors
// of the row, and the rest of the row calls the model's pieces themselves.
#pragma once

#include <cstddef>

namespace engine {

/**
 * Row form of model::distance_from_squares (the last steps of model::DIST).
 *
 *      Inputs: dx2[0 .. n), the squared offsets along the row; dy2, the row's;
 *              any values
 *   Max error: none: R[i] is model::distance_from_squares(dx2[i], dy2), bit
 *              for bit
 *   Falls back to: model::distance_from_squares for the last n mod N nodes
 * @return R[i] = single(sqrt(dy2 + dx2[i])), raised to 1.0 below 1.0, for i < n
 */
void row_distances(const float* dx2, float dy2, float* R, std::size_t n);

/**
 * Row form of model::u_of and model::rb_of: the well function's arguments.
 *
 *      Inputs: R[0 .. n), distances; u_factor = model::u_factor(T, S, TIME);
 *              B = model::leakage_factor(T, LEAK); any values
 *   Max error: none: u[i] is model::u_of(u_factor, R[i]) and rb[i] is
 *              model::rb_of(R[i], B), bit for bit
 *   Falls back to: the model's functions for the last n mod N nodes
 * @return u[i] and rb[i] for i < n
 */
void well_function_arguments(const float* R, double u_factor, float B, float* u, float* rb,
                             std::size_t n);

/**
 * Row form of model::drawdown_of followed by model::accumulate: one well's
 * drawdowns added to a row of cells.
 *
 *      Inputs: W[0 .. n), well function values; K = model::drawdown_factor(Q);
 *              T; the cells DD[0 .. n); any values
 *   Max error: none: DD[i] becomes model::accumulate(model::drawdown_of(K,
 *              W[i], T), DD[i]), bit for bit
 *   Falls back to: the model's functions for the last n mod N nodes
 */
void accumulate_drawdowns(const float* W, double K, float T, float* DD, std::size_t n);

}  // namespace engine
