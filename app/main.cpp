// Varnite: start-up. Creates the window, shows it and waits for clicks; a cue sheet named
// on the command line is opened once the window is shown, or handed to the Varnite that
// already runs. Closing the window ends the program.
#include <windows.h>
#include <commctrl.h>

#include "app/dll_search.h"
#include "app/shell_paths.h"
#include "app/single_instance.h"
#include "app/win32_main_window.h"

namespace {

// The box that tells of a start-up or a message loop that failed: the program never ends
// without a word.
int Failure(const wchar_t* text) {
  MessageBoxW(nullptr, text, L"Varnite", MB_OK | MB_ICONSTOP);
  return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int nShowCmd) {
  // First of all, before anything can load a DLL by bare name: never from the folder
  // Varnite was started from (see app/dll_search.h).
  varnite::RestrictDllSearch(varnite::FindDllSearchApi());
  const std::vector<std::string> paths = varnite::CommandLinePaths(GetCommandLineW());
  // One Varnite per session: a second start hands its paths to the first, and ends.
  varnite::SingleInstance singleInstance;
  if (!singleInstance.ClaimOrHandOver(paths)) return 0;
  // Loads the common controls the manifest asks for (visual styles on XP and later).
  InitCommonControls();
  varnite::Win32MainWindow window(hInstance, varnite::RealFileSystem());
  if (!window.Create(nShowCmd)) return Failure(L"The Varnite window could not be created.");
  window.OpenWhenShown(paths);
  int exitCode = 0;
  if (!window.Run(exitCode)) return Failure(L"Varnite Could Not Read Its Messages And Has Ended.");
  return exitCode;
}
