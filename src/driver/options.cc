#include "driver/options.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace driver {

std::variant<Options, UsageError> parse_command_line(std::span<const std::string_view> arguments) {
  Options o;
  std::vector<std::string> names;
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
    if (a == "--help" || a == "-h") {
      o.help = true;
      continue;
    }
    if (a == "--version") {
      o.version = true;
      continue;
    }

    // --grid FILE, --grid=FILE, --plot FILE, --plot=FILE.
    const std::size_t eq = a.find('=');
    const std::string_view name = a.substr(0, eq);
    if (name != "--grid" && name != "--plot")
      return UsageError{"unknown option '" + std::string(a) + "'"};
    std::string file;
    if (eq != std::string_view::npos) {
      file = std::string(a.substr(eq + 1));
    } else {
      if (i + 1 == arguments.size()) return UsageError{"option '" + std::string(name) + "' needs a file name"};
      file = std::string(arguments[++i]);
    }
    if (file.empty()) return UsageError{"option '" + std::string(name) + "' needs a file name"};
    std::optional<std::string>& slot = name == "--grid" ? o.grid : o.plot;
    if (slot) return UsageError{"option '" + std::string(name) + "' is given twice"};
    if (name == "--plot") {
      const std::optional<maps::PlotFormat> format = maps::plot_format_of(file);
      if (!format) return UsageError{"the plot file '" + file + "' must end in .png, .svg or .pdf"};
      o.plot_format = *format;
    }
    slot = std::move(file);
  }

  if (o.help || o.version) return o;
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
