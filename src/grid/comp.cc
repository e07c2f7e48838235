#include "grid/comp.h"

#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "grid/raster.h"
#include "grid/report.h"
#include "base/exit_status.h"
#include "recio/error_report.h"
#include "recio/free_form.h"
#include "recio/units.h"

namespace grid {
namespace {

// Ends the run because a value read exceeds a fixed extent of the program.
[[noreturn]] void refuse_input(const std::string& text) {
  recio::end_run_after(std::string(base::kMessagePrefix) + text + "\n", base::kExitLimit);
}

using engine::Aquifer;
using engine::DrawdownGrid;
using engine::kMaxNodes;
using engine::kMaxWells;
using engine::kWellSlots;
using engine::Well;

using recio::kConsoleOut;
using recio::kInputUnit;
using recio::read_free;
using recio::write_free;

// The well table's page: the summary leaves 22 lines on it, each well line adds
// 2, and at 50 the continuation header (8 lines) starts a new page.
constexpr float kLinesAfterSummary = 22.0f;
constexpr float kLinesPerWell = 2.0f;
constexpr float kLinesPerPage = 50.0f;
constexpr float kLinesAfterContinuation = 8.0f;

template <typename Item>
void ask(const char* prompt, Item& item) {
  write_free(kConsoleOut, prompt);
  read_free(kInputUnit, item);
}

}  // namespace

void check_node_count(const char* what, std::int32_t count) {
  if (count > kMaxNodes)
    refuse_input(std::string("the number of nodes ") + what + " = " + std::to_string(count) +
                        " exceeds the grid's limit of " + std::to_string(kMaxNodes) + " nodes");
}

void COMP(const std::int32_t& NY, const std::int32_t& NX) { run_comp(NY, NX, engine::Options{}); }

FinishedRun run_comp(std::int32_t NY, std::int32_t NX, const engine::Options& options) {
  std::int32_t m = 1;
  std::int32_t XLL = 0, YLL = 0, SPACING = 0, NDEC = 0, NWELL = 0;
  float T = 0.0f, LEAK = 0.0f, S = 0.0f, TIME = 0.0f;

  ask("ENTER X Coordinate of Lower-left Corner of the Model : ", XLL);
  ask("ENTER Y Coordinate of Lower-left Coner of the Model : ", YLL);
  ask("ENTER TRANSMISSIVITY (GPD/FT) : ", T);
  ask("ENTER LEAKANCE (GPD/CUBIC FOOT) : ", LEAK);
  ask("ENTER STORAGE COEFFICIENT : ", S);
  ask("ENTER TIME OF PUMPING (DAYS) : ", TIME);
  ask("ENTER NODE SPACING (FEET) : ", SPACING);
  write_free(kConsoleOut, "ENTER 1 FOR 1 DECIMAL POINT FOR OUTPUT ");
  ask("ENTER 2 FOR 2 DECIMAL POINTS FOR OUTPUT ", NDEC);

  write_input_summary(NX, NY, T, LEAK, S, TIME, SPACING);
  write_raster_header(NX, NY, XLL, YLL, SPACING);
  float LINES = kLinesAfterSummary;

  auto DD = std::make_unique<DrawdownGrid>();
  engine::zero_grid(*DD, NX, NY);

  ask("ENTER TOTAL NUMBER OF WELLS", NWELL);
  if (NWELL > kMaxWells)
    refuse_input("the number of wells NWELL = " + std::to_string(NWELL) +
                        " exceeds the well table's limit of " + std::to_string(kMaxWells) + " wells");

  // The well table: slots 1 .. NWELL, then the all-zero end marker.
  std::vector<Well> table(static_cast<std::size_t>(kWellSlots) + 1);
  for (std::int32_t k = 1; k <= NWELL; ++k) {
    Well& w = table[static_cast<std::size_t>(m)];
    write_free(kConsoleOut, "ENTER X&Y COORD AND POSITIVE OR NEGATIVE");
    write_free(kConsoleOut, "PUMPING RATE (X,Y,GPD).");
    ask("ENTER X COORD", w.x);
    ask("ENTER Y COORD", w.y);
    ask("ENTER PUMPAGE", w.q);
    ++m;
  }
  table[static_cast<std::size_t>(m)] = Well{};

  // The well loop lists each evaluated well; slot 1 always counts, and a later
  // well whose x is 0.0 (either sign) ends the list. Evaluation writes nothing,
  // so the listed wells are evaluated together once the list is complete.
  std::vector<Well> evaluated;
  m = 1;
  do {
    const Well& w = table[static_cast<std::size_t>(m)];
    write_well_line(w.x, w.y, w.q);
    evaluated.push_back(w);
    ++m;
    LINES += kLinesPerWell;
    if (LINES >= kLinesPerPage) {
      write_continuation_header();
      LINES = kLinesAfterContinuation;
    }
  } while (table[static_cast<std::size_t>(m)].x != 0.0f);

  engine::evaluate(*DD, NX, NY, Aquifer{T, S, TIME, LEAK, SPACING}, evaluated, options);

  write_notices();
  write_map_spacing();
  for (std::int32_t i = 1; i <= NY; ++i) {
    const std::int32_t r = NY + 1 - i;
    if (NDEC == 2) write_map_row_two_decimals(r, DD->row(r, NX));
    if (NDEC == 1) write_map_row_one_decimal(r, DD->row(r, NX));
    write_raster_row(DD->row(r, NX));
  }
  write_column_numbers(NX);
  write_axis_label();

  return FinishedRun{NX, NY, XLL, YLL, SPACING, T, LEAK, S, TIME, std::move(evaluated), std::move(DD)};
}

}  // namespace grid
