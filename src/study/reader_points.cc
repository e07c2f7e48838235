// The study reader: [[well]] and [[receptor]] tables, and every well's and
// receptor's distance from the grid.

#include "study/reader_internal.h"

#include <cmath>

namespace study::reading {

// The name and map position of a [[well]] or [[receptor]] table whose keys
// are checked against `keys`.
template <typename Point>
void StudyReader::read_named_point(const toml::table& t, std::span<const std::string_view> keys, const std::string& where,
                      Point& p) const {
  check_keys(t, keys, "in " + where, kSections);
  const std::size_t line = t.source().begin.line;
  p.name = name(t, where);
  p.x = number(required(t, "x", where, line), "x");
  p.y = number(required(t, "y", where, line), "y");
}

void StudyReader::read_well(const toml::table& t, const std::string& where, Study& s) {
  const std::size_t line = t.source().begin.line;
  Well w;
  read_named_point(t, kWellKeys, where, w);
  const toml::node* rate = t.get("rate");
  const toml::node* schedule = t.get("schedule");
  if (rate != nullptr && schedule != nullptr)
    fail(*schedule, where + " (" + in_quotes(w.name) + ") has both 'rate' and 'schedule'; give one of them");
  if (rate == nullptr && schedule == nullptr)
    fail(line, where + " (" + in_quotes(w.name) + ") has neither 'rate' nor 'schedule'");
  if (rate != nullptr) {
    w.steps.push_back(Step{0.0, engine_value(*rate, "rate", units_.rate_to_engine(single_number(*rate, "rate")))});
  } else {
    const toml::array* a = schedule->as_array();
    if (a == nullptr || a->empty())
      fail(*schedule, "'schedule' must be an array of [start day, rate] steps, like [[0.0, 250000.0], [60.0, 0.0]]");
    for (const toml::node& e : *a) {
      const toml::array* step = e.as_array();
      if (step == nullptr || step->size() != 2)
        fail(e, "each step of 'schedule' must be [start day, rate], not " +
                    (step != nullptr ? "an array of " + std::to_string(step->size()) + " values" : kind(e)));
      const double rate = single_number((*step)[1], "rate");
      add_step(w, single_number((*step)[0], "start day"), engine_value((*step)[1], "rate", units_.rate_to_engine(rate)),
               [&](const std::string& why) { fail(e, why); });
    }
  }
  if (const toml::node* n = t.get("radius")) w.radius = positive(*n, "radius");
  add_well(s, std::move(w), origin(line));
}

void StudyReader::read_receptor(const toml::table& t, const std::string& where, Study& s) {
  Receptor r;
  read_named_point(t, kReceptorKeys, where, r);
  if (const toml::node* n = t.get("limit")) r.limit = positive(*n, "limit");
  add_receptor(s, std::move(r), origin(t.source().begin.line));
}

// Every well and receptor must lie within kFarthestPosition nodes of the grid.
void StudyReader::check_positions(const Study& s) const {
  const Grid& g = s.grid;
  auto check = [&](const std::string& what, const std::string& name, double x, double y) {
    const double px = node_position(x, g.xll, g.spacing);
    const double py = node_position(y, g.yll, g.spacing);
    if (!(std::fabs(px) < kFarthestPosition && std::fabs(py) < kFarthestPosition))
      throw StudyError{file() + ": " + what + " " + in_quotes(name) + " at (" + base::shortest_text(x) + ", " + base::shortest_text(y) +
                       ") lies more than 16777216 nodes from the grid"};
  };
  for (const Well& w : s.wells) check("well", w.name, w.x, w.y);
  for (const Receptor& r : s.receptors) check("receptor", r.name, r.x, r.y);
}

}  // namespace study::reading
