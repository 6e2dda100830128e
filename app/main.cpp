// Varnite: start-up. Creates the window, shows it and waits for clicks; a cue sheet named
// on the command line is opened once the window is shown, or handed to the Varnite that
// already runs. Closing the window ends the program.
#include <windows.h>
#include <commctrl.h>

#include "app/dll_search.h"
#include "app/one_varnite.h"
#include "app/shell_paths.h"
#include "app/win32_main_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  // First of all, before anything can load a DLL by bare name: never from the folder
  // Varnite was started from (see app/dll_search.h).
  varnite::RestrictDllSearch(varnite::FindDllSearchApi());
  const std::vector<std::string> paths = varnite::CommandLinePaths(GetCommandLineW());
  // One Varnite per session: a second start hands its paths to the first, and ends.
  varnite::OneVarnite oneVarnite;
  if (!oneVarnite.ClaimOrHandOver(paths)) return 0;
  // Loads the common controls the manifest asks for (visual styles on XP and later).
  InitCommonControls();
  varnite::Win32MainWindow window(instance, varnite::RealFileSystem());
  if (!window.Create(showCommand)) {
    MessageBoxW(nullptr, L"The Varnite window could not be created.", L"Varnite",
                MB_OK | MB_ICONSTOP);
    return 1;
  }
  window.OpenWhenShown(paths);
  return window.Run();
}
