#include "grid/comp.h"

#include <memory>
#include <utility>
#include <string>
#include <vector>

#include "grid/raster.h"
#include "grid/report.h"

namespace grid {
namespace {

using engine::Aquifer;
using engine::DrawdownGrid;
using engine::Well;

// The well table's page: the summary leaves 22 lines on it, each well line adds
// 2, and at 50 the continuation header (8 lines) starts a new page.
constexpr float kLinesAfterSummary = 22.0f;
constexpr float kLinesPerWell = 2.0f;
constexpr float kLinesPerPage = 50.0f;
constexpr float kLinesAfterContinuation = 8.0f;

}  // namespace

void COMP(const std::int32_t& NY, const std::int32_t& NX) {
  Dialogue dialogue(true, false);
  Input in;
  in.NX = NX;
  in.NY = NY;
  run_comp(dialogue, std::move(in), engine::Options{});
}

FinishedRun run_comp(Dialogue& dialogue, Input in, const engine::Options& options) {
  read_parameters(dialogue, in);
  const std::int32_t NX = in.NX, NY = in.NY;
  write_input_summary(NX, NY, in.T, in.LEAK, in.S, in.TIME, in.SPACING);
  write_raster_header(NX, NY, in.XLL, in.YLL, in.SPACING);
  float LINES = kLinesAfterSummary;

  auto DD = std::make_unique<DrawdownGrid>();
  engine::zero_grid(*DD, NX, NY);

  read_wells(dialogue, in);

  // The well loop lists each evaluated well; slot 1 always counts, and a later
  // well whose x is 0.0 (either sign) ends the list. Evaluation writes nothing,
  // so the listed wells are evaluated together once the list is complete.
  std::vector<Well> evaluated = wells_evaluated(in.table);
  for (const Well& w : evaluated) {
    write_well_line(w.x, w.y, w.q);
    LINES += kLinesPerWell;
    if (LINES >= kLinesPerPage) {
      write_continuation_header();
      LINES = kLinesAfterContinuation;
    }
  }

  engine::evaluate(*DD, NX, NY, Aquifer{in.T, in.S, in.TIME, in.LEAK, in.SPACING}, evaluated, options);

  write_notices();
  write_map_spacing();
  for (std::int32_t i = 1; i <= NY; ++i) {
    const std::int32_t r = NY + 1 - i;
    if (in.NDEC == 2) write_map_row_two_decimals(r, DD->row(r, NX));
    if (in.NDEC == 1) write_map_row_one_decimal(r, DD->row(r, NX));
    write_raster_row(DD->row(r, NX));
  }
  write_column_numbers(NX);
  write_axis_label();

  return FinishedRun{NX,   NY,   in.XLL, in.YLL, in.SPACING, in.T, in.LEAK, in.S, in.TIME, std::move(evaluated),
                     std::move(DD)};
}

}  // namespace grid
