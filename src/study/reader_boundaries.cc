// The study reader: [[boundary]] tables.

#include "study/reader_internal.h"


namespace study::reading {

// The [[boundary]] tables: at most two, each a stream or a barrier through
// two distinct points, the pair perpendicular or parallel, every well and
// receptor strictly on the aquifer's side (the side of the first well).
void StudyReader::read_boundaries(const toml::node& n, Study& s) const {
  const auto all = tables(n, "boundary");
  if (all.size() > 2) fail(*all[2].first, "a study takes at most two [[boundary]] tables, not " + std::to_string(all.size()));
  std::vector<std::size_t> lines;
  for (const auto& [t, where] : all) {
    s.boundaries.push_back(read_boundary(*t, where));
    lines.push_back(t->source().begin.line);
  }
  const Well& first = s.wells.front();
  for (std::size_t i = 0; i < s.boundaries.size(); ++i) {
    const scenario::Line line = *line_toward(s.boundaries[i], first.x, first.y);
    auto check = [&](const char* what, const std::string& name, double x, double y) {
      const double d = line.distance(x, y);
      if (d > 0.0) return;
      fail(lines[i], std::string(what) + " " + in_quotes(name) + " lies " + (d == 0.0 ? "on" : "beyond") + " the " +
                         kind_name(s.boundaries[i].kind) + " " + in_quotes(s.boundaries[i].name) +
                         "; the aquifer is on the side of well " + in_quotes(first.name));
    };
    for (const Well& w : s.wells) check("well", w.name, w.x, w.y);
    for (const Receptor& r : s.receptors) check("receptor", r.name, r.x, r.y);
  }
  if (const auto why = pair_fault(s.boundaries, first.x, first.y)) fail(lines[1], *why);
}

Boundary StudyReader::read_boundary(const toml::table& t, const std::string& where) const {
  check_keys(t, kBoundaryKeys, "in " + where, kSections);
  const std::size_t line = t.source().begin.line;
  Boundary b;
  const toml::node& kind = required(t, "kind", where, line);
  const std::string k = string(kind, "kind");
  if (k != "stream" && k != "barrier")
    fail(kind, "'kind' of " + where + " must be \"stream\" (constant head) or \"barrier\" (no flow), not " + in_quotes(k));
  b.kind = k == "stream" ? BoundaryKind::stream : BoundaryKind::barrier;
  b.name = name(t, where);
  auto point = [&](std::string_view key, double& x, double& y) {
    const toml::node& p = required(t, key, where, line);
    const toml::array* a = p.as_array();
    if (a == nullptr || a->size() != 2) fail(p, in_quotes(key) + " of " + where + " must be a map point [x, y]");
    x = number((*a)[0], key);
    y = number((*a)[1], key);
  };
  point("from", b.x0, b.y0);
  point("to", b.x1, b.y1);
  if (!line_toward(b, 0.0, 0.0)) fail(line, "'from' and 'to' of " + where + " (" + in_quotes(b.name) + ") are the same point");
  return b;
}

}  // namespace study::reading
