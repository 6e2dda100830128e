#include "app/dll_search.h"

#include "fileio/system_function_win32.h"

namespace varnite {

DllSearchApi FindDllSearchApi() {
  DllSearchApi api;
  api.setDefaultDllDirectories =
      SystemFunction<BOOL(WINAPI*)(DWORD)>(L"kernel32.dll", "SetDefaultDllDirectories");
  api.setDllDirectory = SystemFunction<BOOL(WINAPI*)(LPCWSTR)>(L"kernel32.dll", "SetDllDirectoryW");
  return api;
}

DllSearch RestrictDllSearch(const DllSearchApi& api) {
  if (api.setDefaultDllDirectories && api.setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return DllSearch::kSystemFolderOnly;
  }
  // An empty string, not null: null would put the current folder back.
  if (api.setDllDirectory && api.setDllDirectory(L"")) {
    return DllSearch::kCurrentFolderRemoved;
  }
  return DllSearch::kUnchanged;
}

}  // namespace varnite
