// Units: the console streams and the file units, with their records. Every
// record is sent with one write(2) through the FileSystem, so a file holds
// exactly the records sent and a failure shows at its statement.
#include "recio/units.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <vector>

#include "base/exit_status.h"
#include "recio/error_report.h"

namespace recio {
namespace {

class PosixFileSystem final : public FileSystem {
 public:
  std::string current_directory() override {
    std::vector<char> buf(256);
    for (;;) {
      if (::getcwd(buf.data(), buf.size()) != nullptr) return buf.data();
      if (errno != ERANGE) return {};
      buf.resize(buf.size() * 2);
    }
  }
  int open(const std::string& path, int flags) override {
    const int fd = ::open(path.c_str(), flags, 0666);
    return fd < 0 ? -errno : fd;
  }
  bool is_directory(int fd) override {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
  }
  long write(int fd, const char* data, std::size_t size) override {
    const ssize_t n = ::write(fd, data, size);
    return n < 0 ? -errno : static_cast<long>(n);
  }
  long read(int fd, char* data, std::size_t size) override {
    const ssize_t n = ::read(fd, data, size);
    return n < 0 ? -errno : static_cast<long>(n);
  }
  int truncate(int fd, long length) override {
    return ::ftruncate(fd, static_cast<off_t>(length)) < 0 ? -errno : 0;
  }
  int seek(int fd, long offset) override {
    return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) < 0 ? -errno : 0;
  }
  int close(int fd) override { return ::close(fd) < 0 ? -errno : 0; }
  std::string regular_file_id(int fd) override {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  }
  int remove(const std::string& path) override { return ::unlink(path.c_str()) < 0 ? -errno : 0; }
  int lock(int fd) override {
    int r;
    do {
      r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r < 0 && errno == EINTR);
    return r < 0 ? -errno : 0;
  }
};

FileSystem* g_file_system = nullptr;

FileSystem& fs() { return g_file_system ? *g_file_system : posix_file_system(); }

// The input side of a unit: its own buffer over read(2).
struct InputBuffer {
  std::vector<char> data;
  std::size_t pos = 0;
  std::size_t end = 0;
  bool at_eof = false;
};

struct Unit {
  int fd = -1;
  std::string name;         // full path, or CONIN$ / CONOUT$
  bool read_only = false;
  bool console = false;
  bool written = false;     // a record has been sent since the open
  long records = 0;         // records read since the open
  std::string file_id;      // FileSystem::regular_file_id of the open file
  bool created = false;     // the open created the file
  bool locked = false;      // the run holds the file's lock
  InputBuffer input;
};

std::map<int, Unit>& units() {
  static std::map<int, Unit> table;
  return table;
}

// The unit `number`, connecting the console units on first use; nullptr when
// a file unit has not been opened.
Unit* find_unit(int number) {
  auto& table = units();
  auto it = table.find(number);
  if (it != table.end()) return &it->second;
  if (number == kConsoleIn || number == kConsoleOut) {
    Unit u;
    u.console = true;
    u.fd = number == kConsoleIn ? 0 : 1;
    u.name = number == kConsoleIn ? "CONIN$" : "CONOUT$";
    u.read_only = number == kConsoleIn;
    return &table.emplace(number, std::move(u)).first->second;
  }
  return nullptr;
}

// Write access refused: the open is retried for reading only.
bool write_access_refused(int error) {
  return error == EACCES || error == EPERM || error == EROFS || error == ETXTBSY || error == EISDIR;
}

// Open failures as the platform reports them, mapped to the message catalogue.
int open_failure_message(int error) {
  if (write_access_refused(error)) return kAccessDenied;
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return kFileNotFound;
    case EEXIST:
      return kCannotOverwrite;
    case ENXIO:
    case ENODEV:
      return kNoSuchDevice;
    case ENAMETOOLONG:
    case EINVAL:
      return kFileNameError;
    default:
      return kOpenFailure;
  }
}

std::string full_path(const std::string& name) {
  const std::string cwd = fs().current_directory();
  std::filesystem::path p = cwd.empty() ? std::filesystem::path(name)
                                        : std::filesystem::path(cwd) / std::filesystem::path(name);
  return p.lexically_normal().string();
}

}  // namespace

bool write_all(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const long n = fs().write(fd, data, size);
    if (n == -EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

FileSystem& posix_file_system() {
  static PosixFileSystem real;
  return real;
}

void use_file_system(FileSystem* file_system) { g_file_system = file_system; }

FileSystem& current_file_system() { return fs(); }

namespace {

// Ends a run that found unit's file locked by another run. The files this run
// created and holds locked are removed first (while still locked, so that no
// other run is writing them), so that the refused run leaves no file behind.
[[noreturn]] void refuse_busy(int unit) {
  auto& table = units();
  Unit& u = table[unit];
  fs().close(u.fd);
  u.fd = -1;
  for (auto& [number, other] : table) {
    if (number == unit || !other.created || !other.locked || other.fd < 0) continue;
    fs().remove(other.name);
    fs().close(other.fd);
    other.fd = -1;
  }
  end_run_after(std::string(base::kMessagePrefix) + "another run is writing '" + printable_name(u.name) +
                    "'; nothing was written\n",
                base::kExitBusy);
}


// Step 3: the input for reading only, an output for writing only, created
// when missing; an output whose write access is refused for reading only.
// When the retry fails too, the first open's cause is the one reported.
// Reading only, a file is neither created nor written. The descriptor, or
// the negated error; `writable` says whether the file may be written.
int open_unit_file(Unit& u, bool output, bool reading_only, bool& writable) {
  const int access = (output ? O_WRONLY : O_RDONLY) | O_CLOEXEC;
  // A missing file is created exclusively, so that the run knows the file is
  // its own (a run refused later removes what it created). A name that exists
  // all the same (a link to a missing file) is opened as before, creating.
  int fd = fs().open(u.name, access);
  if (fd == -ENOENT && !reading_only) {
    fd = fs().open(u.name, access | O_CREAT | O_EXCL);
    if (fd >= 0) u.created = true;
    if (fd == -EEXIST) fd = fs().open(u.name, access | O_CREAT);
  }
  writable = output;
  if (fd < 0 && write_access_refused(-fd)) {
    const int retry = fs().open(u.name, O_RDONLY | O_CLOEXEC);
    if (retry >= 0) {
      fd = retry;
      writable = false;
    }
  }
  return fd;
}

// The opened file of `unit` claimed for the run: one regular file on two
// units would lose records (the first record sent to the report or ARCFILE
// cuts off the input file, or the other output), and two runs writing one
// file would interleave their records: the output is locked while the run
// lasts, and a run that finds it locked ends before writing anything.
// Devices and pipes are not locked (two runs may well both write to
// /dev/null); a file system without locks is written unlocked.
void claim_unit_file(int unit, Unit& u, bool writable) {
  u.file_id = fs().regular_file_id(u.fd);
  for (const auto& [number, other] : units()) {
    if (number != unit && other.fd >= 0 && !u.file_id.empty() && other.file_id == u.file_id) {
      fs().close(u.fd);
      u.fd = -1;
      fatal_io_error(kCannotOverwrite, unit);
    }
  }
  if (writable && !u.file_id.empty()) {
    const int locked = fs().lock(u.fd);
    u.locked = locked == 0;
    if (locked == -EWOULDBLOCK) refuse_busy(unit);
  }
}

}  // namespace

void open_unit(int unit, std::string_view name, bool reading_only) {
  if (unit == kConsoleIn || unit == kConsoleOut || unit <= 0) fatal_io_error(kNoSuchDevice, unit);
  auto& table = units();
  if (auto it = table.find(unit); it != table.end()) {
    if (it->second.fd >= 0) fs().close(it->second.fd);
    table.erase(it);
  }
  // Step 1: drop leading blanks, then trailing blanks and zero bytes.
  const std::size_t first = name.find_first_not_of(' ');
  name = first == std::string_view::npos ? std::string_view{} : name.substr(first);
  const std::size_t last = name.find_last_not_of(std::string_view(" \0", 2));
  name = last == std::string_view::npos ? std::string_view{} : name.substr(0, last + 1);

  Unit& u = table[unit];
  u.name = full_path(std::string(name));  // step 2
  if (name.empty()) fatal_io_error(kFileNotFound, unit);
  if (name.find('\0') != std::string_view::npos) fatal_io_error(kFileNameError, unit);

  bool writable = false;
  const int fd = open_unit_file(u, unit != kInputUnit && !reading_only, reading_only, writable);
  if (fd < 0) fatal_io_error(open_failure_message(-fd), unit);
  u.fd = fd;
  u.read_only = !writable;
  if (fs().is_directory(fd)) {  // a read-only open of a folder succeeds here
    fs().close(fd);
    u.fd = -1;
    fatal_io_error(kAccessDenied, unit);
  }
  claim_unit_file(unit, u, writable);
}

std::string unit_file_name(int unit) {
  if (unit == kConsoleIn) return "CONIN$";
  if (unit == kConsoleOut) return "CONOUT$";
  auto it = units().find(unit);
  return it == units().end() ? std::string() : it->second.name;
}

void send_record(int unit, std::string_view record, bool line_end) {
  Unit* u = find_unit(unit);
  if (u == nullptr || u->fd < 0) fatal_io_error(kOpenFailure, unit);
  if (u->read_only) fatal_io_error(kWriteToReadOnly, unit);
  if (!u->console && !u->written) {
    // The first record sent after the open cuts the old contents off. Only a
    // regular file can be cut (a device or a pipe answers EINVAL / ESPIPE).
    const int s = fs().seek(u->fd, 0);
    if (s < 0 && s != -ESPIPE) fatal_io_error(kWriteError, unit);
    const int t = fs().truncate(u->fd, 0);
    if (t < 0 && t != -EINVAL) fatal_io_error(kWriteError, unit);
  }
  u->written = true;
  static std::string buffer;  // one record and its line end, sent at once
  try {
    buffer.assign(record);
    if (line_end) buffer += "\r\n";
  } catch (const std::bad_alloc&) {
    fatal_io_error(kRecordOverflow, unit);
  }
  if (!write_all(u->fd, buffer.data(), buffer.size())) fatal_io_error(kWriteError, unit);
}

namespace {

// The next line of `u` (its own buffer over read(2)); false at end of file.
bool read_line(Unit* u, int unit, std::string& record) {
  InputBuffer& in = u->input;
  record.clear();
  bool any = false;
  for (;;) {
    if (in.pos < in.end) {
      const char* begin = in.data.data() + in.pos;
      const std::size_t avail = in.end - in.pos;
      const void* lf = std::memchr(begin, '\n', avail);
      if (lf != nullptr) {
        const std::size_t n = static_cast<std::size_t>(static_cast<const char*>(lf) - begin);
        record.append(begin, n);
        in.pos += n + 1;
        if (!record.empty() && record.back() == '\r') record.pop_back();
        return true;
      }
      record.append(begin, avail);
      in.pos = in.end;
      any = true;
    }
    if (in.at_eof) return any;
    if (in.data.empty()) in.data.resize(64 * 1024);
    long n;
    do {
      n = fs().read(u->fd, in.data.data(), in.data.size());
    } while (n == -EINTR);
    if (n < 0) fatal_io_error(kReadError, unit);
    in.pos = 0;
    in.end = static_cast<std::size_t>(n);
    if (n == 0) in.at_eof = true;
  }
}

}  // namespace

bool read_record(int unit, std::string& record) {
  Unit* u = find_unit(unit);
  if (u == nullptr || u->fd < 0) fatal_io_error(kOpenFailure, unit);
  if (unit == kConsoleOut) fatal_io_error(kReadError, unit);
  try {
    const bool read = read_line(u, unit, record);
    if (read) ++u->records;
    return read;
  } catch (const std::bad_alloc&) {
    fatal_io_error(kNoMemory, unit);
  }
}

long records_read(int unit) {
  auto it = units().find(unit);
  return it == units().end() ? 0 : it->second.records;
}

void close_units() {
  for (auto& [number, u] : units()) {
    if (!u.console && u.fd >= 0) {
      fs().close(u.fd);
      u.fd = -1;
    }
  }
}

void reset_units() {
  close_units();
  units().clear();
}

}  // namespace recio
