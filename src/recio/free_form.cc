// The free-form reader and writer of the dialogue.
#include "recio/free_form.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cmath>
#include <limits>
#include <string>

#include "recio/error_report.h"

namespace recio {
namespace {

constexpr std::size_t kMaxTextValue = 2049;

using Kind = FoundValue::Kind;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool ends_unquoted(char c) { return c == ' ' || c == '\t' || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// At most kKeptLength characters of `record` from `pos` on (a remark may be
// a line of any length).
std::string kept(const std::string& record, std::size_t pos, std::size_t end = std::string::npos) {
  end = std::min(end, record.size());
  return pos >= end ? std::string() : record.substr(pos, std::min(end - pos, kKeptLength));
}

// The quoted value starting at record[pos] (the opening quote), continued
// over further records when the record ends before the closing quote; `v`
// receives the value, what was written and the rest of its last record.
void read_quoted(int unit, std::string& record, std::size_t pos, FoundValue& v) {
  const char quote = record[pos++];
  v.written = quote;
  for (;;) {
    if (pos >= record.size()) {
      if (!read_record(unit, record)) fatal_io_error(kEndOfFile, unit);
      pos = 0;
      continue;
    }
    const char c = record[pos++];
    if (v.written.size() < kKeptLength) v.written += c;
    if (c == quote) {
      if (pos < record.size() && record[pos] == quote) {
        ++pos;  // a doubled quote stands for one
        if (v.written.size() < kKeptLength) v.written += c;
      } else {
        v.rest = kept(record, pos);
        return;
      }
    }
    // Beyond the longest accepted value only the fact of the excess matters.
    if (v.text.size() <= kMaxTextValue) v.text += c;
  }
}

}  // namespace

// Steps 1 to 3 of a free-form read: the first value from the next record on.
FoundValue find_value(int unit) {
  std::string record;
  if (!read_record(unit, record)) fatal_io_error(kEndOfFile, unit);
  std::size_t pos = 0;
  for (;;) {
    while (pos < record.size() && is_blank(record[pos])) ++pos;
    if (pos < record.size()) break;
    if (!read_record(unit, record)) fatal_io_error(kEndOfFile, unit);
    pos = 0;
  }
  FoundValue v;
  v.line = records_read(unit);
  v.column = pos;
  std::size_t end = pos;  // the unquoted token, repeat count included
  while (end < record.size() && !ends_unquoted(record[end])) ++end;
  // A repeat count r* (digits then *): r* before a separator is r null
  // values, r*c is r copies of c, and a read of one item takes the first.
  std::size_t digits_end = pos;
  while (digits_end < record.size() && is_digit(record[digits_end])) ++digits_end;
  if (digits_end > pos && digits_end < record.size() && record[digits_end] == '*') {
    if (record.find_first_not_of('0', pos) == digits_end) {  // 0*
      v.kind = Kind::kZeroRepeat;
      v.written = kept(record, v.column, end);
      v.rest = kept(record, end);
      return v;
    }
    pos = digits_end + 1;
    if (pos >= record.size() || ends_unquoted(record[pos])) {  // null
      v.written = kept(record, v.column, pos);
      v.rest = kept(record, pos);
      return v;
    }
  }
  const char c = record[pos];
  if (c == ',' || c == '/') {
    v.kind = c == ',' ? Kind::kNull : Kind::kSlash;
    v.written = kept(record, v.column, pos + 1);
    v.rest = kept(record, pos + 1);
    return v;
  }
  if (c == '\'' || c == '"') {
    v.kind = Kind::kQuoted;
    read_quoted(unit, record, pos, v);
    return v;
  }
  v.kind = Kind::kUnquoted;
  v.text = record.substr(pos, end - pos);
  v.written = kept(record, v.column, end);
  v.rest = kept(record, end);
  return v;
}

namespace {

// A value in number form: an optional sign, digits with at most one point,
// optionally an exponent letter E, D or Q (either case) and a signed exponent.
struct Number {
  bool negative = false;
  std::string mantissa;    // digits and at most one point, as written
  long exponent = 0;       // saturated far beyond any representable value
  bool is_whole = true;    // no point and no exponent
};

bool parse_number(const std::string& s, Number& n) {
  std::size_t i = 0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) n.negative = s[i++] == '-';
  bool point = false;
  int digits = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (is_digit(c)) {
      ++digits;
    } else if (c == '.' && !point) {
      point = true;
      n.is_whole = false;
    } else {
      break;
    }
    n.mantissa += c;
  }
  if (digits == 0) return false;
  if (i < s.size()) {
    const char e = s[i];
    if (e != 'e' && e != 'E' && e != 'd' && e != 'D' && e != 'q' && e != 'Q') return false;
    n.is_whole = false;
    ++i;
    bool negative_exp = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative_exp = s[i++] == '-';
    if (i == s.size()) return false;
    for (; i < s.size(); ++i) {
      if (!is_digit(s[i])) return false;
      if (n.exponent < 100000000) n.exponent = n.exponent * 10 + (s[i] - '0');
    }
    if (negative_exp) n.exponent = -n.exponent;
  }
  return true;
}

// The magnitude as the nearest double or single (strtod / strtof).
double to_nearest(const char* text, char** end, double) { return std::strtod(text, end); }
float to_nearest(const char* text, char** end, float) { return std::strtof(text, end); }

// Converts the number; false when it lies beyond the range of T. A number too
// small for T becomes its nearest subnormal or zero.
template <typename T>
bool convert(const Number& n, T& out) {
  const std::string t = n.mantissa + 'e' + std::to_string(n.exponent);
  char* end = nullptr;
  errno = 0;
  const T v = to_nearest(t.c_str(), &end, T{});
  if (end != t.c_str() + t.size()) return false;
  if (errno == ERANGE && std::isinf(v)) return false;
  out = n.negative ? -v : v;
  return true;
}

// A value that no numeric item accepts ends the run; a null value or a slash
// leaves the item unchanged (false).
bool numeric(int unit, const FoundValue& v) {
  if (v.kind == Kind::kZeroRepeat || v.kind == Kind::kQuoted) fatal_io_error(kSyntaxError, unit);
  return v.kind == Kind::kUnquoted;
}

}  // namespace

void convert_value(int unit, const FoundValue& v, std::int32_t& item) {
  if (!numeric(unit, v)) return;
  Number n;
  if (!parse_number(v.text, n)) fatal_io_error(kSyntaxError, unit);
  if (n.is_whole) {
    std::int64_t mag = 0;
    for (char c : n.mantissa) {
      mag = mag * 10 + (c - '0');
      if (mag > 2147483648LL) fatal_io_error(kInputConversion, unit);
    }
    const std::int64_t value = n.negative ? -mag : mag;
    if (value > std::numeric_limits<std::int32_t>::max()) fatal_io_error(kInputConversion, unit);
    item = static_cast<std::int32_t>(value);
    return;
  }
  // Number form: converted in double precision, then cut toward zero.
  double d = 0.0;
  if (!convert(n, d)) fatal_io_error(kInputConversion, unit);
  const double cut = std::trunc(d);
  if (!(cut >= -2147483648.0 && cut <= 2147483647.0)) fatal_io_error(kInputConversion, unit);
  item = static_cast<std::int32_t>(cut);
}

void convert_value(int unit, const FoundValue& v, float& item) {
  if (!numeric(unit, v)) return;
  Number n;
  if (!parse_number(v.text, n)) fatal_io_error(kSyntaxError, unit);
  float f = 0.0f;  // straight from the decimal text to the nearest single
  if (!convert(n, f)) fatal_io_error(kInputConversion, unit);
  item = f;
}

void convert_value(int unit, const FoundValue& v, NameField& item) {
  if (v.kind == Kind::kZeroRepeat) fatal_io_error(kSyntaxError, unit);
  if (v.kind != Kind::kQuoted && v.kind != Kind::kUnquoted) return;
  if (v.text.size() > kMaxTextValue) fatal_io_error(kSyntaxError, unit);
  item.fill(' ');
  v.text.copy(item.data(), item.size());
}

void read_free(int unit, std::int32_t& item) { convert_value(unit, find_value(unit), item); }

void read_free(int unit, float& item) { convert_value(unit, find_value(unit), item); }

void read_free(int unit, NameField& item) { convert_value(unit, find_value(unit), item); }

void write_free(int unit, std::string_view text) {
  // One record however long the text: the program's texts are all shorter
  // than 60 characters, so none is ever split over lines.
  std::string record = " ";
  record += text;
  send_record(unit, record);
}

}  // namespace recio
