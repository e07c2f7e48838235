// The study reader: [aquifer] and [grid].

#include "study/reader_internal.h"

#include <cmath>

namespace study::reading {

double StudyReader::engine_value(const toml::node& n, std::string_view key, double engine) const {
  if (!std::isfinite(static_cast<float>(engine)))
    fail(n, in_quotes(key) + " = " + base::shortest_text(number(n, key)) + " " +
                "lies beyond single precision's range (3.4e38) in the program's units");
  return engine;
}

void StudyReader::read_aquifer(const toml::table& t, Study& s) const {
  check_keys(t, kAquiferKeys, "in [aquifer]", kSections);
  if (const toml::node* from = t.get("from")) {
    for (std::string_view key : {"transmissivity", "leakance", "storage"})
      if (const toml::node* n = t.get(key))
        fail(*n, "[aquifer] takes 'from' or the aquifer's values, not both: " + in_quotes(key) + " is also given");
    s.aquifer = aquifer_from(*from, s);
    s.aquifer_from = s.inputs.back();  // the fit file, which aquifer_from reads last
    return;
  }
  Aquifer& a = s.aquifer;
  const std::size_t line = t.source().begin.line;
  const toml::node& T = required(t, "transmissivity", "[aquifer]", line);
  const toml::node& L = required(t, "leakance", "[aquifer]", line);
  const toml::node& S = required(t, "storage", "[aquifer]", line);
  const double transmissivity = single_number(T, "transmissivity");
  if (!(transmissivity > 0.0)) fail(T, "'transmissivity' must be above 0, not " + base::shortest_text(transmissivity));
  a.transmissivity = engine_value(T, "transmissivity", units_.transmissivity_to_engine(transmissivity));
  const double leakance = single_number(L, "leakance");
  if (leakance < 0.0) fail(L, "'leakance' must be 0 (no leakage) or more, not " + base::shortest_text(leakance));
  a.leakance = engine_value(L, "leakance", units_.leakance_to_engine(leakance));
  a.storage = single_number(S, "storage");
  if (!(a.storage > 0.0)) fail(S, "'storage' must be above 0, not " + base::shortest_text(a.storage));
}

void StudyReader::read_grid(const toml::table& t, Grid& g) const {
  check_keys(t, kGridKeys, "in [grid]", kSections);
  const std::size_t line = t.source().begin.line;
  g.xll = number(required(t, "xll", "[grid]", line), "xll");
  g.yll = number(required(t, "yll", "[grid]", line), "yll");
  g.spacing = whole(required(t, "spacing", "[grid]", line), "spacing", 1,
                    "whole " + std::string(units_.length.word) + ", 1 or more");
  g.columns = whole(required(t, "columns", "[grid]", line), "columns", 1, "1 or more");
  g.rows = whole(required(t, "rows", "[grid]", line), "rows", 1, "1 or more");
}

}  // namespace study::reading
