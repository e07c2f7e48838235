#include "study/reader_depletion.h"

#include <optional>

#include "base/shortest_text.h"
#include "files/output_folder.h"
#include "pictures/plot.h"
#include "inputs/toml_reader.h"

namespace study {
namespace {

using inputs::in_quotes;
using inputs::TomlReader;

constexpr std::string_view kLimitKeys[] = {"depletion_limit", "depletion_limit_fraction"};

class DepletionReader : public TomlReader {
 public:
  using TomlReader::TomlReader;

  void outputs(const toml::table& t, Output& o) const {
    if (const toml::node* n = t.get("depletion")) o.depletion = output_name(*n, "depletion");
    if (const toml::node* n = t.get("depletion_hydrographs")) {
      o.depletion_hydrographs = output_name(*n, "depletion_hydrographs");
      if (!pictures::plot_format_of(o.depletion_hydrographs))
        fail(*n, "'depletion_hydrographs' must name a " + std::string(pictures::kPictureEndings) + " file, not " + in_quotes(o.depletion_hydrographs));
    }
  }

  void streams(const toml::table& root, Study& s) const {
    const toml::node* n = root.get("boundary");
    if (n != nullptr) {
      const auto all = tables(*n, "boundary");
      for (std::size_t i = 0; i < all.size() && i < s.boundaries.size(); ++i)
        stream_keys(*all[i].first, all[i].second, s, s.boundaries[i]);
    }
    const toml::table* output = root.get("output") ? root.get("output")->as_table() : nullptr;
    for (std::string_view key : {"depletion", "depletion_hydrographs"}) {
      const toml::node* given = output ? output->get(key) : nullptr;
      if (given == nullptr) continue;
      if (!has_stream(s))
        fail(*given, in_quotes(key) + " needs a [[boundary]] of kind \"stream\", and the study has none");
      for (const Well& w : s.wells)
        if (w.name == "all")
          fail(*given, in_quotes(key) + " names the total of all wells 'all'; rename the well 'all'");
    }
  }

 private:
  static bool has_stream(const Study& s) {
    for (const Boundary& b : s.boundaries)
      if (b.kind == BoundaryKind::stream) return true;
    return false;
  }

  std::string output_name(const toml::node& n, std::string_view key) const {
    const std::string name = file_name(n, key);
    if (!files::is_plain_name(name))
      fail(n, in_quotes(key) + " must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not " +
                  in_quotes(name));
    return name;
  }

  // A number of the key `key` in `t`, above 0 (or 0 too when `zero`).
  std::optional<double> positive(const toml::table& t, std::string_view key, const std::string& where, bool zero) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) return std::nullopt;
    const double v = number(*n, key);
    if (!(v > 0.0 || (zero && v == 0.0)))
      fail(*n, in_quotes(key) + " of " + where + " must be " + (zero ? "0 or more" : "above 0") + ", not " +
                   base::shortest_text(v));
    return v;
  }

  void stream_keys(const toml::table& t, const std::string& where, const Study& s, Boundary& b) const {
    for (std::string_view key : {"streambed_conductance", "depletion_limit", "depletion_limit_fraction"})
      if (const toml::node* n = t.get(key); n != nullptr && b.kind != BoundaryKind::stream)
        fail(*n, in_quotes(key) + " is for a stream, and " + where + " (" + in_quotes(b.name) + ") is a barrier");
    b.streambed_conductance = positive(t, "streambed_conductance", where, true);
    b.depletion_limit = positive(t, "depletion_limit", where, false);
    b.depletion_limit_fraction = positive(t, "depletion_limit_fraction", where, false);
    if (b.depletion_limit && b.depletion_limit_fraction)
      fail(*t.get("depletion_limit_fraction"), "give 'depletion_limit' or 'depletion_limit_fraction' of " + where + ", not both");
    if (b.depletion_limit_fraction && *b.depletion_limit_fraction > 1.0)
      fail(*t.get("depletion_limit_fraction"), "'depletion_limit_fraction' of " + where + " must be at most 1, not " +
                                                   base::shortest_text(*b.depletion_limit_fraction));
    if (!b.streambed_conductance) return;
    const toml::node& n = *t.get("streambed_conductance");
    if (s.aquifer.leakance > 0.0)
      fail(n, "'streambed_conductance' of " + where +
                  " is for an aquifer without leakage (the streambed's solution has none); set leakance = 0 or leave the streambed out");
    if (s.boundaries.size() > 1)
      fail(n, "'streambed_conductance' of " + where + " needs the stream as the study's only boundary");
  }
};

}  // namespace

void read_depletion_outputs(const toml::table& output, const std::string& file, Output& o) {
  DepletionReader(file).outputs(output, o);
}

bool stream_limits_given(const toml::table& root) {
  const toml::node* n = root.get("boundary");
  const toml::array* a = n ? n->as_array() : nullptr;
  if (a == nullptr) return false;
  for (const toml::node& e : *a)
    if (const toml::table* t = e.as_table())
      for (std::string_view key : kLimitKeys)
        if (t->get(key)) return true;
  return false;
}

void read_stream_keys(const toml::table& root, const std::string& file, Study& s) {
  DepletionReader(file).streams(root, s);
}

}  // namespace study
