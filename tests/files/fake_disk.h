// The one fake disk of the output files' tests: the system's disk, except
// for the failures a test asks for, in use while the object lives.
#pragma once

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "files/disk.h"

namespace files_testing {

class FakeDisk final : public files::Disk {
 public:
  FakeDisk() : before_(files::use_disk(this)) {}
  ~FakeDisk() override { files::use_disk(before_); }
  FakeDisk(const FakeDisk&) = delete;
  FakeDisk& operator=(const FakeDisk&) = delete;

  int sync_error = 0;  ///< fsync fails with this errno (0: it does not)
  /// The bytes of each write that reach the file; the write reports all of
  /// them all the same, as a writer that loses bytes silently does.
  std::size_t stored = std::numeric_limits<std::size_t>::max();
  int syncs = 0;  ///< the syncs asked for

  std::size_t write(std::FILE* file, const void* data, std::size_t size) override {
    const std::size_t kept = size < stored ? size : stored;
    return files::system_disk().write(file, data, kept) == kept ? size : 0;
  }
  int sync(int fd) override {
    ++syncs;
    if (sync_error == 0) return files::system_disk().sync(fd);
    errno = sync_error;
    return -1;
  }
  int size(int fd, std::uint64_t& bytes) override { return files::system_disk().size(fd, bytes); }

 private:
  files::Disk* before_;
};

}  // namespace files_testing
