// What every output made from an evaluated grid shares: the check that the
// grid has cells to show, and the writing of the file with its error handling.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/drawdown_grid.h"

namespace maps {

/// Why the grid of `e` cannot be drawn or written as cells ("" when it can):
/// no nodes, a node spacing below one foot ("gives no " + `what`), or no grid.
std::string missing_cells(const engine::EvaluatedGrid& e, std::string_view what);

/// A file being written, replacing any file of that name only when it is
/// complete. The bytes go to a new hidden file in the same folder, which
/// finish() renames into place: a reader of the name sees the old file whole
/// or the new one whole, and a failure leaves no fragment and the old file
/// (its mode kept by the new one) untouched. A name that leads through
/// symbolic links to a file replaces that file and keeps the links. A name
/// that is not a regular file (a device such as /dev/null or /dev/full, a
/// FIFO) is written directly: it cannot be replaced. The first failure is
/// kept; finish() says whether the whole file reached its place.
class OutputFile {
 public:
  /// Starts the file for `path`.
  explicit OutputFile(const std::string& path);
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
  std::FILE* file_ = nullptr;
  int error_ = 0;
  std::string target_;     // the file that is replaced
  std::string temporary_;  // the file being written, "" when written directly
};

}  // namespace maps
