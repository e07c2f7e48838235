// Every message that quotes a name, a field or a value the user gave, run end
// to end with hostile bytes in it: an ESC sequence, a line end that would
// forge a second message line, a C1 control raw and as UTF-8, bytes that are
// not UTF-8, DEL. Each message must reach standard error with all of them as
// visible escapes (base::printable_name), and nothing else may be written.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "base/printable.h"
#include "program_run.h"

namespace {

using testing_support::run_program;
using testing_support::RunResult;
using testing_support::ScratchFolder;

// A byte sequence with every kind of hostile byte, and how messages show it.
const std::string kHostile = "\x1b[2J\nleaky-drawdown: forged\x9b\xc2\x9b\x7f\xff";
const std::string kShown = "\\x1b[2J\\nleaky-drawdown: forged\\x9b\\u009b\\x7f\\xff";
// The same as a TOML string's escapes (TOML files are UTF-8: no raw bytes).
const std::string kTomlHostile = "\\u001b[2J\\nleaky-drawdown: forged\\u009b\\u007f";
const std::string kTomlShown = "\\x1b[2J\\nleaky-drawdown: forged\\u009b\\x7f";

const std::string kInput = "3\n2\n0\n0\n50000\n0.001\n0.0002\n30\n100\n2\n1\n2\n1\n100000\n";

std::string study(const std::string& extra_top, const std::string& well_name = "PW-1",
                  const std::string& extra_output = "") {
  return "title = \"t\"\ntimes = [30.0]\n" + extra_top +
         "\n[aquifer]\ntransmissivity = 50000.0\nleakance = 0.001\nstorage = 0.0002\n\n"
         "[grid]\nxll = 0.0\nyll = 0.0\nspacing = 100\ncolumns = 4\nrows = 3\n\n"
         "[[well]]\nname = \"" + well_name + "\"\nx = 150.0\ny = 150.0\nrate = 250000.0\n" +
         (extra_output.empty() ? "" : "\n[output]\n" + extra_output);
}

struct Message {
  const char* what;
  std::map<std::string, std::string> files;  // written before the run
  std::vector<std::string> arguments;
  std::map<std::string, std::string> environment;
  int status;
  std::string says;  // a part of standard error that shows the escapes
};

std::vector<Message> messages() {
  const std::string hostile_study = kHostile + ".toml";
  std::string titled = study("");
  titled.replace(titled.find("\"t\""), 3, "\"" + kTomlHostile + "\"");
  return {
      {"an INPUT that does not exist", {}, {kHostile, "out.rpt"}, {}, 29,
       "cannot read the input file '" + kShown + "': no such file"},
      {"--check of an INPUT that does not exist", {}, {"--check", kHostile}, {}, 29,
       "cannot read the input file '" + kShown + "': no such file"},
      {"the I/O report of a file that cannot be opened", {{"in.dat", kInput}}, {"in.dat", kHostile + "/x"}, {}, 29,
       kShown + "/x"},
      {"the failed read's second line", {{kHostile, "x\n"}}, {kHostile, "out.rpt"}, {}, 59,
       "while reading NX from line 1 of " + kShown + ": 'x' is not a number"},
      {"the failed read's second line, at the end", {{kHostile, ""}}, {"--check", kHostile}, {}, 24,
       "while reading NX from " + kShown + ": the file is empty"},
      {"an unknown option", {}, {"--" + kHostile}, {}, 2, "unknown option '--" + kShown + "'"},
      {"an extra output that cannot be written", {{"in.dat", kInput}},
       {"--grid", kHostile + "/dd.asc", "in.dat", "out.rpt"}, {}, 3, "cannot write the grid file '" + kShown},
      {"LEAKY_THREADS", {}, {"--version"}, {{"LEAKY_THREADS", kHostile}}, 2, "not '" + kShown + "'"},
      {"LEAKY_EVALUATION", {}, {"--version"}, {{"LEAKY_EVALUATION", kHostile}}, 2, "not '" + kShown + "'"},
      {"a study file that cannot be read", {}, {"--study", hostile_study}, {}, 2,
       "cannot read the study file '" + kShown + ".toml'"},
      {"a study refused, named by its file", {{hostile_study, study("bogus = 1\n")}}, {"--study", hostile_study}, {},
       2, kShown + ".toml:3: unknown key 'bogus'"},
      {"a title with controls", {{"s.toml", titled}}, {"--study", "s.toml"}, {}, 2,
       "s.toml:1: 'title' holds a control character (\\x1b)"},
      {"a well name with controls", {{"s.toml", study("", kTomlHostile)}}, {"--study", "s.toml"}, {}, 2,
       "'name' of [[well]] 1 holds a control character (\\x1b)"},
      {"a key in quotes", {{"s.toml", study("\"" + kTomlHostile + "\" = 1\n")}}, {"--study", "s.toml"}, {}, 2,
       "unknown key '" + kTomlShown + "'"},
      {"a value in quotes", {{"s.toml", study("", "PW-1", "well_function = \"" + kTomlHostile + "\"\n")}},
       {"--study", "s.toml"}, {}, 2, "not '" + kTomlShown + "'"},
      {"a CSV name", {{"s.toml", study("wells_file = \"w.csv\"\n")}, {"w.csv", "\"" + kHostile + "\",0,0,5\n"}},
       {"--study", "s.toml"}, {}, 2, "w.csv:1: the name field holds a control character (\\x1b)"},
      {"a CSV name of other bytes", {{"s.toml", study("wells_file = \"w.csv\"\n")}, {"w.csv", "A\xff,0,0,5\n"}},
       {"--study", "s.toml"}, {}, 2, "w.csv:1: the name field is not UTF-8 text (byte \\xff)"},
      {"a CSV number", {{"s.toml", study("wells_file = \"w.csv\"\n")}, {"w.csv", "A,\"" + kHostile + "\",0,5\n"}},
       {"--study", "s.toml"}, {}, 2, "the x field is not a number: '" + kShown + "'"},
  };
}

// True when `text` holds no control character but the line ends, and only
// well-formed UTF-8.
bool printable_lines(const std::string& text) {
  for (std::size_t i = 0; i < text.size();) {
    const base::Utf8Character u = base::utf8_character(std::string_view(text).substr(i));
    if (u.length == 0 || (base::is_control(u.code) && u.code != '\n')) return false;
    i += u.length;
  }
  return true;
}

TEST(HostileMessages, EveryMessageShowsNamesAndFieldsWithEscapes) {
  for (const Message& m : messages()) {
    SCOPED_TRACE(m.what);
    ScratchFolder folder;
    for (const auto& [name, bytes] : m.files) folder.write(name, bytes);
    for (const auto& [name, value] : m.environment) ::setenv(name.c_str(), value.c_str(), 1);
    const RunResult r = run_program(folder, "", m.arguments);
    for (const auto& [name, value] : m.environment) ::unsetenv(name.c_str());
    EXPECT_EQ(r.status, m.status) << r.err;
    EXPECT_TRUE(printable_lines(r.err)) << r.err;
    EXPECT_NE(r.err.find(m.says), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("\nleaky-drawdown: forged"), std::string::npos) << "no forged line";
  }
}

}  // namespace
