// The study reader's values shared by its sections: names, numbers, days,
// file names.

#include "study/reader_internal.h"

#include <cmath>
#include <limits>

#include "base/printable.h"
#include "files/output_folder.h"

namespace study::reading {

std::string trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::string lower(std::string_view s) {
  std::string l(s);
  for (char& c : l) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return l;
}

std::optional<std::string> StudyReader::optional_string(const toml::table& t, std::string_view key) const {
  const toml::node* n = t.get(key);
  if (n == nullptr) return std::nullopt;
  return string(*n, key);
}

// A file or folder the study names: relative to the study file's folder and
// inside it (no '..' that leaves it).
std::string StudyReader::inner_path(const toml::node& n, std::string_view key) const {
  const std::string name = file_name(n, key);
  if (!files::stays_within(name))
    fail(n, in_quotes(key) + " must lie inside the study file's folder (a relative name without '..' that leaves it), not " +
                in_quotes(name));
  return name;
}

// An output's name: a plain file name in the output folder.
std::string StudyReader::output_name(const toml::node& n, std::string_view key) const {
  const std::string name = file_name(n, key);
  if (!files::is_plain_name(name))
    fail(n, in_quotes(key) + " must be a plain file name in the output folder (no '/'; set the folder with 'folder'), not " +
                in_quotes(name));
  return name;
}

// A number the evaluation takes in single precision: within its range.
double StudyReader::single_number(const toml::node& n, std::string_view key) const {
  const double v = number(n, key);
  if (!std::isfinite(static_cast<float>(v)))
    fail(n, in_quotes(key) + " = " + base::shortest_text(v) + " lies beyond single precision's range (3.4e38)");
  return v;
}

std::int32_t StudyReader::whole(const toml::node& n, std::string_view key, std::int64_t least, const std::string& what) const {
  std::int64_t v = 0;
  if (const auto* i = n.as_integer()) {
    v = i->get();
  } else if (const auto* f = n.as_floating_point(); f != nullptr && std::trunc(f->get()) == f->get()) {
    if (!(std::fabs(f->get()) < 1e18)) fail(n, in_quotes(key) + " must be " + what + ", not " + base::shortest_text(f->get()));
    v = static_cast<std::int64_t>(f->get());
  } else {
    std::string message = in_quotes(key) + " must be a whole number, not " + kind(n);
    if (const auto* f = n.as_floating_point()) message.append(" ").append(base::shortest_text(f->get()));
    fail(n, message);
  }
  if (v < least || v > std::numeric_limits<std::int32_t>::max())
    fail(n, in_quotes(key) + " must be " + what + ", not " + std::to_string(v));
  return static_cast<std::int32_t>(v);
}

// Days: an array of increasing numbers above 0.
std::vector<double> StudyReader::days(const toml::node& n, std::string_view key) const {
  const toml::array* a = n.as_array();
  if (a == nullptr) fail(n, in_quotes(key) + " must be an array of days, like [30.0, 90.0], not " + kind(n));
  if (a->empty()) fail(n, in_quotes(key) + " must hold at least one day");
  std::vector<double> out;
  for (const toml::node& e : *a) {
    const double v = single_number(e, key);
    if (v <= 0.0) fail(e, "the days of " + in_quotes(key) + " must be above 0, not " + base::shortest_text(v));
    if (!out.empty() && v <= out.back())
      fail(e, "the days of " + in_quotes(key) + " must increase: " + base::shortest_text(v) + " follows " + base::shortest_text(out.back()));
    out.push_back(v);
  }
  return out;
}

std::string StudyReader::name(const toml::table& t, const std::string& where) const {
  const toml::node& n = required(t, "name", where, t.source().begin.line);
  std::string v = trimmed(string(n, "name"));
  if (v.empty()) fail(n, where + " has an empty 'name'");
  if (const std::string why = name_fault(v); !why.empty()) fail(n, "'name' of " + where + " " + why);
  return v;
}

// Registers `name` (a `what`, given at `from`) in `names`; a name given
// before is refused, naming where it was first given.
void StudyReader::register_name(std::unordered_map<std::string, Origin>& names, const std::string& name,
                   std::string_view what, const Origin& from) const {
  const auto [it, fresh] = names.try_emplace(name, from);
  if (!fresh)
    throw StudyError{where(from) + ": a second " + std::string(what) + " named " + in_quotes(name) + " (the first: " +
                     where(it->second) + ")"};
  if (rows_ != nullptr) rows_->fetch_add(1, std::memory_order_relaxed);
}

void StudyReader::add_well(Study& s, Well w, const Origin& from) {
  register_name(well_names_, w.name, "well", from);
  s.wells.push_back(std::move(w));
}

void StudyReader::add_receptor(Study& s, Receptor r, const Origin& from) {
  register_name(receptor_names_, r.name, "receptor", from);
  s.receptors.push_back(std::move(r));
}

// A length above 0 (a well's radius, a receptor's limit).
double StudyReader::positive(const toml::node& n, std::string_view key) const {
  const double v = number(n, key);
  if (!(v > 0.0)) fail(n, in_quotes(key) + " must be above 0 " + std::string(units_.length.word) + ", not " + base::shortest_text(v));
  return v;
}

}  // namespace study::reading
