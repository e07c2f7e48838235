// Where an output file goes, and the writing of the file whole or not at all,
// with its error handling.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "files/output_folder.h"
#include "files/sha256.h"

namespace files {

/// Where an output file goes: a path as the user gave it (the input-file
/// run's options), or a plain name in an open OutputFolder (a study's).
struct Target {
  /// The path `path`, as given.
  Target(std::string path) : name(std::move(path)) {}
  /// The path `path`, as given.
  Target(const char* path) : name(path) {}
  /// The file `plain_name` in `in`.
  Target(OutputFolder& in, std::string plain_name) : folder(&in), name(std::move(plain_name)) {}

  OutputFolder* folder = nullptr;  ///< null: `name` is a path
  std::string name;                ///< the path, or the name in the folder

  /// The file as messages show it.
  std::string shown() const { return folder != nullptr ? folder->shown(name) : name; }
  /// The same place with `name`'s ending replaced ("dd.asc", ".prj": "dd.prj").
  Target with_ending(const std::string& ending) const;
};

/// A file being written, replacing any file of that name only when it is
/// complete. The bytes go to a new hidden file of an unpredictable name in the
/// same folder (created exclusively), which finish() syncs to the disk, checks
/// for size and renames into place: a reader of the name sees the old file
/// whole or the new one whole, and a failure leaves no fragment and the old
/// file (its mode kept by the new one) untouched.
///
/// A path as given that leads through symbolic links to a file replaces that
/// file and keeps the links; one that is not a regular file (a device such as
/// /dev/null or /dev/full, a FIFO) is written directly: it cannot be replaced.
/// A name in an OutputFolder follows nothing: a symbolic link or anything but
/// a regular file in its place is refused, and the file written whole is
/// recorded in the folder with its SHA-256. The first failure is kept;
/// finish() says whether the whole file reached its place.
class OutputFile {
 public:
  /// Starts the file for `target`.
  explicit OutputFile(const Target& target);
  /// Removes the unfinished file when finish() was not called.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  /// Appends `size` bytes; false once any write has failed.
  bool write(const void* data, std::size_t size);

  /// Appends `text`; false once any write has failed.
  bool write(std::string_view text) { return write(text.data(), text.size()); }

  /// Ends the file: "" when every byte was written and the file is in its
  /// place, else why not (the reason alone, without the file's name).
  std::string finish();

 private:
  void start_in_folder();
  void start_at_path();
  void open_hidden(const std::string& folder, const std::string& base, const struct ::stat* old, mode_t mode_mask);
  void fail(std::string why);
  std::string put_in_place();

  Target target_;
  std::FILE* file_ = nullptr;
  std::string why_;        // the first failure
  int at_ = -1;            // the folder of target_name_ and temporary_ (AT_FDCWD for paths)
  std::string target_name_;  // the file that is replaced
  std::string temporary_;  // the file being written, "" when written directly
  int slot_ = -1;          // its note_temporary slot
  std::uint64_t bytes_ = 0;
  Sha256 sha_;
};

/// Writes `bytes` whole to `target` (OutputFile); "" or why not.
std::string write_whole_file(const Target& target, std::string_view bytes);

}  // namespace files
