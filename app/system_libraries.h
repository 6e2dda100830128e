// The system DLLs that only some clicks need, loaded on first use rather than at start: the
// file dialog (COMDLG32) and the shell's drop and command-line helpers (SHELL32). Imported,
// both would be loaded, with all they pull in, before the window could show. Each is loaded
// once, by its full path in the system folder, never by bare name, and stays loaded.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

namespace varnite {

// GetOpenFileNameW. False when the user cancels, when the dialog fails, and when COMDLG32
// cannot be loaded: to the caller, a dialog that could not be shown.
bool OpenFileDialog(OPENFILENAMEW& ofn);

// The shell's calls for reading a drop, both null when SHELL32 cannot be loaded.
struct DropApi {
  UINT(WINAPI* queryFile)(HDROP drop, UINT index, LPWSTR file, UINT size) = nullptr;
  void(WINAPI* finish)(HDROP drop) = nullptr;
};
const DropApi& FindDropApi();

// CommandLineToArgvW: the arguments (free them with LocalFree) and their count, or null
// when SHELL32 cannot be loaded or the line cannot be split.
LPWSTR* SplitCommandLine(const wchar_t* commandLine, int& count);

}  // namespace varnite
