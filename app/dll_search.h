// Where Windows looks for DLLs that are loaded by bare name after start (by the system
// DLLs Varnite uses: themes, the file dialog and the like). By default that includes the
// folder Varnite was started from, often a Downloads folder full of other people's
// files, and Varnite runs with administrator rights.
#pragma once

#include <windows.h>

namespace varnite {

// The two calls that narrow the search, each null where this Windows lacks it.
struct DllSearchApi {
  BOOL(WINAPI* setDefaultDllDirectories)(DWORD flags) = nullptr;  // 8, or 7/Vista with KB2533623
  BOOL(WINAPI* setDllDirectory)(LPCWSTR folder) = nullptr;        // XP SP1 and later
};

// What RestrictDllSearch achieved.
enum class DllSearch {
  kSystemFolderOnly,      // only the system folder is searched
  kCurrentFolderRemoved,  // the usual order, without the current folder
  kUnchanged,             // this Windows offers neither call (XP before SP1)
};

// Looks both calls up in kernel32, so the exe still starts where they are missing.
DllSearchApi FindDllSearchApi();

// Limits the search to the system folder where Windows can, else takes the current folder
// out of it. Call it first, before anything can load a DLL.
DllSearch RestrictDllSearch(const DllSearchApi& api);

}  // namespace varnite
