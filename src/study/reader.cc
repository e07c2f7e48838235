#include "study/reader.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <map>
#include <vector>

#include "base/printable.h"
#include "files/sha256.h"
#include "inputs/read_file.h"
#include "study/reader_allocation.h"
#include "study/reader_depletion.h"
#include "study/reader_internal.h"
#include "study/reader_memo.h"
#include "study/reader_probability.h"

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
  s.series_times = s.times;
  stream_limits_ = stream_limits_given(root);
  if (const toml::node* n = root.get("output")) read_output(table(*n, "output"), s);
  check_positions(s);
  if (const toml::node* n = root.get("boundary")) read_boundaries(*n, s);
  read_stream_keys(root, file(), s);
  if (const toml::node* n = root.get("uncertainty")) read_uncertainty(table(*n, "uncertainty"), s);
  read_allocation_keys(root, file(), s);
  read_calendar_keys(root, file(), s);
  read_probability_keys(root, file(), s);
  return s;
}

}  // namespace reading

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
  const fs::path folder = inputs::real_folder_of(file);
  std::map<std::string, std::string> digests{{file, files::sha256_hex(*text)}};
  const ReadFile inside = [&](const std::string& path, std::string& reason) -> std::optional<std::string> {
    if (!inputs::lies_inside(folder, path)) {
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
