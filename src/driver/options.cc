#include "driver/options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

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
};

// An option with a value (--name VALUE or --name=VALUE): takes the value into
// the options, or says why it cannot ("" when it can). Each may be given once.
struct Valued {
  std::string_view name;
  std::string (*take)(Options& o, const std::string& value);
};

std::string take_file(std::optional<std::string>& slot, std::string_view name, const std::string& value) {
  if (value.empty()) return "option '" + std::string(name) + "' needs a file name";
  slot = value;
  return "";
}

constexpr Valued kValued[] = {
    {"--grid", [](Options& o, const std::string& v) { return take_file(o.grid, "--grid", v); }},
    {"--plot",
     [](Options& o, const std::string& v) {
       if (v.empty()) return std::string("option '--plot' needs a file name");
       const std::optional<maps::PlotFormat> format = maps::plot_format_of(v);
       if (!format) return "the plot file '" + v + "' must end in .png, .svg or .pdf";
       o.plot_format = *format;
       return take_file(o.plot, "--plot", v);
     }},
    {"--study", [](Options& o, const std::string& v) { return take_file(o.study, "--study", v); }},
};

}  // namespace

std::variant<Options, UsageError> parse_command_line(std::span<const std::string_view> arguments) {
  Options o;
  std::vector<std::string> names;
  std::vector<std::string_view> given;  // valued options seen so far
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
    if (valued == std::end(kValued)) return UsageError{"unknown option '" + std::string(a) + "'"};
    std::string value;
    if (eq != std::string_view::npos) {
      value = std::string(a.substr(eq + 1));
    } else {
      if (i + 1 == arguments.size()) return UsageError{"option '" + std::string(name) + "' needs a file name"};
      value = std::string(arguments[++i]);
    }
    if (std::find(given.begin(), given.end(), name) != given.end())
      return UsageError{"option '" + std::string(name) + "' is given twice"};
    given.push_back(name);
    if (std::string why = valued->take(o, value); !why.empty()) return UsageError{why};
  }

  if (o.help || o.version) return o;
  if (o.study && (!names.empty() || o.grid || o.plot))
    return UsageError{"--study takes neither INPUT REPORT nor --grid or --plot: a study names its outputs"};
  if (names.size() > 2) return UsageError{"unexpected argument '" + names[2] + "' (at most INPUT and REPORT)"};
  if (names.size() == 1) return UsageError{"INPUT '" + names[0] + "' needs a REPORT file name after it"};
  if (names.size() == 2) {
    for (const std::string& n : names)
      if (n.empty()) return UsageError{"a file name argument is empty"};
    o.input = names[0];
    o.report = names[1];
  }
  if (o.grid && o.plot && *o.grid == *o.plot) return UsageError{"--grid and --plot name the same file"};
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
  --grid FILE   also write the drawdown grid to FILE as an ESRI ASCII grid
                (ncols, nrows, xllcorner, yllcorner, cellsize, NODATA_value),
                every value with all the digits it needs
  --plot FILE   also draw the drawdown to FILE: a colour map with contour lines
                and the wells; the format follows the ending: .png, .svg or .pdf
  --study FILE  run the study file FILE (TOML) instead: wells in map
                coordinates, several times, rate schedules, receptors; its
                outputs are named in the file (see the README, "Studies")
  --help        show this text and stop
  --version     show the version and stop

--grid and --plot files are written after the report and ARCFILE are complete.

Exit status: 0 complete run; 1 a count above the program's limits; 2 a command
line that cannot be followed (nothing is opened); 3 the --grid or --plot file
could not be written (the report and ARCFILE are complete); any other number is
the number of the run-time error reported on standard error.
)";
}

engine::Options evaluation_options(const char* LEAKY_EVALUATION, const char* LEAKY_THREADS) {
  engine::Options o;
  if (LEAKY_EVALUATION != nullptr && std::strcmp(LEAKY_EVALUATION, "reference") == 0)
    o.method = engine::Method::reference;
  if (LEAKY_THREADS != nullptr) {
    char* end = nullptr;
    const long n = std::strtol(LEAKY_THREADS, &end, 10);
    if (end != LEAKY_THREADS && *end == '\0' && n > 0)
      o.fast.threads = static_cast<int>(std::min<long>(n, engine::kMaxThreads));
  }
  return o;
}

engine::Options evaluation_options_from_environment() {
  return evaluation_options(std::getenv("LEAKY_EVALUATION"), std::getenv("LEAKY_THREADS"));
}

}  // namespace driver
