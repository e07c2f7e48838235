// The layout of the code: every file of src/ includes only the folders that
// its folder's row of the README's layout table names (and its own). The
// table is the one list; a new folder needs a row, a new dependency a word in
// its row.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Table = std::map<std::string, std::set<std::string>>;  // folder: the folders it may include

std::string text_of(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// The rows of the table under the README's heading "How the code is laid
// out": | `src/NAME` | what it holds | a, b, c (or nothing) |
Table layout_table(const std::string& readme) {
  Table table;
  const std::size_t section = readme.find("\n## How the code is laid out");
  if (section == std::string::npos) return table;
  std::istringstream lines(readme.substr(section + 1));
  std::string line;
  std::getline(lines, line);  // the heading
  const std::regex row(R"(^\| `src/(\w+)` \|.*\| ([^|]*) \|$)");
  while (std::getline(lines, line) && line.rfind("## ", 0) != 0) {
    std::smatch m;
    if (!std::regex_match(line, m, row)) continue;
    std::set<std::string>& allowed = table[m[1]];
    std::istringstream names(m[2].str());
    for (std::string name; std::getline(names, name, ',');) {
      name.erase(0, name.find_first_not_of(' '));
      if (!name.empty() && name != "nothing") allowed.insert(name);
    }
  }
  return table;
}

// The faults of one file of folder `folder` holding `text`: each include of
// a folder of `table` that the folder's row does not name.
std::vector<std::string> faults_of(const Table& table, const std::string& folder, const std::string& file,
                                   const std::string& text) {
  std::vector<std::string> faults;
  const auto row = table.find(folder);
  if (row == table.end()) return {file + ": the folder src/" + folder + " has no row in the layout table"};
  const std::regex include(R"(^\s*#\s*include\s*"(\w+)/)");
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (!std::regex_search(line, m, include)) continue;
    const std::string target = m[1];
    // Only the program's own folders are checked ("hwy/highway.h" is a library's).
    if (target == folder || !table.contains(target) || row->second.contains(target)) continue;
    faults.push_back(file + " includes " + target + "/, which src/" + folder + " may not include");
  }
  return faults;
}

TEST(Layout, TheCheckFindsWhatATableForbids) {
  const Table table = layout_table(
      "# x\n\n## How the code is laid out\n\n| folder | what | may include |\n|---|---|---|\n"
      "| `src/base` | names | nothing |\n| `src/model` | formulas | base |\n| `src/study` | studies | base, model |\n"
      "\n## Next\n\n| `src/late` | not in the table | base |\n");
  ASSERT_EQ(table.size(), 3u) << "rows after the section are not the table's";
  EXPECT_TRUE(table.at("base").empty());
  EXPECT_EQ(table.at("study"), (std::set<std::string>{"base", "model"}));
  const struct {
    const char* folder;
    const char* text;
    std::size_t faults;
  } kCases[] = {
      {"study", "#include \"model/a.h\"\n#include \"base/b.h\"\n#include \"study/c.h\"\n", 0},
      {"model", "#include \"study/x.h\"\n", 1},
      {"base", "  #  include \"model/y.h\"\n#include \"hwy/highway.h\"\n#include <study/z.h>\n", 1},
      {"late", "#include \"base/b.h\"\n", 1},
  };
  for (const auto& c : kCases)
    EXPECT_EQ(faults_of(table, c.folder, "f.cc", c.text).size(), c.faults) << c.folder << ": " << c.text;
}

TEST(Layout, EveryIncludeOfSrcIsOneItsFolderMayMake) {
  const fs::path root = LEAKY_SOURCE_DIR;
  const Table table = layout_table(text_of(root / "README.md"));
  ASSERT_GE(table.size(), 10u) << "the README's layout table was not found";
  std::vector<std::string> faults;
  std::size_t files = 0;
  for (const fs::directory_entry& e : fs::recursive_directory_iterator(root / "src")) {
    const std::string ext = e.path().extension();
    if (!e.is_regular_file() || (ext != ".h" && ext != ".cc")) continue;
    const fs::path relative = fs::relative(e.path(), root / "src");
    const std::vector<std::string> found =
        faults_of(table, relative.begin()->string(), "src/" + relative.string(), text_of(e.path()));
    faults.insert(faults.end(), found.begin(), found.end());
    ++files;
  }
  EXPECT_GT(files, 100u);
  for (const std::string& f : faults) ADD_FAILURE() << f;
}

}  // namespace
