// Reading the command line.
#include "driver/options.h"

#include <gtest/gtest.h>

#include <string_view>
#include <variant>
#include <vector>

namespace {

using driver::Options;
using driver::UsageError;

std::variant<Options, UsageError> parse(std::vector<std::string_view> arguments) {
  return driver::parse_command_line(arguments);
}

Options accepted(std::vector<std::string_view> arguments) {
  auto parsed = parse(arguments);
  if (const auto* e = std::get_if<UsageError>(&parsed)) ADD_FAILURE() << "refused: " << e->message;
  return std::holds_alternative<Options>(parsed) ? std::get<Options>(parsed) : Options{};
}

TEST(CommandLine, NoArgumentsAskAtTheConsole) {
  const Options o = accepted({});
  EXPECT_FALSE(o.help || o.version);
  EXPECT_FALSE(o.input || o.report || o.grid || o.plot);
}

TEST(CommandLine, NamesAndOptionsInAnyOrder) {
  Options o = accepted({"in.dat", "--grid", "dd.asc", "out.rpt", "--plot=map.SVG"});
  EXPECT_EQ(o.input, "in.dat");
  EXPECT_EQ(o.report, "out.rpt");
  EXPECT_EQ(o.grid, "dd.asc");
  EXPECT_EQ(o.plot, "map.SVG");
  EXPECT_EQ(o.plot_format, maps::PlotFormat::kSvg);

  o = accepted({"--grid=dd.asc", "--plot", "map.pdf"});
  EXPECT_FALSE(o.input);
  EXPECT_EQ(o.grid, "dd.asc");
  EXPECT_EQ(o.plot_format, maps::PlotFormat::kPdf);

  // After "--" everything is a name, even one that starts with a dash.
  o = accepted({"--", "-in.dat", "--grid"});
  EXPECT_EQ(o.input, "-in.dat");
  EXPECT_EQ(o.report, "--grid");
  EXPECT_FALSE(o.grid);

  // Names are taken whole: no 20-character field on the command line.
  o = accepted({"a/folder/with/a-rather-long-input-name.dat", "out.rpt"});
  EXPECT_EQ(o.input, "a/folder/with/a-rather-long-input-name.dat");
}

TEST(CommandLine, AStudyFileInsteadOfTheRun) {
  EXPECT_EQ(accepted({"--study", "permit.toml"}).study, "permit.toml");
  const Options o = accepted({"--study=a folder/permit.toml"});
  EXPECT_EQ(o.study, "a folder/permit.toml");
  EXPECT_FALSE(o.input || o.grid || o.plot);
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
      {{"--grid", "same.png", "--plot", "same.png"}, "--grid and --plot name the same file"},
      {{"--version=2"}, "unknown option '--version=2'"},
      {{"--study"}, "option '--study' needs a file name"},
      {{"--study", "s.toml", "in.dat", "out.rpt"}, "--study takes neither INPUT REPORT nor --grid or --plot"},
      {{"--study=s.toml", "--grid", "g.asc"}, "--study takes neither INPUT REPORT nor --grid or --plot"},
  };
  for (const Case& k : cases) {
    const auto parsed = parse(k.arguments);
    ASSERT_TRUE(std::holds_alternative<UsageError>(parsed)) << k.says;
    const std::string& message = std::get<UsageError>(parsed).message;
    EXPECT_NE(message.find(k.says), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos) << "one line";
  }
}

TEST(CommandLine, UsageNamesEveryOption) {
  const std::string usage = driver::usage_text();
  for (const char* word : {"Usage: leaky-drawdown", "INPUT REPORT", "--grid FILE", "--plot FILE", "--study FILE", "--help", "--version",
                           ".png", ".svg", ".pdf", "Exit status"})
    EXPECT_NE(usage.find(word), std::string::npos) << word;
}

TEST(CommandLine, EvaluationFromTheEnvironment) {
  EXPECT_EQ(driver::evaluation_options(nullptr, "3").fast.threads, 3);
  EXPECT_EQ(driver::evaluation_options(nullptr, "100000").fast.threads, engine::kMaxThreads);
  for (const char* bad : {"0", "-2", "two", "", "4x"}) {
    EXPECT_EQ(driver::evaluation_options(nullptr, bad).fast.threads, engine::hardware_threads()) << bad;
  }
  EXPECT_EQ(driver::evaluation_options(nullptr, nullptr).fast.threads, engine::hardware_threads());
  EXPECT_EQ(driver::evaluation_options("reference", nullptr).method, engine::Method::reference);
  for (const char* other : {"fast", "", "Reference"}) {
    EXPECT_EQ(driver::evaluation_options(other, nullptr).method, engine::Method::fast) << other;
  }
}

}  // namespace
