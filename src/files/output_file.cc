#include "files/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "files/disk.h"
#include "files/staged_files.h"
#include "files/temporaries.h"

namespace files {
namespace {

std::string last_error() { return std::strerror(errno != 0 ? errno : EIO); }

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

}  // namespace

Target Target::with_ending(const std::string& ending) const {
  Target t = *this;
  t.name = files::with_ending(name, ending);
  return t;
}

OutputFile::OutputFile(const Target& target) : target_(target) {
  if (target_.folder != nullptr)
    start_in_folder();
  else
    start_at_path();
}

void OutputFile::fail(std::string why) {
  if (why_.empty()) why_ = why.empty() ? "an unknown failure" : std::move(why);
}

// A name in an output folder: only a regular file of that name, or none, is
// replaced; the hidden file is made beside it without following anything.
void OutputFile::start_in_folder() {
  at_ = target_.folder->fd();
  target_name_ = target_.name;
  if (at_ < 0) return fail("the output folder is not open");
  if (!is_plain_name(target_name_)) return fail("a study's output names hold no folder");
  struct stat st {};
  const bool exists = ::fstatat(at_, target_name_.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  if (exists && S_ISLNK(st.st_mode)) return fail("it is a symbolic link, which a study's outputs do not follow");
  if (exists && !S_ISREG(st.st_mode)) return fail("it is not a regular file");
  // The new file keeps the old one's permissions (not its set-id bits).
  open_hidden("", target_name_, exists ? &st : nullptr, 0777);
}

// A path as given: a link's target is replaced, a device or FIFO written.
void OutputFile::start_at_path() {
  at_ = AT_FDCWD;
  const std::string& path = target_.name;
  struct stat st {};
  const bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {  // a device, a FIFO (or a folder, which fails here)
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) fail(last_error());
    return;
  }
  target_name_ = link_target(path);
  const std::size_t slash = target_name_.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "" : target_name_.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target_name_ : target_name_.substr(slash + 1);
  open_hidden(folder, base, exists ? &st : nullptr, 07777);  // the new file keeps the old one's mode
}

// The hidden file `folder` + a temporary name of `base`, relative to at_:
// created exclusively under an unpredictable name, never through a link,
// noted for removal on a signal, with the mode of `old` (the file it will
// replace, when there is one) within `mode_mask`; file_ writes it.
void OutputFile::open_hidden(const std::string& folder, const std::string& base, const struct ::stat* old,
                             mode_t mode_mask) {
  int fd = -1;
  for (int attempt = 0; attempt < 10 && fd < 0; ++attempt) {
    temporary_ = folder + temporary_name(base);
    fd = ::openat(at_, temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    temporary_.clear();
    return fail(last_error());
  }
  slot_ = note_temporary(at_, temporary_);
  if (old != nullptr) ::fchmod(fd, old->st_mode & mode_mask);
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    fail(last_error());
    ::close(fd);
  }
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temporary_.empty()) ::unlinkat(at_, temporary_.c_str(), 0);
  forget_temporary(slot_);
}

bool OutputFile::write(const void* data, std::size_t size) {
  if (!why_.empty() || file_ == nullptr) return false;
  if (disk().write(file_, data, size) != size) return fail(last_error()), false;
  bytes_ += size;
  sha_.add(data, size);
  return true;
}

// The hidden file complete and on the disk: renamed into place.
std::string OutputFile::put_in_place() {
  std::uint64_t size = 0;
  if (disk().size(::fileno(file_), size) != 0) return last_error();
  // Some writers do not report every failed write; the size tells.
  if (size != bytes_) return "only " + std::to_string(size) + " of " + std::to_string(bytes_) + " bytes reached the disk";
  return "";
}

std::string OutputFile::finish() {
  if (file_ != nullptr) {
    if (std::fflush(file_) != 0) fail(last_error());
    // On the disk before it takes the old file's place: a failure to store it
    // (a full disk found late, an I/O error) is one of this file's.
    if (!temporary_.empty() && why_.empty() && disk().sync(::fileno(file_)) != 0) fail(last_error());
    if (!temporary_.empty() && why_.empty())
      if (std::string short_file = put_in_place(); !short_file.empty()) fail(short_file);
    if (std::fclose(file_) != 0) fail(last_error());
    file_ = nullptr;
  }
  if (!temporary_.empty()) {
    if (why_.empty() && ::renameat(at_, temporary_.c_str(), at_, target_name_.c_str()) != 0) fail(last_error());
    if (!why_.empty()) ::unlinkat(at_, temporary_.c_str(), 0);
    temporary_.clear();
    forget_temporary(slot_);
    slot_ = -1;
  }
  if (why_.empty() && target_.folder != nullptr) target_.folder->record({target_.name, sha_.hex(), bytes_});
  return why_;
}

std::string write_whole_file(const Target& target, std::string_view bytes) {
  OutputFile file(target);
  file.write(bytes);
  return file.finish();
}

}  // namespace files
