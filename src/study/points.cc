#include "study/points.h"

#include <cmath>
#include <optional>
#include <utility>

#include "base/shortest_text.h"

namespace study {

std::vector<gis::PointLayer> point_layers(const Study& s, const std::vector<std::vector<float>>& values) {
  std::vector<gis::PointLayer> layers(1);
  gis::PointLayer& wells = layers[0];
  wells.name = "wells";
  for (double t : s.times) wells.fields.push_back("rate_" + base::shortest_text(t) + "d");
  for (const Well& w : s.wells) {
    gis::PointLayer::Point p{w.name, w.x, w.y, {}, {}};
    for (double t : s.times) {
      double rate = 0.0;
      for (const Step& step : w.steps)
        if (step.day < t) rate = s.units.rate_from_engine(step.rate);
      p.values.push_back(rate);
    }
    wells.points.push_back(std::move(p));
  }
  if (s.receptors.empty()) return layers;
  gis::PointLayer receptors;
  receptors.name = "receptors";
  receptors.fields.push_back("limit" + s.units.suffix());
  for (double t : s.times) receptors.fields.push_back("dd_" + base::shortest_text(t) + "d");
  for (std::size_t i = 0; i < s.receptors.size(); ++i) {
    const Receptor& r = s.receptors[i];
    gis::PointLayer::Point p{r.name, r.x, r.y, {r.limit}, {}};
    for (std::size_t k = 0; k < s.times.size() && k < values[i].size(); ++k)
      p.values.push_back(std::isfinite(values[i][k]) ? std::optional<double>(values[i][k]) : std::nullopt);
    receptors.points.push_back(std::move(p));
  }
  layers.push_back(std::move(receptors));
  return layers;
}

}  // namespace study
