// Bad study files, end to end: each is refused with one line on standard
// error naming the file and line, status 2, and nothing written.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "program_run.h"
#include "study_texts.h"

namespace {

using study_testing::edited;
using study_testing::kSmallStudy;
using testing_support::run_program;
using testing_support::ScratchFolder;

struct Refusal {
  const char* what;
  std::vector<std::pair<std::string, std::string>> edits;  // applied to kSmallStudy in turn
  std::map<std::string, std::string> files;                // CSV files beside the study
  std::string says;  // the line after "leaky-drawdown: "; '*' stands for any text
};

const std::string kReceptorBlock = "[[receptor]]\nname = \"R-1\"\nx = 2150250.0\ny = 720150.0\n\n";
const std::string kWellBlock = "[[well]]\nname = \"PW-1\"\nx = 2150150.0\ny = 720150.0\nrate = 250000.0\n\n";
const std::pair<std::string, std::string> kWellsFile{"title = \"small\"\n",
                                                     "title = \"small\"\nwells_file = \"wells.csv\"\n"};
const std::pair<std::string, std::string> kReceptorsFile{"title = \"small\"\n",
                                                         "title = \"small\"\nreceptors_file = \"r.csv\"\n"};

const std::string kSeries = "series = \"series.csv\"\n";
const std::string kPlot = "plot = \"map.png\"\n";

const Refusal kRefusals[] = {
    // The TOML itself.
    {"TOML syntax", {{"rows = 3", "rows = 3 3"}}, {}, "study.toml:14:10: not a valid TOML file: *"},
    {"a name without quotes", {{"name = \"PW-1\"", "name = Müller"}}, {},
     "study.toml:17:8: not a valid TOML file: *"},
    {"an escape of a letter beyond ASCII", {{"name = \"PW-1\"", "name = \"PW\\é\""}}, {},
     "study.toml:17:*: not a valid TOML file: *unknown escape sequence '\\é'"},
    {"a private-use character", {{"name = \"PW-1\"", "name = \"PW\\U000F0001\""}}, {},
     "study.toml:17: private-use characters from U+F0000 on are not read, nor escapes for them"},
    {"letters right after a number", {{"storage = 0.0002", "storage = 0.0002\"、ﻼ\""}}, {},
     "study.toml:7:*: not a valid TOML file: *"},
    // Unknown keys: the nearest known key, or the table a key belongs in.
    {"typo", {{"transmissivity =", "transmisivity ="}}, {},
     "study.toml:5: unknown key 'transmisivity' in [aquifer]; did you mean 'transmissivity'?"},
    {"typo at the top", {{"title =", "titel ="}}, {},
     "study.toml:1: unknown key 'titel' at the top of the file; did you mean 'title'?"},
    {"typo in a well", {{"rate = 250000.0", "rat = 250000.0"}}, {},
     "study.toml:20: unknown key 'rat' in [[well]] 1; did you mean 'rate'?"},
    {"key of another table", {{"leakance = 0.001\n", "leakance = 0.001\nspacing = 100\n"}}, {},
     "study.toml:7: unknown key 'spacing' in [aquifer]; 'spacing' belongs in [grid]"},
    {"top-level key after the tables", {{"series = \"series.csv\"\n", "series = \"series.csv\"\ntimes = [1.0]\n"}}, {},
     "study.toml:31: unknown key 'times' in [output]; 'times' belongs at the top of the file, before the first table"},
    // Missing keys and wrong types.
    {"missing key in a table", {{"storage = 0.0002\n", ""}}, {}, "study.toml:4: [aquifer] has no key 'storage'"},
    {"missing top-level key", {{"times = [30.0, 90.0]\n", ""}}, {}, "study.toml: the file has no key 'times'"},
    {"string for a count", {{"columns = 4", "columns = \"4\""}}, {},
     "study.toml:13: 'columns' must be a whole number, not a string"},
    {"number for a name", {{"folder = \"out\"", "folder = 3"}}, {},
     "study.toml:28: 'folder' must be a string in quotes, not a whole number"},
    {"[well] for [[well]]", {{"[[well]]", "[well]"}}, {},
     "study.toml:16: 'well' must be given as [[well]] tables, not a table"},
    {"empty name", {{"name = \"PW-1\"", "name = \"  \""}}, {}, "study.toml:17: [[well]] 1 has an empty 'name'"},
    // Names and the title: UTF-8 text without controls, 200 characters at most.
    {"a NUL in a name", {{"name = \"PW-1\"", "name = \"PW\\u0000\""}}, {},
     "study.toml:17: 'name' of [[well]] 1 holds a control character (\\x00)"},
    {"an escape sequence in a receptor's name", {{"name = \"R-1\"", "name = \"R\\u001b[31m\""}}, {},
     "study.toml:23: 'name' of [[receptor]] 1 holds a control character (\\x1b)"},
    {"a C1 control in a name", {{"name = \"PW-1\"", "name = \"PW\\u0085\""}}, {},
     "study.toml:17: 'name' of [[well]] 1 holds a control character (\\u0085)"},
    {"a tab in the title", {{"title = \"small\"", "title = \"a\\tb\""}}, {},
     "study.toml:1: 'title' holds a control character (\\t)"},
    {"a name of 201 characters", {{"name = \"PW-1\"", "name = \"" + std::string(200, 'A') + "\u00e9\""}}, {},
     "study.toml:17: 'name' of [[well]] 1 is longer than 200 characters (201)"},
    {"a title of 201 characters", {{"title = \"small\"", "title = \"" + std::string(201, 't') + "\""}}, {},
     "study.toml:1: 'title' is longer than 200 characters (201)"},
    {"a CSV name with a tab", {kWellsFile}, {{"wells.csv", "PW-2,0,0,5\n\"P\tW\",0,0,5\n"}},
     "wells.csv:2: the name field holds a control character (\\t)"},
    {"a CSV name that is not UTF-8", {kReceptorsFile}, {{"r.csv", "R-\xe9,0,0\n"}},
     "r.csv:1: the name field is not UTF-8 text (byte \\xe9)"},
    {"a CSV name of 201 characters", {kReceptorsFile}, {{"r.csv", std::string(201, 'R') + ",0,0\n"}},
     "r.csv:1: the name field is longer than 200 characters (201)"},
    // Values out of range.
    {"negative spacing", {{"spacing = 100", "spacing = -100"}}, {},
     "study.toml:12: 'spacing' must be whole feet, 1 or more, not -100"},
    {"fractional spacing", {{"spacing = 100", "spacing = 100.5"}}, {},
     "study.toml:12: 'spacing' must be a whole number, not a number with a point 100.5"},
    {"no columns", {{"columns = 4", "columns = 0"}}, {}, "study.toml:13: 'columns' must be 1 or more, not 0"},
    {"zero transmissivity", {{"transmissivity = 50000.0", "transmissivity = 0"}}, {},
     "study.toml:5: 'transmissivity' must be above 0, not 0"},
    {"zero storage", {{"storage = 0.0002", "storage = 0.0"}}, {}, "study.toml:7: 'storage' must be above 0, not 0"},
    {"negative storage", {{"storage = 0.0002", "storage = -1e-5"}}, {},
     "study.toml:7: 'storage' must be above 0, not -1e-05"},
    {"negative leakance", {{"leakance = 0.001", "leakance = -0.001"}}, {},
     "study.toml:6: 'leakance' must be 0 (no leakage) or more, not -0.001"},
    {"not a number", {{"storage = 0.0002", "storage = nan"}}, {},
     "study.toml:7: 'storage' must be a finite number, not nan"},
    {"rate beyond single", {{"rate = 250000.0", "rate = 1e39"}}, {},
     "study.toml:20: 'rate' = 1e+39 lies beyond single precision's range (3.4e38)"},
    {"well far from the grid", {{"x = 2150150.0", "x = 1e300"}}, {},
     "study.toml: well 'PW-1' at (1e+300, 720150) lies more than 16777216 nodes from the grid"},
    // Times and schedules.
    {"times not increasing", {{"[30.0, 90.0]", "[90.0, 30.0]"}}, {},
     "study.toml:2: the days of 'times' must increase: 30 follows 90"},
    {"times repeated", {{"[30.0, 90.0]", "[30.0, 30.0]"}}, {},
     "study.toml:2: the days of 'times' must increase: 30 follows 30"},
    {"series times repeated", {{kSeries, kSeries + "series_times = [1.0, 5.0, 5.0]\n"}}, {},
     "study.toml:31: the days of 'series_times' must increase: 5 follows 5"},
    {"time 0", {{"[30.0, 90.0]", "[0.0, 90.0]"}}, {}, "study.toml:2: the days of 'times' must be above 0, not 0"},
    {"no times", {{"[30.0, 90.0]", "[]"}}, {}, "study.toml:2: 'times' must hold at least one day"},
    {"schedule days not increasing",
     {{"rate = 250000.0", "schedule = [[0.0, 1.0], [60.0, 2.0], [60.0, 3.0]]"}}, {},
     "study.toml:20: the start days of the schedule of 'PW-1' must increase: 60 follows 60"},
    {"schedule step of three values", {{"rate = 250000.0", "schedule = [[0.0, 1.0, 2.0]]"}}, {},
     "study.toml:20: each step of 'schedule' must be [start day, rate], not an array of 3 values"},
    {"negative start day", {{"rate = 250000.0", "schedule = [[-1.0, 5.0]]"}}, {},
     "study.toml:20: the start day of a step must be 0 or more, not -1"},
    {"rate and schedule", {{"rate = 250000.0\n", "rate = 1.0\nschedule = [[0.0, 1.0]]\n"}}, {},
     "study.toml:21: [[well]] 1 ('PW-1') has both 'rate' and 'schedule'; give one of them"},
    {"neither rate nor schedule", {{"rate = 250000.0\n", ""}}, {},
     "study.toml:16: [[well]] 1 ('PW-1') has neither 'rate' nor 'schedule'"},
    // Names used twice.
    {"two wells of one name", {{"[[receptor]]", "[[well]]\nname = \"PW-1\"\nx = 0\ny = 0\nrate = 1\n\n[[receptor]]"}},
     {}, "study.toml:22: a second well named 'PW-1' (the first: study.toml:16)"},
    {"two receptors of one name", {{"[output]", "[[receptor]]\nname = \"R-1\"\nx = 0\ny = 0\n\n[output]"}}, {},
     "study.toml:27: a second receptor named 'R-1' (the first: study.toml:22)"},
    {"a CSV well of a [[well]]'s name", {kWellsFile}, {{"wells.csv", "name,x,y,rate\nPW-1,0,0,5\n"}},
     "wells.csv:2: a second well named 'PW-1' (the first: study.toml:17)"},
    // CSV files.
    {"CSV row with too few fields", {kWellsFile}, {{"wells.csv", "PW-2,0,0,5\nPW-3,0,0\n"}},
     "wells.csv:2: a row of 3 fields; the rows of this file have 4 (name,x,y,rate)"},
    {"CSV first row of neither form", {kWellsFile}, {{"wells.csv", "\nPW-2,0,0\n"}},
     "wells.csv:2: a row of 3 fields; the rows must be name,x,y,rate or name,x,y,start_day,rate"},
    {"CSV field not a number", {kWellsFile}, {{"wells.csv", "PW-2,0,zero,5\n"}},
     "wells.csv:1: the y field is not a number: 'zero'"},
    {"CSV header of neither form", {kWellsFile}, {{"wells.csv", "name,x,y,q\n"}},
     "wells.csv:1: the header has no rate column (rate or rate_gpd)"},
    {"CSV quote not closed", {kReceptorsFile}, {{"r.csv", "R-2,0,0\n\"R-3,0,0\n"}},
     "r.csv:2: a quoted field is not closed"},
    {"CSV receptor row too long", {kReceptorsFile}, {{"r.csv", "name,x,y\nR-2,0,0,0\n"}},
     "r.csv:2: a row of 4 fields; the rows of this file have 3 (name,x,y)"},
    {"control character in a file name", {{"title = \"small\"\n", "wells_file = \"a\\nb.csv\"\n"}}, {},
     "study.toml:1: 'wells_file' holds a control character"},
    {"CSV file missing", {{"title = \"small\"\n", "wells_file = \"none.csv\"\n"}}, {},
     "study.toml: cannot read the wells file 'none.csv': No such file or directory"},
    {"CSV schedule well that moves", {kWellsFile}, {{"wells.csv", "A,0,0,0,5\nA,1,0,10,6\n"}},
     "wells.csv:2: well 'A' is given at another place than in its first row (0, 0)"},
    {"CSV schedule days not increasing", {kWellsFile}, {{"wells.csv", "A,0,0,10,5\nA,0,0,10,6\n"}},
     "wells.csv:2: the start days of the schedule of 'A' must increase: 10 follows 10"},
    // The study as a whole.
    {"no wells", {{kWellBlock, ""}}, {}, "study.toml: the study has no wells: give [[well]] tables or a wells_file"},
    {"series without receptors", {{kReceptorBlock, ""}}, {},
     "study.toml:25: 'series' needs receptors, and the study has none"},
    {"picture of another format", {{"series = \"series.csv\"\n", "series = \"series.csv\"\nhydrographs = \"h.jpg\"\n"}},
     {}, "study.toml:31: 'hydrographs' must name a .png, .svg or .pdf file, not 'h.jpg'"},
    {"unknown well function", {{"series = \"series.csv\"\n", "series = \"series.csv\"\nwell_function = \"exactly\"\n"}},
     {}, "study.toml:31: 'well_function' must be \"rule\" or \"exact\", not 'exactly'"},
    {"an output over the study file", {{"folder = \"out\"", "folder = \".\""}, {"series = \"series.csv\"", "series = \"study.toml\""}}, {},
     "study.toml: the series file 'study.toml' would replace the input file 'study.toml'"},
    {"an output over the manifest", {{"series = \"series.csv\"", "series = \"manifest.json\""}}, {},
     "study.toml: the series file 'out/manifest.json' would replace the output folder's manifest"},
    // A study file is data from someone else: it writes and reads only inside its folder.
    {"an absolute output folder", {{"folder = \"out\"", "folder = \"/tmp/out\""}}, {},
     "study.toml:28: 'folder' must lie inside the study file's folder (a relative name without '..' that leaves it), not '/tmp/out'"},
    {"an output folder above", {{"folder = \"out\"", "folder = \"out/../../x\""}}, {},
     "study.toml:28: 'folder' must lie inside the study file's folder (a relative name without '..' that leaves it), not 'out/../../x'"},
    {"an output name with a folder", {{"series = \"series.csv\"", "series = \"../study.toml\""}}, {},
     "study.toml:30: 'series' must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not '../study.toml'"},
    {"an absolute output name", {{"grid = \"drawdown.asc\"", "grid = \"/tmp/drawdown.asc\""}}, {},
     "study.toml:29: 'grid' must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not '/tmp/drawdown.asc'"},
    {"an output named ..", {{"series = \"series.csv\"", "series = \"..\""}}, {},
     "study.toml:30: 'series' must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not '..'"},
    {"a wells file above", {{"times = ", "wells_file = \"../wells.csv\"\ntimes = "}}, {},
     "study.toml:2: 'wells_file' must lie inside the study file's folder (a relative name without '..' that leaves it), not '../wells.csv'"},
    {"an absolute receptors file", {{"times = ", "receptors_file = \"/etc/hosts\"\ntimes = "}}, {},
     "study.toml:2: 'receptors_file' must lie inside the study file's folder (a relative name without '..' that leaves it), not '/etc/hosts'"},
    {"two outputs of one name", {{"[30.0, 90.0]", "[30.0]"}, {"series = \"series.csv\"", "series = \"drawdown.asc\""}},
     {}, "study.toml: the series file and the grid file are the same file 'out/drawdown.asc'"},
    {"a grid file of another format", {{"grid = \"drawdown.asc\"", "grid = \"drawdown.png\""}}, {},
     "study.toml:29: 'grid' must name a .tif (GeoTIFF), .asc (ESRI ASCII grid) or .nc (netCDF) file, not 'drawdown.png'"},
    // The map outputs and their settings.
    {"a contour layer of another format", {{kSeries, kSeries + "contours = \"c.kml\"\n"}}, {},
     "study.toml:31: 'contours' must name a .gpkg (GeoPackage), .geojson or .shp (shapefile) file, not 'c.kml'"},
    {"a map picture of another format", {{kSeries, kSeries + "plot = \"map.jpg\"\n"}}, {},
     "study.toml:31: 'plot' must name a .png, .svg or .pdf file, not 'map.jpg'"},
    {"levels without contours or plot", {{kSeries, kSeries + "levels = [1.0]\n"}}, {},
     "study.toml:31: 'levels' are for 'contours' and 'plot', and neither is given"},
    {"levels not an array", {{kSeries, kSeries + kPlot + "levels = 5\n"}}, {},
     "study.toml:32: 'levels' must be an array of levels in feet, like [1.0, 5.0, 10.0], not a whole number"},
    {"a level twice", {{kSeries, kSeries + kPlot + "levels = [1, 5, 1.0]\n"}}, {},
     "study.toml:32: the level 1 is given twice in 'levels'"},
    {"a level that is not a number", {{kSeries, kSeries + kPlot + "levels = [1, nan]\n"}}, {},
     "study.toml:32: 'levels' must be a finite number, not nan"},
    {"range without plot", {{kSeries, kSeries + "range = [0.0, 5.0]\n"}}, {},
     "study.toml:31: 'range' is for 'plot', which is not given"},
    {"range upside down", {{kSeries, kSeries + kPlot + "range = [5, 1]\n"}}, {},
     "study.toml:32: 'range' must have MIN below MAX, not [5, 1]"},
    {"range of three", {{kSeries, kSeries + kPlot + "range = [0, 1, 2]\n"}}, {},
     "study.toml:32: 'range' must be [MIN, MAX] in feet, like [0.0, 20.0], not an array of 3"},
    {"unknown page", {{kSeries, kSeries + "plot = \"map.pdf\"\npage = \"legal\"\n"}}, {},
     "study.toml:32: 'page' must be \"letter\" or \"a4\", not 'legal'"},
    {"dpi for an SVG", {{kSeries, kSeries + "plot = \"map.svg\"\ndpi = 300\n"}}, {},
     "study.toml:32: 'dpi' is for a .png plot, not 'map.svg'"},
    {"a picture in a list of another format", {{kSeries, kSeries + "plot = [\"map.png\", \"map.jpg\"]\n"}}, {},
     "study.toml:31: 'plot' must name a .png, .svg or .pdf file, not 'map.jpg'"},
    {"an empty list of pictures", {{kSeries, kSeries + "plot = []\n"}}, {},
     "study.toml:31: 'plot' must name a picture or a list of pictures, not an empty array"},
    {"dpi without a .png among the pictures", {{kSeries, kSeries + "plot = [\"map.svg\", \"map.pdf\"]\ndpi = 300\n"}}, {},
     "study.toml:32: 'dpi' is for a .png plot, not any of the pictures of 'plot'"},
    {"two pictures of one name", {{kSeries, kSeries + "plot = [\"map.png\", \"map.png\"]\n"}}, {},
     "study.toml: the plot file and the plot file are the same file 'out/map_30d.png'"},
    {"dpi too high", {{kSeries, kSeries + kPlot + "dpi = 1000\n"}}, {},
     "study.toml:32: 'dpi' must be from 50 to 600, not 1000"},
    {"a CRS GDAL does not know", {{"times =", "crs = \"EPSG:99999\"\ntimes ="}}, {},
     "study.toml: 'crs': 'EPSG:99999' is not a CRS GDAL knows (e.g. EPSG:2264)"},
    {"a shapefile's .prj is the grid's",
     {{"times = [30.0, 90.0]", "crs = \"EPSG:2264\"\ntimes = [30.0]"}, {"grid = \"drawdown.asc\"", "grid = \"dd.asc\""},
      {kSeries, kSeries + "contours = \"dd.shp\"\n"}},
     {},
     "study.toml: the contours file and the grid file are the same file 'out/dd.prj'"},
    {"a grid that does not fit", {{"columns = 4", "columns = 2000000000"}, {"rows = 3", "rows = 2000000000"}}, {},
     "study.toml: the study needs * GiB of memory (a grid of 2000000000 x 2000000000 nodes, 1 well term), more "
     "than the * GiB this machine has"},
    // Boundaries: [[boundary]] tables before [output], from line 27 on.
    {"a receptor beyond a stream",
     {{"[output]", "[[boundary]]\nkind = \"stream\"\nname = \"creek\"\nfrom = [2150200, 0]\nto = [2150200, 1]\n\n[output]"}},
     {},
     "study.toml:27: receptor 'R-1' lies beyond the stream 'creek'; the aquifer is on the side of well 'PW-1'"},
    {"boundaries at an angle",
     {{"[output]", "[[boundary]]\nkind = \"stream\"\nname = \"creek\"\nfrom = [2150000, 720400]\nto = [2151000, 720400]\n\n"
                   "[[boundary]]\nkind = \"barrier\"\nname = \"fault\"\nfrom = [2150000, 720000]\nto = [2150300, 720100]\n\n[output]"}},
     {},
     "study.toml:33: the boundaries 'creek' and 'fault' meet at 18.43 degrees; two boundaries must be perpendicular (a "
     "quadrant) or parallel (a strip)"},
};

// True when `line` is `pattern`, each '*' of which stands for any text.
bool matches(const std::string& line, const std::string& pattern) {
  std::size_t at = 0, from = 0;
  for (std::size_t star; (star = pattern.find('*', from)) != std::string::npos; from = star + 1) {
    const std::string part = pattern.substr(from, star - from);
    const std::size_t found = line.find(part, at);
    if (found == std::string::npos || (from == 0 && found != 0)) return false;
    at = found + part.size();
  }
  const std::string last = pattern.substr(from);
  return line.size() >= at + last.size() && line.compare(line.size() - last.size(), last.size(), last) == 0 &&
         (from > 0 || line == last);
}

std::set<std::string> folder_entries(const ScratchFolder& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder.path()))
    names.insert(std::filesystem::relative(e.path(), folder.path()).string());
  return names;
}

TEST(StudyRefusals, EachBadFileGetsOneLineStatus2AndNothingIsWritten) {
  for (const Refusal& k : kRefusals) {
    SCOPED_TRACE(k.what);
    std::string text = kSmallStudy;
    for (const auto& [from, to] : k.edits) text = edited(text, from, to);
    ScratchFolder folder;
    folder.write("study.toml", text);
    for (const auto& [name, bytes] : k.files) folder.write(name, bytes);
    const std::set<std::string> before = folder_entries(folder);

    const testing_support::RunResult r = run_program(folder, "", {"--study", "study.toml"});
    EXPECT_EQ(r.status, base::kExitUsage);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(matches(r.err, "leaky-drawdown: " + k.says + "\n")) << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(folder_entries(folder), before) << "nothing is written";
  }
}

TEST(StudyRefusals, AStudyFileThatCannotBeRead) {
  ScratchFolder folder;
  testing_support::RunResult r = run_program(folder, "", {"--study", "missing.toml"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot read the study file 'missing.toml': No such file or directory\n");
  r = run_program(folder, "", {"--study", "."});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot read the study file '.': it is a folder\n");
  r = run_program(folder, "", {"--study", "two\nlines.toml"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot read the study file 'two\\nlines.toml': No such file or directory\n");
}

// Files beyond their limit are refused: a regular file by its size, before
// it is read (the files here are sparse: reading them would take gigabytes of
// memory), a device after the limit has been read.
TEST(StudyRefusals, FilesBeyondTheirLimit) {
  ScratchFolder folder;
  const std::filesystem::path big = std::filesystem::path(folder.path()) / "big.toml";
  folder.write("big.toml", "");
  std::filesystem::resize_file(big, (std::uintmax_t{64} << 20) + 1);
  testing_support::RunResult r = run_program(folder, "", {"--study", "big.toml"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot read the study file 'big.toml': it is larger than 64 MiB (67108865 bytes)\n");

  r = run_program(folder, "", {"--study", "/dev/zero"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot read the study file '/dev/zero': it is larger than 64 MiB\n");

  folder.write("study.toml", edited(kSmallStudy, "title = \"small\"\n", "title = \"small\"\nwells_file = \"w.csv\"\n"));
  folder.write("w.csv", "");
  std::filesystem::resize_file(std::filesystem::path(folder.path()) / "w.csv", (std::uintmax_t{1} << 30) + 1);
  r = run_program(folder, "", {"--study", "study.toml"});
  EXPECT_EQ(r.status, base::kExitUsage);
  EXPECT_EQ(r.err,
            "leaky-drawdown: study.toml: cannot read the wells file 'w.csv': it is larger than 1 GiB (1073741825 bytes)\n");
}

}  // namespace
