// The folder a study writes its outputs into, opened once: every output is
// created relative to it (a directory descriptor), so that no symbolic link
// planted in the folder's path, nor one in its place, sends a file elsewhere.
// It also keeps the list of the files written whole, with their SHA-256, for
// the folder's manifest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace files {

/// A file written whole into an OutputFolder.
struct WrittenFile {
  std::string name;    ///< its name in the folder
  std::string sha256;  ///< the SHA-256 of its bytes, hex
  std::uint64_t size = 0;
};

/// An open output folder.
class OutputFolder {
 public:
  OutputFolder() = default;
  ~OutputFolder();
  OutputFolder(const OutputFolder&) = delete;
  OutputFolder& operator=(const OutputFolder&) = delete;

  /// Opens the folder `relative` (a relative path without ".." that leaves
  /// it) below the folder `base`, creating the folders that are missing and
  /// following no symbolic link below `base`. "" when open, else why not.
  std::string open_below(const std::string& base, const std::string& relative);

  /// Opens the folder `path` as given (links followed: the name is the user's
  /// own), creating it and its parents when missing. "" or why not.
  std::string open_given(const std::string& path);

  /// The open folder's descriptor (-1 before a successful open).
  int fd() const { return fd_; }

  /// The folder's name as messages show it.
  const std::string& shown() const { return shown_; }

  /// `name` in the folder, as messages show it ("out/drawdown.tif").
  std::string shown(const std::string& name) const;

  /// Takes an exclusive lock on the folder (flock(2), without waiting) for
  /// as long as it is open: false when another program holds a lock on it.
  bool lock();

  /// Removes the hidden files this program was writing in the folder when
  /// it was killed (is_temporary_name); the number removed.
  int remove_stale_temporaries() const;

  /// Notes that `file` reached its place whole.
  void record(WrittenFile file);

  /// The files written whole, in the order they were written.
  const std::vector<WrittenFile>& written() const { return written_; }

 private:
  int fd_ = -1;
  std::string shown_;
  std::vector<WrittenFile> written_;
};

/// Shared locks on the folders of files written by path (the input-file
/// run's extra outputs), held while the object lives: several runs may write
/// into one folder, but not while a study writes there (OutputFolder::lock).
class SharedFolderLocks {
 public:
  SharedFolderLocks() = default;
  ~SharedFolderLocks();
  SharedFolderLocks(const SharedFolderLocks&) = delete;
  SharedFolderLocks& operator=(const SharedFolderLocks&) = delete;

  /// Locks the folder of each of `paths` (shared, without waiting): "" when
  /// done (a folder that cannot be opened is passed over: writing there
  /// fails later, with its reason), else the folder a study is writing into.
  std::string take(const std::vector<std::string>& paths);

 private:
  std::vector<int> fds_;
};

/// Whether `path` is relative and stays within its folder: not absolute, and
/// no ".." that climbs above where it starts ("a/../b" stays, "../b" and
/// "a/../../b" leave).
bool stays_within(const std::string& path);

/// Whether `name` is a plain file name: not empty, no '/', not "." or "..".
bool is_plain_name(const std::string& name);

}  // namespace files
