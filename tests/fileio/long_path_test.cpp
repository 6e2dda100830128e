#include "fileio/long_path.h"

#include <gtest/gtest.h>

namespace varnite {
namespace {

std::wstring Name(std::size_t length) { return std::wstring(length, L'n'); }

TEST(ExtendedLengthPath, PrefixesFullPathsOfMaxPathOrMoreOnceNormalised) {
  const struct {
    const char* what;
    std::wstring path;
    std::wstring expected;
  } rows[] = {
      {"short", L"C:\\Discs\\album.cue", L"C:\\Discs\\album.cue"},
      {"one short of MAX_PATH", L"C:\\" + Name(256), L"C:\\" + Name(256)},
      {"exactly MAX_PATH", L"C:\\" + Name(257), L"\\\\?\\C:\\" + Name(257)},
      {"forward and doubled slashes", L"d:/Discs//" + Name(251) + L"/a.cue",
       L"\\\\?\\d:\\Discs\\" + Name(251) + L"\\a.cue"},
      {"UNC", L"\\\\server\\share\\" + Name(250), L"\\\\?\\UNC\\server\\share\\" + Name(250)},
      {". and .. segments", L"C:\\Discs\\.\\x\\..\\" + Name(260),
       L"\\\\?\\C:\\Discs\\" + Name(260)},
      {".. never above the drive", L"C:\\..\\..\\" + Name(260), L"\\\\?\\C:\\" + Name(260)},
      {".. never above the share", L"\\\\server\\share\\..\\" + Name(260),
       L"\\\\?\\UNC\\server\\share\\" + Name(260)},
      {"short once normalised", L"C:\\" + Name(200) + L"\\" + Name(60) + L"\\..\\a.cue",
       L"C:\\" + Name(200) + L"\\a.cue"},
      {"already prefixed", L"\\\\?\\C:\\x\\..\\" + Name(300), L"\\\\?\\C:\\x\\..\\" + Name(300)},
      {"a device path", L"\\\\.\\" + Name(300), L"\\\\.\\" + Name(300)},
      {"relative", Name(300) + L"\\a.cue", Name(300) + L"\\a.cue"},
      {"relative, from a one-letter folder", L"a\\b\\" + Name(300), L"a\\b\\" + Name(300)},
      {"relative to a drive's current folder", L"C:" + Name(300), L"C:" + Name(300)},
  };
  for (const auto& row : rows) {
    EXPECT_TRUE(ExtendedLengthPath(row.path) == row.expected) << row.what;
  }
}

}  // namespace
}  // namespace varnite
