// Cue sheets that reach Varnite other than through the "CueSheet" button: dropped on its
// window, or named on its command line (a drop on the exe's icon, "Open with", "Send To").
// One existing file named *.cue goes through the CueSheet flow exactly as a file chosen in
// the dialog does; anything else gets one box saying why, and nothing is opened.
#pragma once

#include <string>
#include <vector>

#include "fileio/file_system.h"
#include "window/main_window.h"

namespace varnite {

// True when the path's name ends in ".cue", in any case.
bool IsCueSheetName(const std::string& path);

// `paths` are full paths as UTF-8, in the order the shell gave them; none does nothing.
void OpenGivenCueSheet(MainWindow& window, FileSystem& files,
                       const std::vector<std::string>& paths);

}  // namespace varnite
