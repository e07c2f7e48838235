#include "study/manifest.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <optional>

#include "base/printable.h"
#include "files/staged_files.h"

namespace study {
namespace {

// `text` as a JSON string: well-formed UTF-8 as it is, the C0 controls and
// DEL as \u escapes, and each byte that is not part of well-formed UTF-8 in
// the form the program's messages show it ("\xff", its backslash escaped),
// so that the manifest is valid JSON whatever the names it lists.
std::string json_string(std::string_view text) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const base::Utf8Character u = base::utf8_character(text.substr(i));
    const auto c = static_cast<unsigned char>(text[i]);
    if (u.length > 1) {
      out.append(text.substr(i, u.length));
      i += u.length;
      continue;
    }
    ++i;
    if (u.length == 0) out += std::string("\\\\x") + kDigits[c >> 4] + kDigits[c & 0xF];
    else if (c == '"' || c == '\\') out += {'\\', static_cast<char>(c)};
    else if (c < 0x20 || c == 0x7F) out += std::string("\\u00") + kDigits[c >> 4] + kDigits[c & 0xF];
    else out += static_cast<char>(c);
  }
  return out + "\"";
}

// The code point `code` in UTF-8 (a lone surrogate too, which is then not
// well-formed UTF-8: a name holding one is refused where names are checked).
void append_utf8(std::string& out, unsigned code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

unsigned hex_value(char h) {
  return h <= '9' ? static_cast<unsigned>(h - '0') : static_cast<unsigned>(std::tolower(h) - 'a' + 10);
}

// The JSON string that starts at text[at] (a quote), unescaped; `at` moves
// past it. A \u escape gives its code point in UTF-8 (\u0000 a NUL byte).
std::string read_string(std::string_view text, std::size_t& at) {
  std::string out;
  for (++at; at < text.size() && text[at] != '"'; ++at) {
    if (text[at] != '\\' || at + 1 >= text.size()) {
      out += text[at];
      continue;
    }
    const char e = text[++at];
    unsigned code = 0;
    if (e == 'u' && at + 4 < text.size() &&
        std::all_of(text.begin() + at + 1, text.begin() + at + 5, [](char h) { return std::isxdigit(h) != 0; })) {
      for (int k = 1; k <= 4; ++k) code = code * 16 + hex_value(text[at + k]);
      append_utf8(out, code);
      at += 4;
    } else {
      out += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'b' ? '\b' : e == 'f' ? '\f' : e;
    }
  }
  ++at;
  return out;
}

// The whole number that starts at text[at], or nothing; `at` moves past it.
std::optional<std::uint64_t> read_count(std::string_view text, std::size_t& at) {
  std::uint64_t n = 0;
  const std::size_t start = at;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9' && at - start < 19; ++at)
    n = n * 10 + static_cast<unsigned>(text[at] - '0');
  if (at == start) return std::nullopt;
  return n;
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
  if (!m.uncertainty.empty()) out += "  \"uncertainty\": " + m.uncertainty + ",\n";
  out += "  \"started\": " + json_string(m.started) + ",\n  \"ended\": " + json_string(m.ended) + "\n}\n";
  return out;
}

std::vector<ListedOutput> listed_outputs(std::string_view text) {
  std::vector<ListedOutput> listed;
  const std::size_t outputs = text.find("\"outputs\": [");
  if (outputs == std::string_view::npos) return listed;
  const std::size_t end = text.find(']', outputs);
  static constexpr std::string_view kFile = "{\"file\": \"", kSha = ", \"sha256\": \"", kBytes = ", \"bytes\": ";
  for (std::size_t at = text.find(kFile, outputs); at < end; at = text.find(kFile, at)) {
    at += kFile.size() - 1;
    ListedOutput entry;
    entry.name = read_string(text, at);
    if (at < text.size() && text.substr(at, kSha.size()) == kSha) {
      at += kSha.size() - 1;
      entry.sha256 = read_string(text, at);
      if (at < text.size() && text.substr(at, kBytes.size()) == kBytes) {
        at += kBytes.size();
        entry.size = read_count(text, at);
      }
    }
    if (files::is_plain_name(entry.name)) listed.push_back(std::move(entry));
  }
  return listed;
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
