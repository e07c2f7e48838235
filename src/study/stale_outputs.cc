#include "study/stale_outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/printable.h"
#include "files/sha256.h"

namespace study {
namespace {

// A descriptor closed when it goes.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
};

// Opens `name` in `folder_fd` for reading without following a link and
// without waiting on a FIFO; fills `st`; -1 when that fails.
int open_quietly(int folder_fd, const std::string& name, struct stat& st) {
  const int fd = ::openat(folder_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::fstat(fd, &st) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// The SHA-256 of what `fd` holds from its start, or "" when it cannot be read.
std::string sha256_of(int fd) {
  files::Sha256 sha;
  char block[1 << 14];
  ssize_t n;
  while ((n = ::read(fd, block, sizeof block)) > 0) sha.add(block, static_cast<std::size_t>(n));
  return n == 0 ? sha.hex() : "";
}

// Whether the file `st` describes is the one at `path`.
bool is_file_at(const struct stat& st, const std::string& path) {
  struct stat other {};
  return ::stat(path.c_str(), &other) == 0 && other.st_dev == st.st_dev && other.st_ino == st.st_ino;
}

}  // namespace

std::string read_previous_manifest(int folder_fd) {
  struct stat st {};
  Descriptor d{open_quietly(folder_fd, std::string(kManifestName), st)};
  if (d.fd < 0 || !S_ISREG(st.st_mode)) return "";
  std::string text;
  char block[1 << 14];
  for (ssize_t n; (n = ::read(d.fd, block, sizeof block)) > 0 && text.size() < (1u << 26);)
    text.append(block, static_cast<std::size_t>(n));
  return text;
}

std::string why_kept(int folder_fd, const ListedOutput& listed, std::span<const std::string> inputs) {
  if (base::printable_name(listed.name) != listed.name)
    return "its listed name holds a control character or a byte that is not UTF-8";
  if (!files::is_plain_name(listed.name)) return "its listed name is not a plain file name";
  struct stat st {};
  if (::fstatat(folder_fd, listed.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return "-";
  if (!S_ISREG(st.st_mode)) return "it is not a regular file";
  if (!is_output_name(listed.name)) return "it is not named like an output";
  if (std::any_of(inputs.begin(), inputs.end(), [&](const std::string& in) { return is_file_at(st, in); }))
    return "it is one of this study's inputs";
  Descriptor d{open_quietly(folder_fd, listed.name, st)};
  if (d.fd < 0 || !S_ISREG(st.st_mode)) return "it cannot be read";
  if (!listed.size || static_cast<std::uint64_t>(st.st_size) != *listed.size || sha256_of(d.fd) != listed.sha256)
    return "it is not the file the manifest recorded (its size or SHA-256 differs)";
  return "";
}

void remove_stale_outputs(const files::OutputFolder& folder, std::span<const ListedOutput> listed,
                          std::span<const std::string> planned, std::span<const std::string> inputs,
                          const std::function<void(const std::string&)>& say,
                          const std::function<void(const std::string&)>& keep) {
  for (const ListedOutput& file : listed) {
    if (std::find(planned.begin(), planned.end(), file.name) != planned.end()) continue;
    const std::string why = why_kept(folder.fd(), file, inputs);
    if (why == "-") continue;
    if (!why.empty()) {
      keep("left '" + folder.shown(file.name) + "', which the output folder's earlier manifest lists: " + why);
      continue;
    }
    say("removing '" + folder.shown(file.name) + "', written by an earlier study and not by this one");
    ::unlinkat(folder.fd(), file.name.c_str(), 0);
  }
}

}  // namespace study
