// The answers of the input file, read one by one by name as a run reads them
// and as --check reads them: the questions of the console log, the record of
// each answer (its line, its text as written, the value taken), a warning for
// each trap a mistaken input falls into, and a line after a failed read saying
// which answer it was reading and where.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/drawdown_grid.h"

namespace recio {
struct FoundValue;
}

namespace grid {

/// The input file's answers as the run takes them.
struct Input {
  std::int32_t NX = 0, NY = 0;  ///< grid counts
  std::int32_t XLL = 0, YLL = 0, SPACING = 0, NDEC = 0, NWELL = 0;
  float T = 0.0f, LEAK = 0.0f, S = 0.0f, TIME = 0.0f;
  /// The well table: slots 1 .. NWELL, then the all-zero end marker (slot 0 unused).
  std::vector<engine::Well> table;
};

/// One answer as read.
struct Answer {
  std::string name;     ///< NX, ..., NWELL, X(1), Y(1), Q(1), X(2), ...
  long line = 0;        ///< its line in the input file, from 1
  std::string written;  ///< the value as written ("," or "r*" for a null answer), with the
                        ///< rest of its line when that holds a further number
  std::string taken;    ///< the value taken, as text
};

/// Reads the answers of the input file (unit 11), each by a free-form read of
/// its own. Only one dialogue is open at a time: while it is, a failed read of
/// one of its answers is followed on standard error by a line naming the
/// answer, its line and the offending text.
class Dialogue {
 public:
  /// `prompts`: each question is written to the console before its answer is
  /// read (the run's console log). `listing`: each answer is printed to
  /// standard output once read (--check).
  Dialogue(bool prompts, bool listing);
  ~Dialogue();
  Dialogue(const Dialogue&) = delete;
  Dialogue& operator=(const Dialogue&) = delete;

  /// Writes the questions `prompts`, reads the answer `name` (`meaning` says
  /// what it is) into `item`, and warns of the traps its line shows: a null
  /// answer, a further number on the line, a fraction cut off an integer, a
  /// byte-order mark or a carriage return alone. Returns the answer's record.
  Answer ask(const std::string& name, std::string_view meaning, std::span<const std::string_view> prompts,
             std::int32_t& item);
  /// The same for a single-precision answer.
  Answer ask(const std::string& name, std::string_view meaning, std::span<const std::string_view> prompts,
             float& item);

  /// Writes "leaky-drawdown: warning: `text`" on standard error at once, after
  /// the console output, and keeps it.
  void warn(const std::string& text);

  /// Every answer read so far, in order.
  const std::vector<Answer>& answers() const { return answers_; }
  /// Every warning so far, without the prefix.
  const std::vector<std::string>& warnings() const { return warnings_; }

  /// The line (without prefix and line end) that follows the severe report of
  /// message `number` while an answer is being read.
  std::string failure_context(int number) const;

 private:
  template <typename Item>
  Answer ask_item(const std::string& name, std::string_view meaning, std::span<const std::string_view> prompts,
                  Item& item);
  void warn_about_line(const std::string& name, const recio::FoundValue& v);

  bool prompts_;
  bool listing_;
  std::vector<Answer> answers_;
  std::vector<std::string> warnings_;
  bool carriage_return_seen_ = false;
  // The answer being read (empty between reads) and its value once found.
  std::string reading_;
  std::string reading_meaning_;
  bool reading_integer_ = false;
  const recio::FoundValue* found_ = nullptr;
  void (*previous_context_)(int, int) = nullptr;
  Dialogue* previous_dialogue_ = nullptr;
};

/// Ends the run with a clear message when a grid count exceeds the grid's
/// extent of 300 nodes; `what` names the count ("NX" or "NY").
void check_node_count(std::string_view what, std::int32_t count);

/// Reads NX and NY, refusing a count above 300 at once.
void read_grid_counts(Dialogue& dialogue, Input& in);

/// Reads XLL, YLL, T, LEAK, S, TIME, SPACING and NDEC.
void read_parameters(Dialogue& dialogue, Input& in);

/// Reads NWELL (refusing more than 999 wells) and the wells into the table: a
/// well's x, y and rate are read into three working values, kept from one well
/// to the next (0.0 before the first), and stored in the well's slot; the end
/// marker follows the last.
void read_wells(Dialogue& dialogue, Input& in);

/// The whole input file as a run reads it: counts, parameters, wells.
void read_input(Dialogue& dialogue, Input& in);

/// The wells a run evaluates: slot 1 always, then each later slot up to the
/// first whose x is 0.0 (of either sign).
std::vector<engine::Well> wells_evaluated(const std::vector<engine::Well>& table);

/// A single as its shortest text that reads back as the same value: fixed
/// notation ("250000", "0.0002") unless that is long, then scientific.
std::string shown(float value);

/// One line of the --check listing (without its line end): the line number,
/// the answer's name, its text as written and the value taken.
std::string listing_line(const Answer& answer);

}  // namespace grid
