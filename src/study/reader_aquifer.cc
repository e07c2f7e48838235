// The study reader: [aquifer] and [grid].

#include "study/reader_internal.h"


namespace study::reading {

void StudyReader::read_aquifer(const toml::table& t, Aquifer& a) const {
  check_keys(t, kAquiferKeys, "in [aquifer]", kSections);
  const std::size_t line = t.source().begin.line;
  const toml::node& T = required(t, "transmissivity", "[aquifer]", line);
  const toml::node& L = required(t, "leakance", "[aquifer]", line);
  const toml::node& S = required(t, "storage", "[aquifer]", line);
  a.transmissivity = single_number(T, "transmissivity");
  if (!(a.transmissivity > 0.0)) fail(T, "'transmissivity' must be above 0, not " + base::shortest_text(a.transmissivity));
  a.leakance = single_number(L, "leakance");
  if (a.leakance < 0.0) fail(L, "'leakance' must be 0 (no leakage) or more, not " + base::shortest_text(a.leakance));
  a.storage = single_number(S, "storage");
  if (!(a.storage > 0.0)) fail(S, "'storage' must be above 0, not " + base::shortest_text(a.storage));
}

void StudyReader::read_grid(const toml::table& t, Grid& g) const {
  check_keys(t, kGridKeys, "in [grid]", kSections);
  const std::size_t line = t.source().begin.line;
  g.xll = number(required(t, "xll", "[grid]", line), "xll");
  g.yll = number(required(t, "yll", "[grid]", line), "yll");
  g.spacing = whole(required(t, "spacing", "[grid]", line), "spacing", 1, "whole feet, 1 or more");
  g.columns = whole(required(t, "columns", "[grid]", line), "columns", 1, "1 or more");
  g.rows = whole(required(t, "rows", "[grid]", line), "rows", 1, "1 or more");
}

}  // namespace study::reading
