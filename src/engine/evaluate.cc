#include "engine/evaluate.h"

#include <algorithm>
#include <system_error>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

#include "model/drawdown.h"

namespace engine {

void zero_grid(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny) {
  for (std::int32_t c = 1; c <= nx; ++c)
    for (std::int32_t r = 1; r <= ny; ++r) DD(c, r) = 0.0f;
}

void evaluate_reference(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& a,
                        std::span<const Well> wells) {
  for (const Well& w : wells)
    for (std::int32_t c = 1; c <= nx; ++c)
      for (std::int32_t r = 1; r <= ny; ++r) {
        const float R = model::DIST(a.SPACING, c, r, w.x, w.y);
        model::DRAWDN(a.T, a.S, a.TIME, a.LEAK, w.q, R, DD(c, r));
      }
}

int hardware_threads() { return static_cast<int>(std::max(1u, std::thread::hardware_concurrency())); }

void run_on_threads(int threads, const std::function<void()>& work) {
  // A worker's exception (std::bad_alloc) is thrown again here, once all
  // have ended, as if the calling thread had thrown it: never std::terminate.
  std::mutex guard;
  std::exception_ptr first;
  const auto guarded = [&] {
    try {
      work();
    } catch (...) {
      const std::lock_guard<std::mutex> lock(guard);
      if (!first) first = std::current_exception();
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) {
    try {
      pool.emplace_back(guarded);
    } catch (const std::system_error&) {
      break;  // fewer threads share the same tasks
    }
  }
  guarded();
  for (std::thread& t : pool) t.join();
  if (first) std::rethrow_exception(first);
}

void evaluate(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
              std::span<const Well> wells, const Options& options) {
  if (options.method == Method::reference)
    evaluate_reference(DD, nx, ny, aquifer, wells);
  else
    evaluate_fast(DD, nx, ny, aquifer, wells, options.fast);
}

void evaluate_passes(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                     std::span<const TimedWells> passes, const Options& options, std::atomic<std::uint64_t>* done) {
  if (options.method == Method::fast) {
    evaluate_fast_passes(DD, nx, ny, aquifer, passes, options.fast, done);
    return;
  }
  const std::uint64_t cells = nx > 0 && ny > 0 ? static_cast<std::uint64_t>(nx) * static_cast<std::uint64_t>(ny) : 0;
  for (const TimedWells& pass : passes) {
    Aquifer a = aquifer;
    a.TIME = pass.TIME;
    evaluate_reference(DD, nx, ny, a, pass.wells);
    if (done != nullptr) done->fetch_add(cells * pass.wells.size());
  }
}

}  // namespace engine
