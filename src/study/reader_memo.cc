#include "study/reader_memo.h"

#include "files/output_folder.h"
#include "inputs/toml_reader.h"
#include "pictures/plot.h"

namespace study {
namespace {

using inputs::in_quotes;
using inputs::TomlReader;

class MemoReader : public TomlReader {
 public:
  using TomlReader::TomlReader;

  void memo(const toml::table& t, Output& o) const {
    const toml::node* n = t.get("memo");
    if (n == nullptr) return;
    o.memo = file_name(*n, "memo");
    if (!files::is_plain_name(o.memo))
      fail(*n, "'memo' must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not " +
                   in_quotes(o.memo));
    if (pictures::plot_format_of(o.memo) != pictures::PlotFormat::kPdf)
      fail(*n, "'memo' must name a .pdf file, not " + in_quotes(o.memo));
  }

  void calendar(const toml::table& root, Study& s) const {
    if (const toml::node* n = root.get("start_date")) {
      const auto* d = n->as_date();
      if (d == nullptr)
        fail(*n, "'start_date' must be a date like 2027-01-01 (without quotes or a time), not " + inputs::kind(*n));
      const toml::date v = d->get();
      s.start_date = base::Date{v.year, v.month, v.day};
      s.output.start_date = base::iso_date(*s.start_date);
    }
    const toml::table* output = root.get("output") ? root.get("output")->as_table() : nullptr;
    const toml::node* n = output ? output->get("time_axis") : nullptr;
    if (n == nullptr) return;
    const std::string v = string(*n, "time_axis");
    if (v != "linear" && v != "log") fail(*n, "'time_axis' must be \"linear\" or \"log\", not " + in_quotes(v));
    if (s.output.hydrographs.empty() && (s.output.memo.empty() || s.receptors.empty()))
      fail(*n, "'time_axis' is for the receptors' 'hydrographs' or the memo's, and the study draws neither");
    s.output.log_time = v == "log";
  }
};

}  // namespace

void read_memo_output(const toml::table& output, const std::string& file, Output& o) {
  MemoReader(file).memo(output, o);
}

void read_calendar_keys(const toml::table& root, const std::string& file, Study& s) {
  MemoReader(file).calendar(root, s);
}

}  // namespace study
