// The fast grid evaluation.
//
// Within a run every input of the well function except the node distance R is
// fixed, and R itself is single(sqrt(dy2 + dx2)) of two squared offsets, dx2
// depending only on the well and the node's column, dy2 only on the well and
// the row. So W is a function of (dx2, dy2), and of R. The evaluation keeps
// one of two tables of W values, both keyed on exactly what determines W:
// - the lattice table, when the run has few distinct squared offsets (wells on
//   whole or half nodes): W for each pair of them, filled as pairs occur;
// - the distance table, when many nodes share distances (many wells at random
//   positions): W for each bit pattern of R in the range of R where most
//   nodes fall, filled as distances occur.
// Values missing from the table are evaluated many at once by WUB_lanes, which
// gives model::WUB's bits. Rows of nodes are shared out among worker threads;
// each thread takes a few rows at a time and adds all wells' drawdowns to them
// in well-table order, so every cell sees the same additions in the same order
// as in evaluate_reference, whatever the number of threads. The workers'
// memory is bounded whatever the thread count asked for: workers beyond
// kWorkerMemory are not started (see worker_count).
//
// A table slot holds the bits of W exclusive-or kAbsent, so that a zeroed slot
// means "not yet evaluated". Two threads may evaluate the same slot at the same
// time; they store the same bits, with relaxed atomic accesses.

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <system_error>
#include <thread>
#include <unordered_map>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include "engine/evaluate.h"
#include "engine/evaluate_lanes.h"
#include "engine/well_function_lanes.h"
#include "model/drawdown.h"

namespace engine {
namespace {

// A signalling-NaN pattern, which no arithmetic produces: the table encoding.
constexpr std::uint32_t kAbsent = 0x7F800001u;
// Most distinct squared offsets for the lattice table (16 MiB at most).
constexpr std::size_t kLatticeMaxValues = 2048;
// Distance table: bit patterns of R per page, and at most this many pages
// (80 MiB; a full-size run then stays below 100 MiB).
constexpr int kPageBits = 20;
constexpr std::size_t kMaxPages = 20;
// Rows a worker takes at a time in the lattice mode.
constexpr std::int32_t kChunkRows = 4;
// Distance table reads: how far ahead a slot is fetched, how many misses are
// evaluated together, and the most wells one stream of reads takes (so that a
// worker's buffer stays small: 150 KiB for rows of 300 nodes).
constexpr std::size_t kReadAhead = 32;
constexpr std::size_t kMissBlock = 1024;
constexpr std::size_t kStreamWells = 128;
// Besides its Scratch, a started worker costs about this much memory: the
// part of its stack it touches, the lanes' batch in its thread-local storage
// and its malloc arena (measured: a worker of the distance table's rows of 300
// nodes adds about 270 KiB to the peak, 174 KiB of them its Scratch).
constexpr std::size_t kWorkerOverhead = std::size_t{96} << 10;

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }
float from_bits(std::uint32_t b) { return std::bit_cast<float>(b); }

std::uint32_t load_slot(std::uint32_t& slot) {
  return std::atomic_ref<std::uint32_t>(slot).load(std::memory_order_relaxed);
}
void store_slot(std::uint32_t& slot, float W) {
  std::atomic_ref<std::uint32_t>(slot).store(bits(W) ^ kAbsent, std::memory_order_relaxed);
}

// Zeroed memory for a table; large ones are mapped directly, with huge pages
// where the system offers them.
class ZeroedTable {
 public:
  explicit ZeroedTable(std::size_t slots) : bytes_(slots * sizeof(std::uint32_t)) {
#if defined(__linux__)
    if (bytes_ >= (std::size_t{1} << 22)) {
      void* p = mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (p != MAP_FAILED) {
        madvise(p, bytes_, MADV_HUGEPAGE);
        data_ = static_cast<std::uint32_t*>(p);
        mapped_ = true;
        return;
      }
    }
#endif
    data_ = static_cast<std::uint32_t*>(std::calloc(slots, sizeof(std::uint32_t)));
    if (data_ == nullptr) throw std::bad_alloc();
  }
  ~ZeroedTable() {
#if defined(__linux__)
    if (mapped_) {
      munmap(data_, bytes_);
      return;
    }
#endif
    std::free(data_);
  }
  ZeroedTable(const ZeroedTable&) = delete;
  ZeroedTable& operator=(const ZeroedTable&) = delete;
  std::uint32_t* data() const { return data_; }

 private:
  std::size_t bytes_;
  std::uint32_t* data_ = nullptr;
  bool mapped_ = false;
};

// The run's per-well quantities.
struct Run {
  std::int32_t nx = 0, ny = 0;
  std::size_t wells = 0;
  double u_factor = 0.0;
  float B = 0.0f;
  float T = 0.0f;
  std::vector<float> dx2;  // well k, column c: dx2[k * nx + c - 1]
  std::vector<float> dy2;  // well k, row r: dy2[k * ny + r - 1]
  std::vector<double> K;   // drawdown factor of well k
};

Run prepare(std::int32_t nx, std::int32_t ny, const Aquifer& a, std::span<const Well> wells) {
  Run run;
  run.nx = nx;
  run.ny = ny;
  run.wells = wells.size();
  run.u_factor = model::u_factor(a.T, a.S, a.TIME);
  run.B = model::leakage_factor(a.T, a.LEAK);
  run.T = a.T;
  run.dx2.resize(run.wells * static_cast<std::size_t>(nx));
  run.dy2.resize(run.wells * static_cast<std::size_t>(ny));
  run.K.resize(run.wells);
  for (std::size_t k = 0; k < run.wells; ++k) {
    for (std::int32_t c = 1; c <= nx; ++c)
      run.dx2[k * nx + c - 1] = model::squared_offset(a.SPACING, c, wells[k].x);
    for (std::int32_t r = 1; r <= ny; ++r)
      run.dy2[k * ny + r - 1] = model::squared_offset(a.SPACING, r, wells[k].y);
    run.K[k] = model::drawdown_factor(wells[k].q);
  }
  return run;
}

// The lattice: the distinct squared offsets (by bit pattern), each well's
// index into them per column and row, and the table W[iy * size + ix].
struct Lattice {
  std::vector<float> values;
  std::vector<std::uint16_t> ix;  // like Run::dx2
  std::vector<std::uint16_t> iy;  // like Run::dy2
  std::unique_ptr<ZeroedTable> table;
};

// The lattice of the run, or nothing when it has more than `most_values`
// distinct squared offsets; without its table of values unless `with_table`.
std::unique_ptr<Lattice> make_lattice(const Run& run, std::size_t most_values = kLatticeMaxValues,
                                      bool with_table = true) {
  std::unordered_map<std::uint32_t, std::uint16_t> index;
  auto lattice = std::make_unique<Lattice>();
  auto add = [&](const std::vector<float>& from, std::vector<std::uint16_t>& to) {
    to.resize(from.size());
    for (std::size_t i = 0; i < from.size(); ++i) {
      const auto [it, fresh] =
          index.try_emplace(bits(from[i]), static_cast<std::uint16_t>(lattice->values.size()));
      if (fresh) {
        if (lattice->values.size() >= most_values) return false;
        lattice->values.push_back(from[i]);
      }
      to[i] = it->second;
    }
    return true;
  };
  if (!add(run.dx2, lattice->ix) || !add(run.dy2, lattice->iy)) return nullptr;
  const std::size_t n = lattice->values.size();
  if (with_table) lattice->table = std::make_unique<ZeroedTable>(std::max<std::size_t>(n * n, 1));
  return lattice;
}

// The distance table: W for R bit patterns [base, base + size).
struct DistanceTable {
  std::uint32_t base = 0;
  std::uint32_t size = 0;
  std::unique_ptr<ZeroedTable> table;
};

// Picks the range of R that saves the most evaluations, from a sample of the
// nodes, or nothing when a table would save too little for its memory.
std::unique_ptr<DistanceTable> make_distance_table(const Run& run, bool forced) {
  constexpr int kPages = 1 << (31 - kPageBits);
  std::vector<double> count(kPages, 0.0);
  constexpr std::int32_t kStride = 7;
  double samples = 0.0;
  for (std::size_t k = 0; k < run.wells; ++k)
    for (std::int32_t r = 0; r < run.ny; r += kStride)
      for (std::int32_t c = 0; c < run.nx; c += kStride) {
        const float R = model::distance_from_squares(run.dx2[k * run.nx + c], run.dy2[k * run.ny + r]);
        const std::uint32_t b = bits(R);
        if (b < 0x7F800000u) count[b >> kPageBits] += 1.0;
        samples += 1.0;
      }
  if (samples == 0.0) return nullptr;
  const double total = static_cast<double>(run.wells) * run.nx * run.ny;
  const double slots = static_cast<double>(1u << kPageBits);
  std::vector<double> saved(kPages);
  for (int p = 0; p < kPages; ++p) {
    const double n = count[p] * total / samples;
    saved[p] = n - slots * (1.0 - std::exp(-n / slots));
  }
  double best = -1.0;
  int first = 0;
  int pages = static_cast<int>(kMaxPages);
  double window = 0.0;
  for (int p = 0; p < kPages; ++p) {
    window += saved[p];
    if (p >= pages) window -= saved[p - pages];
    if (window > best) {
      best = window;
      first = std::max(0, p - pages + 1);
    }
  }
  if (!forced && (best < 0.25 * total || best < 4.0e6)) return nullptr;
  auto table = std::make_unique<DistanceTable>();
  table->base = static_cast<std::uint32_t>(first) << kPageBits;
  table->size = static_cast<std::uint32_t>(pages) << kPageBits;
  table->table = std::make_unique<ZeroedTable>(table->size);
  return table;
}

// A worker's buffers: W values (first holding the distances they replace) and
// the misses waiting for evaluation.
struct Scratch {
  std::vector<float> W;
  std::vector<float> R, u, rb, Wm;
  std::vector<std::uint32_t> miss;  // index into W
  Scratch(std::size_t values, std::size_t misses)
      : W(values), R(misses), u(misses), rb(misses), Wm(misses), miss(misses) {}
  // The bytes of a Scratch(values, misses).
  static std::size_t bytes(std::size_t values, std::size_t misses) {
    return values * sizeof(float) + misses * (4 * sizeof(float) + sizeof(std::uint32_t));
  }
};

// The workers to start: as many as asked (at most kMaxThreads), no more than
// there are chunks of rows, and no more than keep the workers' memory within
// kWorkerMemory; at least one.
int worker_count(int threads, std::int32_t chunks, std::size_t scratch_bytes) {
  const std::size_t by_memory = kWorkerMemory / (scratch_bytes + kWorkerOverhead);
  const std::size_t most = std::min<std::size_t>({static_cast<std::size_t>(std::max(threads, 1)),
                                                  static_cast<std::size_t>(kMaxThreads),
                                                  static_cast<std::size_t>(std::max(chunks, 1)), by_memory});
  return static_cast<int>(std::max<std::size_t>(most, 1));
}

// Evaluates the missing nodes gathered in s (their distances in s.R[0..m)).
void evaluate_misses(const Run& run, Scratch& s, std::size_t m) {
  well_function_arguments(s.R.data(), run.u_factor, run.B, s.u.data(), s.rb.data(), m);
  WUB_lanes(std::span<const float>(s.u.data(), m), std::span<const float>(s.rb.data(), m),
            std::span<float>(s.Wm.data(), m));
}

// Rows [r0, r1) of the grid, all wells in table order.
void lattice_chunk(const Run& run, Lattice& lat, DrawdownGrid& DD, std::int32_t r0, std::int32_t r1,
                   Scratch& s) {
  const std::size_t nx = static_cast<std::size_t>(run.nx);
  const std::size_t L = lat.values.size();
  std::uint32_t* table = lat.table->data();
  for (std::size_t k = 0; k < run.wells; ++k) {
    const std::uint16_t* ix = &lat.ix[k * nx];
    std::size_t m = 0;
    for (std::int32_t r = r0; r < r1; ++r) {
      const std::size_t iy = lat.iy[k * run.ny + r - 1];
      std::uint32_t* trow = table + iy * L;
      float* W = &s.W[(r - r0) * nx];
      for (std::size_t c = 0; c < nx; ++c) {
        const std::uint32_t v = load_slot(trow[ix[c]]);
        if (v != 0) {
          W[c] = from_bits(v ^ kAbsent);
        } else {
          s.miss[m] = static_cast<std::uint32_t>((r - r0) * nx + c);
          s.R[m] = model::distance_from_squares(lat.values[ix[c]], lat.values[iy]);
          ++m;
        }
      }
    }
    if (m > 0) {
      evaluate_misses(run, s, m);
      for (std::size_t i = 0; i < m; ++i) {
        const std::size_t node = s.miss[i];
        const std::size_t r = static_cast<std::size_t>(r0) + node / nx;
        const std::size_t ixv = ix[node % nx];
        const std::size_t iy = lat.iy[k * run.ny + r - 1];
        s.W[node] = s.Wm[i];
        store_slot(table[iy * L + ixv], s.Wm[i]);
        store_slot(table[ixv * L + iy], s.Wm[i]);  // R is symmetric in dx2 and dy2
      }
    }
    for (std::int32_t r = r0; r < r1; ++r)
      accumulate_drawdowns(&s.W[(r - r0) * nx], run.K[k], run.T, &DD(1, r), nx);
  }
}

// Row r of the grid with wells [k0, k1): first their distances, then one
// stream of table reads over them (each slot fetched kReadAhead reads before
// it is needed, so that many fetches are in flight at once), the misses
// evaluated kMissBlock at a time; last the drawdowns, added in well-table order.
void row_with_distances(const Run& run, DistanceTable* dt, DrawdownGrid& DD, std::int32_t r,
                        std::size_t k0, std::size_t k1, Scratch& s) {
  const std::size_t nx = static_cast<std::size_t>(run.nx);
  const std::size_t n = (k1 - k0) * nx;
  float* W = s.W.data();  // well k0 + k, column c: W[k * nx + c - 1]; the distance until replaced
  for (std::size_t k = k0; k < k1; ++k)
    row_distances(&run.dx2[k * nx], run.dy2[k * run.ny + r - 1], W + (k - k0) * nx, nx);
  std::uint32_t* table = dt != nullptr ? dt->table->data() : nullptr;
  const std::uint32_t base = dt != nullptr ? dt->base : 0u;
  const std::uint32_t size = dt != nullptr ? dt->size : 0u;
  std::size_t m = 0;
  auto evaluate = [&] {
    evaluate_misses(run, s, m);
    for (std::size_t i = 0; i < m; ++i) {
      W[s.miss[i]] = s.Wm[i];
      const std::uint32_t offset = bits(s.R[i]) - base;
      if (offset < size) store_slot(table[offset], s.Wm[i]);
    }
    m = 0;
  };
  for (std::size_t i = 0; i < n; ++i) {
    if (size != 0) {
      if (i + kReadAhead < n) {
        const std::uint32_t ahead = bits(W[i + kReadAhead]) - base;
        __builtin_prefetch(table + (ahead < size ? ahead : 0u));
      }
      const std::uint32_t offset = bits(W[i]) - base;
      if (offset < size) {
        const std::uint32_t v = load_slot(table[offset]);
        if (v != 0) {
          W[i] = from_bits(v ^ kAbsent);
          continue;
        }
      }
    }
    s.miss[m] = static_cast<std::uint32_t>(i);
    s.R[m] = W[i];
    if (++m == kMissBlock) evaluate();
  }
  if (m > 0) evaluate();
  for (std::size_t k = k0; k < k1; ++k)
    accumulate_drawdowns(W + (k - k0) * nx, run.K[k], run.T, &DD(1, r), nx);
}

// Several passes into one grid (evaluate_fast_passes). Passes of fewer than
// kOwnPass node evaluations run together, in blocks of at most kOwnPass node
// evaluations: first the well function values of every pass of a block, the
// passes shared out among the workers (each pass on one worker, its misses
// evaluated together), into one buffer; then the block's drawdowns, chunks of
// rows shared out, each chunk adding the passes in order. A pass of kOwnPass
// or more runs on its own, as evaluate_fast.
constexpr std::size_t kOwnPass = std::size_t{1} << 20;
// Rows of a chunk when a block's drawdowns are added.
constexpr std::int32_t kPassChunkRows = 4;
// Most distinct squared offsets of a pass's lattice in a block (its table of
// pending misses and its misses then take at most 1.3 MiB of a worker).
constexpr std::size_t kPassLatticeMaxValues = 256;
// Misses a worker evaluates at once without a lattice.
constexpr std::size_t kPassMissBlock = 4096;

// A block of passes: [first, end), and where each pass's values and
// drawdown factors start in the block's buffers.
struct Block {
  std::size_t first = 0, end = 0;
  std::vector<std::size_t> offset;  // per pass: its first value (well k, node i at offset + k * cells + i)
  std::vector<std::size_t> factor;  // per pass: its first well's drawdown factor
};

std::vector<Block> plan_blocks(std::span<const TimedWells> passes, std::size_t cells) {
  std::vector<Block> blocks;
  std::size_t values = 0, factors = 0;
  for (std::size_t p = 0; p < passes.size(); ++p) {
    const std::size_t need = cells * passes[p].wells.size();
    if (blocks.empty() || values + need > kOwnPass) {
      blocks.push_back(Block{p, p, {}, {}});
      values = factors = 0;
    }
    blocks.back().end = p + 1;
    blocks.back().offset.push_back(values);
    blocks.back().factor.push_back(factors);
    values += need;
    factors += passes[p].wells.size();
  }
  return blocks;
}

// A worker's buffers for the values of a pass.
struct PassScratch {
  std::vector<std::uint32_t> pending;  // lattice pair: 1 + its miss, 0 when none yet
  std::vector<float> R, u, rb, Wm;
  void misses(std::size_t n) {
    if (R.size() < n) R.resize(n), u.resize(n), rb.resize(n), Wm.resize(n);
  }
};

// W of every well and node of a pass whose squared offsets form `lat`: each
// distinct pair of offsets evaluated once, all together.
void pass_values_lattice(const Run& run, const Lattice& lat, float* W, PassScratch& s) {
  const std::size_t nx = static_cast<std::size_t>(run.nx), ny = static_cast<std::size_t>(run.ny);
  const std::size_t L = lat.values.size();
  s.pending.assign(L * L, 0);
  std::size_t m = 0;
  // W[i] holds the bits of node i's miss until it is replaced by the value.
  for (std::size_t k = 0; k < run.wells; ++k)
    for (std::size_t r = 0; r < ny; ++r) {
      const std::size_t iy = lat.iy[k * ny + r];
      for (std::size_t c = 0; c < nx; ++c) {
        const std::size_t ix = lat.ix[k * nx + c];
        std::uint32_t& p = s.pending[iy * L + ix];
        if (p == 0) {
          s.misses(m + 1);
          s.R[m] = model::distance_from_squares(lat.values[ix], lat.values[iy]);
          p = s.pending[ix * L + iy] = static_cast<std::uint32_t>(++m);  // R is symmetric in dx2 and dy2
        }
        W[(k * ny + r) * nx + c] = std::bit_cast<float>(p - 1);
      }
    }
  well_function_arguments(s.R.data(), run.u_factor, run.B, s.u.data(), s.rb.data(), m);
  WUB_lanes(std::span<const float>(s.u.data(), m), std::span<const float>(s.rb.data(), m), std::span<float>(s.Wm.data(), m));
  for (std::size_t i = 0, n = run.wells * nx * ny; i < n; ++i) W[i] = s.Wm[std::bit_cast<std::uint32_t>(W[i])];
}

// W of every well and node of a pass, each evaluated afresh.
void pass_values_plain(const Run& run, float* W, PassScratch& s) {
  const std::size_t nx = static_cast<std::size_t>(run.nx), ny = static_cast<std::size_t>(run.ny);
  const std::size_t rows = std::max<std::size_t>(1, kPassMissBlock / nx);
  s.misses(rows * nx);
  for (std::size_t k = 0; k < run.wells; ++k)
    for (std::size_t r0 = 0; r0 < ny; r0 += rows) {
      const std::size_t r1 = std::min(ny, r0 + rows), n = (r1 - r0) * nx;
      for (std::size_t r = r0; r < r1; ++r) row_distances(&run.dx2[k * nx], run.dy2[k * ny + r], &s.R[(r - r0) * nx], nx);
      well_function_arguments(s.R.data(), run.u_factor, run.B, s.u.data(), s.rb.data(), n);
      WUB_lanes(std::span<const float>(s.u.data(), n), std::span<const float>(s.rb.data(), n),
                std::span<float>(W + (k * ny + r0) * nx, n));
    }
}

// The values of pass `pass` into W and its wells' drawdown factors into K.
void pass_values(std::int32_t nx, std::int32_t ny, Aquifer a, const TimedWells& pass, Reuse reuse, float* W,
                 double* K, PassScratch& s) {
  a.TIME = pass.TIME;
  const Run run = prepare(nx, ny, a, pass.wells);
  std::copy(run.K.begin(), run.K.end(), K);
  std::unique_ptr<Lattice> lattice;
  if (reuse == Reuse::automatic || reuse == Reuse::lattice) lattice = make_lattice(run, kPassLatticeMaxValues, false);
  if (lattice)
    pass_values_lattice(run, *lattice, W, s);
  else
    pass_values_plain(run, W, s);
}

// The most memory a worker's PassScratch takes for any of `passes`.
std::size_t pass_scratch_bytes(std::span<const TimedWells> passes, std::int32_t nx, std::int32_t ny) {
  const std::size_t cells = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
  const std::size_t per_miss = 4 * sizeof(float);
  std::size_t most = std::max(static_cast<std::size_t>(nx), kPassMissBlock) * per_miss;  // without a lattice
  for (const TimedWells& p : passes) {
    const std::size_t values = std::min(kPassLatticeMaxValues, p.wells.size() * static_cast<std::size_t>(nx + ny));
    const std::size_t pairs = values * values;
    most = std::max(most, pairs * sizeof(std::uint32_t) + std::min(pairs, p.wells.size() * cells) * per_miss);
  }
  return most;
}

// Waits until `value` holds at least `least`: spinning a little, then giving
// the processor away between looks.
void wait_for(const std::atomic<std::size_t>& value, std::size_t least) {
  for (int spins = 0; value.load(std::memory_order_acquire) < least; ++spins)
    if (spins > 64) std::this_thread::yield();
}

// The small passes run in blocks. The tasks (a block's passes, then its
// chunks of rows, then the next block's passes ...) are taken in order; a
// task waits until every task of the stage before its own has ended.
void evaluate_small_passes(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                           std::span<const TimedWells> passes, const FastOptions& options,
                           std::atomic<std::uint64_t>* done) {
  const std::size_t cells = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
  const std::int32_t chunks = (ny + kPassChunkRows - 1) / kPassChunkRows;
  const std::vector<Block> blocks = plan_blocks(passes, cells);
  // Stage 2b computes block b's values, stage 2b + 1 adds its drawdowns.
  std::vector<std::size_t> stage_end;
  for (const Block& b : blocks) {
    stage_end.push_back((stage_end.empty() ? 0 : stage_end.back()) + (b.end - b.first));
    stage_end.push_back(stage_end.back() + static_cast<std::size_t>(chunks));
  }
  std::vector<std::atomic<std::size_t>> ended(stage_end.size());
  std::size_t most_values = 0, most_wells = 0;
  for (const Block& b : blocks) {
    std::size_t wells = 0;
    for (std::size_t p = b.first; p < b.end; ++p) wells += passes[p].wells.size();
    most_values = std::max(most_values, wells * cells);
    most_wells = std::max(most_wells, wells);
  }
  std::vector<float> W(most_values);
  std::vector<double> K(most_wells);
  const int threads = worker_count(options.threads, chunks, pass_scratch_bytes(passes, nx, ny));
  std::atomic<std::size_t> next{0};
  auto work = [&] {
    PassScratch scratch;
    std::size_t stage = 0;
    for (std::size_t task; (task = next.fetch_add(1)) < stage_end.back();) {
      while (task >= stage_end[stage]) ++stage;
      const std::size_t first = stage == 0 ? 0 : stage_end[stage - 1];
      if (stage > 0) wait_for(ended[stage - 1], stage_end[stage - 1] - (stage > 1 ? stage_end[stage - 2] : 0));
      const Block& b = blocks[stage / 2];
      if (stage % 2 == 0) {
        const std::size_t i = task - first;
        pass_values(nx, ny, aquifer, passes[b.first + i], options.reuse, &W[b.offset[i]], &K[b.factor[i]], scratch);
      } else {
        const std::int32_t r0 = 1 + static_cast<std::int32_t>(task - first) * kPassChunkRows;
        const std::int32_t r1 = std::min(ny + 1, r0 + kPassChunkRows);
        std::uint64_t evaluated = 0;
        for (std::size_t i = 0; i < b.end - b.first; ++i) {
          const std::size_t wells = passes[b.first + i].wells.size();
          for (std::size_t k = 0; k < wells; ++k)
            for (std::int32_t r = r0; r < r1; ++r)
              accumulate_drawdowns(&W[b.offset[i] + k * cells + static_cast<std::size_t>(r - 1) * nx], K[b.factor[i] + k],
                                   aquifer.T, &DD(1, r), static_cast<std::size_t>(nx));
          evaluated += static_cast<std::uint64_t>(r1 - r0) * static_cast<std::uint64_t>(nx) * wells;
        }
        if (done != nullptr) done->fetch_add(evaluated);
      }
      ended[stage].fetch_add(1, std::memory_order_acq_rel);
    }
  };
  run_on_threads(threads, work);
}

}  // namespace

void evaluate_fast_passes(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                          std::span<const TimedWells> passes, const FastOptions& options,
                          std::atomic<std::uint64_t>* done) {
  if (nx <= 0 || ny <= 0) return;
  const std::uint64_t cells = static_cast<std::uint64_t>(nx) * static_cast<std::uint64_t>(ny);
  // Runs of small passes together, each large pass on its own, in order.
  std::size_t first_small = 0;
  auto flush_small = [&](std::size_t end) {
    if (end > first_small) evaluate_small_passes(DD, nx, ny, aquifer, passes.subspan(first_small, end - first_small), options, done);
  };
  for (std::size_t p = 0; p < passes.size(); ++p) {
    const std::uint64_t work = cells * passes[p].wells.size();
    if (work < kOwnPass) continue;
    flush_small(p);
    first_small = p + 1;
    Aquifer a = aquifer;
    a.TIME = passes[p].TIME;
    evaluate_fast(DD, nx, ny, a, passes[p].wells, options);
    if (done != nullptr) done->fetch_add(work);
  }
  flush_small(passes.size());
}

void evaluate_fast(DrawdownGrid& DD, std::int32_t nx, std::int32_t ny, const Aquifer& aquifer,
                   std::span<const Well> wells, const FastOptions& options) {
  if (nx <= 0 || ny <= 0 || wells.empty()) return;
  const Run run = prepare(nx, ny, aquifer, wells);

  std::unique_ptr<Lattice> lattice;
  std::unique_ptr<DistanceTable> distances;
  if (options.reuse == Reuse::automatic || options.reuse == Reuse::lattice) lattice = make_lattice(run);
  if (!lattice && (options.reuse == Reuse::automatic || options.reuse == Reuse::distances))
    distances = make_distance_table(run, options.reuse == Reuse::distances);

  // A lattice chunk is kChunkRows rows; otherwise a row already holds all
  // wells' work, and a chunk is one row (in streams of kStreamWells wells).
  const std::int32_t chunk_rows = lattice ? kChunkRows : 1;
  const std::int32_t chunks = (ny + chunk_rows - 1) / chunk_rows;
  const std::size_t chunk_nodes = static_cast<std::size_t>(chunk_rows) * static_cast<std::size_t>(nx);
  const std::size_t stream_wells = std::min(run.wells, kStreamWells);
  const std::size_t scratch_values = lattice ? chunk_nodes : stream_wells * static_cast<std::size_t>(nx);
  const std::size_t scratch_misses = lattice ? chunk_nodes : kMissBlock;
  const int threads = worker_count(options.threads, chunks, Scratch::bytes(scratch_values, scratch_misses));
  std::atomic<std::int32_t> next{0};
  auto work = [&] {
    Scratch scratch(scratch_values, scratch_misses);
    for (std::int32_t chunk; (chunk = next.fetch_add(1)) < chunks;) {
      const std::int32_t r0 = 1 + chunk * chunk_rows;
      if (lattice)
        lattice_chunk(run, *lattice, DD, r0, std::min(ny + 1, r0 + chunk_rows), scratch);
      else
        for (std::size_t k0 = 0; k0 < run.wells; k0 += stream_wells)
          row_with_distances(run, distances.get(), DD, r0, k0, std::min(run.wells, k0 + stream_wells),
                             scratch);
    }
  };
  run_on_threads(threads, work);
}

}  // namespace engine
