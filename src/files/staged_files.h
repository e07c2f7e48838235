// The endings of file names, and the files of a GIS format made whole in
// memory (by GDAL, in the GIS module) and then written to their place each
// through an OutputFile: what the GIS outputs share apart from GDAL itself
// (src/gis/gdal). Made in memory, a format whose driver does not report a
// failed write (GeoJSON) cannot leave a cut file, and every file is written
// as the others are: whole or not at all, a link's target replaced, a FIFO or
// device written directly, nothing followed in a study's folder.
#pragma once

#include <string>
#include <vector>

namespace files {

struct Target;

/// The endings of a file name: "dd.tif" -> ".tif", "a.b/dd" -> "". The part
/// after the last dot of the last path component, dot included.
std::string ending_of(const std::string& path);

/// `path` with its ending replaced by `ending` ("dd.asc", ".prj" -> "dd.prj").
std::string with_ending(const std::string& path, const std::string& ending);

/// One file of a format, made in memory.
struct StagedFile {
  std::string ending;  ///< its ending (".shp", ".dbf", ...)
  std::string bytes;   ///< its contents
};

/// Writes the files of one format to `target` (the main file, whose ending
/// is that of the first of `files`) with their endings: the others first,
/// the main file last, so that a reader that finds the main file new finds
/// the whole set new. "" when all reached their place, else why not (naming
/// the file when it is not the main one); the files after a failure are not
/// written.
std::string write_staged(const Target& target, const std::vector<StagedFile>& files);

}  // namespace files
