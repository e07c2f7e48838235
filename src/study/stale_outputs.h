// The outputs of an earlier study in the folder a study writes: the files its
// manifest lists that this study does not write again. Only a file that is
// exactly what the program wrote there (the size and SHA-256 the manifest
// recorded) is removed; the manifest itself may have been planted or left
// from another folder, so nothing it names is trusted beyond that.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "files/output_folder.h"
#include "study/manifest.h"

namespace study {

/// The manifest found in the folder `folder_fd` (kManifestName), read without
/// blocking and only when it is a regular file (not a link, a FIFO or a
/// device): its text, or "" when there is none such.
std::string read_previous_manifest(int folder_fd);

/// Why the file `listed` of a previous manifest, in the folder `folder_fd`,
/// is not removed: "" when it is to be removed (a regular file named like an
/// output, whose listed name is a plain name of well-formed UTF-8 without
/// control characters, of the size and SHA-256 recorded, and none of
/// `inputs`, paths as given); "-" when there is nothing to say (no such file).
std::string why_kept(int folder_fd, const ListedOutput& listed, std::span<const std::string> inputs);

/// Removes the files of `listed` that are not in `planned` and why_kept
/// allows; says each removal by `say` before it happens, and each file left,
/// with why, by `keep` (a line naming the file as `folder` shows it).
void remove_stale_outputs(const files::OutputFolder& folder, std::span<const ListedOutput> listed,
                          std::span<const std::string> planned, std::span<const std::string> inputs,
                          const std::function<void(const std::string&)>& say,
                          const std::function<void(const std::string&)>& keep);

}  // namespace study
