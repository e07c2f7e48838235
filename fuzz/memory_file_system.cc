#include "memory_file_system.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "recio/error_report.h"

namespace leaky_fuzz {
namespace {

std::string parent_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return "";
  return slash == 0 ? "/" : path.substr(0, slash);
}

[[noreturn]] void throw_run_ended(int status) { throw RunEnded{status}; }

}  // namespace

int MemoryFileSystem::open(const std::string& path, int flags) {
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

bool MemoryFileSystem::is_directory(int fd) {
  const auto it = open_.find(fd);
  return it != open_.end() && it->second.folder;
}

long MemoryFileSystem::write(int fd, const char* data, std::size_t size) {
  if (fd == 1) {
    console_out.append(data, size);
    return static_cast<long>(size);
  }
  if (fd == 2) {
    error_out.append(data, size);
    return static_cast<long>(size);
  }
  const auto it = open_.find(fd);
  if (it == open_.end() || it->second.folder) return -EBADF;
  check(it->second.writable, "a write reached a file opened for reading only", it->second.path);
  std::string& f = files[it->second.path];
  if (f.size() < it->second.pos + size) f.resize(it->second.pos + size);
  f.replace(it->second.pos, size, data, size);
  it->second.pos += size;
  return static_cast<long>(size);
}

long MemoryFileSystem::read(int fd, char* data, std::size_t size) {
  size = std::min(size, max_read);
  if (fd == 0) {
    const std::size_t n = std::min(size, console_in.size() - console_pos_);
    console_in.copy(data, n, console_pos_);
    console_pos_ += n;
    return static_cast<long>(n);
  }
  const auto it = open_.find(fd);
  if (it == open_.end()) return -EBADF;
  if (it->second.folder) return -EISDIR;
  const std::string& f = files[it->second.path];
  const std::size_t pos = std::min(it->second.pos, f.size());
  const std::size_t n = std::min(size, f.size() - pos);
  f.copy(data, n, pos);
  it->second.pos = pos + n;
  return static_cast<long>(n);
}

int MemoryFileSystem::truncate(int fd, long length) {
  const auto it = open_.find(fd);
  if (it == open_.end() || it->second.folder || !it->second.writable) return -EINVAL;
  files[it->second.path].resize(static_cast<std::size_t>(length));
  return 0;
}

int MemoryFileSystem::seek(int fd, long offset) {
  const auto it = open_.find(fd);
  if (it == open_.end()) return -EBADF;
  it->second.pos = static_cast<std::size_t>(offset);
  return 0;
}

int MemoryFileSystem::close(int fd) {
  return open_.erase(fd) == 1 ? 0 : -EBADF;
}

std::string MemoryFileSystem::regular_file_id(int fd) {
  const auto it = open_.find(fd);
  return it == open_.end() || it->second.folder ? std::string() : it->second.path;
}

namespace detail {

void begin_run(MemoryFileSystem& fs) {
  recio::reset_units();
  recio::use_file_system(&fs);
  recio::set_run_end_handler(throw_run_ended);
}

void end_run() {
  recio::reset_units();
  recio::set_run_end_handler(nullptr);
  recio::use_file_system(nullptr);
}

}  // namespace detail

void check(bool ok, const char* what, const std::string& detail) {
  if (ok) return;
  std::fprintf(stderr, "FINDING: %s\n", what);
  if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
  std::abort();
}

}  // namespace leaky_fuzz
