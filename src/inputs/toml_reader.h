// The values of a TOML input file as the program's readers take them (the
// study file, the pumping-test file): parsed with toml++ through the text
// shift of toml_text.h, every value checked for its type, and every refusal
// one line naming the file and the line.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <toml++/toml.h>

#include "inputs/input_error.h"

namespace inputs {

/// `text` in quotes as a message shows it: printable, long texts cut.
std::string in_quotes(std::string_view text);

/// What a TOML value is, as a message names it ("a string", "an array").
std::string kind(const toml::node& n);

/// Where a known key belongs, for the hint on a key written in the wrong table.
struct KeySection {
  std::string_view place;                  ///< "in [aquifer]"
  std::span<const std::string_view> keys;  ///< the keys it takes
};

/// The base of a TOML file's reader: each refusal throws InputError with the
/// file, the line and what is wrong.
class TomlReader {
 public:
  /// A reader of the file named `file` (as messages name it).
  explicit TomlReader(std::string file) : file_(std::move(file)) {}

 protected:
  /// Refuses the file at `line` (0: the file as a whole).
  [[noreturn]] void fail(std::size_t line, const std::string& what) const;
  /// Refuses the file at the line of `at`.
  [[noreturn]] void fail(const toml::node& at, const std::string& what) const { fail(at.source().begin.line, what); }

  /// The TOML table of `text` (a byte-order mark skipped), or a refusal.
  toml::table parse(std::string_view text) const;

  /// Refuses a key of `t` that is not one of `known` (said to be `where`),
  /// with a hint: the section of `sections` it belongs in, else the nearest
  /// known key.
  void check_keys(const toml::table& t, std::span<const std::string_view> known, const std::string& where,
                  std::span<const KeySection> sections = {}) const;

  /// The value of `key` in `t`, which `where` names; refused at `line` when missing.
  const toml::node& required(const toml::table& t, std::string_view key, const std::string& where,
                             std::size_t line) const;
  /// The value of `key` in `t`, refused at the table's line when missing.
  const toml::node& required(const toml::table& t, std::string_view key, const std::string& where) const {
    return required(t, key, where, t.source().begin.line);
  }

  /// `n` as the table `key`.
  const toml::table& table(const toml::node& n, std::string_view key) const;

  /// The tables of the array of tables `n` ([[key]]), each with how messages
  /// name it ("[[well]] 2").
  std::vector<std::pair<const toml::table*, std::string>> tables(const toml::node& n, std::string_view key) const;

  /// `n` as a string.
  std::string string(const toml::node& n, std::string_view key) const;

  /// `n` as a file name: a string, not empty, without control characters.
  std::string file_name(const toml::node& n, std::string_view key) const;

  /// `n` as a finite number (a whole number or one with a point).
  double number(const toml::node& n, std::string_view key) const;

  const std::string& file() const { return file_; }

 private:
  std::string file_;
};

}  // namespace inputs
