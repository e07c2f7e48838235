// The calls through which an output file's bytes reach the disk: writing,
// syncing and measuring the hidden file. The program uses the system's; a
// test puts in a disk of its own that fails as a real one does (a failed
// sync, a write that reports all its bytes but stores fewer), which nothing
// else reaches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace files {

/// The disk calls of an OutputFile. Each returns as the system call it
/// stands for, errno set on a failure.
class Disk {
 public:
  virtual ~Disk() = default;
  /// Appends `size` bytes to `file`: the bytes taken (std::fwrite).
  virtual std::size_t write(std::FILE* file, const void* data, std::size_t size) = 0;
  /// Puts the file of `fd` on the disk: 0, or -1 (fsync(2)).
  virtual int sync(int fd) = 0;
  /// The bytes the file of `fd` holds into `bytes`: 0, or -1 (fstat(2)).
  virtual int size(int fd, std::uint64_t& bytes) = 0;
};

/// The system's disk.
Disk& system_disk();

/// The disk every OutputFile uses from now on (nullptr: the system's); the
/// one used before. (The GIS module, loaded apart, keeps the system's.)
Disk* use_disk(Disk* disk);

/// The disk in use.
Disk& disk();

}  // namespace files
