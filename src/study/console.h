// What a study shows at the console: a line per stage and a progress bar on a
// terminal, and the summary table at the end.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/drawdown_grid.h"
#include "scenario/pumping_wells.h"
#include "study/study.h"

namespace study {

/// The summary table: each receptor's largest drawdown and the first time it
/// has it (values[i][k] at series_times[k]), then grid_table_text of the
/// grids' extremes away from the wells, then `extra` (the wells' and the
/// limits' tables, each ending in a line end), then a line "warning: ..." per
/// warning. LF line ends.
std::string summary_text(const Study& s, std::span<const double> series_times,
                         const std::vector<std::vector<float>>& values, std::span<const scenario::GridExtremes> extremes,
                         std::span<const std::string> warnings = {}, std::string_view extra = {});

/// The study's boundaries for the summary, before its tables: a table of
/// their names, kinds and points, then the most image terms of a grid (and a
/// strip's image pairs); "" without boundaries.
std::string boundaries_text(const Study& s);

/// The count of a stage's work, shown as a bar on a terminal while the stage
/// takes more than a second. The work is counted as it is reported: a grid's
/// evaluation reports each engine pass when it ends.
class Progress {
 public:
  /// A bar labelled `label` for a stage whose work, `before` units of a whole
  /// of `total` having been done earlier, is counted in `done`; drawn to `out`
  /// when `terminal` is true, nothing is drawn otherwise. With a `total` of 0
  /// (a stage whose work is not known beforehand, such as reading the study)
  /// the line shows the count of `done` instead of a bar.
  Progress(std::FILE* out, bool terminal, std::string label, std::uint64_t before, std::uint64_t total);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  /// The units done; workers add to it from any thread.
  std::atomic<std::uint64_t> done{0};

  /// The bar's text for `done` units of `total` after `seconds`.
  static std::string bar(const std::string& label, std::uint64_t done, std::uint64_t total, double seconds);

  /// The line of a stage without a total: `done` rows after `seconds`.
  static std::string count(const std::string& label, std::uint64_t done, double seconds);

 private:
  void tick();

  std::FILE* out_;
  std::string label_;
  std::uint64_t before_;
  std::uint64_t total_;
  std::chrono::steady_clock::time_point start_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stop_ = false;
  bool drawn_ = false;
  std::thread ticker_;
};

}  // namespace study
