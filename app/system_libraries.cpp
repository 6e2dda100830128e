#include "app/system_libraries.h"

#include <string>

namespace varnite {
namespace {

// `name` from the system folder; null where it cannot be had. With the search limited to
// that folder at start a bare name would do on most systems, but not on Windows XP
// before SP1 or Vista without KB2533623, where the current folder still comes first.
HMODULE LoadSystemLibrary(const wchar_t* name) {
  wchar_t folder[MAX_PATH];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  path += L'\\';
  path += name;
  return LoadLibraryW(path.c_str());
}

// Loaded once; a library that failed to load is not tried again.
HMODULE Comdlg32() {
  static const HMODULE module = LoadSystemLibrary(L"comdlg32.dll");
  return module;
}

HMODULE Shell32() {
  static const HMODULE module = LoadSystemLibrary(L"shell32.dll");
  return module;
}

template <typename Function>
Function Find(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through void (*)(), as in SystemFunction: the cast to the call's real type is meant.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

bool OpenFileDialog(OPENFILENAMEW& ofn) {
  static const auto open = Find<BOOL(WINAPI*)(OPENFILENAMEW*)>(Comdlg32(), "GetOpenFileNameW");
  return open && open(&ofn);
}

const DropApi& FindDropApi() {
  static const DropApi api = [] {
    DropApi found;
    found.queryFile = Find<decltype(found.queryFile)>(Shell32(), "DragQueryFileW");
    found.finish = Find<decltype(found.finish)>(Shell32(), "DragFinish");
    // Half of the pair is no use: a drop then counts as one that cannot be read.
    if (!found.queryFile || !found.finish) found = DropApi();
    return found;
  }();
  return api;
}

LPWSTR* SplitCommandLine(const wchar_t* commandLine, int& count) {
  static const auto split = Find<LPWSTR*(WINAPI*)(LPCWSTR, int*)>(Shell32(), "CommandLineToArgvW");
  count = 0;
  return split ? split(commandLine, &count) : nullptr;
}

}  // namespace varnite
