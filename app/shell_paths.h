// What the Windows shell hands Varnite, as full UTF-8 paths: the files dropped on its
// window and the paths on its command line (a drop on the exe's icon, "Open with",
// "Send To"). Nothing here decides what to do with them.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace varnite {

// Lets drops from Explorer reach `window` when Varnite runs elevated; the window itself
// must have the WS_EX_ACCEPTFILES style.
void AcceptDroppedFiles(HWND window);

// The dropped paths, in the order the shell gave them; finishes the drop, so `drop` is
// no longer valid afterwards. None when SHELL32 cannot be loaded.
std::vector<std::string> DroppedPaths(HDROP drop);

// The arguments after the program's own name, each resolved against the current folder.
// Empty arguments are no paths and are left out. SHELL32 is loaded only when there are
// arguments to split.
std::vector<std::string> CommandLinePaths(const wchar_t* commandLine);

}  // namespace varnite
