#include "study/plug_ins.h"

#include <optional>

#include "maps/hydrograph.h"
#include "maps/plot.h"
#include "engine/true_well_function.h"

namespace study {

ExactWellFunction exact_well_function() { return engine::true_well_function; }

std::string write_hydrographs(const maps::Target& target, const Study& s, const std::vector<double>& times,
                              const std::vector<std::vector<float>>& values) {
  const std::optional<maps::PlotFormat> format = maps::plot_format_of(target.name);
  if (!format) return "the picture must end in .png, .svg or .pdf";
  std::vector<maps::Hydrograph> series;
  for (std::size_t i = 0; i < s.receptors.size(); ++i)
    series.push_back(maps::Hydrograph{s.receptors[i].name, times, values[i]});
  return maps::write_hydrographs(target, *format, s.title, series);
}

}  // namespace study
