#include "fileio/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "cuesheet/edit.h"
#include "cuesheet/protection_block.h"
#include "cuesheet/track_scan.h"
#include "dummyfile/dummy_file.h"
#include "fileio/edit_handle.h"
#include "fileio/operation_error.h"
#include "tests/support/test_files.h"
#include "window/main_window.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#ifdef __linux__
#include <poll.h>
#include <signal.h>
#include <sys/time.h>

#include <atomic>
#include <chrono>
#include <thread>
#endif

namespace varnite {
namespace {

using testing::JoinPath;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

// Bytes a text-mode layer would change: lone LF, lone CR, CR LF, Ctrl-Z and NUL.
const std::string kAwkward = std::string(
    "a\nb\rc\r\nd\x1A"
    "e\0f",
    11);

void Write(OutputFile& file, const std::string& data) {
  std::size_t written = 0;
  WriteAll(file, data, written);
  file.Close();
}

int ErrorCodeOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const OperationError& error) {
    return error.code();
  }
  return 0;
}

// The descriptors this process holds; -1 where the system does not tell.
int OpenDescriptors() {
#ifdef __linux__
  auto entries = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<int>(std::distance(begin(entries), end(entries)));
#else
  return -1;
#endif
}

TEST(RealFiles, WriteAndReadBytesUnchanged) {
  const std::string path = JoinPath(ScratchDir("bytes"), "awkward.bin");
  Write(*RealFileSystem().CreateOrTruncate(path), kAwkward);
  EXPECT_EQ(ReadBytes(path), kAwkward);

  auto in = RealFileSystem().OpenForReading(path);
  char buffer[64];
  std::string got;
  for (std::size_t n; (n = in->Read(buffer, sizeof buffer)) > 0;) got.append(buffer, n);
  EXPECT_EQ(got, kAwkward);
#ifndef _WIN32
  // Created as other programs create theirs: read and write for all, less the umask.
  const mode_t mask = umask(0);
  umask(mask);
  struct stat info {};
  ASSERT_EQ(stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0666u & ~mask);
#endif
}

TEST(RealFiles, AppendKeepsWhatIsThereAndTruncateDoesNot) {
  const std::string path = JoinPath(ScratchDir("append"), "sheet.cue");
  WriteBytes(path, kAwkward);
  Write(*RealFileSystem().OpenForAppending(path), "tail\r\n");
  EXPECT_EQ(ReadBytes(path), kAwkward + "tail\r\n");
  Write(*RealFileSystem().CreateOrTruncate(path), "new");
  EXPECT_EQ(ReadBytes(path), "new");
}

TEST(RealFiles, UnicodeFolderAndLongPathNames) {
  // "Müsik" and a Cyrillic word: outside most ANSI code pages.
  const std::string dir =
      JoinPath(ScratchDir("unicode"), "M\xC3\xBCsik \xD0\x94\xD0\xB8\xD1\x81\xD0\xBA");
  std::filesystem::create_directories(std::filesystem::u8path(dir));
  // A full path longer than the plain form of a Windows path takes.
  const std::string deep = JoinPath(ScratchDir("deep"), std::string(250, 'd') + ".cue");
  for (const std::string& path : {JoinPath(dir, "album.cue"), deep}) {
    Write(*RealFileSystem().CreateOrTruncate(path), "TRACK 01 AUDIO\r\n");
    Write(*RealFileSystem().OpenForAppending(path), "x");
    EXPECT_EQ(ReadBytes(path), "TRACK 01 AUDIO\r\nx");
    EXPECT_EQ(static_cast<int>(RealFileSystem().KindOf(path)), static_cast<int>(PathKind::File));
    // The edit's handle tells the file's own name, however long its path.
    const std::string name = path.substr(path.size() - 10);
    const std::string finalPath = RealFileSystem().OpenForEditing(path)->FinalPath();
    EXPECT_EQ(finalPath.substr(finalPath.size() - std::min<std::size_t>(finalPath.size(), 10)),
              name);
  }
}

TEST(RealFiles, FailuresCarryTheirNumbers) {
  const std::string dir = ScratchDir("failures");
  const std::string missing = JoinPath(dir, "missing.cue");
  const std::string folder = JoinPath(dir, "folder.cue");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  const std::string inMissingFolder = JoinPath(JoinPath(dir, "nowhere"), "a.cue");
  const std::string file = JoinPath(dir, "file.cue");
  WriteBytes(file, "TRACK 01\r\n");

  struct Case {
    const char* what;
    std::function<void()> action;
    int code;
  };
  const Case cases[] = {
      {"read a missing file", [&] { RealFileSystem().OpenForReading(missing); }, 53},
      {"append to a missing file", [&] { RealFileSystem().OpenForAppending(missing); }, 53},
      {"read a folder", [&] { RealFileSystem().OpenForReading(folder); }, 75},
      {"append to a folder", [&] { RealFileSystem().OpenForAppending(folder); }, 75},
      {"edit a missing file", [&] { RealFileSystem().OpenForEditing(missing); }, 53},
      {"edit a folder", [&] { RealFileSystem().OpenForEditing(folder); }, 75},
      {"create over a folder", [&] { RealFileSystem().CreateOrTruncate(folder); }, 75},
#ifdef _WIN32
      {"create in a missing folder", [&] { RealFileSystem().CreateOrTruncate(inMissingFolder); },
       76},
#else
      {"create in a missing folder", [&] { RealFileSystem().CreateOrTruncate(inMissingFolder); },
       53},
#endif
      {"a file taken for a folder",
       [&] { RealFileSystem().OpenForReading(JoinPath(file, "a.cue")); }, 76},
#ifdef __linux__
      {"a name too long",
       [&] { RealFileSystem().OpenForReading(JoinPath(dir, std::string(300, 'n'))); }, 52},
      // This process's own memory from address 0: opens, then every read and write fails.
      {"a read that fails",
       [&] {
         char byte;
         RealFileSystem().OpenForReading("/proc/self/mem")->Read(&byte, 1);
       },
       57},
      {"a write that fails",
       [&] { Write(*RealFileSystem().OpenForAppending("/proc/self/mem"), "x"); }, 57},
#endif
  };
  for (const Case& c : cases) {
    const int descriptors = OpenDescriptors();
    EXPECT_EQ(ErrorCodeOf(c.action), c.code) << c.what;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.what << ": a descriptor was left open";
  }
  // Appending never creates the file.
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::u8path(missing)));
}

TEST(RealFiles, KindOfTellsFilesFoldersAndNothing) {
  const std::string dir = ScratchDir("kinds");
  // A folder outside most ANSI code pages, with a file in it.
  const std::string folder = JoinPath(dir, "\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA \xE2\x99\xAB.cue");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  const std::string file = JoinPath(folder, "album.cue");
  WriteBytes(file, "");
  const struct {
    std::string path;
    PathKind kind;
  } cases[] = {
      {file, PathKind::File},
      {folder, PathKind::Folder},
      {dir, PathKind::Folder},
      {JoinPath(folder, "missing.cue"), PathKind::Missing},
      {JoinPath(JoinPath(dir, "nowhere"), "a.cue"), PathKind::Missing},
      {JoinPath(file, "below-a-file.cue"), PathKind::Missing},
      {"", PathKind::Missing},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(static_cast<int>(RealFileSystem().KindOf(c.path)), static_cast<int>(c.kind))
        << c.path;
  }
}

TEST(RealFiles, AReadOnlyFileCannotBeAppendedTo) {
  const std::string path = JoinPath(ScratchDir("readonly"), "sheet.cue");
  WriteBytes(path, "TRACK 01 AUDIO\r\n");
#ifdef _WIN32
  ASSERT_TRUE(
      SetFileAttributesW(std::filesystem::u8path(path).wstring().c_str(), FILE_ATTRIBUTE_READONLY));
#else
  if (geteuid() == 0) GTEST_SKIP() << "root writes to read-only files";
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
#endif
  EXPECT_EQ(ErrorCodeOf([&] { RealFileSystem().OpenForAppending(path); }), 70);
  EXPECT_EQ(ReadBytes(path), "TRACK 01 AUDIO\r\n");
}

// The handle an edit holds: what it opened, read at any offset, appended to at the end
// only, cut back, and held against other writers (a share mode: Windows only).
TEST(RealFiles, TheEditHandleJudgesWhatItOpened) {
  const std::string dir = ScratchDir("edit-handle");
  const std::string sheet = JoinPath(dir, "album.cue");
  WriteBytes(sheet, "TRACK 01 AUDIO\r\n");
  const std::string image = JoinPath(dir, "image.bin");
  WriteBytes(image, "\x01\x02");
  const std::string link = JoinPath(dir, "link.cue");
  std::error_code noLinks;
  std::filesystem::create_symlink(std::filesystem::u8path(image), std::filesystem::u8path(link),
                                  noLinks);
#ifdef _WIN32
  const std::string device = JoinPath(dir, "NUL.cue");
#else
  const std::string device = "/dev/null";
#endif
  auto nameOf = [](const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); };
  const struct {
    std::string path;
    OpenedKind kind;
    std::string finalName;  // empty: not asked
  } rows[] = {
      {sheet, OpenedKind::DiskFile, "album.cue"},
      {device, OpenedKind::NotDiskFile, ""},
      {link, OpenedKind::DiskFile, "image.bin"},
  };
  for (const auto& row : rows) {
    if (row.path == link && noLinks) continue;  // no right to make links here
    auto handle = RealFileSystem().OpenForEditing(row.path);
    EXPECT_EQ(static_cast<int>(handle->Kind()), static_cast<int>(row.kind)) << row.path;
    if (!row.finalName.empty()) {
      EXPECT_EQ(nameOf(handle->FinalPath()), row.finalName) << row.path;
    }
  }

  auto handle = RealFileSystem().OpenForEditing(sheet);
#ifdef _WIN32
  // Others may read, but neither write nor append, while the edit holds the sheet.
  EXPECT_EQ(ErrorCodeOf([&] { RealFileSystem().OpenForAppending(sheet); }), 75);
  EXPECT_EQ(ErrorCodeOf([&] { RealFileSystem().OpenForReading(sheet); }), 0);
#endif
  EXPECT_EQ(handle->Append("Track 02", 8), 8u);
  char read[6] = {};
  EXPECT_EQ(handle->ReadAt(16, read, sizeof read), 6u);
  EXPECT_EQ(std::string(read, 6), "Track ");
  EXPECT_EQ(handle->ReadAt(24, read, sizeof read), 0u);
  EXPECT_EQ(handle->Append("!", 1), 1u);  // at the end, wherever the last read was
  handle->Flush();
  handle->CutBack(16);
  handle.reset();
  EXPECT_EQ(ReadBytes(sheet), "TRACK 01 AUDIO\r\n");
}

#ifdef __linux__
TEST(RealFiles, AFullDiskIsReportedAsSuch) {
  auto file = RealFileSystem().OpenForAppending("/dev/full");
  std::size_t written = 0;
  try {
    WriteAll(*file, "Track 03 Audio\r\n", written);
    FAIL() << "a write to a full disk succeeded";
  } catch (const OperationError& error) {
    EXPECT_EQ(error.code(), 61);
  }
  EXPECT_EQ(written, 0u);
}
#endif

#ifdef __linux__
// Every file the layer opens is closed once: none is left open, closing one never closes
// another that has since been given the same number, and a close that fails is reported.
// Standard input is closed meanwhile, so the layer's descriptors start at 0, a descriptor
// like any other.
TEST(RealFiles, EveryDescriptorIsClosedOnce) {
  const std::string dir = ScratchDir("descriptors");
  const std::string sheet = JoinPath(dir, "album.cue");
  WriteBytes(sheet, "TRACK 02 AUDIO\r\n");
  struct StdinClosed {
    int saved = dup(0);
    StdinClosed() { close(0); }
    ~StdinClosed() { dup2(saved, 0), close(saved); }
  } stdinClosed;
  const int descriptors = OpenDescriptors();

  errno = EINTR;  // left over from an earlier call: only a failed call's errno counts
  auto lost = RealFileSystem().OpenForAppending(sheet);  // descriptor 0
  close(0);                                              // taken away behind its back
  EXPECT_EQ(ErrorCodeOf([&] { lost->Close(); }), 57) << "a failed close went unreported";
  NoRetry noRetry;
  EXPECT_EQ(FindLastTrackNumber(RealFileSystem(), sheet, 0, noRetry), 2);
  std::size_t written = 0;
  AppendProtectionTrack(*RealFileSystem().OpenForEditing(sheet),
                        ProtectionTrackBlock(3, " Audio", true), noRetry, written);
  CreateDummyFile(RealFileSystem(), JoinPath(dir, "Varnite.PSX"));
  EXPECT_EQ(ErrorCodeOf([&] { RealFileSystem().OpenForAppending(dir); }), 75);
  auto closed = RealFileSystem().OpenForAppending(sheet);
  closed->Close();
  closed->Close();  // as a retry after a failed close does: nothing is left to close
  auto reopened = RealFileSystem().OpenForReading(sheet);  // takes the number just given up
  closed.reset();
  char byte = 0;
  EXPECT_EQ(ErrorCodeOf([&] { reopened->Read(&byte, 1); }), 0) << "the reopened file was closed";
  EXPECT_EQ(byte, 'T');
  reopened.reset();
  EXPECT_EQ(OpenDescriptors(), descriptors);
}

// A FIFO keeps open(), read() and write() waiting for the other end, while a timer
// interrupts them every millisecond through a handler without SA_RESTART: each call fails
// with EINTR again and again, and the layer must take it up again, not report it.
TEST(RealFiles, CallsInterruptedByASignalAreTakenUpAgain) {
  const std::string fifo = JoinPath(ScratchDir("fifo"), "album.cue");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string sheet = "  TRACK 07 AUDIO\r\n";
  const std::string block(1 << 20, 'x');  // more than a pipe holds: the write waits too
  std::string received;
  std::atomic<bool> done{false};
  auto pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };

  // The other end, on a thread that never takes the signal.
  sigset_t alarm;
  sigemptyset(&alarm);
  sigaddset(&alarm, SIGALRM);
  pthread_sigmask(SIG_BLOCK, &alarm, nullptr);
  std::thread peer([&] {
    pause(20);  // the scan waits in open()
    int out;    // opens once the scan's end is there
    while ((out = open(fifo.c_str(), O_WRONLY | O_NONBLOCK)) < 0 && !done) pause(1);
    if (out >= 0) {
      fcntl(out, F_SETFL, 0);
      EXPECT_EQ(write(out, sheet.data(), 9), 9);
      pause(20);  // the scan waits in read()
      write(out, sheet.data() + 9, sheet.size() - 9);
      close(out);
    }
    pause(20);  // the append waits in open()
    const int in = open(fifo.c_str(), O_RDWR);
    pollfd ready{in, POLLIN, 0};
    std::vector<char> buffer(1 << 16);
    while (received.size() < block.size()) {
      if (poll(&ready, 1, 100) <= 0) {
        if (done) break;
        continue;
      }
      ssize_t n = read(in, buffer.data(), buffer.size());
      if (n > 0) received.append(buffer.data(), static_cast<std::size_t>(n));
      pause(2);  // the append waits in write() while the pipe is full
    }
    close(in);
  });
  pthread_sigmask(SIG_UNBLOCK, &alarm, nullptr);
  struct sigaction interrupt {
  }, previous{};
  interrupt.sa_handler = [](int) {};
  sigaction(SIGALRM, &interrupt, &previous);
  auto previousPipe = signal(SIGPIPE, SIG_IGN);
  const itimerval everyMillisecond{{0, 1000}, {0, 1000}}, off{};
  setitimer(ITIMER_REAL, &everyMillisecond, nullptr);

  std::int32_t track = 0;
  const int failure = ErrorCodeOf([&] {
    NoRetry noRetry;
    track = FindLastTrackNumber(RealFileSystem(), fifo, 0, noRetry);
    Write(*RealFileSystem().OpenForAppending(fifo), block);
  });
  setitimer(ITIMER_REAL, &off, nullptr);
  done = true;
  peer.join();
  sigaction(SIGALRM, &previous, nullptr);
  signal(SIGPIPE, previousPipe);

  EXPECT_EQ(failure, 0);
  EXPECT_EQ(track, 7);
  EXPECT_TRUE(received == block) << received.size() << " of " << block.size() << " bytes";
}
#endif

// Every run-time error the program can show, as the user reads it.
TEST(ErrorLine, HasTheFixedForm) {
  const std::pair<OperationError, const char*> rows[] = {
      {MakeTypeMismatchError(), "Err#: 13 - Type mismatch"},
      {MakeFileError(FileFault::BadName), "Err#: 52 - Bad file name or number"},
      {MakeFileError(FileFault::NotFound), "Err#: 53 - File not found"},
      {MakeFileError(FileFault::DeviceError), "Err#: 57 - Device I/O error"},
      {MakeFileError(FileFault::DiskFull), "Err#: 61 - Disk full"},
      {MakeFileError(FileFault::AccessDenied), "Err#: 70 - Permission denied"},
      {MakeFileError(FileFault::AccessConflict), "Err#: 75 - Path/File access error"},
      {MakeFileError(FileFault::PathNotFound), "Err#: 76 - Path not found"},
  };
  for (const auto& [error, line] : rows) {
    EXPECT_EQ(FormatErrorLine(error.code(), error.description()), line);
  }
}

}  // namespace
}  // namespace varnite
