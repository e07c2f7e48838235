#include "study/reader_allocation.h"

#include <algorithm>
#include <optional>

#include "base/shortest_text.h"
#include "files/output_folder.h"
#include "inputs/toml_reader.h"
#include "study/reader_internal.h"

namespace study {
namespace {


constexpr std::string_view kWellAllocationKeys[] = {"min_factor", "max_factor", "fixed", "weight"};

class AllocationReader : public TomlReader {
 public:
  using TomlReader::TomlReader;

  void read(const toml::table& root, Study& s) const {
    const toml::node* table = root.get("allocation");
    const toml::table* output = root.get("output") ? root.get("output")->as_table() : nullptr;
    const toml::node* contributions = output ? output->get("contributions") : nullptr;
    const toml::node* allocation = output ? output->get("allocation") : nullptr;
    if (table != nullptr) {
      s.allocation = allocation::Request{};
      s.allocation->wells.assign(s.wells.size(), allocation::WellChoice{});
      objective(this->table(*table, "allocation"), *s.allocation);
      needs_limits(s, *table, "[allocation]");
      for (const Boundary& b : s.boundaries)
        if (b.depletion_limit || b.depletion_limit_fraction)
          fail(*table, "[allocation] keeps the receptors' limits, not a stream's depletion limit (" + in_quotes(b.name) +
                           "): leave the depletion limit out of an allocation study");
    }
    if (const toml::node* n = root.get("well")) {
      const auto all = tables(*n, "well");
      for (std::size_t i = 0; i < all.size() && i < s.wells.size(); ++i) well(*all[i].first, all[i].second, s, i);
    }
    if (contributions != nullptr) {
      s.output.contributions = output_name(*contributions, "contributions");
      needs_limits(s, *contributions, "'contributions'");
    }
    if (allocation != nullptr) {
      s.output.allocation = output_name(*allocation, "allocation");
      if (!s.allocation) fail(*allocation, "'allocation' needs an [allocation] table, and the study has none");
    }
  }

 private:
  void objective(const toml::table& t, allocation::Request& r) const {
    check_keys(t, reading::kAllocationKeys, "in [allocation]", reading::kSections);
    const toml::node* n = t.get("objective");
    if (n == nullptr) return;
    const std::string v = string(*n, "objective");
    if (v == "total") r.objective = allocation::Objective::total;
    else if (v == "weighted") r.objective = allocation::Objective::weighted;
    else fail(*n, "'objective' must be \"total\" or \"weighted\", not " + in_quotes(v));
  }

  void needs_limits(const Study& s, const toml::node& at, const std::string& what) const {
    if (std::none_of(s.receptors.begin(), s.receptors.end(), [](const Receptor& r) { return r.limit.has_value(); }))
      fail(at, what + " needs a receptor with a 'limit', and the study has none");
  }

  std::optional<double> factor(const toml::table& t, std::string_view key, const std::string& where, bool zero) const {
    const toml::node* n = t.get(key);
    if (n == nullptr) return std::nullopt;
    const double v = number(*n, key);
    if (!(v > 0.0 || (zero && v == 0.0)))
      fail(*n, in_quotes(key) + " of " + where + " must be " + (zero ? "0 or more" : "above 0") + ", not " + base::shortest_text(v));
    return v;
  }

  void well(const toml::table& t, const std::string& where, Study& s, std::size_t i) const {
    const toml::node* first = nullptr;
    for (std::string_view key : kWellAllocationKeys)
      if (first == nullptr) first = t.get(key);
    if (first == nullptr) return;
    const std::string named = where + " (" + in_quotes(s.wells[i].name) + ")";
    if (!s.allocation) fail(*first, "the allocation keys of " + named + " need an [allocation] table, and the study has none");
    allocation::WellChoice& c = s.allocation->wells[i];
    c.min_factor = factor(t, "min_factor", named, true).value_or(0.0);
    c.max_factor = factor(t, "max_factor", named, false);
    c.weight = factor(t, "weight", named, false).value_or(1.0);
    if (c.max_factor && *c.max_factor < c.min_factor)
      fail(*t.get("max_factor"), "'max_factor' of " + named + " must be at least its 'min_factor' (" +
                                     base::shortest_text(c.min_factor) + "), not " + base::shortest_text(*c.max_factor));
    if (const toml::node* n = t.get("fixed")) {
      const auto* b = n->as_boolean();
      if (b == nullptr) fail(*n, "'fixed' must be true or false, not " + kind(*n));
      c.fixed = b->get();
      if (c.fixed && (t.get("min_factor") || t.get("max_factor")))
        fail(*n, named + " is fixed (kept as planned): leave out its 'min_factor' and 'max_factor'");
    }
    if (const toml::node* n = t.get("weight"); n != nullptr && s.allocation->objective != allocation::Objective::weighted)
      fail(*n, "'weight' of " + named + " is for objective = \"weighted\" in [allocation]");
  }

  std::string output_name(const toml::node& n, std::string_view key) const {
    const std::string name = file_name(n, key);
    if (!files::is_plain_name(name))
      fail(n, in_quotes(key) + " must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not " +
                  in_quotes(name));
    return name;
  }
};

}  // namespace

void read_allocation_keys(const toml::table& root, const std::string& file, Study& s) {
  AllocationReader(file).read(root, s);
}

}  // namespace study
