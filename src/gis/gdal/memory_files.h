// A folder of GDAL's in-memory file system (/vsimem/) for one output: GDAL
// writes the format's files there, and they are taken out whole as bytes.
#pragma once

#include <string>
#include <vector>

#include "files/staged_files.h"

namespace gis::gdal {

/// A new, empty in-memory folder, removed with everything in it when the
/// object goes away.
class MemoryFiles {
 public:
  MemoryFiles();
  ~MemoryFiles();
  MemoryFiles(const MemoryFiles&) = delete;
  MemoryFiles& operator=(const MemoryFiles&) = delete;

  /// The in-memory name for GDAL to write, `stem` + `ending` in the folder.
  std::string path(const std::string& stem, const std::string& ending) const;

  /// Every file of the folder named `stem` and some ending: the one of
  /// `main_ending` first, then the others in name order. Empty when the main
  /// file is missing.
  std::vector<files::StagedFile> take(const std::string& stem, const std::string& main_ending) const;

 private:
  std::string folder_;
};

}  // namespace gis::gdal
