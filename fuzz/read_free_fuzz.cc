// Fuzz target: the free-form reader on arbitrary bytes as the input file.
//
// Input: byte 0 chooses how many bytes one read(2) returns (so that records
// straddle the reader's buffer in every way), bytes 1 and 2 choose the kinds of
// up to eight reads (integer, single, 20-character text, two bits each), the
// rest is the input file. The reads go on until the eighth or until one ends
// the run.
//
// Beyond "no crash, no hang, no sanitizer report", every read is checked:
// - a run ends only with message 24, 39, 59 or 64, and with exactly one line
//   on standard error that names unit 11 and the file;
// - a single read is never a NaN or an infinity;
// - the first read is compared with an independent reading of the file: the
//   first line holding more than blanks and tabs, its first value, converted
//   by the C library (strtoll, strtod, strtof) for a plain number, 59 for any
//   other unquoted value, 24 when there is no such line.
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <variant>

#include "fuzz_support.h"
#include "recio/error_report.h"
#include "recio/free_form.h"
#include "recio/units.h"

namespace {

using leaky_fuzz::check;
using leaky_fuzz::FakeFileSystem;

enum class Kind { kInteger, kSingle, kText };

// What the first read must give.
struct Expected {
  bool known = false;
  int status = -1;  // -1: the read returns
  std::int32_t integer = 0;
  float single = 0.0f;
  std::string text;  // 20 characters
};

constexpr std::int32_t kIntegerBefore = 123456;
constexpr float kSingleBefore = 654.321f;
const std::string kTextBefore = "before the read     ";

bool blank(char c) { return c == ' ' || c == '\t'; }
bool digit(char c) { return c >= '0' && c <= '9'; }

// [+-]? (digits [.] digits? | . digits) ([EeDdQq] [+-]? digits)?
bool number_form(const std::string& v) {
  std::size_t i = 0;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
  std::size_t digits = 0;
  while (i < v.size() && digit(v[i])) ++i, ++digits;
  if (i < v.size() && v[i] == '.') {
    ++i;
    while (i < v.size() && digit(v[i])) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i == v.size()) return true;
  if (std::strchr("EeDdQq", v[i]) == nullptr || v[i] == '\0') return false;
  ++i;
  if (i < v.size() && (v[i] == '+' || v[i] == '-')) ++i;
  const std::size_t exponent_start = i;
  while (i < v.size() && digit(v[i])) ++i;
  return i == v.size() && i > exponent_start;
}

// The first value of the file as an independent, simple reading finds it.
Expected expect_first(const std::string& file, Kind kind) {
  Expected e;
  std::size_t start = 0;
  std::string line;
  bool found = false;
  while (start < file.size()) {
    std::size_t lf = file.find('\n', start);
    const bool last = lf == std::string::npos;
    if (last) lf = file.size();
    line = file.substr(start, lf - start);
    if (!last && !line.empty() && line.back() == '\r') line.pop_back();
    start = lf + 1;
    if (line.find_first_not_of(" \t") != std::string::npos) {
      found = true;
      break;
    }
  }
  e.known = true;
  if (!found) {
    e.status = recio::kEndOfFile;
    return e;
  }
  std::size_t pos = line.find_first_not_of(" \t");
  std::size_t end = pos;
  while (end < line.size() && !blank(line[end]) && line[end] != ',' && line[end] != '/') ++end;
  const std::string value = line.substr(pos, end - pos);
  const char first = line[pos];
  if (first == '\'' || first == '"' || value.find('*') != std::string::npos) {
    e.known = false;  // quoted values and repeat counts: no oracle here
    return e;
  }
  if (value.empty()) {  // a comma or a slash: a null value
    e.integer = kIntegerBefore;
    e.single = kSingleBefore;
    e.text = kTextBefore;
    return e;
  }
  if (kind == Kind::kText) {
    if (value.size() > 2049) {
      e.status = recio::kSyntaxError;
    } else {
      e.text = value.substr(0, 20);
      e.text.resize(20, ' ');
    }
    return e;
  }
  if (!number_form(value)) {
    e.status = recio::kSyntaxError;
    return e;
  }
  std::string c_text = value;  // the C library knows only E
  for (char& ch : c_text)
    if (ch == 'D' || ch == 'd' || ch == 'Q' || ch == 'q') ch = 'e';
  const bool whole = value.find_first_of(".EeDdQq") == std::string::npos;
  if (kind == Kind::kInteger && whole) {
    errno = 0;
    const long long v = std::strtoll(c_text.c_str(), nullptr, 10);
    if (errno == ERANGE || v < INT32_MIN || v > INT32_MAX) e.status = recio::kInputConversion;
    else e.integer = static_cast<std::int32_t>(v);
    return e;
  }
  if (kind == Kind::kInteger) {
    const double d = std::trunc(std::strtod(c_text.c_str(), nullptr));  // HUGE_VAL beyond double
    if (!(d >= -2147483648.0 && d <= 2147483647.0)) e.status = recio::kInputConversion;
    else e.integer = static_cast<std::int32_t>(d);
    return e;
  }
  const float f = std::strtof(c_text.c_str(), nullptr);  // nearest single; ±HUGE_VALF beyond
  if (std::isinf(f)) e.status = recio::kInputConversion;
  else e.single = f;
  return e;
}

bool same_single(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 3) return -1;
  FakeFileSystem fs(FakeFileSystem::Files::memory);
  fs.max_read = data[0] < 128 ? 1 + data[0] % 16u : std::size_t{1} << 16;
  const unsigned kinds = data[1] | (unsigned{data[2]} << 8);
  const std::string file(reinterpret_cast<const char*>(data + 3), size - 3);
  fs.files[FakeFileSystem::path("in.dat")] = file;

  Expected first;
  int reads_done = 0;
  std::int32_t integer = kIntegerBefore;
  float single = kSingleBefore;
  recio::NameField text{};
  const int status = leaky_fuzz::run_in_process(fs, [&] {
    recio::open_unit(recio::kInputUnit, "in.dat");
    for (int k = 0; k < 8; ++k) {
      Kind kind = static_cast<Kind>(((kinds >> (2 * k)) & 3u) % 3u);
      if (k == 0) first = expect_first(file, kind);
      integer = kIntegerBefore;
      single = kSingleBefore;
      kTextBefore.copy(text.data(), text.size());
      switch (kind) {
        case Kind::kInteger: recio::read_free(recio::kInputUnit, integer); break;
        case Kind::kSingle:
          recio::read_free(recio::kInputUnit, single);
          check(std::isfinite(single), "a single read gave a NaN or an infinity", std::to_string(single));
          break;
        case Kind::kText: recio::read_free(recio::kInputUnit, text); break;
      }
      ++reads_done;
      if (k == 0 && first.known) {
        check(first.status == -1, "the first read returned where the run should end",
              "expected message " + std::to_string(first.status));
        if (kind == Kind::kInteger)
          check(integer == first.integer, "integer read differs from the C library",
                std::to_string(integer) + " vs " + std::to_string(first.integer));
        if (kind == Kind::kSingle)
          check(same_single(single, first.single), "single read differs from the C library",
                std::to_string(single) + " vs " + std::to_string(first.single));
        if (kind == Kind::kText)
          check(std::string(text.data(), text.size()) == first.text, "text read differs",
                std::string(text.data(), text.size()) + "| vs |" + first.text);
      }
    }
  });

  check(fs.files[FakeFileSystem::path("in.dat")] == file, "the input file was changed");
  if (reads_done == 0 && first.known)
    check(status == first.status, "the first read ended the run with another message",
          std::to_string(status) + " vs " + std::to_string(first.status) + "\n" + fs.error_out);
  if (status == -1) {
    check(fs.error_out.empty(), "a read wrote to standard error and returned", fs.error_out);
    return 0;
  }
  check(status == recio::kEndOfFile || status == recio::kReadError || status == recio::kSyntaxError ||
            status == recio::kInputConversion,
        "a read ended the run with an unexpected status", std::to_string(status));
  const std::string line = "tavrix: severe (" + std::to_string(status) + "): ";
  check(fs.error_out.rfind(line, 0) == 0 && fs.error_out.find('\n') == fs.error_out.size() - 1 &&
            fs.error_out.find(", unit 11, file " + FakeFileSystem::path("in.dat") + "\n") != std::string::npos,
        "the report line is not one line naming unit 11 and its file", fs.error_out);
  return 0;
}
