// The study reader: [output].

#include "study/reader_depletion.h"
#include "study/reader_internal.h"
#include "study/reader_memo.h"

#include <algorithm>
#include <limits>

#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/grid_file.h"
#include "outputs/request.h"
#include "pictures/plot.h"
#include "study/outputs.h"

namespace study::reading {

void StudyReader::read_output(const toml::table& t, Study& s) const {
  check_keys(t, kOutputKeys, "in [output]", kSections);
  Output& o = s.output;
  if (const toml::node* n = t.get("folder")) {
    const std::string relative = std::filesystem::path(inner_path(*n, "folder")).lexically_normal().string();
    o.relative = relative.empty() ? std::string(".") : relative;
    o.folder = (folder_ / o.relative).lexically_normal().string();
  }
  if (const toml::node* n = t.get("grid")) {
    o.grid = output_name(*n, "grid");
    if (!gis::grid_format_of(o.grid))
      fail(*n, "'grid' must name a " + std::string(gis::kGridEndings) + " file, not " + in_quotes(o.grid));
  }
  if (const toml::node* n = t.get("contours")) {
    o.contours = output_name(*n, "contours");
    if (!gis::vector_format_of(o.contours))
      fail(*n, "'contours' must name a " + std::string(gis::kVectorEndings) + " file, not " + in_quotes(o.contours));
  }
  if (const toml::node* n = t.get("plot")) o.plots = plot_names(*n);
  if (const toml::node* n = t.get("levels")) {
    if (o.contours.empty() && o.plots.empty()) fail(*n, "'levels' are for 'contours' and 'plot', and neither is given");
    o.levels = levels(*n);
  }
  if (const toml::node* n = t.get("hydrographs")) {
    o.hydrographs = output_name(*n, "hydrographs");
    if (!pictures::plot_format_of(o.hydrographs))
      fail(*n, "'hydrographs' must name a " + std::string(pictures::kPictureEndings) + " file, not " + in_quotes(o.hydrographs));
  }
  read_depletion_outputs(t, file(), o);
  read_memo_output(t, file(), o);
  read_picture_settings(t, o);
  check_settings(t, s);
  if (const toml::node* n = t.get("series")) o.series = output_name(*n, "series");
  if (const toml::node* n = t.get("series_times")) s.series_times = days(*n, "series_times");
  if (const toml::node* n = t.get("well_function")) {
    const std::string v = string(*n, "well_function");
    if (v == "rule")
      o.well_function = WellFunction::rule;
    else if (v == "exact")
      o.well_function = WellFunction::exact;
    else
      fail(*n, "'well_function' must be \"rule\" or \"exact\", not " + in_quotes(v));
  }
  read_compliance(t, s);
  if (const toml::node* n = t.get("points")) {
    o.points = output_name(*n, "points");
    if (gis::vector_format_of(o.points) != gis::VectorFormat::kGeoPackage)
      fail(*n, "'points' must name a .gpkg file (a GeoPackage holds both layers), not " + in_quotes(o.points));
  }
  const bool receptors = !s.receptors.empty();
  if (!o.series.empty() && !receptors) fail(*t.get("series"), "'series' needs receptors, and the study has none");
  if (!o.hydrographs.empty() && !receptors)
    fail(*t.get("hydrographs"), "'hydrographs' needs receptors, and the study has none");
}

// The compliance table and the exit status of an exceeded limit: each needs
// a receptor with a limit.
void StudyReader::read_compliance(const toml::table& t, Study& s) const {
  const bool limits = stream_limits_ ||
                      std::any_of(s.receptors.begin(), s.receptors.end(), [](const Receptor& r) { return r.limit.has_value(); });
  if (const toml::node* n = t.get("compliance")) {
    s.output.compliance = output_name(*n, "compliance");
    if (!limits) fail(*n, "'compliance' needs a receptor with a 'limit', and the study has none");
  }
  if (const toml::node* n = t.get("exceedance_status")) {
    const auto* b = n->as_boolean();
    if (b == nullptr) fail(*n, "'exceedance_status' must be true or false, not " + kind(*n));
    s.output.exceedance_status = b->get();
    if (s.output.exceedance_status && !limits)
      fail(*n, "'exceedance_status' needs a receptor with a 'limit', and the study has none");
  }
}

// The pictures: a name, or an array of distinct names, each .png, .svg or .pdf.
std::vector<std::string> StudyReader::plot_names(const toml::node& n) const {
  std::vector<std::string> names;
  if (const toml::array* a = n.as_array()) {
    if (a->empty()) fail(n, "'plot' must name a picture or a list of pictures, not an empty array");
    for (const toml::node& e : *a) names.push_back(output_name(e, "plot"));
  } else {
    names.push_back(output_name(n, "plot"));
  }
  for (const std::string& name : names)
    if (!pictures::plot_format_of(name)) fail(n, "'plot' must name a " + std::string(pictures::kPictureEndings) + " file, not " + in_quotes(name));
  return names;
}

// Contour levels: an array of lengths, in the order given (each
// once: outputs::check).
std::vector<double> StudyReader::levels(const toml::node& n) const {
  const toml::array* a = n.as_array();
  if (a == nullptr || a->empty())
    fail(n, "'levels' must be an array of levels in " + std::string(units_.length.word) + ", like [1.0, 5.0, 10.0], not " +
                (a == nullptr ? kind(n) : std::string("an empty one")));
  std::vector<double> out;
  for (const toml::node& e : *a) {
    const double v = number(e, "levels");
    out.push_back(v == 0.0 ? 0.0 : v);  // -0 is 0
  }
  return out;
}

// The levels and the picture's settings checked as the outputs check them
// (outputs::check), each fault at its key's line; the levels then increasing.
void StudyReader::check_settings(const toml::table& t, Study& s) const {
  Output& o = s.output;
  const outputs::Request r = request_of(s);
  if (const std::optional<outputs::Fault> f = outputs::check(r)) {
    static const char* const kKey[] = {"levels", "range", "page", "dpi"};
    const std::string key = kKey[static_cast<int>(f->setting)];
    const toml::node& n = *t.get(key);
    const std::string limits = "from " + std::to_string(pictures::kMinDpi) + " to " + std::to_string(pictures::kMaxDpi);
    switch (f->problem) {
      case outputs::Problem::kTooMany:
        fail(n, "'levels' holds more than " + std::to_string(gis::kMostLevels) + " levels");
      case outputs::Problem::kTwice:
        fail((*n.as_array())[f->index],
             "the level " + base::shortest_text(o.levels[f->index]) + " is given twice in 'levels'");
      case outputs::Problem::kOrder:
        fail(n, "'range' must have MIN below MAX, not [" + base::shortest_text(o.range->first) + ", " +
                    base::shortest_text(o.range->second) + "]");
      case outputs::Problem::kOutOfRange:
        fail(n, "'dpi' must be " + limits + ", not " + std::to_string(o.dpi.value_or(0)));
      case outputs::Problem::kNoPicture:
        fail(n, in_quotes(key) + " is for 'plot', which is not given");
      case outputs::Problem::kNoKind:
        fail(n, in_quotes(key) + " is for a " + (f->setting == outputs::Setting::kPage ? ".pdf" : ".png") +
                    " plot, not " + (o.plots.size() == 1 ? in_quotes(o.plots.front()) : "any of the pictures of 'plot'"));
    }
  }
  std::sort(o.levels.begin(), o.levels.end());
}

// The picture's range, page and dpi as written (outputs::check judges them).
void StudyReader::read_picture_settings(const toml::table& t, Output& o) const {
  if (const toml::node* n = t.get("range")) {
    const toml::array* a = n->as_array();
    if (a == nullptr || a->size() != 2)
      fail(*n, "'range' must be [MIN, MAX] in " + std::string(units_.length.word) + ", like [0.0, 20.0], not " +
                   (a == nullptr ? kind(*n) : "an array of " + std::to_string(a->size())));
    o.range = std::pair{number((*a)[0], "range"), number((*a)[1], "range")};
  }
  if (const toml::node* n = t.get("page")) {
    const std::string v = string(*n, "page");
    const std::optional<pictures::PlotPage> page = pictures::plot_page_of(v);
    if (!page) fail(*n, "'page' must be \"letter\" or \"a4\", not " + in_quotes(v));
    o.page = *page;
  }
  if (const toml::node* n = t.get("dpi"))
    o.dpi = whole(*n, "dpi", std::numeric_limits<std::int32_t>::min(),
                  "from " + std::to_string(pictures::kMinDpi) + " to " + std::to_string(pictures::kMaxDpi));
}

}  // namespace study::reading
