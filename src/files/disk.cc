#include "files/disk.h"

#include <sys/stat.h>
#include <unistd.h>

namespace files {
namespace {

class SystemDisk final : public Disk {
 public:
  std::size_t write(std::FILE* file, const void* data, std::size_t size) override {
    return std::fwrite(data, 1, size, file);
  }
  int sync(int fd) override { return ::fsync(fd); }
  int size(int fd, std::uint64_t& bytes) override {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return -1;
    bytes = static_cast<std::uint64_t>(st.st_size);
    return 0;
  }
};

Disk* in_use = nullptr;

}  // namespace

Disk& system_disk() {
  static SystemDisk disk;
  return disk;
}

Disk* use_disk(Disk* disk) {
  Disk* before = in_use;
  in_use = disk;
  return before;
}

Disk& disk() { return in_use != nullptr ? *in_use : system_disk(); }

}  // namespace files
