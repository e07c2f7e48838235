#include "files/output_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "files/temporaries.h"

namespace files {
namespace {

// The parts of a relative path, without "." and empty ones.
std::vector<std::string> parts_of(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    std::string part = path.substr(start, slash - start);
    if (!part.empty() && part != ".") parts.push_back(part);
    start = slash + 1;
  }
  return parts;
}

// The folder `part` of the open folder `at`, created when missing, without
// following a symbolic link; its descriptor, or -1 with `why` set.
int open_part(int at, const std::string& part, std::string& why) {
  if (part == "..") {
    why = "'..' is not followed";
    return -1;
  }
  if (::mkdirat(at, part.c_str(), 0777) != 0 && errno != EEXIST) {
    why = "cannot create '" + part + "': " + std::strerror(errno);
    return -1;
  }
  const int fd = ::openat(at, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd >= 0) return fd;
  struct stat st {};
  if (::fstatat(at, part.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
    why = "'" + part + "' is a symbolic link, which a study's output folder does not follow";
  else if (errno == ENOTDIR)
    why = "'" + part + "' is not a folder";
  else
    why = "cannot open '" + part + "': " + std::strerror(errno);
  return -1;
}

}  // namespace

OutputFolder::~OutputFolder() {
  if (fd_ >= 0) ::close(fd_);
}

std::string OutputFolder::open_below(const std::string& base, const std::string& relative) {
  shown_ = relative.empty() || relative == "." ? base : (base.empty() || base == "." ? relative : base + "/" + relative);
  if (!stays_within(relative)) return "it leaves the study file's folder";
  int fd = ::open(base.empty() ? "." : base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  std::vector<std::string> parts;  // "a/../b" is "b"
  for (const std::string& part : parts_of(relative))
    if (part != "..") parts.push_back(part);
    else parts.pop_back();
  for (const std::string& part : parts) {
    std::string why;
    const int next = open_part(fd, part, why);
    ::close(fd);
    if (next < 0) return why;
    fd = next;
  }
  fd_ = fd;
  return "";
}

std::string OutputFolder::open_given(const std::string& path) {
  shown_ = path;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) return ec.message();
  fd_ = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  return fd_ >= 0 ? "" : std::strerror(errno);
}

std::string OutputFolder::shown(const std::string& name) const {
  return shown_.empty() || shown_ == "." ? name : shown_ + "/" + name;
}

bool OutputFolder::lock() {
  int r;
  do {
    r = ::flock(fd_, LOCK_EX | LOCK_NB);
  } while (r != 0 && errno == EINTR);
  return r == 0 || errno != EWOULDBLOCK;  // a file system without locks is written unlocked
}

int OutputFolder::remove_stale_temporaries() const {
  const int copy = ::dup(fd_);
  if (copy < 0) return 0;
  DIR* dir = ::fdopendir(copy);
  if (dir == nullptr) {
    ::close(copy);
    return 0;
  }
  ::rewinddir(dir);
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(dir))
    if (is_temporary_name(entry->d_name)) stale.emplace_back(entry->d_name);
  ::closedir(dir);
  int removed = 0;
  for (const std::string& name : stale) {
    struct stat st {};
    if (::fstatat(fd_, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(st.st_mode)) continue;
    if (::unlinkat(fd_, name.c_str(), 0) == 0) ++removed;
  }
  return removed;
}

void OutputFolder::record(WrittenFile file) { written_.push_back(std::move(file)); }

SharedFolderLocks::~SharedFolderLocks() {
  for (int fd : fds_) ::close(fd);
}

std::string SharedFolderLocks::take(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) continue;
    fds_.push_back(fd);
    int r;
    do {
      r = ::flock(fd, LOCK_SH | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0 && errno == EWOULDBLOCK) return folder;
  }
  return "";
}

bool stays_within(const std::string& path) {
  if (path.empty() || path.front() == '/') return false;
  int depth = 0;
  for (const std::string& part : parts_of(path)) {
    depth += part == ".." ? -1 : 1;
    if (depth < 0) return false;
  }
  return true;
}

bool is_plain_name(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

}  // namespace files
