#include "maps/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace maps {
namespace {

int last_error() { return errno != 0 ? errno : EIO; }

// The file `path` names: the end of its symbolic links when it is one (a
// link that leads nowhere is replaced like a missing file).
std::string link_target(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  char* real = ::realpath(path.c_str(), nullptr);
  if (real == nullptr) return path;
  std::string target(real);
  std::free(real);
  return target;
}

// Creates a new hidden file beside `target` (mode 0666 less the umask) and
// sets `name` to it; its descriptor, or -1 with errno set.
int create_beside(const std::string& target, std::string& name) {
  const std::size_t slash = target.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.size() > 200) base.resize(200);  // the new name stays within a file name's 255 bytes
  static std::atomic<unsigned> serial{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto clock = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    name = folder + "." + base + "." + std::to_string(::getpid()) + "-" + std::to_string(serial++) + "-" +
           std::to_string(clock % 1000000) + ".tmp";
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;  // errno is EEXIST
}

}  // namespace

std::string missing_cells(const engine::EvaluatedGrid& e, std::string_view what) {
  if (e.NX < 1 || e.NY < 1)
    return "the grid has no nodes (NX = " + std::to_string(e.NX) + ", NY = " + std::to_string(e.NY) + ")";
  if (e.SPACING < 1)
    return "the node spacing of " + std::to_string(e.SPACING) + " feet gives no " + std::string(what);
  if (e.DD == nullptr) return "there is no drawdown grid";
  return "";
}

OutputFile::OutputFile(const std::string& path) {
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {  // a device, a FIFO (or a folder, which fails here)
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) error_ = last_error();
    return;
  }
  target_ = link_target(path);
  const int fd = create_beside(target_, temporary_);
  if (fd < 0) {
    error_ = last_error();
    temporary_.clear();
    return;
  }
  if (exists) ::fchmod(fd, st.st_mode & 07777);  // the new file keeps the old one's mode
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    error_ = last_error();
    ::close(fd);
  }
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool OutputFile::write(const void* data, std::size_t size) {
  if (error_ != 0) return false;
  if (std::fwrite(data, 1, size, file_) != size) error_ = last_error();
  return error_ == 0;
}

std::string OutputFile::finish() {
  if (file_ != nullptr) {
    if (std::fflush(file_) != 0 && error_ == 0) error_ = last_error();
    // On the disk before it takes the old file's place: a failure to store it
    // (a full disk found late, an I/O error) is one of this file's.
    if (!temporary_.empty() && error_ == 0 && ::fsync(::fileno(file_)) != 0) error_ = last_error();
    if (std::fclose(file_) != 0 && error_ == 0) error_ = last_error();
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    if (error_ == 0 && std::rename(temporary_.c_str(), target_.c_str()) != 0) error_ = last_error();
    if (error_ != 0) ::unlink(temporary_.c_str());
    temporary_.clear();
  }
  return error_ == 0 ? "" : std::strerror(error_);
}

}  // namespace maps
