// Units: opening, the open-failure mapping, records out and records in.
#include "recio/units.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <string>

#include "recio/error_report.h"
#include "recio/record_writer.h"
#include "test_support.h"

namespace {

using namespace recio;
using recio_test::escaped;
using recio_test::FakeFsTest;
using recio_test::TempDirTest;

NameField field(std::string_view s) {
  NameField f{};  // zero bytes until filled
  s.copy(f.data(), f.size());
  return f;
}
std::string_view view(const NameField& f) { return {f.data(), f.size()}; }

class OpenUnit : public TempDirTest {};

TEST_F(OpenUnit, NameIsTrimmedAndMadeAFullPath) {
  open_unit(kInputUnit, "  data.txt          ");
  EXPECT_EQ(unit_file_name(kInputUnit), path("data.txt"));
  EXPECT_TRUE(std::filesystem::exists(path("data.txt")));  // created empty
  EXPECT_EQ(slurp(path("data.txt")), "");
  const NameField zeros = field("rpt.txt");  // followed by zero bytes
  open_unit(kReportUnit, view(zeros));
  EXPECT_EQ(unit_file_name(kReportUnit), path("rpt.txt"));
}

TEST_F(OpenUnit, FullPathIsLexicallyNormal) {
  std::filesystem::create_directory(path("sub"));
  open_unit(kReportUnit, "./sub/../sub/./r.txt");
  EXPECT_EQ(unit_file_name(kReportUnit), path("sub/r.txt"));
  open_unit(kRasterUnit, "/tmp/../tmp//x.grd");
  EXPECT_EQ(unit_file_name(kRasterUnit), "/tmp/x.grd");
  std::filesystem::remove("/tmp/x.grd");
}

TEST_F(OpenUnit, NoSymlinkResolution) {
  std::filesystem::create_directory(path("real"));
  std::filesystem::create_directory_symlink(path("real"), path("link"));
  open_unit(kReportUnit, "link/r.txt");
  EXPECT_EQ(unit_file_name(kReportUnit), path("link/r.txt"));
}

TEST_F(OpenUnit, ConsoleNames) {
  EXPECT_EQ(unit_file_name(kConsoleIn), "CONIN$");
  EXPECT_EQ(unit_file_name(kConsoleOut), "CONOUT$");
}

TEST_F(OpenUnit, ExistingFileIsUntouchedUntilTheFirstRecordThenCut) {
  spit(path("old.rpt"), "a much longer old report\r\nwith two lines\r\n");
  open_unit(kReportUnit, "old.rpt");
  EXPECT_EQ(slurp(path("old.rpt")), "a much longer old report\r\nwith two lines\r\n");
  send_record(kReportUnit, "new");
  EXPECT_EQ(slurp(path("old.rpt")), "new\r\n");
  send_record(kReportUnit, "second", false);
  send_record(kReportUnit, "third");
  EXPECT_EQ(slurp(path("old.rpt")), "new\r\nsecondthird\r\n");
}

TEST_F(OpenUnit, RunEndingBeforeAnyWriteLeavesTheOldFile) {
  spit(path("old.rpt"), "old\r\n");
  spit(path("in.dat"), "");
  EXPECT_EXIT(
      {
        open_unit(kInputUnit, "in.dat");
        open_unit(kReportUnit, "old.rpt");
        std::int32_t nx = 0;
        std::string rec;
        if (!read_record(kInputUnit, rec)) fatal_io_error(kEndOfFile, kInputUnit);
        (void)nx;
      },
      testing::ExitedWithCode(24), "end-of-file during read, unit 11, file " + escaped(path("in.dat")));
  EXPECT_EQ(slurp(path("old.rpt")), "old\r\n");
}

TEST_F(OpenUnit, FolderNameIsFatal9) {
  std::filesystem::create_directory(path("folder"));
  EXPECT_EXIT(open_unit(kReportUnit, "folder"), testing::ExitedWithCode(9),
              "tavrix: severe \\(9\\): permission to access file denied, unit 12, file " + escaped(path("folder")));
}

TEST_F(OpenUnit, MissingFolderIsFatal29) {
  EXPECT_EXIT(open_unit(kInputUnit, "nowhere/in.dat"), testing::ExitedWithCode(29),
              "tavrix: severe \\(29\\): file not found, unit 11, file " + escaped(path("nowhere/in.dat")));
}

TEST_F(OpenUnit, EmptyNameIsFatal29) {
  EXPECT_EXIT(open_unit(kReportUnit, std::string_view("\0\0\0\0", 4)), testing::ExitedWithCode(29),
              "tavrix: severe \\(29\\): file not found, unit 12");
  EXPECT_EXIT(open_unit(kReportUnit, "      "), testing::ExitedWithCode(29), "file not found, unit 12");
}

TEST_F(OpenUnit, FileInPlaceOfAFolderIsFatal29) {
  spit(path("plain"), "x");
  EXPECT_EXIT(open_unit(kInputUnit, "plain/in.dat"), testing::ExitedWithCode(29), "file not found, unit 11");
}

TEST_F(OpenUnit, ReadOnlyFileFallsBackAndReads) {
  if (::geteuid() == 0) GTEST_SKIP() << "root is never refused write access";
  spit(path("ro.dat"), "42\r\n");
  ::chmod(path("ro.dat").c_str(), 0444);
  open_unit(kInputUnit, "ro.dat");
  std::string rec;
  ASSERT_TRUE(read_record(kInputUnit, rec));
  EXPECT_EQ(rec, "42");
}

TEST_F(OpenUnit, DevFullIsFatal38AtTheWrite) {
  open_unit(kReportUnit, "/dev/full");
  EXPECT_EXIT(send_record(kReportUnit, "x"), testing::ExitedWithCode(38),
              "tavrix: severe \\(38\\): error during write, unit 12, file /dev/full");
}


TEST_F(OpenUnit, ReopeningAUnitConnectsTheNewFile) {
  open_unit(kReportUnit, "a.rpt");
  open_unit(kReportUnit, "b.rpt");
  send_record(kReportUnit, "b");
  EXPECT_EQ(slurp(path("a.rpt")), "");
  EXPECT_EQ(slurp(path("b.rpt")), "b\r\n");
}

// A file open on two units would be cut off by the first record sent to the
// second: refused at the second open, by any name the file is reached by.
TEST_F(OpenUnit, RegularFileAlreadyOpenOnAnotherUnitIsFatal10) {
  spit(path("in.dat"), "3\r\n");
  std::filesystem::create_hard_link(path("in.dat"), path("hard.lnk"));
  std::filesystem::create_symlink(path("in.dat"), path("soft.lnk"));
  for (const char* name : {"in.dat", "./in.dat", "hard.lnk", "soft.lnk"}) {
    SCOPED_TRACE(name);
    open_unit(kInputUnit, "in.dat");
    EXPECT_EXIT(open_unit(kReportUnit, name), testing::ExitedWithCode(10),
                "^tavrix: severe \\(10\\): cannot overwrite existing file, unit 12, file " +
                    escaped(path(name == std::string("./in.dat") ? "in.dat" : name)) + "\n$");
  }
  open_unit(kReportUnit, "out.rpt");
  EXPECT_EXIT(open_unit(kRasterUnit, "out.rpt"), testing::ExitedWithCode(10), "unit 14");
  EXPECT_EQ(slurp(path("in.dat")), "3\r\n");
}

TEST_F(OpenUnit, DevicesMayBeOpenOnSeveralUnits) {
  open_unit(kInputUnit, "/dev/null");
  open_unit(kReportUnit, "/dev/null");
  open_unit(kRasterUnit, "/dev/null");
  send_record(kReportUnit, "x");
  send_record(kRasterUnit, "y");
  std::string record;
  EXPECT_FALSE(read_record(kInputUnit, record));
}

TEST_F(OpenUnit, ReopeningAUnitOnItsOwnFileIsAllowed) {
  open_unit(kReportUnit, "a.rpt");
  open_unit(kReportUnit, "a.rpt");
  send_record(kReportUnit, "a");
  EXPECT_EQ(slurp(path("a.rpt")), "a\r\n");
}

// The mapping of open failures, with a fake file system.
struct Mapping {
  int error;
  int message;
};
class OpenFailure : public FakeFsTest, public testing::WithParamInterface<Mapping> {};

TEST_P(OpenFailure, MapsToItsMessage) {
  const auto [error, message] = GetParam();
  fs_.open_errors = {error, error};  // also the read-only retry, where there is one
  EXPECT_EXIT(open_unit(kReportUnit, "x.rpt"), testing::ExitedWithCode(message),
              "tavrix: severe \\(" + std::to_string(message) + "\\): .*, unit 12, file " + escaped(path("x.rpt")));
}

INSTANTIATE_TEST_SUITE_P(Errno, OpenFailure,
                         testing::Values(Mapping{ENOENT, 29}, Mapping{ENOTDIR, 29}, Mapping{EACCES, 9},
                                         Mapping{EPERM, 9}, Mapping{EROFS, 9}, Mapping{ETXTBSY, 9},
                                         Mapping{EISDIR, 9}, Mapping{EEXIST, 10}, Mapping{ENXIO, 42},
                                         Mapping{ENODEV, 42}, Mapping{ENAMETOOLONG, 43}, Mapping{EINVAL, 43},
                                         Mapping{EIO, 30}, Mapping{ELOOP, 30}, Mapping{EMFILE, 30},
                                         Mapping{ENOSPC, 30}),
                         [](const auto& info) { return "errno" + std::to_string(info.param.error); });

class OpenWithFake : public FakeFsTest {};

// A new report in a folder that may not be written: the read-only retry
// finds no file, but what ends the run is the refused write access.
TEST_F(OpenWithFake, FailedReadOnlyRetryReportsTheFirstCause) {
  for (int refused : {EACCES, EROFS}) {
    fs_.open_errors = {refused, ENOENT};
    EXPECT_EXIT(open_unit(kReportUnit, "x.rpt"), testing::ExitedWithCode(9),
                "permission to access file denied, unit 12");
  }
}

TEST_F(OpenWithFake, ReadOnlyOpenOfAFolderIsDetected) {
  spit(path("x.rpt"), "");
  fs_.open_errors = {EACCES};  // then a read-only open that succeeds...
  fs_.directory = true;        // ...on a folder
  EXPECT_EXIT(open_unit(kReportUnit, "x.rpt"), testing::ExitedWithCode(9), "permission to access file denied");
}

TEST_F(OpenWithFake, OtherErrorsAreNotRetried) {
  fs_.open_errors = {EIO, 0};
  EXPECT_EXIT(open_unit(kReportUnit, "x.rpt"), testing::ExitedWithCode(30), "open failure, unit 12");
}

TEST_F(OpenWithFake, OpensTheInputForReadingAndTheOutputsForWritingAndCreates) {
  for (const auto& [unit, mode] : {std::pair{kInputUnit, O_RDONLY}, {kReportUnit, O_WRONLY}, {kRasterUnit, O_WRONLY}}) {
    open_unit(unit, "x" + std::to_string(unit));
    EXPECT_EQ(fs_.last_open_flags & O_ACCMODE, mode) << unit;
    EXPECT_TRUE(fs_.last_open_flags & O_CREAT);
    EXPECT_FALSE(fs_.last_open_flags & O_TRUNC);
    EXPECT_EQ(fs_.opened_paths.back(), path("x" + std::to_string(unit)));
  }
}

// An output that is a regular file is locked while the run lasts; one that
// another open file holds locked ends the run before anything is written.
TEST_F(OpenUnit, OutputsAreLockedAndALockedOneEndsTheRunWithStatus5) {
  spit(path("ARCFILE"), "old\r\n");
  const int other = ::open(path("ARCFILE").c_str(), O_RDONLY);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  EXPECT_EXIT(open_unit(kRasterUnit, "ARCFILE"), testing::ExitedWithCode(5),
              "^leaky-drawdown: another run is writing '" + escaped(path("ARCFILE")) + "'; nothing was written\n$");
  EXPECT_EQ(slurp(path("ARCFILE")), "old\r\n");
  ::close(other);

  spit(path("in.dat"), "");
  open_unit(kInputUnit, "in.dat");
  open_unit(kReportUnit, "out.rpt");
  for (const auto& [name, locked] : {std::pair{"in.dat", false}, {"out.rpt", true}}) {
    const int fd = ::open(path(name).c_str(), O_RDONLY);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB) != 0, locked) << name;
    ::close(fd);
  }
}

TEST_F(OpenWithFake, UnknownCurrentDirectoryKeepsTheNameAsGiven) {
  fs_.use_cwd_override = true;
  fs_.cwd_override = "/somewhere/else";
  fs_.open_errors = {ENOENT};
  EXPECT_EXIT(open_unit(kInputUnit, "in.dat"), testing::ExitedWithCode(29), "unit 11, file /somewhere/else/in.dat");
}

TEST_F(OpenWithFake, FailedTruncateOfARegularFileIs38) {
  open_unit(kReportUnit, "x.rpt");
  fs_.truncate_error = EIO;
  EXPECT_EXIT(send_record(kReportUnit, "a"), testing::ExitedWithCode(38), "error during write, unit 12");
}

TEST_F(OpenWithFake, DeviceThatCannotBeTruncatedIsFine) {
  open_unit(kReportUnit, "x.rpt");
  fs_.truncate_error = EINVAL;
  send_record(kReportUnit, "a");
  EXPECT_EQ(slurp(path("x.rpt")), "a\r\n");
}

TEST_F(OpenWithFake, NoSpaceIsFatal38) {
  open_unit(kRasterUnit, "ARCFILE");
  fs_.write_error = ENOSPC;
  EXPECT_EXIT(send_record(kRasterUnit, "a"), testing::ExitedWithCode(38),
              "error during write, unit 14, file " + escaped(path("ARCFILE")));
}

TEST_F(OpenWithFake, ConsoleRecordsAreOneWriteEach) {
  send_record(kConsoleOut, "hello");
  send_record(kConsoleOut, "", false);
  send_record(kConsoleOut, "x");
  EXPECT_EQ(fs_.console_out, "hello\r\nx\r\n");
  EXPECT_EQ(fs_.writes[1], 2);  // the empty record without line end sends no byte
}

TEST_F(OpenWithFake, WritingTheConsoleInputIs47) {
  EXPECT_EXIT(send_record(kConsoleIn, "x"), testing::ExitedWithCode(47),
              "write to READONLY file, unit -4, file CONIN\\$");
}

// Reading records.
// A device is a file like another: connected by its own name, its records
// sent whole (a device cannot be cut off: its truncate failure is passed
// over), nothing written anywhere else, and no error reported.
TEST_F(OpenWithFake, DevNullTakesRecords) {
  open_unit(kRasterUnit, "/dev/null");
  EXPECT_EQ(unit_file_name(kRasterUnit), "/dev/null");
  send_record(kRasterUnit, "x");
  send_record(kRasterUnit, "y", false);
  send_record(kRasterUnit, "z");
  EXPECT_EQ(fs_.sent["/dev/null"], "x\r\nyz\r\n");
  EXPECT_EQ(fs_.sent.size(), 1u) << "no other file was written";
  EXPECT_EQ(fs_.console_out, "");
  EXPECT_TRUE(std::filesystem::is_character_file("/dev/null")) << "still the device";
  EXPECT_FALSE(std::filesystem::exists(path("null")));
}

class ReadRecord : public FakeFsTest {
 protected:
  std::vector<std::string> all(const std::string& data, std::size_t chunk = 1 << 20) {
    spit(path("in.dat"), data);
    fs_.max_read = chunk;
    reset_units();
    open_unit(kInputUnit, "in.dat");
    std::vector<std::string> out;
    std::string rec;
    while (read_record(kInputUnit, rec)) out.push_back(rec);
    EXPECT_FALSE(read_record(kInputUnit, rec));  // stays at the end
    return out;
  }
};
using Recs = std::vector<std::string>;

TEST_F(ReadRecord, LinesEndAtLfWithACrBeforeItDropped) {
  EXPECT_EQ(all("a\r\nb\nc\r\n"), (Recs{"a", "b", "c"}));
  EXPECT_EQ(all("a\r\r\n"), (Recs{"a\r"}));
  EXPECT_EQ(all("x\ry\n"), (Recs{"x\ry"}));
}

TEST_F(ReadRecord, LastLineWithoutLfIsARecord) {
  EXPECT_EQ(all("a\nlast"), (Recs{"a", "last"}));
  EXPECT_EQ(all("a\n"), (Recs{"a"}));
  EXPECT_EQ(all(""), (Recs{}));
  EXPECT_EQ(all("\n\n"), (Recs{"", ""}));
}

TEST_F(ReadRecord, NulBytesAreOrdinary) {
  EXPECT_EQ(all(std::string("a\0b\r\n\0\n", 7)), (Recs{std::string("a\0b", 3), std::string(1, '\0')}));
}

TEST_F(ReadRecord, AnyChunkBoundary) {
  const std::string data = "first line\r\nsecond\r\n\r\nthird";
  for (std::size_t chunk = 1; chunk <= 8; ++chunk) {
    EXPECT_EQ(all(data, chunk), (Recs{"first line", "second", "", "third"})) << chunk;
  }
}

TEST_F(ReadRecord, AMillionCharacterLine) {
  const std::string big(1000000, 'z');
  EXPECT_EQ(all(big + "\r\nend\r\n"), (Recs{big, "end"}));
}

TEST_F(ReadRecord, ConsoleInput) {
  fs_.console_in = "one\r\ntwo\n";
  std::string rec;
  ASSERT_TRUE(read_record(kConsoleIn, rec));
  EXPECT_EQ(rec, "one");
  ASSERT_TRUE(read_record(kConsoleIn, rec));
  EXPECT_EQ(rec, "two");
  EXPECT_FALSE(read_record(kConsoleIn, rec));
}

TEST_F(ReadRecord, ReadFailureIsFatal39) {
  spit(path("in.dat"), "1\n");
  open_unit(kInputUnit, "in.dat");
  fs_.read_error = EIO;
  std::string rec;
  EXPECT_EXIT(read_record(kInputUnit, rec), testing::ExitedWithCode(39),
              "tavrix: severe \\(39\\): error during read, unit 11, file " + escaped(path("in.dat")));
}

TEST_F(ReadRecord, UnopenedUnitIsFatal30) {
  std::string rec;
  EXPECT_EXIT(read_record(kInputUnit, rec), testing::ExitedWithCode(30), "open failure, unit 11");
}

}  // namespace
