#include "study_texts.h"

#include <gtest/gtest.h>
#include <json-c/json.h>

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
  const study::ReadFile read = [&](const std::string& path, std::string& why) -> std::optional<std::string> {
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

std::optional<std::vector<std::string>> inputs_by_json_c(const std::string& text) {
  json_tokener* tok = json_tokener_new();
  json_tokener_set_flags(tok, JSON_TOKENER_STRICT | JSON_TOKENER_VALIDATE_UTF8);
  json_object* root = json_tokener_parse_ex(tok, text.c_str(), static_cast<int>(text.size()));
  const bool whole = json_tokener_get_error(tok) == json_tokener_success;
  json_tokener_free(tok);
  if (root == nullptr || !whole) return std::nullopt;
  std::vector<std::string> files;
  json_object* inputs = nullptr;
  if (json_object_object_get_ex(root, "inputs", &inputs))
    for (std::size_t k = 0; k < json_object_array_length(inputs); ++k) {
      json_object* file = nullptr;
      json_object_object_get_ex(json_object_array_get_idx(inputs, k), "file", &file);
      files.emplace_back(json_object_get_string(file), static_cast<std::size_t>(json_object_get_string_len(file)));
    }
  json_object_put(root);
  return files;
}

}  // namespace study_testing
