// Reading the files a reader names: their bytes with a size limit, and the
// check that a file lies inside a folder (after its links are followed).
#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace inputs {

/// Reads a file an input names (a CSV file): its bytes, or nothing with
/// `why` set to the reason.
using ReadFile = std::function<std::optional<std::string>(const std::string& path, std::string& why)>;

/// The largest TOML file read (a study file, a test file): 64 MiB.
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

/// The folder of `file` with its links followed: the folder whose files an
/// input may name.
std::filesystem::path real_folder_of(const std::string& file);

/// Whether `path`, with its links followed, lies inside `folder` (as
/// real_folder_of gives it). A file received from someone else reads nothing
/// beside its folder.
bool lies_inside(const std::filesystem::path& folder, const std::string& path);

}  // namespace inputs
