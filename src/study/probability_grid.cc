#include "study/probability_grid.h"

#include <span>

#include "gis/grid_file.h"
#include "study/console.h"
#include "study/outputs.h"
#include "study/reader.h"

namespace study {

bool maps_probability(const Study& s) {
  return s.uncertainty.has_value() && !s.output.probability.empty() && s.output.probability_level.has_value();
}

std::optional<uncertainty::Exceedance> exceedance_of(const Study& s, const scenario::Evaluation& how, std::size_t from,
                                                     std::size_t to, bool terminal) {
  if (!maps_probability(s)) return std::nullopt;
  Progress progress(stdout, terminal, "probability grid", 0, to - from);
  return uncertainty::count_exceedance(s, how, *s.uncertainty, *s.output.probability_level, from, to, &progress.done);
}

std::optional<uncertainty::Exceedance> merged_exceedance(const Study& s, const std::vector<uncertainty::Part>& parts) {
  if (!maps_probability(s)) return std::nullopt;
  std::optional<uncertainty::Exceedance> e;
  try {
    e = uncertainty::merge_exceedance(parts);
  } catch (const uncertainty::PartError& error) {
    throw StudyError{"--merge: " + error.what};
  }
  const std::size_t nodes = static_cast<std::size_t>(s.grid.columns) * static_cast<std::size_t>(s.grid.rows);
  if (!e || e->times != s.times.size() || e->nodes != nodes)
    throw StudyError{"--merge: the partial files hold no exceedance counts of the study's grid and times"};
  return e;
}

std::vector<engine::DrawdownGrid> probability_grids(const Study& s, const uncertainty::Exceedance& e,
                                                    std::size_t realizations) {
  std::vector<engine::DrawdownGrid> grids;
  const double n = static_cast<double>(realizations);
  for (std::size_t k = 0; k < e.times; ++k) {
    engine::DrawdownGrid& P = grids.emplace_back(s.grid.columns, s.grid.rows);
    const std::uint32_t* counts = e.counts.data() + k * e.nodes;
    for (std::int32_t r = 1; r <= s.grid.rows; ++r)
      for (std::int32_t c = 1; c <= s.grid.columns; ++c) P(c, r) = static_cast<float>(static_cast<double>(*counts++) / n);
    scenario::blank_beyond(P, s);
  }
  return grids;
}

void write_probability(const Study& s, const uncertainty::Exceedance& e, const gis::Crs* crs, outputs::Writer& writer) {
  const std::vector<engine::DrawdownGrid> grids = probability_grids(s, e, s.uncertainty->realizations);
  std::vector<std::vector<engine::Well>> wells;
  std::vector<engine::EvaluatedGrid> views;
  for (std::size_t k = 0; k < grids.size(); ++k) wells.push_back(wells_at(s, s.times[k]));
  for (std::size_t k = 0; k < grids.size(); ++k) {
    engine::EvaluatedGrid g = evaluated_grid(s, s.times[k], grids[k], wells[k]);
    g.length_unit = "";  // a share of the realizations, no length
    views.push_back(g);
  }
  const gis::GridFormat format = *gis::grid_format_of(s.output.probability);
  const bool per_time = !gis::traits_of(format).holds_every_time;
  writer.write_each(outputs::Kind::kProbability, [&](const outputs::PlannedFile& f, const files::Target& t) {
    const std::span<const engine::EvaluatedGrid> times(views);
    return gis::write_grid(t, format, per_time ? times.subspan(f.time, 1) : times, crs);
  });
}

}  // namespace study
