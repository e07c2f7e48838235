#include "maps/staged_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace maps {
namespace {

std::size_t name_start(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? 0 : slash + 1;
}

}  // namespace

std::string ending_of(const std::string& path) {
  const std::size_t start = name_start(path);
  const std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || dot < start) return "";
  return path.substr(dot);
}

std::string with_ending(const std::string& path, const std::string& ending) {
  return path.substr(0, path.size() - ending_of(path).size()) + ending;
}

StagedFiles::StagedFiles(std::string path, std::vector<std::string> sidecars)
    : path_(std::move(path)), sidecars_(std::move(sidecars)) {
  static std::atomic<unsigned> counter{0};
  const std::size_t start = name_start(path_);
  const std::string ending = ending_of(path_);
  const std::string stem = path_.substr(start, path_.size() - start - ending.size());
  temporary_ = path_.substr(0, start) + "." + stem + ".partial-" + std::to_string(::getpid()) + "-" +
               std::to_string(counter.fetch_add(1)) + ending;
}

StagedFiles::~StagedFiles() {
  if (committed_) return;
  std::remove(temporary_.c_str());
  for (const std::string& e : sidecars_) std::remove(with_ending(temporary_, e).c_str());
}

std::string StagedFiles::check_folder() const {
  const int fd = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  std::remove(temporary_.c_str());
  return "";
}

std::string StagedFiles::commit() {
  // The sidecars first, the main file last: a reader that finds the main file
  // new finds the whole set new.
  std::string why;
  for (const std::string& e : sidecars_) {
    const std::string from = with_ending(temporary_, e);
    if (::access(from.c_str(), F_OK) != 0) continue;
    if (std::rename(from.c_str(), with_ending(path_, e).c_str()) != 0 && why.empty()) why = std::strerror(errno);
  }
  if (why.empty() && std::rename(temporary_.c_str(), path_.c_str()) != 0) why = std::strerror(errno);
  committed_ = why.empty();
  return why;
}

std::string StagedFiles::in_final_names(std::string message) const {
  // The names without their endings, so that a sidecar's name is put right too.
  const std::string from = with_ending(temporary_, "");
  const std::string to = with_ending(path_, "");
  for (std::size_t at = message.find(from); at != std::string::npos; at = message.find(from, at + to.size()))
    message.replace(at, from.size(), to);
  return message;
}

}  // namespace maps
