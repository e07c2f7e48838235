#include "grid/answers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <type_traits>
#include <utility>

#include "base/exit_status.h"
#include "recio/error_report.h"
#include "recio/free_form.h"
#include "recio/units.h"

namespace grid {
namespace {

using engine::Well;
using recio::FoundValue;
using recio::kInputUnit;

// What a plausible answer looks like; anything else gets a warning.
enum class Expect { kAny, kCount, kPositive, kNotNegative, kSpacing, kDecimals };

// One answer of the grid counts and model parameters: its name, what it is,
// the questions asked before it is read, its item and what is plausible.
struct ParameterAnswer {
  std::string_view name;
  std::string_view meaning;
  std::array<std::string_view, 2> prompts;  // an empty second: one question
  std::int32_t Input::*integer = nullptr;   // the item: an integer or a single
  float Input::*single = nullptr;
  Expect expect = Expect::kAny;
};

constexpr ParameterAnswer kCounts[] = {
    {"NX", "the number of nodes in the x direction",
     {"HOW MANY NODES ARE REQUIRED IN THE  X  DIRECTION", "enter value from 1 to 300"}, &Input::NX, nullptr,
     Expect::kCount},
    {"NY", "the number of nodes in the y direction",
     {"HOW MANY NODES ARE REQUIRED IN THE  Y  DIRECTION", "enter value from 1 to 300"}, &Input::NY, nullptr,
     Expect::kCount},
};

constexpr ParameterAnswer kParameters[] = {
    {"XLL", "the x coordinate of the lower-left corner", {"ENTER X Coordinate of Lower-left Corner of the Model : "},
     &Input::XLL},
    {"YLL", "the y coordinate of the lower-left corner", {"ENTER Y Coordinate of Lower-left Coner of the Model : "},
     &Input::YLL},
    {"T", "the transmissivity", {"ENTER TRANSMISSIVITY (GPD/FT) : "}, nullptr, &Input::T, Expect::kPositive},
    {"LEAK", "the leakance", {"ENTER LEAKANCE (GPD/CUBIC FOOT) : "}, nullptr, &Input::LEAK, Expect::kNotNegative},
    {"S", "the storage coefficient", {"ENTER STORAGE COEFFICIENT : "}, nullptr, &Input::S, Expect::kPositive},
    {"TIME", "the time of pumping", {"ENTER TIME OF PUMPING (DAYS) : "}, nullptr, &Input::TIME, Expect::kPositive},
    {"SPACING", "the node spacing", {"ENTER NODE SPACING (FEET) : "}, &Input::SPACING, nullptr, Expect::kSpacing},
    {"NDEC", "the decimals of the map",
     {"ENTER 1 FOR 1 DECIMAL POINT FOR OUTPUT ", "ENTER 2 FOR 2 DECIMAL POINTS FOR OUTPUT "}, &Input::NDEC, nullptr,
     Expect::kDecimals},
};

constexpr ParameterAnswer kWellCount = {"NWELL", "the number of wells", {"ENTER TOTAL NUMBER OF WELLS"},
                                        &Input::NWELL};

// One of the three answers of each well, named X(k), Y(k), Q(k).
struct WellAnswer {
  std::string_view letter;
  std::string_view meaning;
  std::array<std::string_view, 3> prompts;
  std::size_t prompt_count;
  float Well::*item;
};

constexpr WellAnswer kWellAnswers[] = {
    {"X", "the x of well", {"ENTER X&Y COORD AND POSITIVE OR NEGATIVE", "PUMPING RATE (X,Y,GPD).", "ENTER X COORD"}, 3,
     &Well::x},
    {"Y", "the y of well", {"ENTER Y COORD"}, 1, &Well::y},
    {"Q", "the pumping rate of well", {"ENTER PUMPAGE"}, 1, &Well::q},
};

Dialogue* g_dialogue = nullptr;  // the open dialogue

// Ends the run because a value read exceeds a fixed extent of the program.
[[noreturn]] void refuse_input(const std::string& text) {
  recio::end_run_after(std::string(base::kMessagePrefix) + text + "\n", base::kExitLimit);
}

// The line after a severe report on the input file while an answer is read.
void add_read_context(int number, int unit) {
  if (g_dialogue == nullptr || unit != kInputUnit) return;
  const std::string context = g_dialogue->failure_context(number);
  if (context.empty()) return;
  const std::string line = std::string(base::kMessagePrefix) + context + "\n";
  recio::write_all(2, line.data(), line.size());
}

// The input file as messages name it: its name without the folder, shown
// printable.
std::string input_file() {
  return recio::printable_name(std::filesystem::path(recio::unit_file_name(kInputUnit)).filename().string());
}

// `text` in quotes, control and other non-ASCII bytes escaped, cut after 40.
std::string in_quotes(std::string_view text) {
  constexpr std::size_t kShown = 40;
  std::string out = "'";
  for (std::size_t i = 0; i < text.size() && i < kShown; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (text.size() > kShown) out += "...";
  return out + "'";
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_separator(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }

// A number as the reader takes one: a sign, digits with at most one point, an
// exponent letter E, D or Q and a signed exponent.
bool number_form(std::string_view s) {
  std::size_t i = 0, digits = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  for (bool point = false; i < s.size() && (is_digit(s[i]) || (s[i] == '.' && !point)); ++i) {
    if (s[i] == '.') point = true; else ++digits;
  }
  if (digits == 0) return false;
  if (i == s.size()) return true;
  if (std::string_view("EeDdQq").find(s[i]) == std::string_view::npos) return false;
  if (++i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
  return i < s.size() && std::all_of(s.begin() + static_cast<long>(i), s.end(), is_digit);
}

// The first value on `rest` after blanks and one comma or slash, when it is a
// number: what the reader leaves unread of "45,000" or "20, 25, 1000000".
bool holds_another_number(std::string_view rest) {
  std::size_t i = rest.find_first_not_of(" \t\r");
  if (i != std::string_view::npos && (rest[i] == ',' || rest[i] == '/')) i = rest.find_first_not_of(" \t\r", i + 1);
  if (i == std::string_view::npos) return false;
  std::size_t end = i;
  while (end < rest.size() && !is_separator(rest[end])) ++end;
  return number_form(rest.substr(i, end - i));
}

std::string shown(std::int32_t value) { return std::to_string(value); }

std::string at(const Answer& a) { return a.name + " on line " + std::to_string(a.line); }

// Why an answer is implausible, or "" when it is not.
std::string implausible(const ParameterAnswer& p, double v) {
  const std::string what(p.meaning);
  switch (p.expect) {
    case Expect::kAny:
      return "";
    case Expect::kCount:
      return v < 1 ? std::string("the grid has no ") + (p.name == "NX" ? "columns" : "rows") : "";
    case Expect::kPositive:
      return v <= 0 ? what + " should be greater than 0; the results have no physical meaning" : "";
    case Expect::kNotNegative:
      return v < 0 ? what + " should be 0 or more; the results have no physical meaning" : "";
    case Expect::kSpacing:
      return v < 1 ? what + " should be 1 foot or more; the results have no physical meaning" : "";
    case Expect::kDecimals:
      return v != 1 && v != 2 ? "only 1 or 2 decimals print a map; the report's map has no rows" : "";
  }
  return "";
}

// Asks one answer of the table, warning when its value is implausible.
Answer ask_parameter(Dialogue& d, const ParameterAnswer& p, Input& in) {
  const std::span<const std::string_view> prompts(p.prompts.data(), p.prompts[1].empty() ? 1 : 2);
  const std::string name(p.name);
  const Answer a = p.integer != nullptr ? d.ask(name, p.meaning, prompts, in.*p.integer)
                                        : d.ask(name, p.meaning, prompts, in.*p.single);
  const double value = p.integer != nullptr ? in.*p.integer : in.*p.single;
  if (const std::string why = implausible(p, value); !why.empty()) d.warn(at(a) + " is " + a.taken + ": " + why);
  return a;
}

// How far `v` lies outside 1 .. n, in node units.
double beyond(float v, std::int32_t n) { return std::max({0.0, 1.0 - v, static_cast<double>(v) - n}); }

// The first line after the last answer read, when it starts with a number: a
// run reads no further, so a well given beyond NWELL is silently left out.
// The file is looked at through a reading of its own, and only when it is a
// regular file, so that this never waits for input or ends the run.
void warn_of_numbers_after(Dialogue& d, const Answer& nwell) {
  const std::string path = recio::unit_file_name(kInputUnit);
  std::error_code ec;
  if (d.answers().empty() || !std::filesystem::is_regular_file(path, ec)) return;
  std::ifstream file(path, std::ios::binary);
  long line = 0;
  while (line < recio::records_read(kInputUnit) && file.ignore(std::numeric_limits<std::streamsize>::max(), '\n'))
    ++line;
  for (std::string head; file;) {
    head.clear();
    ++line;
    for (char c; head.size() < recio::kKeptLength && file.get(c) && c != '\n';) head += c;
    if (head.size() == recio::kKeptLength) file.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    const std::size_t first = head.find_first_not_of(" \t\r");
    if (first == std::string::npos) continue;
    std::size_t end = first;
    while (end < head.size() && !is_separator(head[end]) && head[end] != '\r') ++end;
    const std::string value = head.substr(first, end - first);
    if (number_form(value))
      d.warn("line " + std::to_string(line) + " holds a number, " + in_quotes(value) + ", after the last answer read (" +
             at(d.answers().back()) + "), and is not read: " + at(nwell) + " is " + nwell.taken +
             "; are more wells given than NWELL says?");
    return;
  }
}

}  // namespace

std::string shown(float value) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (ec != std::errc() || end - text > 16) end = std::to_chars(text, text + sizeof text, value).ptr;
  return std::string(text, end);
}

std::string listing_line(const Answer& a) {
  char head[32];
  std::snprintf(head, sizeof head, "%5ld  %-8s  ", a.line, a.name.c_str());
  std::string written = in_quotes(a.written);
  written = written.substr(1, written.size() - 2);  // the escapes without the quotes
  written.resize(std::max<std::size_t>(written.size(), 16), ' ');
  return head + written + "  " + a.taken;
}

Dialogue::Dialogue(bool prompts, bool listing)
    : prompts_(prompts),
      listing_(listing),
      previous_context_(recio::set_report_context(&add_read_context)),
      previous_dialogue_(std::exchange(g_dialogue, this)) {}

Dialogue::~Dialogue() {
  g_dialogue = previous_dialogue_;
  recio::set_report_context(previous_context_);
}

void Dialogue::warn(const std::string& text) {
  warnings_.push_back(text);
  const std::string line = std::string(base::kMessagePrefix) + "warning: " + text + "\n";
  std::fflush(stdout);
  recio::write_all(2, line.data(), line.size());
}

Answer Dialogue::ask(const std::string& name, std::string_view meaning, std::span<const std::string_view> prompts,
                     std::int32_t& item) {
  return ask_item(name, meaning, prompts, item);
}

Answer Dialogue::ask(const std::string& name, std::string_view meaning, std::span<const std::string_view> prompts,
                     float& item) {
  return ask_item(name, meaning, prompts, item);
}

template <typename Item>
Answer Dialogue::ask_item(const std::string& name, std::string_view meaning,
                          std::span<const std::string_view> prompts, Item& item) {
  if (prompts_)
    for (std::string_view p : prompts) recio::write_free(recio::kConsoleOut, p);
  reading_ = name;
  reading_meaning_ = meaning;
  reading_integer_ = std::is_same_v<Item, std::int32_t>;
  const FoundValue v = recio::find_value(kInputUnit);
  found_ = &v;
  warn_about_line(name, v);  // before a conversion that the line may make fail
  recio::convert_value(kInputUnit, v, item);
  found_ = nullptr;
  reading_.clear();

  // A further number on the line is shown with the value: "45,000" taken as 45.
  using Kind = FoundValue::Kind;
  const bool null = v.kind == Kind::kNull || v.kind == Kind::kSlash;
  const bool more = !null && holds_another_number(v.rest);
  const std::string line_text = v.written + v.rest.substr(0, v.rest.find_last_not_of(" \t\r") + 1);
  Answer a{name, v.line, more ? line_text : v.written, shown(item)};
  answers_.push_back(a);
  if (listing_) {
    const std::string line = listing_line(a) + "\n";
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
  }
  if (null) {
    warn(at(a) + " is a null answer (" + in_quotes(v.written) + "): " + name + " keeps the value it had, " + a.taken);
  } else if (more) {
    warn(at(a) + ": the value taken is " + a.taken + "; the rest of the line, " + in_quotes(v.rest) +
         ", is not read (one answer per line)");
  }
  if constexpr (std::is_same_v<Item, std::int32_t>) {
    std::string decimal = v.text;  // the C library knows only the letter E
    for (char& c : decimal)
      if (std::string_view("DdQq").find(c) != std::string_view::npos) c = 'e';
    const double d = v.kind == Kind::kUnquoted ? std::strtod(decimal.c_str(), nullptr) : 0.0;
    if (d != std::trunc(d))
      warn(at(a) + ": " + in_quotes(v.text) + " is cut to " + a.taken + " (" + name + " is a whole number)");
  }
  return a;
}

void Dialogue::warn_about_line(const std::string& name, const FoundValue& v) {
  const std::string where = name + " on line " + std::to_string(v.line);
  if (v.line == 1 && v.column == 0 && v.written.starts_with("\xEF\xBB\xBF"))
    warn(where + ": the input file starts with a byte-order mark (it was saved as UTF-8 with BOM), which is "
                 "read as part of the answer; save the file without it");
  const bool carriage_return = v.written.find('\r') != std::string::npos || v.rest.find('\r') != std::string::npos;
  if (carriage_return && !carriage_return_seen_) {
    carriage_return_seen_ = true;
    warn(where + ": the line holds a carriage return without a line feed (lines ended by CR alone), so "
                 "what follows it is read as the same line");
  }
}

std::string Dialogue::failure_context(int number) const {
  if (reading_.empty()) return "";
  const std::string file = input_file();
  const long lines = recio::records_read(kInputUnit);
  const std::string reading = "while reading " + reading_;
  if (found_ != nullptr && (number == recio::kSyntaxError || number == recio::kInputConversion)) {
    std::string s = reading + " from line " + std::to_string(found_->line) + " of " + file + ": " +
                    in_quotes(found_->written);
    if (number == recio::kSyntaxError) return s + " is not a number";
    return s + (reading_integer_ ? " is out of range (a whole number from -2147483648 to 2147483647)"
                                 : " is out of range (a number from -3.4e38 to 3.4e38)");
  }
  switch (number) {
    case recio::kEndOfFile:
      return reading + " from " + file + ": the file " +
             (lines == 0 ? std::string("is empty") : "ends after line " + std::to_string(lines)) + ", and " +
             reading_ + " (" + reading_meaning_ + ") was expected " + (answers_.empty() ? "first" : "next");
    case recio::kReadError:
      return reading + " from " + file + ": the file could not be read after line " + std::to_string(lines);
    case recio::kNoMemory:
      return reading + " from " + file + ": line " + std::to_string(lines + 1) + " is too long to hold in memory";
    default:
      return reading + " after line " + std::to_string(lines) + " of " + file;
  }
}

void check_node_count(std::string_view what, std::int32_t count) {
  if (count > engine::kMaxNodes)
    refuse_input("the number of nodes " + std::string(what) + " = " + std::to_string(count) +
                 " exceeds the grid's limit of " + std::to_string(engine::kMaxNodes) + " nodes");
}

void read_grid_counts(Dialogue& dialogue, Input& in) {
  for (const ParameterAnswer& p : kCounts) {
    ask_parameter(dialogue, p, in);
    check_node_count(p.name, in.*p.integer);
  }
}

void read_parameters(Dialogue& dialogue, Input& in) {
  for (const ParameterAnswer& p : kParameters) ask_parameter(dialogue, p, in);
}

void read_wells(Dialogue& dialogue, Input& in) {
  const Answer nwell = ask_parameter(dialogue, kWellCount, in);
  if (in.NWELL > engine::kMaxWells)
    refuse_input("the number of wells NWELL = " + std::to_string(in.NWELL) + " exceeds the well table's limit of " +
                 std::to_string(engine::kMaxWells) + " wells");
  if (in.NWELL <= 0)
    dialogue.warn(at(nwell) + " is " + nwell.taken +
                  ": no well is read; the report lists one well of zeros and the map is all zeros");

  in.table.assign(static_cast<std::size_t>(engine::kWellSlots) + 1, Well{});
  Well working;  // XW, YW, QW: kept from one well to the next, 0.0 before the first
  std::size_t m = 1;
  bool listed = true;  // no well so far has ended the list
  for (std::int32_t k = 1; k <= in.NWELL; ++k) {
    std::array<Answer, 3> a;
    for (std::size_t i = 0; i < 3; ++i) {
      const WellAnswer& w = kWellAnswers[i];
      const std::string number = std::to_string(k);
      a[i] = dialogue.ask(std::string(w.letter) + "(" + number + ")", std::string(w.meaning) + " " + number,
                          std::span(w.prompts.data(), w.prompt_count), working.*w.item);
      if (i == 0 && k > 1 && listed && working.x == 0.0f) {
        listed = false;
        const std::int32_t left_out = in.NWELL - k + 1;
        dialogue.warn(at(a[0]) + " is " + a[0].taken + ", which ends the well list: " +
                      (left_out == 1 ? "well " + number + " is" : "wells " + number + " to " + shown(in.NWELL) + " (" +
                                                                   shown(left_out) + " wells) are") +
                      " neither listed nor evaluated");
      }
    }
    in.table[m++] = working;
    if (listed && in.NX >= 1 && in.NY >= 1 && (beyond(working.x, in.NX) > in.NX || beyond(working.y, in.NY) > in.NY))
      dialogue.warn("well " + std::to_string(k) + " at (" + a[0].taken + ", " + a[1].taken + ") (" + at(a[0]) +
                    ", " + at(a[1]) + ") lies farther from the grid than the grid's own extent of " +
                    shown(in.NX) + " x " + shown(in.NY) + " nodes: well positions are in node units, not in feet");
  }
  in.table[m] = Well{};  // the end marker
  warn_of_numbers_after(dialogue, nwell);
}

void read_input(Dialogue& dialogue, Input& in) {
  read_grid_counts(dialogue, in);
  read_parameters(dialogue, in);
  read_wells(dialogue, in);
}

std::vector<Well> wells_evaluated(const std::vector<Well>& table) {
  std::vector<Well> wells;
  std::size_t m = 1;
  do {
    wells.push_back(table.at(m++));
  } while (table.at(m).x != 0.0f);
  return wells;
}

}  // namespace grid
