#include "uncertainty/partial_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <system_error>

namespace uncertainty {
namespace {

constexpr std::string_view kFirstLine = "leaky-drawdown realizations 1";

template <typename Float>
void append_hex(std::string& text, Float v) {
  char buffer[64];
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::hex);
  text.append(buffer, r.ptr);
}

// A number as std::to_chars writes it in hexadecimal ("-1.8p+3", "inf"),
// subnormal ones too (which std::from_chars refuses as out of range): at most
// 14 hexadecimal digits, the value exact.
std::optional<double> hex_number(std::string_view w) {
  const bool negative = !w.empty() && w.front() == '-';
  if (negative) w.remove_prefix(1);
  if (w == "inf") return negative ? -HUGE_VAL : HUGE_VAL;
  std::uint64_t mantissa = 0;
  int digits = 0, fraction = 0;
  bool point = false;
  std::size_t i = 0;
  for (; i < w.size() && w[i] != 'p'; ++i) {
    const char c = w[i];
    if (c == '.' && !point) {
      point = true;
      continue;
    }
    const int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (d < 0 || ++digits > 14) return std::nullopt;
    mantissa = mantissa * 16 + static_cast<std::uint64_t>(d);
    fraction += point ? 1 : 0;
  }
  if (digits == 0 || i + 1 >= w.size()) return std::nullopt;
  std::string_view e = w.substr(i + 1);
  if (e.front() == '+') e.remove_prefix(1);
  int exponent = 0;
  const std::from_chars_result r = std::from_chars(e.data(), e.data() + e.size(), exponent);
  if (r.ec != std::errc() || r.ptr != e.data() + e.size() || exponent < -1100 || exponent > 1100) return std::nullopt;
  const double v = std::ldexp(static_cast<double>(mantissa), exponent - 4 * fraction);
  if (!std::isfinite(v)) return std::nullopt;
  return negative ? -v : v;
}

// The lines of a text: each without its LF; the text must end with one.
class Lines {
 public:
  explicit Lines(std::string_view text) : text_(text) {}
  // The next line, split at single spaces; fails at the end of the text.
  std::vector<std::string_view> next() {
    ++line_;
    if (at_ >= text_.size()) fail("the file ends early");
    const std::size_t end = text_.find('\n', at_);
    if (end == std::string_view::npos) fail("the last line has no line end");
    std::string_view line = text_.substr(at_, end - at_);
    at_ = end + 1;
    std::vector<std::string_view> words;
    for (std::size_t start = 0;;) {
      const std::size_t space = line.find(' ', start);
      words.push_back(line.substr(start, space - start));
      if (space == std::string_view::npos) break;
      start = space + 1;
    }
    for (std::string_view w : words)
      if (w.empty()) fail("a word is empty (two spaces, or a space at an end)");
    return words;
  }
  bool done() const { return at_ == text_.size(); }
  [[noreturn]] void fail(const std::string& what) const { throw PartError{line_, what}; }

  // The line's words after `key`, which must be its first, `count` of them.
  std::vector<std::string_view> keyed(std::string_view key, std::size_t count) {
    std::vector<std::string_view> w = next();
    if (w.front() != key || w.size() != count + 1)
      fail("expected '" + std::string(key) + "' and " + std::to_string(count) + " value(s)");
    w.erase(w.begin());
    return w;
  }

  std::uint64_t whole(std::string_view w) const {
    std::uint64_t v = 0;
    const std::from_chars_result r = std::from_chars(w.data(), w.data() + w.size(), v);
    if (r.ec != std::errc() || r.ptr != w.data() + w.size()) fail(std::string("'").append(w).append("' is not a whole number"));
    return v;
  }

  template <typename Float>
  Float number(std::string_view w) const {
    const std::optional<double> v = hex_number(w);
    if (!v) fail(std::string("'").append(w).append("' is not a hexadecimal number"));
    return static_cast<Float>(*v);
  }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  std::size_t line_ = 0;
};

Outcome read_outcome(Lines& in, const Part& p, std::size_t index) {
  const std::vector<std::string_view> w = in.next();
  const std::size_t words = 6 + p.shape.receptors * p.shape.days;
  if (w.size() != words) in.fail("a realization's line has " + std::to_string(w.size()) + " words, not " + std::to_string(words));
  Outcome o;
  o.index = in.whole(w[0]);
  if (o.index != index) in.fail(std::string("realization ").append(std::to_string(index)).append(" expected, not ").append(w[0]));
  o.aquifer.transmissivity = in.number<double>(w[1]);
  o.aquifer.storage = in.number<double>(w[2]);
  o.aquifer.leakance = in.number<double>(w[3]);
  if (!(o.aquifer.transmissivity > 0.0 && o.aquifer.storage > 0.0 && o.aquifer.leakance >= 0.0) ||
      !std::isfinite(o.aquifer.transmissivity) || !std::isfinite(o.aquifer.storage) || !std::isfinite(o.aquifer.leakance))
    in.fail("an aquifer's value is out of its range");
  o.rate_factor = in.number<double>(w[4]);
  if (!(o.rate_factor >= 0.0)) in.fail("a rate factor below 0");
  const std::string_view flags = w[5];
  if (p.shape.limits == 0 ? flags != "-" : flags.size() != p.shape.limits) in.fail("the limits' flags do not match the shape");
  for (char c : flags) {
    if (p.shape.limits == 0) break;
    if (c != '0' && c != '1') in.fail("a limit's flag is not 0 or 1");
    o.exceeded.push_back(c == '1' ? 1 : 0);
  }
  for (std::size_t k = 6; k < w.size(); ++k) {
    const float v = in.number<float>(w[k]);
    if (!std::isfinite(v)) in.fail("a drawdown is not finite");
    o.series.push_back(v);
  }
  return o;
}

// "realization 3 is" or "realizations 3 to 5 are": realizations [from, to).
std::string realizations_text(std::size_t from, std::size_t to) {
  if (to == from + 1) return "realization " + std::to_string(from) + " is";
  return "realizations " + std::to_string(from) + " to " + std::to_string(to - 1) + " are";
}

void append_exceedance(std::string& t, const Exceedance& e) {
  t += "exceedance " + std::to_string(e.times) + " " + std::to_string(e.nodes) + "\n";
  for (std::size_t k = 0; k < e.times; ++k) {
    for (std::size_t n = 0; n < e.nodes; ++n) {
      if (n > 0) t += ' ';
      t += std::to_string(e.counts[k * e.nodes + n]);
    }
    t += '\n';
  }
}

// The counts after their line "exceedance <times> <nodes>" (`head`), each at
// most `slice`, the slice's realizations. The counts are kept as their lines
// come, so a file that claims more than it holds takes no more memory.
Exceedance read_exceedance(Lines& in, const std::vector<std::string_view>& head, std::size_t slice) {
  if (head.size() != 3) in.fail("expected 'exceedance' and 2 value(s)");
  Exceedance e;
  e.times = in.whole(head[1]), e.nodes = in.whole(head[2]);
  if (e.times == 0 || e.nodes == 0 || e.times > 1'000'000 || e.nodes > 1'000'000'000 / e.times)
    in.fail("the exceedance counts' size is out of range");
  for (std::size_t k = 0; k < e.times; ++k) {
    const std::vector<std::string_view> w = in.next();
    if (w.size() != e.nodes)
      in.fail("a time's exceedance counts are " + std::to_string(w.size()) + ", not " + std::to_string(e.nodes));
    for (std::string_view c : w) {
      const std::uint64_t v = in.whole(c);
      if (v > slice) in.fail("an exceedance count is above the slice's realizations");
      e.counts.push_back(static_cast<std::uint32_t>(v));
    }
  }
  return e;
}

}  // namespace

std::string part_text(const Part& p) {
  std::string t = std::string(kFirstLine) + "\nstudy " + p.study + "\nseed " + std::to_string(p.seed) + "\nensemble " +
                  std::to_string(p.realizations) + "\nslice " + std::to_string(p.from) + " " + std::to_string(p.to) +
                  "\nshape " + std::to_string(p.shape.limits) + " " + std::to_string(p.shape.receptors) + " " +
                  std::to_string(p.shape.days) + "\n";
  for (const Outcome& o : p.outcomes) {
    t += std::to_string(o.index);
    for (double v : {o.aquifer.transmissivity, o.aquifer.storage, o.aquifer.leakance, o.rate_factor}) {
      t += ' ';
      append_hex(t, v);
    }
    t += ' ';
    if (o.exceeded.empty()) t += '-';
    for (std::uint8_t e : o.exceeded) t += e != 0 ? '1' : '0';
    for (float v : o.series) {
      t += ' ';
      append_hex(t, v);
    }
    t += '\n';
  }
  if (p.exceedance) append_exceedance(t, *p.exceedance);
  return t + "end\n";
}

Part read_part(std::string_view text) {
  Lines in(text);
  const std::vector<std::string_view> first = in.next();
  if (first != std::vector<std::string_view>{"leaky-drawdown", "realizations", "1"})
    in.fail("this is not a partial file of realizations");
  Part p;
  p.study = std::string(in.keyed("study", 1)[0]);
  p.seed = in.whole(in.keyed("seed", 1)[0]);
  p.realizations = in.whole(in.keyed("ensemble", 1)[0]);
  const std::vector<std::string_view> slice = in.keyed("slice", 2);
  p.from = in.whole(slice[0]), p.to = in.whole(slice[1]);
  if (p.realizations > kMostRealizations || p.from >= p.to || p.to > p.realizations)
    in.fail("the slice does not lie within the ensemble");
  const std::vector<std::string_view> shape = in.keyed("shape", 3);
  p.shape = Shape{in.whole(shape[0]), in.whole(shape[1]), in.whole(shape[2])};
  if (p.shape.limits > 1'000'000 || p.shape.receptors > 1'000'000 || p.shape.days > 1'000'000 ||
      p.shape.receptors * p.shape.days > 10'000'000)
    in.fail("the shape is too large");
  for (std::size_t i = p.from; i < p.to; ++i) p.outcomes.push_back(read_outcome(in, p, i));
  std::vector<std::string_view> last = in.next();
  if (last.front() == "exceedance") {
    p.exceedance = read_exceedance(in, last, p.to - p.from);
    last = in.next();
  }
  if (last != std::vector<std::string_view>{"end"}) in.fail("expected 'end' after the slice's realizations");
  if (!in.done()) {
    in.next();
    in.fail("text follows 'end'");
  }
  return p;
}

std::vector<Outcome> merge_parts(std::vector<Part> parts) {
  if (parts.empty()) throw PartError{0, "no partial files"};
  std::sort(parts.begin(), parts.end(), [](const Part& a, const Part& b) { return a.from < b.from; });
  const Part& first = parts.front();
  std::vector<Outcome> all;
  std::size_t next = 0;
  for (Part& p : parts) {
    if (p.study != first.study) throw PartError{0, "the partial files are of different studies (or inputs)"};
    if (p.seed != first.seed) throw PartError{0, "the partial files have different seeds"};
    if (p.realizations != first.realizations) throw PartError{0, "the partial files are of ensembles of different sizes"};
    if (!(p.shape == first.shape)) throw PartError{0, "the partial files' realizations differ in shape"};
    if (p.from < next) throw PartError{0, realizations_text(p.from, next) + " in two partial files"};
    if (p.from > next) throw PartError{0, realizations_text(next, p.from) + " in no partial file"};
    for (Outcome& o : p.outcomes) all.push_back(std::move(o));
    next = p.to;
  }
  if (next != first.realizations) throw PartError{0, realizations_text(next, first.realizations) + " in no partial file"};
  return all;
}

}  // namespace uncertainty

namespace uncertainty {

std::optional<Exceedance> merge_exceedance(const std::vector<Part>& parts) {
  std::optional<Exceedance> sum;
  for (const Part& p : parts) {
    if (p.exceedance.has_value() != parts.front().exceedance.has_value())
      throw PartError{0, "some partial files hold exceedance counts and others not"};
    if (!p.exceedance) continue;
    if (!sum)
      sum = *p.exceedance;
    else if (!add_counts(*sum, *p.exceedance))
      throw PartError{0, "the partial files' exceedance counts differ in size"};
  }
  return sum;
}

}  // namespace uncertainty
