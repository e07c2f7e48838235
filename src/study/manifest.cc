#include "study/manifest.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>

#include "files/staged_files.h"

namespace study {
namespace {

std::string json_string(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') out += {'\\', c};
    else if (u < 0x20 || u == 0x7F) out += std::string("\\u00") + kDigits[u >> 4] + kDigits[u & 0xF];
    else out += c;
  }
  return out + "\"";
}

// The JSON string that starts at text[at] (a quote), unescaped; `at` moves past it.
std::string read_string(std::string_view text, std::size_t& at) {
  std::string out;
  for (++at; at < text.size() && text[at] != '"'; ++at) {
    if (text[at] != '\\' || at + 1 >= text.size()) {
      out += text[at];
      continue;
    }
    const char e = text[++at];
    if (e == 'u' && at + 4 < text.size()) {
      out += static_cast<char>(std::strtol(std::string(text.substr(at + 1, 4)).c_str(), nullptr, 16) & 0xFF);
      at += 4;
    } else {
      out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
    }
  }
  ++at;
  return out;
}

}  // namespace

std::string utc_time(std::int64_t seconds) {
  const std::time_t t = static_cast<std::time_t>(seconds);
  std::tm tm {};
  gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &tm);
  return text;
}

std::string manifest_text(const Manifest& m) {
  std::string out = "{\n  \"program\": " + json_string(m.version) + ",\n  \"inputs\": [";
  for (std::size_t k = 0; k < m.inputs.size(); ++k)
    out += std::string(k == 0 ? "\n" : ",\n") + "    {\"file\": " + json_string(m.inputs[k].name) +
           ", \"sha256\": " + json_string(m.inputs[k].sha256) + "}";
  out += m.inputs.empty() ? "],\n  \"outputs\": [" : "\n  ],\n  \"outputs\": [";
  for (std::size_t k = 0; k < m.outputs.size(); ++k)
    out += std::string(k == 0 ? "\n" : ",\n") + "    {\"file\": " + json_string(m.outputs[k].name) +
           ", \"sha256\": " + json_string(m.outputs[k].sha256) + ", \"bytes\": " + std::to_string(m.outputs[k].size) + "}";
  out += m.outputs.empty() ? "],\n  \"warnings\": [" : "\n  ],\n  \"warnings\": [";
  for (std::size_t k = 0; k < m.warnings.size(); ++k)
    out += std::string(k == 0 ? "\n    " : ",\n    ") + json_string(m.warnings[k]);
  out += m.warnings.empty() ? "],\n" : "\n  ],\n";
  out += "  \"started\": " + json_string(m.started) + ",\n  \"ended\": " + json_string(m.ended) + "\n}\n";
  return out;
}

std::vector<std::string> listed_outputs(std::string_view text) {
  std::vector<std::string> names;
  const std::size_t outputs = text.find("\"outputs\": [");
  if (outputs == std::string_view::npos) return names;
  const std::size_t end = text.find(']', outputs);
  for (std::size_t at = text.find("{\"file\": \"", outputs); at < end; at = text.find("{\"file\": \"", at)) {
    at += 9;
    std::string name = read_string(text, at);
    if (files::is_plain_name(name)) names.push_back(std::move(name));
  }
  return names;
}

bool is_output_name(const std::string& name) {
  static const char* const kEndings[] = {".asc", ".prj", ".tif", ".tiff", ".gpkg", ".geojson", ".shp", ".shx",
                                         ".dbf", ".cpg", ".png", ".svg", ".pdf", ".csv"};
  std::string ending = files::ending_of(name);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return std::tolower(c); });
  return files::is_plain_name(name) && ending.size() < name.size() &&
         std::find(std::begin(kEndings), std::end(kEndings), ending) != std::end(kEndings);
}

}  // namespace study
