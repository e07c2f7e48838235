// Reading the command line.
#include "driver/options.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string_view>
#include <variant>
#include <vector>

namespace {

using driver::Options;
using driver::UsageError;

// The levels 1,2,...,1001: one more than a run may ask for.
const std::string kThousandAndOne = [] {
  std::string text = "1";
  for (int i = 2; i <= 1001; ++i) text.append(",").append(std::to_string(i));  // (GCC 12 warns of "," + a string)
  return text;
}();

std::variant<Options, UsageError> parse(std::vector<std::string_view> arguments) {
  return driver::parse_command_line(arguments);
}

Options accepted(std::vector<std::string_view> arguments) {
  auto parsed = parse(arguments);
  if (const auto* e = std::get_if<UsageError>(&parsed)) ADD_FAILURE() << "refused: " << e->message;
  return std::holds_alternative<Options>(parsed) ? std::get<Options>(parsed) : Options{};
}

// Expects the command line refused with one line that holds `says`.
void expect_refused(const std::vector<std::string_view>& arguments, std::string_view says) {
  const auto parsed = parse(arguments);
  ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << says;
  const std::string& message = std::get<UsageError>(parsed).message;
  EXPECT_NE(message.find(says), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos) << "one line";
}

TEST(CommandLine, NoArgumentsAskAtTheConsole) {
  const Options o = accepted({});
  EXPECT_FALSE(o.help || o.version);
  EXPECT_FALSE(o.input || o.report);
  EXPECT_TRUE(outputs::plan(o.outputs).empty());
}

TEST(CommandLine, NamesAndOptionsInAnyOrder) {
  Options o = accepted({"in.dat", "--grid", "dd.asc", "out.rpt", "--plot=map.SVG"});
  EXPECT_EQ(o.input, "in.dat");
  EXPECT_EQ(o.report, "out.rpt");
  EXPECT_EQ(o.outputs.grid, "dd.asc");
  EXPECT_EQ(o.outputs.plots, std::vector<std::string>{"map.SVG"});

  o = accepted({"--grid=dd.asc", "--plot", "map.pdf"});
  EXPECT_FALSE(o.input);
  EXPECT_EQ(o.outputs.grid, "dd.asc");
  EXPECT_EQ(o.outputs.plots, std::vector<std::string>{"map.pdf"});

  // After "--" everything is a name, even one that starts with a dash.
  o = accepted({"--", "-in.dat", "--grid"});
  EXPECT_EQ(o.input, "-in.dat");
  EXPECT_EQ(o.report, "--grid");
  EXPECT_EQ(o.outputs.grid, "");

  o = accepted({"--quiet", "in.dat", "--arcfile=r.asc", "out.rpt"});
  EXPECT_TRUE(o.quiet);
  EXPECT_EQ(o.arcfile, "r.asc");
  EXPECT_EQ(accepted({"--check", "in.dat"}).check, "in.dat");

  // Names are taken whole: no 20-character field on the command line.
  o = accepted({"a/folder/with/a-rather-long-input-name.dat", "out.rpt"});
  EXPECT_EQ(o.input, "a/folder/with/a-rather-long-input-name.dat");
}

TEST(CommandLine, AStudyFileInsteadOfTheRun) {
  EXPECT_EQ(accepted({"--study", "permit.toml"}).study, "permit.toml");
  const Options o = accepted({"--study=a folder/permit.toml"});
  EXPECT_EQ(o.study, "a folder/permit.toml");
  EXPECT_FALSE(o.input);
  EXPECT_TRUE(outputs::plan(o.outputs).empty());
  EXPECT_FALSE(accepted({"in.dat", "out.rpt"}).study);
}

TEST(CommandLine, HelpAndVersionWinOverNames) {
  EXPECT_TRUE(accepted({"--help"}).help);
  EXPECT_TRUE(accepted({"-h"}).help);
  EXPECT_TRUE(accepted({"--version"}).version);
  EXPECT_TRUE(accepted({"a", "b", "c", "--help"}).help) << "help is given even with too many names";
}

TEST(CommandLine, RefusedLinesSayWhat) {
  struct Case {
    std::vector<std::string_view> arguments;
    std::string_view says;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"-x", "in.dat", "out.rpt"}, "unknown option '-x'"},
      {{"--grid"}, "option '--grid' needs a file name"},
      {{"--plot="}, "option '--plot' needs a file name"},
      {{"--grid=a.asc", "--grid", "b.asc"}, "option '--grid' is given twice"},
      {{"--plot", "map.jpg"}, "the plot file 'map.jpg' must end in .png, .svg or .pdf"},
      {{"--plot", "map"}, "must end in .png, .svg or .pdf"},
      {{"in.dat"}, "INPUT 'in.dat' needs a REPORT file name after it"},
      {{"in.dat", "out.rpt", "third"}, "unexpected argument 'third'"},
      {{"in.dat", ""}, "a file name argument is empty"},
      {{"--grid", "dd.png"}, "option '--grid': 'dd.png' must end in .tif (GeoTIFF), .asc (ESRI ASCII grid) or .nc (netCDF)"},
      {{"--grid", "/dev/full"}, "option '--grid': '/dev/full' must end in .tif"},
      {{"--contours", "c.kml"}, "option '--contours': 'c.kml' must end in .gpkg (GeoPackage), .geojson or .shp"},
      {{"--contours="}, "option '--contours' needs a file name"},
      {{"--crs"}, "option '--crs' needs a CRS (e.g. EPSG:2264)"},
      {{"--crs", "EPSG:999999"}, "option '--crs': 'EPSG:999999' is not a CRS GDAL knows"},
      {{"--crs=EPSG:4326"}, "option '--crs': 'EPSG:4326' is not a projected CRS"},
      {{"--crs", "EPSG:32617"}, "option '--crs': 'EPSG:32617' has its coordinates in metre"},
      {{"--levels"}, "option '--levels' needs a list of levels (feet, e.g. 1,5,10)"},
      {{"--levels="}, "option '--levels' needs a list of levels"},
      {{"--levels", "1,x,5"}, "option '--levels': 'x' is not a level (feet, separated by commas, e.g. 1,5,10)"},
      {{"--levels", "1,,5"}, "option '--levels': '' is not a level"},
      {{"--levels", "1,5,"}, "option '--levels': '' is not a level"},
      {{"--levels", "1 5"}, "option '--levels': '1 5' is not a level"},
      {{"--levels", "nan"}, "option '--levels': 'nan' is not a level"},
      {{"--levels", "1e999"}, "option '--levels': '1e999' is not a level"},
      {{"--levels", "5,1,5.0"}, "option '--levels': the level 5.0 is given twice"},
      {{"--levels", std::string_view(kThousandAndOne)}, "option '--levels': more than 1000 levels"},
      {{"--levels", "1", "--levels", "2"}, "option '--levels' is given twice"},
      {{"--grid", "dd.asc", "--crs", "EPSG:2264", "--contours", "dd.shp"},
       "--grid and --contours would both write 'dd.prj'"},
      {{"--version=2"}, "unknown option '--version=2'"},
      {{"--check", "in.dat", "out.rpt"}, "unexpected argument 'out.rpt' (--check reads INPUT only)"},
      {{"--check=in.dat", "--grid", "dd.asc"}, "--check writes nothing"},
      {{"--quiet"}, "--quiet needs INPUT and REPORT"},
      {{"--arcfile"}, "option '--arcfile' needs a file name"},
      {{"--study"}, "option '--study' needs a file name"},
      {{"--study", "s.toml", "in.dat", "out.rpt"}, "--study takes no INPUT REPORT and no other option of a run"},
      {{"--study=s.toml", "--grid", "g.asc"}, "--study takes no INPUT REPORT and no other option of a run"},
      {{"--study=s.toml", "--crs", "EPSG:2264"}, "--study takes no INPUT REPORT and no other option of a run"},
      // The outputs' folder is a study's: no other way in takes it.
      {{"--output-folder", "out"}, "option '--output-folder' is for --study"},
      {{"--output-folder=out", "in.dat", "out.rpt"}, "option '--output-folder' is for --study"},
      {{"--output-folder", "out", "--check", "in.dat"}, "option '--output-folder' is for --study"},
      {{"--fit", "test.toml", "--output-folder", "out"}, "option '--output-folder' is for --study"},
  };
  for (const Case& k : cases) expect_refused(k.arguments, k.says);
}

TEST(CommandLine, PictureSettings) {
  Options o = accepted({"--plot", "map.png", "--range", "-2.5,10", "--dpi=300"});
  ASSERT_TRUE(o.outputs.range);
  EXPECT_EQ(o.outputs.range->first, -2.5);
  EXPECT_EQ(o.outputs.range->second, 10.0);
  EXPECT_EQ(o.outputs.dpi, 300);
  EXPECT_FALSE(o.outputs.page);

  o = accepted({"--page", "A4", "--plot=memo.pdf", "--range=+0,1e1"});
  EXPECT_EQ(o.outputs.page, pictures::PlotPage::kA4);
  EXPECT_EQ(o.outputs.range->second, 10.0);
  EXPECT_FALSE(o.outputs.dpi);
  EXPECT_EQ(accepted({"--page=letter", "--plot", "m.pdf"}).outputs.page, pictures::PlotPage::kLetter);
  EXPECT_EQ(accepted({"--dpi", "50", "--plot", "m.png"}).outputs.dpi, 50);
  EXPECT_FALSE(accepted({"--plot", "m.png"}).outputs.range);
  // The request the run writes by: one time, the names as given.
  EXPECT_EQ(o.outputs.plots, std::vector<std::string>{"memo.pdf"});
  EXPECT_EQ(o.outputs.times, std::vector<double>{0.0});
  EXPECT_EQ(outputs::plan(o.outputs).front().name, "memo.pdf");

  struct Case {
    std::vector<std::string_view> arguments;
    std::string_view says;
  };
  const std::string_view range = "option '--range' takes MIN,MAX in feet with MIN below MAX (e.g. 0,20), not '";
  const Case cases[] = {
      {{"--plot", "m.png", "--range", "5"}, range},
      {{"--plot", "m.png", "--range", "10,5"}, range},
      {{"--plot", "m.png", "--range", "a,b"}, range},
      {{"--plot", "m.png", "--range", "1,2,3"}, range},
      {{"--plot", "m.png", "--range", "nan,1"}, range},
      {{"--plot", "m.png", "--range"}, "option '--range' needs MIN,MAX (feet)"},
      {{"--plot", "m.pdf", "--page", "legal"}, "option '--page' takes letter or a4, not 'legal'"},
      {{"--plot", "m.pdf", "--page"}, "option '--page' needs letter or a4"},
      {{"--plot", "m.png", "--dpi", "49"}, "option '--dpi' takes a whole number of pixels per inch from 50 to 600, not '49'"},
      {{"--plot", "m.png", "--dpi", "150.5"}, "not '150.5'"},
      {{"--plot", "m.png", "--dpi"}, "option '--dpi' needs a number of pixels per inch"},
      // Settings that the picture asked for cannot take.
      {{"--range", "0,10"}, "option '--range' needs --plot"},
      {{"--dpi", "100", "in.dat", "out.rpt"}, "option '--dpi' needs --plot"},
      {{"--page", "a4", "--plot", "m.png"}, "option '--page' is for a .pdf plot, not 'm.png'"},
      {{"--dpi", "100", "--plot", "m.pdf"}, "option '--dpi' is for a .png plot, not 'm.pdf'"},
  };
  for (const Case& k : cases) expect_refused(k.arguments, k.says);
}

TEST(CommandLine, GisOptions) {
  Options o = accepted({"--grid", "dd.TIF", "--contours=c.geojson", "--crs", "EPSG:2264", "--levels", "10,-2.5,+1,0.1"});
  EXPECT_EQ(o.outputs.grid, "dd.TIF");
  EXPECT_EQ(o.outputs.contours, "c.geojson");
  ASSERT_TRUE(o.crs);
  EXPECT_EQ(o.crs->text, "EPSG:2264");
  EXPECT_TRUE(o.outputs.with_crs);
  EXPECT_EQ(o.outputs.levels, (std::vector<double>{10, -2.5, 1, 0.1})) << "as given";
  EXPECT_EQ(outputs::picture_settings(o.outputs).levels, (std::vector<double>{-2.5, 0.1, 1, 10})) << "increasing";

  o = accepted({"--grid=dd.asc", "--contours", "c.shp", "--levels=-0"});
  EXPECT_EQ(o.outputs.grid, "dd.asc");
  EXPECT_EQ(o.outputs.contours, "c.shp");
  EXPECT_FALSE(o.crs || o.outputs.with_crs);
  ASSERT_EQ(o.outputs.levels.size(), 1u);
  EXPECT_FALSE(std::signbit(o.outputs.levels[0])) << "-0 is the level 0";
  // A value that starts with a dash is the option's value.
  EXPECT_EQ(accepted({"--levels", "-5,-1"}).outputs.levels, (std::vector<double>{-5, -1}));
  // Without a CRS the .asc has no .prj, so a shapefile of the same name may be written.
  EXPECT_EQ(accepted({"--grid", "dd.asc", "--contours", "dd.shp"}).outputs.contours, "dd.shp");
  EXPECT_TRUE(accepted({}).outputs.levels.empty());
}

TEST(CommandLine, ALoneDashIsAFileName) {
  // "-" is not an option and does not stand for the console: it names the
  // file "-", as INPUT, as REPORT and after --grid or --plot.
  Options o = accepted({"-", "out.rpt"});
  EXPECT_EQ(o.input, "-");
  EXPECT_EQ(o.report, "out.rpt");
  o = accepted({"in.dat", "-"});
  EXPECT_EQ(o.input, "in.dat");
  EXPECT_EQ(o.report, "-");
  o = accepted({"--grid", "-.asc", "--plot", "-.png"});
  EXPECT_EQ(o.outputs.grid, "-.asc");
  EXPECT_EQ(o.outputs.plots, std::vector<std::string>{"-.png"});
  EXPECT_FALSE(o.input);
  const auto grid = parse({"--grid", "-"});
  ASSERT_TRUE(std::holds_alternative<UsageError>(grid));
  EXPECT_EQ(std::get<UsageError>(grid).message,
            "option '--grid': '-' must end in .tif (GeoTIFF), .asc (ESRI ASCII grid) or .nc (netCDF)");

  const auto alone = parse({"-"});
  ASSERT_TRUE(std::holds_alternative<UsageError>(alone));
  EXPECT_EQ(std::get<UsageError>(alone).message, "INPUT '-' needs a REPORT file name after it");
}

TEST(CommandLine, UsageNamesEveryOption) {
  const std::string usage = driver::usage_text();
  for (const char* word : {"Usage: leaky-drawdown", "INPUT REPORT", "--grid FILE", "--plot FILE", "--range MIN,MAX",
                           "--page letter|a4", "--dpi N", "--contours FILE", "--levels L1,L2,...", "--crs CRS", ".tif",
                           ".asc", ".gpkg", ".geojson", ".shp", "--help", "--version", ".png", ".svg", ".pdf",
                           "Exit status", "--check INPUT", "--quiet", "--arcfile FILE", "--study FILE"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
}

TEST(CommandLine, EvaluationFromTheEnvironment) {
  auto threads = [](const char* value) {
    const auto o = driver::evaluation_options(nullptr, value);
    return std::holds_alternative<engine::Options>(o) ? std::get<engine::Options>(o).fast.threads : -1;
  };
  auto method = [](const char* value) {
    const auto o = driver::evaluation_options(value, nullptr);
    return std::holds_alternative<engine::Options>(o) ? std::get<engine::Options>(o).method : engine::Method{-1};
  };
  const std::pair<const char*, int> counts[] = {
      {"3", 3}, {"007", 7}, {"256", 256}, {"257", 256}, {"100000", 256}, {"99999999999999999999999", 256},
      {nullptr, engine::hardware_threads()}, {"", engine::hardware_threads()}};
  for (const auto& [value, taken] : counts) EXPECT_EQ(threads(value), taken) << (value ? value : "unset");
  for (const char* bad : {"0", "000", "-1", "+2", " 2", "2 ", "abc", "4x", "0x10", "2.0"}) {
    const auto o = driver::evaluation_options(nullptr, bad);
    ASSERT_TRUE(std::holds_alternative<UsageError>(o)) << bad;
    EXPECT_EQ(std::get<UsageError>(o).message,
              "LEAKY_THREADS must be a whole number of worker threads, 1 or more (or unset), not '" + std::string(bad) +
                  "'");
  }
  EXPECT_EQ(method(nullptr), engine::Method::fast);
  EXPECT_EQ(method(""), engine::Method::fast);
  EXPECT_EQ(method("fast"), engine::Method::fast);
  EXPECT_EQ(method("reference"), engine::Method::reference);
  for (const char* bad : {"bogus", "Reference", "reference ", "FAST"}) {
    const auto o = driver::evaluation_options(bad, nullptr);
    ASSERT_TRUE(std::holds_alternative<UsageError>(o)) << bad;
    EXPECT_EQ(std::get<UsageError>(o).message,
              "LEAKY_EVALUATION must be \"fast\" or \"reference\" (or unset), not '" + std::string(bad) + "'");
  }
}

}  // namespace
