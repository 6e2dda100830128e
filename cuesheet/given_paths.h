// The gate every cue sheet passes before Varnite appends to it, whichever way it came in:
// chosen in the dialog, dropped on the window or named on the command line (a drop on the
// exe's icon, "Open with", "Send To"). It lets through one existing file named *.cue that
// holds 8-bit text with room for three more tracks; anything else gets one critical box
// saying why, and not a byte of any file is changed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cuesheet/step_retry.h"
#include "fileio/file_system.h"
#include "window/main_window.h"

namespace varnite {

// True when the path's name ends in ".cue", in any case.
bool IsCueSheetName(const std::string& path);

// The first half of the gate, from a look at the path alone, before anything is opened: a
// folder, a name that does not end in .cue, nothing there. Returns the refusal's text, or
// nothing when the path names an existing .cue file.
std::string PathRefusal(FileSystem& files, const std::string& path);

// The second half, from the file's bytes: not 8-bit text (a UTF-16 byte order mark, or a
// NUL byte near its start), or a last track outside 0 to 96. Returns the refusal's text, or
// nothing, and then `lastTrack` holds the number of the sheet's last track (0 when it has
// none). Every open and read goes through `onFailure`, the edit's own retry rule.
std::string ContentRefusal(FileSystem& files, const std::string& path,
                           StepFailureHandler& onFailure, std::int32_t& lastTrack);

// `paths` are full paths as UTF-8, in the order the shell gave them; none does nothing.
// One path goes through the gate and the edit exactly as a file chosen in the dialog does.
void OpenGivenCueSheet(MainWindow& window, FileSystem& files,
                       const std::vector<std::string>& paths);

}  // namespace varnite
