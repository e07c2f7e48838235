// Units: the console streams and the three file units of a run.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace recio {

/// Unit number of the console input (standard input), as error reports show it.
inline constexpr int kConsoleIn = -4;
/// Unit number of the console output (standard output), as error reports show it.
inline constexpr int kConsoleOut = -1;
/// File unit of the input file named at the console.
inline constexpr int kInputUnit = 11;
/// File unit of the report file named at the console.
inline constexpr int kReportUnit = 12;
/// File unit of the raster grid file ARCFILE.
inline constexpr int kRasterUnit = 14;

/// A 20-character name field as read from the console (zero-filled until read).
using NameField = std::array<char, 20>;

/// The operating-system calls the units make, behind one narrow interface so
/// that tests can make any of them fail. Every call returns -errno on failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  /// The current working directory, or an empty string when it is unknown.
  virtual std::string current_directory() = 0;
  /// Opens `path` with open(2) `flags` (mode 0666 when created); a descriptor or -errno.
  virtual int open(const std::string& path, int flags) = 0;
  /// True when the open descriptor `fd` is a directory.
  virtual bool is_directory(int fd) = 0;
  /// Writes up to `size` bytes; the count written or -errno.
  virtual long write(int fd, const char* data, std::size_t size) = 0;
  /// Reads up to `size` bytes; the count read (0 at end of file) or -errno.
  virtual long read(int fd, char* data, std::size_t size) = 0;
  /// Cuts the file of `fd` off at `length` bytes; 0 or -errno.
  virtual int truncate(int fd, long length) = 0;
  /// Moves the write position of `fd` to `offset`; 0 or -errno.
  virtual int seek(int fd, long offset) = 0;
  /// Closes `fd`; 0 or -errno. The default does nothing (for fakes whose
  /// descriptors are not real); the real file system closes it.
  virtual int close(int fd) {
    (void)fd;
    return 0;
  }
  /// For a regular file, a text that is the same for every descriptor open on
  /// that file, whatever name (link, path) it was opened by; empty for anything
  /// else (a device, a pipe) and when unknown, as the default answers.
  virtual std::string regular_file_id(int fd) {
    (void)fd;
    return {};
  }
  /// Takes an exclusive advisory lock on the file of `fd` (flock(2)) without
  /// waiting; 0, -EWOULDBLOCK when another open file holds a lock on it, or
  /// another -errno. The default takes none and answers 0 (fakes).
  virtual int lock(int fd) {
    (void)fd;
    return 0;
  }
  /// Removes the name `path` (unlink(2)); 0 or -errno. The default removes
  /// nothing and answers 0 (fakes).
  virtual int remove(const std::string& path) {
    (void)path;
    return 0;
  }
};

/// The real file system (POSIX calls).
FileSystem& posix_file_system();

/// Makes every later unit operation use `fs` (tests); nullptr restores the real one.
void use_file_system(FileSystem* fs);

/// The file system in use: the one given to use_file_system, else the real one.
/// The error report writes its line to descriptor 2 through it.
FileSystem& current_file_system();

/// Sends all `size` bytes to descriptor `fd` through the file system in use,
/// retrying partial and interrupted writes; false when a write fails.
bool write_all(int fd, const char* data, std::size_t size);

/// Connects file unit 11, 12 or 14 to the file named in `name`: leading blanks,
/// trailing blanks and zero bytes dropped, made a full path against the current
/// directory. Unit 11 (the input) is opened for reading only, the others for
/// writing only, each created empty when missing (so that a missing input ends
/// the run at its first read); when write access is refused an output is
/// opened for reading only and its first record ends the run with message 47.
/// Reading only, the program holds no write end of a pipe or FIFO given as the
/// input, and sees its end. An existing file is untouched until the first
/// record is written to it. A failure ends the run with messages 9, 10, 29,
/// 30, 42 or 43 for the open's own cause (a failed read-only retry does not
/// replace it); 10 also when the file is a regular file already open on
/// another unit (the report or ARCFILE would be written over the input file,
/// or over each other). An output that is a regular file is locked (see
/// FileSystem::lock) for the rest of the run; when another run holds the lock,
/// the run ends with one line naming the file and status base::kExitBusy.
/// With `reading_only` the file is opened for reading only and never created
/// (a missing file is message 29).
void open_unit(int unit, std::string_view name, bool reading_only = false);

/// The full path of a file unit's file, "CONIN$" or "CONOUT$" for the consoles.
std::string unit_file_name(int unit);

/// Sends one record (its characters, then CR LF unless `line_end` is false) to
/// a unit. The first record sent to a disk file cuts off its old contents.
/// A failed write ends the run with message 38; a read-only unit with 47.
void send_record(int unit, std::string_view record, bool line_end = true);

/// Reads the next record (line) of unit 11 or the console input into `record`,
/// without its LF and a CR before it. False at end of file; a failed read ends
/// the run with message 39.
bool read_record(int unit, std::string& record);

/// The number of records read from a unit since it was opened: the line number
/// of the last record read (0 when none has been, or the unit is not open).
long records_read(int unit);

/// Forgets every unit (tests only): descriptors are closed, state is reset.
void reset_units();

/// Closes every file unit with what it holds (nothing is buffered). Used by
/// the fatal error report before the process ends; the units stay known, so
/// a later report can still name their files.
void close_units();

}  // namespace recio
