#include "study/reader_probability.h"

#include <cmath>

#include "base/shortest_text.h"
#include "files/output_folder.h"
#include "gis/grid_file.h"
#include "inputs/toml_reader.h"

namespace study {
namespace {

using inputs::in_quotes;

class ProbabilityReader : public inputs::TomlReader {
 public:
  using TomlReader::TomlReader;

  void read(const toml::table& root, Study& s) const {
    const toml::node* output = root.get("output");
    const toml::table* t = output != nullptr ? output->as_table() : nullptr;
    if (t == nullptr) return;
    const toml::node* name = t->get("probability");
    const toml::node* level = t->get("probability_level");
    if (name != nullptr) {
      s.output.probability = grid_name(*name);
      if (!s.uncertainty)
        fail(*name, "'probability' maps the share of the realizations of [uncertainty], and the study has no "
                    "[uncertainty] table");
      if (level == nullptr)
        fail(*name, "'probability' needs 'probability_level', the drawdown in " + std::string(s.units.length.word) +
                        " whose exceedance it maps");
    }
    if (level != nullptr) {
      if (name == nullptr) fail(*level, "'probability_level' is for 'probability', which is not given");
      const double v = number(*level, "probability_level");
      if (!std::isfinite(static_cast<float>(v)))
        fail(*level, "'probability_level' lies beyond single precision's range (3.4e38), not " + base::shortest_text(v));
      s.output.probability_level = v == 0.0 ? 0.0 : v;  // -0 is 0
    }
  }

 private:
  std::string grid_name(const toml::node& n) const {
    const std::string name = file_name(n, "probability");
    if (!files::is_plain_name(name))
      fail(n, "'probability' must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not " +
                  in_quotes(name));
    if (!gis::grid_format_of(name))
      fail(n, "'probability' must name a " + std::string(gis::kGridEndings) + " file, not " + in_quotes(name));
    return name;
  }
};

}  // namespace

void read_probability_keys(const toml::table& root, const std::string& file, Study& s) {
  ProbabilityReader(file).read(root, s);
}

}  // namespace study
