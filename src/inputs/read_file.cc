#include "inputs/read_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace inputs {

namespace fs = std::filesystem;

std::optional<std::string> read_file(const std::string& path, std::string& why, std::size_t limit) {
  const std::string too_large = "it is larger than " + (limit % (std::size_t{1} << 30) == 0
                                                             ? std::to_string(limit >> 30) + " GiB"
                                                             : std::to_string(limit >> 20) + " MiB");
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    why = std::error_code(errno, std::generic_category()).message();
    return std::nullopt;
  }
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  const bool known = ::fstat(fd, &st) == 0;
  if (known && S_ISDIR(st.st_mode)) {
    why = "it is a folder";
    return std::nullopt;
  }
  const bool regular = known && S_ISREG(st.st_mode);
  // A regular file is refused by its size, before it is read.
  if (regular && static_cast<std::uint64_t>(st.st_size) > limit) {
    why = too_large + " (" + std::to_string(st.st_size) + " bytes)";
    return std::nullopt;
  }
  std::string text;
  if (regular) text.reserve(static_cast<std::size_t>(st.st_size));
  // Devices and pipes, and a file that grows, are read up to the limit.
  char block[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd, block, sizeof block);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      why = "a read failed: " + std::error_code(errno, std::generic_category()).message();
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(block, static_cast<std::size_t>(n));
    if (text.size() > limit) {
      why = too_large;
      return std::nullopt;
    }
  }
  return text;
}

std::optional<std::string> read_file(const std::string& path, std::string& why) {
  return read_file(path, why, kLargestCsvFile);
}

fs::path real_folder_of(const std::string& file) {
  std::error_code ec;
  return fs::weakly_canonical(fs::absolute(file, ec).parent_path(), ec);
}

bool lies_inside(const fs::path& folder, const std::string& path) {
  std::error_code e;
  const fs::path real = fs::weakly_canonical(fs::absolute(path, e), e);
  const auto [end, at] = std::mismatch(folder.begin(), folder.end(), real.begin(), real.end());
  return !e && end == folder.end() && at != real.end();
}

}  // namespace inputs
