// The record writer: one write statement lays values out by an edit-descriptor
// list and sends the finished records to a unit.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <vector>

#include "recio/edit_descriptors.h"

namespace recio {

/// One entry of a write statement's values: a 32-bit integer, a single, or a
/// row of either that stands for its values in order.
class Arg {
 public:
  enum class Kind : std::uint8_t { kInteger, kSingle, kIntegers, kSingles };
  /// An integer value, for Iw.
  Arg(std::int32_t v) : kind_(Kind::kInteger), integer_(v) {}
  /// A single value, for Fw.d.
  Arg(float v) : kind_(Kind::kSingle), single_(v) {}
  /// A row of single values, for rFw.d.
  Arg(std::span<const float> v) : kind_(Kind::kSingles), singles_(v) {}
  /// A row of integers, for rIw.
  Arg(std::span<const std::int32_t> v) : kind_(Kind::kIntegers), integers_(v) {}
  Arg(double) = delete;  // the writer takes singles only: say float(...)

  Kind kind() const { return kind_; }
  std::int32_t integer() const { return integer_; }
  float single() const { return single_; }
  std::span<const float> singles() const { return singles_; }
  std::span<const std::int32_t> integers() const { return integers_; }

 private:
  Kind kind_;
  std::int32_t integer_ = 0;
  float single_ = 0.0f;
  std::span<const float> singles_;
  std::span<const std::int32_t> integers_;
};

/// One record laid out by a statement, with whether it ends with CR LF.
struct Record {
  std::string text;
  bool line_end = true;
};

/// What a statement lays out before anything is sent.
struct Statement {
  std::vector<Record> records;  ///< in the order they are sent
  bool overflowed = false;      ///< some field became asterisks
  bool mismatch = false;        ///< a value of the wrong kind met its descriptor
};

/// Lays `values` out by `list` without sending anything.
Statement lay_out(FormatView list, std::initializer_list<Arg> values);

/// One write statement: lays the values out, sends the records to `unit`, then
/// reports message 63 once when any field overflowed (the run goes on). A value
/// of the wrong kind ends the run with message 61, before any record is sent.
void write_formatted(int unit, FormatView list, std::initializer_list<Arg> values = {});

}  // namespace recio
