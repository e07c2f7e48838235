// The endings of file names, and a file written by a library (with the files a
// format writes beside it) under a temporary name in its own folder and renamed
// into place only when complete: what the GIS outputs written through GDAL
// share, apart from GDAL itself (src/maps/gdal).
#pragma once

#include <string>
#include <vector>

namespace maps {

/// The endings of a file name: "dd.tif" -> ".tif", "a.b/dd" -> "". The part
/// after the last dot of the last path component, dot included.
std::string ending_of(const std::string& path);

/// `path` with its ending replaced by `ending` ("dd.asc", ".prj" -> "dd.prj").
std::string with_ending(const std::string& path, const std::string& ending);

/// A file GDAL writes under a temporary name beside `path` (the folder of
/// `path`, a hidden name holding the process id, `path`'s ending), together
/// with the files of the same name and other endings the format writes beside
/// it (a shapefile's .shx, .dbf, ...). commit() renames them all into place;
/// until then, and after a failure, the files of the final names are not
/// touched, and the destructor removes every temporary file left.
class StagedFiles {
 public:
  /// `sidecars`: the other endings the format may write, e.g. {".shx", ".dbf"}.
  StagedFiles(std::string path, std::vector<std::string> sidecars = {});
  ~StagedFiles();
  StagedFiles(const StagedFiles&) = delete;
  StagedFiles& operator=(const StagedFiles&) = delete;

  /// The name GDAL is to write.
  const std::string& temporary() const { return temporary_; }

  /// Whether a new file can be made in the folder: "" when it can, else why not
  /// (the system's reason, e.g. "No such file or directory").
  std::string check_folder() const;

  /// Renames the written files into place (the main file last); "" when all
  /// reached their place, else why not. Sidecars GDAL did not write are not
  /// renamed, and a file of that final name is left as it is.
  std::string commit();

  /// `message` with the temporary name replaced by the final one, so that a
  /// GDAL message names the file the user asked for.
  std::string in_final_names(std::string message) const;

 private:
  std::string path_;
  std::string temporary_;
  std::vector<std::string> sidecars_;
  bool committed_ = false;
};

}  // namespace maps
