// Evaluation of every well at every node into the drawdown grid.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "engine/drawdown_grid.h"

namespace engine {

/// Sets cells (1..nx, 1..ny) to 0.0; the rest of the grid is not touched.
void zero_grid(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny);

/// Adds the drawdown of each well, in table order, to every node (1..nx, 1..ny):
/// all nodes of the first well, then all of the second, one single-precision
/// addition per well and node. The straightforward evaluation, kept as the
/// reference the faster paths are checked against.
void evaluate_reference(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                        std::span<const Well> wells);

/// Which table of well function values the fast evaluation keeps.
enum class Reuse {
  automatic,  ///< the lattice table when it is small, else the distance table when it pays
  lattice,    ///< a value per pair of distinct squared offsets (refused when too many)
  distances,  ///< a value per distance, for the distances that occur most
  none,       ///< every node and well evaluated afresh
};

/// The most memory, in bytes, that the fast evaluation's worker threads take
/// together (their buffers, stacks and thread-local data), whatever thread
/// count is asked for: workers beyond it are not started, and those started
/// share all rows, with the same cells.
inline constexpr std::size_t kWorkerMemory = std::size_t{4} << 20;

/// Settings of the fast evaluation.
struct FastOptions {
  int threads = 1;                 ///< worker threads asked for, 1 or more (fewer run
                                   ///< when the rows are fewer or kWorkerMemory is reached)
  Reuse reuse = Reuse::automatic;  ///< which table of values to keep
};

/// The same cells as evaluate_reference, bit for bit, reached faster: every
/// cell still receives its wells' drawdowns one by one in table order, each
/// well function value is the one model::WUB gives for the node's distance, and
/// rows of nodes are shared out among worker threads.
void evaluate_fast(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                   std::span<const Well> wells, const FastOptions& options);

/// One pass of a grid evaluated in several: wells that pump for the same time.
struct TimedWells {
  float TIME = 0.0f;              ///< days since these wells began pumping
  std::span<const Well> wells;    ///< in table order
};

/// evaluate_fast of each pass in turn into the same grid, aquifer.TIME taken
/// from each pass: every cell receives the drawdowns of the first pass's
/// wells in table order, then of the second's, and so on, bit for bit as that
/// sequence of evaluate_fast calls gives them. Reached faster when passes are
/// many and small: the workers start once for all the small passes and share
/// their rows out pass after pass (a chunk of rows takes a pass as soon as it
/// has taken the pass before), instead of once per pass. A pass of many node
/// evaluations is evaluated on its own, as evaluate_fast does. `done`, when
/// given, counts the node-well evaluations as they end (from any thread).
void evaluate_fast_passes(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                          std::span<const TimedWells> passes, const FastOptions& options,
                          std::atomic<std::uint64_t>* done = nullptr);

/// The processor's hardware threads, at least 1.
int hardware_threads();

/// Runs `work` on `threads` threads at once, the caller's among them, and
/// returns when all have ended; fewer when the system refuses a thread (the
/// caller's always runs), so `work` must share its tasks out itself. The
/// first exception any of them throws (std::bad_alloc) is thrown again by the
/// caller once all have ended.
void run_on_threads(int threads, const std::function<void()>& work);

/// How the program evaluates a grid.
enum class Method {
  fast,       ///< evaluate_fast
  reference,  ///< evaluate_reference
};

/// The evaluation's settings, chosen by the caller (the driver reads them from
/// the environment).
struct Options {
  Method method = Method::fast;  ///< which evaluation runs
  FastOptions fast{hardware_threads(), Reuse::automatic};  ///< settings of the fast one
};

/// The most worker threads an evaluation takes.
inline constexpr int kMaxThreads = 256;

/// The program's evaluation: evaluate_reference or evaluate_fast, as `options`
/// say. The cells are the same either way.
void evaluate(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
              std::span<const Well> wells, const Options& options);

/// The program's evaluation of several passes into one grid: evaluate of each
/// pass in turn (aquifer.TIME taken from the pass), by evaluate_reference or
/// evaluate_fast_passes as `options` say. The cells are the same either way.
/// `done`, when given, counts the node-well evaluations as they end.
void evaluate_passes(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                     std::span<const TimedWells> passes, const Options& options,
                     std::atomic<std::uint64_t>* done = nullptr);

}  // namespace engine
