#include "study_texts.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace study_testing {

std::string edited(const std::string& text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << "missing: " << from;
  if (at == std::string::npos) return text;
  return text.substr(0, at) + to + text.substr(at + from.size());
}

study::Study read_text(const std::string& text, const std::map<std::string, std::string>& files) {
  const inputs::ReadFile read = [&](const std::string& path, std::string& why) -> std::optional<std::string> {
    const auto it = files.find(path);
    if (it == files.end()) {
      why = "No such file or directory";
      return std::nullopt;
    }
    return it->second;
  };
  return study::read_study(text, "study.toml", read);
}

std::string bundled_example() {
  std::ifstream in(std::string(LEAKY_SOURCE_DIR) + "/examples/wellfield.dat", std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string study_of_input_file_run(const std::string& input, const std::string& extra) {
  // The first word of each line is the answer.
  std::vector<std::string> a;
  std::istringstream lines(input);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string first;
    if (words >> first) a.push_back(first);
  }
  const double XLL = std::stod(a[2]), YLL = std::stod(a[3]), SPACING = std::stod(a[8]);
  std::ostringstream s;
  s.precision(17);
  s << "times = [" << a[7] << "]\n\n[aquifer]\ntransmissivity = " << a[4] << "\nleakance = " << a[5]
    << "\nstorage = " << a[6] << "\n\n[grid]\nxll = " << XLL + SPACING / 2 << "\nyll = " << YLL + SPACING / 2
    << "\nspacing = " << a[8] << "\ncolumns = " << a[0] << "\nrows = " << a[1] << "\n";
  const int wells = std::stoi(a[10]);
  for (int k = 0; k < wells; ++k) {
    const double x = std::stod(a[11 + 3 * k]), y = std::stod(a[12 + 3 * k]);
    s << "\n[[well]]\nname = \"W" << k + 1 << "\"\nx = " << XLL + x * SPACING << "\ny = " << YLL + y * SPACING
      << "\nrate = " << a[13 + 3 * k] << "\n";
  }
  return s.str() + extra;
}

}  // namespace study_testing
