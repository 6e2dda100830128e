// The "CueSheet" button and the other ways a cue sheet reaches Varnite: three protection
// tracks, each in a file record of its own pointing at the dummy file, appended to the
// end of the sheet, through one handle kept from the first check to the last append.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cuesheet/step_retry.h"
#include "fileio/edit_handle.h"
#include "fileio/file_system.h"
#include "window/main_window.h"

namespace varnite {

// Appends `block` at the end of `sheet` and flushes it, each step through `onFailure` and
// attempted again after a failure. `written` counts the block's bytes that went out,
// so that a retry goes on from the first that did not; a write that takes fewer bytes
// than it was given counts as failed (a full disk under Wine does that, and says nothing).
void AppendProtectionTrack(EditHandle& sheet, const std::string& block,
                           StepFailureHandler& onFailure, std::size_t& written);

// The "CueSheet" button: the file dialog, then EditCueSheet on the file chosen.
void cmdEdit_Click(MainWindow& window, FileSystem& files);

// Everything after the choice, however the cue sheet was chosen: the gate
// (sheet_checks.h), which may refuse the file with one box; then `path` in lblCueSheet and
// the three tracks with their boxes, beeps, retries and last box. A block that cannot be
// written whole is cut back out again, so the sheet only ever gains whole tracks.
void EditCueSheet(MainWindow& window, FileSystem& files, const std::string& path);

// `paths` are full paths as UTF-8, in the order the shell gave them (a drop, the command
// line, a second start); none does nothing. One path is edited exactly as a file chosen in
// the dialog is; several are refused with one box.
void EditGivenCueSheet(MainWindow& window, FileSystem& files,
                       const std::vector<std::string>& paths);

}  // namespace varnite
