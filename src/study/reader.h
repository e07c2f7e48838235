// The study file reader: TOML (with toml++) and the CSV files it names, every
// value checked, each refusal one line naming the file and the line.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "study/study.h"

namespace study {

/// Why a study cannot be run: one line, without the program's name, starting
/// with the file and line it concerns ("study.toml:12: ...").
struct StudyError {
  std::string message;
};

/// Reads a file the study names (a CSV file): its bytes, or nothing with
/// `why` set to the reason.
using ReadFile = std::function<std::optional<std::string>(const std::string& path, std::string& why)>;

/// The largest study file read: 64 MiB.
inline constexpr std::size_t kLargestStudyFile = std::size_t{64} << 20;
/// The largest CSV file read: 1 GiB.
inline constexpr std::size_t kLargestCsvFile = std::size_t{1} << 30;

/// The bytes of the file at `path`, or nothing with `why` set (a folder, a
/// failed open or read, more than `limit` bytes). A regular file larger than
/// `limit` is refused by its size before anything is read; a device or a pipe
/// is read up to `limit` bytes and then refused.
std::optional<std::string> read_file(const std::string& path, std::string& why, std::size_t limit);

/// read_file of a CSV file (at most kLargestCsvFile bytes): ReadFile from the
/// file system.
std::optional<std::string> read_file(const std::string& path, std::string& why);

/// A ReadFile of the files inside the folder of `file` only, also after
/// links are followed: a file elsewhere is refused with the reason "it lies
/// outside " + `folder_named` ("the study file's folder"). `read`, when given,
/// hears of the bytes of each file read.
ReadFile read_inside_folder(const std::string& file, const std::string& folder_named,
                            const std::function<void(const std::string& path, const std::string& bytes)>& read = {});

/// The study that `text`, the contents of the study file `file`, states. Files
/// it names (CSV inputs, the output folder) are relative to the study file's
/// folder; CSV files are read through `read`. Throws StudyError for a TOML
/// syntax error, an unknown key (naming the nearest known one), a missing key,
/// a value of the wrong type or out of range, schedule days or times that do
/// not increase, a CSV row with the wrong number of fields, a name used twice,
/// a name or title that is not UTF-8 text, holds a control character or is
/// longer than 200 characters, a well or receptor too far from the grid, or no
/// well at all. Names are checked in time linear in their number. `rows`, when
/// given, counts the wells, receptors and CSV rows read so far (for a progress
/// line on the console).
Study read_study(std::string_view text, const std::string& file, const ReadFile& read,
                 std::atomic<std::uint64_t>* rows = nullptr);

/// read_study of the file `file` (at most kLargestStudyFile bytes), its CSV
/// files read from the file system.
Study read_study_file(const std::string& file, std::atomic<std::uint64_t>* rows = nullptr);

/// The most characters a name or a title may have.
inline constexpr std::size_t kLongestName = 200;

/// Why `text`, a name or a title, cannot be one: it is not UTF-8 text, holds
/// a control character (base::is_control) or is longer than kLongestName
/// characters ("is longer than 200 characters (214)"); "" when it can.
std::string name_fault(std::string_view text);

/// The known key nearest to `key` by edit distance (case ignored; the first of
/// equally near ones).
std::string_view nearest_key(std::string_view key, std::span<const std::string_view> known);

}  // namespace study
