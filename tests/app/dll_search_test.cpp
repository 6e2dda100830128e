#include "app/dll_search.h"

#include <gtest/gtest.h>

#include <string>

namespace varnite {
namespace {

// What the stand-ins for the two Windows calls answer, and what they were asked.
struct Calls {
  BOOL defaultAnswer = TRUE;
  BOOL directoryAnswer = TRUE;
  int defaultCalls = 0;
  DWORD defaultFlags = 0;
  int directoryCalls = 0;
  bool directoryNull = false;
  std::wstring directory;
};
Calls calls;

BOOL WINAPI FakeSetDefaultDllDirectories(DWORD flags) {
  ++calls.defaultCalls;
  calls.defaultFlags = flags;
  return calls.defaultAnswer;
}

BOOL WINAPI FakeSetDllDirectory(LPCWSTR folder) {
  ++calls.directoryCalls;
  calls.directoryNull = folder == nullptr;
  if (folder) calls.directory = folder;
  return calls.directoryAnswer;
}

// Every Windows Varnite runs on: 8 and later, 7 and Vista with or without the update that
// added SetDefaultDllDirectories, XP with and without SP1, and a call that fails.
TEST(DllSearch, NarrowsAsFarAsThisWindowsAllows) {
  const struct {
    const char* windows;
    bool hasDefault;
    BOOL defaultAnswer;
    bool hasDirectory;
    BOOL directoryAnswer;
    DllSearch expected;
    bool directoryAsked;
  } rows[] = {
      {"8 and later", true, TRUE, true, TRUE, DllSearch::kSystemFolderOnly, false},
      {"refused the flags", true, FALSE, true, TRUE, DllSearch::kCurrentFolderRemoved, true},
      {"Vista/7 without the update", false, FALSE, true, TRUE, DllSearch::kCurrentFolderRemoved,
       true},
      {"SetDllDirectory fails", false, FALSE, true, FALSE, DllSearch::kUnchanged, true},
      {"both fail", true, FALSE, true, FALSE, DllSearch::kUnchanged, true},
      {"XP before SP1", false, FALSE, false, FALSE, DllSearch::kUnchanged, false},
  };
  for (const auto& row : rows) {
    calls = Calls{};
    calls.defaultAnswer = row.defaultAnswer;
    calls.directoryAnswer = row.directoryAnswer;
    DllSearchApi api;
    if (row.hasDefault) api.setDefaultDllDirectories = FakeSetDefaultDllDirectories;
    if (row.hasDirectory) api.setDllDirectory = FakeSetDllDirectory;

    EXPECT_EQ(RestrictDllSearch(api), row.expected) << row.windows;
    EXPECT_EQ(calls.defaultCalls, row.hasDefault ? 1 : 0) << row.windows;
    if (row.hasDefault) {
      // The system folder alone: not the exe's folder (LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
      // or _APPLICATION_DIR would keep it).
      EXPECT_EQ(calls.defaultFlags, DWORD{LOAD_LIBRARY_SEARCH_SYSTEM32}) << row.windows;
    }
    EXPECT_EQ(calls.directoryCalls, row.directoryAsked ? 1 : 0) << row.windows;
    if (row.directoryAsked) {
      // An empty string takes the current folder out; null would put it back.
      EXPECT_FALSE(calls.directoryNull) << row.windows;
      EXPECT_EQ(calls.directory, L"") << row.windows;
    }
  }
}

// The names looked up must be kernel32's own, or the hardening silently never happens.
// Wine's kernel32 has both, as Windows 8 and later do.
TEST(DllSearch, FindsBothCallsInKernel32) {
  const DllSearchApi api = FindDllSearchApi();
  EXPECT_NE(api.setDefaultDllDirectories, nullptr);
  EXPECT_NE(api.setDllDirectory, nullptr);
}

}  // namespace
}  // namespace varnite
