// The record writer: a small interpreter over a compiled
// edit-descriptor table.
#include "recio/record_writer.h"

#include <new>
#include <string_view>

#include "recio/error_report.h"
#include "recio/numeric_edit.h"
#include "recio/units.h"

namespace recio {
namespace {

// The values of one statement, taken one at a time across rows.
class Values {
 public:
  explicit Values(std::span<const Arg> args) : args_(args), entry_(args.begin()) { skip_empty(); }

  bool remain() const { return entry_ != args_.end(); }
  bool next_is_integer() const {
    return entry_->kind() == Arg::Kind::kInteger || entry_->kind() == Arg::Kind::kIntegers;
  }
  std::int32_t take_integer() {
    const std::int32_t v =
        entry_->kind() == Arg::Kind::kInteger ? entry_->integer() : entry_->integers()[index_];
    advance();
    return v;
  }
  float take_single() {
    const float v = entry_->kind() == Arg::Kind::kSingle ? entry_->single() : entry_->singles()[index_];
    advance();
    return v;
  }

 private:
  static std::size_t count(const Arg& a) {
    switch (a.kind()) {
      case Arg::Kind::kIntegers: return a.integers().size();
      case Arg::Kind::kSingles: return a.singles().size();
      default: return 1;
    }
  }
  void advance() {
    if (++index_ >= count(*entry_)) {
      ++entry_;
      index_ = 0;
      skip_empty();
    }
  }
  void skip_empty() {
    while (entry_ != args_.end() && count(*entry_) == 0) ++entry_;
  }

  std::span<const Arg> args_;
  std::span<const Arg>::iterator entry_;
  std::size_t index_ = 0;
};

// The record being built.
class RecordBuilder {
 public:
  explicit RecordBuilder(Statement& out) : out_(out) {}

  // Room for `size` characters at the current column; the caller fills them.
  char* field(int size) {
    const std::size_t end = column_ + static_cast<std::size_t>(size);
    if (buffer_.size() < end) buffer_.resize(end, ' ');
    char* p = buffer_.data() + column_;
    column_ = end;
    if (end > length_) length_ = end;
    return p;
  }
  void skip(int n) { column_ += static_cast<std::size_t>(n); }
  void suppress_line_end() { no_line_end_ = true; }
  void send() {
    out_.records.push_back(Record{buffer_.substr(0, length_), !no_line_end_});
    buffer_.clear();
    column_ = 0;
    length_ = 0;
    no_line_end_ = false;
  }

 private:
  Statement& out_;
  std::string buffer_;
  std::size_t column_ = 0;  // the current column, from 0
  std::size_t length_ = 0;
  bool no_line_end_ = false;
};

struct Level {
  int open;       // index of the group's opening descriptor
  int remaining;  // rounds still to do, this one included
};

// The reversion point of a list: its last outermost group, else its start.
int reversion_point(FormatView list) {
  int reversion = 0;
  for (int i = 0, depth = 0; i < list.size; ++i) {
    if (list.items[i].op == Op::kGroupOpen && depth++ == 0) reversion = i;
    if (list.items[i].op == Op::kGroupClose) --depth;
  }
  return reversion;
}

// What the values of a value descriptor left the statement to do.
enum class Edited { kGoOn, kStarved, kMismatch };

// The repeat count of value descriptor `d` edited from `vals` into `rec`.
Edited edit_values(const Descriptor& d, Values& vals, RecordBuilder& rec, Statement& st) {
  for (int r = 0; r < d.repeat; ++r) {
    if (!vals.remain()) return Edited::kStarved;  // step 2: a starved value descriptor ends the statement
    const bool integer = d.op == Op::kInteger;
    if (vals.next_is_integer() != integer) return Edited::kMismatch;
    const bool ok = integer ? edit_integer(rec.field(d.width), d.width, vals.take_integer())
                            : edit_fixed(rec.field(d.width), d.width, d.decimals, vals.take_single());
    if (!ok) st.overflowed = true;
  }
  return Edited::kGoOn;
}

}  // namespace

Statement lay_out(FormatView list, std::initializer_list<Arg> values) {
  Statement st;
  Values vals(std::span<const Arg>(values.begin(), values.size()));
  RecordBuilder rec(st);
  const int reversion = reversion_point(list);
  Level stack[32];
  int depth = 0;
  bool took_value = false;  // since the start or the last reversion
  int i = 0;
  for (;;) {
    if (i == list.size) {  // step 3: the end of the list
      if (!vals.remain()) break;
      if (!took_value) {  // no value descriptor would ever take them
        st.mismatch = true;
        return st;
      }
      rec.send();
      i = reversion;
      took_value = false;
      continue;
    }
    const Descriptor& d = list.items[i];
    switch (d.op) {
      case Op::kLiteral:
        std::string_view(list.text + d.text_begin, static_cast<std::size_t>(d.text_size))
            .copy(rec.field(d.text_size), static_cast<std::size_t>(d.text_size));
        break;
      case Op::kSkip: rec.skip(d.repeat); break;
      case Op::kSlash: rec.send(); break;
      case Op::kDollar: rec.suppress_line_end(); break;
      case Op::kGroupOpen:
        if (depth == 32) {  // deeper than the parser allows; never happens
          st.mismatch = true;
          return st;
        }
        stack[depth++] = Level{i, d.repeat};
        break;
      case Op::kGroupClose:
        if (--stack[depth - 1].remaining > 0)
          i = stack[depth - 1].open;  // the next round starts after the "("
        else
          --depth;
        break;
      case Op::kInteger:
      case Op::kFixed:
        switch (edit_values(d, vals, rec, st)) {
          case Edited::kStarved: rec.send(); return st;
          case Edited::kMismatch: st.mismatch = true; return st;
          case Edited::kGoOn: took_value = took_value || d.repeat > 0; break;
        }
        break;
    }
    ++i;
  }
  rec.send();  // step 4
  return st;
}

void write_formatted(int unit, FormatView list, std::initializer_list<Arg> values) {
  Statement st;
  try {
    st = lay_out(list, values);
  } catch (const std::bad_alloc&) {
    fatal_io_error(kRecordOverflow, unit);
  }
  if (st.mismatch) fatal_io_error(kTypeMismatch, unit);
  for (const Record& r : st.records) send_record(unit, r.text, r.line_end);
  if (st.overflowed) report_io_error(kOutputConversion, unit);
}

}  // namespace recio
