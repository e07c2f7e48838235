// The fast evaluation against the reference evaluation, every cell bit for bit,
// and the row steps against the model's routines.

#include "engine/evaluate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "engine/evaluate_lanes.h"
#include "model/drawdown.h"

namespace engine {
namespace {

std::uint32_t Bits(float x) { return std::bit_cast<std::uint32_t>(x); }

struct Case {
  const char* name;
  Aquifer aquifer;
  std::int32_t nx, ny;
};

// Aquifers: a leaky one with u below 6 everywhere, no leakage, u crossing 6
// inside the grid, a strongly leaky one (exponents far below single's range),
// and a fine grid of 1-foot spacing (tiny u near the wells).
const Case kCases[] = {
    {"leaky", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 23, 17},
    {"no leakage", {50000.0f, 0.0002f, 30.0f, 0.0f, 100}, 19, 21},
    {"u crosses 6", {10000.0f, 0.032f, 1.0f, 0.001f, 100}, 24, 16},
    {"strong leakage", {1000.0f, 0.0001f, 1.0f, 1.0f, 100}, 17, 13},
    {"1-foot spacing", {100000.0f, 1e-5f, 100.0f, 0.0005f, 1}, 16, 15},
    {"single column", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 1, 29},
    {"single row", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 31, 1},
    {"long rows", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 300, 2},
};

enum class Layout { on_nodes, half_nodes, fractional, stacked };

std::vector<Well> MakeWells(Layout layout, std::int32_t nx, std::int32_t ny, int count, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_int_distribution<int> hx(-6, 2 * nx + 6), hy(-6, 2 * ny + 6);
  std::uniform_real_distribution<float> fx(-3.0f, static_cast<float>(nx) + 3.0f),
      fy(-3.0f, static_cast<float>(ny) + 3.0f), rate(1e4f, 1e6f);
  std::vector<Well> wells;
  for (int k = 0; k < count; ++k) {
    Well w;
    switch (layout) {
      case Layout::on_nodes:
        w.x = static_cast<float>(1 + k % std::max(nx, 1));
        w.y = static_cast<float>(1 + (k * 7) % std::max(ny, 1));
        break;
      case Layout::half_nodes:
        w.x = static_cast<float>(hx(gen)) / 2.0f;
        w.y = static_cast<float>(hy(gen)) / 2.0f;
        break;
      case Layout::fractional:
        w.x = fx(gen);
        w.y = fy(gen);
        break;
      case Layout::stacked:  // few positions, shared by many wells
        w.x = k % 3 == 0 ? 2.37f : 5.81f;
        w.y = k % 2 == 0 ? 3.14f : 1.5f;
        break;
    }
    w.q = (k % 4 == 1 ? -1.0f : 1.0f) * rate(gen);
    wells.push_back(w);
  }
  if (layout == Layout::on_nodes && count >= 2) {
    // Two wells at one node with opposite rates.
    wells[1] = Well{wells[0].x, wells[0].y, -wells[0].q};
  }
  return wells;
}

void ExpectSameCells(const Case& c, std::span<const Well> wells, const FastOptions& options) {
  auto expected = std::make_unique<DrawdownGrid>();
  auto actual = std::make_unique<DrawdownGrid>();
  zero_grid(*expected, c.nx, c.ny);
  zero_grid(*actual, c.nx, c.ny);
  evaluate_reference(*expected, c.nx, c.ny, c.aquifer, wells);
  evaluate_fast(*actual, c.nx, c.ny, c.aquifer, wells, options);
  int shown = 0;
  for (std::int32_t r = 1; r <= kMaxNodes; ++r)
    for (std::int32_t col = 1; col <= kMaxNodes; ++col)
      if (Bits((*actual)(col, r)) != Bits((*expected)(col, r)) && shown++ < 5)
        ADD_FAILURE() << "cell (" << col << ", " << r << "): fast " << std::hexfloat
                      << (*actual)(col, r) << ", reference " << (*expected)(col, r);
}

TEST(EvaluateFast, SameCellsAsReferenceForEveryAquiferLayoutReuseAndThreadCount) {
  const Layout layouts[] = {Layout::on_nodes, Layout::half_nodes, Layout::fractional, Layout::stacked};
  const Reuse reuses[] = {Reuse::automatic, Reuse::lattice, Reuse::distances, Reuse::none};
  unsigned seed = 1;
  for (const Case& c : kCases) {
    for (Layout layout : layouts) {
      // Long rows with 5 wells: 1500 values a row, more than one block of misses.
      const std::vector<Well> wells = MakeWells(layout, c.nx, c.ny, c.nx > 100 ? 5 : 9, seed++);
      for (Reuse reuse : reuses) {
        for (int threads : {1, 2, 3}) {
          SCOPED_TRACE(std::string(c.name) + ", layout " + std::to_string(static_cast<int>(layout)) +
                       ", reuse " + std::to_string(static_cast<int>(reuse)) + ", threads " +
                       std::to_string(threads));
          ExpectSameCells(c, wells, FastOptions{threads, reuse});
        }
      }
    }
  }
}

TEST(EvaluateFast, EmptyGridsAndTheEndMarkerWell) {
  const Aquifer a{50000.0f, 0.0002f, 30.0f, 0.001f, 100};
  const std::vector<Well> marker{Well{}};  // x = y = q = 0: adds 0.0 everywhere
  for (auto [nx, ny] : {std::pair{0, 5}, std::pair{5, 0}, std::pair{0, 0}, std::pair{-3, 4}}) {
    auto DD = std::make_unique<DrawdownGrid>();
    evaluate_fast(*DD, nx, ny, a, MakeWells(Layout::fractional, 5, 5, 4, 3), FastOptions{2, Reuse::automatic});
    for (std::int32_t r = 1; r <= kMaxNodes; ++r)
      for (std::int32_t c = 1; c <= kMaxNodes; ++c) ASSERT_EQ(Bits((*DD)(c, r)), 0u);
  }
  ExpectSameCells(Case{"marker", a, 7, 6}, marker, FastOptions{2, Reuse::automatic});
}

TEST(EvaluateFast, ManyWellsAreAddedInTableOrderAcrossStreams) {
  // A row's wells are read in streams of at most 128; with 300 wells every
  // cell gets its additions from three streams, still in well-table order.
  const Case c{"many wells", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 7, 3};
  const std::vector<Well> wells = MakeWells(Layout::fractional, c.nx, c.ny, 300, 31);
  for (Reuse reuse : {Reuse::distances, Reuse::none})
    for (int threads : {1, 2}) ExpectSameCells(c, wells, FastOptions{threads, reuse});
}

// Several passes into one grid: the cells of evaluate_fast of each pass in
// turn, bit for bit, whatever the passes' sizes (blocks of small passes, a
// pass large enough to run on its own between them), layouts, reuse and
// thread count; the counter ends at every node-well evaluation.
TEST(EvaluateFastPasses, SameCellsAsOnePassAfterAnother) {
  struct PassesCase {
    const char* name;
    std::int32_t nx, ny;
    std::vector<int> wells;  // per pass
    Layout layout;
  };
  const PassesCase cases[] = {
      {"a schedule of one well on a node", 9, 7, std::vector<int>(60, 1), Layout::on_nodes},
      {"one well between nodes", 9, 6, std::vector<int>(40, 1), Layout::fractional},
      {"alternating wells, half nodes", 11, 5, {1, 2, 1, 3, 1, 2, 1, 3, 2, 2}, Layout::half_nodes},
      {"stacked wells", 6, 9, {4, 1, 4, 1, 4}, Layout::stacked},
      {"a large pass among small ones", 300, 35, {1, 2, 100, 1, 1}, Layout::fractional},
      {"blocks of many small passes", 40, 30, std::vector<int>(900, 1), Layout::half_nodes},
      {"a single row", 31, 1, {1, 1, 1}, Layout::fractional},
      {"passes without wells", 5, 6, {0, 2, 0, 0, 1, 0}, Layout::fractional},
  };
  const Aquifer aquifer{50000.0f, 0.0002f, 30.0f, 0.001f, 100};
  unsigned seed = 7;
  for (const PassesCase& c : cases) {
    std::vector<std::vector<Well>> wells;
    std::vector<TimedWells> passes;
    for (std::size_t p = 0; p < c.wells.size(); ++p)
      wells.push_back(MakeWells(c.layout, c.nx, c.ny, c.wells[p], seed++));
    std::uint64_t evaluations = 0;
    for (std::size_t p = 0; p < c.wells.size(); ++p) {
      passes.push_back(TimedWells{30.0f - 0.37f * static_cast<float>(p), wells[p]});
      evaluations += static_cast<std::uint64_t>(c.nx) * c.ny * wells[p].size();
    }
    auto expected = std::make_unique<DrawdownGrid>(c.nx, c.ny);
    for (const TimedWells& pass : passes) {
      Aquifer a = aquifer;
      a.TIME = pass.TIME;
      evaluate_fast(*expected, c.nx, c.ny, a, pass.wells, FastOptions{1, Reuse::none});
    }
    for (Reuse reuse : {Reuse::automatic, Reuse::none})
      for (int threads : {1, 3}) {
        SCOPED_TRACE(std::string(c.name) + ", reuse " + std::to_string(static_cast<int>(reuse)) + ", threads " +
                     std::to_string(threads));
        auto actual = std::make_unique<DrawdownGrid>(c.nx, c.ny);
        std::atomic<std::uint64_t> done{0};
        evaluate_fast_passes(*actual, c.nx, c.ny, aquifer, passes, FastOptions{threads, reuse}, &done);
        EXPECT_EQ(done.load(), evaluations);
        int wrong = 0;
        for (std::int32_t r = 1; r <= c.ny; ++r)
          for (std::int32_t col = 1; col <= c.nx; ++col)
            if (Bits((*actual)(col, r)) != Bits((*expected)(col, r)) && wrong++ < 3)
              ADD_FAILURE() << "cell (" << col << ", " << r << "): " << std::hexfloat << (*actual)(col, r)
                            << ", one pass after another " << (*expected)(col, r);
      }
    // The reference evaluation of the passes (one scalar call per node and
    // well, so on the smaller cases only): the same cells again.
    if (evaluations > 200000) continue;
    auto reference = std::make_unique<DrawdownGrid>(c.nx, c.ny);
    evaluate_passes(*reference, c.nx, c.ny, aquifer, passes, Options{Method::reference, {}});
    for (std::int32_t r = 1; r <= c.ny; ++r)
      for (std::int32_t col = 1; col <= c.nx; ++col) ASSERT_EQ(Bits((*reference)(col, r)), Bits((*expected)(col, r)));
  }
}

TEST(EvaluateFast, TheMostThreadsGiveTheSameCells) {
  // 256 threads asked for (the most, kMaxThreads) on 300 rows: fewer workers
  // are started, as kWorkerMemory allows, and they share every row.
  const Case c{"256 threads", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 23, 300};
  for (Layout layout : {Layout::half_nodes, Layout::fractional}) {
    const std::vector<Well> wells = MakeWells(layout, c.nx, c.ny, 6, 41);
    for (Reuse reuse : {Reuse::automatic, Reuse::distances, Reuse::none}) {
      SCOPED_TRACE("layout " + std::to_string(static_cast<int>(layout)) + ", reuse " +
                   std::to_string(static_cast<int>(reuse)));
      ExpectSameCells(c, wells, FastOptions{kMaxThreads, reuse});
    }
  }
}

TEST(EvaluateFast, OutOfDomainAquifersGiveTheReferenceCells) {
  // Zero transmissivity or storage, negative leakance: infinities and NaNs
  // reach the cells the same way.
  const Aquifer odd[] = {{0.0f, 0.0002f, 30.0f, 0.001f, 100},
                         {50000.0f, 0.0f, 30.0f, 0.001f, 100},
                         {50000.0f, 0.0002f, 30.0f, -0.001f, 100},
                         {50000.0f, -0.0002f, 30.0f, 0.001f, 100}};
  for (const Aquifer& a : odd) {
    const Case c{"odd", a, 9, 8};
    ExpectSameCells(c, MakeWells(Layout::half_nodes, 9, 8, 5, 21), FastOptions{2, Reuse::automatic});
    ExpectSameCells(c, MakeWells(Layout::fractional, 9, 8, 5, 22), FastOptions{1, Reuse::distances});
  }
}

TEST(RowSteps, MatchTheModelRoutines) {
  std::mt19937 gen(5);
  std::uniform_real_distribution<float> offset(-40000.0f, 40000.0f), W(-1.0f, 20.0f);
  std::vector<float> dx2(37), R(37), u(37), rb(37), Ws(37), DD(37), DD2(37);
  const float specials[] = {0.0f, 0.25f, 1.0f, 0.5f};
  for (int round = 0; round < 200; ++round) {
    for (std::size_t i = 0; i < dx2.size(); ++i) {
      const float d = i < 4 ? specials[i] : offset(gen);
      dx2[i] = static_cast<float>(static_cast<double>(d) * d);
    }
    const float dy = round % 10 == 0 ? 0.0f : offset(gen);
    const float dy2 = static_cast<float>(static_cast<double>(dy) * dy);
    row_distances(dx2.data(), dy2, R.data(), dx2.size());
    for (std::size_t i = 0; i < dx2.size(); ++i)
      ASSERT_EQ(Bits(R[i]), Bits(model::distance_from_squares(dx2[i], dy2)));

    const double factor = model::u_factor(50000.0f, 0.0002f, 30.0f);
    const float B = round % 3 == 0 ? model::leakage_factor(50000.0f, 0.0f)  // +infinity
                                   : model::leakage_factor(50000.0f, 0.001f);
    well_function_arguments(R.data(), factor, B, u.data(), rb.data(), R.size());
    for (std::size_t i = 0; i < R.size(); ++i) {
      ASSERT_EQ(Bits(u[i]), Bits(model::u_of(factor, R[i])));
      ASSERT_EQ(Bits(rb[i]), Bits(model::rb_of(R[i], B)));
    }

    const float Q = (round % 2 ? -1.0f : 1.0f) * 1000.0f * static_cast<float>(round + 1);
    for (std::size_t i = 0; i < Ws.size(); ++i) {
      Ws[i] = W(gen);
      DD[i] = DD2[i] = W(gen);
    }
    accumulate_drawdowns(Ws.data(), model::drawdown_factor(Q), 50000.0f, DD.data(), DD.size());
    for (std::size_t i = 0; i < Ws.size(); ++i)
      ASSERT_EQ(Bits(DD[i]), Bits(model::accumulate(model::drawdown_from_W(Q, Ws[i], 50000.0f), DD2[i])));
  }
}

TEST(Evaluate, OptionsChooseThePathNotTheCells) {
  const Case c{"options", {50000.0f, 0.0002f, 30.0f, 0.001f, 100}, 11, 9};
  const std::vector<Well> wells = MakeWells(Layout::fractional, c.nx, c.ny, 4, 9);
  auto expected = std::make_unique<DrawdownGrid>();
  evaluate_reference(*expected, c.nx, c.ny, c.aquifer, wells);
  for (const Method method : {Method::reference, Method::fast}) {
    Options options;
    options.method = method;
    options.fast.threads = 3;
    auto DD = std::make_unique<DrawdownGrid>();
    evaluate(*DD, c.nx, c.ny, c.aquifer, wells, options);
    for (std::int32_t r = 1; r <= c.ny; ++r)
      for (std::int32_t col = 1; col <= c.nx; ++col)
        ASSERT_EQ(Bits((*DD)(col, r)), Bits((*expected)(col, r))) << static_cast<int>(method);
  }
}

}  // namespace
// Memory that is not there in a worker thread reaches the caller as the
// exception (which the program turns into one line and a status), never as
// std::terminate, and only once every thread has ended.
TEST(RunOnThreads, AWorkersExceptionIsThrownByTheCallerOnceAllHaveEnded) {
  const struct {
    int threads;
    int failing_task;  // the task whose thread throws
  } kCases[] = {{1, 0}, {2, 0}, {2, 5}, {4, 11}, {4, 0}};
  for (const auto& c : kCases) {
    std::atomic<int> next{0}, ended{0};
    const auto work = [&] {
      struct Ended {
        std::atomic<int>& n;
        ~Ended() { n.fetch_add(1); }
      } at_end{ended};
      for (int task; (task = next.fetch_add(1)) < 12;)
        if (task == c.failing_task) throw std::bad_alloc();
    };
    EXPECT_THROW(run_on_threads(c.threads, work), std::bad_alloc) << c.threads << " " << c.failing_task;
    EXPECT_EQ(ended.load(), c.threads) << c.threads << " " << c.failing_task;
  }
  std::atomic<int> runs{0};
  EXPECT_NO_THROW(run_on_threads(3, [&] { runs.fetch_add(1); }));
  EXPECT_EQ(runs.load(), 3);
}

}  // namespace engine
