// The manifest of a study's output folder (manifest.json): which program wrote
// the folder, from which inputs, which files with which SHA-256, what went
// wrong, and when. It is removed first when a study starts writing and written
// last, so that a folder without it is visibly incomplete; the files the
// previous manifest lists and a new run does not write are its own stale
// outputs, removed.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "files/output_folder.h"

namespace study {

/// The manifest's name in the output folder.
inline constexpr std::string_view kManifestName = "manifest.json";

/// What the manifest records.
struct Manifest {
  std::string version;                  ///< the program's version line
  std::vector<files::WrittenFile> inputs;  ///< the study file and its CSV files (name as given, SHA-256)
  std::vector<files::WrittenFile> outputs; ///< the files written whole, in order
  std::vector<std::string> warnings;    ///< the lines the run wrote on standard error
  std::string uncertainty;              ///< a study's ensemble as a JSON object ("": none, and no key)
  std::string started, ended;           ///< UTC, "2024-05-01T12:00:00Z"
};

/// The manifest as JSON text: an object with the keys program, inputs
/// ([{"file", "sha256"}]), outputs ([{"file", "sha256", "bytes"}]), warnings,
/// started and ended; one entry per line, names escaped as JSON strings
/// (a byte that is not part of well-formed UTF-8 as the messages show it,
/// "\xff"), so that the text is valid JSON for any name.
std::string manifest_text(const Manifest& m);

/// An output file as a manifest found in the folder lists it.
struct ListedOutput {
  std::string name;                  ///< its name, unescaped (it may hold any byte, a NUL too)
  std::string sha256;                ///< the SHA-256 recorded, as written ("" when missing)
  std::optional<std::uint64_t> size; ///< the bytes recorded, when given
};

/// The output files a manifest's text lists (each entry of "outputs"), as
/// manifest_text writes them; nothing whose name is not a plain file name is
/// returned. Text that is not such a manifest lists none.
std::vector<ListedOutput> listed_outputs(std::string_view text);

/// The time `seconds` since the epoch as manifest_text records it.
std::string utc_time(std::int64_t seconds);

/// Whether `name` is one that the study's outputs can have (an ending of a
/// grid, layer, picture or CSV file, or of the files written beside them):
/// only such files of a previous manifest are removed as stale.
bool is_output_name(const std::string& name);

}  // namespace study
