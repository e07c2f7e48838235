#include "study/reader.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <vector>

#include "base/printable.h"
#include "files/sha256.h"
#include "study/reader_internal.h"

namespace study {

namespace fs = std::filesystem;

namespace reading {

Study StudyReader::read(std::string_view text) {
  const toml::table root = parse(text);
  check_keys(root, kTopKeys, "at the top of the file", kSections);

  Study s;
  s.file = file();
  s.inputs.push_back(file());
  if (const toml::node* n = root.get("title")) {
    s.title = string(*n, "title");
    if (const std::string why = name_fault(s.title); !why.empty()) fail(*n, "'title' " + why);
  } else {
    s.title = fs::path(file()).filename().string();
  }
  s.crs = optional_string(root, "crs").value_or("");
  if (const toml::node* n = root.get("units")) s.units = units_ = read_units(table(*n, "units"));
  if (const toml::node* n = root.get("fit")) note_fit_table(*n, s);
  s.times = days(required(root, "times", "the file", 0), "times");
  read_aquifer(table(required(root, "aquifer", "the file", 0), "aquifer"), s);
  read_grid(table(required(root, "grid", "the file", 0), "grid"), s.grid);

  if (const toml::node* n = root.get("well"))
    for (const auto& [t, where] : tables(*n, "well")) read_well(*t, where, s);
  if (const toml::node* n = root.get("wells_file")) {
    const CsvInput in = csv_input(*n, "wells_file", kWellColumns);
    read_wells_file(csv_path(in.name), in.named, s);
  }
  if (const toml::node* n = root.get("receptor"))
    for (const auto& [t, where] : tables(*n, "receptor")) read_receptor(*t, where, s);
  if (const toml::node* n = root.get("receptors_file")) {
    const CsvInput in = csv_input(*n, "receptors_file", kReceptorColumns);
    read_receptors_file(csv_path(in.name), in.named, s);
  }
  if (s.wells.empty())
    throw StudyError{file() + ": the study has no wells: give [[well]] tables or a wells_file"};

  s.output.base = folder_.empty() ? "." : folder_.string();
  s.output.folder = s.output.base;
  s.output.series_times = s.times;
  if (const toml::node* n = root.get("output")) read_output(table(*n, "output"), s);
  check_positions(s);
  if (const toml::node* n = root.get("boundary")) read_boundaries(*n, s);
  return s;
}

}  // namespace reading

std::string name_fault(std::string_view text) {
  std::size_t characters = 0;
  for (std::size_t i = 0; i < text.size(); ++characters) {
    const base::Utf8Character u = base::utf8_character(text.substr(i));
    if (u.length == 0) return "is not UTF-8 text (byte " + base::printable_name(text.substr(i, 1)) + ")";
    if (base::is_control(u.code))
      return "holds a control character (" + base::printable_name(text.substr(i, u.length)) + ")";
    i += u.length;
  }
  if (characters > kLongestName)
    return "is longer than " + std::to_string(kLongestName) + " characters (" + std::to_string(characters) + ")";
  return "";
}

std::string_view nearest_key(std::string_view key, std::span<const std::string_view> known) {
  const std::string a = reading::lower(key);
  std::string_view best;
  std::size_t best_distance = std::numeric_limits<std::size_t>::max();
  for (std::string_view candidate : known)
    if (const std::size_t d = edit_distance(a, reading::lower(candidate)); d < best_distance) {
      best_distance = d;
      best = candidate;
    }
  return best;
}

Study read_study(std::string_view text, const std::string& file, const ReadFile& read,
                 std::atomic<std::uint64_t>* rows) {
  return reading::StudyReader(file, read, rows).read(text);
}

Study read_study_file(const std::string& file, std::atomic<std::uint64_t>* rows) {
  std::string why;
  const std::optional<std::string> text = read_file(file, why, kLargestStudyFile);
  if (!text) throw StudyError{"cannot read the study file " + in_quotes(file) + ": " + why};
  // The CSV files must lie inside the study file's folder also after their
  // links are followed: a study received from someone else reads nothing
  // beside it.
  std::error_code ec;
  const fs::path folder = fs::weakly_canonical(fs::absolute(file, ec).parent_path(), ec);
  std::map<std::string, std::string> digests{{file, files::sha256_hex(*text)}};
  const ReadFile inside = [&](const std::string& path, std::string& reason) -> std::optional<std::string> {
    std::error_code e;
    const fs::path real = fs::weakly_canonical(fs::absolute(path, e), e);
    const auto [end, at] = std::mismatch(folder.begin(), folder.end(), real.begin(), real.end());
    if (e || end != folder.end() || at == real.end()) {
      reason = "it lies outside the study file's folder";
      return std::nullopt;
    }
    std::optional<std::string> bytes = read_file(path, reason);
    if (bytes) digests[path] = files::sha256_hex(*bytes);
    return bytes;
  };
  Study s = read_study(*text, file, inside, rows);
  for (const std::string& input : s.inputs) s.input_digests.push_back(digests[input]);
  return s;
}

}  // namespace study
