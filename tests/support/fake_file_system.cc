#include "fake_file_system.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

namespace testing_support {
namespace {

recio::FileSystem& real() { return recio::posix_file_system(); }

std::string parent_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

FakeFileSystem::FakeFileSystem(Files files) : files_(files) {
  if (memory()) folders = {"/", kFolder, path("sub")};
}

std::string FakeFileSystem::current_directory() {
  if (use_cwd_override) return cwd_override;
  return memory() ? kFolder : real().current_directory();
}

int FakeFileSystem::open(const std::string& path, int flags) {
  last_open_flags = flags;
  opened_paths.push_back(path);
  if (!open_errors.empty()) {
    const int e = open_errors.front();
    open_errors.pop_front();
    if (e != 0) return -e;
  }
  const int fd = memory() ? open_in_memory(path, flags) : real().open(path, flags);
  if (fd >= 0 && !memory()) open_[fd] = Open{path};
  return fd;
}

int FakeFileSystem::open_in_memory(const std::string& path, int flags) {
  const bool want_write = (flags & O_ACCMODE) != O_RDONLY;
  if (folders.count(path) != 0) {
    if (want_write) return -EISDIR;
    open_[next_fd_] = Open{path, true, false, 0};
    return next_fd_++;
  }
  if (path.empty() || path.back() == '/') return -ENOENT;
  if (folders.count(parent_of(path)) == 0) return files.count(parent_of(path)) != 0 ? -ENOTDIR : -ENOENT;
  if (files.count(path) == 0) {
    if ((flags & O_CREAT) == 0) return -ENOENT;
    files[path];
  }
  if (want_write && read_only.count(path) != 0) return -EACCES;
  open_[next_fd_] = Open{path, false, want_write, 0};
  return next_fd_++;
}

bool FakeFileSystem::is_directory(int fd) {
  if (directory) return true;
  if (!memory()) return real().is_directory(fd);
  const auto it = open_.find(fd);
  return it != open_.end() && it->second.folder;
}

long FakeFileSystem::write(int fd, const char* data, std::size_t size) {
  ++writes[fd];
  if (fd == 1) {
    console_out.append(data, size);
    return static_cast<long>(size);
  }
  if (fd == 2) {
    if (!memory()) return real().write(fd, data, size);
    error_out.append(data, size);
    return static_cast<long>(size);
  }
  if (write_error != 0) return -write_error;
  const auto it = open_.find(fd);
  if (memory()) return it == open_.end() ? -EBADF : write_in_memory(it->second, data, size);
  const long n = real().write(fd, data, size);
  if (n > 0 && it != open_.end()) sent[it->second.path].append(data, static_cast<std::size_t>(n));
  return n;
}

long FakeFileSystem::write_in_memory(Open& o, const char* data, std::size_t size) {
  // As write(2) on a descriptor opened for reading only, or on a folder.
  if (o.folder || !o.writable) return -EBADF;
  std::string& f = files[o.path];
  if (f.size() < o.pos + size) f.resize(o.pos + size);
  f.replace(o.pos, size, data, size);
  o.pos += size;
  sent[o.path].append(data, size);
  return static_cast<long>(size);
}

long FakeFileSystem::read(int fd, char* data, std::size_t size) {
  size = std::min(size, max_read);
  if (fd == 0) {
    const std::size_t n = std::min(size, console_in.size() - console_pos_);
    console_in.copy(data, n, console_pos_);
    console_pos_ += n;
    return static_cast<long>(n);
  }
  if (read_error != 0) return -read_error;
  if (!memory()) return real().read(fd, data, size);
  const auto it = open_.find(fd);
  return it == open_.end() ? -EBADF : read_in_memory(it->second, data, size);
}

long FakeFileSystem::read_in_memory(Open& o, char* data, std::size_t size) {
  if (o.folder) return -EISDIR;
  const std::string& f = files[o.path];
  const std::size_t pos = std::min(o.pos, f.size());
  const std::size_t n = std::min(size, f.size() - pos);
  f.copy(data, n, pos);
  o.pos = pos + n;
  return static_cast<long>(n);
}

int FakeFileSystem::truncate(int fd, long length) {
  if (truncate_error != 0) return -truncate_error;
  if (!memory()) return real().truncate(fd, length);
  const auto it = open_.find(fd);
  if (it == open_.end() || it->second.folder || !it->second.writable) return -EINVAL;
  files[it->second.path].resize(static_cast<std::size_t>(length));
  return 0;
}

int FakeFileSystem::seek(int fd, long offset) {
  if (!memory()) return real().seek(fd, offset);
  const auto it = open_.find(fd);
  if (it == open_.end()) return -EBADF;
  it->second.pos = static_cast<std::size_t>(offset);
  return 0;
}

int FakeFileSystem::close(int fd) {
  const bool known = open_.erase(fd) == 1;
  if (!memory()) return real().close(fd);
  return known ? 0 : -EBADF;
}

std::string FakeFileSystem::regular_file_id(int fd) {
  if (!memory()) return real().regular_file_id(fd);
  const auto it = open_.find(fd);
  return it == open_.end() || it->second.folder ? std::string() : it->second.path;
}

}  // namespace testing_support
