#include "inputs/toml_reader.h"

#include <algorithm>
#include <cmath>

#include "base/printable.h"
#include "base/shortest_text.h"
#include "inputs/names.h"
#include "inputs/toml_text.h"

namespace inputs {
namespace {

bool contains(std::span<const std::string_view> keys, std::string_view key) {
  return std::find(keys.begin(), keys.end(), key) != keys.end();
}

}  // namespace

std::string in_quotes(std::string_view text) {
  constexpr std::size_t kLongest = 80;
  std::string quoted(1, '\'');
  quoted += base::printable_cut(text, kLongest);
  quoted += '\'';
  return quoted;
}

std::string kind(const toml::node& n) {
  switch (n.type()) {
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "a whole number";
    case toml::node_type::floating_point: return "a number with a point";
    case toml::node_type::boolean: return "true or false";
    case toml::node_type::array: return "an array";
    case toml::node_type::table: return "a table";
    default: return "a date or time";
  }
}

void TomlReader::fail(std::size_t line, const std::string& what) const {
  throw InputError{file_ + (line > 0 ? ":" + std::to_string(line) : std::string()) + ": " + what};
}

toml::table TomlReader::parse(std::string_view text) const {
  if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);  // a byte-order mark
  if (const std::size_t at = private_use(text); at != std::string_view::npos) {
    const std::string_view before = text.substr(0, at);
    fail(1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n')),
         "private-use characters from U+F0000 on are not read, nor escapes for them");
  }
  try {
    return toml::parse(shifted_for_toml(text), file_);
  } catch (const toml::parse_error& e) {
    const auto& at = e.source().begin;
    constexpr std::size_t kLongest = 80;
    throw InputError{file_ + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) +
                     ": not a valid TOML file: " + base::printable_cut(shifted_back(e.description()), kLongest)};
  }
}

void TomlReader::check_keys(const toml::table& t, std::span<const std::string_view> known, const std::string& where,
                            std::span<const KeySection> sections) const {
  for (const auto& [k, v] : t) {
    const std::string key = shifted_back(k.str());
    if (contains(known, key)) continue;
    std::string hint;
    for (const KeySection& section : sections)
      if (section.keys.data() != known.data() && contains(section.keys, key)) {
        hint = in_quotes(key) + " belongs " + std::string(section.place);
        break;
      }
    if (hint.empty()) hint = "did you mean " + in_quotes(nearest_key(key, known)) + "?";
    fail(k.source().begin.line, "unknown key " + in_quotes(key) + " " + where + "; " + hint);
  }
}

const toml::node& TomlReader::required(const toml::table& t, std::string_view key, const std::string& where,
                                       std::size_t line) const {
  const toml::node* n = t.get(key);
  if (n == nullptr) fail(line, where + " has no key " + in_quotes(key));
  return *n;
}

const toml::table& TomlReader::table(const toml::node& n, std::string_view key) const {
  const toml::table* t = n.as_table();
  if (t == nullptr) fail(n, in_quotes(key) + " must be a table ([" + std::string(key) + "]), not " + kind(n));
  return *t;
}

std::vector<std::pair<const toml::table*, std::string>> TomlReader::tables(const toml::node& n,
                                                                           std::string_view key) const {
  const std::string form = "[[" + std::string(key) + "]]";
  const toml::array* a = n.as_array();
  if (a == nullptr) fail(n, in_quotes(key) + " must be given as " + form + " tables, not " + kind(n));
  std::vector<std::pair<const toml::table*, std::string>> out;
  for (std::size_t i = 0; i < a->size(); ++i) {
    const toml::table* t = (*a)[i].as_table();
    if (t == nullptr) fail((*a)[i], in_quotes(key) + " must be given as " + form + " tables, not " + kind((*a)[i]));
    out.emplace_back(t, form + " " + std::to_string(i + 1));
  }
  return out;
}

std::string TomlReader::string(const toml::node& n, std::string_view key) const {
  const auto* v = n.as_string();
  if (v == nullptr) fail(n, in_quotes(key) + " must be a string in quotes, not " + kind(n));
  return shifted_back(v->get());
}

std::string TomlReader::file_name(const toml::node& n, std::string_view key) const {
  std::string name = string(n, key);
  if (name.empty()) fail(n, in_quotes(key) + " must name a file, not be empty");
  for (char c : name)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) fail(n, in_quotes(key) + " holds a control character");
  return name;
}

double TomlReader::number(const toml::node& n, std::string_view key) const {
  double v = 0.0;
  if (const auto* i = n.as_integer())
    v = static_cast<double>(i->get());
  else if (const auto* f = n.as_floating_point())
    v = f->get();
  else
    fail(n, in_quotes(key) + " must be a number, not " + kind(n));
  if (!std::isfinite(v)) fail(n, in_quotes(key) + " must be a finite number, not " + base::shortest_text(v));
  return v;
}

}  // namespace inputs
