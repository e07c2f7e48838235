#include "driver/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "gis/contour.h"
#include "gis/contour_layer.h"
#include "gis/grid_file.h"
#include "pictures/plot.h"

namespace driver {

namespace {

// An option without a value: sets one flag.
struct Flag {
  std::string_view name;
  bool Options::*member;
};

constexpr Flag kFlags[] = {
    {"--help", &Options::help},
    {"-h", &Options::help},
    {"--version", &Options::version},
    {"--quiet", &Options::quiet},
};

// An option with a value (--name VALUE or --name=VALUE): takes the value into
// the options, or says why it cannot ("" when it can). Each may be given once.
struct Valued {
  std::string_view name;
  std::string (*take)(Options& o, const std::string& value);
  std::string_view needs = "a file name";  ///< what a missing value is, for the message
};

std::string take_file(std::optional<std::string>& slot, std::string_view name, const std::string& value) {
  if (value.empty()) return "option '" + std::string(name) + "' needs a file name";
  slot = value;
  return "";
}

// A number in full ("+" allowed, no blanks), finite.
std::optional<double> number(std::string_view text) {
  if (text.starts_with('+')) text.remove_prefix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
  return v;
}

std::string range_refused(const std::string& value) {
  return "option '--range' takes MIN,MAX in feet with MIN below MAX (e.g. 0,20), not '" + value + "'";
}

std::string dpi_refused(const std::string& value) {
  return "option '--dpi' takes a whole number of pixels per inch from " + std::to_string(pictures::kMinDpi) + " to " +
         std::to_string(pictures::kMaxDpi) + ", not '" + value + "'";
}

// --range MIN,MAX: the picture's colour range in feet (its order checked by
// outputs::check).
std::string take_range(Options& o, const std::string& value) {
  const std::size_t comma = value.find(',');
  const std::optional<double> lo = comma == std::string::npos ? std::nullopt : number(std::string_view(value).substr(0, comma));
  const std::optional<double> hi = comma == std::string::npos ? std::nullopt : number(std::string_view(value).substr(comma + 1));
  if (!lo || !hi) return range_refused(value);
  o.outputs.range = std::pair{*lo, *hi};
  return "";
}

// --dpi N: pixels per inch of a PNG picture (its limits checked by outputs::check).
std::string take_dpi(Options& o, const std::string& value) {
  int dpi = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), dpi);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size()) return dpi_refused(value);
  o.outputs.dpi = dpi;
  return "";
}

// The text of each level of a --levels value, in order.
std::vector<std::string> level_texts(const std::string& value) {
  std::vector<std::string> texts;
  for (std::size_t start = 0; start <= value.size();) {
    std::size_t end = value.find(',', start);
    if (end == std::string::npos) end = value.size();
    texts.emplace_back(value, start, end - start);
    start = end + 1;
  }
  return texts;
}

// The contour levels of --levels: numbers of feet separated by commas, in the
// order given (outputs::check finds a level given twice or too many).
std::string take_levels(Options& o, const std::string& value) {
  const std::string hint = " (feet, separated by commas, e.g. 1,5,10)";
  if (value.empty()) return "option '--levels' needs a list of levels" + hint;
  std::vector<double> levels;
  for (const std::string& text : level_texts(value)) {
    const std::optional<double> read = number(text);
    if (!read) return "option '--levels': '" + text + "' is not a level" + hint;
    levels.push_back(*read == 0.0 ? 0.0 : *read);  // -0 is 0
  }
  o.outputs.levels = std::move(levels);
  return "";
}

// --realizations FROM:TO, whole numbers, FROM below TO.
std::string take_realizations(Options& o, const std::string& v) {
  const std::size_t colon = v.find(':');
  std::size_t from = 0, to = 0;
  const auto whole = [](std::string_view t, std::size_t& n) {
    const std::from_chars_result r = std::from_chars(t.data(), t.data() + t.size(), n);
    return !t.empty() && r.ec == std::errc() && r.ptr == t.data() + t.size();
  };
  if (colon == std::string::npos || !whole(std::string_view(v).substr(0, colon), from) ||
      !whole(std::string_view(v).substr(colon + 1), to) || from >= to)
    return "option '--realizations' takes FROM:TO, whole numbers with FROM below TO, not '" + v + "'";
  o.realizations = std::make_pair(from, to);
  return std::string();
}

// --merge PART: the first partial file (the names after it are the others).
std::string take_merge(Options& o, const std::string& v) {
  if (v.empty()) return std::string("option '--merge' needs a partial file's name");
  o.merge.push_back(v);
  return std::string();
}

constexpr Valued kValued[] = {
    {"--grid",
     [](Options& o, const std::string& v) {
       if (v.empty()) return std::string("option '--grid' needs a file name");
       if (!gis::grid_format_of(v)) return "option '--grid': '" + v + "' must end in " + std::string(gis::kGridEndings);
       o.outputs.grid = v;
       return std::string();
     }},
    {"--contours",
     [](Options& o, const std::string& v) {
       if (v.empty()) return std::string("option '--contours' needs a file name");
       if (!gis::vector_format_of(v))
         return "option '--contours': '" + v + "' must end in " + std::string(gis::kVectorEndings);
       o.outputs.contours = v;
       return std::string();
     }},
    {"--crs",
     [](Options& o, const std::string& v) {
       gis::Crs crs;
       if (std::string why = gis::read_crs(v, crs); !why.empty()) return "option '--crs': " + why;
       o.crs = std::move(crs);
       o.outputs.with_crs = true;
       return std::string();
     },
     "a CRS (e.g. EPSG:2264)"},
    {"--levels", take_levels, "a list of levels (feet, e.g. 1,5,10)"},
    {"--plot",
     [](Options& o, const std::string& v) {
       if (v.empty()) return std::string("option '--plot' needs a file name");
       if (!pictures::plot_format_of(v))
         return "the plot file '" + v + "' must end in " + std::string(pictures::kPictureEndings);
       o.outputs.plots = {v};
       return std::string();
     }},
    {"--range", take_range, "MIN,MAX (feet)"},
    {"--page",
     [](Options& o, const std::string& v) {
       const std::optional<pictures::PlotPage> page = pictures::plot_page_of(v);
       if (!page) return "option '--page' takes letter or a4, not '" + v + "'";
       o.outputs.page = *page;
       return std::string();
     },
     "letter or a4"},
    {"--dpi", take_dpi, "a number of pixels per inch"},
    {"--arcfile", [](Options& o, const std::string& v) { return take_file(o.arcfile, "--arcfile", v); }},
    {"--check", [](Options& o, const std::string& v) { return take_file(o.check, "--check", v); }},
    {"--study", [](Options& o, const std::string& v) { return take_file(o.study, "--study", v); }},
    {"--output-folder", [](Options& o, const std::string& v) { return take_file(o.output_folder, "--output-folder", v); }},
    {"--fit", [](Options& o, const std::string& v) { return take_file(o.fit, "--fit", v); }},
    {"--realizations", take_realizations, "FROM:TO (realizations FROM to TO-1)"},
    {"--part", [](Options& o, const std::string& v) { return take_file(o.part, "--part", v); }},
    {"--merge", [](Options& o, const std::string& v) { return take_merge(o, v); }},
};

// A valued option as given: its name and value.
struct Given {
  std::string_view name;
  std::string value;
};

// Why the levels and the picture's settings cannot be followed, in the
// options' words ("" when they can).
std::string settings_problem(const Options& o, const std::vector<Given>& given) {
  const std::optional<outputs::Fault> fault = outputs::check(o.outputs);
  if (!fault) return "";
  static const char* const kOption[] = {"--levels", "--range", "--page", "--dpi"};
  const std::string option = kOption[static_cast<int>(fault->setting)];
  std::string value;
  for (const Given& g : given)
    if (g.name == option) value = g.value;
  switch (fault->problem) {
    case outputs::Problem::kTooMany:
      return "option '--levels': more than " + std::to_string(gis::kMostLevels) + " levels";
    case outputs::Problem::kTwice:
      return "option '--levels': the level " + level_texts(value)[fault->index] + " is given twice";
    case outputs::Problem::kOrder:
      return range_refused(value);
    case outputs::Problem::kOutOfRange:
      return dpi_refused(value);
    case outputs::Problem::kNoPicture:
      return "option '" + option + "' needs --plot";
    case outputs::Problem::kNoKind:
      return "option '" + option + "' is for a " + (fault->setting == outputs::Setting::kPage ? ".pdf" : ".png") +
             " plot, not '" + o.outputs.plots.front() + "'";
  }
  return "";
}

}  // namespace

namespace {

// Why two of the extra outputs would write the same file ("" when none do):
// a name given twice, or a .prj or other file written beside one.
std::string overlapping_outputs(const Options& o) {
  static const char* const kOption[] = {"--grid", "--contours", "--plot"};
  const std::vector<outputs::PlannedFile> files = outputs::plan(o.outputs);
  const std::optional<outputs::Clash> clash =
      outputs::first_clash(o.outputs, files, {}, [](const std::string& a, const std::string& b) { return a == b; });
  if (!clash) return "";
  const outputs::PlannedFile& a = files[*clash->earlier];
  const outputs::PlannedFile& b = files[clash->file];
  const std::string both = std::string(kOption[static_cast<int>(a.kind)]) + " and " + kOption[static_cast<int>(b.kind)];
  return !a.beside && !b.beside ? both + " name the same file" : both + " would both write '" + b.name + "'";
}

// The options and names of the command line, each option's value taken into
// `o`: "" or why the command line is refused.
std::string read_arguments(std::span<const std::string_view> arguments, Options& o, std::vector<std::string>& names,
                           std::vector<Given>& given) {
  bool options_ended = false;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string_view a = arguments[i];
    if (options_ended || a == "-" || !a.starts_with("-")) {
      names.emplace_back(a);
      continue;
    }
    if (a == "--") {
      options_ended = true;
      continue;
    }
    const auto flag = std::find_if(std::begin(kFlags), std::end(kFlags), [&](const Flag& f) { return f.name == a; });
    if (flag != std::end(kFlags)) {
      o.*(flag->member) = true;
      continue;
    }
    const std::size_t eq = a.find('=');
    const std::string_view name = a.substr(0, eq);
    const auto valued =
        std::find_if(std::begin(kValued), std::end(kValued), [&](const Valued& v) { return v.name == name; });
    if (valued == std::end(kValued)) return "unknown option '" + std::string(a) + "'";
    std::string value;
    if (eq != std::string_view::npos) {
      value = std::string(a.substr(eq + 1));
    } else {
      if (i + 1 == arguments.size()) return "option '" + std::string(name) + "' needs " + std::string(valued->needs);
      value = std::string(arguments[++i]);
    }
    if (std::any_of(given.begin(), given.end(), [&](const Given& g) { return g.name == name; }))
      return "option '" + std::string(name) + "' is given twice";
    given.push_back({valued->name, value});
    if (std::string why = valued->take(o, value); !why.empty()) return why;
  }
  return "";
}

// The options of a study's ensemble: with --study, --realizations and --part
// together, or --merge and its partial files (the names after it, taken from
// `names`): "" or why not.
std::string ensemble_way(Options& o, std::vector<std::string>& names) {
  if ((o.realizations || o.part || !o.merge.empty()) && !o.study)
    return "options '--realizations', '--part' and '--merge' are for --study";
  if (o.realizations.has_value() != o.part.has_value()) return "options '--realizations' and '--part' go together";
  if (!o.merge.empty() && o.realizations) return "--merge takes no --realizations or --part";
  if (!o.merge.empty()) {
    o.merge.insert(o.merge.end(), names.begin(), names.end());
    names.clear();
  }
  return "";
}

// Which way in the options and `names` ask for (a run, --check, a study, a
// fit), and INPUT and REPORT taken into `o`: "" or why they do not go together.
std::string way_in(Options& o, std::vector<std::string>& names) {
  if (o.output_folder && !o.study) return "option '--output-folder' is for --study";
  if (std::string why = ensemble_way(o, names); !why.empty()) return why;
  const bool extra_outputs = !o.outputs.grid.empty() || !o.outputs.contours.empty() || !o.outputs.plots.empty();
  const bool run_options =
      !names.empty() || extra_outputs || o.arcfile || o.check || o.quiet || o.crs || !o.outputs.levels.empty();
  if (o.study && (run_options || o.fit))
    return "--study takes no INPUT REPORT and no other option of a run: a study names its outputs";
  if (o.fit && run_options)
    return "--fit takes no INPUT REPORT and no other option of a run: a test file names its outputs";
  if (o.check) {
    if (!names.empty()) return "unexpected argument '" + names[0] + "' (--check reads INPUT only)";
    if (extra_outputs || o.arcfile)
      return "--check writes nothing: no --grid, --contours, --plot or --arcfile";
  }
  if (names.size() > 2) return "unexpected argument '" + names[2] + "' (at most INPUT and REPORT)";
  if (names.size() == 1) return "INPUT '" + names[0] + "' needs a REPORT file name after it";
  if (names.size() == 2) {
    for (const std::string& n : names)
      if (n.empty()) return "a file name argument is empty";
    o.input = names[0];
    o.report = names[1];
  }
  if (o.quiet && !o.input) return "--quiet needs INPUT and REPORT on the command line";
  return "";
}

}  // namespace

std::variant<Options, UsageError> parse_command_line(std::span<const std::string_view> arguments) {
  Options o;
  std::vector<std::string> names;
  std::vector<Given> given;  // valued options seen so far
  if (std::string why = read_arguments(arguments, o, names, given); !why.empty()) return UsageError{why};
  if (o.help || o.version) return o;
  if (std::string why = way_in(o, names); !why.empty()) return UsageError{why};
  if (std::string why = overlapping_outputs(o); !why.empty()) return UsageError{why};
  if (std::string why = settings_problem(o, given); !why.empty()) return UsageError{why};
  return o;
}

std::string usage_text() {
  return R"(Usage: leaky-drawdown [OPTION]... [INPUT REPORT]

Computes the drawdown of a transient leaky artesian aquifer under a field of
pumping and injecting wells, and writes the report file REPORT and the raster
ARCFILE in the current folder.

Without INPUT and REPORT the program asks for the two file names at the console.
With them, the names are taken from the command line and the console is not read.
Every other answer comes from the input file, one per line.

Options:
  --grid FILE   also write the drawdown grid to FILE; the format follows the
                ending: .tif a GeoTIFF (Float32, NoData -9999, with the CRS),
                .asc an ESRI ASCII grid (every value with all the digits it
                needs; with --crs also a .prj beside it)
  --contours FILE
                also write the contour lines to FILE as a vector layer, one line
                per piece with the attributes drawdown_ft and days, in feet like
                the grid; the format follows the ending: .gpkg (GeoPackage),
                .geojson or .shp (shapefile)
  --levels L1,L2,...
                contour levels in feet for --contours and --plot, e.g. 1,5,10
                (negative levels for injection mounds); without it, round ones
  --crs CRS     the coordinate reference system of the grid, the .prj and the
                contour layer: any text GDAL takes, e.g. EPSG:2264; it must be
                a projected CRS in feet
  --plot FILE   also draw the drawdown to FILE: a colour map with labelled
                contour lines, the wells, a scale bar and a north arrow; the
                format follows the ending: .png, .svg or .pdf
  --range MIN,MAX
                the picture's colour range in feet (default: the grid's range
                less a single extreme cell at a well); drawdowns beyond it take
                the colour of its end
  --page letter|a4
                draw a .pdf picture on that page, the map fitted inside
                half-inch margins (default: the picture's own size)
  --dpi N       pixels per inch of a .png picture, 50 to 600 (default 200)
  --arcfile FILE  write the raster to FILE instead of ARCFILE
  --quiet       do not write the console log of questions (with INPUT REPORT)
  --check INPUT read INPUT as a run would and write nothing: list each answer
                (line, name, text as written, value taken), the wells a run
                evaluates and the warnings
  --study FILE  run the study file FILE (TOML) instead: wells in map
                coordinates, several times, rate schedules, receptors; its
                outputs are named in the file (see the README, "Studies")
  --output-folder DIR
                with --study: write the study's outputs to DIR instead of the
                folder the study file names
  --fit FILE    fit transmissivity, storage and leakance to the pumping test
                of FILE (TOML): its wells, observation files and outputs (see
                the README, "Aquifer tests")
  --realizations FROM:TO --part PART
                with --study of a study with [uncertainty]: run only its
                realizations FROM to TO-1 and write them to the partial file
                PART (nothing else is written)
  --merge PART...
                with --study: take the ensemble from the partial files PART...
                of its slices and write the study's outputs, as a whole run
  --help        show this text and stop
  --version     show the version and stop

--grid, --contours and --plot files are written after the report and ARCFILE
are complete.

Warnings about likely mistakes in the input go to standard error and change
nothing else.

Exit status: 0 complete run; 1 a count above the program's limits; 2 a command
line that cannot be followed (nothing is opened); 3 a --grid, --contours or
--plot file could not be written (the report and ARCFILE are complete); 4
--check found something to warn about; 5 another run is writing the report or
ARCFILE (nothing was written); any other number is the number of the run-time
error reported on standard error (29: INPUT does not exist).
)";
}

std::variant<engine::Options, UsageError> evaluation_options(const char* LEAKY_EVALUATION,
                                                             const char* LEAKY_THREADS) {
  engine::Options o;
  const std::string_view method = LEAKY_EVALUATION != nullptr ? LEAKY_EVALUATION : "";
  if (method == "reference")
    o.method = engine::Method::reference;
  else if (!method.empty() && method != "fast")
    return UsageError{"LEAKY_EVALUATION must be \"fast\" or \"reference\" (or unset), not '" + std::string(method) + "'"};
  const std::string_view threads = LEAKY_THREADS != nullptr ? LEAKY_THREADS : "";
  if (threads.empty()) return o;
  const bool digits = std::all_of(threads.begin(), threads.end(), [](char c) { return c >= '0' && c <= '9'; });
  const std::size_t first = threads.find_first_not_of('0');
  if (!digits || first == std::string_view::npos)
    return UsageError{"LEAKY_THREADS must be a whole number of worker threads, 1 or more (or unset), not '" +
                      std::string(threads) + "'"};
  // More digits than the largest count can have: that count.
  const std::string_view significant = threads.substr(first);
  long n = engine::kMaxThreads;
  if (significant.size() < 6) n = std::min<long>(std::stol(std::string(significant)), engine::kMaxThreads);
  o.fast.threads = static_cast<int>(n);
  return o;
}

std::variant<engine::Options, UsageError> evaluation_options_from_environment() {
  return evaluation_options(std::getenv("LEAKY_EVALUATION"), std::getenv("LEAKY_THREADS"));
}

}  // namespace driver
