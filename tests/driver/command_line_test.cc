// The program run with command-line arguments, end to end: help and version,
// refused command lines, file names as arguments, and the --grid and --plot
// files next to an unchanged report and ARCFILE.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/exit_status.h"
#include "driver/options.h"
#include "expected_run.h"
#include "model/drawdown.h"
#include "program_run.h"
#include "standard_error.h"

namespace {

using namespace testing_support;

const std::string kHint = "Try 'leaky-drawdown --help' for more information.\n";

// Four columns and three rows, one pumping and one injecting well: drawdowns
// of both signs.
Answers two_wells() {
  Answers a;
  a.NX = "4";
  a.NY = "3";
  a.NWELL = "2";
  a.wells = {"2", "1", "144000", "4.5", "3", "-300000"};
  return a;
}

// The drawdown at node (c, r) of two_wells(), computed well by well as the
// program does.
float expected_cell(int c, int r) {
  float dd = 0.0f;
  model::DRAWDN(10000.0f, 0.0001f, 1.0f, 0.001f, 144000.0f, model::DIST(100, c, r, 2.0f, 1.0f), dd);
  model::DRAWDN(10000.0f, 0.0001f, 1.0f, 0.001f, -300000.0f, model::DIST(100, c, r, 4.5f, 3.0f), dd);
  return dd;
}

// A run in a fresh folder holding in.dat.
struct ProgramRun {
  ScratchFolder folder;
  RunResult result;
  ProgramRun(const std::string& input, const std::vector<std::string>& arguments,
      const std::string& console = "in.dat\nout.rpt\n") {
    folder.write("in.dat", input);
    result = run_program(folder, console, arguments);
  }
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(CommandLineRun, HelpAndVersionPrintAndStop) {
  struct Case {
    std::vector<std::string> arguments;
    std::string out;
  };
  for (const Case& k : {Case{{"--help"}, driver::usage_text()}, Case{{"--version"}, "leaky-drawdown 1.0.0\n"},
                        Case{{"in.dat", "out.rpt", "--help"}, driver::usage_text()}}) {
    ProgramRun run(two_wells().text(), k.arguments);
    EXPECT_EQ(run.result.status, 0) << k.arguments[0];
    EXPECT_EQ(run.result.out, k.out);
    EXPECT_EQ(run.result.err, "");
    EXPECT_FALSE(run.folder.exists("ARCFILE")) << "nothing is opened";
    EXPECT_FALSE(run.folder.exists("out.rpt"));
  }
}

TEST(CommandLineRun, RefusedLinesOpenAndWriteNothing) {
  struct Case {
    std::vector<std::string> arguments;
    std::string message;
  };
  const Case cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"in.dat", "out.rpt", "more.txt"}, "unexpected argument 'more.txt' (at most INPUT and REPORT)"},
      {{"in.dat"}, "INPUT 'in.dat' needs a REPORT file name after it"},
      {{"--grid"}, "option '--grid' needs a file name"},
      {{"--plot", "map.gif", "in.dat", "out.rpt"}, "the plot file 'map.gif' must end in .png, .svg or .pdf"},
      {{"--plot", "map.png", "--dpi", "1200", "in.dat", "out.rpt"},
       "option '--dpi' takes a whole number of pixels per inch from 50 to 600, not '1200'"},
      {{"--plot", "map.png", "--page", "a4", "in.dat", "out.rpt"}, "option '--page' is for a .pdf plot, not 'map.png'"},
      {{"--plot", "map.svg", "--range", "9,1"},
       "option '--range' takes MIN,MAX in feet with MIN below MAX (e.g. 0,20), not '9,1'"},
      {{"--range", "0,5", "in.dat", "out.rpt"}, "option '--range' needs --plot"},
      {{"--grid", "dd.png", "in.dat", "out.rpt"},
       "option '--grid': 'dd.png' must end in .tif (GeoTIFF), .asc (ESRI ASCII grid) or .nc (netCDF)"},
      {{"--contours", "c.kml", "in.dat", "out.rpt"},
       "option '--contours': 'c.kml' must end in .gpkg (GeoPackage), .geojson or .shp (shapefile)"},
      {{"--grid", "dd.tif", "--crs", "EPSG:999999", "in.dat", "out.rpt"},
       "option '--crs': 'EPSG:999999' is not a CRS GDAL knows (e.g. EPSG:2264)"},
      {{"--contours", "c.gpkg", "--levels", "1,five", "in.dat", "out.rpt"},
       "option '--levels': 'five' is not a level (feet, separated by commas, e.g. 1,5,10)"},
      {{"--grid", "dd.asc", "--contours", "dd.shp", "--crs", "EPSG:2264"},
       "--grid and --contours would both write 'dd.prj'"},
  };
  for (const Case& k : cases) {
    ScratchFolder folder;
    folder.write("in.dat", two_wells().text());
    folder.write("ARCFILE", "an older raster\r\n");
    folder.write("out.rpt", "an older report\r\n");
    const RunResult r = run_program(folder, "in.dat\nout.rpt\n", k.arguments);
    EXPECT_EQ(r.status, 2) << k.message;
    EXPECT_EQ(r.err, "leaky-drawdown: " + k.message + "\n" + kHint);
    EXPECT_EQ(r.out, "") << "no prompt: the console is not read either";
    EXPECT_EQ(r.arcfile, "an older raster\r\n");
    EXPECT_EQ(r.report, "an older report\r\n");
    EXPECT_EQ(folder.read("in.dat"), two_wells().text());
  }
}

TEST(CommandLineRun, NamesAsArgumentsAnswerThePromptsAndLeaveTheConsoleUnread) {
  const ProgramRun asked(two_wells().text(), {});
  ASSERT_EQ(asked.result.status, 0);
  const std::string prompts = "Enter filename of the input file\r\nEnter output file name:\r\n";
  ASSERT_EQ(asked.result.out.substr(0, prompts.size()), prompts);

  // Whatever waits on the console input is not read.
  const ProgramRun named(two_wells().text(), {"in.dat", "out.rpt"}, "other.dat\nother.rpt\n");
  EXPECT_EQ(named.result.status, 0);
  EXPECT_EQ(named.result.err, "");
  EXPECT_EQ(named.result.out, asked.result.out.substr(prompts.size()));
  EXPECT_EQ(named.result.report, asked.result.report);
  EXPECT_EQ(named.result.arcfile, asked.result.arcfile);
  EXPECT_FALSE(named.folder.exists("other.rpt"));

  // Names longer than the console's 20 characters, with a folder, are used whole.
  ScratchFolder folder;
  std::filesystem::create_directory(folder.path() + "/reports");
  folder.write("input-with-a-long-name.dat", two_wells().text());
  const RunResult r = run_program(folder, "", {"input-with-a-long-name.dat", "reports/report-with-a-long-name.rpt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(folder.read("reports/report-with-a-long-name.rpt"), asked.result.report);
  EXPECT_EQ(r.arcfile, asked.result.arcfile);
}

TEST(CommandLineRun, GridHoldsEveryDrawdownExactly) {
  const ProgramRun plain(two_wells().text(), {});
  const ProgramRun run(two_wells().text(), {"--grid", "dd.asc", "in.dat", "out.rpt"});
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.err, "");
  EXPECT_EQ(run.result.report, plain.result.report) << "the report does not change";
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile) << "ARCFILE does not change";

  const std::vector<std::string> lines = lines_of(run.folder.read("dd.asc"));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "ncols        4");
  EXPECT_EQ(lines[1], "nrows        3");
  EXPECT_EQ(lines[2], "xllcorner    1050") << "node 1 lies one spacing from XLL 1000, the cell's centre";
  EXPECT_EQ(lines[3], "yllcorner    2050");
  EXPECT_EQ(lines[4], "cellsize     100");
  EXPECT_EQ(lines[5], "NODATA_value -9999");
  bool negative = false;
  for (int r = 3; r >= 1; --r) {
    std::istringstream row(lines[static_cast<std::size_t>(6 + 3 - r)]);
    for (int c = 1; c <= 4; ++c) {
      std::string value;
      ASSERT_TRUE(row >> value) << "row " << r;
      const float read = std::strtof(value.c_str(), nullptr);
      EXPECT_EQ(std::bit_cast<std::uint32_t>(read), std::bit_cast<std::uint32_t>(expected_cell(c, r)))
          << "node (" << c << ", " << r << "): " << value;
      negative = negative || read < 0;
    }
    std::string extra;
    EXPECT_FALSE(row >> extra) << "row " << r << " has " << extra;
  }
  EXPECT_TRUE(negative) << "the injecting well raises the head somewhere";
}

TEST(CommandLineRun, ConsoleNamesWithGridAndPlot) {
  const ProgramRun plain(two_wells().text(), {});
  const ProgramRun run(two_wells().text(), {"--grid=dd.asc", "--plot=map.png"});
  EXPECT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.out, plain.result.out) << "the console log is the dialogue's alone";
  EXPECT_EQ(run.result.report, plain.result.report);
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile);
  EXPECT_EQ(run.folder.read("dd.asc").substr(0, 14), "ncols        4");
  EXPECT_EQ(run.folder.read("map.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
}

TEST(CommandLineRun, PictureOnAPageOrAtAResolution) {
  const ProgramRun plain(two_wells().text(), {});
  const ProgramRun pdf(two_wells().text(), {"--plot", "memo.pdf", "--page", "a4", "--range", "-5,5", "in.dat", "out.rpt"});
  EXPECT_EQ(pdf.result.status, 0) << pdf.result.err;
  EXPECT_EQ(pdf.result.report, plain.result.report);
  const std::string memo = pdf.folder.read("memo.pdf");
  EXPECT_EQ(memo.substr(0, 5), "%PDF-");
  EXPECT_NE(memo.find("/MediaBox [ 0 0 841.8898 595.2756 ]"), std::string::npos) << "A4, landscape";

  // The same picture at two resolutions: the pixels scale with the dpi.
  auto png_width = [](const std::string& png) {
    std::uint32_t w = 0;
    for (int k = 16; k < 20; ++k) w = w << 8 | static_cast<unsigned char>(png[k]);
    return w;
  };
  const ProgramRun low(two_wells().text(), {"--plot", "map.png", "--dpi", "60", "in.dat", "out.rpt"});
  const ProgramRun standard(two_wells().text(), {"--plot", "map.png", "in.dat", "out.rpt"});
  ASSERT_EQ(low.result.status, 0) << low.result.err;
  ASSERT_EQ(standard.result.status, 0) << standard.result.err;
  const double ratio = static_cast<double>(png_width(standard.folder.read("map.png"))) / png_width(low.folder.read("map.png"));
  EXPECT_NEAR(ratio, 200.0 / 60.0, 0.01);
}

TEST(CommandLineRun, ExtraFilesThatCannotBeWrittenLeaveReportAndArcfileWhole) {
  const ProgramRun plain(two_wells().text(), {});
  struct Case {
    std::vector<std::string> arguments;
    std::string err;
  };
  const Case cases[] = {
      {{"--grid", "missing/dd.asc"}, "cannot write the grid file 'missing/dd.asc': No such file or directory\n"},
      {{"--grid", "missing/dd.tif"}, "cannot write the grid file 'missing/dd.tif': No such file or directory\n"},
      {{"--contours", "missing/c.gpkg"},
       "cannot write the contour file 'missing/c.gpkg': No such file or directory\n"},
      {{"--plot", "missing/map.svg"}, "cannot write the plot file 'missing/map.svg': No such file or directory\n"},
      // Both are tried: the grid fails, the picture is still drawn.
      {{"--grid", "missing/dd.asc", "--plot", "map.pdf"},
       "cannot write the grid file 'missing/dd.asc': No such file or directory\n"},
  };
  for (const Case& k : cases) {
    const ProgramRun run(two_wells().text(), k.arguments);
    EXPECT_EQ(run.result.status, base::kExitExtraOutput) << k.err;
    EXPECT_EQ(run.result.err, "leaky-drawdown: " + k.err);
    EXPECT_EQ(run.result.out, plain.result.out);
    EXPECT_EQ(run.result.report, plain.result.report) << k.err;
    EXPECT_EQ(run.result.arcfile, plain.result.arcfile) << k.err;
    EXPECT_EQ(run.folder.read("in.dat"), two_wells().text());
  }
  const ProgramRun both(two_wells().text(), {"--grid", "missing/dd.asc", "--plot", "map.pdf"});
  EXPECT_EQ(both.folder.read("map.pdf").substr(0, 5), "%PDF-");
}

TEST(CommandLineRun, GeoTiffAndContoursBesideAnUnchangedReportAndArcfile) {
  const ProgramRun plain(two_wells().text(), {});
  const ProgramRun run(two_wells().text(), {"--grid", "dd.tif", "--contours", "c.gpkg", "--crs", "EPSG:2264",
                                            "--levels", "-1,0,0.5", "--plot", "map.png", "in.dat", "out.rpt"});
  ASSERT_EQ(run.result.status, 0) << run.result.err;
  EXPECT_EQ(run.result.err, "");
  EXPECT_EQ(run.result.report, plain.result.report);
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile);
  EXPECT_EQ(run.folder.read("dd.tif").substr(0, 4), std::string("II*\0", 4));
  EXPECT_EQ(run.folder.read("c.gpkg").substr(0, 16), std::string("SQLite format 3\0", 16));
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(run.folder.path()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"ARCFILE", "c.gpkg", "dd.tif", "in.dat", "map.png", "out.rpt"}))
      << "no temporary file is left";

  // The .asc with a CRS gets its .prj, and a shapefile its four files.
  const ProgramRun asc(two_wells().text(), {"--grid", "dd.asc", "--crs", "EPSG:2264", "--contours", "c.shp"});
  ASSERT_EQ(asc.result.status, 0) << asc.result.err;
  EXPECT_EQ(asc.folder.read("dd.prj").substr(0, 7), "PROJCS[");
  for (const char* name : {"c.shp", "c.shx", "c.dbf", "c.prj"}) EXPECT_TRUE(asc.folder.exists(name)) << name;
}

TEST(CommandLineRun, GisFilesThatCannotBeWrittenLeaveOlderFiles) {
  // The name of a folder: GDAL writes the whole file under another name, and
  // putting it in place fails; the folder stays, nothing else is left.
  ScratchFolder folder;
  folder.write("in.dat", two_wells().text());
  std::filesystem::create_directory(folder.path() + "/dd.tif");
  const RunResult r = run_program(folder, "", {"--grid", "dd.tif", "--contours", "c.geojson", "in.dat", "out.rpt"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot write the grid file 'dd.tif': Is a directory\n");
  EXPECT_TRUE(std::filesystem::is_directory(folder.path() + "/dd.tif"));
  EXPECT_TRUE(folder.exists("c.geojson")) << "the other outputs are still written";
  std::size_t files = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++files;
  EXPECT_EQ(files, 5u) << "in.dat, out.rpt, ARCFILE, dd.tif, c.geojson: no temporary file is left";

  // The .prj beside the grid would replace the input file.
  ScratchFolder beside;
  beside.write("in.prj", two_wells().text());
  const RunResult p = run_program(beside, "", {"--grid", "in.asc", "--crs", "EPSG:2264", "in.prj", "out.rpt"});
  EXPECT_EQ(p.status, base::kExitExtraOutput);
  EXPECT_EQ(p.err, "leaky-drawdown: cannot write the grid file 'in.asc': 'in.prj', written beside it, is the input file\n");
  EXPECT_EQ(beside.read("in.prj"), two_wells().text());
  EXPECT_FALSE(beside.exists("in.asc"));
}

TEST(CommandLineRun, ExtraFilesNeverReplaceTheRunsOwnFiles) {
  // The grid's name must end in .tif or .asc, so the run's files are named so
  // here (ARCFILE through a link).
  struct Case {
    std::vector<std::string> arguments;
    std::string kept;  // the file that stays as the run left it
    std::string err;
  };
  const Case cases[] = {
      {{"--grid", "./in.asc", "in.asc", "out.rpt"}, "in.asc", "cannot write the grid file './in.asc': it is the input file\n"},
      {{"--grid", "out.tif", "in.asc", "out.tif"}, "out.tif", "cannot write the grid file 'out.tif': it is the report file\n"},
      {{"--contours", "arc.geojson", "in.asc", "out.rpt"}, "ARCFILE",
       "cannot write the contour file 'arc.geojson': it is ARCFILE\n"},
      {{"--grid", "dd.tif", "--plot", "map.png", "--contours", "c.shp", "in.asc", "c.dbf"}, "c.dbf",
       "cannot write the contour file 'c.shp': 'c.dbf', written beside it, is the report file\n"},
  };
  for (const Case& k : cases) {
    ScratchFolder folder;
    folder.write("in.asc", two_wells().text());
    std::filesystem::create_symlink("ARCFILE", folder.path() + "/arc.geojson");
    const RunResult r = run_program(folder, "", k.arguments);
    EXPECT_EQ(r.status, base::kExitExtraOutput) << k.err;
    EXPECT_EQ(r.err, "leaky-drawdown: " + k.err);
    const std::string kept = folder.read(k.kept);
    if (k.kept == "in.asc") {
      EXPECT_EQ(kept, two_wells().text());
    } else if (k.kept == "ARCFILE") {
      EXPECT_EQ(kept.substr(0, 4), "ncol");
    } else {
      EXPECT_NE(kept.find("SUMMARY OF INPUT DATA"), std::string::npos) << k.kept;
    }
  }
}

TEST(CommandLineRun, OutputsNamingOneFileByTwoSpellingsWriteItOnce) {
  // The names differ as text, so the command line takes them; the contour
  // layer's .prj is then refused as the file the grid's .prj was written to,
  // which keeps the grid's.
  const ProgramRun plain(two_wells().text(), {});
  ScratchFolder folder;
  folder.write("in.dat", two_wells().text());
  std::filesystem::create_directory(folder.path() + "/sub");
  const RunResult r = run_program(folder, "", {"--grid", "g.asc", "--crs", "EPSG:2264", "--contours", "./sub/../g.shp",
                                               "in.dat", "out.rpt"});
  EXPECT_EQ(r.status, base::kExitExtraOutput);
  EXPECT_EQ(r.err, "leaky-drawdown: cannot write the contour file './sub/../g.shp': './sub/../g.prj', written beside "
                   "it, is the grid file\n");
  EXPECT_EQ(folder.read("g.asc").substr(0, 14), "ncols        4") << "the grid file is whole";
  EXPECT_EQ(folder.read("g.prj").substr(0, 7), "PROJCS[");
  EXPECT_EQ(r.report, plain.result.report);
  EXPECT_EQ(r.arcfile, plain.result.arcfile);
}

TEST(CommandLineRun, ALoneDashNamesAFile) {
  // "-" is the file of that name, not the console: the input is read from
  // the file "-" and the console input is left unread.
  const ProgramRun plain(two_wells().text(), {});
  ScratchFolder folder;
  folder.write("-", two_wells().text());
  const RunResult r = run_program(folder, "not.dat\nread.rpt\n", {"-", "out.rpt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.report, plain.result.report);
  EXPECT_EQ(r.arcfile, plain.result.arcfile);
  EXPECT_EQ(folder.read("-"), two_wells().text());
  EXPECT_FALSE(folder.exists("read.rpt"));
}

TEST(CommandLineRun, GridWithoutNodesIsRefusedAfterTheRun) {
  Answers a = two_wells();
  a.NY = "0";
  const ProgramRun plain(a.text(), {});
  const ProgramRun run(a.text(), {"--grid", "dd.asc", "--contours", "c.gpkg", "--plot", "map.png"});
  EXPECT_EQ(run.result.status, base::kExitExtraOutput);
  EXPECT_EQ(without_warnings(run.result.err),
            "leaky-drawdown: cannot write the grid file 'dd.asc': the grid has no nodes (NX = 4, NY = 0)\n"
            "leaky-drawdown: cannot write the contour file 'c.gpkg': the grid has no nodes (NX = 4, NY = 0)\n"
            "leaky-drawdown: cannot write the plot file 'map.png': the grid has no nodes (NX = 4, NY = 0)\n");
  EXPECT_EQ(run.result.report, plain.result.report);
  EXPECT_EQ(run.result.arcfile, plain.result.arcfile);
  EXPECT_FALSE(run.folder.exists("dd.asc"));
  EXPECT_FALSE(run.folder.exists("c.gpkg"));
  EXPECT_FALSE(run.folder.exists("map.png"));
}

TEST(CommandLineRun, FailedRunWritesNoExtraFiles) {
  Answers a = two_wells();
  a.wells.pop_back();  // the input ends inside the second well
  const ProgramRun run(a.text(), {"--grid", "dd.tif", "--contours", "c.shp", "--plot", "map.png", "in.dat", "out.rpt"});
  EXPECT_EQ(run.result.status, 24);
  EXPECT_FALSE(run.folder.exists("dd.tif"));
  EXPECT_FALSE(run.folder.exists("c.shp"));
  EXPECT_FALSE(run.folder.exists("map.png"));
}

}  // namespace
