#include "fileio/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "cuesheet/track_scan.h"
#include "fileio/operation_error.h"
#include "window/main_window.h"
#include "tests/support/test_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace varnite {
namespace {

using testing::JoinPath;
using testing::ReadBytes;
using testing::ScratchDir;
using testing::WriteBytes;

// Bytes a text-mode layer would change: lone LF, lone CR, CR LF, Ctrl-Z and NUL.
const std::string kAwkward = std::string("a\nb\rc\r\nd\x1A" "e\0f", 11);

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

TEST(RealFiles, WriteAndReadBytesUnchanged) {
  const std::string path = JoinPath(ScratchDir("bytes"), "awkward.bin");
  Write(*RealFileSystem().CreateOrTruncate(path), kAwkward);
  EXPECT_EQ(ReadBytes(path), kAwkward);

  auto in = RealFileSystem().OpenForReading(path);
  char buffer[64];
  std::string got;
  for (std::size_t n; (n = in->Read(buffer, sizeof buffer)) > 0;) got.append(buffer, n);
  EXPECT_EQ(got, kAwkward);
}

TEST(RealFiles, AppendKeepsWhatIsThereAndTruncateDoesNot) {
  const std::string path = JoinPath(ScratchDir("append"), "sheet.cue");
  WriteBytes(path, kAwkward);
  Write(*RealFileSystem().OpenForAppending(path), "tail\r\n");
  EXPECT_EQ(ReadBytes(path), kAwkward + "tail\r\n");
  Write(*RealFileSystem().CreateOrTruncate(path), "new");
  EXPECT_EQ(ReadBytes(path), "new");
}

TEST(RealFiles, UnicodeFolderNames) {
  // "Müsik" and a Cyrillic word: outside most ANSI code pages.
  const std::string dir = JoinPath(ScratchDir("unicode"), "M\xC3\xBCsik \xD0\x94\xD0\xB8\xD1\x81\xD0\xBA");
  std::filesystem::create_directories(std::filesystem::u8path(dir));
  const std::string path = JoinPath(dir, "album.cue");
  Write(*RealFileSystem().CreateOrTruncate(path), "TRACK 01 AUDIO\r\n");
  Write(*RealFileSystem().OpenForAppending(path), "x");
  EXPECT_EQ(ReadBytes(path), "TRACK 01 AUDIO\r\nx");
}

TEST(RealFiles, FailuresCarryTheirNumbers) {
  const std::string dir = ScratchDir("failures");
  const std::string missing = JoinPath(dir, "missing.cue");
  const std::string folder = JoinPath(dir, "folder.cue");
  std::filesystem::create_directories(std::filesystem::u8path(folder));
  const std::string inMissingFolder = JoinPath(JoinPath(dir, "nowhere"), "a.cue");

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
      {"create over a folder", [&] { RealFileSystem().CreateOrTruncate(folder); }, 75},
#ifdef _WIN32
      {"create in a missing folder", [&] { RealFileSystem().CreateOrTruncate(inMissingFolder); }, 76},
#else
      {"create in a missing folder", [&] { RealFileSystem().CreateOrTruncate(inMissingFolder); }, 53},
#endif
  };
  for (const Case& c : cases) EXPECT_EQ(ErrorCodeOf(c.action), c.code) << c.what;
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
  ASSERT_TRUE(SetFileAttributesW(std::filesystem::u8path(path).wstring().c_str(),
                                 FILE_ATTRIBUTE_READONLY));
#else
  if (geteuid() == 0) GTEST_SKIP() << "root writes to read-only files";
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
#endif
  EXPECT_EQ(ErrorCodeOf([&] { RealFileSystem().OpenForAppending(path); }), 70);
  EXPECT_EQ(ReadBytes(path), "TRACK 01 AUDIO\r\n");
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

TEST(ErrorLine, HasTheFixedForm) {
  const OperationError mismatch = MakeTypeMismatchError();
  EXPECT_EQ(FormatErrorLine(mismatch.code(), mismatch.description()), "Err#: 13 - Type mismatch");
  EXPECT_EQ(FormatErrorLine(53, "File not found"), "Err#: 53 - File not found");
}

}  // namespace
}  // namespace varnite
