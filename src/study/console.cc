#include "study/console.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/printable.h"
#include "base/text_table.h"
#include "base/shortest_text.h"
#include "scenario/evaluation.h"
#include "study/outputs.h"

namespace study {
std::string summary_text(const Study& s, std::span<const double> series_times,
                         const std::vector<std::vector<float>>& values, std::span<const scenario::GridExtremes> extremes,
                         std::span<const std::string> warnings, std::string_view extra,
                         std::span<const std::optional<LargestFound>> found) {
  std::string text;
  if (!s.receptors.empty()) {
    std::vector<std::vector<std::string>> rows{s.units.labels({"receptor", "largest drawdown ({L})", "at day"})};
    for (std::size_t i = 0; i < s.receptors.size(); ++i) {
      if (i < found.size() && found[i]) {
        char day[64];
        std::snprintf(day, sizeof day, "%.1f", found[i]->day);
        rows.push_back({base::one_line(s.receptors[i].name), base::single_text(static_cast<float>(found[i]->drawdown)), day});
        continue;
      }
      std::size_t best = series_times.size();
      for (std::size_t k = 0; k < series_times.size(); ++k)
        if (std::isfinite(values[i][k]) && (best == series_times.size() || values[i][k] > values[i][best])) best = k;
      if (best == series_times.size())
        rows.push_back({base::one_line(s.receptors[i].name), "none", "-"});
      else
        rows.push_back({base::one_line(s.receptors[i].name), base::single_text(values[i][best]), base::shortest_text(series_times[best])});
    }
    text += base::aligned_table(rows, {true, false, false}) + "\n";
  }
  text += grid_table_text(s, extremes);
  if (!extra.empty()) text.append("\n").append(extra);
  if (!warnings.empty()) text += "\n";
  for (const std::string& w : warnings) text += "warning: " + base::one_line(w) + "\n";
  return text;
}

std::string boundaries_text(const Study& s) {
  if (s.boundaries.empty()) return "";
  std::vector<std::vector<std::string>> rows{
      s.units.labels({"boundary", "kind", "from x ({L})", "y ({L})", "to x ({L})", "y ({L})"})};
  for (const Boundary& b : s.boundaries)
    rows.push_back({base::one_line(b.name), kind_name(b.kind), base::shortest_text(b.x0), base::shortest_text(b.y0),
                    base::shortest_text(b.x1), base::shortest_text(b.y1)});
  std::string text = base::aligned_table(rows, {true, true, false, false, false, false});
  std::uint64_t most = 0;  // counted, not made: the study's grids make them one time at a time
  for (double t : s.times) {
    const double real = term_count(s, t) / (1.0 + static_cast<double>(image_count(image_plan_at(s, t))));
    most = std::max(most, static_cast<std::uint64_t>(term_count(s, t) - real));
  }
  const scenario::ImagePlan plan = image_plan_at(s, s.times.back());
  text += "image terms: " + std::to_string(most) + (s.times.size() > 1 ? " at most per grid" : " in the grid");
  if (plan.strip) text += " (a strip: " + std::to_string(plan.pairs) + " image pairs on each side at day " +
                          base::shortest_text(s.times.back()) + ")";
  return text + "\n\n";
}

Progress::Progress(std::FILE* out, bool terminal, std::string label, std::uint64_t before, std::uint64_t total)
    : out_(out), label_(std::move(label)), before_(before), total_(total), start_(std::chrono::steady_clock::now()) {
  if (terminal) ticker_ = std::thread([this] { tick(); });
}

Progress::~Progress() {
  if (!ticker_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  ticker_.join();
  if (drawn_) {
    // Clear the bar's line; the stage's own line follows.
    std::fprintf(out_, "\r\033[K");
    std::fflush(out_);
  }
}

std::string Progress::bar(const std::string& label, std::uint64_t done, std::uint64_t total, double seconds) {
  constexpr int kWidth = 30;
  const double fraction = total == 0 ? 1.0 : std::min(1.0, static_cast<double>(done) / static_cast<double>(total));
  const int filled = static_cast<int>(fraction * kWidth);
  char tail[48];
  std::snprintf(tail, sizeof tail, "] %3d%%  %.0f s", static_cast<int>(fraction * 100.0), seconds);
  return label + " [" + std::string(static_cast<std::size_t>(filled), '#') +
         std::string(static_cast<std::size_t>(kWidth - filled), '.') + tail;
}

std::string Progress::count(const std::string& label, std::uint64_t done, double seconds) {
  char tail[64];
  std::snprintf(tail, sizeof tail, ": %llu rows  %.0f s", static_cast<unsigned long long>(done), seconds);
  return label + tail;
}

void Progress::tick() {
  using namespace std::chrono_literals;
  std::unique_lock<std::mutex> lock(mutex_);
  while (!wake_.wait_for(lock, 200ms, [this] { return stop_; })) {
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    if (seconds < 1.0) continue;
    const std::string line = total_ == 0 ? count(label_, done.load(), seconds)
                                         : bar(label_, before_ + done.load(), total_, seconds);
    std::fprintf(out_, "\r%s", line.c_str());
    std::fflush(out_);
    drawn_ = true;
  }
}

}  // namespace study
