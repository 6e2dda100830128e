#include "app/dll_search.h"

namespace varnite {

DllSearchApi FindDllSearchApi() {
  DllSearchApi api;
  HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  if (!kernel32) return api;
  // GetProcAddress gives a generic function pointer; these are the calls' real types
  // (going through void (*)() tells the compiler the cast is meant).
  using AnyFunction = void (*)();
  api.setDefaultDllDirectories = reinterpret_cast<BOOL(WINAPI*)(DWORD)>(
      reinterpret_cast<AnyFunction>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  api.setDllDirectory = reinterpret_cast<BOOL(WINAPI*)(LPCWSTR)>(
      reinterpret_cast<AnyFunction>(GetProcAddress(kernel32, "SetDllDirectoryW")));
  return api;
}

DllSearch RestrictDllSearch(const DllSearchApi& api) {
  if (api.setDefaultDllDirectories &&
      api.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return DllSearch::kSystemFolderOnly;
  }
  // An empty string, not null: null would put the current folder back.
  if (api.setDllDirectory && api.setDllDirectory(L"")) {
    return DllSearch::kCurrentFolderRemoved;
  }
  return DllSearch::kUnchanged;
}

}  // namespace varnite
